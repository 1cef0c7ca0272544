// The message files a test wrote, and their reading back by Python's email
// package through read_msg_files.py (named by the environment variable
// MSG_READER), which knows nothing of the extractor's code.
#ifndef KORVEL_TMMSGEXTRACTOR_TESTS_MSG_READER_H_
#define KORVEL_TMMSGEXTRACTOR_TESTS_MSG_READER_H_

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

// Runs the reader script with `arguments`; its complaints, or "" when it
// found nothing wrong.
inline std::string RunMessageReader(const std::vector<std::string>& arguments) {
  const char* script = std::getenv("MSG_READER");
  if (script == nullptr) return "MSG_READER is not set";
  std::string command = std::string("python3 '") + script + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot run python3";
  std::string output;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  const int status = pclose(pipe);
  if (status != 0 && output.empty()) output = "python3 failed";
  return status == 0 ? "" : output;
}

#endif  // KORVEL_TMMSGEXTRACTOR_TESTS_MSG_READER_H_
