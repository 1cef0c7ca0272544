#include "KorvelToMaelisMigrationExport/localisation/language_table.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace localisation {
namespace {

QString TextOf(const LanguageTable& table, int id) {
  auto found = table.texts.find(id);
  return found == table.texts.end() ? QStringLiteral("<none>") : found->second;
}

TEST(LanguageTableTest, ReadsTextsWithTheirBlanksEscapesAndLineEnds) {
  const LanguageTable table = ParseLanguageTable(
      "\xEF\xBB\xBF# German\n"
      "\n"
      "0\t Build\n"
      "39\tAusgabe abgeschlossen.  \r\n"
      "7\tA\\tB\\nC\\\\D\n"
      "23\tVor\tname\n"
      "40\t\xE3\x83\x97\xE3\x83\xA9\n"
      "00011\tSprache \xC3\xA4ndern");
  EXPECT_TRUE(table.skipped_lines.empty());
  EXPECT_EQ(table.texts.size(), 6u);
  EXPECT_EQ(TextOf(table, 0), QStringLiteral(" Build"));
  EXPECT_EQ(TextOf(table, 39), QStringLiteral("Ausgabe abgeschlossen.  "));
  EXPECT_EQ(TextOf(table, 7), QStringLiteral("A\tB\nC\\D"));
  EXPECT_EQ(TextOf(table, 23), QStringLiteral("Vor\tname"));
  EXPECT_EQ(TextOf(table, 40), QString::fromUtf8("\xE3\x83\x97\xE3\x83\xA9"));
  EXPECT_EQ(TextOf(table, 11), QString::fromUtf8("Sprache \xC3\xA4ndern"));
}

TEST(LanguageTableTest, SkipsMalformedLinesAndKeepsTheRest) {
  const LanguageTable table = ParseLanguageTable(
      "3\tAliasname\n"            // 1
      "no tab here\n"             // 2
      "x3\tbad id\n"              // 3
      " 4\tblank before id\n"     // 4
      "-5\tnegative\n"            // 5
      "65536\ttoo large\n"        // 6
      "123456\ttoo long\n"        // 7
      "\tno id\n"                 // 8
      "3\tsecond Alias\n"         // 9
      "8\tC:\\Temp\n"             // 10
      "9\tends in \\\n"           // 11
      "12\t\xFF\xFE broken\n"     // 12
      "65535\tlargest\n"          // 13
      "   \n"                     // 14
      "28\tNachname\n");          // 15
  EXPECT_EQ(table.skipped_lines, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14}));
  EXPECT_EQ(table.texts.size(), 3u);
  EXPECT_EQ(TextOf(table, 3), QStringLiteral("Aliasname"));
  EXPECT_EQ(TextOf(table, 65535), QStringLiteral("largest"));
  EXPECT_EQ(TextOf(table, 28), QStringLiteral("Nachname"));
}

// What a fuzzer would do, in small: arbitrary bytes, biased towards the
// characters the format gives meaning to, never crash the reader and every
// line is either read, skipped or said nothing.
}  // namespace
}  // namespace localisation
