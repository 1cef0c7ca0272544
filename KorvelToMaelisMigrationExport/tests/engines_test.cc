// The export through real database engines: the embedded SQLite, SQLite
// through its ODBC driver and a PostgreSQL server of the test's own through
// its ODBC driver. The same directory gives the same files in all three; the
// values of typed columns read the same as SQLite's; a server that goes away
// in the middle of a run, or never answers, does not stop the program.
#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <memory>

#include <QDir>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/export/tests/directory_copy.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/export/tests/throwaway_postgres.h"

namespace {

using export_test::ColumnTypes;
using export_test::CopyDirectory;
using export_test::ReadBytes;
using export_test::TempFolder;
using export_test::TestSubscriber;
using export_test::ThrowawayPostgres;

// The name under which the SQLite ODBC package registers its driver. NoCreat
// keeps the driver from making a database where the file is missing.
QString SqliteOdbcConnect(const QString& path) { return "Driver={SQLite3};Database=" + path + ";NoCreat=1"; }

// The log without its two time stamps.
std::string WithoutTimes(std::string log) {
  for (const char* label : {"Starting export: ", "Export complete: "}) {
    const size_t begin = log.find(label);
    if (begin == std::string::npos) continue;
    const size_t time = begin + std::string(label).size();
    log.erase(time, log.find("\r\n", time) - time);
  }
  return log;
}

// The typed columns an engine with real types would give the directory.
const ColumnTypes kServerColumnTypes = {
    {"Subscriber.ListInDirectory", "boolean"}, {"Subscriber.Language", "integer"},
    {"Subscriber.SubscriberType", "smallint"}, {"ContactRule.Action", "smallint"},
    {"ContactRule.TransferType", "smallint"},  {"ContactRule.TransferRings", "smallint"},
};

// One server for the whole executable: making a cluster takes a moment.
class PostgresTest : public export_test::ExportRunTest {
 protected:
  static void SetUpTestSuite() { server_ = new ThrowawayPostgres; }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    QString failure;
    ASSERT_TRUE(server_->Start(&failure)) << failure.toStdString();
  }

  // A new database on the server holding a copy of the SQLite file at `path`.
  QString CopyToServer(const QString& path, const ColumnTypes& types) {
    static int next = 0;
    const QString database = QStringLiteral("korveldb_%1").arg(next++);
    QString failure;
    EXPECT_TRUE(server_->CreateDatabase(database, &failure)) << failure.toStdString();
    const QString connect = server_->ConnectString(database);
    EXPECT_TRUE(CopyDirectory(path, connect, types, &failure)) << failure.toStdString();
    return connect;
  }

  QString DirectoryPath() const { return database_folder_.File("KorvelDb.sqlite"); }

  static ThrowawayPostgres* server_;
};

ThrowawayPostgres* PostgresTest::server_ = nullptr;

struct Export {
  int exit_code = -1;
  std::string out, err, csv, log;
};

// The headless program's whole export of the sample server in `server`,
// over `connect`, into a folder of its own.
Export ExportSample(const QString& server, const QString& connect, const QString& output) {
  QDir().mkpath(output);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("KORVEL_REGISTRY", server + "/registry.reg");
  environment.insert("XDG_CONFIG_HOME", output + "/config");
  // Copies without a runtime folder share one lock in the temporary folder.
  QDir().mkpath(output + ".tmp");
  environment.insert("TMPDIR", output + ".tmp");
  const export_test::Finished run = export_test::RunProgram(
      "KorvelToMaelisMigrationExport", {"--headless", "--output", output + "/", "--connect", connect}, environment);
  Export result;
  result.exit_code = run.exit_code;
  result.out = run.out.toStdString();
  result.err = run.err.toStdString();
  result.csv = ReadBytes(output + "/KorvelMigrationOutput.csv");
  result.log = WithoutTimes(ReadBytes(output + "/KorvelToMaelisMigrationErrors.log"));
  // The printed paths differ by folder; the error count must not.
  result.out = result.out.substr(result.out.rfind("errors: "));
  return result;
}

