// Starting another program: as a separate process, from an argument list
// (never through a shell, so a path with blanks stays one argument), without
// waiting for it. The program never blocks on a process it started.
#ifndef KORVEL_EXPORT_MONITOR_PROGRAM_START_H_
#define KORVEL_EXPORT_MONITOR_PROGRAM_START_H_

#include <QString>
#include <QStringList>

namespace monitor {

// Starts `program` hidden: its input comes from and its output goes to
// /dev/null, as a hidden console would leave them. True when it started.
bool StartHiddenProgram(const QString& program, const QStringList& arguments);

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_PROGRAM_START_H_
