// The language tables the kit ships, read where the program finds them: next
// to it in the build's program folder.
#include <string>

#include <QFile>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/localisation/language_library.h"
#include "KorvelToMaelisMigrationExport/localisation/language_table.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace localisation {
namespace {

constexpr char kProgramName[] = "KorvelToMaelisMigrationExport";
// Beyond the largest id of the built-in table.
constexpr int kIdsToCompare = 1000;

QString ProgramFolder() { return qEnvironmentVariable("KORVEL_BIN_DIR"); }

LanguageTable ReadShippedTable(const QString& code) {
  QFile file(ProgramFolder() + QStringLiteral("/%1_%2.dll").arg(QLatin1StringView(kProgramName), code));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  const QByteArray bytes = file.readAll();
  return ParseLanguageTable(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

TEST(ShippedLanguagesTest, EveryTableIsCompleteAndTellsItsDataItemsApart) {
  ASSERT_FALSE(ProgramFolder().isEmpty()) << "KORVEL_BIN_DIR names the program folder";
  for (const QString& code : {QStringLiteral("DEU"), QStringLiteral("FRA"), QStringLiteral("JPN")}) {
    SCOPED_TRACE(code.toStdString());
    const LanguageTable table = ReadShippedTable(code);
    EXPECT_TRUE(table.skipped_lines.empty());
    for (int id = 0; id < kIdsToCompare; ++id) {
      const bool built_in = !BuiltInString(id).isNull();
      EXPECT_EQ(table.texts.contains(id), built_in) << "id " << id;
      if (built_in) {
        EXPECT_FALSE(table.texts.at(id).trimmed().isEmpty()) << "id " << id;
      }
    }
    // Texts that others are joined to keep the blanks that join them.
    EXPECT_TRUE(table.texts.at(0).startsWith(u' '));
    EXPECT_TRUE(table.texts.at(1).startsWith(u' '));
    EXPECT_TRUE(table.texts.at(39).endsWith(QStringLiteral("  ")));

    SetLanguageLibrary(LoadLanguageLibrary(ProgramFolder(), QLatin1StringView(kProgramName), code));
    for (const export_engine::DataItemInfo& info : export_engine::DataItemCatalogue()) {
      const QString label = export_engine::DataItemLabel(info.item);
      EXPECT_EQ(label, table.texts.at(info.text_id));
      EXPECT_EQ(export_engine::DataItemForLabel(label), info.item) << label.toStdString();
    }
  }
  SetLanguageLibrary(nullptr);
}

}  // namespace
}  // namespace localisation
