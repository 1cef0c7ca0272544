#include "KorvelToMaelisMigrationExport/monitor/program_start.h"

#include <QProcess>

namespace monitor {

bool StartHiddenProgram(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  return process.startDetached();
}

}  // namespace monitor
