// The directory database holds the cases the export must cope with; the
// export's own runs over the sample would pass just as well without them.
#include <gtest/gtest.h>

#include <algorithm>

#include "korvel/sample/sample_server.h"
#include "korvel/sample/tests/sample_test_support.h"

namespace korvel_sample {
namespace {

using korvel_sample_test::Query;
using korvel_sample_test::QueryResult;

class DirectoryTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    SampleOptions options;
    options.dir = *folder_ / "server";
    SampleReport report;
    const Status status = WriteSampleServer(options, &report);
    ASSERT_TRUE(status.ok()) << status.message();
    db_ = new std::filesystem::path(options.dir / kDirectoryFile);
  }
  static void TearDownTestSuite() {
    delete db_;
    delete folder_;
  }

  static QueryResult Run(const std::string& sql) { return Query(*db_, sql); }

  // The vw_Subscriber row of exactly this alias.
  static QueryResult Subscriber(const std::string& alias) {
    QueryResult all = Run("Select * from vw_Subscriber WHERE SubscriberType IN (1,3)");
    QueryResult one{all.columns, {}};
    for (const auto& row : all.rows) {
      if (QueryResult{all.columns, {row}}.Get(0, "alias") == alias) one.rows.push_back(row);
    }
    EXPECT_EQ(one.rows.size(), 1u) << alias;
    return one;
  }
  static std::string Id(const std::string& alias, const std::string& column) {
    QueryResult row = Subscriber(alias);
    return row.rows.empty() ? "" : row.Get(0, column).value_or("");
  }
  // The rows of `sql`, which ends in a comparison, against the alias's id in `column`.
  static QueryResult Of(const std::string& sql, const std::string& alias,
                        const std::string& column = "SubscriberObjectID") {
    return Run(sql + "'" + Id(alias, column) + "'");
  }

  static TempFolder* folder_;
  static std::filesystem::path* db_;
};

TempFolder* DirectoryTest::folder_ = nullptr;
std::filesystem::path* DirectoryTest::db_ = nullptr;

TEST_F(DirectoryTest, HoldsTheDefaultSubscribersWithTextIdsAndUniqueExtensions) {
  EXPECT_EQ(Run("SELECT count(*) FROM Subscriber WHERE SubscriberType IN (1,3)").rows.at(0)[0],
            std::to_string(kDefaultSubscribers));
  EXPECT_EQ(Run("SELECT DISTINCT typeof(SubscriberObjectID), typeof(CallHandlerObjectID) FROM Subscriber").rows,
            (std::vector<std::vector<korvel_sample_test::Value>>{{"text", "text"}}));
  EXPECT_EQ(Run("SELECT DTMFAccessID FROM DTMFAccessID GROUP BY 1 HAVING count(*) > 1").rows.size(), 0u);
}

TEST_F(DirectoryTest, HoldsAdministratorsAndSubscribersTheExportSkips) {
  EXPECT_EQ(Subscriber("EAdmin").rows.size(), 1u);
  EXPECT_EQ(Subscriber("eadmin").rows.size(), 1u);
  const struct {
    const char* alias;
    const char* view;
    const char* column;
    bool found;
  } cases[] = {
      {"nohandler", "vw_CallHandler", "CallHandlerObjectID", false},
      {"nohandler", "vw_COS", "COSObjectID", true},
      {"nocos", "vw_COS", "COSObjectID", false},
      {"nocos", "vw_CallHandler", "CallHandlerObjectID", true},
      {"nolocation", "vw_Location", "LocationObjectID", false},
      {"nohandler.nocos", "vw_CallHandler", "CallHandlerObjectID", false},
      {"nohandler.nocos", "vw_COS", "COSObjectID", false},
      {"mwi.plain", "vw_CallHandler", "CallHandlerObjectID", true},
      {"mwi.plain", "vw_Location", "LocationObjectID", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Of(std::string("SELECT 1 FROM ") + c.view + " WHERE " + c.column + " = ", c.alias, c.column).rows.size(),
              c.found ? 1u : 0u)
        << c.alias << " " << c.view;
  }
  EXPECT_EQ(Run("SELECT * FROM vw_Subscriber WHERE Alias IS NULL AND SubscriberType IN (1,3)").rows.size(), 1u);
  EXPECT_EQ(Run("SELECT DISTINCT SubscriberType FROM Subscriber WHERE SubscriberType NOT IN (1,3)").rows.size(), 3u);
}

