#include "KorvelToMaelisMigrationExport/localisation/language_library.h"

#include <string_view>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/localisation/language_table.h"

namespace localisation {
namespace {

constexpr qsizetype kCodeLength = 3;
constexpr QLatin1StringView kLibraryExtension(".dll");
// A complete table is a few kilobytes; a file far beyond that is not one, and
// reading it whole would only cost memory.
constexpr qint64 kLargestLibraryBytes = 4 * 1024 * 1024;

// The code of a library file name: <executable>_<CODE>.dll, both parts
// compared without regard to case. Empty when the name has another shape.
QString CodeOfLibraryName(const QString& file_name, const QString& executable_name) {
  const QString prefix = executable_name + QLatin1Char('_');
  if (file_name.size() != prefix.size() + kCodeLength + kLibraryExtension.size()) return QString();
  if (!file_name.startsWith(prefix, Qt::CaseInsensitive)) return QString();
  if (!file_name.endsWith(kLibraryExtension, Qt::CaseInsensitive)) return QString();
  return file_name.mid(prefix.size(), kCodeLength);
}

QFileInfoList LibraryFiles(const QString& folder) {
  return QDir(folder).entryInfoList(QDir::Files, QDir::Name);
}

}  // namespace

QString TableLanguageLibrary::Text(int id) const {
  auto found = texts_.find(id);
  return found == texts_.end() ? QString() : found->second;
}

std::shared_ptr<const LanguageLibrary> LoadLanguageLibrary(const QString& folder, const QString& executable_name,
                                                           const QString& code) {
  if (code.size() != kCodeLength) return nullptr;
  QString path;
  for (const QFileInfo& file : LibraryFiles(folder)) {
    if (CodeOfLibraryName(file.fileName(), executable_name).compare(code, Qt::CaseInsensitive) != 0) continue;
    path = file.filePath();
    // The exact spelling wins over one that differs only in case.
    if (file.fileName() == executable_name + QLatin1Char('_') + code + kLibraryExtension) break;
  }
  if (path.isEmpty()) return nullptr;

  QFile file(path);
  if (file.size() > kLargestLibraryBytes || !file.open(QIODevice::ReadOnly)) return nullptr;
  const QByteArray bytes = file.read(kLargestLibraryBytes);
  LanguageTable table = ParseLanguageTable(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  if (!table.skipped_lines.empty()) {
    qWarning("%s: %zu malformed line(s) skipped, the first being line %d", qUtf8Printable(path),
             table.skipped_lines.size(), table.skipped_lines.front());
  }
  return std::make_shared<TableLanguageLibrary>(std::move(table.texts));
}

QStringList FindLanguageCodes(const QString& folder, const QString& executable_name) {
  QStringList codes;
  for (const QFileInfo& file : LibraryFiles(folder)) {
    const QString code = CodeOfLibraryName(file.fileName(), executable_name);
    if (!code.isEmpty()) codes << code;
  }
  return codes;
}

}  // namespace localisation
