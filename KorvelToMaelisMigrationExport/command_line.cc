#include "KorvelToMaelisMigrationExport/command_line.h"

#include <QDir>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"

namespace export_program {
namespace {

using export_engine::DataItemEntry;

// Takes the option's value from "--name=value" or from the next argument.
bool TakeValue(const QStringList& arguments, qsizetype& i, const QString& inline_value, bool has_inline,
               std::optional<QString>* value) {
  if (has_inline) {
    *value = inline_value;
    return true;
  }
  if (i + 1 >= arguments.size()) return false;
  *value = arguments[++i];
  return true;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
  ParsedCommandLine parsed;
  CommandLine& command_line = parsed.command_line;
  command_line.text = arguments.join(QLatin1Char(' '));
  command_line.data_items = export_engine::CatalogueEntries();

  std::optional<QString> items;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!argument.startsWith(QLatin1StringView("--"))) continue;  // command-line text
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QString name = equals < 0 ? argument : argument.left(equals);
    const QString inline_value = equals < 0 ? QString() : argument.mid(equals + 1);
    const bool has_inline = equals >= 0;

    std::optional<QString>* value_option = nullptr;
    bool* flag = nullptr;
    if (name == u"--output") {
      value_option = &command_line.output;
    } else if (name == u"--items") {
      value_option = &items;
    } else if (name == u"--connect") {
      value_option = &command_line.connect;
    } else if (name == u"--verify") {
      value_option = &command_line.verify;
    } else if (name == u"--report") {
      value_option = &command_line.report;
    } else if (name == u"--preflight") {
      flag = &command_line.preflight;
    } else if (name == u"--headless") {
      flag = &command_line.headless;
    } else if (name == u"--include-messages") {
      flag = &command_line.include_messages;
    } else if (name == u"--overwrite") {
      flag = &command_line.overwrite;
    } else if (name == u"--accept-account") {
      flag = &command_line.accept_account;
    } else if (name == u"--help") {
      flag = &command_line.help;
    } else if (name == u"--version") {
      flag = &command_line.version;
    } else {
      parsed.usage_error = QStringLiteral("unknown option %1").arg(name);
      return parsed;
    }
    if (flag != nullptr) {
      if (has_inline) {
        parsed.usage_error = QStringLiteral("option %1 takes no value").arg(name);
        return parsed;
      }
      *flag = true;
    } else if (!TakeValue(arguments, i, inline_value, has_inline, value_option)) {
      parsed.usage_error = QStringLiteral("option %1 needs a value").arg(name);
      return parsed;
    }
  }

  const int modes = int{command_line.headless} + int{command_line.preflight} + int{command_line.verify.has_value()};
  if (modes > 1) {
    parsed.usage_error = QStringLiteral("--headless, --preflight and --verify exclude each other");
    return parsed;
  }
  if (command_line.report && !command_line.preflight && !command_line.verify) {
    parsed.usage_error = QStringLiteral("--report goes with --preflight or --verify");
    return parsed;
  }
  if (items) {
    std::optional<std::vector<DataItemEntry>> entries = EntriesForItems(*items, &parsed.usage_error);
    if (!entries) return parsed;
    command_line.data_items = std::move(*entries);
  }
  return parsed;
}

std::optional<std::vector<DataItemEntry>> EntriesForItems(const QString& list, QString* error) {
  std::vector<DataItemEntry> entries = export_engine::CatalogueEntries();
  for (DataItemEntry& entry : entries) entry.ticked = false;
  const auto catalogue = export_engine::DataItemCatalogue();
  for (const QString& part : list.split(QLatin1Char(','))) {
    const QString wanted = part.trimmed();
    if (wanted.isEmpty()) continue;
    bool is_number = false;
    const int position = wanted.toInt(&is_number);
    if (is_number && position >= 1 && position <= static_cast<int>(catalogue.size())) {
      entries[static_cast<size_t>(position - 1)].ticked = true;
      continue;
    }
    const std::optional<export_engine::DataItem> item = is_number ? std::nullopt : export_engine::DataItemForLabel(wanted);
    if (!item) {
      // One pass over the text: a "%2" in the entry stays as written.
      *error = QStringLiteral("--items: \"%1\" is neither a position from 1 to %2 nor the label of a data item")
                   .arg(wanted, QString::number(catalogue.size()));
      return std::nullopt;
    }
    entries[static_cast<size_t>(export_engine::DataItemInfoOf(*item).position - 1)].ticked = true;
  }
  return entries;
}

QString OutputPathForOption(const QString& output) {
  if (output.isEmpty()) return QString();
  QString path = output;
  // Made absolute before Qt sees it: Qt takes a path that starts with ':' for
  // one of its own resources, never for a file in the current folder.
  if (!path.startsWith(QLatin1Char('/'))) path.prepend(QDir::currentPath() + QLatin1Char('/'));
  if (path.endsWith(QLatin1Char('/')) || QFileInfo(path).isDir()) {
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    path += QLatin1StringView(export_engine::kCsvFileName);
  }
  return QFileInfo(path).absoluteFilePath();
}

QString UsageText(const QString& program_name) {
  QString usage = QStringLiteral(
      "Usage: %1\n"
      "  or:  %1 --headless [OPTION]...\n"
      "  or:  %1 --preflight [OPTION]... [--report FILE]\n"
      "  or:  %1 --verify FOLDER [--connect STRING] [--report FILE]\n"
      "Without an option, opens the main window; --headless runs one export without a\n"
      "window; --preflight reports what that export would do and writes nothing;\n"
      "--verify reconciles a finished export's folder with the server as it is now.\n"
      "\n"
      "Options:\n"
      "  --output PATH        the CSV file, or a folder to put KorvelMigrationOutput.csv in\n"
      "                       (a folder named with a trailing '/' is made when missing)\n"
      "  --items LIST         data items to export, by position (1-16) or label,\n"
      "                       separated by commas (default: all)\n"
      "  --include-messages   export voice messages as well\n"
      "  --overwrite          answer Yes when an earlier export is in the folder\n"
      "  --accept-account     answer Yes when the account cannot read every mailbox\n"
      "  --connect STRING     the directory database: sqlite:PATH or an ODBC connect\n"
      "                       string (default: $KORVEL_DB_CONNECT, else the server's)\n"
      "  --report FILE        with --preflight or --verify: the report as JSON as well\n"
      "  --help               show this text\n"
      "  --version            show the program's version and the language files it finds\n"
      "\n"
      "Data items:\n")
                      .arg(program_name);
  for (const export_engine::DataItemInfo& info : export_engine::DataItemCatalogue()) {
    usage += QStringLiteral("  %1  %2\n").arg(info.position, 2).arg(export_engine::DataItemLabel(info.item));
  }
  usage += QStringLiteral(
      "\n"
      "Exit status: 0 the export reached its end, 1 a check or a No answer ended it,\n"
      "2 start-up ended the program, 64 bad usage. --preflight: 0 the export would go\n"
      "through and fit, 1 not. --verify: 0 everything is accounted for, 1 something\n"
      "is missing, altered, damaged, duplicated or unexplained.\n");
  return usage;
}

}  // namespace export_program
