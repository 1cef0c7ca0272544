// Reading the directory: the read-only connection, the cached tables with
// their order, case-blind columns, nulls and searches, and the start-up count.
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/directory_database.h"
#include "KorvelToMaelisMigrationExport/export/directory_queries.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/record_table.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_engine {
namespace {

using export_test::TempFolder;
using export_test::TestDirectory;
using export_test::TestSubscriber;

class DirectoryTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  QString path_ = folder_.File("KorvelDb.sqlite");
  TestDirectory directory_{path_};
};

TEST_F(DirectoryTest, CachedTablesKeepTheQueryOrderReadNullAsEmptyAndStayOpen) {
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "zed"});
  directory_.AddCompleteSubscriber({.id = "S1", .alias = QVariant(), .type = 3});
  directory_.AddCompleteSubscriber({.id = "S3", .alias = "system", .type = 2});
  TableCache cache;
  ASSERT_TRUE(cache.OpenDirectoryTables(directory_.connect_string())) << cache.last_failure().description().toStdString();

  const RecordTable& subscribers = cache.subscribers();
  ASSERT_EQ(subscribers.row_count(), 2u);
  const int alias = subscribers.ColumnIndex(u"alias").value();
  EXPECT_EQ(subscribers.ColumnIndex(u"ALIAS"), alias);
  EXPECT_EQ(subscribers.Text(0, alias), u"zed");
  EXPECT_TRUE(subscribers.Text(1, alias).isEmpty());
  EXPECT_TRUE(subscribers.IsNull(1, alias));
  EXPECT_FALSE(subscribers.IsNull(0, alias));
  EXPECT_FALSE(subscribers.ColumnIndex(u"NoSuchColumn").has_value());

  EXPECT_EQ(cache.call_handlers().row_count(), 3u);
  EXPECT_EQ(cache.classes_of_service().row_count(), 1u);
  EXPECT_EQ(cache.locations().row_count(), 1u);
  EXPECT_TRUE(cache.classes_of_service().ColumnIndex(u"COSOBjectID").has_value());

  // Opening again keeps the tables already open.
  directory_.AddCompleteSubscriber({.id = "S4", .alias = "added later"});
  ASSERT_TRUE(cache.OpenDirectoryTables(directory_.connect_string()));
  EXPECT_EQ(cache.subscribers().row_count(), 2u);
}

TEST_F(DirectoryTest, SearchesFindRowsFromTheTopWithOrWithoutIndex) {
  directory_.AddCallHandler("CH-A", "100");
  directory_.AddCallHandler("CH-B", "200");
  directory_.AddCallHandler("CH-A", "300");
  directory_.AddCallHandler(QString(), "400");
  TableCache cache;
  ASSERT_TRUE(cache.OpenDirectoryTables(directory_.connect_string()));
  const RecordTable& handlers = cache.call_handlers();
  const int id = handlers.ColumnIndex(u"CallHandlerObjectID").value();
  const int extension = handlers.ColumnIndex(u"DTMFAccessID").value();

  // The cache indexes this column; a plain table scans. Both give the same rows.
  RecordTable scanned;
  ASSERT_TRUE(cache.database().Select(directory_query::kCallHandlers, {}, &scanned).ok());
  for (const RecordTable* table : {&handlers, static_cast<const RecordTable*>(&scanned)}) {
    EXPECT_EQ(table->Text(table->FindFirst(id, u"CH-A").value(), extension), u"100");
    EXPECT_EQ(table->Text(table->FindFirst(id, u"CH-B").value(), extension), u"200");
    EXPECT_FALSE(table->FindFirst(id, u"ch-a").has_value());
    EXPECT_FALSE(table->FindFirst(id, u"").has_value());  // a null id is no match for an empty one
    // Every row of a value, top to bottom.
    EXPECT_EQ(table->FindNext(id, 0), std::optional<std::size_t>(2));
    EXPECT_FALSE(table->FindNext(id, 2).has_value());
    EXPECT_FALSE(table->FindNext(id, 1).has_value());
    EXPECT_FALSE(table->FindNext(id, 3).has_value());
  }
}

