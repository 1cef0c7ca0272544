// The headless program as a script runs it: exit statuses, the lines on
// standard output, notices and answers on standard error, the environment it
// reads, and a whole export of a sample server.
#include <signal.h>
#include <sys/stat.h>

#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/monitor/cls_wks.h"
#include "KorvelToMaelisMigrationExport/shell/single_copy_lock.h"
#include "platform/files/folder_lock.h"

namespace {

using export_test::Finished;
using export_test::ReadBytes;
using export_test::ReadUtf16LeText;
using export_test::RunProgram;
using export_test::TempFolder;
using export_test::WriteBytes;

const QString kProgram = "KorvelToMaelisMigrationExport";
const QString kCannotOpen =
    "Could not open database.  Make sure you're running Korvel 4.0(1) or later on the box. [OK] OK\n";

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() {
    QDir().mkpath(output_);
    WriteRegistry(RunningUser());
  }

  static QString RunningUser() { return monitor::clsWKS().UserName(); }
  // A current server whose message store service runs under `service_account`,
  // with the server's root folder when `root_path` is given.
  void WriteRegistry(const QString& service_account, const QString& root_path = QString()) {
    export_test::WriteServerRegistry(work_.File("registry.reg"),
                                     {.root_path = root_path, .service_account = "CORP\\" + service_account});
  }
  Finished Run(const QStringList& arguments) { return RunProgram(kProgram, arguments, environment_); }

  TempFolder work_;
  export_test::TestDirectory directory_{work_.File("KorvelDb.sqlite")};
  QString output_ = work_.File("out");
  QProcessEnvironment environment_ =
      export_test::ProgramEnvironment(work_.path(), work_.File("registry.reg"), directory_.connect_string());
};

TEST_F(HeadlessTest, AnExportThatReachesItsEndPrintsItsFilesAndErrorCount) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "one"});
  directory_.AddSubscriberRow({.id = "S2", .alias = "no handler"});
  // Items by position or label, in any case and order; the file keeps the list's order.
  const Finished run = Run({"--headless", "--output", output_, "--items", "6,alias, FIRST NAME ,3"});
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  const QString csv = output_ + "/KorvelMigrationOutput.csv";
  const QString log = output_ + "/KorvelToMaelisMigrationErrors.log";
  EXPECT_EQ(run.out, "csv: " + csv + "\nlog: " + log + "\nerrors: 1\n");
  EXPECT_EQ(ReadUtf16LeText(csv), "Alias,FirstName,LastName,Extension\r\none,First,Last,51000\r\n");
  EXPECT_TRUE(run.err.contains("progress: 2/2 (100%)")) << run.err.toStdString();
  EXPECT_NE(ReadBytes(log).find("Running KorvelToMaelisMigrationExport version: 1.0.23\r\n"), std::string::npos);
  const std::string settings = ReadBytes(work_.File("config/Halvern/KorvelToMaelisMigrationExport.conf"));
  EXPECT_NE(settings.find("OutputFolder=" + csv.toStdString()), std::string::npos) << settings;
}

