// Voice-name files: where the recording is looked for, what the VoiceName
// field says, names that would leave the output folder, failed copies; and
// the clearing of an earlier export before it is overwritten.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/output_paths.h"
#include "KorvelToMaelisMigrationExport/export/voice_names.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

namespace export_test {
namespace {

using export_engine::ExportVoiceName;
using export_engine::RemoveMessageFiles;
using export_engine::Status;

class VoiceNameTest : public ::testing::Test {
 protected:
  VoiceNameTest() {
    QDir().mkpath(root_.File("Stream Files/names"));
    WriteBytes(root_.File("Stream Files/names/bob.wav"), "RIFF bob");
  }
  QString RootPath() const { return root_.path() + "/"; }
  QString OutputFolder() const { return output_.path() + "/"; }

  TempFolder root_;
  TempFolder output_;
  Status failure_;
};

TEST_F(VoiceNameTest, RelativeStreamPathIsFoundBelowTheStreamFilesAndCopiedUnderTheAlias) {
  EXPECT_EQ(ExportVoiceName("bob", u"names\\bob.wav", RootPath(), OutputFolder(), &failure_), "bob_VOICE_NAME.WAV");
  EXPECT_TRUE(failure_.ok());
  EXPECT_EQ(ReadBytes(output_.File("bob_VOICE_NAME.WAV")), "RIFF bob");
  // A second run replaces the copy.
  WriteBytes(root_.File("Stream Files/names/bob.wav"), "RIFF newer");
  ExportVoiceName("bob", u"names/bob.wav", RootPath(), OutputFolder(), &failure_);
  EXPECT_EQ(ReadBytes(output_.File("bob_VOICE_NAME.WAV")), "RIFF newer");
}

TEST_F(VoiceNameTest, AbsoluteStreamPathIsUsedAsItIs) {
  const QString absolute = root_.File("Stream Files/names/bob.wav");
  EXPECT_EQ(ExportVoiceName("bob", absolute, "/no/such/root/", OutputFolder(), &failure_), "bob_VOICE_NAME.WAV");
  EXPECT_TRUE(failure_.ok());
  EXPECT_EQ(export_engine::StreamFilePath("/root/", u"C:\\Korvel\\x.wav"), "C:/Korvel/x.wav");
  EXPECT_EQ(export_engine::StreamFilePath("/root/", u"ab\\x.wav"), "/root/Stream Files/ab/x.wav");
}

TEST_F(VoiceNameTest, NothingToCopyGivesAnEmptyFieldAndNoFailure) {
  EXPECT_EQ(ExportVoiceName("bob", u"", RootPath(), OutputFolder(), &failure_), "");
  EXPECT_TRUE(failure_.ok());
  EXPECT_EQ(ExportVoiceName("bob", u"names\\missing.wav", RootPath(), OutputFolder(), &failure_), "");
  EXPECT_TRUE(failure_.ok());
  EXPECT_EQ(ExportVoiceName("bob", u"names", RootPath(), OutputFolder(), &failure_), "") << "a folder is no recording";
  ASSERT_EQ(::mkfifo(QFile::encodeName(root_.File("Stream Files/names/pipe.wav")).constData(), 0666), 0);
  EXPECT_EQ(ExportVoiceName("bob", u"names/pipe.wav", RootPath(), OutputFolder(), &failure_), "")
      << "a pipe is no recording, and reading it must not wait for a writer";
  EXPECT_TRUE(QDir(output_.path()).isEmpty());
}

TEST_F(VoiceNameTest, AnAliasThatWouldLeaveTheOutputFolderFailsLikeARefusedName) {
  // U+0000 would cut the name short, onto the CSV file or the log.
  const QString cut_short = QStringLiteral("KorvelMigrationOutput.csv") + QChar(0) + QStringLiteral("ab");
  for (const QString& alias : {QString("../bob"), QString("a/b"), QString("a\\b"), QString("."), QString(".."),
                              cut_short, QString("tab\there"), QString("del\x7F")}) {
    EXPECT_EQ(ExportVoiceName(alias, u"names/bob.wav", RootPath(), OutputFolder(), &failure_),
              alias + "_VOICE_NAME.WAV");
    EXPECT_EQ(failure_.number(), 75) << alias.toStdString();
  }
  EXPECT_EQ(ExportVoiceName(std::nullopt, u"names/bob.wav", RootPath(), OutputFolder(), &failure_), "");
  EXPECT_EQ(failure_.number(), 75);
  EXPECT_TRUE(QDir(output_.path()).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(root_.path() + "/bob_VOICE_NAME.WAV"));
}

TEST_F(VoiceNameTest, AFailedCopyStillNamesTheFile) {
  QDir().mkpath(output_.File("bob_VOICE_NAME.WAV"));
  EXPECT_EQ(ExportVoiceName("bob", u"names/bob.wav", RootPath(), OutputFolder(), &failure_), "bob_VOICE_NAME.WAV");
  EXPECT_FALSE(failure_.ok());
  EXPECT_EQ(ExportVoiceName("bob", u"names/bob.wav", RootPath(), output_.File("gone/"), &failure_),
            "bob_VOICE_NAME.WAV");
  EXPECT_EQ(failure_.number(), 76);
}

TEST_F(ExportRunTest, VoiceNameColumnAndItsFailureLine) {
  TempFolder root;
  QDir().mkpath(root.File("Stream Files"));
  WriteBytes(root.File("Stream Files/s1.wav"), "RIFF");
  front_end_.registry["Software\\Halvern\\Trellium\\1.0|Root Path"] = root.path() + "/";
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "s1", .stream_path = "s1.wav"});
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "..", .stream_path = "s1.wav"});
  directory_.AddCompleteSubscriber({.id = "S3", .alias = "s3", .stream_path = QVariant()});
  Run(Request(Entries({1, 2, 3, 6, 16})));
  EXPECT_EQ(CsvLines(), QStringList({"Alias,FirstName,LastName,Extension,VoiceName",
                                     "s1,First,Last,51000,s1_VOICE_NAME.WAV", "..,First,Last,51000,.._VOICE_NAME.WAV",
                                     "s3,First,Last,51000,"}));
  EXPECT_EQ(ReadBytes(output_.File("s1_VOICE_NAME.WAV")), "RIFF");
  EXPECT_FALSE(QFileInfo::exists(output_.File(".._VOICE_NAME.WAV")));
  EXPECT_NE(SubscriberLog().find("\r\nAlias=..\r\n(error) in export. Description=Path/File access error, "
                                 "Source=KorvelToMaelisMigrationExport, Number= 75\r\n"),
            std::string::npos)
      << SubscriberLog();
}

