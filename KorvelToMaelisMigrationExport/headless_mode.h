// The headless mode: start-up and one export without any window, for scripts
// and for servers without a desktop.
#ifndef KORVEL_EXPORT_HEADLESS_MODE_H_
#define KORVEL_EXPORT_HEADLESS_MODE_H_

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace export_program {

// Runs start-up and the export that `command_line` asks for. Notices,
// questions and progress go to standard error; when the run reaches its end,
// standard output gets "csv: PATH", "log: PATH", with messages "extraction
// log: PATH", and, last, "errors: N".
int RunHeadless(const CommandLine& command_line);

}  // namespace export_program

#endif  // KORVEL_EXPORT_HEADLESS_MODE_H_
