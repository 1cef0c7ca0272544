// The registry file decodes as the regedit format and holds every value the
// kit reads, pointing into the sample's folder.
#include <gtest/gtest.h>
#include <strings.h>

#include <map>

#include "korvel/sample/sample_server.h"
#include "korvel/sample/tests/sample_test_support.h"
#include "platform/codepage/codepage.h"

namespace korvel_sample {
namespace {

using korvel_sample_test::ReadBytes;
using korvel_sample_test::TempFolder;

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
  }
};
using Values = std::map<std::string, std::string, NoCase>;  // value name -> text after '='
using Keys = std::map<std::string, Values, NoCase>;

// Reads the file as regedit text: UTF-16LE with byte-order mark, CR LF.
Keys ParseRegistry(const std::string& bytes) {
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  const std::string text = codepage::WideToUtf8(codepage::Utf16LeToWide(bytes.substr(2)));
  Keys keys;
  std::string key;
  std::size_t at = 0;
  bool first = true;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "last line without CR LF";
    if (end == std::string::npos) break;
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    EXPECT_EQ(line.find('\n'), std::string::npos) << "line feed without carriage return";
    if (first) {
      EXPECT_EQ(line, "Windows Registry Editor Version 5.00");
      first = false;
    } else if (line.starts_with("[HKEY_LOCAL_MACHINE\\") && line.ends_with("]")) {
      key = line.substr(20, line.size() - 21);
    } else if (line.starts_with("\"")) {
      const std::size_t name_end = line.find("\"=");
      keys[key][line.substr(1, name_end - 1)] = line.substr(name_end + 2);
    } else {
      EXPECT_EQ(line, "");
    }
  }
  return keys;
}

// A REG_SZ text as written: quoted, with \\ and \" escapes.
std::string Unquote(const std::string& value) {
  EXPECT_TRUE(value.size() >= 2 && value.front() == '"' && value.back() == '"') << value;
  std::string text;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[i] == '\\') ++i;
    text.push_back(value[i]);
  }
  return text;
}

// A REG_EXPAND_SZ as written: hex(2): UTF-16LE bytes with the terminator.
std::string DecodeExpandString(const std::string& value) {
  EXPECT_TRUE(value.starts_with("hex(2):")) << value;
  std::string bytes;
  for (std::size_t i = 7; i < value.size(); i += 3) {
    bytes.push_back(static_cast<char>(std::stoi(value.substr(i, 2), nullptr, 16)));
  }
  EXPECT_TRUE(bytes.ends_with(std::string(2, '\0')));
  return codepage::WideToUtf8(codepage::Utf16LeToWide(bytes.substr(0, bytes.size() - 2)));
}

Keys WriteAndParse(const std::filesystem::path& dir) {
  SampleOptions options;
  options.dir = dir;
  SampleReport report;
  const Status status = WriteSampleServer(options, &report);
  EXPECT_TRUE(status.ok()) << status.message();
  return ParseRegistry(ReadBytes(dir / kRegistryFile));
}

TEST(RegistryFile, HoldsEveryValueTheKitReads) {
  TempFolder folder;
  const std::string dir = folder.path().string();
  Keys keys = WriteAndParse(folder.path());

  // Version 4.0 build 5: the build half's decimal digits sit in hexadecimal places.
  EXPECT_EQ(keys["Software\\Halvern"]["Version Number"], "dword:00040000");
  EXPECT_EQ(keys["Software\\Halvern"]["Build Number"], "dword:00050003");
  const Values& trellium = keys["Software\\Halvern\\Trellium\\1.0"];
  EXPECT_EQ(Unquote(trellium.at("Root Path")), dir + "/");
  EXPECT_EQ(trellium.at("Server State"), "dword:00000020");
  EXPECT_EQ(Unquote(keys["Software\\Halvern\\Zad\\1.0"]["Message Store"]),
            dir + "/" + kStoreFile);
  Values& log_manager = keys["Software\\Halvern\\QoLogMgr\\1.0"];
  EXPECT_EQ(std::filesystem::path(Unquote(log_manager["Log File"])).parent_path(), dir);
  EXPECT_EQ(Unquote(log_manager["Help Web Server"]), "http://help.halvern.example/");
  EXPECT_EQ(Unquote(keys["SYSTEM\\CurrentControlSet\\Services\\QoTmMgr"]["ObjectName"]),
            "KORVEL\\qotmsvc");

  Values& source =
      keys["SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\NorvaneKorvel_QoTm"];
  const std::string message_file = DecodeExpandString(source["EventMessageFile"]);
  EXPECT_EQ(DecodeExpandString(source["CategoryMessageFile"]), message_file);
  EXPECT_EQ(std::filesystem::path(message_file).parent_path(), dir);

  const std::string messages = ReadBytes(message_file);
  const auto message_text = [&messages](const std::string& id) {
    const std::size_t start = messages.find("MessageId=" + id + "\r\nLanguage=English\r\n");
    const std::size_t end = messages.find("\r\n.\r\n", start);
    EXPECT_TRUE(start != std::string::npos && end != std::string::npos) << id;
    return start == std::string::npos ? "" : messages.substr(start, end - start);
  };
  const std::string exception_report = message_text("100");
  for (const char* insert : {"%1", "%2", "%3", "%4", "%5"}) {
    EXPECT_NE(exception_report.find(insert), std::string::npos) << insert;
  }
  EXPECT_NE(message_text("105").find("%1"), std::string::npos);
}

TEST(RegistryFile, EscapesAFolderNameWithQuotesBackslashesAndOtherScripts) {
  TempFolder folder;
  const std::filesystem::path dir = folder.path() / "a \"quoted\" back\\slash \xE6\x97\xA5";
  Keys keys = WriteAndParse(dir);
  EXPECT_EQ(Unquote(keys["Software\\Halvern\\Trellium\\1.0"]["Root Path"]), dir.string() + "/");
  const std::string message_file = DecodeExpandString(
      keys["SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\NorvaneKorvel_QoTm"]
          ["EventMessageFile"]);
  EXPECT_TRUE(std::filesystem::exists(message_file)) << message_file;
}

}  // namespace
}  // namespace korvel_sample
