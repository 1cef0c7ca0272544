// The export program's command line over any words: parsing ends in a usable
// command line or a usage error, an --items error quotes the entry it could
// not place, and --output always gives an absolute path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <QString>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "fuzz/command_line_words.h"

namespace {

QString FromLocal8Bit(std::string_view word) {
  return QString::fromLocal8Bit(word.data(), static_cast<qsizetype>(word.size()));
}

bool QuotesAnEntry(const QString& error, const QString& list) {
  for (const QString& entry : list.split(QLatin1Char(','))) {
    if (error.contains(QLatin1Char('"') + entry.trimmed() + QLatin1Char('"'))) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QStringList arguments;
  for (std::string_view word : CommandLineWords(data, size)) arguments.append(FromLocal8Bit(word));
  const export_program::ParsedCommandLine parsed = export_program::ParseCommandLine(arguments);
  if (parsed.usage_error.isEmpty() && parsed.command_line.data_items.size() != 16) std::abort();
  if (parsed.command_line.output) {
    const QString path = export_program::OutputPathForOption(*parsed.command_line.output);
    if (!path.isEmpty() && !path.startsWith(QLatin1Char('/'))) std::abort();
  }

  // The whole input as an --items list.
  const QString list = FromLocal8Bit(std::string_view(reinterpret_cast<const char*>(data), size));
  QString error;
  if (!export_program::EntriesForItems(list, &error) && !QuotesAnEntry(error, list)) std::abort();
  return 0;
}
