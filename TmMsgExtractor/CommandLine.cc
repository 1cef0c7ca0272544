#include "TmMsgExtractor/CommandLine.h"

namespace {

bool IsSwitch(const CBstr& argument, const wchar_t* dash_form, const wchar_t* slash_form) {
  return argument.Find(dash_form) >= 0 || argument.Find(slash_form) >= 0;
}

}  // namespace

ExtractorSettings ReadSwitches(const std::vector<CBstr>& arguments) {
  ExtractorSettings settings;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const CBstr& argument = arguments[i];
    const bool has_value = i + 1 < arguments.size();
    if (IsSwitch(argument, L"-dir", L"/dir")) {
      if (has_value) settings.folder = arguments[++i];
    } else if (IsSwitch(argument, L"-log", L"/log")) {
      if (has_value) settings.logs.push_back(arguments[++i]);
    } else if (IsSwitch(argument, L"-dom", L"/dom")) {
      if (has_value) settings.domain = arguments[++i];
    }
  }
  return settings;
}
