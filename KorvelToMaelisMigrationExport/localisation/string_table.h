// The string table through which every user-visible text of the export program
// is fetched by number. The program carries its English texts itself; a
// language library, when one is loaded, is asked first and the built-in table
// fills whatever it lacks.
#ifndef KORVEL_EXPORT_LOCALISATION_STRING_TABLE_H_
#define KORVEL_EXPORT_LOCALISATION_STRING_TABLE_H_

#include <functional>
#include <memory>

#include <QString>

namespace localisation {

// The strings of one language, loaded from a language library next to the
// program. Text() gives an empty string for an id the library lacks.
class LanguageLibrary {
 public:
  virtual ~LanguageLibrary() = default;
  virtual QString Text(int id) const = 0;
};

// The built-in (English) text of an id; a null string when the table has none.
QString BuiltInString(int id);

// Makes `library` the one asked first; null returns to the built-in table.
void SetLanguageLibrary(std::shared_ptr<const LanguageLibrary> library);

// Receives the notice for an id that neither table holds ("error in
// myLoadResString: ..."). The window shows it in a message box; without a
// receiver it goes to the Qt warning handler.
void SetStringTableNoticeReceiver(std::function<void(const QString& notice)> receiver);

// The text of `id` in the current language. Never fails towards its caller: an
// id missing from both tables gives the notice above and an empty text.
QString myLoadResString(int id);

}  // namespace localisation

#endif  // KORVEL_EXPORT_LOCALISATION_STRING_TABLE_H_
