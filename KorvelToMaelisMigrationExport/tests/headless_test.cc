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
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
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
using export_test::RunProgram;
using export_test::ReadUtf16LeText;
using export_test::TempFolder;
using export_test::TestDirectory;
using export_test::WriteBytes;

// The registry of a current server whose message store service runs under
// `service_account`, and whatever `more` adds.
void WriteServerRegistry(const QString& path, const QString& service_account, const std::string& more = "") {
  export_test::WriteServerRegistry(path, {.service_account = "CORP\\" + service_account, .more = more});
}

QString RunningUser() { return monitor::clsWKS().UserName(); }

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() {
    QDir().mkpath(output_);
    QDir().mkpath(work_.File("runtime"));
    WriteServerRegistry(work_.File("registry.reg"), RunningUser());
    environment_.insert("KORVEL_DB_CONNECT", directory_.connect_string());
    environment_.insert("KORVEL_REGISTRY", work_.File("registry.reg"));
    environment_.insert("XDG_CONFIG_HOME", work_.File("config"));
    environment_.insert("XDG_RUNTIME_DIR", work_.File("runtime"));
    // The lock of copies without a runtime folder is the test's own.
    QDir().mkpath(work_.File("tmp"));
    environment_.insert("TMPDIR", work_.File("tmp"));
    environment_.insert("HOME", work_.path());
  }

  Finished Run(const QStringList& arguments, const QString& working_folder = QString()) {
    return RunProgram("KorvelToMaelisMigrationExport", arguments, environment_, working_folder);
  }

  TempFolder work_;
  TestDirectory directory_{work_.File("KorvelDb.sqlite")};
  QString output_ = work_.File("out");
  QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
};

TEST_F(HeadlessTest, AnExportThatReachesItsEndPrintsItsFilesAndErrorCount) {
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "one"});
  directory_.AddSubscriberRow({.id = "S2", .alias = "no handler"});
  const Finished run = Run({"--headless", "--output", output_, "--items", "1,2,3,6"});
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  const QString csv = output_ + "/KorvelMigrationOutput.csv";
  const QString log = output_ + "/KorvelToMaelisMigrationErrors.log";
  EXPECT_EQ(run.out, "csv: " + csv + "\nlog: " + log + "\nerrors: 1\n");
  EXPECT_EQ(ReadUtf16LeText(csv), "Alias,FirstName,LastName,Extension\r\none,First,Last,51000\r\n");
  EXPECT_TRUE(run.err.contains("progress: 2/2 (100%)")) << run.err.toStdString();
  EXPECT_NE(ReadBytes(log).find("Running KorvelToMaelisMigrationExport version: 1.0.23\r\n"), std::string::npos);
  const QString settings = work_.File("config/Halvern/KorvelToMaelisMigrationExport.conf");
  EXPECT_TRUE(QString::fromUtf8(ReadBytes(settings)).contains("OutputFolder=" + csv)) << ReadBytes(settings);
}

TEST_F(HeadlessTest, AChecksNoticeEndsTheRunWithStatusOne) {
  const Finished none = Run({"--headless", "--output", output_, "--items", ""});
  EXPECT_EQ(none.exit_code, 1);
  EXPECT_EQ(none.err, "No items selected for output! [OK] OK\n");
  EXPECT_TRUE(none.out.isEmpty());

  const Finished no_output = Run({"--headless"});
  EXPECT_EQ(no_output.exit_code, 1);
  EXPECT_TRUE(no_output.err.startsWith("You need to select an output destination folder first [OK] OK"));

  // A folder that cannot be made (its parent is a file) fails the write test.
  WriteBytes(work_.File("a file"), "");
  const Finished unusable = Run({"--headless", "--output", work_.File("a file/sub/")});
  EXPECT_EQ(unusable.exit_code, 1);
  EXPECT_TRUE(unusable.err.startsWith("Invalid folder selected.  Make sure you have read/write access to the "
                                      "selected directory. [OK] OK"))
      << unusable.err.toStdString();
}

TEST_F(HeadlessTest, AnEarlierExportIsReplacedOnlyWithOverwrite) {
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
}

TEST_F(HeadlessTest, ADatabaseThatCannotBeOpenedEndsStartUpWithStatusTwo) {
  environment_.insert("KORVEL_DB_CONNECT", "sqlite:" + work_.File("missing.sqlite"));
  const Finished run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_TRUE(run.err.startsWith("Could not open database.  Make sure you're running Korvel 4.0(1) or later on the "
                                 "box. [OK] OK\n"))
      << run.err.toStdString();
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(work_.File("missing.sqlite")));

  // The option wins over the environment.
  const Finished with_option = Run({"--headless", "--output", output_, "--connect", directory_.connect_string()});
  EXPECT_EQ(with_option.exit_code, 0) << with_option.err.toStdString();
}

