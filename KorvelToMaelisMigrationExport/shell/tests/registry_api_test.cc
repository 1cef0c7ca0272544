// The typed registry read: each type with its buffer limit, the default for
// whatever cannot be read, and the one failure, an unsupported type.
#include "KorvelToMaelisMigrationExport/shell/registry_api.h"

#include <cstdlib>
#include <string>

#include <QByteArray>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {
namespace {

using export_test::TempFolder;
using export_test::WriteBytes;

constexpr DWORD kString = 1;
constexpr DWORD kExpandString = 2;
constexpr DWORD kBinary = 3;
constexpr DWORD kNumber = 4;

std::string HexBytes(int count) {
  std::string hex;
  for (int i = 0; i < count; ++i) {
    if (i > 0) hex += ',';
    hex += i % 2 == 0 ? "ab" : "01";
  }
  return hex;
}

class RegistryApiTest : public ::testing::Test {
 protected:
  RegistryApiTest() {
    WriteBytes(registry_file_,
               "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
               "\"Text\"=\"C:\\\\Korvel\\\\\"\r\n"
               "\"Expandable\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
               "\"Number\"=dword:0004000a\r\n"
               "\"Negative\"=dword:ffffffff\r\n"
               "\"Bytes\"=hex:01,00,ff\r\n"
               "\"Text1023\"=\"" + std::string(1023, 'x') + "\"\r\n"
               "\"Text1024\"=\"" + std::string(1024, 'x') + "\"\r\n"
               "\"Bytes4096\"=hex:" + HexBytes(4096) + "\r\n"
               "\"Bytes4097\"=hex:" + HexBytes(4097) + "\r\n"
               "\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n");
    setenv("KORVEL_REGISTRY", registry_file_.toLocal8Bit().constData(), 1);
  }
  ~RegistryApiTest() override { unsetenv("KORVEL_REGISTRY"); }

  QVariant Read(const char* value_name, DWORD type, const QVariant& default_value = QVariant(),
                const char* key = "Software\\Test") {
    QVariant value = QStringLiteral("untouched");
    const export_engine::Status status = ReadRegistryValue(HKEY_LOCAL_MACHINE, QString::fromLatin1(key),
                                                           QString::fromLatin1(value_name), type, default_value, &value);
    EXPECT_TRUE(status.ok()) << status.description().toStdString();
    return value;
  }

  TempFolder folder_;
  QString registry_file_ = folder_.File("registry.reg");
};

TEST_F(RegistryApiTest, EachTypeReadsItsValue) {
  EXPECT_EQ(Read("Text", kString), QVariant(QStringLiteral("C:\\Korvel\\")));
  EXPECT_EQ(Read("Expandable", kString), QVariant(QStringLiteral("%TMP%"))) << "read as stored, not expanded";
  EXPECT_EQ(Read("Number", kNumber), QVariant(qint32{0x4000a}));
  EXPECT_EQ(Read("Negative", kNumber), QVariant(qint32{-1}));
  EXPECT_EQ(Read("Bytes", kBinary), QVariant(QByteArray("\x01\x00\xff", 3)));
  EXPECT_EQ(ReadMachineString("software\\TEST", "text"), "C:\\Korvel\\") << "names ignore case";
  EXPECT_EQ(ReadMachineNumber("Software\\Test", "Number"), 0x4000a);
}

TEST_F(RegistryApiTest, WhatCannotBeReadGivesTheDefault) {
  const QVariant fallback = QStringLiteral("fallback");
  EXPECT_EQ(Read("Text", kString, fallback, "Software\\Missing"), fallback);
  EXPECT_EQ(Read("Missing", kString, fallback), fallback);
  EXPECT_EQ(Read("Missing", kNumber).toInt(), 0) << "an empty default reads as 0";
  EXPECT_EQ(ReadMachineNumber("Software\\Test", "Missing"), 0);
  EXPECT_EQ(ReadMachineString("Software\\Test", "Missing"), "");
  // Another type than asked for is not reinterpreted.
  EXPECT_EQ(Read("Text", kNumber, fallback), fallback);
  EXPECT_EQ(Read("Number", kString, fallback), fallback);
  EXPECT_EQ(Read("Wide", kNumber, fallback), fallback) << "a 64-bit number does not fit 4 bytes";
}

TEST_F(RegistryApiTest, ValuesLongerThanTheirBufferGiveTheDefault) {
  EXPECT_EQ(Read("Text1023", kString).toString(), QString(1023, QLatin1Char('x')));
  EXPECT_EQ(Read("Text1024", kString, QString()).toString(), "") << "1024 characters and the zero do not fit";
  EXPECT_EQ(Read("Bytes4096", kBinary).toByteArray().size(), 4096);
  EXPECT_EQ(Read("Bytes4097", kBinary, QByteArray("d")).toByteArray(), "d");
}

TEST_F(RegistryApiTest, AnUnsupportedTypeFailsWithError1001) {
  for (DWORD type : {kExpandString, DWORD{0}, DWORD{7}, DWORD{11}}) {
    QVariant value = QStringLiteral("untouched");
    const export_engine::Status status =
        ReadRegistryValue(HKEY_LOCAL_MACHINE, "Software\\Test", "Text", type, QString(), &value);
    EXPECT_FALSE(status.ok()) << type;
    EXPECT_EQ(status.number(), 1001);
    EXPECT_EQ(status.description(), "Unsupported value type");
    EXPECT_EQ(value, QVariant(QStringLiteral("untouched")));
  }
}

}  // namespace
}  // namespace shell