TEST_F(PostgresTest, TheSampleServerExportsTheSameThroughEveryEngine) {
  TempFolder work;
  const export_test::Finished sample =
      export_test::RunProgram("korvel-sample", {work.File("server"), "--subscribers", "150", "--messages", "0", "--seed", "11"},
                              QProcessEnvironment::systemEnvironment());
  ASSERT_EQ(sample.exit_code, 0) << sample.err.toStdString();
  const QString file = work.File("server/KorvelDb.sqlite");
  const QString postgres = CopyToServer(file, kServerColumnTypes);

  const Export embedded = ExportSample(work.File("server"), "sqlite:" + file, work.File("embedded"));
  ASSERT_EQ(embedded.exit_code, 0) << embedded.err;
  ASSERT_GT(embedded.csv.size(), 10000u);
  const Export sqlite_odbc = ExportSample(work.File("server"), SqliteOdbcConnect(file), work.File("sqlite-odbc"));
  const Export postgres_odbc = ExportSample(work.File("server"), postgres, work.File("postgres-odbc"));
  for (const Export* other : {&sqlite_odbc, &postgres_odbc}) {
    EXPECT_EQ(other->exit_code, 0) << other->err;
    EXPECT_TRUE(other->csv == embedded.csv) << "the CSV files differ";
    EXPECT_EQ(other->log, embedded.log);
    EXPECT_EQ(other->out, embedded.out);
  }

  // The server hands the views' columns over folded to lower case; the export found them all the same.
  QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "fold-check");
  db.setDatabaseName(postgres);
  ASSERT_TRUE(db.open());
  {
    QSqlQuery query("Select * from vw_Subscriber WHERE SubscriberType IN (1,3)", db);
    EXPECT_EQ(query.record().fieldName(0), "subscriberobjectid");
  }
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase("fold-check");
}

// Values that engines with real types hand over in their own shapes: a
// decimal with its scale, a bit or boolean, a double with all its digits,
// numbers beyond 32 bits, nulls.
class EngineValuesTest : public PostgresTest {
 protected:
  void AddSubscribers() {
    // Longer than the first buffer the driver fills, and beyond Latin-1.
    directory_.AddCompleteSubscriber({.id = "S1", .alias = "whole", .display_name = QString::fromUtf16(u"Ünïcødé 日本 ").repeated(60),
                                      .language = 1033, .list_in_directory = 1});
    directory_.AddCompleteSubscriber(
        {.id = "S2", .alias = "wide", .language = 12345678901LL, .list_in_directory = 0});
    directory_.AddCompleteSubscriber({.id = "S3", .alias = "half", .language = 2.5, .list_in_directory = QVariant()});
    directory_.AddCompleteSubscriber({.id = "S4", .alias = "real", .language = 4.0});
    directory_.AddCompleteSubscriber({.id = "S5", .alias = "none", .language = QVariant()});
    directory_.AddCallHandler("CH-S6", "56");
    directory_.AddSubscriberRow({.id = "S6", .alias = "rules", .language = 3082});
    directory_.AddContactRule("CH-S6", "Alternate", QVariant(), 0.1 + 0.2, "0042", 12345678901LL);
  }

  // The CSV lines and the subscribers' log of a run over `connect`.
  std::pair<QStringList, std::string> Exported(const QString& connect) {
    const export_engine::RunResult result = Run(Request(AllEntries()), connect);
    EXPECT_TRUE(result.reached_end);
    return {CsvLines(), SubscriberLog()};
  }
};

