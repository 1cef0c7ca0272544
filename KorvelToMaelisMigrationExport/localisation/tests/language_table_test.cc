// The reading of a language table. (Its fuzz target feeds it arbitrary bytes.)
#include "KorvelToMaelisMigrationExport/localisation/language_table.h"

#include <vector>

#include <gtest/gtest.h>

namespace localisation {
namespace {

TEST(LanguageTableTest, ReadsTextsWithTheirBlanksAndEscapesAndSkipsMalformedLines) {
  const LanguageTable table = ParseLanguageTable(
      "\xEF\xBB\xBF# German\n"      // 1
      "\n"                          // 2
      "0\t Build\n"                 // 3
      "39\tAusgabe abgeschlossen.  \r\n"
      "7\tA\\tB\\nC\\\\D\n"         // 5
      "23\tVor\tname\n"
      "00011\tSprache \xC3\xA4ndern\n"
      "no tab here\n"               // 8
      "x3\tbad id\n"
      " 4\tblank before id\n"       // 10
      "-5\tnegative\n"
      "65536\ttoo large\n"          // 12
      "123456\ttoo long\n"
      "\tno id\n"                   // 14
      "0\tsecond Build\n"
      "8\tC:\\Temp\n"               // 16
      "9\tends in \\\n"
      "12\t\xFF\xFE broken\n"       // 18
      "   \n"
      "65535\tlargest");            // 20
  EXPECT_EQ(table.skipped_lines, (std::vector<int>{8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
  EXPECT_EQ(table.texts, (std::map<int, QString>{{0, " Build"},
                                                 {39, "Ausgabe abgeschlossen.  "},
                                                 {7, "A\tB\nC\\D"},
                                                 {23, "Vor\tname"},
                                                 {11, QString::fromUtf8("Sprache \xC3\xA4ndern")},
                                                 {65535, "largest"}}));
}

}  // namespace
}  // namespace localisation
