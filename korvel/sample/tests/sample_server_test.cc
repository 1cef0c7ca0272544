// One sample server read back independently of the code that wrote it. The
// directory database and the message store hold the cases the export and the
// extraction must cope with (their own runs over the sample would pass just as
// well without them), recordings are whole RIFF WAVE files, and the registry
// file is regedit text pointing into the sample's folder.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "korvel/sample/sample_server.h"
#include "platform/codepage/codepage.h"
#include "platform/registry/registry.h"
#include "tests/support/temp_folder.h"

namespace korvel_sample {
namespace {

using korvel::test::ReadFile;
using korvel::test::TempFolder;

using Value = std::optional<std::string>;  // NULL is nullopt; numbers as text; blobs as bytes

struct QueryResult {
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
  Value Get(std::size_t row, const std::string& column) const {  // ignoring case, as the export does
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (strcasecmp(columns[i].c_str(), column.c_str()) == 0) return rows.at(row).at(i);
    }
    ADD_FAILURE() << "no column " << column;
    return std::nullopt;
  }
};

// Runs `sql` exactly as given on the database, opened read-only. Fails the
// calling test when it cannot.
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

struct WaveInfo {
  std::string error;  // empty when the file is a consistent RIFF WAVE
  std::uint32_t format_size = 0;
  std::vector<std::string> chunks;  // tags in file order
};

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

struct RegistryValue {
  DWORD type = REG_NONE;
  std::string text;  // as UTF-8 without the terminator
};

RegistryValue ReadValue(const std::wstring& key_path, const std::wstring& name) {
  RegistryValue value;
  HKEY key = nullptr;
  wchar_t data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  value.text = codepage::WideToUtf8(data);
  return value;
}

// Writes a sample into `dir`; the registry is its file for the object's lifetime.
class Sample {
 public:
  explicit Sample(const std::filesystem::path& dir) : registry_("KORVEL_REGISTRY", dir / kRegistryFile) {
    SampleOptions options;
    options.dir = dir;
    SampleReport report;
    const Status status = WriteSampleServer(options, &report);
    EXPECT_TRUE(status.ok()) << status.message();
  }

 private:
  korvel::test::ScopedEnvironmentVariable registry_;
};

class SampleServerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    sample_ = new Sample(*folder_ / "server");
    db_ = new std::filesystem::path(std::filesystem::path(*folder_ / "server") / kDirectoryFile);
  }
  static void TearDownTestSuite() {
    delete db_;
    delete sample_;
    delete folder_;
  }

  static QueryResult Run(const std::string& sql) { return Query(*db_, sql); }
  static QueryResult Store(const std::string& sql) { return Query(db_->parent_path() / kStoreFile, sql); }
  static std::size_t Count(const std::string& where) {
    QueryResult result = Store("SELECT count(*) FROM Message WHERE " + where);
    return result.rows.empty() ? 0 : std::stoul(*result.rows[0][0]);
  }

  // The vw_Subscriber row of this alias.
  static QueryResult Subscriber(const std::string& alias) {
    QueryResult one = Run("Select * from vw_Subscriber WHERE SubscriberType IN (1,3) AND Alias = '" + alias + "'");
    EXPECT_EQ(one.rows.size(), 1u) << alias;
    return one;
  }
  static std::string Id(const std::string& alias, const std::string& column) {
    QueryResult row = Subscriber(alias);
    return row.rows.empty() ? "" : row.Get(0, column).value_or("");
  }
  // The rows of `sql`, which ends in a comparison, against the alias's id in `column`.
  static QueryResult Of(const std::string& sql, const std::string& alias,
                        const std::string& column = "SubscriberObjectID") {
    return Run(sql + "'" + Id(alias, column) + "'");
  }

  static TempFolder* folder_;
  static Sample* sample_;
  static std::filesystem::path* db_;
};

TempFolder* SampleServerTest::folder_ = nullptr;
Sample* SampleServerTest::sample_ = nullptr;
std::filesystem::path* SampleServerTest::db_ = nullptr;

TEST_F(SampleServerTest, HoldsTheDefaultSubscribersWithTextIdsAndUniqueExtensions) {
  EXPECT_EQ(Run("SELECT count(*) FROM Subscriber WHERE SubscriberType IN (1,3)").rows.at(0)[0],
            std::to_string(kDefaultSubscribers));
  EXPECT_EQ(Run("SELECT DISTINCT typeof(SubscriberObjectID), typeof(CallHandlerObjectID) FROM Subscriber").rows,
            (std::vector<std::vector<Value>>{{"text", "text"}}));
  EXPECT_EQ(Run("SELECT DTMFAccessID FROM DTMFAccessID GROUP BY 1 HAVING count(*) > 1").rows.size(), 0u);
}

