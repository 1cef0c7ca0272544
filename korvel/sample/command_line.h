// The korvel-sample command: its arguments, help text and exit codes.
#ifndef KORVEL_SAMPLE_COMMAND_LINE_H_
#define KORVEL_SAMPLE_COMMAND_LINE_H_

#include <ostream>
#include <string>
#include <vector>

#include "korvel/sample/sample_server.h"

namespace korvel_sample {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 64;

struct CommandLine {
  enum class Action { kWrite, kHelp, kUsageError };
  Action action = Action::kUsageError;
  SampleOptions options;
  std::string error;  // for kUsageError
};

// `arguments` without the program name. Options take their value as the next
// argument or after '='.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string HelpText();

// Runs the whole command; returns the exit status.
int RunSampleCommand(const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_COMMAND_LINE_H_
