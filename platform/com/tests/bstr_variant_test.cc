#include <gtest/gtest.h>

#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"

namespace {

TEST(Bstr, KeepsItsLengthInFrontATerminatorBehindAndMayReallocateFromItself) {
  BSTR text = SysAllocStringLen(L"ab\0cd", 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(SysStringByteLen(text), 5 * sizeof(wchar_t));
  EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(text)[-1], 5 * sizeof(wchar_t));
  EXPECT_EQ(std::wstring(text, 6), std::wstring(L"ab\0cd\0", 6));
  SysFreeString(text);
  BSTR zeroed = SysAllocStringLen(nullptr, 3);
  EXPECT_EQ(SysStringLen(zeroed), 3u);
  EXPECT_EQ(zeroed[0], L'\0');
  SysFreeString(zeroed);

  text = SysAllocString(L"hello world");
  ASSERT_TRUE(SysReAllocString(&text, text + 6));
  EXPECT_STREQ(text, L"world");
  EXPECT_EQ(SysStringLen(text), 5u);
  ASSERT_TRUE(SysReAllocString(&text, nullptr));
  EXPECT_EQ(SysStringLen(text), 0u);
  SysFreeString(text);
  EXPECT_FALSE(SysReAllocString(nullptr, L"x"));
}

class Counted final : public ComObject<IUnknown> {
 public:
  explicit Counted(bool* destroyed) : destroyed_(destroyed) {}
  ~Counted() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

TEST(Variant, CopyDuplicatesStringsAndCountsObjects) {
  VARIANT text{};
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"alias");
  VARIANT copy{};
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_STREQ(copy.bstrVal, L"alias");
  EXPECT_EQ(VariantClear(&text), S_OK);
  EXPECT_EQ(text.vt, VT_EMPTY);

  bool destroyed = false;
  VARIANT object{};
  object.vt = VT_UNKNOWN;
  object.punkVal = MakeComObject<Counted>(&destroyed).Detach();
  // Copying over a string frees the string and counts the object once more.
  ASSERT_EQ(VariantCopy(&copy, &object), S_OK);
  EXPECT_EQ(copy.punkVal, object.punkVal);
  VariantClear(&object);
  EXPECT_FALSE(destroyed);
  VariantClear(&copy);
  EXPECT_TRUE(destroyed);
}

TEST(SafeArray, BoundsFollowTheLowerBoundAndAnEmptyArrayHoldsNothing) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, -2, 3);
  ASSERT_NE(array, nullptr);
  LONG lower = 0;
  LONG upper = 0;
  ASSERT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(lower, -2);
  EXPECT_EQ(upper, 0);
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);
  for (LONG i = -2; i <= 0; ++i) {
    LONG value = i * 10;
    ASSERT_EQ(SafeArrayPutElement(array, &i, &value), S_OK);
  }
  LONG value = 99;
  for (LONG outside : {1, -3}) {
    EXPECT_EQ(SafeArrayPutElement(array, &outside, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetElement(array, &outside, &value), DISP_E_BADINDEX);
  }
  LONG index = -1;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &value), S_OK);
  EXPECT_EQ(value, -10);
  // A locked array is not destroyed.
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);

  SAFEARRAY* empty = SafeArrayCreateVector(VT_UI1, 0, 0);
  ASSERT_EQ(SafeArrayGetUBound(empty, 1, &upper), S_OK);
  EXPECT_EQ(upper, -1);
  LONG zero = 0;
  BYTE byte = 0;
  EXPECT_EQ(SafeArrayGetElement(empty, &zero, &byte), DISP_E_BADINDEX);
  SafeArrayDestroy(empty);

  SAFEARRAYBOUND two[2] = {{1, 0}, {1, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, two), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_R8, 0, 1), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_UI1, 0x7FFFFFFF, 2), nullptr);  // the upper bound would not fit a LONG
}

TEST(SafeArray, VariantElementsAreCopiedInAndOutAndFreedWithTheArray) {
  bool destroyed = false;
  VARIANT array_variant{};
  array_variant.vt = VT_ARRAY | VT_VARIANT;
  array_variant.parray = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  ASSERT_NE(array_variant.parray, nullptr);
  VARIANT element{};
  element.vt = VT_UNKNOWN;
  element.punkVal = MakeComObject<Counted>(&destroyed).Detach();
  LONG index = 1;
  ASSERT_EQ(SafeArrayPutElement(array_variant.parray, &index, &element), S_OK);
  VariantClear(&element);
  VARIANT copy{};
  ASSERT_EQ(VariantCopy(&copy, &array_variant), S_OK);
  EXPECT_NE(copy.parray, array_variant.parray);
  VariantClear(&array_variant);
  EXPECT_FALSE(destroyed);

  VARIANT out;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &out), S_OK);
  EXPECT_EQ(out.vt, VT_UNKNOWN);
  VariantClear(&out);
  index = 0;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &out), S_OK);
  EXPECT_EQ(out.vt, VT_EMPTY);
  VariantClear(&copy);
  EXPECT_TRUE(destroyed);
}

}  // namespace
