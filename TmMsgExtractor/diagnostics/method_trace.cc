#include "TmMsgExtractor/diagnostics/method_trace.h"

#include <cwchar>

#include "TmMsgExtractor/diagnostics/exception_report.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"

CMethodTrace::CMethodTrace(const wchar_t* name, const HRESULT& result) : m_result(result) {
  const size_t capacity = sizeof m_name / sizeof m_name[0];
  const size_t length = name == nullptr ? 0 : wcsnlen(name, capacity - 1);
  std::wmemcpy(m_name, name == nullptr ? L"" : name, length);
  m_name[length] = L'\0';
  try {
    g_TraceLog.Trace(LOG_LEVEL_METHOD, L"Method < %s > Entry", m_name);
  } catch (...) {
    // A trace line that cannot be built must not change what the method does.
  }
}

CMethodTrace::~CMethodTrace() {
  try {
    g_TraceLog.Trace(LOG_LEVEL_METHOD, L"Method < %s > Exit Return:0x%08X ", m_name, m_result);
  } catch (...) {
    // Nothing may leave a destructor; the method's result is already decided.
  }
}

void TraceFailedCall(const wchar_t* call, HRESULT hr) {
  g_TraceLog.Trace(LOG_LEVEL_ERROR, L"%s returned 0x%08x", call, hr);
}

HRESULT ReportCaughtException(const wchar_t* unit, LONG line) {
  HRESULT code = E_FAIL;
  try {
    throw;
  } catch (HRESULT thrown) {
    code = thrown;
  } catch (...) {
    code = E_FAIL;
  }
  try {
    ReportException(unit, line, code);
  } catch (...) {
    // Only exhausted memory gets here; the caller still learns the code.
  }
  return code;
}
