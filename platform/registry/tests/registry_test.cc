#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/codepage/codepage.h"
#include "platform/registry/registry_file.h"

namespace {

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
    L"\"Empty\"=hex:",
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

LONG Create(const wchar_t* key_path, DWORD* disposition = nullptr, REGSAM access = KEY_ALL_ACCESS) {
  HKEY key = nullptr;
  LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, L"Qoxen", REG_OPTION_NON_VOLATILE,
                                access, nullptr, &key, disposition);
  if (result == ERROR_SUCCESS) {
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  return result;
}

LONG Open(const wchar_t* key_path, REGSAM access = KEY_READ) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, access, &key);
  if (result == ERROR_SUCCESS) {
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  return result;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/registry_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/registry.reg";
    setenv("KORVEL_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override {
    chmod(folder_.c_str(), 0700);
    std::filesystem::remove_all(folder_);
  }
  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Read() {
    std::ostringstream bytes;
    bytes << std::ifstream(path_, std::ios::binary).rdbuf();
    return bytes.str();
  }

  std::string folder_;
  std::string path_;
};

class RegistryStyleTest : public RegistryTest, public ::testing::WithParamInterface<FileStyle> {};

TEST_P(RegistryStyleTest, ReadsEveryValueForm) {
  Write(FileBytes(GetParam()));
  const wchar_t* trellium = L"SOFTWARE\\halvern\\TRELLIUM\\1.0";
  DWORD version = 0x0004000a, build = 0x1f;
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, L"Software\\Halvern\\", L"version number").data,
            std::string(reinterpret_cast<const char*>(&version), 4));
  Value value = Query(HKEY_LOCAL_MACHINE, L"Software\\Halvern", L"Build Number");
  EXPECT_EQ(value.type, REG_DWORD);
  EXPECT_EQ(value.data, std::string(reinterpret_cast<const char*>(&build), 4));

  value = Query(HKEY_LOCAL_MACHINE, trellium, L"ROOT PATH");
  EXPECT_EQ(value.type, REG_SZ);
  EXPECT_EQ(value.data, WideBytes(std::wstring_view(L"C:\\Korvel\\ \"quoted\"", 20)));
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, trellium, nullptr).data, WideBytes(std::wstring_view(L"default", 8)));
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, trellium, L"").data, WideBytes(std::wstring_view(L"default", 8)));
  value = Query(HKEY_LOCAL_MACHINE, trellium, L"Blob");
  EXPECT_EQ(value.type, REG_BINARY);
  EXPECT_EQ(value.data, std::string("\x01\x02\xff", 3));
  value = Query(HKEY_LOCAL_MACHINE, trellium, L"Message File");
  EXPECT_EQ(value.type, REG_EXPAND_SZ);
  EXPECT_EQ(value.data, WideBytes(std::wstring_view(L"%TMP%\\a", 8)));
  value = Query(HKEY_LOCAL_MACHINE, trellium, L"List");
  EXPECT_EQ(value.type, REG_MULTI_SZ);
  EXPECT_EQ(value.data, WideBytes(std::wstring_view(L"a\0bc\0", 6)));
  value = Query(HKEY_LOCAL_MACHINE, trellium, L"Big");
  EXPECT_EQ(value.type, REG_QWORD);
  EXPECT_EQ(value.data, "\x08\x07\x06\x05\x04\x03\x02\x01");
  value = Query(HKEY_LOCAL_MACHINE, trellium, L"Empty");
  EXPECT_EQ(value.result, ERROR_SUCCESS);
  EXPECT_EQ(value.data, "");
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, trellium, L"CAF\u00c9").data, WideBytes(std::wstring_view(L"accent", 7)));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, L"Software\\Halvern", L"Who").data, WideBytes(std::wstring_view(L"user", 5)));

  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, trellium, L"Missing").result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Query(HKEY_CURRENT_USER, trellium, L"Root Path").result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(L"Software"), ERROR_SUCCESS);  // exists through the keys below it
  EXPECT_EQ(Open(L"Software\\Halvern\\Trellium"), ERROR_SUCCESS);
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, L"Software\\Halvern\\Trellium", L"x").result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(L"Software\\Halvern\\Trel"), ERROR_FILE_NOT_FOUND);
}

