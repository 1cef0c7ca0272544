// The start-up every front end goes through before its one export: the
// directory database and its cached tables, and the count of subscribers the
// export will walk. The window and the headless mode share it, so both start
// the same way and fail the same way.
#ifndef KORVEL_EXPORT_STARTUP_H_
#define KORVEL_EXPORT_STARTUP_H_

#include <cstdint>
#include <optional>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"

namespace export_program {

// What start-up prepares for the life of the program.
struct ProgramSession {
  export_engine::TableCache tables;
  std::int64_t subscriber_count = 0;
};

// The directory's connect string: the --connect option, else the environment
// variable KORVEL_DB_CONNECT, else the server's own database through ODBC.
QString ChooseConnectString(const std::optional<QString>& option);

// The program as the export log names it: its file name and version.
export_engine::ProgramIdentity ThisProgram();

enum class StartupResult { kReady, kEndProgram };

// Runs the start-up checks in their order. A check that ends the program has
// shown its notice through `front_end` (an unexpected failure only when the
// command line is empty); `failure_detail` then holds what the database
// driver or the system said, for a console to show.
StartupResult StartProgram(const QString& connect_string, const QString& command_line_text,
                           export_engine::ExportFrontEnd& front_end, ProgramSession* session,
                           QString* failure_detail);

}  // namespace export_program

#endif  // KORVEL_EXPORT_STARTUP_H_
