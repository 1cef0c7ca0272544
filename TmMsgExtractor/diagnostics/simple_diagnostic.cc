#include "TmMsgExtractor/diagnostics/simple_diagnostic.h"

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "korvel/logmgr/logmgr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/runtime.h"
#include "platform/com/variant.h"

namespace {

void SetLong(VARIANT* argument, LONG value) {
  VariantInit(argument);
  argument->vt = VT_I4;
  argument->lVal = value;
}

}  // namespace

HRESULT SendSimpleDiagnostic(const wchar_t* text, const wchar_t* file, const wchar_t* line, const wchar_t* code) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(kLogManagerProgId, &clsid);
  if (FAILED(hr)) return hr;
  ComPtr<IDispatch> spLogMgr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, UuidOf<IDispatch>(),
                        spLogMgr.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr)) return hr;
  wchar_t method_name[] = L"WriteSimpleDiagnostic";
  LPOLESTR names[] = {method_name};
  DISPID dispid = DISPID_UNKNOWN;
  hr = spLogMgr->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
  if (FAILED(hr)) return hr;

  CBstr message(text);
  for (const wchar_t* part : {file, line, code}) {
    if (part != nullptr) message += CBstr(L" ") + part;
  }
  BSTR message_copy = SysAllocStringLen(message.c_str(), static_cast<UINT>(message.Length()));
  if (message_copy == nullptr) throw E_OUTOFMEMORY;

  // Arguments go in reverse order: WriteSimpleDiagnostic(-1, -1, message, -1).
  VARIANTARG arguments[4];
  SetLong(&arguments[0], -1);
  VariantInit(&arguments[1]);
  arguments[1].vt = VT_BSTR;
  arguments[1].bstrVal = message_copy;
  SetLong(&arguments[2], -1);
  SetLong(&arguments[3], -1);
  DISPPARAMS params{arguments, nullptr, 4, 0};
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  hr = spLogMgr->Invoke(dispid, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception,
                        &bad_argument);
  if (hr == DISP_E_EXCEPTION) hr = exception.scode;
  ClearExcepInfo(&exception);
  for (VARIANTARG& argument : arguments) VariantClear(&argument);
  return hr;
}
