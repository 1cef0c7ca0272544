#include "TmMsgExtractor/diagnostics/exception_report.h"

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "TmMsgExtractor/diagnostics/simple_diagnostic.h"

void ReportException(const wchar_t* file, LONG line, HRESULT code) {
  CBstr line_text;
  line_text = line;
  CBstr code_text;
  code_text.Format(L"%08xH", code);
  // Still to come: the error event with the symbolised call stack in the
  // event log (source "NorvaneKorvel_QoTm", event 100, insertion strings
  // file, line, code and stack), written before this diagnostic.
  SendSimpleDiagnostic(L"Exception caught", file, line_text.c_str(), code_text.c_str());
}