class RemoveMessageFilesTest : public ::testing::Test {
 protected:
  RemoveMessageFilesTest() {
    for (const char* name : {"a.wav", "B.WAV", "c.Wav", "m1.msg", "M2.MSG", "keep.csv", "KorvelToMaelisMigrationErrors.log",
                             "wav", "notes.wav.txt"}) {
      WriteBytes(folder_.File(name), "x");
    }
    QDir().mkpath(folder_.File("sub"));
    WriteBytes(folder_.File("sub/inner.wav"), "x");
  }
  QStringList Remaining() const {
    return QDir(folder_.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  }

  TempFolder folder_;
  ScriptedFrontEnd front_end_;
};

TEST_F(RemoveMessageFilesTest, RemovesVoiceNamesOfAnyCaseAndKeepsMessagesUnlessTheyAreExportedAgain) {
  WriteBytes(folder_.File(".KorvelMigration.extracted"), "1\tm1.msg\t9\n");
  RemoveMessageFiles(folder_.path() + "/", false, front_end_);
  EXPECT_TRUE(QFileInfo::exists(folder_.File(".KorvelMigration.extracted")));
  EXPECT_EQ(Remaining(), QStringList({"KorvelToMaelisMigrationErrors.log", "M2.MSG", "keep.csv", "m1.msg",
                                      "notes.wav.txt", "sub", "wav"}));
  RemoveMessageFiles(folder_.path() + "/", true, front_end_);
  EXPECT_EQ(Remaining(), QStringList({"KorvelToMaelisMigrationErrors.log", "keep.csv", "notes.wav.txt", "sub", "wav"}));
  EXPECT_FALSE(QFileInfo::exists(folder_.File(".KorvelMigration.extracted")));
  EXPECT_TRUE(QFileInfo::exists(folder_.File("sub/inner.wav")));
  RemoveMessageFiles(folder_.File("missing/"), true, front_end_);
  EXPECT_TRUE(front_end_.prompts.empty()) << "a missing folder is left alone";
}

TEST_F(RemoveMessageFilesTest, AReadOnlyFileStaysWithOneMessageAndTheOthersGo) {
  ASSERT_EQ(::chmod(QFile::encodeName(folder_.File("B.WAV")).constData(), 0444), 0);
  RemoveMessageFiles(folder_.path() + "/", false, front_end_);
  EXPECT_TRUE(QFileInfo::exists(folder_.File("B.WAV")));
  EXPECT_FALSE(QFileInfo::exists(folder_.File("a.wav")));
  EXPECT_FALSE(QFileInfo::exists(folder_.File("c.Wav")));
  ASSERT_EQ(front_end_.prompts.size(), 1u);
  EXPECT_EQ(front_end_.prompts[0].text, "Error 70 (Permission denied) in procedure RemoveMessageFiles of Form frmMain");
  EXPECT_EQ(front_end_.prompts[0].buttons, export_engine::PromptButtons::kOk);
}

}  // namespace
}  // namespace export_test
