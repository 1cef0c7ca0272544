// The headless export on a disk that fills up: the program runs with its
// files' sizes limited (the signal ignored, so a write beyond the limit fails
// as on a full disk). Whatever is lost is logged and counted, and no file is
// left half-written for the successor's import to take as whole.
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace {

using export_test::CountOf;
using export_test::Finished;
using export_test::ReadBytes;
using export_test::ReadUtf16LeText;

constexpr char kTooLarge[] =
    "(error) in export. Description=File too large, Source=KorvelToMaelisMigrationExport, Number= 61";
constexpr int kSubscribers = 10;

class FullDiskTest : public ::testing::Test {
 protected:
  FullDiskTest() {
    QDir().mkpath(output_);
    QDir().mkpath(work_.File("server/Stream Files"));
    export_test::WriteServerRegistry(work_.File("registry.reg"), {.root_path = work_.File("server/")});
  }

  Finished Run(rlim_t file_size_limit) {
    return export_test::RunProgram(
        "KorvelToMaelisMigrationExport", {"--headless", "--output", output_, "--items", "1,2,3,6,16", "--overwrite"},
        export_test::ProgramEnvironment(work_.path(), work_.File("registry.reg"), directory_.connect_string()),
        QString(), [file_size_limit] {
          signal(SIGXFSZ, SIG_IGN);
          const rlimit limit{file_size_limit, file_size_limit};
          setrlimit(RLIMIT_FSIZE, &limit);
        });
  }

  QString Csv() const { return output_ + "/KorvelMigrationOutput.csv"; }
  std::string Log() const { return ReadBytes(output_ + "/KorvelToMaelisMigrationErrors.log"); }

  export_test::TempFolder work_;
  export_test::TestDirectory directory_{work_.File("KorvelDb.sqlite")};
  QString output_ = work_.File("out");
};

TEST_F(FullDiskTest, ACsvFileThatOutgrowsTheDiskLosesWholeRowsAndSaysSo) {
  // Subscribers whose rows are long, so that the CSV file outgrows the log.
  for (int i = 1; i <= kSubscribers; ++i) {
    directory_.AddCompleteSubscriber({.id = QString("S%1").arg(i), .alias = QString("user%1").arg(i),
                                      .first_name = QString(100, 'F'), .last_name = QString(100, 'L')});
  }
  const Finished unlimited = Run(RLIM_INFINITY);
  ASSERT_TRUE(unlimited.out.endsWith("errors: 0\n")) << unlimited.out.toStdString() << unlimited.err.toStdString();
  const qint64 whole = QFileInfo(Csv()).size();
  ASSERT_GT(static_cast<size_t>(whole / 2), Log().size() + kSubscribers * sizeof kTooLarge) << "the log must fit";

  const Finished limited = Run(static_cast<rlim_t>(whole / 2));
  EXPECT_EQ(limited.exit_code, 0) << limited.err.toStdString();
  const int lost = CountOf(Log(), kTooLarge);
  EXPECT_GT(lost, 0) << Log();
  EXPECT_TRUE(limited.out.endsWith(QString("errors: %1\n").arg(lost))) << limited.out.toStdString();
  // Every row in the file is whole: the one that did not fit is not there at all.
  const QString csv = ReadUtf16LeText(Csv());
  EXPECT_TRUE(csv.endsWith("\r\n"));
  EXPECT_EQ(csv.count("\r\n") + lost, 1 + kSubscribers) << csv.toStdString();

  // When nothing can be written every line is counted.
  const Finished nothing = Run(0);
  EXPECT_EQ(nothing.exit_code, 0) << nothing.err.toStdString();
  EXPECT_TRUE(nothing.out.endsWith(QString("errors: %1\n").arg(1 + kSubscribers))) << nothing.out.toStdString();
  EXPECT_EQ(QFileInfo(Csv()).size(), 0);
  EXPECT_TRUE(Log().empty());
}

TEST_F(FullDiskTest, AVoiceNameThatOutgrowsTheDiskIsNotLeftHalfCopied) {
  export_test::WriteBytes(work_.File("server/Stream Files/one.wav"), "RIFF" + std::string(64 * 1024, 'w'));
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "one", .stream_path = "one.wav"});
  const Finished run = Run(16 * 1024);
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.endsWith("errors: 1\n")) << run.out.toStdString();
  EXPECT_EQ(CountOf(Log(), kTooLarge), 1) << Log();
  // The row names the file, as it does for any copy that failed.
  EXPECT_TRUE(ReadUtf16LeText(Csv()).endsWith(",one_VOICE_NAME.WAV\r\n"));
  EXPECT_FALSE(QFileInfo::exists(output_ + "/one_VOICE_NAME.WAV"));
}

}  // namespace
