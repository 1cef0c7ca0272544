// The start-up every front end goes through before its one export, in its
// fixed order: one copy at a time, a lower priority, the captions, the
// server's state and version, the directory database and its cached tables,
// the last output path, the count of subscribers the export will walk, the
// data-item list. The window and the headless mode share it, so both start
// the same way and fail the same way; the steps that only a window has are
// the window's to do.
#ifndef KORVEL_EXPORT_STARTUP_H_
#define KORVEL_EXPORT_STARTUP_H_

#include <cstdint>
#include <optional>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/shell/korvel_version.h"
#include "KorvelToMaelisMigrationExport/shell/single_copy_lock.h"

namespace export_program {

inline constexpr char kProgramName[] = "KorvelToMaelisMigrationExport";

// Exit statuses of the program.
inline constexpr int kExitReachedEnd = 0;
inline constexpr int kExitRunEnded = 1;      // a check or a No answer ended the run
inline constexpr int kExitStartupEnded = 2;  // start-up ended the program
inline constexpr int kExitUsage = 64;

// Start-up's notices, by the string-table ids of their texts.
inline constexpr int kServerMustBeRunning = 63;
inline constexpr int kServerTooOld = 102;
inline constexpr int kCouldNotOpenDatabase = 112;
inline constexpr int kStartupFailed = 18;  // followed by the failure's description
inline constexpr int kExitingApplication = 20;

// What start-up prepares for the life of the program.
struct ProgramSession {
  shell::SingleCopyLock single_copy;
  shell::ServerVersion server_version;
  QString command_line_text;  // empty when the program was started without arguments
  export_engine::TableCache tables;
  std::int64_t subscriber_count = 0;
};

// The steps of start-up that fill a window. The headless mode has none.
class StartupWindow {
 public:
  virtual ~StartupWindow() = default;
  virtual void LoadCaptions() = 0;   // from the string table
  virtual void LoadSettings() = 0;   // the last output path
  virtual void FillDataItems() = 0;  // the sixteen entries, all ticked
};

// The directory's connect string: the --connect option, else the environment
// variable KORVEL_DB_CONNECT, else the server's own database through ODBC.
QString ChooseConnectString(const std::optional<QString>& option);

// The program as the export log names it: its file name and version.
export_engine::ProgramIdentity ThisProgram();

enum class StartupResult { kReady, kEndProgram };

// Runs start-up. A check that ends the program has shown its notice through
// `front_end` (a second copy and an unexpected failure none; the latter the
// notices 18 and 20 when the command line is empty), and `failure_detail`
// then holds one line for a console: what the database driver or the system
// said, or what was found in place of what was needed. `window` is null in
// the headless mode.
StartupResult StartProgram(const QString& connect_string, const QString& command_line_text,
                           export_engine::ExportFrontEnd& front_end, StartupWindow* window, ProgramSession* session,
                           QString* failure_detail);

}  // namespace export_program

#endif  // KORVEL_EXPORT_STARTUP_H_
