// The export through real ODBC drivers against Qt's embedded SQLite driver:
// SQLite's own driver under the driver manager, and PostgreSQL's, over a
// server the test starts itself with typed columns. The same sample server
// gives the same files byte for byte; the same values read the same in
// every engine; a server that never answers does not hold start-up.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace {

using export_test::ExportRunTest;
using export_test::ReadBytes;
using export_test::TempFolder;

// The name under which the SQLite ODBC package registers its driver. NoCreat
// keeps the driver from making a database where the file is missing.
QString SqliteOdbcConnect(const QString& path) { return "Driver={SQLite3};Database=" + path + ";NoCreat=1"; }

// A loopback port nobody listens on right now, with `listening` true: one that
// takes connections and never answers them.
int LoopbackPort(bool listening, int* socket_fd) {
  *socket_fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(*socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (listening && ::listen(*socket_fd, 4) != 0) ||
      ::getsockname(*socket_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

// A PostgreSQL server of the test's own: a new cluster in a temporary folder,
// on a free loopback port, told to stop when the test process ends. Run as
// root, its programs run as "nobody", because PostgreSQL refuses root.
class ThrowawayPostgres {
 public:
  ThrowawayPostgres() {
    for (const QString& version : QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      bin_ = "/usr/lib/postgresql/" + version + "/bin/";
    }
    int fd = -1;
    const int port = LoopbackPort(false, &fd);
    ::close(fd);
    ::chmod(QFile::encodeName(folder_.path()).constData(), 0711);  // the server's user reaches its data
    data_ = folder_.File("data");
    QDir().mkpath(data_);
    if (const passwd* nobody = ::getpwnam("nobody"); ::geteuid() == 0 && nobody != nullptr) {
      EXPECT_EQ(::chown(QFile::encodeName(data_).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    connect_ = QStringLiteral("Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;UID=korvel;Database=").arg(port);
    if (!Run("initdb", {"-D", data_, "-U", "korvel", "--auth=trust", "--no-sync", "-E", "UTF8", "--no-locale"})) return;
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start("setpriv", Privileges() + QStringList{"--pdeathsig", "SIGQUIT", bin_ + "postgres", "-D", data_, "-p",
                                                        QString::number(port), "-k", data_, "-c", "fsync=off"});
    for (int poll = 0; poll < 600 && !Run("pg_isready", {"-q", "-h", "127.0.0.1", "-p", QString::number(port)}); ++poll) {
      QThread::msleep(100);
    }
  }
  ~ThrowawayPostgres() {
    if (server_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(server_.processId()), SIGINT);  // the fast shutdown
    server_.waitForFinished();
  }

  // A new database holding a copy of the SQLite file at `path`, each column
  // typed as `types` says ("Table.Column"), else as text.
  QString Copy(const QString& path, const QMap<QString, QString>& types) {
    static int next = 0;
    const QString database = QStringLiteral("korveldb_%1").arg(next++);
    Exec(connect_ + "postgres", {"CREATE DATABASE " + database});
    QSqlDatabase from = QSqlDatabase::addDatabase("QSQLITE", "copy-from");
    from.setDatabaseName(path);
    EXPECT_TRUE(from.open());
    QStringList statements;
    QSqlQuery objects("SELECT type, name, sql FROM sqlite_master WHERE type IN ('table', 'view') "
                      "ORDER BY type = 'view', rowid", from);
    while (objects.next()) {
      const QString table = objects.value(1).toString();
      if (objects.value(0) == "view") {
        statements << objects.value(2).toString();
        continue;
      }
      QStringList columns, values;
      for (QSqlQuery info("PRAGMA table_info(" + table + ")", from); info.next();) {
        const QString name = info.value(1).toString(), type = types.value(table + "." + name, "text");
        columns << name + " " + type;
        // Each value as a literal of its column's type, reals with all their digits.
        values << QStringLiteral("'CAST(' || quote(CASE typeof(%1) WHEN 'real' THEN printf('%.17g', %1) "
                                 "ELSE CAST(%1 AS TEXT) END) || ' AS %2)'").arg(name, type);
      }
      statements << "CREATE TABLE " + table + " (" + columns.join(", ") + ")";
      for (QSqlQuery rows("SELECT " + values.join(" || ', ' || ") + " FROM " + table + " ORDER BY rowid", from);
           rows.next();) {
        statements << "INSERT INTO " + table + " VALUES (" + rows.value(0).toString() + ")";
      }
    }
    from = QSqlDatabase();
    QSqlDatabase::removeDatabase("copy-from");
    Exec(connect_ + database, statements);
    return connect_ + database;
  }

 private:
  QStringList Privileges() const {
    return ::geteuid() == 0 ? QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups"} : QStringList{};
  }
  bool Run(const QString& tool, const QStringList& arguments) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start("setpriv", Privileges() + QStringList{bin_ + tool} + arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  }
  static void Exec(const QString& connect, const QStringList& statements) {
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "throwaway-postgres");
      db.setDatabaseName(connect);
      ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
      QSqlQuery query(db);
      for (const QString& statement : statements) {
        EXPECT_TRUE(query.exec(statement)) << statement.toStdString() << query.lastError().text().toStdString();
      }
    }
    QSqlDatabase::removeDatabase("throwaway-postgres");
  }

  TempFolder folder_;
  QString bin_, data_, connect_;
  QProcess server_;
};

// The headless program's export of the sample server in `server` over
// `connect` into `output`: its error count, CSV file and log without the two
// time stamps.
std::string ExportSample(const QString& server, const QString& connect, const QString& output) {
  QDir().mkpath(output);
  const export_test::Finished run = export_test::RunProgram(
      "KorvelToMaelisMigrationExport", {"--headless", "--output", output + "/"},
      export_test::ProgramEnvironment(output, server + "/registry.reg", connect));
  EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
  std::string log = ReadBytes(output + "/KorvelToMaelisMigrationErrors.log");
  for (const char* label : {"Starting export: ", "Export complete: "}) {
    const size_t time = log.find(label) + std::string(label).size();
    log.erase(time, log.find("\r\n", time) - time);
  }
  return run.out.section('\n', -2).toStdString() + ReadBytes(output + "/KorvelMigrationOutput.csv") + log;
}

TEST(EnginesTest, TheSampleServerExportsTheSameThroughOdbc) {
  TempFolder work;
  const export_test::Finished sample = export_test::RunProgram(
      "korvel-sample", {work.File("server"), "--subscribers", "150", "--messages", "0", "--seed", "11"},
      QProcessEnvironment::systemEnvironment());
  ASSERT_EQ(sample.exit_code, 0) << sample.err.toStdString();
  const QString file = work.File("server/KorvelDb.sqlite");
  const std::string embedded = ExportSample(work.File("server"), "sqlite:" + file, work.File("embedded"));
  ASSERT_GT(embedded.size(), 10000u);
  EXPECT_TRUE(ExportSample(work.File("server"), SqliteOdbcConnect(file), work.File("odbc")) == embedded)
      << "the exports differ";
}

// Long values come in parts; numbers come in every shape an engine has,
// truth values as bits (BoolsAsChar=0, as from SQL Server), nulls.
TEST_F(ExportRunTest, ValuesReadTheSameInEveryEngine) {
  directory_.AddCompleteSubscriber(
      {.id = "S1", .alias = "whole", .display_name = QString::fromUtf16(u"Ünïcødé 日本 ").repeated(60)});
  directory_.AddCompleteSubscriber({.id = "S2", .alias = "wide", .language = 12345678901LL, .list_in_directory = 0});
  directory_.AddCompleteSubscriber({.id = "S3", .alias = "half", .language = 2.5, .list_in_directory = QVariant()});
  directory_.AddCompleteSubscriber({.id = "S4", .alias = "real", .language = 4.0});
  directory_.AddCompleteSubscriber({.id = "S5", .alias = "none", .language = QVariant()});
  directory_.AddCallHandler("CH-S6", "56");
  directory_.AddSubscriberRow({.id = "S6", .alias = "rules", .language = 3082});
  directory_.AddContactRule("CH-S6", "Alternate", QVariant(), 0.1 + 0.2, "0042", 12345678901LL);
  ASSERT_TRUE(Run(Request(AllEntries())).reached_end);
  const QStringList embedded = CsvLines();
  const std::string embedded_log = SubscriberLog();
  ASSERT_EQ(embedded.size(), 7);
  EXPECT_TRUE(embedded[4].endsWith(",4,1,2,1,91000,4,")) << embedded[4].toStdString();
  EXPECT_TRUE(embedded[6].endsWith(",3082,1,,0.3,0042,12345678901,")) << embedded[6].toStdString();

  const QString file = database_folder_.File("KorvelDb.sqlite");
  ThrowawayPostgres server;
  const QString typed = server.Copy(file, {{"Subscriber.Language", "numeric(15,2)"},
                                           {"Subscriber.ListInDirectory", "boolean"},
                                           {"Subscriber.SubscriberType", "smallint"},
                                           {"ContactRule.Action", "smallint"},
                                           {"ContactRule.TransferType", "double precision"},
                                           {"ContactRule.TransferRings", "bigint"}});
  for (const QString& connect : {SqliteOdbcConnect(file), typed + ";BoolsAsChar=0"}) {
    ASSERT_TRUE(Run(Request(AllEntries()), connect).reached_end) << connect.toStdString();
    EXPECT_EQ(CsvLines(), embedded) << connect.toStdString();
    EXPECT_EQ(SubscriberLog(), embedded_log);
  }
}

// A server that takes the connection and never answers it: the start-up
// gives up after the log-in timeout instead of waiting for ever.
TEST(SilentServerTest, StartUpFailsInsteadOfWaitingForEver) {
  int listener = -1;
  const int port = LoopbackPort(true, &listener);
  ASSERT_NE(port, 0);
  export_engine::TableCache cache;
  EXPECT_FALSE(cache.OpenDirectoryTables(
      QStringLiteral("Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;Database=KorvelDb;UID=korvel").arg(port)));
  EXPECT_TRUE(cache.last_failure().description().contains("timeout")) << cache.last_failure().description().toStdString();
  ::close(listener);
}

}  // namespace
