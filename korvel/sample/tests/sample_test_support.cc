#include "korvel/sample/tests/sample_test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <strings.h>

namespace korvel_sample_test {

std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[std::filesystem::relative(entry.path(), folder).string()] = ReadFile(entry.path());
    }
  }
  return files;
}

Value QueryResult::Get(std::size_t row, const std::string& column) const {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (strcasecmp(columns[i].c_str(), column.c_str()) == 0) return rows.at(row).at(i);
  }
  ADD_FAILURE() << "no column " << column;
  return std::nullopt;
}

QueryResult Query(const std::filesystem::path& database, const std::string& sql) {
  QueryResult result;
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << database << ": " << sql << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return result;
  }
  const int count = sqlite3_column_count(statement);
  for (int i = 0; i < count; ++i) result.columns.push_back(sqlite3_column_name(statement, i));
  int step;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    std::vector<Value> row;
    for (int i = 0; i < count; ++i) {
      const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, i));
      if (sqlite3_column_type(statement, i) == SQLITE_NULL) row.emplace_back();
      else row.emplace_back(std::string(data ? data : "", sqlite3_column_bytes(statement, i)));
    }
    result.rows.push_back(std::move(row));
  }
  EXPECT_EQ(step, SQLITE_DONE) << sql << ": " << sqlite3_errmsg(db);
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return result;
}

namespace {

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint16_t U16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

WaveInfo Broken(std::string error) {
  WaveInfo info;
  info.error = std::move(error);
  return info;
}

}  // namespace

WaveInfo InspectWave(const std::string& bytes) {
  WaveInfo info;
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
    return Broken("no RIFF WAVE header");
  }
  if (U32(bytes, 4) != bytes.size() - 8) return Broken("RIFF size does not match the file");
  bool have_format = false;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::string tag = bytes.substr(at, 4);
    const std::uint32_t size = U32(bytes, at + 4);
    info.chunks.push_back(tag);
    if (at + 8 + size > bytes.size()) return Broken("chunk " + tag + " runs past the end");
    if (tag == "fmt ") {
      info.format_size = size;
      const std::uint16_t channels = U16(bytes, at + 10);
      const std::uint32_t rate = U32(bytes, at + 12);
      const std::uint32_t byte_rate = U32(bytes, at + 16);
      const std::uint16_t block_align = U16(bytes, at + 20);
      const std::uint16_t bits = U16(bytes, at + 22);
      if (U16(bytes, at + 8) != 1 || block_align != channels * bits / 8 || byte_rate != rate * block_align) {
        return Broken("inconsistent PCM format");
      }
      have_format = true;
    } else if (tag == "data") {
      if (!have_format) info.error = "data before format";
      if (at + 8 + size != bytes.size()) info.error = "data does not end the file";
      return info;
    }
    at += 8 + size + (size & 1);
  }
  info.error = "no data chunk";
  return info;
}

}  // namespace korvel_sample_test
