#include "KorvelToMaelisMigrationExport/monitor/priority.h"

#include <sys/resource.h>

#include <algorithm>
#include <cerrno>

namespace monitor {
namespace {

constexpr int kBelowNormalSteps = 5;
constexpr int kLowestPriority = 19;

}  // namespace

bool LowerOwnPriorityBelowNormal() {
  // -1 is a valid nice value, so only errno tells a failure.
  errno = 0;
  const int current = ::getpriority(PRIO_PROCESS, 0);
  if (current == -1 && errno != 0) return false;
  return ::setpriority(PRIO_PROCESS, 0, std::min(current + kBelowNormalSteps, kLowestPriority)) == 0;
}

}  // namespace monitor
