// Reading back what korvel-sample wrote: files, query results and RIFF WAVE
// files, all checked independently of the writer's code; temporary folders
// and file reading come from the platform's test helpers.
#ifndef KORVEL_SAMPLE_TESTS_SAMPLE_TEST_SUPPORT_H_
#define KORVEL_SAMPLE_TESTS_SAMPLE_TEST_SUPPORT_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

using korvel::test::TempFolder;
using korvel::test::ReadFile;
using korvel::test::WriteFile;

namespace korvel_sample_test {

// Every file below `folder`, by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

using Value = std::optional<std::string>;  // NULL is nullopt; numbers as text; blobs as bytes

struct QueryResult {
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
  Value Get(std::size_t row, const std::string& column) const;  // ignoring case, as the export does
};

// Runs `sql` exactly as given on the database, opened read-only. Fails the
// calling test when it cannot.
QueryResult Query(const std::filesystem::path& database, const std::string& sql);

struct WaveInfo {
  std::string error;  // empty when the file is a consistent RIFF WAVE
  std::uint32_t format_size = 0;
  std::vector<std::string> chunks;  // tags in file order
};
WaveInfo InspectWave(const std::string& bytes);

}  // namespace korvel_sample_test

#endif  // KORVEL_SAMPLE_TESTS_SAMPLE_TEST_SUPPORT_H_
