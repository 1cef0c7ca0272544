// Voice-name files: where the recording is looked for, what the VoiceName
// field says, names that would leave the output folder, failed copies; and
// the clearing of an earlier export before it is overwritten.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/voice_names.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

using export_engine::ExportVoiceName;
using export_engine::RemoveMessageFiles;

class VoiceNameTest : public ::testing::Test {
 protected:
  VoiceNameTest() {
    QDir().mkpath(root_.File("Stream Files/names"));
    WriteBytes(root_.File("Stream Files/names/bob.wav"), "RIFF bob");
  }
  QString Export(const std::optional<QString>& alias, QStringView stream_path) {
    return ExportVoiceName(alias, stream_path, root_.path() + "/", output_.path() + "/", &failure_);
  }

  TempFolder root_;
  TempFolder output_;
  export_engine::Status failure_;
};

TEST_F(VoiceNameTest, TheRecordingBelowTheStreamFilesOrAtItsAbsolutePathIsCopiedAndNothingElse) {
  WriteBytes(output_.File("bob_VOICE_NAME.WAV"), "an earlier copy");
  EXPECT_EQ(Export("bob", root_.File("Stream Files/names/bob.wav")), "bob_VOICE_NAME.WAV");
  EXPECT_EQ(Export("bob", u"names\\bob.wav"), "bob_VOICE_NAME.WAV");
  EXPECT_TRUE(failure_.ok());
  EXPECT_EQ(ReadBytes(output_.File("bob_VOICE_NAME.WAV")), "RIFF bob");
  QFile::remove(output_.File("bob_VOICE_NAME.WAV"));

  ASSERT_EQ(::mkfifo(QFile::encodeName(root_.File("Stream Files/names/pipe.wav")).constData(), 0666), 0);
  // A folder or a pipe is no recording, and reading a pipe must not wait for a writer.
  for (const char16_t* stream_path : {u"", u"names\\missing.wav", u"names", u"names/pipe.wav"}) {
    EXPECT_EQ(Export("bob", stream_path), "");
    EXPECT_TRUE(failure_.ok());
  }
  EXPECT_TRUE(QDir(output_.path()).isEmpty());
}

TEST_F(VoiceNameTest, AnAliasThatWouldLeaveTheOutputFolderOrAFailedCopyFailsButNamesTheFile) {
  // U+0000 would cut the name short, onto the CSV file or the log.
  const QString cut_short = QStringLiteral("KorvelMigrationOutput.csv") + QChar(0) + QStringLiteral("ab");
  for (const QString& alias :
       {QString("../bob"), QString("a\\b"), QString(".."), cut_short, QString("tab\there"), QString("del\x7F")}) {
    EXPECT_EQ(Export(alias, u"names/bob.wav"), alias + "_VOICE_NAME.WAV");
    EXPECT_EQ(failure_.number(), 75) << alias.toStdString();
  }
  EXPECT_EQ(Export(std::nullopt, u"names/bob.wav"), "");
  EXPECT_EQ(failure_.number(), 75);
  EXPECT_TRUE(QDir(output_.path()).isEmpty());
  EXPECT_EQ(ExportVoiceName("bob", u"names/bob.wav", root_.path() + "/", output_.File("gone/"), &failure_),
            "bob_VOICE_NAME.WAV");
  EXPECT_EQ(failure_.number(), 76);
}

// Voice names of any case go, messages only when they are exported again,
// nothing in a subfolder; a read-only file stays with one message.
TEST(RemoveMessageFilesTest, ClearsTheEarlierExportsFilesAndReportsWhatStays) {
  TempFolder folder;
  QDir().mkpath(folder.File("sub"));
  for (const char* name : {"a.wav", "B.WAV", "m1.msg", "M2.MSG", "keep.csv", "notes.wav.txt", "sub/inner.wav",
                           ".KorvelMigration.extracted"}) {
    WriteBytes(folder.File(name), "x");
  }
  ASSERT_EQ(::chmod(QFile::encodeName(folder.File("B.WAV")).constData(), 0444), 0);
  const auto remaining = [&] { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); };
  ScriptedFrontEnd front_end;
  RemoveMessageFiles(folder.path() + "/", false, front_end);
  EXPECT_EQ(remaining(), QStringList({".KorvelMigration.extracted", "B.WAV", "M2.MSG", "keep.csv", "m1.msg",
                                      "notes.wav.txt"}));
  ASSERT_EQ(front_end.prompts.size(), 1u);
  EXPECT_EQ(front_end.prompts[0].text, "Error 70 (Permission denied) in procedure RemoveMessageFiles of Form frmMain");
  RemoveMessageFiles(folder.path() + "/", true, front_end);
  EXPECT_EQ(remaining(), QStringList({"B.WAV", "keep.csv", "notes.wav.txt"}));
  EXPECT_TRUE(QFileInfo::exists(folder.File("sub/inner.wav")));
}

}  // namespace
}  // namespace export_test
