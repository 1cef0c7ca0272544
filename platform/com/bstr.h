// Automation strings: wide text with its length in bytes stored in the 32-bit
// word before the first character and a terminating zero after the last, so a
// BSTR can be used as a plain wide string and may hold embedded zeros. A null
// BSTR is the empty string.
#ifndef KORVEL_PLATFORM_COM_BSTR_H_
#define KORVEL_PLATFORM_COM_BSTR_H_

#include "platform/wintypes.h"

using OLECHAR = wchar_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

// A copy of a terminated text; null for a null text or when memory runs out.
BSTR SysAllocString(LPCOLESTR text);

// A string of `length` characters copied from text, or zero-filled when text is
// null; null when memory runs out.
BSTR SysAllocStringLen(LPCOLESTR text, UINT length);

void SysFreeString(BSTR bstr);

// Length in characters; 0 for null.
UINT SysStringLen(BSTR bstr);

#endif  // KORVEL_PLATFORM_COM_BSTR_H_
