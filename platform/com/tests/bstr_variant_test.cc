#include <gtest/gtest.h>

#include "platform/com/com_object.h"
#include "platform/com/safearray.h"
#include "platform/com/variant.h"

namespace {

class Counted final : public ComObject<IUnknown> {
 public:
  explicit Counted(bool* destroyed) : destroyed_(destroyed) {}
  ~Counted() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

TEST(Variant, CopyDuplicatesStringsAndCountsObjectsAlsoInsideArrays) {
  VARIANT text{};
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"alias");
  VARIANT copy{};
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_STREQ(copy.bstrVal, L"alias");
  EXPECT_EQ(VariantClear(&text), S_OK);
  EXPECT_EQ(text.vt, VT_EMPTY);

  // An object in an array of variants: copying the array (over a string,
  // which is freed) counts it once more; it lives until the last copy goes.
  bool destroyed = false;
  VARIANT array{};
  array.vt = VT_ARRAY | VT_VARIANT;
  array.parray = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  ASSERT_NE(array.parray, nullptr);
  VARIANT* elements = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array.parray, reinterpret_cast<void**>(&elements)), S_OK);
  elements[1].vt = VT_UNKNOWN;
  elements[1].punkVal = MakeComObject<Counted>(&destroyed).Detach();
  ASSERT_EQ(SafeArrayUnaccessData(array.parray), S_OK);
  ASSERT_EQ(VariantCopy(&copy, &array), S_OK);
  EXPECT_NE(copy.parray, array.parray);
  VariantClear(&array);
  EXPECT_FALSE(destroyed);
  ASSERT_EQ(SafeArrayAccessData(copy.parray, reinterpret_cast<void**>(&elements)), S_OK);
  EXPECT_EQ(elements[0].vt, VT_EMPTY);
  EXPECT_EQ(elements[1].vt, VT_UNKNOWN);
  ASSERT_EQ(SafeArrayUnaccessData(copy.parray), S_OK);
  VariantClear(&copy);
  EXPECT_TRUE(destroyed);
}

}  // namespace