TEST_F(SampleServerTest, HoldsAdministratorsAndSubscribersTheExportSkips) {
  EXPECT_EQ(Subscriber("EAdmin").rows.size(), 1u);
  const struct {
    const char* alias;
    const char* view;
    const char* column;
    bool found;
  } cases[] = {
      {"nohandler", "vw_CallHandler", "CallHandlerObjectID", false},
      {"nocos", "vw_COS", "COSObjectID", false},
      {"nolocation", "vw_Location", "LocationObjectID", false},
      {"nohandler.nocos", "vw_CallHandler", "CallHandlerObjectID", false},
      {"nohandler.nocos", "vw_COS", "COSObjectID", false},
      {"mwi.plain", "vw_CallHandler", "CallHandlerObjectID", true},
      {"mwi.plain", "vw_Location", "LocationObjectID", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Of(std::string("SELECT 1 FROM ") + c.view + " WHERE " + c.column + " = ", c.alias, c.column).rows.size(),
              c.found ? 1u : 0u)
        << c.alias << " " << c.view;
  }
  EXPECT_EQ(Run("SELECT * FROM vw_Subscriber WHERE Alias IS NULL AND SubscriberType IN (1,3)").rows.size(), 1u);
  EXPECT_EQ(Run("SELECT DISTINCT SubscriberType FROM Subscriber WHERE SubscriberType NOT IN (1,3)").rows.size(), 3u);
}