// The built-in connect string names the "SQL Server" driver; a machine whose
// driver manager has no driver of that name cannot open the database.
TEST_F(HeadlessTest, AnUnregisteredOdbcDriverEndsStartUpWithTheDriverManagersWords) {
  QDir().mkpath(work_.File("odbc"));
  WriteBytes(work_.File("odbc/odbcinst.ini"), "");
  WriteBytes(work_.File("odbc/odbc.ini"), "");
  environment_.insert("ODBCSYSINI", work_.File("odbc"));
  environment_.remove("ODBCINSTINI");
  environment_.remove("ODBCINI");
  environment_.remove("KORVEL_DB_CONNECT");
  const Finished run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err,
            "Could not open database.  Make sure you're running Korvel 4.0(1) or later on the box. [OK] OK\n"
            "KorvelToMaelisMigrationExport: [unixODBC][Driver Manager]Can't open lib 'SQL Server' : file not found\n");
  EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(HeadlessTest, BadUsageGivesStatus64AndTheUsage) {
  for (const QStringList& arguments :
       {QStringList{"--headless", "--bogus"}, QStringList{"--headless", "--output"}, QStringList{"--headless=yes"},
        QStringList{"--items", "0"}, QStringList{"--items", "Alias,Shoe Size"}}) {
    const Finished run = Run(arguments);
    EXPECT_EQ(run.exit_code, 64) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.out.isEmpty());
  }
  const Finished help = Run({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.out.contains("--headless")) << help.out.toStdString();
  const Finished version = Run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "KorvelToMaelisMigrationExport 1.0.23\nLanguage files: DEU, FRA, JPN\n");
}

TEST_F(HeadlessTest, RelativeOutputAndTheServerRootFromTheRegistry) {
  QDir().mkpath(work_.File("server/Stream Files/names"));
  WriteBytes(work_.File("server/Stream Files/names/one.wav"), "RIFF one");
  WriteServerRegistry(work_.File("registry.reg"), RunningUser(),
                      "\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern\\Trellium\\1.0]\r\n\"Root Path\"=\"" +
                          (work_.path() + "/server/").toStdString() + "\"\r\n");
  directory_.AddCompleteSubscriber({.id = "S1", .alias = "one", .stream_path = "names\\one.wav"});
  // A folder named with a '/' that does not exist yet is made, with its parents.
  const Finished run = Run({"--headless", "--output", "out/new/er/", "--items", "1,2,3,6,16"}, work_.path());
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.startsWith("KorvelToMaelisMigrationExport: created the folder " + output_ + "/new/er\n"));
  EXPECT_TRUE(run.out.startsWith("csv: " + output_ + "/new/er/KorvelMigrationOutput.csv\n")) << run.out.toStdString();
  EXPECT_EQ(ReadBytes(output_ + "/new/er/one_VOICE_NAME.WAV"), "RIFF one");
}

// What a new user meets on a machine that is not ready: each start-up check
// says what is wrong and ends the program with status 2.
TEST_F(HeadlessTest, StartUpChecksEndTheProgramWithTheirMessageAndStatusTwo) {
  const QString registry = work_.File("registry.reg");
  const std::string too_old =
      "This version of Korvel to Maelis Migration only works with Korvel 4.0(5) and later [OK] OK\n";

  QFile::remove(registry);
  Finished run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err.toStdString(), too_old + "KorvelToMaelisMigrationExport: server version 0.0 build 0 patch 0 found, "
                                             "4.0 build 4 patch 10 needed (registry file " +
                                       registry.toStdString() + ", which does not exist)\n");
  EXPECT_TRUE(run.out.isEmpty());

  export_test::WriteServerRegistry(registry, {.build_number = 0x00040009});
  run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_TRUE(run.err.toStdString().starts_with(too_old + "KorvelToMaelisMigrationExport: server version 4.0 build 4 "
                                                          "patch 9 found"))
      << run.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(output_ + "/KorvelMigrationOutput.csv"));

  // The override, in any case, anywhere on the command line.
  run = Run({"--headless", "--output", output_, "skipversioncheck"});
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.toStdString().starts_with(
      too_old + "Allowing app to run via command line over ride.  This export is not supported by Norvane PSD or "
                "QRBU. [OK] OK\n"))
      << run.err.toStdString();
  EXPECT_FALSE(run.err.contains("must be running")) << "a command line keeps that notice back";
}

