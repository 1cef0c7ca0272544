// Language identifiers, the three-letter codes that name the language
// libraries, and the names shown for them. The ids are the platform's
// standard language identifiers, with one of the program's own: 33801,
// English for text telephones.
#ifndef KORVEL_EXPORT_LOCALISATION_LANGUAGE_CODES_H_
#define KORVEL_EXPORT_LOCALISATION_LANGUAGE_CODES_H_

#include <QString>
#include <QStringView>

namespace localisation {

constexpr int kEnglishUnitedStates = 1033;
constexpr int kEnglishTextTelephone = 33801;

// The id of a library code (exact, upper case); any other code gives 1033.
int LanguageIdFromCode(QStringView code);

// The code that names the library of `id`; "ERR" for an id without one.
QString LanguageCodeFromId(int id);

// The language's name as the menu shows it; "(error)" for an unknown id.
QString LanguageNameFromId(int id);
QString LanguageNameFromCode(QStringView code);

// The id of a POSIX locale name such as "de_DE.UTF-8" or "fr_CA@euro": its
// language and territory, else its language alone; 1033 for "C", "POSIX" and
// any language without an id here.
int LanguageIdFromLocaleName(QStringView locale_name);

// The POSIX locale (language_TERRITORY) of `id`; empty for an id without one.
QString LocaleNameFromId(int id);

// The user's language, from the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty.
int GetUserDefaultLangID();

}  // namespace localisation

#endif  // KORVEL_EXPORT_LOCALISATION_LANGUAGE_CODES_H_