TEST_F(HeadlessTest, AChecksNoticeOrANoEndsTheRunWithStatusOneAndMessagesNeedTheServiceAccount) {
  const Finished none = Run({"--headless", "--output", output_, "--items", ""});
  EXPECT_EQ(none.exit_code, 1);
  EXPECT_EQ(none.err, "No items selected for output! [OK] OK\n");
  EXPECT_TRUE(none.out.isEmpty());
  WriteBytes(output_ + "/KorvelMigrationOutput.csv", "earlier");
  WriteBytes(output_ + "/old_VOICE_NAME.WAV", "old");
  const Finished refused = Run({"--headless", "--output", output_});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_TRUE(refused.err.contains("in that directory? [Yes/No] No\n")) << refused.err.toStdString();
  EXPECT_EQ(ReadBytes(output_ + "/KorvelMigrationOutput.csv"), "earlier");
  const Finished agreed = Run({"--headless", "--output", output_, "--overwrite"});
  EXPECT_EQ(agreed.exit_code, 0) << agreed.err.toStdString();
  EXPECT_TRUE(agreed.err.contains("in that directory? [Yes/No] Yes\n"));
  EXPECT_FALSE(QFileInfo::exists(output_ + "/old_VOICE_NAME.WAV"));

  // Messages under another account than the message store's need --accept-account.
  WriteRegistry("somebody-else");
  QDir().mkpath(output_ + "/messages");
  const Finished other = Run({"--headless", "--output", output_ + "/messages/", "--include-messages"});
  EXPECT_EQ(other.exit_code, 1);
  EXPECT_TRUE(other.err.endsWith("Do you want to continue? [Yes/No] No\n")) << other.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(output_ + "/messages/KorvelMigrationOutput.csv"));
  // Under the service's own account nothing is asked.
  WriteRegistry(RunningUser());
  const Finished own = Run({"--headless", "--output", output_ + "/messages/", "--include-messages"});
  EXPECT_EQ(own.exit_code, 0) << own.err.toStdString();
  EXPECT_FALSE(own.err.contains("Do you want to continue?"));
}

// Each input start-up cannot use ends the program with status 2 and a last
// line that names it: a database that cannot be opened (the option wins over
// the environment), a pipe in the place of a file.
TEST_F(HeadlessTest, InputsStartUpCannotUseEndTheProgramWithStatusTwoAndAreNamed) {
  const QString pipe = work_.File("pipe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const QString inputs[][3] = {
      {"KORVEL_DB_CONNECT", "sqlite:" + work_.File("missing.sqlite"), kCannotOpen + kProgram + ": unable to open"},
      {"KORVEL_REGISTRY", pipe, kProgram + ": " + pipe + ": not a regular file"},
      {"KORVEL_DB_CONNECT", "sqlite:" + pipe, kCannotOpen + kProgram + ": " + pipe + " is not a regular file"},
  };
  for (const auto& [variable, value, err] : inputs) {
    QProcessEnvironment environment = environment_;
    environment.insert(variable, value);
    const Finished run = RunProgram(kProgram, {"--headless", "--output", output_}, environment);
    EXPECT_EQ(run.exit_code, 2) << value.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith(err)) << run.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(work_.File("missing.sqlite")));
  environment_.insert("KORVEL_DB_CONNECT", "sqlite:" + work_.File("missing.sqlite"));
  EXPECT_EQ(Run({"--headless", "--output", output_, "--connect", directory_.connect_string()}).exit_code, 0);
}

TEST_F(HeadlessTest, BadUsageGivesStatus64AndVersionWorksWithoutHeadless) {
  for (const QStringList& arguments : {QStringList{"--headless", "--bogus"}, QStringList{"--items", "Alias,Shoe Size"},
                                       QStringList{"--headless", "--preflight"}, QStringList{"--verify"}}) {
    const Finished run = Run(arguments);
    EXPECT_EQ(run.exit_code, 64) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.out.isEmpty());
  }
  const Finished version = Run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "KorvelToMaelisMigrationExport 1.0.23\nLanguage files: DEU, FRA, JPN\n");
}

// A server too old ends the program with status 2 unless overridden.
TEST_F(HeadlessTest, StartUpChecksEndTheProgramWithTheirMessageAndStatusTwo) {
  const QString registry = work_.File("registry.reg");
  const QString too_old = "This version of Korvel to Maelis Migration only works with Korvel 4.0(5) and later [OK] OK\n";
  QFile::remove(registry);
  Finished run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, too_old + kProgram + ": server version 0.0 build 0 patch 0 found, 4.0 build 4 patch 10 needed "
                                          "(registry file " + registry + ", which does not exist)\n");
  EXPECT_FALSE(QFileInfo::exists(output_ + "/KorvelMigrationOutput.csv"));
  // The override, in any case, anywhere on the command line.
  export_test::WriteServerRegistry(registry, {.build_number = 0x00040009});
  run = Run({"--headless", "--output", output_, "skipversioncheck"});
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.startsWith(too_old + "Allowing app to run via command line over ride.  This export is not "
                                           "supported by Norvane PSD or QRBU. [OK] OK\n"))
      << run.err.toStdString();
  EXPECT_FALSE(run.err.contains("must be running")) << "a command line keeps that notice back";
}

