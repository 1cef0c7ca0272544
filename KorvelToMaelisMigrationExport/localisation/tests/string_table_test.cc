#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

#include <memory>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/localisation/language_library.h"

namespace localisation {
namespace {

TEST(StringTableTest, TheLanguageLibraryIsAskedFirstAndTheBuiltInTableFillsItsGaps) {
  SetLanguageLibrary(std::make_shared<TableLanguageLibrary>(std::map<int, QString>{{3, "Aliasname"}, {40, ""}}));
  EXPECT_EQ(myLoadResString(3), "Aliasname");
  EXPECT_EQ(myLoadResString(40), "Primary Extension") << "an empty text counts as missing";
  EXPECT_EQ(myLoadResString(23), "First Name");
  SetLanguageLibrary(nullptr);
  EXPECT_EQ(myLoadResString(3), "Alias");

  QString notice;
  SetStringTableNoticeReceiver([&](const QString& text) { notice = text; });
  EXPECT_EQ(myLoadResString(5), "") << "in neither table";
  EXPECT_TRUE(notice.startsWith("error in myLoadResString: ")) << notice.toStdString();
  SetStringTableNoticeReceiver(nullptr);
}

}  // namespace
}  // namespace localisation
