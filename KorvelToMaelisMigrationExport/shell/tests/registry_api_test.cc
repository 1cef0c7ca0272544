// The typed registry read: each type with its buffer limit, and the default
// for whatever cannot be read.
#include "KorvelToMaelisMigrationExport/shell/registry_api.h"

#include <string>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {
namespace {

constexpr DWORD kString = 1;
constexpr DWORD kNumber = 4;

TEST(RegistryApiTest, ReadsEachTypeWithinItsBufferAndGivesTheDefaultForWhatItCannotRead) {
  export_test::TempFolder folder;
  export_test::WriteBytes(folder.File("registry.reg"),
                          "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
                          "\"Text\"=\"C:\\\\Korvel\\\\\"\r\n"
                          "\"Expandable\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
                          "\"Number\"=dword:ffff000a\r\n"
                          "\"Text1023\"=\"" + std::string(1023, 'x') + "\"\r\n"
                          "\"Text1024\"=\"" + std::string(1024, 'x') + "\"\r\n"
                          "\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n");
  const korvel::test::ScopedEnvironmentVariable registry("KORVEL_REGISTRY", folder.File("registry.reg").toStdString());
  const QVariant fallback = QStringLiteral("fallback");
  const struct {
    const char* key;
    const char* name;
    DWORD type;
    QVariant expected;
  } cases[] = {
      {"Software\\Test", "Text", kString, "C:\\Korvel\\"},
      {"Software\\Test", "Expandable", kString, "%TMP%"},   // read as stored, not expanded
      {"Software\\Test", "Number", kNumber, qint32{-65526}},
      {"Software\\Test", "Text1023", kString, QString(1023, 'x')},
      {"Software\\Test", "Text1024", kString, fallback},  // 1024 characters and the zero do not fit
      {"Software\\Missing", "Text", kString, fallback},
      {"Software\\Test", "Text", kNumber, fallback},  // another type is not reinterpreted
      {"Software\\Test", "Wide", kNumber, fallback},  // a 64-bit number does not fit 4 bytes
  };
  for (const auto& c : cases) {
    QVariant value;
    EXPECT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, c.key, c.name, c.type, fallback, &value).ok());
    EXPECT_EQ(value, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace shell