// One copy at a time, whether or not a copy has a runtime folder.
TEST_F(HeadlessTest, ASecondCopyEndsAtOnceWithOneLine) {
  std::optional<shell::SingleCopyLock> first_copy(std::in_place);
  {
    korvel::test::ScopedEnvironmentVariable tmpdir("TMPDIR", environment_.value("TMPDIR").toStdString());
    korvel::test::ScopedEnvironmentVariable no_runtime("XDG_RUNTIME_DIR", std::nullopt);
    ASSERT_EQ(first_copy->Acquire(kProgram), shell::SingleCopyLock::Result::kAcquired);
  }
  Finished run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "KorvelToMaelisMigrationExport: another copy is already running\n");
  EXPECT_FALSE(QFileInfo::exists(output_ + "/KorvelMigrationOutput.csv"));
  first_copy.reset();

  // A folder another run holds is refused at once.
  QDir().mkpath(work_.File("held"));
  files::FolderLock other_run;
  ASSERT_EQ(other_run.Acquire(work_.File("held").toStdString()), files::FolderLock::Result::kAcquired);
  run = Run({"--headless", "--output", work_.File("held/"), "--overwrite"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_TRUE(run.err.contains("The output folder " + work_.File("held/") +
                               " is in use by another export or message extraction"))
      << run.err.toStdString();
  EXPECT_TRUE(QDir(work_.File("held")).isEmpty());
}

// Files others could plant in the output folder, an alias that would cut its
// file name short, and a server without its root folder: nothing outside the
// folder is written, nothing is overwritten, and each failure has its line.
TEST_F(HeadlessTest, PlantedLinksHostileAliasesAndAMissingRootPathLoseNothing) {
  QDir().mkpath(work_.File("server/Stream Files"));
  WriteBytes(work_.File("server/Stream Files/one.wav"), "RIFF one");
  WriteRegistry(RunningUser(), work_.File("server/"));
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "one", .stream_path = "one.wav"});
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "cut", .stream_path = "one.wav"});
  directory_.Exec("UPDATE Subscriber SET Alias = CAST(X'4B6F7276656C4D6967726174696F6E4F75747075742E637376006162' AS "
                  "TEXT) WHERE Alias = 'cut'");
  WriteBytes(work_.File("victim"), "keep");
  ASSERT_TRUE(QFile::link(work_.File("victim"), output_ + "/one_VOICE_NAME.WAV"));
  ASSERT_TRUE(QFile::link(work_.File("victim"), output_ + "/KorvelToMaelisMigrationErrors.log"));
  const QStringList arguments = {"--headless", "--output", output_ + "/", "--items", "1,2,3,6,16", "--overwrite"};
  const Finished run = Run(arguments);
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  EXPECT_EQ(ReadBytes(work_.File("victim")), "keep");
  EXPECT_EQ(ReadBytes(output_ + "/one_VOICE_NAME.WAV"), "RIFF one");
  EXPECT_NE(ReadBytes(output_ + "/KorvelToMaelisMigrationErrors.log")
                .find(std::string("Alias=KorvelMigrationOutput.csv\0ab\r\n(error) in export. Description=Path/File", 76)),
            std::string::npos);

  // Without the root folder no recording is found, so no copy fails: one
  // line says why.
  WriteRegistry(RunningUser());
  EXPECT_TRUE(Run(arguments).out.endsWith("errors: 1\n"));
  EXPECT_NE(ReadBytes(output_ + "/KorvelToMaelisMigrationErrors.log").find("Trellium\\1.0 \"Root Path\" is missing"),
            std::string::npos);
}

