// Starting another program: from an argument list, detached, and with its
// output gone when it is hidden.
#include "KorvelToMaelisMigrationExport/monitor/program_start.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace monitor {
namespace {

using export_test::ReadBytes;

// The started program runs on its own; its file shows that it ran.
std::string WaitForFile(const QString& path) {
  QDeadlineTimer deadline(30000);
  while (!QFileInfo::exists(path + ".done") && !deadline.hasExpired()) QThread::msleep(10);
  return ReadBytes(path);
}

// A small script that records its arguments and where its output goes.
const QString kRecorder = QStringLiteral(
    "out=$(readlink /proc/$$/fd/1); printf '%s|' \"$@\" \"$out\" > \"$0\"; echo printed; touch \"$0.done\"");

TEST(ProgramStartTest, AHiddenProgramGetsItsArgumentsWholeAndItsOutputDiscarded) {
  export_test::TempFolder folder;
  const QString record = folder.File("record of run");
  qint64 pid = 0;
  ASSERT_TRUE(StartDetachedProgram("/bin/sh", {"-c", kRecorder, record, "a file with  blanks.txt", "$HOME;x"},
                                   WindowStyle::kHidden, &pid));
  EXPECT_GT(pid, 0);
  EXPECT_EQ(WaitForFile(record), "a file with  blanks.txt|$HOME;x|/dev/null|");
}

TEST(ProgramStartTest, AProgramThatCannotStartIsReported) {
  export_test::TempFolder folder;
  EXPECT_FALSE(StartDetachedProgram(folder.File("no such program"), {}, WindowStyle::kMaximizedWithFocus));
}

}  // namespace
}  // namespace monitor
