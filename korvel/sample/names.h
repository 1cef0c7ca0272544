// Word pools the sample draws people and subjects from.
#ifndef KORVEL_SAMPLE_NAMES_H_
#define KORVEL_SAMPLE_NAMES_H_

#include <span>
#include <string_view>

namespace korvel_sample {

struct PersonName {
  std::string_view first;
  std::string_view last;
  std::string_view alias_stem;  // plain ASCII, for names that have none themselves
};

std::span<const PersonName> CommonNames();
// Accented Latin and Japanese names, which reach the export as UTF-8 and
// UTF-16 and the extraction log as the ANSI code page.
std::span<const PersonName> InternationalNames();
std::span<const std::string_view> Subjects();

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_NAMES_H_
