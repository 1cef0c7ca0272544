// Mnemonics chosen for captions in the shipped languages' scripts.
#include "KorvelToMaelisMigrationExport/localisation/mnemonics.h"

#include <gtest/gtest.h>

namespace localisation {
namespace {

TEST(MnemonicGroupTest, EachCaptionGetsALetterNoOtherOfItsGroupHas) {
  MnemonicGroup german;
  EXPECT_EQ(german.Caption("Datei", "File"), "&Datei");
  EXPECT_EQ(german.Caption("Durchsuchen", "Browse"), "D&urchsuchen") << "D is taken";
  EXPECT_EQ(german.Caption("Nachrichten einschließen", "Include Messages"), "&Nachrichten einschließen");
  EXPECT_EQ(german.Caption("Neue Datei", "New"), "N&eue Datei") << "D and N are taken";
  MnemonicGroup german_menu;
  EXPECT_EQ(german_menu.Caption("Version suchen", "Check"), "&Version suchen");
  EXPECT_EQ(german_menu.Caption("Vorlage speichern", "Save"), "Vorlage &speichern") << "a word's start first";

  MnemonicGroup french;
  EXPECT_EQ(french.Caption("À propos", "About"), "À &propos") << "an unaccented letter first";
  EXPECT_EQ(french.Caption("Q&R", "Q&A"), "&Q&&R") << "an '&' of the text shows as itself";

  // Japanese captions get the English caption's letter after them.
  MnemonicGroup japanese;
  EXPECT_EQ(japanese.Caption("ファイル", "File"), "ファイル(&F)");
  EXPECT_EQ(japanese.Caption("フォルダー", "Folder"), "フォルダー(&O)");
  EXPECT_EQ(japanese.Caption("OK", "OK"), "O&K") << "a Latin caption keeps its own letters";
}

}  // namespace
}  // namespace localisation