TEST_F(SampleServerTest, HoldsNamesThatNeedCareInACsvFile) {
  const struct {
    const char* alias;
    const char* column;
    std::optional<std::string> value;
  } cases[] = {
      {"jsmith.jr", "LastName", "Smith, Jr."},
      {"dholliday", "DisplayName", "Holliday, John \"Doc\""},
      {"aberg", "FirstName", "  Anna "},
      {"tyamada", "DisplayName", "\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E"},
      {"ren\xC3\xA9.lef\xC3\xA8vre", "FirstName", "Ren\xC3\xA9"},
      {"nolanguage", "Language", std::nullopt},
      {"unlisted", "ListInDirectory", "0"},
      {"noextension", "DTMFAccessID", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(Subscriber(c.alias).Get(0, c.column), c.value) << c.alias << " " << c.column;
}

TEST_F(SampleServerTest, HoldsAlternateExtensionsMwiStringsAndContactRulesOfEveryShape) {
  const std::string alternates = "SELECT * FROM DTMFAccessID WHERE IsPrimaryID='0' AND ParentObjectID=";
  const std::string mwi = "SELECT * FROM NotificationMWI WHERE Alias='MWI-1' AND ParentObjectID=";
  const std::string rules = "SELECT * FROM ContactRule WHERE Alias='Alternate' AND ParentObjectID=";
  const std::string handler = "CallHandlerObjectID";
  EXPECT_EQ(Of(alternates, "noalternates").rows.size(), 0u);
  EXPECT_EQ(Of(alternates, "twoalternates").rows.size(), 2u);
  EXPECT_GT(Of(alternates, "manyalternates").rows.size(), 9u);
  for (const auto& [alias, extension] : {std::pair{"mwi.upper", "9X"}, {"mwi.lower", "8x"}, {"mwi.several", "*X#x"}}) {
    EXPECT_EQ(Of(mwi, alias).Get(0, "MWIExtension"), extension);
  }
  EXPECT_EQ(Of(mwi, "mwi.none").rows.size(), 0u);
  EXPECT_EQ(Of(rules, "rule.two", handler).rows.size(), 2u);
  EXPECT_EQ(Of(rules, "rule.rings0", handler).Get(0, "TransferRings"), "0");
  EXPECT_EQ(Of(rules, "rule.typenull", handler).Get(0, "TransferType"), std::nullopt);
  const QueryResult nulls = Of(rules, "rule.nulls", handler);
  ASSERT_EQ(nulls.rows.size(), 1u);
  for (const char* column : {"Action", "Extension", "TransferRings"}) EXPECT_EQ(nulls.Get(0, column), std::nullopt);
}

TEST_F(SampleServerTest, StreamPathsNameRecordingsUnderTheRootPathOrNothing) {
  const auto recording = [](const std::string& alias) {
    std::string path = Id(alias, "StreamPath");
    std::replace(path.begin(), path.end(), '\\', '/');
    return path.starts_with("/") ? path : (db_->parent_path() / "Stream Files" / path).string();
  };
  for (const char* alias : {"voice.subfolder", "voice.nested", "voice.absolute"}) {
    EXPECT_EQ(InspectWave(ReadFile(recording(alias))).error, "") << alias;
  }
  for (const char* alias : {"voice.missing", "voice.drive"}) {
    EXPECT_FALSE(std::filesystem::is_regular_file(recording(alias))) << alias;
  }
  for (const char* where : {"StreamPath IS NULL", "StreamPath = ''"}) {
    EXPECT_GT(Run(std::string("SELECT * FROM vw_Subscriber WHERE ") + where).rows.size(), 0u) << where;
  }
}

TEST_F(SampleServerTest, MessagesCoverEveryFolderSenderDateAndHeaderCase) {
  EXPECT_EQ(Count("1"), static_cast<std::size_t>(kDefaultMessages));
  // Numeric AMIS and OMNI addresses must stay text, or the From header loses them.
  for (const char* held : {"Folder = 6", "Folder = 13", "SenderAddressType IN (5, 6) AND SenderEmailAddress GLOB '[0-9]*'",
                           "DeliveryTime < 25569", "DeliveryTime > 50424.1348148", "DeliveryTime IS NULL",
                           "HasUnknownSender = 1 AND SenderAddressType = 5 AND SenderEmailAddress <> ''",
                           "HasUnknownSender = 1 AND SenderAddressType = 6 AND SenderEmailAddress <> ''",
                           "HasUnknownSender = 1 AND SenderEmailAddress = ''",
                           "HasUnknownSender = 1 AND SenderEmailAddress IS NULL",
                           "HasUnknownSender = 0 AND SenderID IS NULL", "Importance = 2", "Importance = 1",
                           "Sensitivity = 3", "Sensitivity = 0", "Subject IS NULL",
                           "SenderID IN (SELECT MailUserID FROM MailUser WHERE IsSubscriber = 0)"}) {
    EXPECT_GT(Count(held), 0u) << held;
  }
  for (const char* absent : {"Folder NOT IN (6, 13)", "DeliveryTime IS NOT NULL AND typeof(DeliveryTime) <> 'real'",
                             "SenderEmailAddress IS NOT NULL AND typeof(SenderEmailAddress) <> 'text'",
                             "HasUnknownSender = 1 AND SenderID IS NOT NULL", "HasUnknownSender NOT IN (0, 1)",
                             "OwnerID NOT IN (SELECT MailUserID FROM MailUser WHERE IsSubscriber = 1)",
                             "SenderID IS NOT NULL AND SenderID NOT IN (SELECT MailUserID FROM MailUser)"}) {
    EXPECT_EQ(Count(absent), 0u) << absent;
  }
}

TEST_F(SampleServerTest, AttachmentsAreWholeWaveFilesOneToThreeAMessage) {
  QueryResult streams = Store("SELECT MessageID, Seq, Data, typeof(Data) FROM AudioStream "
                              "ORDER BY MessageID, Seq");
  std::map<std::string, int> per_message;
  bool fact_first = false, long_format_first = false;
  for (const auto& row : streams.rows) {
    EXPECT_EQ(row[3], "blob");
    const auto wave = InspectWave(*row[2]);
    EXPECT_EQ(wave.error, "") << "message " << *row[0] << " attachment " << *row[1];
    ++per_message[*row[0]];
    if (row[1] == "1") {
      fact_first |= wave.chunks == std::vector<std::string>{"fmt ", "fact", "data"};
      long_format_first |= wave.format_size == 18;
    }
  }
  EXPECT_EQ(per_message.size(), static_cast<std::size_t>(kDefaultMessages));
  std::set<int> counts;
  for (const auto& [message, count] : per_message) counts.insert(count);
  EXPECT_EQ(counts, (std::set<int>{1, 2, 3}));
  EXPECT_TRUE(fact_first);
  EXPECT_TRUE(long_format_first);
}

constexpr const wchar_t* kEventSourceKey =
    L"System\\CurrentControlSet\\Services\\EventLog\\Application\\NorvaneKorvel_QoTm";

// Regedit text in UTF-16LE with CR LF line ends.
TEST_F(SampleServerTest, RegistryFileIsRegeditTextHoldingEveryValueTheKitReads) {
  const std::string dir = db_->parent_path();
  const std::string bytes = ReadFile(db_->parent_path() / kRegistryFile);
  ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  const std::string text = codepage::WideToUtf8(codepage::Utf16LeToWide(bytes.substr(2)));
  EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\r\n"));
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_EQ(text[at - 1], '\r') << "bare line feed at " << at;
  }

  // The values the programs start from are checked by their runs over
  // samples; these are read only when an extraction fails, which no such run
  // does. The message file's texts are checked by the exception report's test.
  EXPECT_EQ(ReadValue(L"Software\\Halvern\\QoLogMgr\\1.0", L"Help Web Server").text,
            "http://help.halvern.example/");
  const RegistryValue event_file = ReadValue(kEventSourceKey, L"EventMessageFile");
  const RegistryValue category_file = ReadValue(kEventSourceKey, L"CategoryMessageFile");
  for (const RegistryValue& file : {event_file, category_file}) {
    EXPECT_EQ(file.type, REG_EXPAND_SZ);
    EXPECT_EQ(file.text, dir + "/" + kEventMessageFile);
  }
}

TEST(SampleRegistryFile, KeepsAFolderNameWithQuotesBackslashesAndOtherScripts) {
  TempFolder folder;
  const std::filesystem::path dir = folder / "a \"quoted\" back\\slash \xE6\x97\xA5";
  Sample sample(dir);
  EXPECT_EQ(ReadValue(L"Software\\Halvern\\Trellium\\1.0", L"Root Path").text, dir.string() + "/");
  EXPECT_EQ(ReadValue(kEventSourceKey, L"EventMessageFile").text, (dir / kEventMessageFile).string());
}

}  // namespace
}  // namespace korvel_sample
