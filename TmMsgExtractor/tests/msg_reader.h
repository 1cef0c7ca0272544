// The message files a test wrote, and their reading back by Python's email
// package through read_msg_files.py (named by the environment variable
// MSG_READER), which knows nothing of the extractor's code; and the shell
// both are run by.
#ifndef KORVEL_TMMSGEXTRACTOR_TESTS_MSG_READER_H_
#define KORVEL_TMMSGEXTRACTOR_TESTS_MSG_READER_H_

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// The message files in `folder`, sorted by name.
inline std::vector<std::string> MessageFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".msg") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs `command` under /bin/sh; what it writes to standard output and
// error. `status` (when given) receives the status of the command.
inline std::string ShellOutput(const std::string& command, int* status = nullptr) {
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return "cannot run " + command;
  std::string output;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  const int wait_status = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  return output;
}

// Runs the reader script with `arguments`; its complaints, or "" when it
// found nothing wrong.
inline std::string RunMessageReader(const std::vector<std::string>& arguments) {
  const char* script = std::getenv("MSG_READER");
  if (script == nullptr) return "MSG_READER is not set";
  std::string command = std::string("python3 '") + script + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  int status = -1;
  const std::string output = ShellOutput(command, &status);
  return status == 0 ? "" : output.empty() ? "python3 failed" : output;
}

#endif  // KORVEL_TMMSGEXTRACTOR_TESTS_MSG_READER_H_
