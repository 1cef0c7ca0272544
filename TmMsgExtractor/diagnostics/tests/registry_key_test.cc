#include "TmMsgExtractor/diagnostics/registry_key.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::WriteFile;

class CRegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("KORVEL_REGISTRY", registry_.c_str(), 1); }
  void WriteRegistry(const std::string& body) {
    WriteFile(registry_, "Windows Registry Editor Version 5.00\r\n\r\n" + body);
  }

  TempFolder folder_;
  const std::string registry_ = folder_ / "registry.reg";
};

TEST_F(CRegistryKeyTest, ReadsStringsOfAnyLengthWithAndWithoutExpansion) {
  const std::string long_value(700, 'v');  // 2800 bytes as wide text
  WriteRegistry("[HKEY_LOCAL_MACHINE\\Software\\Halvern]\r\n\"Long\"=\"" + long_value +
                "%EXTRACTOR_TEST_TAIL%\"\r\n\"Value\"=\"%EXTRACTOR_TEST_TAIL%\"\r\n"
                "\"Edges\"=\"%EXTRACTOR_TEST_UNSET%x-100%%-50%\"\r\n");
  setenv("EXTRACTOR_TEST_TAIL", "END", 1);
  unsetenv("EXTRACTOR_TEST_UNSET");
  CRegistryKey key(true);
  CBstr text(L"unchanged");
  EXPECT_EQ(key.GetString(L"Missing", text, true, false), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::wstring(text.c_str()), L"unchanged");
  EXPECT_EQ(key.GetString(L"Long", text, true, false), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), std::wstring(700, L'v') + L"%EXTRACTOR_TEST_TAIL%");
  EXPECT_EQ(key.GetString(L"Long", text, true, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), std::wstring(700, L'v') + L"END");
  // An unset variable and the empty name of "%%" give nothing; a lone "%" stays.
  EXPECT_EQ(key.GetString(L"Edges", text, true, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text.c_str()), L"x-100-50%");

  // QueryString counts bytes, asks for more when the stored text does not
  // fit and cuts an expansion to the buffer.
  const DWORD needed = 22 * sizeof(wchar_t);  // "%EXTRACTOR_TEST_TAIL%" and its terminator
  wchar_t buffer[22];
  DWORD size = 4 * sizeof(wchar_t);
  EXPECT_EQ(key.QueryString(L"Value", buffer, &size, false, true), ERROR_MORE_DATA);
  EXPECT_EQ(size, needed);
  setenv("EXTRACTOR_TEST_TAIL", std::string(40, 'z').c_str(), 1);
  size = sizeof buffer;
  EXPECT_EQ(key.QueryString(L"Value", buffer, &size, false, true), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buffer), std::wstring(21, L'z'));
  EXPECT_EQ(size, needed);
}

}  // namespace
