// Numbers as the export writes them, whatever shape the engine handed them
// over in; the export runs through two engines pin the rest.
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/cell_text.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_engine {
namespace {

// Decimals lose only the zeros of their scale; floating-point numbers keep
// fifteen digits; anything else stays as it came.
TEST(CellTextTest, NumbersInEveryShape) {
  const std::pair<const char16_t*, const char*> exact[] = {
      {u"4.00", "4"}, {u"-12.50", "-12.5"}, {u"-0.00", "0"}, {u"1.5E+3", "1500"},
      {u"123456789012345678901234.50", "123456789012345678901234.5"}, {u"1.2.3", "1.2.3"}, {u"12 ", "12 "}};
  for (const auto& [text, expected] : exact) EXPECT_EQ(ExactNumberText(text), expected);
  EXPECT_EQ(ApproximateNumberText(QStringView(u"0.30000000000000004")), "0.3");
  EXPECT_EQ(ApproximateNumberText(QStringView(u"1.0e+20")), "1e+20");
}

}  // namespace
}  // namespace export_engine
