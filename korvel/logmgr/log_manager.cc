// The log manager component: the log interface for trace lines and the
// automation method for exception diagnostics.
#include <unistd.h>

#include <array>
#include <cwctype>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "korvel/logmgr/json_line.h"
#include "platform/json/json_text.h"
#include "korvel/logmgr/log_file.h"
#include "korvel/logmgr/logmgr.h"
#include "platform/com/com_object.h"
#include "platform/com/dispatch.h"
#include "platform/com/runtime.h"

namespace korvel::logmgr {

namespace {

constexpr DISPID kWriteSimpleDiagnostic = 1;
constexpr wchar_t kWriteSimpleDiagnosticName[] = L"WriteSimpleDiagnostic";
constexpr UINT kDiagnosticArgumentCount = 4;
constexpr UINT kDiagnosticTextPosition = 2;

bool SameNameIgnoringCase(const wchar_t* a, const wchar_t* b) {
  for (; *a != L'\0' && *b != L'\0'; ++a, ++b) {
    if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) return false;
  }
  return *a == *b;
}

std::optional<LONG> IntegerArgument(const VARIANT& value) {
  switch (value.vt) {
    case VT_I4:
      return value.lVal;
    case VT_I2:
      return value.iVal;
    case VT_UI1:
      return value.bVal;
    default:
      return std::nullopt;
  }
}

class LogManager final : public ComObject<IQoLogMgr, IDispatch> {
 public:
  HRESULT Startup() override {
    std::lock_guard lock(mutex_);
    if (file_) return S_OK;
    return LogFile::Open(LogFilePath(), &file_);
  }

  HRESULT RegisterModule(BSTR module_name, DWORD* module_handle) override {
    if (module_handle == nullptr) return E_POINTER;
    *module_handle = 0;
    std::lock_guard lock(mutex_);
    if (!file_) return E_UNEXPECTED;
    modules_.emplace_back(module_name, SysStringLen(module_name));
    *module_handle = static_cast<DWORD>(modules_.size());
    return S_OK;
  }

  HRESULT IsLevelEnabled(DWORD, LONG, BOOL* enabled) override {
    if (enabled == nullptr) return E_POINTER;
    std::lock_guard lock(mutex_);
    *enabled = file_ ? TRUE : FALSE;
    return file_ ? S_OK : E_UNEXPECTED;
  }

  HRESULT Write(DWORD module_handle, LONG level, BSTR text, LONG) override {
    std::lock_guard lock(mutex_);
    if (!file_) return E_UNEXPECTED;
    std::wstring_view module;
    if (module_handle >= 1 && module_handle <= modules_.size()) module = modules_[module_handle - 1];
    return file_->AppendLine(TraceLine(json_text::CurrentUtcTime(), getpid(), module, module_handle, level,
                                       std::wstring_view(text, SysStringLen(text))));
  }

  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT name_count, LCID, DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    // The method takes no named arguments, so only the method's own name is known.
    HRESULT hr = S_OK;
    for (UINT i = 0; i < name_count; ++i) {
      bool known = i == 0 && names[i] != nullptr && SameNameIgnoringCase(names[i], kWriteSimpleDiagnosticName);
      ids[i] = known ? kWriteSimpleDiagnostic : DISPID_UNKNOWN;
      if (!known) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                 UINT* bad_argument) override {
    if (result != nullptr) VariantInit(result);
    if (id != kWriteSimpleDiagnostic || (flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params == nullptr) return E_INVALIDARG;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (params->cArgs != kDiagnosticArgumentCount) return DISP_E_BADPARAMCOUNT;

    std::array<LONG, 3> numbers{};
    std::size_t next_number = 0;
    std::wstring_view text;
    for (UINT position = 0; position < kDiagnosticArgumentCount; ++position) {
      const VARIANT& argument = *DispatchArgument(params, position);
      std::optional<LONG> number = IntegerArgument(argument);
      bool fits = position == kDiagnosticTextPosition ? argument.vt == VT_BSTR : number.has_value();
      if (!fits) {
        if (bad_argument != nullptr) *bad_argument = params->cArgs - 1 - position;
        return DISP_E_TYPEMISMATCH;
      }
      if (position == kDiagnosticTextPosition) {
        text = std::wstring_view(argument.bstrVal, SysStringLen(argument.bstrVal));
      } else {
        numbers[next_number++] = *number;
      }
    }

    // A fresh instance writes its one diagnostic without Startup, so it opens
    // the file for this line only.
    std::unique_ptr<LogFile> file;
    HRESULT hr = LogFile::Open(LogFilePath(), &file);
    if (SUCCEEDED(hr)) hr = file->AppendLine(DiagnosticLine(json_text::CurrentUtcTime(), getpid(), text, numbers));
    if (FAILED(hr)) {
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(kLogManagerProgId);
        exception->bstrDescription = SysAllocString(L"The log file cannot be written.");
        exception->scode = hr;
      }
      return DISP_E_EXCEPTION;
    }
    return S_OK;
  }

 private:
  std::mutex mutex_;
  std::unique_ptr<LogFile> file_;
  std::vector<std::wstring> modules_;
};

HRESULT CreateLogManager(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComPtr<LogManager> manager = MakeComObject<LogManager>();
  if (!manager) return E_OUTOFMEMORY;
  return manager->QueryInterface(iid, object);
}

}  // namespace

void RegisterClasses() { CoRegisterComponentClass(UuidOf<QoLogMgr>(), kLogManagerProgId, CreateLogManager); }

}  // namespace korvel::logmgr
