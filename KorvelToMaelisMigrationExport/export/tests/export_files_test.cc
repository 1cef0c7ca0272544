// The bytes of the two files an administrator reads or imports: the CSV file
// and the export log, and the failure lines the log carries.
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/status.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_engine {
namespace {

using export_test::ReadBytes;
using export_test::TempFolder;

QString Fields(std::initializer_list<QString> values) {
  QString line;
  for (const QString& value : values) AppendCsvField(line, value);
  EndCsvLine(line);
  return line;
}

TEST(CsvFieldTest, TrimsOnlyPlainBlanks) {
  EXPECT_EQ(Fields({"  Smith  "}), "Smith");
  EXPECT_EQ(Fields({"\tSmith\u00A0"}), "\tSmith\u00A0");
  EXPECT_EQ(Fields({"   ", "", "x"}), ",,x");
}

TEST(CsvFieldTest, QuotesOnlyValuesWithACommaAndKeepsInnerQuotesAndBreaks) {
  EXPECT_EQ(Fields({"Smith, Jr.", "plain"}), "\"Smith, Jr.\",plain");
  EXPECT_EQ(Fields({"O\"Neil"}), "O\"Neil");
  EXPECT_EQ(Fields({"\"Bob\", Sr."}), "\"\"Bob\", Sr.\"");
  EXPECT_EQ(Fields({" a, b "}), "\"a, b\"");
  EXPECT_EQ(Fields({"two\r\nlines"}), "two\r\nlines");
}

TEST(CsvFileTest, StartsWithByteOrderMarkAndEndsEveryLineWithCrLf) {
  TempFolder folder;
  const QString path = folder.File(kCsvFileName);
  export_test::WriteBytes(path, "an earlier export that is longer than the new one, which replaces it");
  CsvFile csv;
  ASSERT_TRUE(csv.Create(path).ok());
  ASSERT_TRUE(csv.WriteLine(u"Alias,FirstName").ok());
  ASSERT_TRUE(csv.WriteLine(u"M\u00FCller,\u20AC").ok());
  // Until it is whole the file is only under its temporary name.
  EXPECT_EQ(ReadBytes(path).substr(0, 8), "an earli");
  ASSERT_TRUE(csv.Commit().ok());
  const std::string expected = std::string("\xFF\xFE", 2) + std::string("A\0l\0i\0a\0s\0,\0F\0i\0r\0s\0t\0N\0a\0m\0e\0", 30) +
                               std::string("\r\0\n\0", 4) + std::string("M\0\xFC\0l\0l\0e\0r\0,\0\xAC\x20", 16) +
                               std::string("\r\0\n\0", 4);
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{kCsvFileName});
  EXPECT_EQ(csv.WriteLine(u"Alias").number(), error_number::kBadFileNameOrNumber);
}

TEST(CsvFileTest, AReadOnlyFileIsNotReplaced) {
  TempFolder folder;
  const QString path = folder.File(kCsvFileName);
  export_test::WriteBytes(path, "kept");
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
  {
    CsvFile csv;
    EXPECT_EQ(csv.Create(path).number(), error_number::kPermissionDenied);
    EXPECT_EQ(csv.WriteLine(u"Alias").number(), error_number::kPermissionDenied);
    EXPECT_TRUE(csv.Commit().ok());
  }
  EXPECT_EQ(ReadBytes(path), "kept");
}

TEST(CsvFileTest, ALineThatDoesNotFitIsLeftOutWhole) {
  TempFolder folder;
  const QString path = folder.File(kCsvFileName);
  // Under a limit of 16 bytes no disk space can be set aside for a block of
  // lines, so each line is written on its own: part of "Alias" fits after
  // "A", not the rest.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto saved_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = saved;
  limit.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  CsvFile csv;
  const Status created = csv.Create(path);
  const Status first = csv.WriteLine(u"A");
  const Status full = csv.WriteLine(u"Alias");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, saved_handler);
  ASSERT_TRUE(created.ok());
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(full.number(), error_number::kDiskFull);
  // Without the limit lines are gathered again; the space set aside for them
  // is no part of the file.
  ASSERT_TRUE(csv.WriteLine(u"B").ok());
  ASSERT_TRUE(csv.Commit().ok());
  EXPECT_EQ(ReadBytes(path), std::string("\xFF\xFE" "A\0\r\0\n\0" "B\0\r\0\n\0", 14));
}

TEST(RunFailureTest, LogLineCarriesDescriptionSourceAndSignedNumber) {
  EXPECT_EQ(Status::Failure("Disk full", "KorvelToMaelisMigrationExport", 61).RunLogLine(),
            "(error) in export. Description=Disk full, Source=KorvelToMaelisMigrationExport, Number= 61");
  EXPECT_EQ(Status::Failure("no such table: ContactRule", "QSQLITE", error_number::kDatabaseFailure).RunLogLine(),
            "(error) in export. Description=no such table: ContactRule, Source=QSQLITE, Number=-2147467259");
  EXPECT_EQ(SignedNumberText(0), " 0");
}

