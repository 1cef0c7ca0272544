// Numbers and truth values as the export writes them, whatever shape the
// engine handed them over in.
#include <QVariant>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/cell_text.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_engine {
namespace {

TEST(CellTextTest, DecimalsLoseOnlyTheZerosOfTheirScale) {
  EXPECT_EQ(ExactNumberText(u"4.00"), "4");
  EXPECT_EQ(ExactNumberText(u"-12.50"), "-12.5");
  EXPECT_EQ(ExactNumberText(u"1033"), "1033");
  EXPECT_EQ(ExactNumberText(u"100"), "100");
  EXPECT_EQ(ExactNumberText(u"-0.00"), "0");
  EXPECT_EQ(ExactNumberText(u"123456789012345678901234.50"), "123456789012345678901234.5");
  EXPECT_EQ(ExactNumberText(u"1.5E+3"), "1500");
  for (const char16_t* text : {u"", u"abc", u"1.2.3", u"-", u"12 "}) EXPECT_EQ(ExactNumberText(text), QString::fromUtf16(text));
}

TEST(CellTextTest, FloatingPointNumbersKeepFifteenDigits) {
  EXPECT_EQ(ApproximateNumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(ApproximateNumberText(u"0.30000000000000004"), "0.3");
  EXPECT_EQ(ApproximateNumberText(u"4.0"), "4");
  EXPECT_EQ(ApproximateNumberText(u"1.0e+20"), "1e+20");
  EXPECT_EQ(ApproximateNumberText(u"-2.5"), "-2.5");
  EXPECT_EQ(ApproximateNumberText(u"word"), "word");
}

TEST(CellTextTest, TypedValuesOfAQtDriver) {
  EXPECT_EQ(CellText(QVariant(true)), "1");
  EXPECT_EQ(CellText(QVariant(false)), "0");
  EXPECT_EQ(CellText(QVariant(4.0)), "4");
  EXPECT_EQ(CellText(QVariant(12345678901LL)), "12345678901");
  EXPECT_EQ(CellText(QVariant(QStringLiteral("0042"))), "0042");
}

}  // namespace
}  // namespace export_engine
