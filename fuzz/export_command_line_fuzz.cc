// The export program's command line over any words: parsing ends in a usable
// command line or a usage error, an --items error quotes the entry it could
// not place, and --output always gives an absolute path.
#include <algorithm>

#include <QString>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "fuzz/fuzz_input.h"

static QString FromLocal8Bit(std::string_view word) {
  return QString::fromLocal8Bit(word.data(), static_cast<qsizetype>(word.size()));
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QStringList arguments;
  for (std::string_view word : CommandLineWords(data, size)) arguments.append(FromLocal8Bit(word));
  const export_program::ParsedCommandLine parsed = export_program::ParseCommandLine(arguments);
  Require(!parsed.usage_error.isEmpty() || parsed.command_line.data_items.size() == 16);
  if (parsed.command_line.output) {
    const QString path = export_program::OutputPathForOption(*parsed.command_line.output);
    Require(path.isEmpty() || path.startsWith(QLatin1Char('/')));
  }

  // The whole input as an --items list.
  const QString list = FromLocal8Bit(Bytes(data, size));
  QString error;
  if (export_program::EntriesForItems(list, &error)) return 0;
  const QStringList entries = list.split(QLatin1Char(','));
  Require(std::any_of(entries.begin(), entries.end(), [&](const QString& entry) {
    return error.contains(QLatin1Char('"') + entry.trimmed() + QLatin1Char('"'));
  }));
  return 0;
}