TEST(RunFailureTest, SystemErrorsMapToTheRuntimeFileNumbers) {
  const std::pair<int, qint32> expected[] = {{ENOENT, 53}, {ENOTDIR, 76}, {ENOSPC, 61},
                                             {EACCES, 70}, {EROFS, 70},   {EIO, 75}};
  for (auto [system_error, number] : expected) {
    EXPECT_EQ(Status::FileFailure(system_error, error_number::kFileNotFound).number(), number) << system_error;
  }
  EXPECT_EQ(Status::FileFailure(ENOENT, error_number::kPathNotFound).number(), 76);
  EXPECT_EQ(Status::FileFailure(ENOSPC, 0).description(), "No space left on device");
}

const ProgramIdentity kProgram{"KorvelToMaelisMigrationExport", 1, 0, 23};

const std::string kAsterisks(61, '*');
const std::string kHeader = "\r\n" + kAsterisks + "\r\n" +
                            "Running KorvelToMaelisMigrationExport version: 1.0.23\r\n\r\n" +
                            "Search for '(error)' or '(warning)' to find logged errors and warnings during the "
                            "import process.\r\n\r\n" +
                            kAsterisks + "\r\n\r\n";

TEST(ExportLogTest, HeaderAndLinesAreWindows1252WithCrLf) {
  TempFolder folder;
  const QString path = folder.File(kExportLogFileName);
  int yields = 0;
  ExportLog log([&] { ++yields; });
  log.OpenExportLog(path, false, kProgram);
  EXPECT_EQ(log.error_count(), 0);
  log.WriteLogLine(u"\r\nAlias=M\u00FCller \u20AC \u4E2D");
  log.WriteLogLine(u"    skipping EAdmin");
  log.CloseExportLog();
  EXPECT_EQ(ReadBytes(path), kHeader + "\r\nAlias=M\xFCller \x80 ?\r\n    skipping EAdmin\r\n");
  EXPECT_EQ(yields, 6);
}

TEST(ExportLogTest, CountsErrorLinesOnceInAnyCaseAndAfterClosing) {
  TempFolder folder;
  const QString path = folder.File(kExportLogFileName);
  ExportLog log(nullptr);
  log.OpenExportLog(path, false, kProgram);
  log.WriteLogLine(u"(ERROR) upper case");
  log.WriteLogLine(u"(error) twice (error)");
  log.WriteLogLine(u"(warning) is not an error");
  EXPECT_EQ(log.error_count(), 2);
  log.CloseExportLog();
  log.WriteLogLine(u"(error) after closing");
  EXPECT_EQ(log.error_count(), 3);
  EXPECT_EQ(ReadBytes(path).find("after closing"), std::string::npos);
}

// Lines are written in blocks; an error line reaches the file at once, and
// a process that crashes still leaves every line it wrote.
TEST(ExportLogTest, ErrorLinesAndTheLinesOfACrashedProcessReachTheFile) {
  TempFolder folder;
  const QString path = folder.File(kExportLogFileName);
  ExportLog log(nullptr);
  log.OpenExportLog(path, false, kProgram);
  log.WriteLogLine(u"\r\nAlias=a");
  log.WriteLogLine(u"(error) in export.");
  EXPECT_EQ(ReadBytes(path), kHeader + "\r\nAlias=a\r\n(error) in export.\r\n");
  log.CloseExportLog();

  const QString crashed = folder.File("crashed.log");
  EXPECT_DEATH(
      {
        ExportLog doomed(nullptr);
        doomed.OpenExportLog(crashed, false, kProgram);
        doomed.WriteLogLine(u"the last line");
        std::abort();
      },
      "");
  EXPECT_EQ(ReadBytes(crashed), kHeader + "the last line\r\n");
}

TEST(ExportLogTest, CountStopsAt32767) {
  TempFolder folder;
  ExportLog log(nullptr);
  log.OpenExportLog(folder.File(kExportLogFileName), false, kProgram);
  for (int i = 0; i < 32770; ++i) log.WriteLogLine(u"(error)");
  EXPECT_EQ(log.error_count(), 32767);
}

TEST(ExportLogTest, ReopeningReplacesTheWholeLogUnlessAppending) {
  TempFolder folder;
  const QString path = folder.File(kExportLogFileName);
  ExportLog log(nullptr);
  log.OpenExportLog(path, false, kProgram);
  log.WriteLogLine(u"(error) first run");
  log.OpenExportLog(path, false, kProgram);
  EXPECT_EQ(log.error_count(), 0);
  log.CloseExportLog();
  EXPECT_EQ(ReadBytes(path), kHeader);
  log.OpenExportLog(path, true, kProgram);
  log.CloseExportLog();
  EXPECT_EQ(ReadBytes(path), kHeader + kHeader);
}

TEST(ExportLogTest, LogThatCannotBeOpenedStillCounts) {
  TempFolder folder;
  ExportLog log(nullptr);
  log.OpenExportLog(folder.File("missing/KorvelToMaelisMigrationErrors.log"), false, kProgram);
  log.WriteLogLine(u"(error) lost");
  EXPECT_EQ(log.error_count(), 1);
}

}  // namespace
}  // namespace export_engine
