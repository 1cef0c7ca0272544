#include "TmMsgExtractor/diagnostics/variant.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CVariant, IntegerKeepsIntegerErrorAndBooleanTypes) {
  CVariant v;
  v = static_cast<LONG>(7);
  EXPECT_EQ(v->vt, VT_I4);
  EXPECT_EQ(v->lVal, 7);

  v = true;
  v = static_cast<LONG>(5);
  EXPECT_EQ(v->vt, VT_BOOL);
  EXPECT_EQ(v->boolVal, VARIANT_TRUE);
  v = static_cast<LONG>(0);
  EXPECT_EQ(v->boolVal, VARIANT_FALSE);

  v.Receive()->vt = VT_ERROR;
  v = static_cast<LONG>(-3);
  EXPECT_EQ(v->vt, VT_ERROR);
  EXPECT_EQ(v->scode, -3);

  v = CBstr(L"text");
  v = static_cast<LONG>(9);
  EXPECT_EQ(v->vt, VT_I4);
  EXPECT_EQ(v->lVal, 9);
}

TEST(CVariant, BooleanAndStringReplaceOtherTypes) {
  CVariant v;
  v = static_cast<LONG>(1);
  v = false;
  EXPECT_EQ(v->vt, VT_BOOL);
  EXPECT_EQ(v->boolVal, VARIANT_FALSE);

  CBstr text(L"alias");
  v = text;
  text = L"changed";
  ASSERT_EQ(v->vt, VT_BSTR);
  EXPECT_EQ(std::wstring(v->bstrVal), L"alias");

  v = CBstr();
  ASSERT_EQ(v->vt, VT_BSTR);
  ASSERT_NE(v->bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(v->bstrVal), 0u);
}

}  // namespace
