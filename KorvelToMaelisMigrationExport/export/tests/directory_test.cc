// Reading the directory: object ids bound on a read-only connection, a view
// that is missing, and numbers in whatever shape the engine handed them over
// (the export runs through two engines pin the rest).
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/cell_text.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_engine {
namespace {

// Object ids are bound values of a read-only connection; once a view is
// missing, the opening fails and leaves nothing open.
TEST(DirectoryTest, ObjectIdsAreBoundReadOnlyAndAMissingViewLeavesNothingOpen) {
  export_test::TempFolder folder;
  export_test::TestDirectory directory(folder.File("KorvelDb.sqlite"));
  directory.AddAlternateExtension("it's", "4711");
  TableCache cache;
  ASSERT_TRUE(cache.OpenDirectoryTables(directory.connect_string()));
  RecordTable result;
  const QStringView by_parent = u"SELECT * FROM DTMFAccessID WHERE ParentObjectID=?";
  ASSERT_TRUE(cache.database().Select(by_parent, {"it's"}, &result).ok());
  EXPECT_EQ(result.row_count(), 1u);
  ASSERT_TRUE(cache.database().Select(by_parent, {"x' OR '1'='1"}, &result).ok());
  EXPECT_EQ(result.row_count(), 0u);
  EXPECT_FALSE(cache.database().Select(u"DELETE FROM Location", {}, &result).ok()) << "opened read-only";

  directory.AddCompleteSubscriber({.id = "S1", .alias = "one"});
  directory.Exec("DROP VIEW vw_Location");
  TableCache fresh;  // an opened cache keeps its tables as read
  EXPECT_FALSE(fresh.OpenDirectoryTables(directory.connect_string()));
  EXPECT_EQ(fresh.last_failure().number(), error_number::kDatabaseFailure);
  EXPECT_TRUE(fresh.last_failure().description().contains("vw_Location"));
  EXPECT_EQ(fresh.subscribers().row_count(), 0u);
  EXPECT_FALSE(fresh.database().is_open());
}

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
