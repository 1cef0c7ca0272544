// CPropertyRequest: one GetMany call on a store object, asking for several
// properties at once and reading the answer, whatever shape the store gives
// it, without ever indexing outside it.
//
//   CPropertyRequest request({QOP_ALIAS});
//   hr = spMailUser->GetMany(request.Tags(), request.ReceiveValues());
//   if (SUCCEEDED(hr)) hr = request.CheckValues();
//   const VARIANT& alias = request.Value(0);
#ifndef KORVEL_TMMSGEXTRACTOR_PROPERTYREQUEST_H_
#define KORVEL_TMMSGEXTRACTOR_PROPERTYREQUEST_H_

#include <initializer_list>

#include "TmMsgExtractor/diagnostics/variant.h"
#include "korvel/zad/zad.h"
#include "platform/com/variant.h"

class CPropertyRequest {
 public:
  // Throws E_OUTOFMEMORY.
  explicit CPropertyRequest(std::initializer_list<QOPROPTAG> tags);
  ~CPropertyRequest();
  CPropertyRequest(const CPropertyRequest&) = delete;
  CPropertyRequest& operator=(const CPropertyRequest&) = delete;

  // The tags, a one-dimensional VT_ARRAY|VT_VARIANT of VT_I4 values.
  VARIANT* Tags() { return m_varTags.Get(); }
  // For GetMany's out parameter: whatever an earlier answer held is freed.
  VARIANT* ReceiveValues();

  // E_INVALIDARG unless the answer is a one-dimensional VT_ARRAY|VT_VARIANT
  // with at least one entry per tag; only then may Value be called.
  HRESULT CheckValues();
  // The answer for the tag at `index` in the order asked.
  const VARIANT& Value(int index) const { return m_pValues[index]; }

 private:
  void ReleaseValues();

  CVariant m_varTags;
  CVariant m_varValues;
  int m_nTags = 0;
  const VARIANT* m_pValues = nullptr;  // the answer's elements while it is accessed
};

#endif  // KORVEL_TMMSGEXTRACTOR_PROPERTYREQUEST_H_
