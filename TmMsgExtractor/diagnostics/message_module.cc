#include "TmMsgExtractor/diagnostics/message_module.h"

#include <cwchar>
#include <new>
#include <vector>

#include "TmMsgExtractor/diagnostics/registry_key.h"
#include "platform/eventlog/last_error.h"

namespace {

constexpr DWORD kBufferStep = 512;
constexpr DWORD kUserDefaultLanguage = 0x400;

std::vector<wchar_t> MessageBuffer(DWORD characters) {
  try {
    return std::vector<wchar_t>(characters, L'\0');
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  }
}

}  // namespace

CMessageModule::CMessageModule(const wchar_t* name) : m_strName(name) { Load(); }

CMessageModule::~CMessageModule() { Unload(); }

void CMessageModule::Load() {
  if (m_hMessageModule != nullptr) return;
  if (m_strName.Find(L'.') >= 0) {
    m_hMessageModule = LoadLibraryW(m_strName.c_str());
    return;
  }
  CBstr path(kEventSourcesKey);
  path += m_strName;
  CRegistryKey registration(HKEY_LOCAL_MACHINE, path.c_str(), true);
  CBstr eventFile;
  registration.GetString(L"EventMessageFile", eventFile, true, true);
  m_hMessageModule = LoadLibraryW(eventFile.c_str());
  CBstr categoryFile;
  registration.GetString(L"CategoryMessageFile", categoryFile, true, true);
  if (!categoryFile.IsEmpty() && std::wcscmp(categoryFile.c_str(), eventFile.c_str()) != 0) {
    m_hCategoryModule = LoadLibraryW(categoryFile.c_str());
  }
}

void CMessageModule::Unload() {
  if (m_hMessageModule != nullptr) FreeLibrary(m_hMessageModule);
  if (m_hCategoryModule != nullptr) FreeLibrary(m_hCategoryModule);
  m_hMessageModule = nullptr;
  m_hCategoryModule = nullptr;
}

HRESULT CMessageModule::GetMessageText(CBstr& text, DWORD messageId, const LPCWSTR* arguments,
                                       bool useCategoryModule) const {
  text = static_cast<const wchar_t*>(nullptr);
  HMODULE module = useCategoryModule && m_hCategoryModule != nullptr ? m_hCategoryModule : m_hMessageModule;
  if (module == nullptr) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  const DWORD flags = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_MAX_WIDTH_MASK |
                      (arguments != nullptr ? FORMAT_MESSAGE_ARGUMENT_ARRAY : FORMAT_MESSAGE_IGNORE_INSERTS);
  // The formatter's own limit ends the growth: beyond it the error is no
  // longer ERROR_INSUFFICIENT_BUFFER.
  for (DWORD size = kBufferStep;; size += kBufferStep) {
    std::vector<wchar_t> buffer = MessageBuffer(size);
    if (FormatMessageW(flags, module, messageId, kUserDefaultLanguage, buffer.data(), size - 1, arguments) > 0 ||
        GetLastError() == ERROR_SUCCESS) {
      text = buffer.data();
      return S_OK;
    }
    if (GetLastError() != static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) return HRESULT_FROM_WIN32(GetLastError());
  }
}
