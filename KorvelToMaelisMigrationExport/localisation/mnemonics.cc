#include "KorvelToMaelisMigrationExport/localisation/mnemonics.h"

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace localisation {
namespace {

bool IsAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsLatinLetter(QChar c) { return c.isLetter() && c.script() == QChar::Script_Latin; }

bool StartsWord(const QString& text, qsizetype at) { return at == 0 || !text[at - 1].isLetterOrNumber(); }

}  // namespace

qsizetype MnemonicGroup::ChooseLetter(const QString& text) const {
  const auto free = [&](qsizetype at) { return !taken_.contains(text[at].toLower()); };
  // In order of preference: an unaccented letter that starts a word, any
  // unaccented letter, then the same for accented letters.
  for (const auto letter : {IsAsciiLetter, IsLatinLetter}) {
    for (const bool word_start_only : {true, false}) {
      for (qsizetype at = 0; at < text.size(); ++at) {
        if (letter(text[at]) && free(at) && (!word_start_only || StartsWord(text, at))) return at;
      }
    }
  }
  return -1;
}

QString MnemonicGroup::Caption(const QString& caption, const QString& latin_caption) {
  QString shown = caption;
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  // Doubling moves the letters; choose on the doubled text, whose '&'s are
  // not letters.
  qsizetype at = ChooseLetter(shown);
  if (at >= 0) {
    taken_.insert(shown[at].toLower());
    return shown.insert(at, QLatin1Char('&'));
  }
  at = ChooseLetter(latin_caption);
  if (at < 0) return shown;
  const QChar letter = latin_caption[at].toUpper();
  taken_.insert(letter.toLower());
  return shown + QStringLiteral("(&") + letter + QLatin1Char(')');
}

QString MnemonicGroup::Caption(int id) { return Caption(myLoadResString(id), BuiltInString(id)); }

}  // namespace localisation
