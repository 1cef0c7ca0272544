#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

#include <map>
#include <memory>

#include <gtest/gtest.h>

namespace localisation {
namespace {

class MapLibrary : public LanguageLibrary {
 public:
  explicit MapLibrary(std::map<int, QString> texts) : texts_(std::move(texts)) {}
  QString Text(int id) const override {
    auto found = texts_.find(id);
    return found == texts_.end() ? QString() : found->second;
  }

 private:
  std::map<int, QString> texts_;
};

// Restores the built-in language and the default notice receiver after each test.
class StringTableTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetLanguageLibrary(nullptr);
    SetStringTableNoticeReceiver(nullptr);
  }
};

TEST_F(StringTableTest, TextsThatOthersAreJoinedToKeepTheirBlanks) {
  EXPECT_EQ(myLoadResString(39), QStringLiteral("Output complete.  "));
  EXPECT_EQ(myLoadResString(0), QStringLiteral(" Build"));
  EXPECT_EQ(myLoadResString(1),
            QStringLiteral(" error(s) encountered in process.  Press OK to view the error log now"));
  EXPECT_EQ(myLoadResString(129),
            QStringLiteral("There is already a CSV file created by the migration export tool in the "
                           "selected directory.  Do you want to continue and overwrite this file and all "
                           "other export data in that directory?"));
}

TEST_F(StringTableTest, EveryIdTheProgramUsesIsPresent) {
  const int ids[] = {0,  1,  2,  3,  4,  7,  8,  9,  11, 12,  15,  17,  18,  19,  20,  22,  23,  24,  26,
                     27, 28, 30, 31, 36, 37, 38, 39, 40, 42,  43,  44,  45,  47,  51,  53,  59,  60,  61,
                     62, 63, 66, 68, 70, 102, 112, 113, 125, 126, 127, 128, 129, 130, 131, 132, 133};
  for (int id : ids) EXPECT_FALSE(BuiltInString(id).isEmpty()) << id;
  EXPECT_TRUE(BuiltInString(5).isNull());
  EXPECT_TRUE(BuiltInString(134).isNull());
  EXPECT_EQ(BuiltInString(68), QStringLiteral("Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"));
  EXPECT_EQ(BuiltInString(112),
            QStringLiteral("Could not open database.  Make sure you're running Korvel 4.0(1) or later on the box."));
}

TEST_F(StringTableTest, LanguageLibraryIsAskedFirstAndGapsFallBackToBuiltIn) {
  SetLanguageLibrary(std::make_shared<MapLibrary>(std::map<int, QString>{{3, "Alias-DE"}, {40, ""}}));
  EXPECT_EQ(myLoadResString(3), QStringLiteral("Alias-DE"));
  EXPECT_EQ(myLoadResString(40), QStringLiteral("Primary Extension"));
  EXPECT_EQ(myLoadResString(23), QStringLiteral("First Name"));
  SetLanguageLibrary(nullptr);
  EXPECT_EQ(myLoadResString(3), QStringLiteral("Alias"));
}

TEST_F(StringTableTest, MissingIdGivesNoticeAndEmptyText) {
  QString notice;
  SetStringTableNoticeReceiver([&](const QString& text) { notice = text; });
  EXPECT_TRUE(myLoadResString(5).isEmpty());
  EXPECT_TRUE(notice.startsWith(QStringLiteral("error in myLoadResString: "))) << notice.toStdString();
  notice.clear();
  EXPECT_EQ(myLoadResString(3), QStringLiteral("Alias"));
  EXPECT_TRUE(notice.isEmpty());
}

}  // namespace
}  // namespace localisation
