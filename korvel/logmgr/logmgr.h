// The central log manager of the voice-mail server (QoLogMgr): programs
// register a module and write trace lines through its log interface, and
// report exceptions through its automation method WriteSimpleDiagnostic.
//
// Every line goes, as one JSON object per line in UTF-8, to the file named by
// the registry value HKLM\Software\Halvern\QoLogMgr\1.0 "Log File", else to
// QoLogMgr.log in $TMPDIR (or /tmp):
//   {"time":"2024-05-01T12:34:56.789Z","pid":N,"module":"MsgExtractor","handle":N,"level":17,"text":"..."}
//   {"time":"...","pid":N,"diagnostic":"Exception caught ...","args":[-1,-1,-1]}
#ifndef KORVEL_KORVEL_LOGMGR_LOGMGR_H_
#define KORVEL_KORVEL_LOGMGR_LOGMGR_H_

#include <string>

#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/unknown.h"
#include "platform/wintypes.h"

// The log interface.
class IQoLogMgr : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("8a7f3c12-4d6e-4b9a-a1c3-5e2f7d9b0c01");
  using BaseInterface = IUnknown;

  // Opens the log file for appending, creating it when missing. Every other
  // method of this interface is E_UNEXPECTED until this has succeeded.
  virtual HRESULT Startup() = 0;
  // A handle (1, 2, ...) under which the module's lines are written.
  virtual HRESULT RegisterModule(BSTR module_name, DWORD* module_handle) = 0;
  // Every level is written, for every module.
  virtual HRESULT IsLevelEnabled(DWORD module_handle, LONG level, BOOL* enabled) = 0;
  // Appends one line. An unknown handle (such as 0, from a failed
  // registration) is written with an empty module name. Callers pass -1 as
  // `reserved`.
  virtual HRESULT Write(DWORD module_handle, LONG level, BSTR text, LONG reserved) = 0;
};

// The component class: answers IQoLogMgr and IDispatch. Its automation name is
// kLogManagerProgId; its one automation method is
//   WriteSimpleDiagnostic(long, long, BSTR text, long)
// which appends a diagnostic line and, when the file cannot be written, fails
// with DISP_E_EXCEPTION carrying the reason in the exception's scode.
struct QoLogMgr {
  static constexpr CLSID kUuid = MakeGuid("8a7f3c12-4d6e-4b9a-a1c3-5e2f7d9b0c00");
};

inline constexpr wchar_t kLogManagerProgId[] = L"QoLogMgr.QoLogMgr.1";

namespace korvel::logmgr {

// Enters QoLogMgr into the process's component table. A program calls it once
// at start; calling it again changes nothing.
void RegisterClasses();

// The file the log manager writes to, as it would be chosen now.
std::string LogFilePath();

}  // namespace korvel::logmgr

#endif  // KORVEL_KORVEL_LOGMGR_LOGMGR_H_
