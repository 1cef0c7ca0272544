// The rows of the migration file and the log lines beside them: every value
// rule, the alternate extensions, the three ways a subscriber is skipped, the
// alternate contact rule per ticked entry, and the tables read at a run's start.
#include <string>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

using SubscriberRowsTest = ExportRunTest;

TEST_F(SubscriberRowsTest, ItemValuesFollowTheirRules) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = " Smith, J ", .first_name = "Jo\"e", .last_name = "  ",
                                    .display_name = QVariant(), .pwdtmf = "  x1 ", .dtmf_access_id = "2001",
                                    .billing_id = "B-7", .language = 1033, .list_in_directory = 0});
  Run(Request(Entries({1, 2, 3, 4, 5, 6, 9, 10, 11})));
  const QStringList csv = CsvLines();
  ASSERT_EQ(csv.size(), 2);
  EXPECT_EQ(csv[0], "Alias,FirstName,LastName,DisplayName,VoiceMailPasswordHash,Extension,BillingID,Language,"
                    "ListInDirectory");
  EXPECT_EQ(csv[1], "\"Smith, J\",Jo\"e,,,x1,52001,B-7,1033,0");
}

TEST_F(SubscriberRowsTest, LanguageIsAPlainNumberAndListInDirectoryOneOrZero) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "a", .language = " 1031 ", .list_in_directory = 1});
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "b", .language = QVariant(), .list_in_directory = 0});
  directory_.AddCompleteSubscriber({.id = "S3", .alias = "c", .language = "English", .list_in_directory = QVariant()});
  directory_.AddCompleteSubscriber({.id = "S4", .alias = "d", .language = 1036.0, .list_in_directory = -1});
  Run(Request(Entries({1, 2, 3, 6, 10, 11})));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension,Language,ListInDirectory",
                                     "a,First,Last,51000,1031,1", "b,First,Last,51000,,0",
                                     "c,First,Last,51000,,0",  // a value that is no number stays empty
                                     "d,First,Last,51000,1036,1"}));
  EXPECT_EQ(CountOf(SubscriberLog(), "(error) in export. Description=Type mismatch, Source=KorvelToMaelisMigrationExport, "
                                     "Number= 13\r\n"),
            1);
}

TEST_F(SubscriberRowsTest, MwiStringIsThePrimaryDevicesWithEveryXReplacedByTheExtension) {
  const char* const mwi[] = {"9X", "9x", "X*X", "12#"};
  for (int i = 0; i < 4; ++i) {
    const QString id = QStringLiteral("S%1").arg(i);
    directory_.AddSubscriberRow({.id = id, .alias = id, .dtmf_access_id = "7" + QString::number(i)});
    directory_.AddCallHandler("CH-" + id, "1");
    directory_.AddContactRule("CH-" + id, "Alternate", 1, 1, "1", 1);
    directory_.AddMwiDevice(id, "MWI-1", mwi[i]);
  }
  directory_.AddSubscriberRow({.id = "S9", .alias = "null extension", .dtmf_access_id = QVariant()});
  directory_.AddCallHandler("CH-S9", "1");
  directory_.AddContactRule("CH-S9", "Alternate", 1, 1, "1", 1);
  directory_.AddMwiDevice("S9", "MWI-1", "8X");
  // No primary device, or two: an empty string and a line each.
  directory_.AddSubscriberRow({.id = "SA", .alias = "none"});
  directory_.AddCallHandler("CH-SA", "1");
  directory_.AddContactRule("CH-SA", "Alternate", 1, 1, "1", 1);
  directory_.AddMwiDevice("SA", "MWI-2", "9X");
  directory_.AddCompleteSubscriber({.id = "SB", .alias = "two"});
  directory_.AddMwiDevice("SB", "MWI-1", "8X");
  Run(Request(Entries({1, 2, 3, 6, 8})));
  const QStringList csv = CsvLines();
  ASSERT_EQ(csv.size(), 8);
  EXPECT_EQ(csv[0], "Alias,FirstName,LastName,Extension,MWIExtension");
  EXPECT_TRUE(csv[1].endsWith(",970"));
  EXPECT_TRUE(csv[2].endsWith(",971"));
  EXPECT_TRUE(csv[3].endsWith(",72*72"));
  EXPECT_TRUE(csv[4].endsWith(",12#"));
  EXPECT_TRUE(csv[5].endsWith(",8"));
  EXPECT_TRUE(csv[6].endsWith(",1,")) << csv[6].toStdString();
  EXPECT_TRUE(csv[7].endsWith(",51000,")) << csv[7].toStdString();
  EXPECT_EQ(CountOf(SubscriberLog(), "(error)"), 2);
  EXPECT_EQ(CountOf(SubscriberLog(),
                    "\r\n(error) search for primary MWI device for this subscriber did not return a single row as "
                    "expected\r\n"),
            2);
}

TEST_F(SubscriberRowsTest, AlternateExtensionsFillNineColumnsOrOverflowThem) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "two"});
  directory_.AddAlternateExtension("S1", "301");
  directory_.AddAlternateExtension("S1", "302");
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "none"});
  directory_.AddCompleteSubscriber({.id = "S3", .alias = "eleven"});
  for (int i = 0; i < 11; ++i) directory_.AddAlternateExtension("S3", QString::number(400 + i));
  directory_.Exec("INSERT INTO DTMFAccessID VALUES ('999', '1', 'S1')");
  Run(Request(Entries({1, 2, 3, 6, 7})));
  const QStringList csv = CsvLines();
  ASSERT_EQ(csv.size(), 4);
  EXPECT_EQ(csv[0], "Alias,FirstName,LastName,Extension,Extension_ALT1,Extension_ALT2,Extension_ALT3,"
                    "Extension_ALT4,Extension_ALT5,Extension_ALT6,Extension_ALT7,Extension_ALT8,Extension_ALT9");
  EXPECT_EQ(csv[1], "two,First,Last,51000,301,302,,,,,,,");
  EXPECT_EQ(csv[2], "none,First,Last,51000,,,,,,,,,");
  EXPECT_EQ(csv[3], "eleven,First,Last,51000,400,401,402,403,404,405,406,407,408,409,410");
}

