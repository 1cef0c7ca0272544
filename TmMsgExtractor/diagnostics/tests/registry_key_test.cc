#include "TmMsgExtractor/diagnostics/registry_key.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TmMsgExtractor/diagnostics/tests/temp_folder.h"

namespace {

class CRegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ = folder_ / "registry.reg";
    setenv("KORVEL_REGISTRY", registry_.c_str(), 1);
  }

  void WriteRegistry(const std::string& body) {
    WriteFile(registry_, "Windows Registry Editor Version 5.00\r\n\r\n" + body);
  }

  TempFolder folder_;
  std::string registry_;
};

TEST_F(CRegistryKeyTest, EmptyPathIsAnInvalidHandleWithoutTouchingTheRegistry) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, nullptr);
  EXPECT_EQ(key.Open(true), ERROR_INVALID_HANDLE);
  EXPECT_EQ(CRegistryKey(nullptr, L"Software").Open(true), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(std::filesystem::exists(registry_));
}

TEST_F(CRegistryKeyTest, AppendPathPutsOneSeparatorBetween) {
  CRegistryKey key;
  key.AppendPath(L"QoLogMgr\\1.0", false);
  EXPECT_EQ(std::wstring(key.Path().c_str()), L"Software\\Halvern\\QoLogMgr\\1.0");

  CRegistryKey trailing(HKEY_LOCAL_MACHINE, L"Software\\");
  trailing.AppendPath(L"Halvern", false);
  EXPECT_EQ(std::wstring(trailing.Path().c_str()), L"Software\\Halvern");

}

TEST_F(CRegistryKeyTest, CreatesAMissingKeyOnlyWhenAsked) {
  WriteRegistry("[HKEY_LOCAL_MACHINE\\Software\\Halvern]\r\n");
  CRegistryKey key(HKEY_LOCAL_MACHINE, L"Software\\Halvern\\QoLogMgr\\1.0");
  EXPECT_EQ(key.Open(false), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.IsOpen());

  CRegistryKey help(true);
  EXPECT_TRUE(help.IsOpen());
  EXPECT_EQ(help.AppendPath(L"QoLogMgr\\1.0", true), ERROR_SUCCESS);
  EXPECT_TRUE(help.IsOpen());
  EXPECT_EQ(key.Open(false), ERROR_SUCCESS);
  EXPECT_NE(ReadFile(registry_).find("[HKEY_LOCAL_MACHINE\\Software\\Halvern\\QoLogMgr\\1.0]"), std::string::npos);

  CBstr text(L"unchanged");
  EXPECT_EQ(help.GetString(L"Help Web Server", text, true, false), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::wstring(text.c_str()), L"unchanged");
}

TEST_F(CRegistryKeyTest, ReadsLongStringsInASecondAttemptWithAndWithoutExpansion) {
  const std::string long_value(700, 'v');  // 2800 bytes as wide text
  WriteRegistry("[HKEY_LOCAL_MACHINE\\Software\\Halvern\\QoLogMgr\\1.0]\r\n\"Long\"=\"" + long_value +
                "%EXTRACTOR_TEST_TAIL%\"\r\n\"Short\"=\"%EXTRACTOR_TEST_TAIL%\\\\x\"\r\n");
  setenv("EXTRACTOR_TEST_TAIL", "END", 1);
  CRegistryKey key(HKEY_LOCAL_MACHINE, L"Software\\Halvern\\QoLogMgr\\1.0", true);
  CBstr text;
  EXPECT_EQ(key.GetString(L"Long", text, true, false), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), std::wstring(700, L'v') + L"%EXTRACTOR_TEST_TAIL%");
  EXPECT_EQ(key.GetString(L"Long", text, true, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), std::wstring(700, L'v') + L"END");
  EXPECT_EQ(key.GetString(L"Short", text, true, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), L"END\\x");
}

TEST_F(CRegistryKeyTest, QueryStringReportsSizesInBytesAndCutsAnExpansionToTheBuffer) {
  WriteRegistry("[HKEY_LOCAL_MACHINE\\Software\\Halvern]\r\n\"Value\"=\"%EXTRACTOR_TEST_LONG%\"\r\n");
  setenv("EXTRACTOR_TEST_LONG", "abcdefghij", 1);
  CRegistryKey key(false);
  // "%EXTRACTOR_TEST_LONG%" is 21 characters and its terminator.
  const DWORD needed = 22 * sizeof(wchar_t);
  wchar_t buffer[22];
  DWORD size = 4 * sizeof(wchar_t);
  EXPECT_EQ(key.QueryString(L"Value", buffer, &size, false, true), ERROR_MORE_DATA);
  EXPECT_EQ(size, needed);

  size = sizeof buffer;
  EXPECT_EQ(key.QueryString(L"Value", buffer, &size, false, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buffer), L"abcdefghij");
  EXPECT_EQ(size, 11 * sizeof(wchar_t));

  setenv("EXTRACTOR_TEST_LONG", std::string(40, 'z').c_str(), 1);
  size = sizeof buffer;
  EXPECT_EQ(key.QueryString(L"Value", buffer, &size, false, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buffer), std::wstring(21, L'z'));
  EXPECT_EQ(size, needed);
}

}  // namespace
