#include "KorvelToMaelisMigrationExport/headless_mode.h"

#include <unistd.h>

#include <cstdio>

#include "KorvelToMaelisMigrationExport/export/export_request.h"
#include "KorvelToMaelisMigrationExport/export/export_run.h"
#include "KorvelToMaelisMigrationExport/export/output_paths.h"
#include "KorvelToMaelisMigrationExport/headless_front_end.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/directory_select.h"
#include "KorvelToMaelisMigrationExport/startup.h"
#include "platform/interrupt/interrupt.h"

namespace export_program {

int RunHeadless(const CommandLine& command_line) {
  // A stop signal ends the run between two subscribers, with its files in
  // order and a last log line, instead of killing it mid-write.
  interrupt::InstallHandlers();
  HeadlessFrontEnd front_end(stderr, {command_line.overwrite, command_line.accept_account},
                             ::isatty(STDERR_FILENO) == 1);

  ProgramSession session;
  QString failure_detail;
  if (StartProgram(ChooseConnectString(command_line.connect), command_line.text, front_end, nullptr, &session,
                   &failure_detail) == StartupResult::kEndProgram) {
    if (!failure_detail.isEmpty()) std::fprintf(stderr, "%s: %s\n", kProgramName, failure_detail.toLocal8Bit().constData());
    return kExitStartupEnded;
  }

  export_engine::ExportRequest request;
  request.output_path = command_line.output ? OutputPathForOption(*command_line.output) : QString();
  if (!request.output_path.isEmpty()) {
    // The window's folder chooser offers only folders that pass the write
    // test; on the console the folder named by --output gets the same test,
    // after being made when it was named as a folder ("DIR/") and is missing.
    const shell::OutputFolderReadiness folder =
        shell::ReadyOutputFolder(request.output_path, command_line.output->endsWith(QLatin1Char('/')));
    if (folder.created) {
      std::fprintf(stderr, "%s: created the folder %s\n", kProgramName,
                   export_engine::LogFolder(request.output_path).toLocal8Bit().constData());
    }
    if (!folder.usable) {
      front_end.Ask({shell::kInvalidFolderNotice, localisation::myLoadResString(shell::kInvalidFolderNotice),
                     export_engine::PromptButtons::kOk});
      return kExitRunEnded;
    }
  }
  request.data_items = command_line.data_items;
  request.include_messages = command_line.include_messages;
  request.started_with_arguments = !command_line.text.isEmpty();

  export_engine::ExportEnvironment environment{session.tables, ThisProgram(), session.subscriber_count};
  const export_engine::RunResult result = export_engine::RunExport(request, environment, front_end);
  if (result.folder_in_use) return kExitStartupEnded;
  if (result.interrupted_by != 0) {
    std::fprintf(stderr, "%s: interrupted by %s; the export log %s says how far the run got\n", kProgramName,
                 interrupt::SignalName(result.interrupted_by).c_str(), result.log_path.toLocal8Bit().constData());
    return interrupt::ExitStatusFor(result.interrupted_by);
  }
  if (!result.reached_end) return kExitRunEnded;

  std::printf("csv: %s\nlog: %s\n", result.csv_path.toLocal8Bit().constData(),
              result.log_path.toLocal8Bit().constData());
  if (!result.extraction_log_path.isEmpty()) {
    std::printf("extraction log: %s\n", result.extraction_log_path.toLocal8Bit().constData());
  }
  std::printf("errors: %d\n", result.error_count);
  std::fflush(stdout);
  return kExitReachedEnd;
}

}  // namespace export_program