TEST_F(SubscriberRowsTest, TransferValuesComeFromTheAlternateContactRule) {
  directory_.AddSubscriberRow({.id = "S1", .alias = "zero rings"});
  directory_.AddCallHandler("CH-S1", "1");
  directory_.AddContactRule("CH-S1", "Alternate", 3, 2, "5551234", 0);
  directory_.AddContactRule("CH-S1", "Standard", 9, 9, "9", 9);
  directory_.AddMwiDevice("S1", "MWI-1", "1");
  directory_.AddSubscriberRow({.id = "S2", .alias = "nulls"});
  directory_.AddCallHandler("CH-S2", "2");
  directory_.AddContactRule("CH-S2", "Alternate", QVariant(), QVariant(), QVariant(), QVariant());
  directory_.AddSubscriberRow({.id = "S3", .alias = "seven rings"});
  directory_.AddCallHandler("CH-S3", "3");
  directory_.AddContactRule("CH-S3", "Alternate", 1, 0, "44", 7);
  Run(Request(Entries({1, 2, 3, 6, 12, 13, 14, 15})));
  const QStringList csv = CsvLines();
  ASSERT_EQ(csv.size(), 4);
  EXPECT_EQ(csv[0], "Alias,FirstName,LastName,Extension,TransferAction,TransferType,TransferExtension,TransferRings");
  EXPECT_EQ(csv[1], "zero rings,First,Last,1,3,2,5551234,1");
  EXPECT_EQ(csv[2], "nulls,First,Last,2,,0,,");
  EXPECT_EQ(csv[3], "seven rings,First,Last,3,1,0,44,7");
}

TEST_F(SubscriberRowsTest, EachTickedEntryLogsAMissingOrAmbiguousContactRule) {
  directory_.AddSubscriberRow({.id = "S1", .alias = "no rule"});
  directory_.AddCallHandler("CH-S1", "1");
  directory_.AddMwiDevice("S1", "MWI-1", "1");
  directory_.AddSubscriberRow({.id = "S2", .alias = "two rules"});
  directory_.AddCallHandler("CH-S2", "2");
  directory_.AddMwiDevice("S2", "MWI-1", "2");
  directory_.AddContactRule("CH-S2", "Alternate", 1, 1, "1", 1);
  directory_.AddContactRule("CH-S2", "Alternate", 2, 2, "2", 2);
  const export_engine::RunResult result = Run(Request(AllEntries()));
  const QStringList csv = CsvLines();
  ASSERT_EQ(csv.size(), 3);
  EXPECT_TRUE(csv[1].startsWith("no rule,First,Last,Display,hash,1,,,,,,,,,,1,B1,1033,1,,,,,")) << csv[1].toStdString();
  EXPECT_TRUE(csv[2].startsWith("two rules,First,Last,Display,hash,2,,,,,,,,,,2,B1,1033,1,,,,,")) << csv[2].toStdString();
  const std::string line = "(error) could not find alternate contact rule for this subscriber.\r\n";
  EXPECT_EQ(CountOf(SubscriberLog(), line), 32);
  EXPECT_EQ(result.error_count, 32);
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

// The run reads each table once, at its start: a table dropped mid-run
// changes nothing in it, and a table missing at the start costs one line per
// subscriber where its values go, and the run goes on.
TEST_F(SubscriberRowsTest, TablesAreReadAtTheRunsStartAndAMissingOneCostsALinePerSubscriber) {
  for (int i = 1; i <= 3; ++i) directory_.AddCompleteSubscriber({.id = "S" + QString::number(i), .alias = "s" + QString::number(i)});
  // That the drop succeeds shows the run holds no lock on the file.
  bool dropped = false;
  front_end_.on_progress = [&](int subscribers_done) {
    if (subscribers_done == 1) {
      dropped = true;
      directory_.Exec("DROP TABLE NotificationMWI");
    }
  };
  const export_engine::ExportRequest request = Request(Entries({1, 2, 3, 6, 8, 9}));
  export_engine::RunResult result = Run(request);
  ASSERT_TRUE(dropped);
  EXPECT_EQ(result.error_count, 0);
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension,MWIExtension,BillingID",
                                     "s1,First,Last,51000,91000,B1", "s2,First,Last,51000,91000,B1",
                                     "s3,First,Last,51000,91000,B1"}));

  front_end_.on_progress = nullptr;
  result = Run(request);
  EXPECT_TRUE(result.reached_end);
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension,MWIExtension,BillingID",
                                     "s1,First,Last,51000,,B1", "s2,First,Last,51000,,B1", "s3,First,Last,51000,,B1"}));
  const std::string log = SubscriberLog();
  EXPECT_EQ(CountOf(log, "\r\n(error) in export. Description=no such table: NotificationMWI"), 3) << log;
  EXPECT_EQ(CountOf(log, ", Source=QSQLITE, Number=-2147467259\r\n"), 3) << log;
  EXPECT_EQ(result.error_count, 3);
  EXPECT_NE(Log().find("\r\n\r\nExport complete: "), std::string::npos);
}

}  // namespace
}  // namespace export_test
