// The export through a real ODBC driver, SQLite's own under the driver
// manager, against Qt's embedded SQLite driver: the same sample server gives
// the same files byte for byte and the same values read the same. A server
// that never answers does not hold start-up.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
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
const QString kSqliteOdbc = "Driver={SQLite3};NoCreat=1;Database=";

// A loopback port that takes connections and never answers them.
int SilentLoopbackPort(int* socket_fd) {
  *socket_fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(*socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(*socket_fd, 4) != 0 ||
      ::getsockname(*socket_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

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
  EXPECT_TRUE(ExportSample(work.File("server"), kSqliteOdbc + file, work.File("odbc")) == embedded)
      << "the exports differ";
}

// Long values come in parts; numbers come in every shape an engine has, nulls.
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

  ASSERT_TRUE(Run(Request(AllEntries()), kSqliteOdbc + database_folder_.File("KorvelDb.sqlite")).reached_end);
  EXPECT_EQ(CsvLines(), embedded);
  EXPECT_EQ(SubscriberLog(), embedded_log);
}

// A server that takes the connection and never answers it: the start-up
// gives up after the log-in timeout instead of waiting for ever.
TEST(SilentServerTest, StartUpFailsInsteadOfWaitingForEver) {
  int listener = -1;
  const int port = SilentLoopbackPort(&listener);
  ASSERT_NE(port, 0);
  export_engine::TableCache cache;
  EXPECT_FALSE(cache.OpenDirectoryTables(
      QStringLiteral("Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;Database=KorvelDb;UID=korvel").arg(port)));
  EXPECT_TRUE(cache.last_failure().description().contains("timeout")) << cache.last_failure().description().toStdString();
  ::close(listener);
}

}  // namespace
