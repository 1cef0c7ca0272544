// A one-line diagnostic to the central log manager, made through its
// automation object on a fresh instance, independent of the trace log's own
// link to it.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_SIMPLE_DIAGNOSTIC_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_SIMPLE_DIAGNOSTIC_H_

#include "platform/com/hresult.h"

// Sends `text` followed, for each of file, line and code that is not null, by
// a blank and that text. Any argument may be null. Returns the failure of
// finding, creating or calling the log manager, or its own error code when
// the call raised one.
HRESULT SendSimpleDiagnostic(const wchar_t* text, const wchar_t* file, const wchar_t* line, const wchar_t* code);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_SIMPLE_DIAGNOSTIC_H_
