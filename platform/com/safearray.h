// One-dimensional automation arrays of VARIANT, BYTE (VT_UI1) or LONG (VT_I4)
// elements, with the platform's lower bound and lock count.
#ifndef KORVEL_PLATFORM_COM_SAFEARRAY_H_
#define KORVEL_PLATFORM_COM_SAFEARRAY_H_

#include "platform/com/hresult.h"
#include "platform/com/variant.h"
#include "platform/wintypes.h"

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
  VARTYPE vt;
};

// Null for more than one dimension, an element type other than VT_VARIANT,
// VT_UI1 or VT_I4, bounds whose upper end does not fit a LONG, or no memory.
// Elements start zeroed (VT_EMPTY for variants).
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower_bound, ULONG count);

// Frees the array and clears its variants; DISP_E_ARRAYISLOCKED while locked.
HRESULT SafeArrayDestroy(SAFEARRAY* array);

HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);

// Locks the array and hands out its elements; UnaccessData unlocks it.
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);

UINT SafeArrayGetDim(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);

// Bounds of dimension 1 (the only one); an empty array's upper bound is one
// below its lower bound.
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);

#endif  // KORVEL_PLATFORM_COM_SAFEARRAY_H_
