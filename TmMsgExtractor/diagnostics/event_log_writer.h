// CEventLogWriter: one open event log for one event source. Every event it
// writes carries the help link (see help_link.h) after the caller's strings.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_EVENT_LOG_WRITER_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_EVENT_LOG_WRITER_H_

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/com/hresult.h"
#include "platform/eventlog/event_log.h"
#include "platform/wintypes.h"

class CEventLogWriter {
 public:
  // Opens the source's event log on `serverName`, this machine when it is
  // null or empty. A failed open is kept in LastError() and the writer's
  // reports fail.
  CEventLogWriter(const wchar_t* sourceName, const wchar_t* serverName);
  ~CEventLogWriter();
  CEventLogWriter(const CEventLogWriter&) = delete;
  CEventLogWriter& operator=(const CEventLogWriter&) = delete;

  // Writes one event of `stringCount` strings followed by the help link (an
  // empty string while there is none). Platform errors come back in the
  // Win32 facility.
  HRESULT Report(WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount, DWORD dataSize,
                 const LPCWSTR* strings, LPVOID rawData);
  HRESULT Close();

  HRESULT LastError() const { return m_hrLastError; }

 private:
  CBstr m_strSourceName;
  CBstr m_strServerName;
  HANDLE m_hEventLog = nullptr;
  HRESULT m_hrLastError = S_OK;
};

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_EVENT_LOG_WRITER_H_
