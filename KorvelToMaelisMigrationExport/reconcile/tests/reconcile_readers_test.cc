// The readers of a finished export's files: CSV lines and header, message
// files and their names, and the two logs.
#include <QByteArray>
#include <QCryptographicHash>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/export_run.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_folder.h"

namespace reconcile {
namespace {

using export_engine::DataItem;
using export_test::TempFolder;
using export_test::WriteBytes;

TEST(CsvReadingTest, FieldsComeBackAsTheExportWroteThem) {
  // A value in quotes without a comma just before a quoted one would be
  // ambiguous; whole rows are compared before any is split.
  const QStringList values = {"plain", "", "Smith, Jr.", "say \"hi\", then go", "a,", ",b", "\"quoted\""};
  QString line;
  for (const QString& value : values) export_engine::AppendCsvField(line, value);
  export_engine::EndCsvLine(line);
  EXPECT_EQ(SplitCsvLine(line), values) << line.toStdString();
  EXPECT_EQ(SplitCsvLine(u"a,,"), QStringList({"a", "", ""}));
}

TEST(CsvReadingTest, TheHeaderNamesTheTickedItems) {
  const std::vector<std::vector<DataItem>> choices = {
      {DataItem::kAlias, DataItem::kVoiceName},
      {DataItem::kAlias, DataItem::kFirstName, DataItem::kAllAlternateExtensions, DataItem::kRingsToWait},
  };
  for (const auto& items : choices) EXPECT_EQ(ItemsOfHeader(export_engine::HeaderRow(items)), items);
  EXPECT_EQ(ItemsOfHeader(u"Alias,Extension_ALT1"), std::nullopt) << "a part of the alternates";
  EXPECT_EQ(ItemsOfHeader(u"VoiceName,Alias"), std::nullopt) << "out of list order";
  EXPECT_EQ(ItemsOfHeader(u""), std::nullopt);
}

TEST(MessageFileTest, TheOwnerIsTheNameBeforeTheId) {
  EXPECT_EQ(MessageFileOwner(u"j_doe_1b4e28ba-2fa1-41d2-883f-0016d3cca427.msg"), "j_doe");
  EXPECT_EQ(MessageFileOwner(u"x_1b4e28ba-2fa1-41d2-883f-0016d3cca427.MSG"), "x");
  EXPECT_EQ(MessageFileOwner(u"_1b4e28ba-2fa1-41d2-883f-0016d3cca427.msg"), std::nullopt);
  EXPECT_EQ(MessageFileOwner(u"x_1b4e28ba+2fa1-41d2-883f-0016d3cca427.msg"), std::nullopt);
  EXPECT_EQ(MessageFileOwner(u"x_1b4e28ba-2fa1-41d2-883f-0016d3cca427.wav"), std::nullopt);
}

QByteArray Wave(int samples) {
  QByteArray data(samples, '\0');
  for (int i = 0; i < samples; ++i) data[i] = static_cast<char>(i * 37 + 11);
  QByteArray wave = "RIFF" + QByteArray(4, '\0') + "WAVEfmt " + QByteArray(16, '\x01') + "data" + QByteArray(4, '\0');
  wave += data;
  const quint32 riff = static_cast<quint32>(wave.size() - 8);
  for (int i = 0; i < 4; ++i) wave[4 + i] = static_cast<char>(riff >> (8 * i));
  return wave;
}

// A message file as the extractor writes it, base64 in lines of 72.
std::string MessageFile(const QByteArray& audio) {
  std::string text = "From: a\r\nTo: b\r\nContent-Transfer-Encoding: base64\r\n\r\n\r\n";
  const QByteArray encoded = audio.toBase64();
  for (qsizetype at = 0; at < encoded.size(); at += 72) text += encoded.mid(at, 72).toStdString() + "\r\n";
  return text;
}

TEST(MessageFileTest, ItsAudioIsDecodedWholeOrNamedDamaged) {
  TempFolder folder;
  const QString path = folder.File("m.msg");
  for (int samples : {0, 1, 2, 3, 100000}) {
    const QByteArray wave = Wave(samples);
    WriteBytes(path, MessageFile(wave));
    const MessageFileAudio audio = ReadMessageFileAudio(path);
    EXPECT_EQ(audio.damage, "") << samples;
    EXPECT_EQ(audio.audio_bytes, wave.size());
    EXPECT_EQ(audio.digest, QCryptographicHash::hash(wave, QCryptographicHash::Sha256));
  }
  const std::string whole = MessageFile(Wave(1000));
  const struct {
    std::string text;
    const char* damage;
  } damaged[] = {
      {whole.substr(0, whole.size() - 5), "its base64 audio ends part way"},
      {whole.substr(0, whole.size() - 76), "announces"},
      {whole + "QUJD\r\n", "not valid base64"},
      {whole.substr(0, 60) + "*" + whole.substr(61), "not valid base64"},
      {"From: a\r\nTo: b\r\n", "ends before its audio"},
      {MessageFile("RIFX" + Wave(10).mid(4)), "no RIFF WAVE"},
  };
  for (const auto& file : damaged) {
    WriteBytes(path, file.text);
    EXPECT_TRUE(ReadMessageFileAudio(path).damage.contains(file.damage)) << ReadMessageFileAudio(path).damage.toStdString();
  }
}

TEST(LogReadingTest, SkipsAndExtractionFailuresAreFoundPerAlias) {
  TempFolder folder;
  WriteBytes(folder.File("export.log"),
             "\r\nAlias=one\r\n\r\nAlias=EAdmin\r\n    skipping EAdmin\r\n\r\nAlias=two\r\n(error) can't find COS "
             "reference for mail user.  Skipping user.\r\n\r\nAlias=three\r\n(error) in export. Description=x\r\n");
  const std::optional<ExportLogContents> log = ReadExportLog(folder.File("export.log"));
  ASSERT_TRUE(log);
  EXPECT_EQ(log->logged, QSet<QString>({"one", "EAdmin", "two", "three"}));
  EXPECT_EQ(log->skips.size(), 2);
  EXPECT_EQ(log->skips.value("EAdmin"), "skipping EAdmin");

  WriteBytes(folder.File("extraction.log"),
             "Mailuser Alias one ...\r\nExtracting 2 Messages\r\n1 Messages encountered errors\r\nMailuser one done\r\n"
             "\r\nMailuser Alias two ...\r\nExtracting 3 Messages\r\n"
             "Errors encountered while extracting messages for subscriber Two Person\r\n"
             "Mailuser Alias three ...\r\nMailuser three done\r\n");
  const std::optional<ExtractionLogContents> extraction = ReadExtractionLog(folder.File("extraction.log"));
  ASSERT_TRUE(extraction);
  EXPECT_EQ(extraction->failed_messages.value("one"), 1);
  EXPECT_EQ(extraction->unfinished, QSet<QString>({"two"}));
  EXPECT_TRUE(extraction->failed_subscribers.contains("Two Person"));
  EXPECT_FALSE(ReadExtractionLog(folder.File("missing.log")));
}

}  // namespace
}  // namespace reconcile
