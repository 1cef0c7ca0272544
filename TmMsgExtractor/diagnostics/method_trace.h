// The tracing and catching every traced method of the extractor follows:
//
//   HRESULT CMimeHelper::Commit() {
//     HRESULT hr = S_OK;
//     CMethodTrace trace(L"CMimeHelper::Commit()", hr);
//     try {
//       ...
//       if (FAILED(hr = spThing->Call())) {
//         TraceFailedCall(L"spThing->Call()", hr);
//         return hr;
//       }
//       ...
//     } catch (...) {
//       hr = ReportCaughtException(kSourceUnit, __LINE__);
//     }
//     return hr;
//   }
//
// The entry and exit lines and the failed-call lines reach the log manager
// only; the administrator sees LogMessage lines.
//
// A failed call's description is a fixed text of the log, not the source
// text of the call: support staff search logs for these texts, so a variable
// renamed in the code keeps its description.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_METHOD_TRACE_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_METHOD_TRACE_H_

#include "platform/com/hresult.h"
#include "platform/wintypes.h"

// Traces "Method < NAME > Entry" when made and "Method < NAME > Exit
// Return:0x%08X " with the value `result` holds when it goes out of scope,
// which is the value the method returns. NAME is cut to 255 characters.
class CMethodTrace {
 public:
  CMethodTrace(const wchar_t* name, const HRESULT& result);
  ~CMethodTrace();
  CMethodTrace(const CMethodTrace&) = delete;
  CMethodTrace& operator=(const CMethodTrace&) = delete;

 private:
  wchar_t m_name[256];
  const HRESULT& m_result;
};

// "CALL returned 0x%08x" at the error level, CALL written as in the source.
void TraceFailedCall(const wchar_t* call, HRESULT hr);

// Only inside a catch block: an HRESULT thrown by the extractor's own code is
// reported and returned unchanged; any other exception is reported and
// returned as E_FAIL. `unit` names the reporting source unit and `line` the
// line of the catch block. A failure of the report itself is dropped, so the
// method still returns its code.
HRESULT ReportCaughtException(const wchar_t* unit, LONG line);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_METHOD_TRACE_H_
