#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/codepage/codepage.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::ReadFile;
using korvel::test::WriteFile;

// A file exactly as regedit writes one, with every value form.
const std::wstring kSample[] = {
    L"; the server's own keys",
    L"[HKEY_LOCAL_MACHINE\\Software\\Halvern]",
    L"\"Version Number\"=dword:0004000a",
    L"\"Build Number\"=dword:1F",
    L"",
    L"[hklm\\Software\\Halvern\\Trellium\\1.0]",
    L"@=\"default\"",
    L"\"Root Path\"=\"C:\\\\Korvel\\\\ \\\"quoted\\\"\"",
    L"\"Blob\"=hex:01,02,ff",
    L"\"Message File\"=hex(2):25,00,54,00,4d,00,50,00,25,00,5c,00,\\",
    L"  61,00,00,00",
    L"\"List\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00",
    L"\"Big\"=hex(b):08,07,06,05,04,03,02,01",
    L"\"Caf\u00e9\"=\"accent\"",
    L"[HKEY_CURRENT_USER\\Software\\Halvern]",
    L"\"Who\"=\"user\"",
};

struct FileStyle {
  const char* name;
  const wchar_t* header;
  bool utf16;
  const char* utf8_prefix;
  const wchar_t* line_end;
};

const FileStyle kStyles[] = {
    {"Utf16Crlf", L"Windows Registry Editor Version 5.00", true, "", L"\r\n"},
    {"Utf8Lf", L"Windows Registry Editor Version 5.00", false, "", L"\n"},
    {"Utf8BomCrlf", L"Windows Registry Editor Version 5.00", false, "\xEF\xBB\xBF", L"\r\n"},
    {"Regedit4", L"REGEDIT4", false, "", L"\n"},
};

std::string Encode(const FileStyle& style, const std::wstring& text) {
  return style.utf16 ? codepage::WideToUtf16Le(text) : codepage::WideToUtf8(text);
}

std::string FileBytes(const FileStyle& style) {
  std::wstring text = std::wstring(style.header) + style.line_end + style.line_end;
  for (const std::wstring& line : kSample) text += line + style.line_end;
  return (style.utf16 ? "\xFF\xFE" : style.utf8_prefix) + Encode(style, text);
}

std::string WideBytes(std::wstring_view units) {
  return std::string(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(wchar_t));
}

struct Value {
  LONG result = 0;
  DWORD type = 0;
  std::string data;
};

Value Query(HKEY root, const wchar_t* key_path, const wchar_t* name) {
  HKEY key = nullptr;
  Value value;
  value.result = RegOpenKeyExW(root, key_path, 0, KEY_READ, &key);
  if (value.result != ERROR_SUCCESS) return value;
  DWORD size = 0;
  value.result = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
  value.data.resize(size);
  if (value.result == ERROR_SUCCESS) {
    value.result = RegQueryValueExW(key, name, nullptr, &value.type,
                                    reinterpret_cast<LPBYTE>(value.data.data()), &size);
  }
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  return value;
}

// The result of creating or opening the key under HKEY_LOCAL_MACHINE, which is closed again.
LONG Closed(LONG result, const HKEY& key) {
  if (result == ERROR_SUCCESS) {
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  return result;
}

LONG Create(const wchar_t* key_path, DWORD* disposition = nullptr, REGSAM access = KEY_ALL_ACCESS) {
  HKEY key = nullptr;
  return Closed(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, L"Qoxen", REG_OPTION_NON_VOLATILE, access, nullptr,
                                &key, disposition),
                key);
}

LONG Open(const wchar_t* key_path, REGSAM access = KEY_READ) {
  HKEY key = nullptr;
  return Closed(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, access, &key), key);
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("KORVEL_REGISTRY", path_.c_str(), 1); }
  // The folder may have been made read-only.
  void TearDown() override { chmod(folder_.path().c_str(), 0700); }
  void Write(const std::string& bytes) { WriteFile(path_, bytes); }
  std::string Read() { return ReadFile(path_); }

  TempFolder folder_;
  const std::string path_ = folder_ / "registry.reg";
};

class RegistryStyleTest : public RegistryTest, public ::testing::WithParamInterface<FileStyle> {};

TEST_P(RegistryStyleTest, ReadsEveryValueForm) {
  Write(FileBytes(GetParam()));
  const wchar_t* trellium = L"SOFTWARE\\halvern\\TRELLIUM\\1.0";
  const struct {
    const wchar_t* key;
    const wchar_t* name;
    DWORD type;  // REG_NONE: not found
    std::string data;
  } cases[] = {
      {L"Software\\Halvern\\", L"version number", REG_DWORD, std::string("\x0a\0\x04\0", 4)},
      {L"Software\\Halvern", L"Build Number", REG_DWORD, std::string("\x1f\0\0\0", 4)},
      {trellium, L"ROOT PATH", REG_SZ, WideBytes(std::wstring_view(L"C:\\Korvel\\ \"quoted\"", 20))},
      {trellium, nullptr, REG_SZ, WideBytes(std::wstring_view(L"default", 8))},
      {trellium, L"Blob", REG_BINARY, "\x01\x02\xff"},
      {trellium, L"Message File", REG_EXPAND_SZ, WideBytes(std::wstring_view(L"%TMP%\\a", 8))},
      {trellium, L"List", REG_MULTI_SZ, WideBytes(std::wstring_view(L"a\0bc\0", 6))},
      {trellium, L"Big", REG_QWORD, "\x08\x07\x06\x05\x04\x03\x02\x01"},
      {trellium, L"CAF\u00c9", REG_SZ, WideBytes(std::wstring_view(L"accent", 7))},
      {trellium, L"Missing", REG_NONE, ""},
      // A key exists through the keys below it, with no values of its own.
      {L"Software\\Halvern\\Trellium", L"x", REG_NONE, ""},
  };
  for (const auto& c : cases) {
    const Value value = Query(HKEY_LOCAL_MACHINE, c.key, c.name);
    SCOPED_TRACE(c.name == nullptr ? L"(default)" : c.name);
    EXPECT_EQ(value.result, c.type == REG_NONE ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
    if (c.type == REG_NONE) continue;
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.data, c.data);
  }
  EXPECT_EQ(Query(HKEY_CURRENT_USER, L"Software\\Halvern", L"Who").data, WideBytes(std::wstring_view(L"user", 5)));
  EXPECT_EQ(Open(L"Software"), ERROR_SUCCESS);
}

