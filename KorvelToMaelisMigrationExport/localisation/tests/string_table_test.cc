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
