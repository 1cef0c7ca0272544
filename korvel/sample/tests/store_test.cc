// The message store holds messages of every shape the extraction has to cope
// with; the extraction's runs over the sample would pass without them.
#include <gtest/gtest.h>

#include <set>

#include "korvel/sample/sample_server.h"
#include "korvel/sample/tests/sample_test_support.h"

namespace korvel_sample {
namespace {

using korvel_sample_test::InspectWave;
using korvel_sample_test::QueryResult;

class StoreTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    SampleOptions options;
    options.dir = folder_->path();
    SampleReport report;
    const Status status = WriteSampleServer(options, &report);
    ASSERT_TRUE(status.ok()) << status.message();
  }
  static void TearDownTestSuite() { delete folder_; }

  static QueryResult Store(const std::string& sql) { return korvel_sample_test::Query(*folder_ / kStoreFile, sql); }
  static std::size_t Count(const std::string& where) {
    QueryResult result = Store("SELECT count(*) FROM Message WHERE " + where);
    return result.rows.empty() ? 0 : std::stoul(*result.rows[0][0]);
  }

  static TempFolder* folder_;
};

TempFolder* StoreTest::folder_ = nullptr;

TEST_F(StoreTest, MessagesCoverEveryFolderSenderDateAndHeaderCase) {
  EXPECT_EQ(Count("1"), static_cast<std::size_t>(kDefaultMessages));
  // Numeric AMIS and OMNI addresses must stay text, or the From header loses them.
  for (const char* held : {"Folder = 6", "Folder = 13", "SenderAddressType IN (5, 6) AND SenderEmailAddress GLOB '[0-9]*'",
                           "DeliveryTime < 25569", "DeliveryTime > 50424.1348148", "DeliveryTime IS NULL",
                           "HasUnknownSender = 1 AND SenderAddressType = 5 AND SenderEmailAddress <> ''",
                           "HasUnknownSender = 1 AND SenderAddressType = 6 AND SenderEmailAddress <> ''",
                           "HasUnknownSender = 1 AND SenderAddressType = 7 AND SenderEmailAddress <> ''",
                           "HasUnknownSender = 1 AND SenderAddressType = 1 AND SenderEmailAddress <> ''",
                           "HasUnknownSender = 1 AND SenderEmailAddress = ''",
                           "HasUnknownSender = 1 AND SenderEmailAddress IS NULL",
                           "HasUnknownSender = 0 AND SenderID IS NULL", "Importance = 2", "Importance = 1",
                           "Sensitivity = 3", "Sensitivity = 0", "Subject IS NULL",
                           "SenderID IN (SELECT MailUserID FROM MailUser WHERE IsSubscriber = 0)"}) {
    EXPECT_GT(Count(held), 0u) << held;
  }
  for (const char* absent : {"Folder NOT IN (6, 13)", "DeliveryTime IS NOT NULL AND typeof(DeliveryTime) <> 'real'",
                             "SenderEmailAddress IS NOT NULL AND typeof(SenderEmailAddress) <> 'text'",
                             "HasUnknownSender = 1 AND SenderID IS NOT NULL", "HasUnknownSender NOT IN (0, 1)",
                             "OwnerID NOT IN (SELECT MailUserID FROM MailUser WHERE IsSubscriber = 1)",
                             "SenderID IS NOT NULL AND SenderID NOT IN (SELECT MailUserID FROM MailUser)"}) {
    EXPECT_EQ(Count(absent), 0u) << absent;
  }
}

TEST_F(StoreTest, AttachmentsAreWholeWaveFilesOneToThreeAMessage) {
  QueryResult streams = Store("SELECT MessageID, Seq, Data, typeof(Data) FROM AudioStream "
                              "ORDER BY MessageID, Seq");
  std::map<std::string, int> per_message;
  bool fact_first = false, long_format_first = false;
  for (const auto& row : streams.rows) {
    EXPECT_EQ(row[3], "blob");
    const auto wave = InspectWave(*row[2]);
    EXPECT_EQ(wave.error, "") << "message " << *row[0] << " attachment " << *row[1];
    ++per_message[*row[0]];
    if (row[1] == "1") {
      fact_first |= wave.chunks == std::vector<std::string>{"fmt ", "fact", "data"};
      long_format_first |= wave.format_size == 18;
    }
  }
  EXPECT_EQ(per_message.size(), static_cast<std::size_t>(kDefaultMessages));
  std::set<int> counts;
  for (const auto& [message, count] : per_message) counts.insert(count);
  EXPECT_EQ(counts, (std::set<int>{1, 2, 3}));
  EXPECT_TRUE(fact_first);
  EXPECT_TRUE(long_format_first);
}

}  // namespace
}  // namespace korvel_sample