TEST_F(DirectoryTest, ObjectIdsAreBoundValuesOfAReadOnlyConnection) {
  directory_.AddAlternateExtension("it's", "4711");
  directory_.AddAlternateExtension("other", "4712");
  TableCache cache;
  ASSERT_TRUE(cache.OpenDirectoryTables(directory_.connect_string()));
  RecordTable result;
  const QStringView by_parent = u"SELECT * FROM DTMFAccessID WHERE ParentObjectID=?";
  ASSERT_TRUE(cache.database().Select(by_parent, {"it's"}, &result).ok());
  ASSERT_EQ(result.row_count(), 1u);
  EXPECT_EQ(result.Text(0, result.ColumnIndex(u"DTMFAccessID").value()), u"4711");
  ASSERT_TRUE(cache.database().Select(by_parent, {"x' OR '1'='1"}, &result).ok());
  EXPECT_EQ(result.row_count(), 0u);
  EXPECT_FALSE(cache.database().Select(u"DELETE FROM Location", {}, &result).ok()) << "the database is opened read-only";
}

TEST_F(DirectoryTest, AMissingViewFailsTheOpeningAndLeavesNothingOpen) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "one"});
  directory_.Exec("DROP VIEW vw_Location");
  TableCache cache;
  EXPECT_FALSE(cache.OpenDirectoryTables(directory_.connect_string()));
  EXPECT_EQ(cache.last_failure().number(), error_number::kDatabaseFailure);
  EXPECT_TRUE(cache.last_failure().description().contains("vw_Location")) << cache.last_failure().description().toStdString();
  EXPECT_EQ(cache.last_failure().source(), "QSQLITE");
  EXPECT_EQ(cache.subscribers().row_count(), 0u);
  EXPECT_FALSE(cache.database().is_open());
}

TEST_F(DirectoryTest, AnIndexedColumnThatIsMissingFailsTheOpening) {
  directory_.Exec("DROP VIEW vw_Subscriber");
  directory_.Exec("CREATE VIEW vw_Subscriber AS SELECT Alias, SubscriberType FROM Subscriber");
  TableCache cache;
  EXPECT_FALSE(cache.OpenDirectoryTables(directory_.connect_string()));
  EXPECT_EQ(cache.last_failure().number(), error_number::kItemNotFound);
}

// An unregistered ODBC driver is shown end to end by the headless test.
TEST(DirectoryOpenTest, AMissingFileOrOneThatIsNoDatabaseFailsAndNothingIsCreated) {
  TempFolder folder;
  const QString missing = folder.File("missing.sqlite");
  const QString not_a_database = folder.File("KorvelDb.sqlite");
  export_test::WriteBytes(not_a_database, std::string(4096, 'x'));
  TableCache cache;
  EXPECT_FALSE(cache.OpenDirectoryTables("sqlite:" + missing));
  EXPECT_FALSE(QFileInfo::exists(missing));
  EXPECT_FALSE(cache.OpenDirectoryTables("sqlite:"));
  EXPECT_FALSE(cache.OpenDirectoryTables("sqlite:" + not_a_database));
  EXPECT_EQ(cache.last_failure().number(), error_number::kDatabaseFailure);
}

TEST_F(DirectoryTest, CountsSubscribersOfTypesOneAndThree) {
  directory_.AddSubscriberRow({.id = "S1", .alias = "a", .type = 1});
  directory_.AddSubscriberRow({.id = "S2", .alias = "b", .type = 3});
  directory_.AddSubscriberRow({.id = "S3", .alias = "c", .type = 2});
  DirectoryDatabase database;
  ASSERT_TRUE(database.Open(directory_.connect_string()).ok());
  std::int64_t count = -1;
  ASSERT_TRUE(CountExportedSubscribers(database, &count).ok());
  EXPECT_EQ(count, 2);
  directory_.Exec("DROP TABLE Subscriber");
  EXPECT_FALSE(CountExportedSubscribers(database, &count).ok());
}

}  // namespace
}  // namespace export_engine
