// The extractor's switches: "-dir" (or "/dir") the output folder, "-log" the
// extraction log, "-dom" the mail domain. An argument is a switch when it
// holds the switch text anywhere (so "-domain" and "c:/dir" are switches too),
// tried in the order dir, log, dom; the argument after a switch is its value
// and is not tested itself; a switch without a following argument does
// nothing; anything else is ignored; a later value wins.
#ifndef KORVEL_TMMSGEXTRACTOR_COMMANDLINE_H_
#define KORVEL_TMMSGEXTRACTOR_COMMANDLINE_H_

#include <vector>

#include "TmMsgExtractor/diagnostics/bstr.h"

struct ExtractorSettings {
  CBstr folder;
  CBstr domain;
  // Every log switch's value, in order: each is opened in turn.
  std::vector<CBstr> logs;
};

ExtractorSettings ReadSwitches(const std::vector<CBstr>& arguments);

#endif  // KORVEL_TMMSGEXTRACTOR_COMMANDLINE_H_
