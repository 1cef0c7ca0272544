// CMessageModule: the message texts of one event source, from the message
// files its event log registration names, or of one message file named
// directly.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_MESSAGE_MODULE_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_MESSAGE_MODULE_H_

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/com/hresult.h"
#include "platform/eventlog/message_library.h"
#include "platform/wintypes.h"

// The machine-wide registry key under which event sources are registered.
inline constexpr wchar_t kEventSourcesKey[] = L"System\\CurrentControlSet\\Services\\EventLog\\Application\\";

class CMessageModule {
 public:
  // A name holding "." is a message file; any other name is an event source,
  // whose "EventMessageFile" and "CategoryMessageFile" (environment variables
  // expanded) are loaded. The category file is loaded only when its text
  // differs from the event file's (compared exactly), so a source naming one
  // file for both has no separate category module. Files that cannot be
  // loaded leave their module empty.
  explicit CMessageModule(const wchar_t* name);
  ~CMessageModule();
  CMessageModule(const CMessageModule&) = delete;
  CMessageModule& operator=(const CMessageModule&) = delete;

  void Unload();

  bool HasMessageModule() const { return m_hMessageModule != nullptr; }
  bool HasCategoryModule() const { return m_hCategoryModule != nullptr; }

  // The message in the user's default language with its line breaks ignored;
  // `arguments` are the texts of %1, %2, ... and end with a null entry, and
  // without them the insertions stay as written. The category module answers
  // when asked for and loaded, else the message module. `text` is empty on
  // any failure, which is returned (the message module's error, or
  // HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE) without a module).
  HRESULT GetMessageText(CBstr& text, DWORD messageId, const LPCWSTR* arguments, bool useCategoryModule) const;

 private:
  void Load();

  CBstr m_strName;
  HMODULE m_hMessageModule = nullptr;
  HMODULE m_hCategoryModule = nullptr;
};

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_MESSAGE_MODULE_H_
