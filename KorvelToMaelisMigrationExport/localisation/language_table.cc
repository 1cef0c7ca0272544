#include "KorvelToMaelisMigrationExport/localisation/language_table.h"

#include <optional>

#include <QStringDecoder>

namespace localisation {
namespace {

// String-table ids are 16-bit numbers.
constexpr int kLargestId = 65535;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::optional<int> ParseId(std::string_view field) {
  if (field.empty() || field.size() > 5) return std::nullopt;
  int id = 0;
  for (char digit : field) {
    if (digit < '0' || digit > '9') return std::nullopt;
    id = id * 10 + (digit - '0');
  }
  if (id > kLargestId) return std::nullopt;
  return id;
}

std::optional<QString> DecodeText(std::string_view field) {
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString decoded = decoder.decode(QByteArrayView(field.data(), static_cast<qsizetype>(field.size())));
  if (decoder.hasError()) return std::nullopt;

  QString text;
  text.reserve(decoded.size());
  for (qsizetype i = 0; i < decoded.size(); ++i) {
    const QChar c = decoded[i];
    if (c != u'\\') {
      text.append(c);
      continue;
    }
    if (++i == decoded.size()) return std::nullopt;
    switch (decoded[i].unicode()) {
      case u't': text.append(u'\t'); break;
      case u'n': text.append(u'\n'); break;
      case u'\\': text.append(u'\\'); break;
      default: return std::nullopt;
    }
  }
  return text;
}

}  // namespace

LanguageTable ParseLanguageTable(std::string_view bytes) {
  LanguageTable table;
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());

  int line_number = 0;
  while (!bytes.empty()) {
    const size_t line_end = bytes.find('\n');
    std::string_view line = bytes.substr(0, line_end);
    bytes.remove_prefix(line_end == std::string_view::npos ? bytes.size() : line_end + 1);
    ++line_number;
    // Files edited on the server's own machine end their lines with CR LF.
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    const size_t tab = line.find('\t');
    const std::optional<int> id = tab == std::string_view::npos ? std::nullopt : ParseId(line.substr(0, tab));
    std::optional<QString> text;
    if (id && !table.texts.contains(*id)) text = DecodeText(line.substr(tab + 1));
    if (!text) {
      table.skipped_lines.push_back(line_number);
      continue;
    }
    table.texts.emplace(*id, std::move(*text));
  }
  return table;
}

}  // namespace localisation
