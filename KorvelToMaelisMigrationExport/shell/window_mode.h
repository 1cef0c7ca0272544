// The program with its main window: start-up in the window, then the window
// until the administrator leaves it.
#ifndef KORVEL_EXPORT_SHELL_WINDOW_MODE_H_
#define KORVEL_EXPORT_SHELL_WINDOW_MODE_H_

#include "KorvelToMaelisMigrationExport/command_line.h"

namespace shell {

// Needs the application object. Returns the program's exit status.
int RunMainWindow(const export_program::CommandLine& command_line);

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_WINDOW_MODE_H_
