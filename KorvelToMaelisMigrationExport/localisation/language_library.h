// Language libraries: files next to the program named after it, "_", the
// three-letter language code and ".dll", each holding a string table
// (language_table.h). Loading one reads and parses the file; nothing in it
// is ever run.
#ifndef KORVEL_EXPORT_LOCALISATION_LANGUAGE_LIBRARY_H_
#define KORVEL_EXPORT_LOCALISATION_LANGUAGE_LIBRARY_H_

#include <map>
#include <memory>

#include <QString>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace localisation {

class TableLanguageLibrary : public LanguageLibrary {
 public:
  explicit TableLanguageLibrary(std::map<int, QString> texts) : texts_(std::move(texts)) {}
  QString Text(int id) const override;

 private:
  std::map<int, QString> texts_;
};

// The library of `code` in `folder` for the program `executable_name`, or
// null when there is no such file or it cannot be read. The name is matched
// without regard to case, as the folder listing below matches it.
std::shared_ptr<const LanguageLibrary> LoadLanguageLibrary(const QString& folder, const QString& executable_name,
                                                           const QString& code);

// The codes of the language libraries of `executable_name` in `folder`, in
// the order of their file names.
QStringList FindLanguageCodes(const QString& folder, const QString& executable_name);

}  // namespace localisation

#endif  // KORVEL_EXPORT_LOCALISATION_LANGUAGE_LIBRARY_H_
