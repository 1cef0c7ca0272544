// The extractor's switches: "-dir" (or "/dir") the output folder, "-log" the
// extraction log, "-dom" the mail domain. An argument is a switch when it
// holds the switch text anywhere (so "-domain" and "c:/dir" are switches too),
// tried in the order dir, log, dom; the argument after a switch is its value
// and is not tested itself; a switch without a following argument does
// nothing; anything else is ignored; a later value wins.
#ifndef KORVEL_TMMSGEXTRACTOR_COMMANDLINE_H_
#define KORVEL_TMMSGEXTRACTOR_COMMANDLINE_H_

#include <functional>
#include <vector>

#include "TmMsgExtractor/diagnostics/bstr.h"

struct ExtractorSettings {
  CBstr folder;
  CBstr domain;
};

// `open_log` is called for every log switch with a value, at the moment it is
// read; it may throw to end the reading there.
ExtractorSettings ReadSwitches(const std::vector<CBstr>& arguments,
                               const std::function<void(const CBstr& path)>& open_log);

#endif  // KORVEL_TMMSGEXTRACTOR_COMMANDLINE_H_
