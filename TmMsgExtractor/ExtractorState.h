// ExtractorState: what one run of the extractor has to tell when it ends.
#ifndef KORVEL_TMMSGEXTRACTOR_EXTRACTORSTATE_H_
#define KORVEL_TMMSGEXTRACTOR_EXTRACTORSTATE_H_

#include "platform/wintypes.h"

struct ExtractorState {
  // 0, or -1 (start-up, usage, folder or folder in use, extraction stopped,
  // unexpected exception), -2 (log-in or subscriber list), -3 (extraction log
  // or a message file); a -2 or -3 set earlier survives a later fatal error.
  // 128 + the signal when a stop signal ended the run.
  LONG exitCode = 0;
  // Set when the extraction of one message failed; the run goes on.
  bool errorsEncountered = false;
  // Messages an earlier run into the folder had written already.
  LONG messagesSkipped = 0;
};

// The one state of the process.
extern ExtractorState g_ExtractorState;

#endif  // KORVEL_TMMSGEXTRACTOR_EXTRACTORSTATE_H_
