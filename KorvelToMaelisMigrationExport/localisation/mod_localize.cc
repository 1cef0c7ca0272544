#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"

#include <memory>
#include <utility>
#include <vector>

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <QWidget>

#include "KorvelToMaelisMigrationExport/localisation/language_codes.h"
#include "KorvelToMaelisMigrationExport/localisation/language_library.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace localisation {
namespace {

constexpr char kDesignFontFamiliesProperty[] = "korvelDesignFontFamilies";

// Windows' character set numbers; 1 is "the default".
constexpr int kDefaultCharset = 1;

struct LanguageFont {
  int id;
  int charset;
  const char16_t* family;
};

constexpr LanguageFont kLanguageFonts[] = {
    {1042, 129, u"\uAD74\uB9BC"},                                          // Korean
    {1028, 136, u"\u65B0\u7D30\u660E\u9AD4"},                              // Chinese, traditional
    {1041, 128, u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"},            // Japanese
    {2052, 134, u"\u5B8B\u4F53"},                                          // Chinese, simplified
};

struct AutoInit {
  QPointer<QWidget> window;
  std::function<void()> routine;
};

// The program does all its work on one thread.
struct LanguageState {
  int current_id = 0;
  QStringList codes;
  QString program_folder;
  QString executable_name;
  bool location_set = false;
  std::vector<AutoInit> auto_inits;
  std::unique_ptr<QTranslator> toolkit_translation;
};

LanguageState& State() {
  static LanguageState state;
  return state;
}

// The family a control had before any language changed it, noted the first
// time it is asked for.
QStringList DesignFontFamilies(QWidget* control) {
  QVariant families = control->property(kDesignFontFamiliesProperty);
  if (!families.isValid()) {
    // A font that was never given a family answers only to family().
    const QFont design = control->font();
    families = design.families().isEmpty() ? QStringList{design.family()} : design.families();
    control->setProperty(kDesignFontFamiliesProperty, families);
  }
  return families.toStringList();
}

// The toolkit's own texts (the standard buttons, the folder chooser) in the
// language of the loaded library, so that no window mixes two languages;
// without a library they stay English like the built-in table.
void LoadToolkitTranslation(int id, bool library_loaded) {
  LanguageState& state = State();
  if (state.toolkit_translation) {
    QCoreApplication::removeTranslator(state.toolkit_translation.get());
    state.toolkit_translation.reset();
  }
  const QString locale = LocaleNameFromId(id);
  if (!library_loaded || locale.isEmpty()) return;
  auto translation = std::make_unique<QTranslator>();
  if (translation->load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translation.get());
    state.toolkit_translation = std::move(translation);
  }
}

}  // namespace

int CurrentLanguageId() { return State().current_id; }

void SetCurrentLanguageId(int id) { State().current_id = id; }

QStringList LanguageCodes() { return State().codes; }

QString ProgramFolder() {
  return State().location_set ? State().program_folder : QCoreApplication::applicationDirPath();
}

QString ExecutableName() {
  return State().location_set ? State().executable_name
                              : QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void SetProgramLocation(const QString& folder, const QString& executable_name) {
  State().program_folder = folder;
  State().executable_name = executable_name;
  State().location_set = true;
}

void InitalizeLanguages() {
  LanguageState& state = State();
  if (state.current_id == 0) state.current_id = GetUserDefaultLangID();

  const QString folder = ProgramFolder();
  const QString executable_name = ExecutableName();
  SetLanguageLibrary(nullptr);
  std::shared_ptr<const LanguageLibrary> library =
      LoadLanguageLibrary(folder, executable_name, LanguageCodeFromId(state.current_id));
  LoadToolkitTranslation(state.current_id, library != nullptr);
  SetLanguageLibrary(std::move(library));
  state.codes = FindLanguageCodes(folder, executable_name);

  RefreshOpenWindows();
}

void ChangeLanguage(int id) {
  SetCurrentLanguageId(id);
  InitalizeLanguages();
}

void SetControlFont(QWidget* control) {
  int charset = kDefaultCharset;
  QString family;
  for (const LanguageFont& font : kLanguageFonts) {
    if (font.id == State().current_id) {
      charset = font.charset;
      family = QString::fromUtf16(font.family);
    }
  }
  control->setProperty(kFontCharsetProperty, charset);
  control->setProperty(kFontNameProperty, family);

  // A family the system lacks stays the one asked for; the toolkit draws with
  // the closest font it has.
  QFont font = control->font();
  font.setFamilies(family.isEmpty() ? DesignFontFamilies(control) : QStringList{family});
  control->setFont(font);
}

void SetFormFonts(QWidget* window) {
  const QList<QWidget*> controls = window->findChildren<QWidget*>();
  // A window's font passes to the controls that have none of their own, so
  // theirs are noted before the window's changes.
  DesignFontFamilies(window);
  for (QWidget* control : controls) DesignFontFamilies(control);
  SetControlFont(window);
  for (QWidget* control : controls) SetControlFont(control);
}

void RegisterAutoInit(QWidget* window, std::function<void()> auto_init) {
  std::vector<AutoInit>& auto_inits = State().auto_inits;
  std::erase_if(auto_inits, [](const AutoInit& entry) { return entry.window.isNull(); });
  auto_inits.push_back({window, std::move(auto_init)});
}

void RefreshOpenWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) SetFormFonts(window);
  // A caption routine may open or close windows; it runs on a copy.
  const std::vector<AutoInit> auto_inits = State().auto_inits;
  for (const AutoInit& entry : auto_inits) {
    if (entry.window) entry.routine();
  }
  // Laying out new captions can create controls (a menu bar's overflow menu),
  // which take the language's font too.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    SetFormFonts(window);
    window->update();
  }
}

}  // namespace localisation
