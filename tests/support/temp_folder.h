// What the tests of every layer share: a temporary folder per test, whole
// files read and written, and an environment variable set for one scope.
#ifndef KORVEL_TESTS_SUPPORT_TEMP_FOLDER_H_
#define KORVEL_TESTS_SUPPORT_TEMP_FOLDER_H_

#include <optional>
#include <string>

namespace korvel::test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the file with `bytes`; throws when it cannot.
void WriteFile(const std::string& path, const std::string& bytes);

// How often `needle` occurs in `text`, occurrences not overlapping.
int CountOf(const std::string& text, const std::string& needle);

// Sets (or, with nullopt, removes) an environment variable until the end of
// the scope, then restores what was there before.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;
  ~ScopedEnvironmentVariable();

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace korvel::test

#endif  // KORVEL_TESTS_SUPPORT_TEMP_FOLDER_H_
