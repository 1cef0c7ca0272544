// modLocalize: the program's current language. It decides which language
// library myLoadResString asks first, finds the libraries next to the
// program, and gives every open window the fonts and captions of the
// language. Until a language is chosen (or the About window first asks for
// one) the id is 0, no library is loaded and every text is the built-in one;
// the choice is not stored.
#ifndef KORVEL_EXPORT_LOCALISATION_MOD_LOCALIZE_H_
#define KORVEL_EXPORT_LOCALISATION_MOD_LOCALIZE_H_

#include <functional>

#include <QString>
#include <QStringList>

class QWidget;

namespace localisation {

// Dynamic properties that keep a control's font settings beside its font:
// the character set (an int) and the font name as the language gives it.
inline constexpr char kFontCharsetProperty[] = "FontCharset";
inline constexpr char kFontNameProperty[] = "FontName";

int CurrentLanguageId();
void SetCurrentLanguageId(int id);

// The codes of the libraries the last InitalizeLanguages found.
QStringList LanguageCodes();

// The program's folder and its executable's name without extension, where
// the language libraries and help pages are looked for. The running program
// by default; tests point them elsewhere.
QString ProgramFolder();
QString ExecutableName();
void SetProgramLocation(const QString& folder, const QString& executable_name);

// Settles the current language (the user's default when none is set yet),
// loads its library, lists the libraries next to the program and refreshes
// every open window (RefreshOpenWindows).
void InitalizeLanguages();

// Makes `id` the current language and refreshes every open window with it.
void ChangeLanguage(int id);

// The font adjustment of the current language for `control`, or for the
// window and every control in it. A control keeps its design font family
// when the language names none.
void SetControlFont(QWidget* control);
void SetFormFonts(QWidget* window);

// A window's caption routine (frmMain_Auto_Init and the like), called when
// the language changes for as long as the window exists.
void RegisterAutoInit(QWidget* window, std::function<void()> auto_init);

// For every open window: SetFormFonts, its caption routine, a redraw. The
// list of data items follows the captions, and an export ties its entries
// to data items by the labels of the language loaded at the time, so no
// window may keep the texts of a language that is no longer loaded.
void RefreshOpenWindows();

}  // namespace localisation

#endif  // KORVEL_EXPORT_LOCALISATION_MOD_LOCALIZE_H_