TEST_F(HeadlessTest, WithoutADisplayTheWindowPointsToTheHeadlessMode) {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment_.remove(variable);
  const Finished run = Run({"SkipVersionCheck"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_TRUE(run.err.contains("no display to open the main window on; run one export with --headless"))
      << run.err.toStdString();
}

// The display named cannot be reached: the program says so and ends with the
// status it has without a display, rather than abort inside the toolkit.
TEST_F(HeadlessTest, AnUnreachableDisplayEndsWithStatusTwo) {
  for (const char* variable : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment_.remove(variable);
  int display = 90;
  while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))) ++display;
  environment_.insert("DISPLAY", QStringLiteral(":%1").arg(display));
  const Finished run = Run({"SkipVersionCheck"});
  EXPECT_EQ(run.exit_code, 2) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(QStringLiteral("the display :%1 could not be opened").arg(display)))
      << run.err.toStdString();
}

// One copy at a time, whether or not a copy has a runtime folder; one that
// names a runtime folder that does not exist runs as one without.
TEST_F(HeadlessTest, ASecondCopyEndsAtOnceWithOneLine) {
  const QByteArray tmpdir = qgetenv("TMPDIR");
  qputenv("TMPDIR", work_.File("tmp").toLocal8Bit());
  qunsetenv("XDG_RUNTIME_DIR");
  std::optional<shell::SingleCopyLock> first_copy(std::in_place);
  ASSERT_EQ(first_copy->Acquire("KorvelToMaelisMigrationExport"), shell::SingleCopyLock::Result::kAcquired);
  qputenv("TMPDIR", tmpdir);
  // The second copy has a runtime folder, the first none.
  Finished run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "KorvelToMaelisMigrationExport: another copy is already running\n");
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(output_ + "/KorvelMigrationOutput.csv"));

  first_copy.reset();
  environment_.insert("XDG_RUNTIME_DIR", work_.File("missing"));
  run = Run({"--headless", "--output", output_});
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
}

TEST_F(HeadlessTest, MessagesUnderAnotherAccountNeedAcceptAccount) {
  WriteServerRegistry(work_.File("registry.reg"), "somebody-else");
  const Finished refused = Run({"--headless", "--output", output_, "--include-messages"});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_TRUE(refused.err.endsWith("Do you want to continue? [Yes/No] No\n")) << refused.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(output_ + "/KorvelMigrationOutput.csv"));

  const Finished accepted = Run({"--headless", "--output", output_, "--include-messages", "--accept-account"});
  EXPECT_EQ(accepted.exit_code, 0) << accepted.err.toStdString();
  EXPECT_TRUE(accepted.err.contains("Do you want to continue? [Yes/No] Yes\n"));

  // Under the service's own account nothing is asked.
  WriteServerRegistry(work_.File("registry.reg"), RunningUser());
  const Finished own = Run({"--headless", "--output", output_, "--include-messages", "--overwrite"});
  EXPECT_EQ(own.exit_code, 0) << own.err.toStdString();
  EXPECT_FALSE(own.err.contains("Do you want to continue?"));
}

// Files others could plant in the output folder, an alias that would cut its
// file name short, and a server without its root folder: nothing outside the
// folder is written, nothing is overwritten, and each failure has its line.
TEST_F(HeadlessTest, PlantedLinksHostileAliasesAndAMissingRootPathLoseNothing) {
  QDir().mkpath(work_.File("server/Stream Files"));
  WriteBytes(work_.File("server/Stream Files/one.wav"), "RIFF one");
  const std::string root_path = "\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern\\Trellium\\1.0]\r\n\"Root Path\"=\"" +
                                (work_.path() + "/server/").toStdString() + "\"\r\n";
  WriteServerRegistry(work_.File("registry.reg"), RunningUser(), root_path);
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
  WriteServerRegistry(work_.File("registry.reg"), RunningUser());
  EXPECT_TRUE(Run(arguments).out.endsWith("errors: 1\n"));
  EXPECT_NE(ReadBytes(output_ + "/KorvelToMaelisMigrationErrors.log").find("Trellium\\1.0 \"Root Path\" is missing"),
            std::string::npos);
}

