// The program's command line. Every argument counts as command-line text
// (a run with any text ends the program instead of offering to open its
// files); the options choose the headless mode and fill its export request.
#ifndef KORVEL_EXPORT_COMMAND_LINE_H_
#define KORVEL_EXPORT_COMMAND_LINE_H_

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/export/data_items.h"

namespace export_program {

struct CommandLine {
  QString text;  // all arguments, separated by blanks
  bool headless = false;
  bool help = false;
  bool version = false;
  std::optional<QString> output;
  // The data-item list with --items applied; every entry ticked without it.
  std::vector<export_engine::DataItemEntry> data_items;
  bool include_messages = false;
  bool overwrite = false;
  bool accept_account = false;
  std::optional<QString> connect;
  // The checks before and after an export instead of the export itself.
  bool preflight = false;
  std::optional<QString> verify;  // the export folder to verify
  std::optional<QString> report;  // the JSON report file of either
};

struct ParsedCommandLine {
  CommandLine command_line;
  QString usage_error;  // empty when the arguments are usable
};

// `arguments` without the program's own name. A word that is no option is
// command-line text, not a fault; an unknown "--" option, a missing option
// value or an --items entry that names no data item is.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// The list entries for --items: comma-separated positions (1 to 16) or
// labels (compared ignoring case), ticked in the list's own order.
std::optional<std::vector<export_engine::DataItemEntry>> EntriesForItems(const QString& list, QString* error);

// Where --output puts the CSV file: in the folder it names when that is an
// existing folder or ends in '/', else the file it names; always absolute.
QString OutputPathForOption(const QString& output);

QString UsageText(const QString& program_name);

}  // namespace export_program

#endif  // KORVEL_EXPORT_COMMAND_LINE_H_
