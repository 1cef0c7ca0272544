// The extractor holds text as wide characters. File names, the command line
// and the console are the operating system's own text, which is UTF-8 here;
// what the extractor writes into its files is in the ANSI code page instead
// (see CBstr::ToAnsi), because the files are read on the successor's side.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_SYSTEM_TEXT_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_SYSTEM_TEXT_H_

#include <string>
#include <string_view>

// A null text gives an empty result.
std::string ToSystemText(const wchar_t* text);
std::string ToSystemText(std::wstring_view text);
std::wstring FromSystemText(std::string_view text);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_SYSTEM_TEXT_H_