// A pipe in the place of an input would hang the program for ever; a file
// that cannot be parsed would pass for an empty registry. Each is named.
TEST_F(HeadlessTest, InputsThatAreNoRegularFileOrDoNotParseAreNamedAtStartUp) {
  const QString pipe = work_.File("pipe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  WriteBytes(work_.File("broken.reg"), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\r\n");
  const QString registry = environment_.value("KORVEL_REGISTRY");
  const QStringList inputs[] = {{"KORVEL_REGISTRY", pipe, pipe + ": not a regular file"},
                                {"KORVEL_DB_CONNECT", "sqlite:" + pipe, pipe + " is not a regular file"},
                                {"KORVEL_REGISTRY", work_.File("broken.reg"), work_.File("broken.reg") + ":3: "}};
  for (const QStringList& input : inputs) {
    environment_.insert(input[0], input[1]);
    const Finished run = Run({"--headless", "--output", output_});
    environment_.insert("KORVEL_REGISTRY", registry);
    environment_.insert("KORVEL_DB_CONNECT", directory_.connect_string());
    EXPECT_EQ(run.exit_code, 2) << input[1].toStdString();
    EXPECT_TRUE(run.err.section('\n', -2).startsWith("KorvelToMaelisMigrationExport: " + input[2]));
  }
}

TEST_F(HeadlessTest, AFolderAnotherRunHoldsIsRefusedAtOnce) {
  files::FolderLock other_run;
  ASSERT_EQ(other_run.Acquire(output_.toStdString()), files::FolderLock::Result::kAcquired);
  const Finished run = Run({"--headless", "--output", output_ + "/", "--overwrite"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_TRUE(run.err.contains("The output folder " + output_ + "/ is in use by another export or message extraction"))
      << run.err.toStdString();
  EXPECT_TRUE(QDir(output_).isEmpty());
}

// A sample server in `work`/server, and the environment of an export of it.
QProcessEnvironment SampleServer(const TempFolder& work, int subscribers = 50) {
  const Finished sample = RunProgram("korvel-sample", {work.File("server"), "--subscribers", QString::number(subscribers),
                                                        "--messages", "60", "--seed", "11"},
                                      QProcessEnvironment::systemEnvironment());
  EXPECT_EQ(sample.exit_code, 0) << sample.err.toStdString();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("KORVEL_REGISTRY", work.File("server/registry.reg"));
  environment.insert("KORVEL_DB_CONNECT", "sqlite:" + work.File("server/KorvelDb.sqlite"));
  environment.insert("XDG_CONFIG_HOME", work.File("config"));
  environment.insert("XDG_RUNTIME_DIR", work.path());
  environment.insert("TMPDIR", work.path());
  return environment;
}

// The sample's message store service runs under an account of its own.
const QStringList kSampleExportOptions = {"--include-messages", "--accept-account"};

// The whole kit on a sample server: the export, then the extractor started
// on the same folder, whose path has blanks, and followed to its last line.
TEST(HeadlessSampleServerTest, ExportsTheSampleServerWithItsMessages) {
  TempFolder work;
  const QProcessEnvironment environment = SampleServer(work);
  const QString output = work.File("Migration export/of May 2026");
  ASSERT_TRUE(QDir().mkpath(output));
  const Finished run = RunProgram("KorvelToMaelisMigrationExport",
                                  QStringList{"--headless", "--output", output + "/"} + kSampleExportOptions,
                                  environment);
  const QString& err = run.err;
  EXPECT_EQ(run.exit_code, 0) << err.toStdString();
  const QString extraction_log = output + "/MsgExtraction.log";
  const QStringList out = run.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(out.size(), 4) << out.join('\n').toStdString();
  EXPECT_EQ(out[0], "csv: " + output + "/KorvelMigrationOutput.csv");
  EXPECT_EQ(out[2], "extraction log: " + extraction_log);

  // The extractor ran to its end, and its log went by on standard error.
  const QStringList extraction_lines = QString::fromLatin1(ReadBytes(extraction_log)).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_FALSE(extraction_lines.isEmpty());
  EXPECT_TRUE(extraction_lines.last().startsWith("LogFile closed at ")) << extraction_lines.last().toStdString();
  EXPECT_TRUE(extraction_lines.contains("Output Directory set to " + output + ", SMTP domain is set to "));
  EXPECT_TRUE(err.contains(extraction_lines.last())) << err.toStdString();

  const std::string log = ReadBytes(output + "/KorvelToMaelisMigrationErrors.log");
  EXPECT_NE(log.find("\r\nExporting messages - check the message extraction log for details= " +
                     extraction_log.toStdString() + "\r\n\r\nExport complete: "),
            std::string::npos)
      << log;
  int skips = 0, errors = 0;
  for (const QString& line : QString::fromLatin1(log).split("\r\n")) {
    skips += line.contains("Skipping user.") || line == "    skipping EAdmin";
    errors += line.contains("(error)", Qt::CaseInsensitive);
  }
  EXPECT_EQ(out[3], QString("errors: %1").arg(errors - 1)) << "the header's own marker is not counted";

  // Every subscriber of the export's types has a row unless the log says it
  // was skipped, and every voice name the file names was copied.
  int subscribers = 0;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "sample");
    db.setDatabaseName(work.File("server/KorvelDb.sqlite"));
    ASSERT_TRUE(db.open());
    QSqlQuery count("SELECT count(*) FROM Subscriber WHERE SubscriberType IN (1,3)", db);
    ASSERT_TRUE(count.next());
    subscribers = count.value(0).toInt();
  }
  QSqlDatabase::removeDatabase("sample");
  const QStringList rows = ReadUtf16LeText(output + "/KorvelMigrationOutput.csv").split("\r\n", Qt::SkipEmptyParts);
  EXPECT_EQ(rows.size() - 1, subscribers - skips);
  ASSERT_EQ(rows[0].split(',').last(), "VoiceName");
  int copied = 0;
  for (const QString& row : rows.mid(1)) {
    const QString name = row.section(',', -1);
    if (name.isEmpty()) continue;
    EXPECT_TRUE(QFileInfo::exists(output + "/" + name)) << name.toStdString();
    ++copied;
  }
  EXPECT_GT(copied, 0);

  // One message file per extracted message.
  const QStringList messages = QDir(output).entryList({"*.msg"}, QDir::Files);
  EXPECT_GT(messages.size(), 30);
  const QRegularExpression message_name("^.+_[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.msg$");
  for (const QString& name : messages) EXPECT_TRUE(message_name.match(name).hasMatch()) << name.toStdString();
}

