#include "KorvelToMaelisMigrationExport/localisation/language_codes.h"

#include <QtGlobal>

namespace localisation {
namespace {

struct CodeEntry {
  const char16_t* code;
  int id;
};

// The codes the program's libraries are named with.
constexpr CodeEntry kLibraryCodes[] = {
    {u"ENX", 33801}, {u"ENU", 1033},  {u"ENG", 2057},  {u"ENA", 3081},  {u"ENC", 4105},  {u"ENZ", 5129},
    {u"ENI", 6153},  {u"DEU", 1031},  {u"DES", 2055},  {u"DEA", 3079},  {u"DEL", 4103},  {u"DEC", 5127},
    {u"ESP", 1034},  {u"ESM", 2058},  {u"ESN", 3082},  {u"ESG", 4106},  {u"ESC", 5130},  {u"ESA", 6154},
    {u"ESD", 7178},  {u"ESV", 8202},  {u"ESO", 9226},  {u"ESR", 10250}, {u"ESS", 11274}, {u"ESH", 18442},
    {u"ESI", 19466}, {u"ESU", 20490}, {u"FRA", 1036},  {u"FRB", 2060},  {u"FRC", 3084},  {u"FRS", 4108},
    {u"FRL", 5132},  {u"ITA", 1040},  {u"ITS", 2064},  {u"JPN", 1041},  {u"NLD", 1043},  {u"NLB", 2067},
    {u"NOR", 1044},  {u"NON", 2068},  {u"PTB", 1046},  {u"PTG", 2070},  {u"CHT", 1028},  {u"ZHT", 3076},
    {u"CHS", 2052},  {u"ZHI", 4100},
};

// What the platform knows of a language id: its abbreviated name (whose first
// three letters name the library), its display name, and the POSIX locale it
// answers to. Within one language the first entry with a locale is the one a
// locale without a territory, or with an unknown one, stands for. Chinese
// (Hong Kong) is abbreviated ZHT so that its library is the one the code
// table names.
struct PlatformLanguage {
  int id;
  const char16_t* abbreviation;
  const char16_t* name;
  const char* locale;  // language_TERRITORY; empty when no locale maps to it
};

constexpr PlatformLanguage kPlatformLanguages[] = {
    {1033, u"ENU", u"English (United States)", "en_US"},
    {2057, u"ENG", u"English (United Kingdom)", "en_GB"},
    {3081, u"ENA", u"English (Australia)", "en_AU"},
    {4105, u"ENC", u"English (Canada)", "en_CA"},
    {5129, u"ENZ", u"English (New Zealand)", "en_NZ"},
    {6153, u"ENI", u"English (Ireland)", "en_IE"},
    {1031, u"DEU", u"German (Germany)", "de_DE"},
    {2055, u"DES", u"German (Switzerland)", "de_CH"},
    {3079, u"DEA", u"German (Austria)", "de_AT"},
    {4103, u"DEL", u"German (Luxembourg)", "de_LU"},
    {5127, u"DEC", u"German (Liechtenstein)", "de_LI"},
    {3082, u"ESN", u"Spanish (Spain, International Sort)", "es_ES"},
    {1034, u"ESP", u"Spanish (Spain, Traditional Sort)", ""},
    {2058, u"ESM", u"Spanish (Mexico)", "es_MX"},
    {4106, u"ESG", u"Spanish (Guatemala)", "es_GT"},
    {5130, u"ESC", u"Spanish (Costa Rica)", "es_CR"},
    {6154, u"ESA", u"Spanish (Panama)", "es_PA"},
    {7178, u"ESD", u"Spanish (Dominican Republic)", "es_DO"},
    {8202, u"ESV", u"Spanish (Venezuela)", "es_VE"},
    {9226, u"ESO", u"Spanish (Colombia)", "es_CO"},
    {10250, u"ESR", u"Spanish (Peru)", "es_PE"},
    {11274, u"ESS", u"Spanish (Argentina)", "es_AR"},
    {18442, u"ESH", u"Spanish (Honduras)", "es_HN"},
    {19466, u"ESI", u"Spanish (Nicaragua)", "es_NI"},
    {20490, u"ESU", u"Spanish (Puerto Rico)", "es_PR"},
    {1036, u"FRA", u"French (France)", "fr_FR"},
    {2060, u"FRB", u"French (Belgium)", "fr_BE"},
    {3084, u"FRC", u"French (Canada)", "fr_CA"},
    {4108, u"FRS", u"French (Switzerland)", "fr_CH"},
    {5132, u"FRL", u"French (Luxembourg)", "fr_LU"},
    {1040, u"ITA", u"Italian (Italy)", "it_IT"},
    {2064, u"ITS", u"Italian (Switzerland)", "it_CH"},
    {1041, u"JPN", u"Japanese (Japan)", "ja_JP"},
    {1042, u"KOR", u"Korean (Korea)", "ko_KR"},
    {1043, u"NLD", u"Dutch (Netherlands)", "nl_NL"},
    {2067, u"NLB", u"Dutch (Belgium)", "nl_BE"},
    {1044, u"NOR", u"Norwegian, Bokm\u00e5l (Norway)", "nb_NO"},
    {2068, u"NON", u"Norwegian, Nynorsk (Norway)", "nn_NO"},
    {1046, u"PTB", u"Portuguese (Brazil)", "pt_BR"},
    {2070, u"PTG", u"Portuguese (Portugal)", "pt_PT"},
    {2052, u"CHS", u"Chinese (PRC)", "zh_CN"},
    {1028, u"CHT", u"Chinese (Taiwan)", "zh_TW"},
    {3076, u"ZHT", u"Chinese (Hong Kong S.A.R.)", "zh_HK"},
    {4100, u"ZHI", u"Chinese (Singapore)", "zh_SG"},
};

const PlatformLanguage* PlatformLanguageOf(int id) {
  for (const PlatformLanguage& language : kPlatformLanguages) {
    if (language.id == id) return &language;
  }
  return nullptr;
}

}  // namespace

int LanguageIdFromCode(QStringView code) {
  for (const CodeEntry& entry : kLibraryCodes) {
    if (code == QStringView(entry.code)) return entry.id;
  }
  return kEnglishUnitedStates;
}

QString LanguageCodeFromId(int id) {
  if (id == kEnglishTextTelephone) return QStringLiteral("ENX");
  const PlatformLanguage* language = PlatformLanguageOf(id);
  if (!language) return QStringLiteral("ERR");
  return QString::fromUtf16(language->abbreviation).left(3).trimmed();
}

QString LanguageNameFromId(int id) {
  if (id == kEnglishTextTelephone) return QStringLiteral("English (TDD/TTY)");
  const PlatformLanguage* language = PlatformLanguageOf(id);
  return language ? QString::fromUtf16(language->name) : QStringLiteral("(error)");
}

QString LocaleNameFromId(int id) {
  if (id == kEnglishTextTelephone) return QStringLiteral("en_US");
  const PlatformLanguage* language = PlatformLanguageOf(id);
  return language ? QString::fromLatin1(language->locale) : QString();
}

QString LanguageNameFromCode(QStringView code) { return LanguageNameFromId(LanguageIdFromCode(code)); }

int LanguageIdFromLocaleName(QStringView locale_name) {
  // language[_TERRITORY][.codeset][@modifier]
  qsizetype end = 0;
  while (end < locale_name.size() && locale_name[end] != u'.' && locale_name[end] != u'@') ++end;
  const QStringView name = locale_name.left(end);
  const qsizetype underscore = name.indexOf(u'_');
  QString language = (underscore < 0 ? name : name.left(underscore)).toString().toLower();
  const QString territory = underscore < 0 ? QString() : name.mid(underscore + 1).toString().toUpper();
  // Norwegian without a written standard is Bokmål.
  if (language == u"no") language = QStringLiteral("nb");

  const PlatformLanguage* first_of_language = nullptr;
  for (const PlatformLanguage& entry : kPlatformLanguages) {
    const QLatin1StringView entry_locale(entry.locale);
    if (entry_locale.isEmpty() || !entry_locale.startsWith(language + QLatin1Char('_'))) continue;
    if (entry_locale.sliced(language.size() + 1) == territory) return entry.id;
    if (!first_of_language) first_of_language = &entry;
  }
  return first_of_language ? first_of_language->id : kEnglishUnitedStates;
}

int GetUserDefaultLangID() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty()) return LanguageIdFromLocaleName(value);
  }
  return kEnglishUnitedStates;
}

}  // namespace localisation
