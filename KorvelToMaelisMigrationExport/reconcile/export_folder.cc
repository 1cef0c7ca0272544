#include "KorvelToMaelisMigrationExport/reconcile/export_folder.h"

#include <string>

#include <QFile>

#include "KorvelToMaelisMigrationExport/export/subscriber_rows.h"
#include "platform/codepage/codepage.h"

namespace reconcile {
namespace {

using export_engine::DataItem;

constexpr char16_t kAliasLinePrefix[] = u"Alias=";
constexpr char16_t kMailboxStart[] = u"Mailuser Alias ";
constexpr char16_t kMailboxStartEnd[] = u" ...";
constexpr char16_t kMailboxDone[] = u" done";
constexpr char16_t kMailboxPrefix[] = u"Mailuser ";
constexpr char16_t kFailedMessagesEnd[] = u" Messages encountered errors";
constexpr char16_t kFailedSubscriber[] = u"Errors encountered while extracting messages for subscriber ";

std::optional<QByteArray> ReadWhole(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

// The lines of an ANSI text file, without their CR LF.
std::optional<QStringList> ReadAnsiLines(const QString& path) {
  const std::optional<QByteArray> bytes = ReadWhole(path);
  if (!bytes) return std::nullopt;
  const std::wstring wide = codepage::AnsiToWide(std::string_view(bytes->constData(), bytes->size()));
  QStringList lines = QString::fromStdWString(wide).split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  }
  return lines;
}

}  // namespace

QStringList SplitCsvLine(QStringView line) {
  QStringList fields;
  qsizetype at = 0;
  for (;;) {
    if (at < line.size() && line[at] == QLatin1Char('"')) {
      // Only a value holding a comma is quoted, so the closing quote is the
      // first one before a comma or the line's end that encloses a comma.
      qsizetype close = at;
      for (;;) {
        close = line.indexOf(QLatin1Char('"'), close + 1);
        if (close < 0) break;
        const bool at_end = close + 1 == line.size() || line[close + 1] == QLatin1Char(',');
        if (at_end && line.sliced(at + 1, close - at - 1).contains(QLatin1Char(','))) break;
      }
      if (close >= 0) {
        fields << line.sliced(at + 1, close - at - 1).toString();
        at = close + 1;
        if (at == line.size()) return fields;
        ++at;  // the comma
        continue;
      }
    }
    const qsizetype comma = line.indexOf(QLatin1Char(','), at);
    if (comma < 0) {
      fields << line.mid(at).toString();
      return fields;
    }
    fields << line.sliced(at, comma - at).toString();
    at = comma + 1;
  }
}

std::optional<CsvContents> ReadCsvFile(const QString& path, QString* error) {
  const std::optional<QByteArray> bytes = ReadWhole(path);
  if (!bytes) {
    *error = QStringLiteral("cannot read %1").arg(path);
    return std::nullopt;
  }
  if (!bytes->startsWith("\xFF\xFE") || bytes->size() % 2 != 0) {
    *error = QStringLiteral("%1 is not a UTF-16LE file with byte-order mark").arg(path);
    return std::nullopt;
  }
  const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes->constData() + 2),
                                          (bytes->size() - 2) / 2);
  CsvContents contents;
  qsizetype at = 0;
  bool first = true;
  while (at < text.size()) {
    qsizetype end = text.indexOf(u"\r\n", at);
    if (end < 0) end = text.size();  // a last line without its line end
    const QString line = text.sliced(at, end - at);
    if (first) {
      contents.header = line;
      first = false;
    } else {
      contents.rows.push_back(line);
    }
    at = end + 2;
  }
  return contents;
}

std::optional<std::vector<DataItem>> ItemsOfHeader(QStringView header) {
  const QStringList names = SplitCsvLine(header);
  std::vector<DataItem> items;
  qsizetype at = 0;
  for (const export_engine::DataItemInfo& info : export_engine::DataItemCatalogue()) {
    const qsizetype count = static_cast<qsizetype>(info.header_names.size());
    if (at + count > names.size()) continue;
    bool matches = true;
    for (qsizetype i = 0; i < count && matches; ++i) {
      matches = names[at + i] == QStringView(info.header_names[static_cast<size_t>(i)]);
    }
    if (!matches) continue;
    items.push_back(info.item);
    at += count;
  }
  if (at != names.size() || items.empty()) return std::nullopt;
  return items;
}

std::optional<ExportLogContents> ReadExportLog(const QString& path) {
  const std::optional<QStringList> lines = ReadAnsiLines(path);
  if (!lines) return std::nullopt;
  ExportLogContents contents;
  std::optional<QString> alias;
  for (const QString& line : *lines) {
    if (line.startsWith(QStringView(kAliasLinePrefix))) {
      alias = line.mid(QStringView(kAliasLinePrefix).size());
      contents.logged.insert(*alias);
    } else if (alias && export_engine::IsSkipLine(line)) {
      contents.skips.insert(*alias, line.trimmed());
    }
  }
  return contents;
}

std::optional<ExtractionLogContents> ReadExtractionLog(const QString& path) {
  const std::optional<QStringList> lines = ReadAnsiLines(path);
  if (!lines) return std::nullopt;
  ExtractionLogContents contents;
  std::optional<QString> alias;
  for (const QString& line : *lines) {
    if (line.startsWith(QStringView(kMailboxStart)) && line.endsWith(QStringView(kMailboxStartEnd))) {
      alias = line.sliced(QStringView(kMailboxStart).size(),
                          line.size() - QStringView(kMailboxStart).size() - QStringView(kMailboxStartEnd).size());
      contents.unfinished.insert(*alias);
    } else if (alias && line == QString::fromUtf16(kMailboxPrefix) + *alias + QString::fromUtf16(kMailboxDone)) {
      contents.unfinished.remove(*alias);
    } else if (alias && line.endsWith(QStringView(kFailedMessagesEnd))) {
      bool number = false;
      const int failed = line.chopped(QStringView(kFailedMessagesEnd).size()).trimmed().toInt(&number);
      if (number) contents.failed_messages[*alias] += failed;
    } else if (line.startsWith(QStringView(kFailedSubscriber))) {
      contents.failed_subscribers.insert(line.mid(QStringView(kFailedSubscriber).size()));
    }
  }
  return contents;
}

}  // namespace reconcile
