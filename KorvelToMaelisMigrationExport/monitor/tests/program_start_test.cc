// Starting another program hidden: its arguments whole, its output gone; and
// the program's own priority, lowered in a child process so that the test
// process keeps its own.
#include "KorvelToMaelisMigrationExport/monitor/program_start.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/monitor/account_check.h"
#include "KorvelToMaelisMigrationExport/monitor/priority.h"

namespace monitor {
namespace {

TEST(ProgramStartTest, AHiddenProgramGetsItsArgumentsWholeAndItsOutputDiscarded) {
  export_test::TempFolder folder;
  const QString record = folder.File("record of run");
  // Records its arguments and where its output goes, then says it is done.
  const QString recorder = "printf '%s|' \"$@\" \"$(readlink /proc/$$/fd/1)\" > \"$0\"; touch \"$0.done\"";
  ASSERT_TRUE(StartHiddenProgram("/bin/sh", {"-c", recorder, record, "a file with  blanks.txt", "$HOME;x"}));
  for (QDeadlineTimer deadline(30000); !QFileInfo::exists(record + ".done") && !deadline.hasExpired();) {
    QThread::msleep(10);
  }
  EXPECT_EQ(export_test::ReadBytes(record), "a file with  blanks.txt|$HOME;x|/dev/null|");
  EXPECT_FALSE(StartHiddenProgram(folder.File("no such program"), {}));
}

TEST(PriorityTest, LowersByFiveNiceStepsAndNoFurtherThanTheLowest) {
  for (const int start : {0, 17}) {
    const pid_t child = ::fork();
    if (child == 0) {
      const bool lowered = ::setpriority(PRIO_PROCESS, 0, start) == 0 && LowerOwnPriorityBelowNormal() &&
                           ::getpriority(PRIO_PROCESS, 0) == std::min(start + 5, 19);
      ::_exit(lowered ? 0 : 1);
    }
    int status = 1;
    EXPECT_TRUE(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "from " << start;
  }
}

// The service account must end with the user's name, in any case; the
// domain part is not looked at, and a user nobody could name is not asked.
TEST(AccountCheckTest, TheServiceAccountMustEndWithTheUserName) {
  EXPECT_TRUE(AccountIsMessageStoreFacing(u"CORP\\alice", u"ALICE"));
  EXPECT_TRUE(AccountIsMessageStoreFacing(u"CORP\\jimbob", u"bob"));
  EXPECT_FALSE(AccountIsMessageStoreFacing(u"alice", u"alice2"));
  EXPECT_FALSE(AccountIsMessageStoreFacing(u"", u"alice"));
  EXPECT_TRUE(AccountIsMessageStoreFacing(u"CORP\\alice", u""));
}

}  // namespace
}  // namespace monitor
