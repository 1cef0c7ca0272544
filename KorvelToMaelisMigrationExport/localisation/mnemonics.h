// Keyboard mnemonics for captions: Alt and a letter of the caption, marked
// with '&' when the caption is shown. The string table keeps its texts as
// they are; the mark is chosen for the caption in hand, so that every
// language gets its own letters and no two captions of one window, or of
// one menu, share a letter.
#ifndef KORVEL_EXPORT_LOCALISATION_MNEMONICS_H_
#define KORVEL_EXPORT_LOCALISATION_MNEMONICS_H_

#include <QSet>
#include <QString>

namespace localisation {

// The mnemonics of one window's controls, or of one menu's entries.
class MnemonicGroup {
 public:
  // `caption` with a mnemonic not yet taken in this group: the first free
  // letter that starts a word, else any free letter, an unaccented one
  // before an accented one. A caption in a script without such letters
  // keeps its text and gets "(&X)" after it, X taken the same way from
  // `latin_caption` (its English text). Any '&' of the caption is doubled so
  // that it shows as itself.
  QString Caption(const QString& caption, const QString& latin_caption);

  // The same for the string-table text `id` in the current language.
  QString Caption(int id);

 private:
  // The position in `text` of the letter to mark; -1 when none is free.
  qsizetype ChooseLetter(const QString& text) const;

  QSet<QChar> taken_;
};

}  // namespace localisation

#endif  // KORVEL_EXPORT_LOCALISATION_MNEMONICS_H_