TEST_F(DirectoryTest, HoldsNamesThatNeedCareInACsvFile) {
  const struct {
    const char* alias;
    const char* column;
    std::optional<std::string> value;
  } cases[] = {
      {"jsmith.jr", "LastName", "Smith, Jr."},
      {"dholliday", "DisplayName", "Holliday, John \"Doc\""},
      {"aberg", "FirstName", "  Anna "},
      {"aberg", "BillingID", " 4711 "},
      {"tyamada", "DisplayName", "\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E"},
      {"ren\xC3\xA9.lef\xC3\xA8vre", "FirstName", "Ren\xC3\xA9"},
      {"nolanguage", "Language", std::nullopt},
      {"nolanguage", "ListInDirectory", std::nullopt},
      {"unlisted", "ListInDirectory", "0"},
      {"noextension", "DTMFAccessID", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(Subscriber(c.alias).Get(0, c.column), c.value) << c.alias << " " << c.column;
}

TEST_F(DirectoryTest, HoldsAlternateExtensionsMwiStringsAndContactRulesOfEveryShape) {
  const std::string alternates = "SELECT * FROM DTMFAccessID WHERE IsPrimaryID='0' AND ParentObjectID=";
  const std::string mwi = "SELECT * FROM NotificationMWI WHERE Alias='MWI-1' AND ParentObjectID=";
  const std::string rules = "SELECT * FROM ContactRule WHERE Alias='Alternate' AND ParentObjectID=";
  const std::string handler = "CallHandlerObjectID";
  EXPECT_EQ(Of(alternates, "noalternates").rows.size(), 0u);
  EXPECT_EQ(Of(alternates, "twoalternates").rows.size(), 2u);
  EXPECT_GT(Of(alternates, "manyalternates").rows.size(), 9u);
  for (const auto& [alias, extension] : {std::pair{"mwi.upper", "9X"}, {"mwi.lower", "8x"}, {"mwi.several", "*X#x"}}) {
    EXPECT_EQ(Of(mwi, alias).Get(0, "MWIExtension"), extension);
  }
  EXPECT_EQ(Of(mwi, "mwi.two").rows.size(), 2u);
  EXPECT_EQ(Of(mwi, "mwi.none").rows.size(), 0u);
  EXPECT_EQ(Of(rules, "rule.none", handler).rows.size(), 0u);
  EXPECT_EQ(Of(rules, "rule.two", handler).rows.size(), 2u);
  EXPECT_EQ(Of(rules, "rule.rings0", handler).Get(0, "TransferRings"), "0");
  EXPECT_EQ(Of(rules, "rule.typenull", handler).Get(0, "TransferType"), std::nullopt);
  const QueryResult nulls = Of(rules, "rule.nulls", handler);
  ASSERT_EQ(nulls.rows.size(), 1u);
  for (const char* column : {"Action", "Extension", "TransferRings"}) EXPECT_EQ(nulls.Get(0, column), std::nullopt);
}

TEST_F(DirectoryTest, StreamPathsNameRecordingsUnderTheRootPathOrNothing) {
  const auto recording = [](const std::string& alias) {
    std::string path = Id(alias, "StreamPath");
    std::replace(path.begin(), path.end(), '\\', '/');
    return path.starts_with("/") ? path : (db_->parent_path() / "Stream Files" / path).string();
  };
  for (const char* alias : {"voice.subfolder", "voice.nested", "voice.absolute"}) {
    EXPECT_EQ(korvel_sample_test::InspectWave(ReadFile(recording(alias))).error, "") << alias;
  }
  for (const char* alias : {"voice.missing", "voice.drive"}) {
    EXPECT_FALSE(std::filesystem::is_regular_file(recording(alias))) << alias;
  }
  for (const char* where : {"StreamPath IS NULL", "StreamPath = ''"}) {
    EXPECT_GT(Run(std::string("SELECT * FROM vw_Subscriber WHERE ") + where).rows.size(), 0u) << where;
  }
}

}  // namespace
}  // namespace korvel_sample
