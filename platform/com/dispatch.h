// Calls by name: a component that implements IDispatch maps method names to
// numbers and runs a method from an argument list of variants.
#ifndef KORVEL_PLATFORM_COM_DISPATCH_H_
#define KORVEL_PLATFORM_COM_DISPATCH_H_

#include "platform/com/bstr.h"
#include "platform/com/hresult.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
#include "platform/wintypes.h"

using DISPID = LONG;
using LCID = DWORD;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr LCID LOCALE_USER_DEFAULT = 0x400;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;

// The arguments of one call, in reverse order: rgvarg[0] is the last argument.
struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

// What a method that failed with DISP_E_EXCEPTION tells about the failure; the
// caller frees the strings (ClearExcepInfo).
struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

class IDispatch : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("00020400-0000-0000-c000-000000000046");
  using BaseInterface = IUnknown;

  // One id per name; DISP_E_UNKNOWNNAME (with DISPID_UNKNOWN) for a name the
  // object lacks.
  virtual HRESULT GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT name_count, LCID locale,
                                DISPID* ids) = 0;

  // Runs a method. With DISP_E_EXCEPTION the object's own error code is in
  // exception->scode (when exception is given).
  virtual HRESULT Invoke(DISPID id, REFIID reserved, LCID locale, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) = 0;
};

using LPDISPATCH = IDispatch*;

// The argument at `position` in the method's declared order (0 is the first),
// or null when the call has fewer.
const VARIANTARG* DispatchArgument(const DISPPARAMS* params, UINT position);

// Frees the strings of an exception report and zeroes it.
void ClearExcepInfo(EXCEPINFO* exception);

#endif  // KORVEL_PLATFORM_COM_DISPATCH_H_
