// The server version: decimal digits in hexadecimal places for major, minor
// and build, a signed 16-bit patch, and the comparison with the minimum.
#include "KorvelToMaelisMigrationExport/shell/korvel_version.h"

#include <cstdlib>
#include <ostream>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {

void PrintTo(const ServerVersion& version, std::ostream* out) { *out << VersionText(version).toStdString(); }

namespace {

struct VersionCase {
  quint32 version_number;
  quint32 build_number;
  ServerVersion expected;
  bool passes;
};

TEST(KorvelVersionTest, RegistryNumbersGiveTheVersionAndItsVerdict) {
  const VersionCase cases[] = {
      {0x00040000, 0x0004000A, {4, 0, 4, 10}, true},  // the minimum itself
      {0x00040000, 0x00040009, {4, 0, 4, 9}, false},
      {0x00040000, 0x00050000, {4, 0, 5, 0}, true},
      {0x00050000, 0x00000000, {5, 0, 0, 0}, true},  // a later major passes whatever its build
      {0x00050000, 0xFFFFFFFF, {5, 0, 0, -1}, true},
      {0x00030009, 0x0099FFFF, {3, 9, 99, -1}, false},
      {0x00000000, 0x00000000, {0, 0, 0, 0}, false},  // no server
      {0x00040001, 0x00000000, {4, 1, 0, 0}, true},
      {0x00041234, 0x12340000, {4, 1234, 1234, 0}, true},
      // A place holding A to F ends the decimal reading of its half.
      {0x000A0000, 0x0004000A, {0, 0, 4, 10}, false},
      {0x004A0000, 0x0004000A, {4, 0, 4, 10}, true},
      {0x00040B01, 0x0004000A, {4, 0, 4, 10}, true},
      {0x0004100F, 0x0004000A, {4, 100, 4, 10}, true},
      {0xA0040000, 0x0004000A, {0, 0, 4, 10}, false},
      {0x00040000, 0x000C000A, {4, 0, 0, 10}, false},
      {0x00040000, 0x0005D000, {4, 0, 5, -12288}, true},  // and ends nothing in the patch: it is a number
      // A patch of 8000 (hexadecimal) or more is negative.
      {0x00040000, 0x00048000, {4, 0, 4, -32768}, false},
      {0x00040000, 0x0004FFFF, {4, 0, 4, -1}, false},
      {0x00040000, 0x00047FFF, {4, 0, 4, 32767}, true},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.version_number, 8, 16, QLatin1Char('0')).arg(c.build_number, 8, 16, QLatin1Char('0')).toStdString());
    const ServerVersion version = ServerVersionFromNumbers(c.version_number, c.build_number);
    EXPECT_EQ(version, c.expected);
    EXPECT_EQ(VersionIsAtLeast(version, kMinimumServerVersion), c.passes);
  }
}

TEST(KorvelVersionTest, TheVersionIsReadFromTheServersRegistryKey) {
  export_test::TempFolder folder;
  const QString registry = folder.File("registry.reg");
  setenv("KORVEL_REGISTRY", registry.toLocal8Bit().constData(), 1);
  EXPECT_EQ(ReadServerVersion(), (ServerVersion{0, 0, 0, 0})) << "no registry file";
  export_test::WriteServerRegistry(registry, {.version_number = 0x00040000, .build_number = 0x0004000A});
  EXPECT_EQ(ReadServerVersion(), (ServerVersion{4, 0, 4, 10}));
  EXPECT_EQ(VersionText(ReadServerVersion()), "4.0 build 4 patch 10");
  unsetenv("KORVEL_REGISTRY");
}

}  // namespace
}  // namespace shell
