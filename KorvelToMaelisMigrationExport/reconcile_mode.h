// The two console modes around an export: --preflight before it and --verify
// after it. Both run start-up as the headless mode does, print progress on
// standard error and their report on standard output, and write the report
// as JSON to --report's file when asked.
#ifndef KORVEL_EXPORT_RECONCILE_MODE_H_
#define KORVEL_EXPORT_RECONCILE_MODE_H_

#include "KorvelToMaelisMigrationExport/command_line.h"

namespace export_program {

// 0 when an export with these options would go through and fit, 1 when not,
// 2 when start-up ended the program.
int RunPreflight(const CommandLine& command_line);

// 0 when everything in the folder is accounted for, 1 when anything is
// missing, altered, damaged, duplicated or unexplained, 2 when start-up ended
// the program.
int RunVerify(const CommandLine& command_line);

}  // namespace export_program

#endif  // KORVEL_EXPORT_RECONCILE_MODE_H_
