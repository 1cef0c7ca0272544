#include "TmMsgExtractor/ExtractorState.h"

ExtractorState g_ExtractorState;
