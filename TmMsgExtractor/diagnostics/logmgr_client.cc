#include "TmMsgExtractor/diagnostics/logmgr_client.h"

#include <cstdarg>
#include <new>
#include <string>

#include "TmMsgExtractor/diagnostics/wide_format.h"
#include "platform/com/runtime.h"

namespace {

// The most characters of one trace line the log manager receives.
constexpr size_t kTraceCharacters = 1024;

}  // namespace

CLogMgrClient::~CLogMgrClient() { Uninitialize(); }

HRESULT CLogMgrClient::Initialize(const wchar_t* applicationName, const wchar_t* moduleName,
                                  IUnknown* existingObject) {
  return Initialize(CBstr(applicationName), CBstr(moduleName), existingObject);
}

HRESULT CLogMgrClient::Initialize(const CBstr& /*applicationName*/, const CBstr& moduleName,
                                  IUnknown* existingObject) {
  if (m_bInitialized) return S_OK;
  HRESULT hr = S_OK;
  if (existingObject == nullptr) {
    hr = CoCreateInstance(UuidOf<QoLogMgr>(), nullptr, CLSCTX_INPROC_SERVER, UuidOf<IQoLogMgr>(),
                          m_spLogMgr.ReleaseAndGetVoidAddressOf());
    if (FAILED(hr)) return hr;
    hr = m_spLogMgr->Startup();
    if (FAILED(hr)) return E_FAIL;
  } else {
    // The log manager of this server offers its log interface directly; it
    // has no service-lookup interface through which to ask for it instead.
    hr = existingObject->QueryInterface(UuidOf<IQoLogMgr>(), m_spLogMgr.ReleaseAndGetVoidAddressOf());
    if (FAILED(hr)) return E_FAIL;
  }
  m_bInitialized = true;
  DWORD handle = 0;
  if (SUCCEEDED(m_spLogMgr->RegisterModule(moduleName.Bstr(), &handle))) {
    m_dwModuleHandle = handle;
  }
  return hr;
}

HRESULT CLogMgrClient::Uninitialize() {
  try {
    m_spLogMgr.Reset();
  } catch (...) {
    // A log manager that fails while being let go must not stop the program.
  }
  m_bInitialized = false;
  m_dwModuleHandle = 0;
  return S_OK;
}

HRESULT CLogMgrClient::IsLevelEnabled(LONG level, bool* enabled) {
  if (!m_bInitialized) return E_LOG_NOT_INITIALIZED;
  BOOL answer = FALSE;
  const HRESULT hr = m_spLogMgr->IsLevelEnabled(m_dwModuleHandle, level, &answer);
  *enabled = answer != FALSE;
  return hr;
}

HRESULT CLogMgrClient::Trace(LONG level, const wchar_t* format, ...) {
  if (!m_bInitialized) return E_LOG_NOT_INITIALIZED;
  bool enabled = false;
  const HRESULT hr = IsLevelEnabled(level, &enabled);
  if (FAILED(hr)) return hr;
  if (!enabled) return S_OK;

  va_list args;
  va_start(args, format);
  std::wstring text;
  try {
    text = FormatWideV(format, args);
  } catch (const std::bad_alloc&) {
    va_end(args);
    throw E_OUTOFMEMORY;
  }
  va_end(args);
  if (text.size() > kTraceCharacters) text.resize(kTraceCharacters);
  CBstr line(std::wstring_view{text});
  return m_spLogMgr->Write(m_dwModuleHandle, level, line.Bstr(), -1);
}
