// The bytes of the two files an administrator reads or imports: the CSV file
// and the export log.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_engine {
namespace {

using export_test::ReadBytes;
using export_test::TempFolder;
using export_test::WriteBytes;

// UTF-16LE with byte-order mark and CR LF, under its name only when whole; a
// read-only file is not replaced.
TEST(CsvFileTest, ReplacesAnEarlierFileOnlyWhenWholeAndNeverAReadOnlyOne) {
  TempFolder folder;
  const QString path = folder.File(kCsvFileName);
  WriteBytes(path, "an earlier export that is longer than the new one");
  CsvFile csv;
  ASSERT_TRUE(csv.Create(path).ok());
  ASSERT_TRUE(csv.WriteLine(u"A,\u00FC\u20AC").ok());
  EXPECT_EQ(ReadBytes(path).substr(0, 8), "an earli");
  ASSERT_TRUE(csv.Commit().ok());
  EXPECT_EQ(ReadBytes(path), std::string("\xFF\xFE" "A\0,\0\xFC\0\xAC\x20\r\0\n\0", 14));
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{kCsvFileName});

  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
  CsvFile refused;
  EXPECT_EQ(refused.Create(path).number(), error_number::kPermissionDenied);
  EXPECT_EQ(ReadBytes(path).size(), 14u);
}

const ProgramIdentity kProgram{"KorvelToMaelisMigrationExport", 1, 0, 23};
const std::string kHeader = "\r\n" + std::string(61, '*') +
                            "\r\nRunning KorvelToMaelisMigrationExport version: 1.0.23\r\n\r\nSearch for '(error)' or "
                            "'(warning)' to find logged errors and warnings during the import process.\r\n\r\n" +
                            std::string(61, '*') + "\r\n\r\n";

// Windows-1252 with CR LF; error lines are counted once in any case and reach
// the file at once, and a process that crashes still leaves every line it wrote.
TEST(ExportLogTest, IsWindows1252WithCrLfCountsErrorLinesAndKeepsACrashedProcesssLines) {
  TempFolder folder;
  const QString path = folder.File(kExportLogFileName);
  WriteBytes(path, "an earlier log");
  ExportLog log(nullptr);
  log.OpenExportLog(path, false, kProgram);
  log.WriteLogLine(u"\r\nAlias=M\u00FCller \u20AC \u4E2D");
  log.WriteLogLine(u"(ERROR) twice (error)");
  EXPECT_EQ(ReadBytes(path), kHeader + "\r\nAlias=M\xFCller \x80 ?\r\n(ERROR) twice (error)\r\n");
  log.WriteLogLine(u"(warning) is not an error");
  EXPECT_EQ(log.error_count(), 1);
  log.CloseExportLog();
  log.WriteLogLine(u"(error) after closing");
  EXPECT_EQ(log.error_count(), 2);
  EXPECT_EQ(ReadBytes(path), kHeader + "\r\nAlias=M\xFCller \x80 ?\r\n(ERROR) twice (error)\r\n(warning) is not an error\r\n");
  EXPECT_DEATH(
      {
        ExportLog doomed(nullptr);
        doomed.OpenExportLog(folder.File("crashed.log"), false, kProgram);
        doomed.WriteLogLine(u"the last line");
        std::abort();
      },
      "");
  EXPECT_EQ(ReadBytes(folder.File("crashed.log")), kHeader + "the last line\r\n");
}

}  // namespace
}  // namespace export_engine
