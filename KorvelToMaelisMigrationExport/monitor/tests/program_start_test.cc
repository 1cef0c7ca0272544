// The program's own priority, lowered in a child process so that the test
// process keeps its own, and the service account check.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/monitor/account_check.h"
#include "KorvelToMaelisMigrationExport/monitor/priority.h"

namespace monitor {
namespace {

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
