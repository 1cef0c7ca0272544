#include "TmMsgExtractor/diagnostics/exception_report.h"

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "TmMsgExtractor/diagnostics/event_log_writer.h"
#include "TmMsgExtractor/diagnostics/help_link.h"
#include "TmMsgExtractor/diagnostics/simple_diagnostic.h"
#include "TmMsgExtractor/diagnostics/stack_trace.h"

namespace {

constexpr DWORD kExceptionEventId = 100;

}  // namespace

void ReportException(const wchar_t* file, LONG line, HRESULT code) {
  CBstr line_text;
  line_text = line;
  CBstr code_text;
  code_text.Format(L"%08xH", code);
  CBstr stack_text(L"\r\n");
  GetStackTrace(stack_text);

  CEventLogWriter writer(kExceptionEventSource, nullptr);
  const LPCWSTR strings[] = {file, line_text.c_str(), code_text.c_str(), stack_text.c_str()};
  writer.Report(EVENTLOG_ERROR_TYPE, 0, kExceptionEventId, nullptr, 4, 0, strings, nullptr);
  SendSimpleDiagnostic(L"Exception caught", file, line_text.c_str(), code_text.c_str());
  writer.Close();
}
