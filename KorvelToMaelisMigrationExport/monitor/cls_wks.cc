#include "KorvelToMaelisMigrationExport/monitor/cls_wks.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace monitor {

clsWKS::clsWKS() {
  long buffer_size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(buffer_size > 0 ? static_cast<size_t>(buffer_size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    user_name_ = QString::fromLocal8Bit(found->pw_name);
  }
}

}  // namespace monitor
