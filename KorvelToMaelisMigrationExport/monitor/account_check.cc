#include "KorvelToMaelisMigrationExport/monitor/account_check.h"

#include <QString>

#include "KorvelToMaelisMigrationExport/monitor/cls_wks.h"
#include "KorvelToMaelisMigrationExport/shell/registry_api.h"

namespace monitor {

bool AccountIsMessageStoreFacing(QStringView service_account, QStringView user_name) {
  return service_account.endsWith(user_name, Qt::CaseInsensitive);
}

bool bCheckIfRunningAccountIsMessageStoreFacing() {
  const QString service_account = shell::ReadMachineString(QStringLiteral("SYSTEM\\CurrentControlSet\\Services\\QoTmMgr"),
                                                           QStringLiteral("ObjectName"));
  const clsWKS workstation;
  return AccountIsMessageStoreFacing(service_account, workstation.UserName());
}

}  // namespace monitor
