#include "TmMsgExtractor/diagnostics/event_log_writer.h"

#include <new>
#include <vector>

#include "TmMsgExtractor/diagnostics/help_link.h"
#include "platform/eventlog/last_error.h"

namespace {

HRESULT LastPlatformError() { return HRESULT_FROM_WIN32(static_cast<LONG>(GetLastError())); }

}  // namespace

CEventLogWriter::CEventLogWriter(const wchar_t* sourceName, const wchar_t* serverName)
    : m_strSourceName(sourceName), m_strServerName(serverName) {
  m_hEventLog =
      OpenEventLogW(m_strServerName.IsEmpty() ? nullptr : m_strServerName.c_str(), m_strSourceName.c_str());
  if (m_hEventLog == nullptr) m_hrLastError = LastPlatformError();
}

CEventLogWriter::~CEventLogWriter() { Close(); }

HRESULT CEventLogWriter::Report(WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount,
                                DWORD dataSize, const LPCWSTR* strings, LPVOID rawData) {
  // The help link needs one more string than the count can hold.
  if (stringCount == 0xFFFF) return E_INVALIDARG;
  if (g_strHelpLink.IsEmpty()) GetHelpLink();
  std::vector<LPCWSTR> allStrings;
  try {
    allStrings.assign(strings, strings + stringCount);
    allStrings.push_back(g_strHelpLink.c_str());
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  }
  if (!ReportEventW(m_hEventLog, type, category, eventId, userSid, static_cast<WORD>(allStrings.size()), dataSize,
                    allStrings.data(), rawData)) {
    return LastPlatformError();
  }
  return S_OK;
}

HRESULT CEventLogWriter::Close() {
  if (m_hEventLog == nullptr) return S_OK;
  const BOOL closed = CloseEventLog(m_hEventLog);
  m_hEventLog = nullptr;
  return closed ? S_OK : LastPlatformError();
}