// On a terminal the export's bar shows its rate and the time left, and the
// extraction's log goes by above a bar of the subscribers done.
TEST(HeadlessSampleServerTest, OnATerminalBothPhasesShowABarWithTheTimeLeft) {
  TempFolder work;
  QProcess terminal;  // script(1) gives the program a terminal and passes on what it shows
  terminal.setProcessEnvironment(SampleServer(work));
  const QString program = qEnvironmentVariable("KORVEL_BIN_DIR") + "/KorvelToMaelisMigrationExport";
  terminal.start("script", {"-qec", QStringLiteral("'%1' --headless --output '%2' %3 >/dev/null")
                                        .arg(program, work.File("out/"), kSampleExportOptions.join(' ')),
                            "/dev/null"});
  ASSERT_TRUE(terminal.waitForFinished(120000));
  const QString shown = QString::fromLocal8Bit(terminal.readAllStandardOutput());
  EXPECT_EQ(terminal.exitCode(), 0) << shown.toStdString();

  EXPECT_TRUE(shown.contains(QRegularExpression(R"(\r\[#{30}\] 100% 50/50  [0-9.]+/s  0:00 left\x1b\[K)")))
      << shown.toStdString();
  // A log line is never written over a bar: a bar is redrawn or its line
  // cleared before anything else, and it comes back below the log lines, full
  // when the extraction ends.
  EXPECT_FALSE(shown.contains(QRegularExpression(R"(\r\[[^\r\n]*\x1b\[K[^\r])"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QRegularExpression(
      R"(LogFile closed at [^\r\n]*\r?\n(\r[^\r\n]*)?\r\[#{30}\] (\d+)/\2 subscribers\x1b\[K\r?\n)")))
      << shown.toStdString();
}

// SIGTERM part way: the log says so last, the CSV file is not left half
// written under its name, and what a killed run left behind is gone.
TEST(HeadlessSampleServerTest, AStopSignalEndsTheRunWithItsFilesInOrder) {
  TempFolder work;
  QProcessEnvironment environment = SampleServer(work, 4000);
  const QString output = work.File("out");
  QDir().mkpath(output);
  WriteBytes(output + "/.KorvelMigrationOutput.csv.partial", "left by a killed run");
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(qEnvironmentVariable("KORVEL_BIN_DIR") + "/KorvelToMaelisMigrationExport",
                {"--headless", "--output", output + "/"});
  const QString log = output + "/KorvelToMaelisMigrationErrors.log";
  for (int wait = 0; wait < 3000 && ReadBytes(log).find("Alias=") == std::string::npos; ++wait) {
    QThread::msleep(5);
  }
  ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 128 + SIGTERM) << process.readAllStandardError().toStdString();
  EXPECT_TRUE(ReadBytes(log).ends_with("(error) in export. Description=Export interrupted by SIGTERM, "
                                       "Source=KorvelToMaelisMigrationExport, Number= 18\r\n"));
  EXPECT_TRUE(QDir(output).entryList({"*.csv", "*.partial"}, QDir::Files | QDir::Hidden).isEmpty())
      << QDir(output).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

}  // namespace
