// The registry file is regedit text the registry reads, pointing into the
// sample's folder.
#include <gtest/gtest.h>

#include "korvel/sample/sample_server.h"
#include "korvel/sample/tests/sample_test_support.h"
#include "platform/codepage/codepage.h"
#include "platform/registry/registry.h"

namespace korvel_sample {
namespace {

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

// A sample without messages in `dir`; the registry is its file for the
// test's lifetime.
class SampleRegistry {
 public:
  explicit SampleRegistry(const std::filesystem::path& dir) : variable_("KORVEL_REGISTRY", dir / kRegistryFile) {
    SampleOptions options;
    options.dir = dir;
    options.messages = 0;
    SampleReport report;
    const Status status = WriteSampleServer(options, &report);
    EXPECT_TRUE(status.ok()) << status.message();
  }

 private:
  korvel::test::ScopedEnvironmentVariable variable_;
};

constexpr const wchar_t* kEventSourceKey =
    L"System\\CurrentControlSet\\Services\\EventLog\\Application\\NorvaneKorvel_QoTm";

// Regedit text in UTF-16LE with CR LF line ends.
TEST(RegistryFile, IsRegeditTextHoldingEveryValueTheKitReads) {
  TempFolder folder;
  SampleRegistry registry(folder.path());
  const std::string& dir = folder.path();
  const std::string bytes = ReadFile(folder / kRegistryFile);
  ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  const std::string text = codepage::WideToUtf8(codepage::Utf16LeToWide(bytes.substr(2)));
  EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\r\n"));
  EXPECT_TRUE(text.ends_with("\r\n"));
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

TEST(RegistryFile, KeepsAFolderNameWithQuotesBackslashesAndOtherScripts) {
  TempFolder folder;
  const std::filesystem::path dir = folder / "a \"quoted\" back\\slash \xE6\x97\xA5";
  SampleRegistry registry(dir);
  EXPECT_EQ(ReadValue(L"Software\\Halvern\\Trellium\\1.0", L"Root Path").text,
            dir.string() + "/");
  EXPECT_EQ(ReadValue(kEventSourceKey, L"EventMessageFile").text,
            (dir / kEventMessageFile).string());
}

}  // namespace
}  // namespace korvel_sample
