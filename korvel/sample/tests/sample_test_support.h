// Reading back what korvel-sample wrote: temporary folders, files, query
// results and RIFF WAVE files, all checked independently of the writer's code.
#ifndef KORVEL_SAMPLE_TESTS_SAMPLE_TEST_SUPPORT_H_
#define KORVEL_SAMPLE_TESTS_SAMPLE_TEST_SUPPORT_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvel_sample_test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);

// Every file below `folder`, by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

using Value = std::optional<std::string>;  // NULL is nullopt; numbers as text; blobs as bytes

struct QueryResult {
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
  std::vector<int> types;  // SQLite type of each column of the first row
  bool HasColumn(const std::string& name) const;  // ignoring case, as the export does
  Value Get(std::size_t row, const std::string& column) const;
};

// Runs `sql` exactly as given on the database, opened read-only. Fails the
// calling test when it cannot.
QueryResult Query(const std::filesystem::path& database, const std::string& sql);

struct WaveInfo {
  std::string error;  // empty when the file is a consistent RIFF WAVE
  std::uint32_t format_size = 0;
  std::vector<std::string> chunks;  // tags in file order
  std::uint32_t data_size = 0;
};
WaveInfo InspectWave(const std::string& bytes);

}  // namespace korvel_sample_test

#endif  // KORVEL_SAMPLE_TESTS_SAMPLE_TEST_SUPPORT_H_
