// One export run: the checks of the request, the CSV file with its header row
// and one row per subscriber, the voice names, the export log, and the
// closing summary with its offers to open the files written.
#ifndef KORVEL_EXPORT_EXPORT_EXPORT_RUN_H_
#define KORVEL_EXPORT_EXPORT_EXPORT_RUN_H_

#include <cstdint>
#include <vector>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/export_request.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"

namespace export_engine {

// What the program set up at start-up and every run uses.
struct ExportEnvironment {
  TableCache& tables;           // open
  ProgramIdentity program;      // for the log's header
  std::int64_t subscriber_count;  // the progress bar's maximum
};

struct RunResult {
  // False when a check or a No answer ended the run before it wrote anything.
  bool reached_end = false;
  // The program was started with command-line text and ends now; the run made
  // no offer to open its files.
  bool ends_program = false;
  int error_count = 0;
  // Another export or extraction holds the output folder: nothing was done.
  bool folder_in_use = false;
  // The stop signal (SIGINT, SIGTERM, SIGHUP) that ended the run part way,
  // after its last log line; 0 when none did.
  int interrupted_by = 0;
  QString csv_path;  // absolute
  QString log_path;  // absolute
  QString extraction_log_path;  // absolute; only with messages
};

RunResult RunExport(const ExportRequest& request, ExportEnvironment& environment, ExportFrontEnd& front_end);

// The run's checks and questions before anything is written; false when one
// of them ends the run. A Yes to replacing an earlier export clears its files
// when `clear_earlier_export`.
bool RequestPassesChecks(const ExportRequest& request, ExportFrontEnd& front_end, bool clear_earlier_export);

// The ticked entries' items, in list order.
std::vector<DataItem> TickedItems(const ExportRequest& request);

// The CSV header row for `items`, without its line end.
QString HeaderRow(const std::vector<DataItem>& items);

// The server's root folder, under which the stream files lie.
QString ServerRootPath(ExportFrontEnd& front_end);

// Now in the system's general date-and-time form, for the log's start and end lines.
QString GeneralDateTimeNow();

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_EXPORT_RUN_H_
