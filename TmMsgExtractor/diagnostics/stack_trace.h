// The symbolised call stack of an exception report. Frames are found by the
// C library's unwinder and named through elfutils (libdw) from the modules'
// symbol tables and line information.
//
// One frame, innermost first, each followed by CR LF:
//   0x0000563412ABCDEF TmMsgExtractor: CMsgHelper::Run() + 113 bytes
//   		/src/TmMsgExtractor/MsgHelper.cc, Line 42
// The address has at least eight upper-case hexadecimal digits, more where it
// needs them. Without a module, "<unknown module>: " stands in its place;
// without a symbol, "<unknown symbol>" stands for the symbol and the line;
// a frame may have a symbol but no line.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_STACK_TRACE_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_STACK_TRACE_H_


#include "TmMsgExtractor/diagnostics/bstr.h"

// The most frames walked.
constexpr int kMaxStackWalkSteps = 512;

// Appends the stack of the calling thread: its callers from the innermost
// outward, without this function itself and without the outermost frame.
void GetStackTrace(CBstr& text);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_STACK_TRACE_H_
