// CLogMgrClient: the link between one program module and the central log
// manager. It starts the log manager, registers the module and writes trace
// lines with a level, which the log manager stores with the module's handle.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_LOGMGR_CLIENT_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_LOGMGR_CLIENT_H_

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "korvel/logmgr/logmgr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/hresult.h"
#include "platform/wintypes.h"

// Trace levels; the numbers travel to the log manager unchanged.
constexpr LONG LOG_LEVEL_METHOD = 0;
constexpr LONG LOG_LEVEL_INFO = 11;
constexpr LONG LOG_LEVEL_ERROR = 17;

// What every log manager operation answers before Initialize has succeeded.
constexpr HRESULT E_LOG_NOT_INITIALIZED = MakeHresult(0x80042516);

class CLogMgrClient {
 public:
  CLogMgrClient() = default;
  virtual ~CLogMgrClient();
  CLogMgrClient(const CLogMgrClient&) = delete;
  CLogMgrClient& operator=(const CLogMgrClient&) = delete;

  // Either name may be null; the log manager here keys lines by module only,
  // so the application name is not sent. Without `existingObject` the log manager is
  // created and started; with one, its log interface is used. A second call
  // changes nothing. A module name the log manager refuses is not an error:
  // its lines then carry module handle 0.
  HRESULT Initialize(const wchar_t* applicationName, const wchar_t* moduleName, IUnknown* existingObject);
  HRESULT Initialize(const CBstr& applicationName, const CBstr& moduleName, IUnknown* existingObject);

  // Lets the log manager go; always S_OK.
  HRESULT Uninitialize();

  virtual HRESULT IsLevelEnabled(LONG level, bool* enabled);

  // printf-style with the wide conventions of FormatWide. The text sent is
  // cut after 1024 characters. E_LOG_NOT_INITIALIZED, writing nothing, before
  // Initialize. Throws E_OUTOFMEMORY.
  HRESULT Trace(LONG level, const wchar_t* format, ...);

 private:
  bool m_bInitialized = false;
  ComPtr<IQoLogMgr> m_spLogMgr;
  DWORD m_dwModuleHandle = 0;
};

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_LOGMGR_CLIENT_H_
