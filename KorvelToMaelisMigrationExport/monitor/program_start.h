// Starting another program: as a separate process, from an argument list
// (never through a shell, so a path with blanks stays one argument), without
// waiting for it. The program never blocks on a process it started.
#ifndef KORVEL_EXPORT_MONITOR_PROGRAM_START_H_
#define KORVEL_EXPORT_MONITOR_PROGRAM_START_H_

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace monitor {

// How the started program should show itself. Only kHidden changes anything
// here: the program's input comes from and its output goes to /dev/null, as
// a hidden console would leave them. Where a program's window goes is the
// desktop's business, so the other styles leave the program's output on the
// console of this one.
enum class WindowStyle { kHidden, kMaximizedWithFocus, kMinimizedWithFocus };

// True when the program started; `pid` (when given) then holds its process id.
bool StartDetachedProgram(const QString& program, const QStringList& arguments, WindowStyle style,
                          qint64* pid = nullptr);

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_PROGRAM_START_H_