// Creation appends to the file in its own encoding and line ends, keeps every
// byte it had, and leaves a file this reader (and regedit) reads back.
TEST_P(RegistryStyleTest, CreateAppendsTheKeyAndKeepsEveryByte) {
  const std::string before = FileBytes(GetParam());
  Write(before);
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  DWORD disposition = 0;
  ASSERT_EQ(Create(L"Software\\New\\Deep\\", &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  const std::wstring line_end = GetParam().line_end;
  EXPECT_EQ(Read(), before + Encode(GetParam(), line_end + L"[HKEY_LOCAL_MACHINE\\Software\\New\\Deep]" + line_end));
  EXPECT_EQ(Open(L"software\\new"), ERROR_SUCCESS);
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, L"Software\\Halvern\\Trellium\\1.0", L"Blob").data, "\x01\x02\xff");

  const std::string after = Read();
  ASSERT_EQ(Create(L"SOFTWARE\\NEW", &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(Read(), after);
  struct stat st;
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

INSTANTIATE_TEST_SUITE_P(Encodings, RegistryStyleTest, ::testing::ValuesIn(kStyles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistryAndCreateMakesAUtf16File) {
  EXPECT_EQ(Open(L"Software\\Halvern"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, nullptr, L"x").result, ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Create(L"Software\\Halvern"), ERROR_SUCCESS);
  EXPECT_EQ(Read(), "\xFF\xFE" + codepage::WideToUtf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n"
                                                         L"[HKEY_LOCAL_MACHINE\\Software\\Halvern]\r\n"));
  EXPECT_EQ(Open(L"Software\\Halvern"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, RefusesClosedHandlesAndNamesThatWouldAddLines) {
  Write("REGEDIT4\n[HKLM\\K]\n");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"K", 0, KEY_READ, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(Create(L"K\\a]\r\n\"x\"=dword:1\r\n[HKLM\\b"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Read(), "REGEDIT4\n[HKLM\\K]\n");
}

TEST_F(RegistryTest, ReadOnlyFileCanBeReadButNotWrittenAndAReadOnlyFolderGetsNone) {
  const std::string before = "REGEDIT4\n[HKLM\\K]\n\"v\"=\"x\"\n";
  Write(before);
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, L"K", L"v").result, ERROR_SUCCESS);
  EXPECT_EQ(Open(L"K", 0x2001F), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Create(L"K"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Create(L"K", nullptr, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(Create(L"K\\New"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Read(), before);

  // Nor is a file made in a read-only folder.
  ASSERT_TRUE(std::filesystem::remove(path_));
  ASSERT_EQ(chmod(folder_.path().c_str(), 0555), 0);
  EXPECT_EQ(Create(L"K"), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(RegistryTest, MalformedFileNamesFileAndLineAndIsNeverRewritten) {
  const struct {
    std::string bytes;
    int line;
  } cases[] = {
      {"Windows Registry Editor\n[HKLM\\K]\n", 1},
      {"REGEDIT4\n\"v\"=\"before any key\"\n", 2},
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKLM\\K]\n\n\"v\"=hex:01,\\\n", 4},
      {"\xFF\xFE" + codepage::WideToUtf16Le(L"REGEDIT4\r\n") + "R", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    Write(c.bytes);
    std::string prefix = path_ + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(Open(L"K"), ERROR_BADDB);
    EXPECT_EQ(RegistryLastError().substr(0, prefix.size()), prefix);
    EXPECT_EQ(Create(L"Other"), ERROR_BADDB);
    EXPECT_EQ(RegistryLastError().substr(0, prefix.size()), prefix);
    EXPECT_EQ(Read(), c.bytes);
  }
}

// Each process appends under the lock to the file as it is then, so keys
// created at the same time by several processes all survive.
TEST_F(RegistryTest, ConcurrentCreatorsLoseNoKey) {
  constexpr int kProcesses = 4, kKeysEach = 10;
  const auto name = [](int p, int k) { return L"P" + std::to_wstring(p) + L"\\K" + std::to_wstring(k); };
  for (int p = 0; p < kProcesses; ++p) {
    if (fork() != 0) continue;
    int failures = 0;
    for (int k = 0; k < kKeysEach; ++k) failures += Create(name(p, k).c_str()) != ERROR_SUCCESS;
    _exit(failures);
  }
  for (int p = 0; p < kProcesses; ++p) {
    int status = 0;
    ASSERT_GT(wait(&status), 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int p = 0; p < kProcesses; ++p) {
    for (int k = 0; k < kKeysEach; ++k) EXPECT_EQ(Open(name(p, k).c_str()), ERROR_SUCCESS);
  }
}

}  // namespace
