// The readers of a finished export's files where the verification of a
// sample export does not reach: CSV fields that would read two ways, and
// each way a message file's audio can be damaged.
#include <QByteArray>
#include <QCryptographicHash>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_folder.h"

namespace reconcile {
namespace {

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

// A message file as the extractor writes it, base64 in lines of 72.
std::string MessageFile(const QByteArray& audio) {
  std::string text = "From: a\r\nTo: b\r\nContent-Transfer-Encoding: base64\r\n\r\n\r\n";
  const QByteArray encoded = audio.toBase64();
  for (qsizetype at = 0; at < encoded.size(); at += 72) text += encoded.mid(at, 72).toStdString() + "\r\n";
  return text;
}

TEST(MessageFileTest, ItsAudioIsDecodedWholeOrNamedDamaged) {
  export_test::TempFolder folder;
  const QString path = folder.File("m.msg");
  QByteArray wave = "RIFF" + QByteArray(4, '\0') + "WAVEfmt " + QByteArray(16, '\x01') + "data" + QByteArray(4, '\0');
  for (int size : {45, 46, 47, 3000}) {  // every base64 padding
    wave.resize(size, '\x5A');
    for (int i = 0; i < 4; ++i) wave[4 + i] = static_cast<char>(static_cast<quint32>(size - 8) >> (8 * i));
    export_test::WriteBytes(path, MessageFile(wave));
    const MessageFileAudio audio = ReadMessageFileAudio(path);
    EXPECT_EQ(audio.damage, "") << size;
    EXPECT_EQ(audio.audio_bytes, wave.size());
    EXPECT_EQ(audio.digest, QCryptographicHash::hash(wave, QCryptographicHash::Sha256));
  }
  const std::string whole = MessageFile(wave);
  const std::pair<std::string, const char*> damaged[] = {
      {whole.substr(0, whole.size() - 5), "its base64 audio ends part way"},
      {whole.substr(0, whole.size() - 76), "announces"},
      {whole.substr(0, 60) + "*" + whole.substr(61), "not valid base64"},
      {"From: a\r\nTo: b\r\n", "ends before its audio"},
      {MessageFile("RIFX" + wave.mid(4)), "no RIFF WAVE"},
  };
  for (const auto& [text, damage] : damaged) {
    export_test::WriteBytes(path, text);
    EXPECT_TRUE(ReadMessageFileAudio(path).damage.contains(damage)) << ReadMessageFileAudio(path).damage.toStdString();
  }
}

}  // namespace
}  // namespace reconcile
