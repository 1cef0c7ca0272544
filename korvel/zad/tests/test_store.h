// A message store file of the store's layout, filled by a test with SQL; the
// Fault table makes a named method fail.
#ifndef KORVEL_ZAD_TESTS_TEST_STORE_H_
#define KORVEL_ZAD_TESTS_TEST_STORE_H_

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

class TestStore {
 public:
  explicit TestStore(const std::string& path, bool with_faults = true) {
    std::filesystem::remove(path);
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot make " + path);
    Sql(R"sql(
      CREATE TABLE MailUser (MailUserID INTEGER PRIMARY KEY, Alias ANY, DisplayName ANY,
                             IsSubscriber INTEGER NOT NULL DEFAULT 1);
      CREATE TABLE Message (MessageID INTEGER PRIMARY KEY, OwnerID INTEGER NOT NULL, Folder INTEGER NOT NULL,
                            DeliveryTime ANY, HasUnknownSender ANY, SenderID INTEGER,
                            SenderAddressType ANY, SenderEmailAddress ANY,
                            Importance ANY, Sensitivity ANY, Subject ANY);
      CREATE TABLE AudioStream (MessageID INTEGER NOT NULL, Seq INTEGER NOT NULL, Data ANY NOT NULL,
                                PRIMARY KEY (MessageID, Seq));)sql");
    if (with_faults) Sql("CREATE TABLE Fault (Method TEXT NOT NULL, ObjectID INTEGER, HResult INTEGER NOT NULL)");
  }
  ~TestStore() { sqlite3_close(db_); }

  void Sql(const std::string& statement) {
    char* error = nullptr;
    if (sqlite3_exec(db_, statement.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      throw std::runtime_error(std::string(error != nullptr ? error : "failed") + " in " + statement);
    }
  }

  void AddUser(std::int64_t id, const std::string& alias_sql, const std::string& display_name_sql = "'Someone'",
               int is_subscriber = 1) {
    Sql("INSERT INTO MailUser VALUES (" + std::to_string(id) + ", " + alias_sql + ", " + display_name_sql + ", " +
        std::to_string(is_subscriber) + ")");
  }

  // A message of owner 1 in the new-message folder from known sender 2,
  // importance 1, sensitivity 0, delivered 2020-01-02 03:04:05, subject
  // 'Hello'; `columns` replaces any of these with SQL values.
  void AddMessage(std::int64_t id, const std::map<std::string, std::string>& columns = {}) {
    std::map<std::string, std::string> values = {
        {"OwnerID", "1"},          {"Folder", "6"},           {"DeliveryTime", "43832.12783564815"},
        {"HasUnknownSender", "0"}, {"SenderID", "2"},          {"SenderAddressType", "NULL"},
        {"SenderEmailAddress", "NULL"}, {"Importance", "1"},   {"Sensitivity", "0"},
        {"Subject", "'Hello'"}};
    for (const auto& [column, value] : columns) values[column] = value;
    std::string names = "MessageID", list = std::to_string(id);
    for (const auto& [column, value] : values) names += ", " + column, list += ", " + value;
    Sql("INSERT INTO Message (" + names + ") VALUES (" + list + ")");
  }

  void AddAudio(std::int64_t message_id, int seq, const std::string& bytes) {
    std::string hex;
    for (unsigned char byte : bytes) hex += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
    Sql("INSERT INTO AudioStream VALUES (" + std::to_string(message_id) + ", " + std::to_string(seq) + ", x'" + hex +
        "')");
  }

  // Makes `method` fail with `hresult` for the object with `object_id`.
  void AddFault(const std::string& method, std::int64_t object_id, std::uint32_t hresult) {
    Sql("INSERT INTO Fault VALUES ('" + method + "', " + std::to_string(object_id) + ", " + std::to_string(hresult) +
        ")");
  }

 private:
  sqlite3* db_ = nullptr;
};

#endif  // KORVEL_ZAD_TESTS_TEST_STORE_H_
