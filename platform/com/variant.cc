#include "platform/com/variant.h"

#include "platform/com/dispatch.h"
#include "platform/com/safearray.h"
#include "platform/com/unknown.h"

namespace {

bool IsKnownScalarType(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R8:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_UI1:
      return true;
    default:
      return false;
  }
}

bool IsKnownType(VARTYPE vt) {
  if ((vt & VT_ARRAY) != 0) return (vt & ~(VT_ARRAY | VT_TYPEMASK)) == 0;
  return IsKnownScalarType(vt);
}

}  // namespace

void VariantInit(VARIANT* variant) {
  variant->vt = VT_EMPTY;
  variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
  variant->dblVal = 0;
}

HRESULT VariantClear(VARIANT* variant) {
  if (variant == nullptr) return E_INVALIDARG;
  if (!IsKnownType(variant->vt)) return DISP_E_BADVARTYPE;
  if ((variant->vt & VT_ARRAY) != 0) {
    HRESULT hr = SafeArrayDestroy(variant->parray);
    if (FAILED(hr)) return hr;
  } else if (variant->vt == VT_BSTR) {
    SysFreeString(variant->bstrVal);
  } else if (variant->vt == VT_UNKNOWN) {
    if (variant->punkVal != nullptr) variant->punkVal->Release();
  } else if (variant->vt == VT_DISPATCH) {
    if (variant->pdispVal != nullptr) variant->pdispVal->Release();
  }
  VariantInit(variant);
  return S_OK;
}
