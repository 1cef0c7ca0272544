// A language library's string table, read from its file's bytes: one
// ID<TAB>TEXT line per string, UTF-8, with \t, \n and \\ escapes in the text;
// empty lines and lines starting with # say nothing. The file is data only, so
// reading it is all that loading it means, and no line can stop the reading.
#ifndef KORVEL_EXPORT_LOCALISATION_LANGUAGE_TABLE_H_
#define KORVEL_EXPORT_LOCALISATION_LANGUAGE_TABLE_H_

#include <map>
#include <string_view>
#include <vector>

#include <QString>

namespace localisation {

struct LanguageTable {
  std::map<int, QString> texts;
  // 1-based numbers of the lines that were skipped: no tab, an id that is not
  // a number from 0 to 65535, an id given before, an unknown escape, or text
  // that is not UTF-8.
  std::vector<int> skipped_lines;
};

// Never fails; the worst input gives an empty table.
LanguageTable ParseLanguageTable(std::string_view bytes);

}  // namespace localisation

#endif  // KORVEL_EXPORT_LOCALISATION_LANGUAGE_TABLE_H_
