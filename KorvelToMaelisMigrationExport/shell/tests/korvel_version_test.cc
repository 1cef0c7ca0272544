// The server version: decimal digits in hexadecimal places for major, minor
// and build, a signed 16-bit patch, and the comparison with the minimum.
// (Reading the numbers from the registry is met by start-up's tests.)
#include "KorvelToMaelisMigrationExport/shell/korvel_version.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(KorvelVersionTest, RegistryNumbersGiveTheVersionAndItsVerdict) {
  const struct {
    quint32 version_number;
    quint32 build_number;
    const char* version;
    bool passes;
  } cases[] = {
      {0x00040000, 0x0004000A, "4.0 build 4 patch 10", true},  // the minimum itself
      {0x00040000, 0x00040009, "4.0 build 4 patch 9", false},
      {0x00050000, 0xFFFFFFFF, "5.0 build 0 patch -1", true},  // a later major passes whatever its build
      // A place holding A to F ends the decimal reading of its half, and
      // nothing in the patch: it is a number, negative from 8000 on.
      {0x004A100F, 0x000C000A, "4.100 build 0 patch 10", true},
      {0xA0040000, 0x0004000A, "0.0 build 4 patch 10", false},
      {0x00040000, 0x0005D000, "4.0 build 5 patch -12288", true},
      {0x00040000, 0x00048000, "4.0 build 4 patch -32768", false},
  };
  for (const auto& c : cases) {
    const ServerVersion version = ServerVersionFromNumbers(c.version_number, c.build_number);
    EXPECT_EQ(VersionText(version), c.version);
    EXPECT_EQ(VersionIsAtLeast(version, kMinimumServerVersion), c.passes) << c.version;
  }
}

}  // namespace
}  // namespace shell
