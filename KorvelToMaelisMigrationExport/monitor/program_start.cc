#include "KorvelToMaelisMigrationExport/monitor/program_start.h"

#include <QProcess>

namespace monitor {

bool StartDetachedProgram(const QString& program, const QStringList& arguments, WindowStyle style, qint64* pid) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  if (style == WindowStyle::kHidden) {
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
  }
  return process.startDetached(pid);
}

}  // namespace monitor