TEST_F(EngineValuesTest, TypedColumnsOfAServerReadAsSqliteHoldsThem) {
  AddSubscribers();
  const auto embedded = Exported(QString());
  const QStringList& lines = embedded.first;
  ASSERT_EQ(lines.size(), 7);
  // Language, list in directory and the four transfer fields, then the voice name.
  EXPECT_TRUE(lines[1].endsWith(",1033,1,2,1,91000,4,")) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].endsWith(",12345678901,0,2,1,91000,4,")) << lines[2].toStdString();
  EXPECT_TRUE(lines[3].endsWith(",2.5,0,2,1,91000,4,")) << lines[3].toStdString();
  EXPECT_TRUE(lines[4].endsWith(",4,1,2,1,91000,4,")) << lines[4].toStdString();
  EXPECT_TRUE(lines[5].endsWith(",,1,2,1,91000,4,")) << lines[5].toStdString();
  EXPECT_TRUE(lines[6].endsWith(",3082,1,,0.3,0042,12345678901,")) << lines[6].toStdString();

  // BoolsAsChar=0: the truth value comes as a bit, as from SQL Server, not as a character.
  const QString postgres_connect = CopyToServer(DirectoryPath(), {{"Subscriber.Language", "numeric(15,2)"},
                                                                  {"Subscriber.ListInDirectory", "boolean"},
                                                                  {"ContactRule.Action", "smallint"},
                                                                  {"ContactRule.TransferType", "double precision"},
                                                                  {"ContactRule.TransferRings", "bigint"}});
  const auto postgres = Exported(postgres_connect + ";BoolsAsChar=0");
  EXPECT_EQ(postgres.first, embedded.first);
  EXPECT_EQ(postgres.second, embedded.second);
}

TEST_F(EngineValuesTest, SqliteThroughOdbcReadsValuesThatDoNotFitTheirDeclaredType) {
  AddSubscribers();
  // A word where a number belongs: a type mismatch in every engine, never an empty value.
  directory_.AddCompleteSubscriber({.id = "S7", .alias = "word", .language = "English"});
  const auto embedded = Exported(QString());
  ASSERT_EQ(embedded.first.size(), 8);
  EXPECT_NE(embedded.second.find("Alias=word\r\n(error) in export. Description=Type mismatch"), std::string::npos)
      << embedded.second;

  const auto odbc = Exported(SqliteOdbcConnect(DirectoryPath()));
  EXPECT_EQ(odbc.first, embedded.first);
  EXPECT_EQ(odbc.second, embedded.second);
}

// The server goes away while a run goes on. A run reads every table at its
// start, so a server that stops after the third of six subscribers changes
// nothing in it. (A table that cannot be read at the start costs a line per
// subscriber: the SQLite test of a missing table shows it.)
TEST_F(PostgresTest, AServerThatGoesAwayMidRunChangesNothingInIt) {
  for (int i = 1; i <= 6; ++i) {
    const QString id = QStringLiteral("S%1").arg(i);
    directory_.AddCompleteSubscriber({.id = id, .alias = "user" + QString::number(i),
                                      .dtmf_access_id = QString::number(1000 + i)});
    directory_.AddAlternateExtension(id, QString::number(2000 + i));
  }
  ASSERT_TRUE(Run(Request(AllEntries())).reached_end);
  const QStringList complete = CsvLines();
  ASSERT_EQ(complete.size(), 7);
  const QString postgres = CopyToServer(DirectoryPath(), kServerColumnTypes);

  QString stop_failure;
  front_end_.on_progress = [&](int subscribers_done) {
    if (subscribers_done == 3) server_->Stop(&stop_failure);
  };
  const export_engine::RunResult result = Run(Request(AllEntries()), postgres);
  front_end_.on_progress = nullptr;
  ASSERT_TRUE(stop_failure.isEmpty()) << stop_failure.toStdString();
  EXPECT_TRUE(result.reached_end);
  EXPECT_EQ(front_end_.progress.back(), 6);
  EXPECT_EQ(result.error_count, 0) << SubscriberLog();
  EXPECT_EQ(CsvLines(), complete);
  EXPECT_NE(Log().find("\r\nExport complete: "), std::string::npos);
}

// A server that takes the connection and never answers it: the start-up
// gives up after the log-in timeout instead of waiting for ever.
TEST(SilentServerTest, StartUpFailsInsteadOfWaitingForEver) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

  export_engine::TableCache cache;
  EXPECT_FALSE(cache.OpenDirectoryTables(
      QStringLiteral("Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;Database=KorvelDb;UID=korvel")
          .arg(ntohs(address.sin_port))));
  EXPECT_TRUE(cache.last_failure().description().contains("timeout")) << cache.last_failure().description().toStdString();
  ::close(listener);
}

}  // namespace