// Creation appends to the file in its own encoding and line ends, keeps every
// byte it had, and leaves a file this reader (and regedit) reads back.
TEST_P(RegistryStyleTest, CreateAppendsTheKeyAndKeepsEveryByte) {
  const std::string before = FileBytes(GetParam());
  Write(before);
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

TEST_F(RegistryTest, KeysOpenRelativeToAnOpenKeyAndCreationKeepsTheFileMode) {
  Write("REGEDIT4\n[HKLM\\A\\B]\n\"v\"=dword:2\n");
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  HKEY a = nullptr, b = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"a", 0, KEY_ALL_ACCESS, &a), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExW(a, L"b\\c", 0, nullptr, 0, KEY_READ, nullptr, &b, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(b), ERROR_SUCCESS);
  EXPECT_EQ(Open(L"A\\B\\C"), ERROR_SUCCESS);
  EXPECT_EQ(Query(a, L"B", L"v").type, REG_DWORD);
  EXPECT_EQ(RegCloseKey(a), ERROR_SUCCESS);
  struct stat st;
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(RegistryTest, ValueSizesAreInBytesAndShortBuffersGetMoreData) {
  Write("REGEDIT4\n[HKLM\\K]\n\"Path\"=\"abc\"\n\"N\"=dword:1");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"K", 0, KEY_READ, &key), ERROR_SUCCESS);
  const DWORD needed = 4 * sizeof(wchar_t);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"Path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, needed);
  wchar_t buffer[8] = {};
  size = needed - 1;
  EXPECT_EQ(RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(buffer, L"abc");
  EXPECT_EQ(type, REG_SZ);
  DWORD number = 0;
  size = sizeof number;
  EXPECT_EQ(RegQueryValueExW(key, L"n", nullptr, &type, reinterpret_cast<LPBYTE>(&number), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(number, 1u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, RefusesBadHandlesAndParameters) {
  Write("REGEDIT4\n[HKLM\\K]\n");
  HKEY key = nullptr;
  DWORD size = 0;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"K", 0, KEY_READ, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(key, L"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(nullptr, L"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  int not_a_key = 0;
  EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(&not_a_key), L"K", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"K", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  // A name with a line break would smuggle its own lines into the file.
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
  ASSERT_EQ(chmod(folder_.c_str(), 0555), 0);
  EXPECT_EQ(Create(L"K"), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(RegistryTest, MalformedFileNamesFileAndLineAndIsNeverRewritten) {
  const struct {
    std::string bytes;
    int line;
  } cases[] = {
      {"Windows Registry Editor\n[HKLM\\K]\n", 1},
      {"", 1},
      {"REGEDIT4\n\"v\"=\"before any key\"\n", 2},
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKEY_NOWHERE\\K]\n", 2},
      {"REGEDIT4\n[HKLM\\K]\n\n\"v\"=hex:01,\\\n", 4},
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=hex:01,2g\n", 3},
      {"REGEDIT4\n[HKLM\\K]\n\"v=\"x\"\n", 3},
      {"REGEDIT4\n[HKLM\\K\n", 2},
      {"REGEDIT4\n[HKLM\\K]\nv=1\n", 3},
      {"\xFF\xFE" + codepage::WideToUtf16Le(L"REGEDIT4\r\n") + "R", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    Write(c.bytes);
    std::string prefix = path_ + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(Open(L"K"), ERROR_BADDB);
    EXPECT_EQ(RegistryLastError().substr(0, prefix.size()), prefix);
    EXPECT_GT(RegistryLastError().size(), prefix.size());
    EXPECT_EQ(Create(L"Other"), ERROR_BADDB);
    EXPECT_EQ(RegistryLastError().substr(0, prefix.size()), prefix);
    EXPECT_EQ(Read(), c.bytes);
  }
}

TEST_F(RegistryTest, LaterVersionsOfTheFileAreSeen) {
  Write("REGEDIT4\n[HKLM\\K]\n\"v\"=\"1\"\n");
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, L"K", L"v").data, WideBytes(std::wstring_view(L"1", 2)));
  Write("REGEDIT4\n[HKLM\\K]\n\"v\"=\"2\"\n");
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, L"K", L"v").data, WideBytes(std::wstring_view(L"2", 2)));
}

// Each process appends under the lock to the file as it is then, so keys
// created at the same time by several processes all survive.
TEST_F(RegistryTest, ConcurrentCreatorsLoseNoKey) {
  constexpr int kProcesses = 4, kKeysEach = 10;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int failures = 0;
      for (int k = 0; k < kKeysEach; ++k) {
        failures += Create((L"P" + std::to_wstring(p) + L"\\K" + std::to_wstring(k)).c_str()) != ERROR_SUCCESS;
      }
      _exit(failures);
    }
  }
  for (int p = 0; p < kProcesses; ++p) {
    int status = 0;
    ASSERT_GT(wait(&status), 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int p = 0; p < kProcesses; ++p) {
    for (int k = 0; k < kKeysEach; ++k) {
      EXPECT_EQ(Open((L"P" + std::to_wstring(p) + L"\\K" + std::to_wstring(k)).c_str()), ERROR_SUCCESS);
    }
  }
}

// A `\` that continues onto an empty line joins nothing: the lines around it
// still count.
TEST(RegistryFileTest, AContinuationOntoAnEmptyLineIsNoLine) {
  registry::ParseError error;
  const auto file = registry::RegistryFile::Parse("REGEDIT4\n[HKLM\\K]\n\\\n\n\"v\"=dword:1\n", &error);
  ASSERT_TRUE(file) << error.line << ": " << error.message;
  const auto* values = file->FindValues(registry::RegistryRoot::kLocalMachine, L"K");
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(values->count(L"V"), 1u);
}

}  // namespace
