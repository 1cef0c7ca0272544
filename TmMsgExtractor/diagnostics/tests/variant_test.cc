#include "TmMsgExtractor/diagnostics/variant.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CVariant, IntegerKeepsIntegerErrorAndBooleanTypesAndReplacesOthers) {
  CVariant v;
  v = true;
  v = static_cast<LONG>(5);
  EXPECT_EQ(v->vt, VT_BOOL);
  EXPECT_EQ(v->boolVal, VARIANT_TRUE);

  v.Receive()->vt = VT_ERROR;
  v = static_cast<LONG>(-3);
  EXPECT_EQ(v->vt, VT_ERROR);
  EXPECT_EQ(v->scode, -3);

  v = CBstr(L"text");
  v = static_cast<LONG>(9);
  EXPECT_EQ(v->vt, VT_I4);
  EXPECT_EQ(v->lVal, 9);
  v = static_cast<SHORT>(1);
  EXPECT_EQ(v->vt, VT_I2);
}

TEST(CVariant, StringIsAnIndependentCopyAndNeverNull) {
  CVariant v;
  CBstr text(L"alias");
  v = text;
  text = L"changed";
  ASSERT_EQ(v->vt, VT_BSTR);
  EXPECT_EQ(std::wstring(v->bstrVal), L"alias");
  v = CBstr();
  ASSERT_NE(v->bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(v->bstrVal), 0u);
}

}  // namespace
