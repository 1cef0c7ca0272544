// CVariant: an automation variant that clears itself on every way out of the
// scope that holds it, with the platform's assignment rules.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_VARIANT_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_VARIANT_H_

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/com/variant.h"
#include "platform/wintypes.h"

class CVariant {
 public:
  CVariant() { VariantInit(&m_value); }
  ~CVariant() { VariantClear(&m_value); }
  CVariant(const CVariant&) = delete;
  CVariant& operator=(const CVariant&) = delete;

  // An integer keeps the type of a variant that already holds a 32-bit
  // integer, an error code or a Boolean (as -1 for non-zero, 0 for zero);
  // any other variant is cleared and becomes a 32-bit integer.
  CVariant& operator=(LONG value);
  // A 16-bit integer keeps a 16-bit variant, otherwise clears it first.
  CVariant& operator=(SHORT value);
  // A Boolean keeps a Boolean variant, otherwise clears it first.
  CVariant& operator=(bool value);
  // Clears the variant and stores a copy of the text (a real empty text for
  // an empty string). Throws E_OUTOFMEMORY.
  CVariant& operator=(const CBstr& text);

  VARIANT* Get() { return &m_value; }
  const VARIANT* Get() const { return &m_value; }
  const VARIANT* operator->() const { return &m_value; }

  // For an out parameter: clears what is held and hands out the variant.
  VARIANT* Receive();

 private:
  VARIANT m_value;
};

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_VARIANT_H_
