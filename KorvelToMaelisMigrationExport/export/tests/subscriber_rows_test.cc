// The rows of the migration file and the log lines beside them: every value
// rule, the three ways a subscriber is skipped, the
// alternate contact rule per ticked entry.
#include <string>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

class SubscriberRowsTest : public ExportRunTest {
 protected:
  // A subscriber with its call handler (extension `extension`) and nothing else.
  void AddWithHandler(const QString& id, const QVariant& alias, const QString& extension,
                      const QVariant& dtmf_access_id = QStringLiteral("1000")) {
    directory_.AddSubscriberRow({.id = id, .alias = alias, .dtmf_access_id = dtmf_access_id});
    directory_.AddCallHandler("CH-" + id, extension);
  }
};

TEST_F(SubscriberRowsTest, ItemValuesFollowTheirRules) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = " Smith, J ", .first_name = "Jo\"e", .last_name = "  ",
                                    .display_name = QVariant(), .pwdtmf = "  x1 ", .dtmf_access_id = "2001",
                                    .billing_id = "B-7", .language = " 1031 ", .list_in_directory = 0});
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "b", .language = QVariant(), .list_in_directory = QVariant()});
  directory_.AddCompleteSubscriber({.id = "S3", .alias = "c", .language = "English", .list_in_directory = -1});
  directory_.AddCompleteSubscriber({.id = "S4", .alias = "d", .language = 1036.0, .list_in_directory = 1});
  Run(Request(Entries({1, 2, 3, 4, 5, 6, 9, 10, 11})));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,DisplayName,VoiceMailPasswordHash,Extension,BillingID,"
                                     "Language,ListInDirectory",
                                     "\"Smith, J\",Jo\"e,,,x1,52001,B-7,1031,0", "b,First,Last,Display,hash,51000,B1,,0",
                                     // a value that is no number stays empty
                                     "c,First,Last,Display,hash,51000,B1,,1", "d,First,Last,Display,hash,51000,B1,1036,1"}));
  EXPECT_EQ(CountOf(SubscriberLog(), "\r\nAlias=c\r\n(error) in export. Description=Type mismatch, "
                                     "Source=KorvelToMaelisMigrationExport, Number= 13\r\n"),
            1);
}

TEST_F(SubscriberRowsTest, MwiStringIsThePrimaryDevicesWithEveryXReplacedByTheExtension) {
  const char* const mwi[] = {"9X", "9x", "X*X", "12#"};
  for (int i = 0; i < 4; ++i) {
    const QString id = QStringLiteral("S%1").arg(i);
    AddWithHandler(id, id, "1", "7" + QString::number(i));
    directory_.AddMwiDevice(id, "MWI-1", mwi[i]);
  }
  AddWithHandler("S9", "null extension", "1", QVariant());
  directory_.AddMwiDevice("S9", "MWI-1", "8X");
  // No primary device, or two: an empty string and a line each.
  AddWithHandler("SA", "none", "1");
  directory_.AddMwiDevice("SA", "MWI-2", "9X");
  directory_.AddCompleteSubscriber({.id = "SB", .alias = "two"});
  directory_.AddMwiDevice("SB", "MWI-1", "8X");
  Run(Request(Entries({1, 2, 3, 6, 8})));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension,MWIExtension", "S0,First,Last,1,970",
                                     "S1,First,Last,1,971", "S2,First,Last,1,72*72", "S3,First,Last,1,12#",
                                     "null extension,First,Last,1,8", "none,First,Last,1,", "two,First,Last,51000,"}));
  const std::string line =
      "(error) search for primary MWI device for this subscriber did not return a single row as expected\r\n";
  EXPECT_EQ(CountOf(SubscriberLog(), "\r\n" + line), 2);
}

// The transfer values come from the alternate contact rule; each ticked
// entry logs one that is missing or ambiguous.
TEST_F(SubscriberRowsTest, TransferValuesComeFromTheOneAlternateContactRule) {
  AddWithHandler("S1", "zero rings", "1");
  directory_.AddContactRule("CH-S1", "Alternate", 3, 2, "5551234", 0);
  directory_.AddContactRule("CH-S1", "Standard", 9, 9, "9", 9);
  AddWithHandler("S2", "nulls", "2");
  directory_.AddContactRule("CH-S2", "Alternate", QVariant(), QVariant(), QVariant(), QVariant());
  AddWithHandler("S3", "seven rings", "3");
  directory_.AddContactRule("CH-S3", "Alternate", 1, 0, "44", 7);
  AddWithHandler("S4", "no rule", "4");
  AddWithHandler("S5", "two rules", "5");
  directory_.AddContactRule("CH-S5", "Alternate", 1, 1, "1", 1);
  directory_.AddContactRule("CH-S5", "Alternate", 2, 2, "2", 2);
  const export_engine::RunResult result = Run(Request(Entries({1, 2, 3, 6, 12, 13, 14, 15})));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension,TransferAction,TransferType,"
                                     "TransferExtension,TransferRings",
                                     "zero rings,First,Last,1,3,2,5551234,1", "nulls,First,Last,2,,0,,",
                                     "seven rings,First,Last,3,1,0,44,7", "no rule,First,Last,4,,,,",
                                     "two rules,First,Last,5,,,,"}));
  const std::string line = "(error) could not find alternate contact rule for this subscriber.\r\n";
  EXPECT_EQ(CountOf(SubscriberLog(), line), 16);
  EXPECT_EQ(result.error_count, 16);
}

// A subscriber without an alias is no skipped one: it keeps its row, without
// an "Alias=" line.
TEST_F(SubscriberRowsTest, SkippedSubscribersGetTheirLinesAndNoRow) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "eADMIN"});
  directory_.AddSubscriberRow({.id = "S2", .alias = "no handler", .cos_id = "COS-X"});
  directory_.AddSubscriberRow({.id = "S3", .alias = "no cos", .cos_id = "COS-X"});
  directory_.AddCallHandler("CH-S3", "3");
  directory_.AddSubscriberRow({.id = "S4", .alias = "no location", .location_id = "LOC-X"});
  directory_.AddCallHandler("CH-S4", "4");
  directory_.AddCompleteSubscriber({.id = "S5", .alias = "kept"});
  directory_.AddCompleteSubscriber({.id = "S6", .alias = QVariant()});
  const export_engine::RunResult result = Run(Request(Entries({1, 2, 3, 6})));
  EXPECT_EQ(CsvLines(),
            QStringList({"Alias,FirstName,LastName,Extension", "kept,First,Last,51000", ",First,Last,51000"}));
  EXPECT_EQ(SubscriberLog(),
            "\r\nAlias=eADMIN\r\n"
            "    skipping EAdmin\r\n"
            "\r\nAlias=no handler\r\n"
            "(error) can't find primary call handler reference for this subscriber.  Skipping user.\r\n"
            "\r\nAlias=no cos\r\n"
            "(error) can't find COS reference for mail user.  Skipping user.\r\n"
            "\r\nAlias=no location\r\n"
            "(error) can't find Location reference for mail user. Skipping user.\r\n"
            "\r\nAlias=kept\r\n");
  EXPECT_EQ(result.error_count, 3);
}

}  // namespace
}  // namespace export_test
