// ReportException: where every traced method's catch block sends what it
// caught (see ReportCaughtException), so the exception reaches the server's
// diagnostics while the method returns an error code and the run goes on.
// Reports never reach the console or the extraction log.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_EXCEPTION_REPORT_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_EXCEPTION_REPORT_H_

#include "platform/com/hresult.h"
#include "platform/wintypes.h"

// `file` names the reporting source unit, `line` the catch block's line.
// Writes an error event 100 of the source "NorvaneKorvel_QoTm" with the
// strings file, line, code ("%08xH"), "\r\n" and the call stack, and the help
// link; then sends "Exception caught FILE LINE CODE" to the log manager.
// Failures of the outlets are ignored; only exhausted memory throws
// (E_OUTOFMEMORY).
void ReportException(const wchar_t* file, LONG line, HRESULT code);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_EXCEPTION_REPORT_H_
