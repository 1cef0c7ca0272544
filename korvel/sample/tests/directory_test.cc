// The directory database answers the export's queries, exactly as it sends
// them, with every column it reads, and holds the cases it must cope with.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

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

  // The subscriber row of vw_Subscriber with this alias.
  static QueryResult Subscriber(const std::string& alias) {
    QueryResult all = Run("Select * from vw_Subscriber WHERE SubscriberType IN (1,3)");
    QueryResult one;
    one.columns = all.columns;
    for (const auto& row : all.rows) {
      QueryResult probe{all.columns, {row}};
      if (probe.Get(0, "alias") == alias) one.rows.push_back(row);
    }
    EXPECT_EQ(one.rows.size(), 1u) << alias;
    return one;
  }
  static std::string Id(const std::string& alias, const std::string& column) {
    QueryResult row = Subscriber(alias);
    return row.rows.empty() ? "" : row.Get(0, column).value_or("");
  }
  static QueryResult Alternates(const std::string& alias) {
    return Run("SELECT * FROM DTMFAccessID WHERE IsPrimaryID='0' AND ParentObjectID='" +
               Id(alias, "SubscriberObjectID") + "'");
  }
  static QueryResult Mwi(const std::string& alias) {
    return Run("SELECT * FROM NotificationMWI WHERE Alias='MWI-1' AND ParentObjectID='" +
               Id(alias, "SubscriberObjectID") + "'");
  }
  static QueryResult AlternateRules(const std::string& alias) {
    return Run("SELECT * FROM ContactRule WHERE ParentObjectID='" +
               Id(alias, "CallHandlerObjectID") + "' AND Alias='Alternate'");
  }
  static bool Found(const std::string& view_query, const std::string& column,
                    const std::string& id) {
    QueryResult rows = Run(view_query);
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
      if (rows.Get(i, column) == id) return true;
    }
    return false;
  }

  static TempFolder* folder_;
  static std::filesystem::path* db_;
};

TempFolder* DirectoryTest::folder_ = nullptr;
std::filesystem::path* DirectoryTest::db_ = nullptr;

// The export runs these queries over every sample; the columns it reads are
// checked by its own runs. Here: the counts and orders it relies on.
TEST_F(DirectoryTest, HoldsTheDefaultSubscribersAndClassesOfServiceInOrder) {
  QueryResult count = Run("SELECT count(*) FROM Subscriber WHERE SubscriberType IN (1,3)");
  ASSERT_EQ(count.rows.size(), 1u);
  EXPECT_EQ(count.rows[0][0], std::to_string(kDefaultSubscribers));
  QueryResult cos = Run("Select * from vw_COS order by COSObjectID");
  ASSERT_GE(cos.rows.size(), 2u);
  for (std::size_t i = 1; i < cos.rows.size(); ++i) {
    EXPECT_LT(cos.Get(i - 1, "COSObjectID"), cos.Get(i, "COSObjectID"));
  }
}

TEST_F(DirectoryTest, ObjectIdsAreTextAndEveryPrimaryExtensionIsUnique) {
  QueryResult subscribers = Run("SELECT typeof(SubscriberObjectID), typeof(CallHandlerObjectID) "
                                "FROM Subscriber GROUP BY 1, 2");
  ASSERT_EQ(subscribers.rows.size(), 1u);
  EXPECT_EQ(subscribers.rows[0][0], "text");
  EXPECT_EQ(subscribers.rows[0][1], "text");
  EXPECT_EQ(Run("SELECT DTMFAccessID FROM DTMFAccessID GROUP BY 1 HAVING count(*) > 1").rows.size(),
            0u);
}

TEST_F(DirectoryTest, HoldsAdministratorsAndSubscribersTheExportSkips) {
  EXPECT_EQ(Subscriber("EAdmin").rows.size(), 1u);
  EXPECT_EQ(Subscriber("eadmin").rows.size(), 1u);

  const std::string handlers = "Select * from vw_CallHandler";
  const std::string cos = "Select * from vw_COS order by COSObjectID";
  const std::string locations = "Select * from vw_Location";
  EXPECT_FALSE(Found(handlers, "CallHandlerObjectID", Id("nohandler", "CallHandlerObjectID")));
  EXPECT_TRUE(Found(cos, "COSObjectID", Id("nohandler", "COSObjectID")));
  EXPECT_FALSE(Found(cos, "COSObjectID", Id("nocos", "COSObjectID")));
  EXPECT_TRUE(Found(handlers, "CallHandlerObjectID", Id("nocos", "CallHandlerObjectID")));
  EXPECT_FALSE(Found(locations, "LocationObjectID", Id("nolocation", "LocationObjectID")));
  EXPECT_FALSE(Found(handlers, "CallHandlerObjectID", Id("nohandler.nocos", "CallHandlerObjectID")));
  EXPECT_FALSE(Found(cos, "COSObjectID", Id("nohandler.nocos", "COSObjectID")));
  // An ordinary subscriber finds all three.
  EXPECT_TRUE(Found(handlers, "CallHandlerObjectID", Id("mwi.plain", "CallHandlerObjectID")));
  EXPECT_TRUE(Found(locations, "LocationObjectID", Id("mwi.plain", "LocationObjectID")));

  EXPECT_EQ(Run("SELECT * FROM vw_Subscriber WHERE Alias IS NULL AND SubscriberType IN (1,3)")
                .rows.size(),
            1u);
  EXPECT_EQ(Run("SELECT DISTINCT SubscriberType FROM Subscriber WHERE SubscriberType NOT IN (1,3)")
                .rows.size(),
            3u);
}

