// The output path kept between starts, in a settings folder of the test's own.
#include "KorvelToMaelisMigrationExport/shell/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {
namespace {

using export_test::TempFolder;

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path()); }

  TempFolder config_;
  TempFolder output_;
};

TEST_F(SettingsTest, ASavedPathComesBackWhileItsFolderExists) {
  EXPECT_EQ(LoadOutputFolderSetting(), "") << "nothing saved yet";
  const QString path = output_.File("KorvelMigrationOutput.csv");
  SaveOutputFolderSetting(path);
  EXPECT_TRUE(QFileInfo::exists(config_.File("Halvern/KorvelToMaelisMigrationExport.conf")));
  EXPECT_EQ(LoadOutputFolderSetting(), path) << "the file itself need not exist";

  const QString nested = output_.File("sub folder/export.csv");
  ASSERT_TRUE(QDir().mkpath(output_.File("sub folder")));
  SaveOutputFolderSetting(nested);
  EXPECT_EQ(LoadOutputFolderSetting(), nested);
  ASSERT_TRUE(QDir(output_.File("sub folder")).removeRecursively());
  EXPECT_EQ(LoadOutputFolderSetting(), "") << "its folder was deleted";

  SaveOutputFolderSetting("");
  EXPECT_EQ(LoadOutputFolderSetting(), "");
}

}  // namespace
}  // namespace shell