// A sample server in `work`/server, and the environment of an export of it.
QProcessEnvironment SampleServer(const TempFolder& work, int subscribers = 50) {
  const Finished sample = RunProgram("korvel-sample", {work.File("server"), "--subscribers", QString::number(subscribers),
                                                        "--messages", "60", "--seed", "11"},
                                      QProcessEnvironment::systemEnvironment());
  EXPECT_EQ(sample.exit_code, 0) << sample.err.toStdString();
  return export_test::ProgramEnvironment(work.path(), work.File("server/registry.reg"),
                                         "sqlite:" + work.File("server/KorvelDb.sqlite"));
}

// The whole kit on a sample server: the export, then the extractor started
// on the same folder, whose path has blanks, and followed to its last line.
TEST(HeadlessSampleServerTest, ExportsTheSampleServerWithItsMessages) {
  TempFolder work;
  const QProcessEnvironment environment = SampleServer(work);
  const QString output = work.File("Migration export/of May 2026");
  ASSERT_TRUE(QDir().mkpath(output));
  // The sample's message store service runs under an account of its own.
  const Finished run = RunProgram(
      kProgram, {"--headless", "--output", output + "/", "--include-messages", "--accept-account"}, environment);
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  const QString extraction_log = output + "/MsgExtraction.log";
  const QStringList out = run.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(out.size(), 4) << out.join('\n').toStdString();
  EXPECT_EQ(out[2], "extraction log: " + extraction_log);

  // The extractor ran to its end, and its log went by on standard error.
  const QStringList extraction_lines = QString::fromLatin1(ReadBytes(extraction_log)).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_FALSE(extraction_lines.isEmpty());
  EXPECT_TRUE(extraction_lines.last().startsWith("LogFile closed at ")) << extraction_lines.last().toStdString();
  EXPECT_TRUE(run.err.contains(extraction_lines.last())) << run.err.toStdString();

  const std::string log = ReadBytes(output + "/KorvelToMaelisMigrationErrors.log");
  EXPECT_NE(log.find("\r\nExporting messages - check the message extraction log for details= " +
                     extraction_log.toStdString() + "\r\n\r\nExport complete: "),
            std::string::npos)
      << log;
  const qsizetype errors = QString::fromLatin1(log).split("\r\n").filter("(error)", Qt::CaseInsensitive).size();
  EXPECT_EQ(out[3], QString("errors: %1").arg(errors - 1)) << "the header's own marker is not counted";

  EXPECT_GT(QDir(output).entryList({"*.msg"}, QDir::Files).size(), 30);
}

// SIGTERM part way: the log says so last, the CSV file is not left half
// written under its name, and what a killed run left behind is gone.
TEST(HeadlessSampleServerTest, AStopSignalEndsTheRunWithItsFilesInOrder) {
  TempFolder work;
  QProcess process;
  process.setProcessEnvironment(SampleServer(work, 4000));
  const QString output = work.File("out");
  QDir().mkpath(output);
  WriteBytes(output + "/.KorvelMigrationOutput.csv.partial", "left by a killed run");
  process.start(qEnvironmentVariable("KORVEL_BIN_DIR") + "/" + kProgram, {"--headless", "--output", output + "/"});
  const QString log = output + "/KorvelToMaelisMigrationErrors.log";
  for (int wait = 0; wait < 3000 && ReadBytes(log).find("Alias=") == std::string::npos; ++wait) QThread::msleep(5);
  ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 128 + SIGTERM) << process.readAllStandardError().toStdString();
  EXPECT_TRUE(ReadBytes(log).ends_with("(error) in export. Description=Export interrupted by SIGTERM, "
                                       "Source=KorvelToMaelisMigrationExport, Number= 18\r\n"));
  EXPECT_TRUE(QDir(output).entryList({"*.csv", "*.partial"}, QDir::Files | QDir::Hidden).isEmpty())
      << QDir(output).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

}  // namespace
