#include <gtest/gtest.h>

#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"

namespace {

TEST(Bstr, KeepsItsLengthInFrontAndATerminatorBehind) {
  BSTR text = SysAllocStringLen(L"ab\0cd", 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(SysStringByteLen(text), 5 * sizeof(wchar_t));
  EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(text)[-1], 5 * sizeof(wchar_t));
  EXPECT_EQ(text[5], L'\0');
  EXPECT_EQ(std::wstring(text, 5), std::wstring(L"ab\0cd", 5));
  SysFreeString(text);

  BSTR zeroed = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(SysStringLen(zeroed), 3u);
  EXPECT_EQ(zeroed[0], L'\0');
  SysFreeString(zeroed);
}

TEST(Bstr, ReallocationMayCopyFromTheStringItReplaces) {
  BSTR text = SysAllocString(L"hello world");
  ASSERT_TRUE(SysReAllocString(&text, text + 6));
  EXPECT_STREQ(text, L"world");
  EXPECT_EQ(SysStringLen(text), 5u);
  ASSERT_TRUE(SysReAllocString(&text, nullptr));
  ASSERT_NE(text, nullptr);
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
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"alias");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_STREQ(copy.bstrVal, L"alias");
  EXPECT_EQ(VariantClear(&text), S_OK);
  EXPECT_EQ(text.vt, VT_EMPTY);

  bool destroyed = false;
  VARIANT object;
  VariantInit(&object);
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

TEST(SafeArray, BoundsFollowTheLowerBound) {
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
  LONG outside = 1;
  LONG value = 99;
  EXPECT_EQ(SafeArrayPutElement(array, &outside, &value), DISP_E_BADINDEX);
  outside = -3;
  EXPECT_EQ(SafeArrayGetElement(array, &outside, &value), DISP_E_BADINDEX);
  LONG index = -1;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &value), S_OK);
  EXPECT_EQ(value, -10);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);

  SAFEARRAY* empty = SafeArrayCreateVector(VT_UI1, 0, 0);
  ASSERT_NE(empty, nullptr);
  ASSERT_EQ(SafeArrayGetUBound(empty, 1, &upper), S_OK);
  EXPECT_EQ(upper, -1);
  LONG zero = 0;
  BYTE byte = 0;
  EXPECT_EQ(SafeArrayGetElement(empty, &zero, &byte), DISP_E_BADINDEX);
  SafeArrayDestroy(empty);
}

TEST(SafeArray, RefusesWhatItCannotHold) {
  SAFEARRAYBOUND two[2] = {{1, 0}, {1, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, two), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_R8, 0, 1), nullptr);
  // The upper bound would not fit a LONG.
  EXPECT_EQ(SafeArrayCreateVector(VT_UI1, 0x7FFFFFFF, 2), nullptr);
}

TEST(SafeArray, LockedArrayIsNotDestroyed) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  static_cast<BYTE*>(data)[3] = 0xAB;
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  LONG index = 3;
  BYTE byte = 0;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &byte), S_OK);
  EXPECT_EQ(byte, 0xAB);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, VariantElementsAreCopiedInAndOutAndFreedWithTheArray) {
  bool destroyed = false;
  VARIANT array_variant;
  VariantInit(&array_variant);
  array_variant.vt = VT_ARRAY | VT_VARIANT;
  array_variant.parray = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  ASSERT_NE(array_variant.parray, nullptr);

  VARIANT element;
  VariantInit(&element);
  element.vt = VT_UNKNOWN;
  element.punkVal = MakeComObject<Counted>(&destroyed).Detach();
  LONG index = 1;
  ASSERT_EQ(SafeArrayPutElement(array_variant.parray, &index, &element), S_OK);
  VariantClear(&element);
  EXPECT_FALSE(destroyed);

  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &array_variant), S_OK);
  EXPECT_NE(copy.parray, array_variant.parray);
  VariantClear(&array_variant);
  EXPECT_FALSE(destroyed);

  VARIANT out;
  index = 0;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &out), S_OK);
  EXPECT_EQ(out.vt, VT_EMPTY);
  index = 1;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &out), S_OK);
  EXPECT_EQ(out.vt, VT_UNKNOWN);
  VariantClear(&out);
  VariantClear(&copy);
  EXPECT_TRUE(destroyed);
}

}  // namespace
