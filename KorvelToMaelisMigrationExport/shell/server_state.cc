#include "KorvelToMaelisMigrationExport/shell/server_state.h"

#include <QString>

#include "KorvelToMaelisMigrationExport/shell/registry_api.h"

namespace shell {

qint32 ReadServerState() {
  return ReadMachineNumber(QStringLiteral("Software\\Halvern\\Trellium\\1.0"), QStringLiteral("Server State"));
}

}  // namespace shell
