#include "platform/com/safearray.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

constexpr USHORT FADF_VARIANT = 0x0800;

ULONG ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_VARIANT:
      return sizeof(VARIANT);
    case VT_UI1:
      return sizeof(BYTE);
    case VT_I4:
      return sizeof(LONG);
    default:
      return 0;
  }
}

bool BoundsFit(const SAFEARRAYBOUND& bound) {
  std::int64_t upper = std::int64_t{bound.lLbound} + bound.cElements - 1;
  return upper >= std::numeric_limits<LONG>::min() && upper <= std::numeric_limits<LONG>::max();
}

void ClearVariants(SAFEARRAY* array) {
  if (array->vt != VT_VARIANT) return;
  auto* elements = static_cast<VARIANT*>(array->pvData);
  for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) VariantClear(&elements[i]);
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds) {
  if (dims != 1 || bounds == nullptr || !BoundsFit(bounds[0])) return nullptr;
  ULONG element_size = ElementSize(vt);
  if (element_size == 0) return nullptr;
  auto* array = new (std::nothrow) SAFEARRAY{};
  if (array == nullptr) return nullptr;
  // calloc checks count * size for overflow and gives zeroed elements, which
  // are valid VT_EMPTY variants.
  array->pvData = std::calloc(bounds[0].cElements == 0 ? 1 : bounds[0].cElements, element_size);
  if (array->pvData == nullptr) {
    delete array;
    return nullptr;
  }
  array->cDims = 1;
  array->fFeatures = vt == VT_VARIANT ? FADF_VARIANT : 0;
  array->cbElements = element_size;
  array->rgsabound[0] = bounds[0];
  array->vt = vt;
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower_bound, ULONG count) {
  SAFEARRAYBOUND bound{count, lower_bound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks != 0) return DISP_E_ARRAYISLOCKED;
  ClearVariants(array);
  std::free(array->pvData);
  delete array;
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  ++array->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  SafeArrayLock(array);
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }

UINT SafeArrayGetDim(SAFEARRAY* array) { return array == nullptr ? 0 : array->cDims; }

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (array == nullptr || vt == nullptr) return E_INVALIDARG;
  *vt = array->vt;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *bound = array->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *bound = static_cast<LONG>(std::int64_t{array->rgsabound[0].lLbound} + array->rgsabound[0].cElements - 1);
  return S_OK;
}