TEST_F(DirectoryTest, HoldsNamesThatNeedCareInACsvFile) {
  const struct {
    const char* alias;
    const char* column;
    std::optional<std::string> value;
  } cases[] = {
      {"jsmith.jr", "LastName", "Smith, Jr."},
      {"bmiller", "FirstName", "Robert \"Bob\""},
      {"dholliday", "DisplayName", "Holliday, John \"Doc\""},
      {"aberg", "FirstName", "  Anna "},
      {"aberg", "BillingID", " 4711 "},
      {"zangstrom", "LastName", "\xC3\x85ngstr\xC3\xB6m"},
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
  EXPECT_EQ(Alternates("noalternates").rows.size(), 0u);
  EXPECT_EQ(Alternates("twoalternates").rows.size(), 2u);
  EXPECT_GT(Alternates("manyalternates").rows.size(), 9u);

  EXPECT_EQ(Mwi("mwi.upper").Get(0, "MWIExtension"), "9X");
  EXPECT_EQ(Mwi("mwi.lower").Get(0, "MWIExtension"), "8x");
  EXPECT_EQ(Mwi("mwi.several").Get(0, "MWIExtension"), "*X#x");
  EXPECT_EQ(Mwi("mwi.plain").Get(0, "MWIExtension"), "4455");
  EXPECT_EQ(Mwi("mwi.two").rows.size(), 2u);
  EXPECT_EQ(Mwi("mwi.none").rows.size(), 0u);

  EXPECT_EQ(AlternateRules("rule.none").rows.size(), 0u);
  EXPECT_EQ(AlternateRules("rule.two").rows.size(), 2u);
  EXPECT_EQ(AlternateRules("rule.rings0").Get(0, "TransferRings"), "0");
  QueryResult type_null = AlternateRules("rule.typenull");
  ASSERT_EQ(type_null.rows.size(), 1u);
  EXPECT_FALSE(type_null.Get(0, "TransferType").has_value());
  QueryResult nulls = AlternateRules("rule.nulls");
  ASSERT_EQ(nulls.rows.size(), 1u);
  EXPECT_FALSE(nulls.Get(0, "Action").has_value());
  EXPECT_FALSE(nulls.Get(0, "Extension").has_value());
  EXPECT_FALSE(nulls.Get(0, "TransferRings").has_value());
}

TEST_F(DirectoryTest, StreamPathsNameRecordingsUnderTheRootPathOrNothing) {
  const std::filesystem::path root = db_->parent_path();
  QueryResult subscribers = Run("Select * from vw_Subscriber WHERE SubscriberType IN (1,3)");
  std::set<std::string> found_aliases;
  std::size_t relative = 0, in_sub_folder = 0, absolute = 0, empty = 0, null = 0;
  for (std::size_t i = 0; i < subscribers.rows.size(); ++i) {
    const auto stream_path = subscribers.Get(i, "StreamPath");
    if (!stream_path) {
      ++null;
      continue;
    }
    if (stream_path->empty()) {
      ++empty;
      continue;
    }
    std::string path = *stream_path;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.starts_with("/")) {
      ++absolute;
    } else {
      relative += path.find('/') == std::string::npos;
      in_sub_folder += path.find('/') != std::string::npos;
      path = (root / "Stream Files" / path).string();
    }
    if (std::filesystem::exists(path)) {
      EXPECT_EQ(korvel_sample_test::InspectWave(ReadFile(path)).error, "");
      found_aliases.insert(subscribers.Get(i, "alias").value_or(""));
    }
  }
  EXPECT_GT(relative, 0u);
  EXPECT_GT(in_sub_folder, 0u);
  EXPECT_GT(absolute, 0u);
  EXPECT_GT(empty, 0u);
  EXPECT_GT(null, 0u);
  EXPECT_TRUE(found_aliases.count("voice.subfolder"));
  EXPECT_TRUE(found_aliases.count("voice.nested"));
  EXPECT_TRUE(found_aliases.count("voice.absolute"));
  EXPECT_FALSE(found_aliases.count("voice.missing"));
  EXPECT_FALSE(found_aliases.count("voice.drive"));
}

}  // namespace
}  // namespace korvel_sample
