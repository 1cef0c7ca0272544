#include "TmMsgExtractor/PropertyRequest.h"

#include "platform/com/safearray.h"

CPropertyRequest::CPropertyRequest(std::initializer_list<QOPROPTAG> tags) : m_nTags(static_cast<int>(tags.size())) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(tags.size()));
  if (array == nullptr) throw E_OUTOFMEMORY;
  VARIANT* tagVariants = nullptr;
  if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&tagVariants)))) {
    SafeArrayDestroy(array);
    throw E_OUTOFMEMORY;
  }
  int i = 0;
  for (QOPROPTAG tag : tags) {
    tagVariants[i].vt = VT_I4;
    tagVariants[i].lVal = tag;
    ++i;
  }
  SafeArrayUnaccessData(array);
  VARIANT* holder = m_varTags.Receive();
  holder->vt = VT_ARRAY | VT_VARIANT;
  holder->parray = array;
}

CPropertyRequest::~CPropertyRequest() { ReleaseValues(); }

VARIANT* CPropertyRequest::ReceiveValues() {
  ReleaseValues();
  return m_varValues.Receive();
}

HRESULT CPropertyRequest::CheckValues() {
  ReleaseValues();
  const VARIANT& answer = *m_varValues.Get();
  if (answer.vt != (VT_ARRAY | VT_VARIANT) || answer.parray == nullptr) return E_INVALIDARG;
  SAFEARRAY* array = answer.parray;
  VARTYPE elementType = VT_EMPTY;
  LONG lower = 0;
  LONG upper = -1;
  if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetVartype(array, &elementType)) ||
      elementType != VT_VARIANT || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return E_INVALIDARG;
  }
  if (static_cast<long long>(upper) - lower + 1 < m_nTags) return E_INVALIDARG;
  void* elements = nullptr;
  if (FAILED(SafeArrayAccessData(array, &elements))) return E_INVALIDARG;
  m_pValues = static_cast<const VARIANT*>(elements);
  return S_OK;
}

// The answer must be unlocked before it can be freed.
void CPropertyRequest::ReleaseValues() {
  if (m_pValues == nullptr) return;
  SafeArrayUnaccessData(m_varValues.Get()->parray);
  m_pValues = nullptr;
}
