#include "TmMsgExtractor/diagnostics/variant.h"

#include "platform/com/hresult.h"

CVariant& CVariant::operator=(LONG value) {
  switch (m_value.vt) {
    case VT_I4:
      m_value.lVal = value;
      break;
    case VT_ERROR:
      m_value.scode = value;
      break;
    case VT_BOOL:
      m_value.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      VariantClear(&m_value);
      m_value.vt = VT_I4;
      m_value.lVal = value;
      break;
  }
  return *this;
}

CVariant& CVariant::operator=(SHORT value) {
  if (m_value.vt != VT_I2) {
    VariantClear(&m_value);
    m_value.vt = VT_I2;
  }
  m_value.iVal = value;
  return *this;
}

CVariant& CVariant::operator=(bool value) {
  if (m_value.vt != VT_BOOL) {
    VariantClear(&m_value);
    m_value.vt = VT_BOOL;
  }
  m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return *this;
}

CVariant& CVariant::operator=(const CBstr& text) {
  BSTR copy = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.Length()));
  if (copy == nullptr) throw E_OUTOFMEMORY;
  VariantClear(&m_value);
  m_value.vt = VT_BSTR;
  m_value.bstrVal = copy;
  return *this;
}

VARIANT* CVariant::Receive() {
  VariantClear(&m_value);
  return &m_value;
}
