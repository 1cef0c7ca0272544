// The program's own priority, lowered in a child process so that the test
// process keeps its own.
#include "KorvelToMaelisMigrationExport/monitor/priority.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

namespace monitor {
namespace {

// Runs `check` in a child process; true when it returned true there.
template <typename Check>
bool InChild(Check check) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(check() ? 0 : 1);
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(PriorityTest, LowersByFiveNiceStepsAndNoFurtherThanTheLowest) {
  EXPECT_TRUE(InChild([] {
    const int before = ::getpriority(PRIO_PROCESS, 0);
    return LowerOwnPriorityBelowNormal() && ::getpriority(PRIO_PROCESS, 0) == std::min(before + 5, 19);
  }));
  EXPECT_TRUE(InChild([] {
    return ::setpriority(PRIO_PROCESS, 0, 17) == 0 && LowerOwnPriorityBelowNormal() &&
           ::getpriority(PRIO_PROCESS, 0) == 19;
  }));
}

}  // namespace
}  // namespace monitor
