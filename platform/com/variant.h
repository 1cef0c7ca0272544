// The automation variant: a type tag and a value of that type. A variant owns
// what it holds (a string, an object reference, an array), so it must be
// released with VariantClear.
#ifndef KORVEL_PLATFORM_COM_VARIANT_H_
#define KORVEL_PLATFORM_COM_VARIANT_H_

#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/hresult.h"
#include "platform/wintypes.h"

class IUnknown;
class IDispatch;
struct SAFEARRAY;

using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
// Days since 1899-12-30 00:00; the fraction is the time of day.
using DATE = double;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_DATE = 7;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_ERROR = 10;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_UI1 = 17;
// Combined with an element type: the variant holds a SAFEARRAY of it.
constexpr VARTYPE VT_ARRAY = 0x2000;
constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
  };
};

using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;

// Makes the variant VT_EMPTY without looking at what it held.
void VariantInit(VARIANT* variant);

// Frees what the variant holds and makes it VT_EMPTY. DISP_E_BADVARTYPE for a
// type tag this runtime does not know; the variant is then left as it was.
HRESULT VariantClear(VARIANT* variant);

#endif  // KORVEL_PLATFORM_COM_VARIANT_H_
