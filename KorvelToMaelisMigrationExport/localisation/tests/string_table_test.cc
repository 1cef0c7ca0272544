#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

#include <memory>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/localisation/language_library.h"
#include "KorvelToMaelisMigrationExport/localisation/mnemonics.h"

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

// Captions of one group get different keys; a caption's own '&' shows as it
// is, and one without a Latin letter takes the key of its English text.
TEST(MnemonicGroupTest, KeysAreChosenOncePerGroup) {
  MnemonicGroup keys;
  EXPECT_EQ(keys.Caption("Save & Exit", "Save & Exit"), "&Save && Exit");
  EXPECT_EQ(keys.Caption("Start", "Start"), "S&tart");
  EXPECT_EQ(keys.Caption(QString::fromUtf16(u"\u958B\u59CB"), "Start"), QString::fromUtf16(u"\u958B\u59CB(&A)"));
}

}  // namespace
}  // namespace localisation
