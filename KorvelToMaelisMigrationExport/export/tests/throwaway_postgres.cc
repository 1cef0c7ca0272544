#include "KorvelToMaelisMigrationExport/export/tests/throwaway_postgres.h"

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace export_test {
namespace {

constexpr char kSuperuser[] = "korvel";
constexpr int kToolTimeoutMs = 120000;
constexpr auto kReadyPollInterval = std::chrono::milliseconds(20);
constexpr int kReadyPolls = 3000;  // a minute

// The newest installed server version's programs, e.g. /usr/lib/postgresql/15/bin.
QString ServerPrograms() {
  const QDir versions(QStringLiteral("/usr/lib/postgresql"));
  int newest = -1;
  for (const QString& name : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool is_number = false;
    const int version = name.toInt(&is_number);
    if (is_number && version > newest && QFile::exists(versions.filePath(name + "/bin/initdb"))) newest = version;
  }
  return newest < 0 ? QString() : versions.filePath(QString::number(newest) + "/bin");
}

// A loopback port nobody listens on right now.
int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

}  // namespace

ThrowawayPostgres::~ThrowawayPostgres() {
  QString ignored;
  Stop(&ignored);
  if (!folder_.isEmpty()) QDir(folder_).removeRecursively();
}

QString ThrowawayPostgres::LogTail() const {
  QFile log(folder_ + "/server.log");
  if (!log.open(QIODevice::ReadOnly)) return QString();
  if (log.size() > 4000) log.seek(log.size() - 4000);
  return QString::fromLocal8Bit(log.readAll());
}

void ThrowawayPostgres::PrepareChild(QProcess& process) const {
  const bool as_nobody = as_nobody_;
  const uid_t uid = nobody_uid_;
  const gid_t gid = nobody_gid_;
  process.setChildProcessModifier([as_nobody, uid, gid] {
    // Only async-signal-safe calls here. A tool left as root refuses to run.
    if (as_nobody && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) ::_exit(126);
    // After the change of user, which would clear it: a server whose test
    // process has gone shuts down at once.
    ::prctl(PR_SET_PDEATHSIG, SIGQUIT);
  });
}

bool ThrowawayPostgres::RunTool(const QString& tool, const QStringList& arguments, QString* failure) const {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  PrepareChild(process);
  process.start(bin_ + "/" + tool, arguments);
  if (!process.waitForFinished(kToolTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    *failure = tool + " " + arguments.join(' ') + " failed: " + QString::fromLocal8Bit(process.readAll()) +
               process.errorString();
    return false;
  }
  return true;
}

bool ThrowawayPostgres::MakeCluster(QString* failure) {
  bin_ = ServerPrograms();
  if (bin_.isEmpty()) {
    *failure = "no PostgreSQL server programs under /usr/lib/postgresql (package postgresql)";
    return false;
  }
  as_nobody_ = ::geteuid() == 0;
  // The unprivileged server must reach its folder, which a private $TMPDIR may not allow.
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(!as_nobody_ && base != nullptr && *base != '\0' ? base : "/tmp") +
                        "/korvel-postgres-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    *failure = "cannot make a temporary folder";
    return false;
  }
  folder_ = QFile::decodeName(pattern.c_str());
  data_ = folder_ + "/data";
  if (::mkdir(QFile::encodeName(data_).constData(), 0700) != 0) {
    *failure = "cannot make " + data_;
    return false;
  }
  if (as_nobody_) {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) {
      *failure = "no user \"nobody\" to run the server as";
      return false;
    }
    nobody_uid_ = nobody->pw_uid;
    nobody_gid_ = nobody->pw_gid;
    if (::chmod(QFile::encodeName(folder_).constData(), 0711) != 0 ||
        ::chown(QFile::encodeName(data_).constData(), nobody_uid_, nobody_gid_) != 0) {
      *failure = "cannot hand " + data_ + " to nobody";
      return false;
    }
  }
  return RunTool("initdb",
                 {"-D", data_, "-U", kSuperuser, "--auth=trust", "--no-locale", "-E", "UTF8", "--no-sync",
                  "--no-instructions"},
                 failure);
}

// The server notes in its lock file when it takes connections.
bool ThrowawayPostgres::ServerIsReady() const {
  QFile lock(data_ + "/postmaster.pid");
  if (!lock.open(QIODevice::ReadOnly)) return false;
  const QList<QByteArray> lines = lock.readAll().split('\n');
  return lines.size() > 7 && lines[7].trimmed() == "ready";
}

bool ThrowawayPostgres::StartServer(QString* failure) {
  server_ = std::make_unique<QProcess>();
  server_->setProcessChannelMode(QProcess::MergedChannels);
  server_->setStandardOutputFile(folder_ + "/server.log", QIODevice::Append);
  PrepareChild(*server_);
  server_->start(bin_ + "/postgres",
                 {"-D", data_, "-c", "listen_addresses=127.0.0.1", "-p", QString::number(port_), "-k", data_, "-c",
                  "fsync=off", "-c", "full_page_writes=off", "-c", "synchronous_commit=off"});
  for (int poll = 0; poll < kReadyPolls && server_->state() != QProcess::NotRunning; ++poll) {
    if (ServerIsReady()) return true;
    std::this_thread::sleep_for(kReadyPollInterval);
  }
  *failure = "the server did not start: " + server_->errorString() + "\n" + LogTail();
  QString ignored;
  Stop(&ignored);
  return false;
}

bool ThrowawayPostgres::Start(QString* failure) {
  if (server_) return true;
  if (folder_.isEmpty() && !MakeCluster(failure)) return false;
  // Another program may take the port between the choice and the start; a new one then.
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = FreeLoopbackPort();
    if (StartServer(failure)) return true;
  }
  return false;
}

bool ThrowawayPostgres::Stop(QString* failure) {
  if (!server_) return true;
  // The fast shutdown: sessions end at once, the server then exits.
  if (server_->state() != QProcess::NotRunning) ::kill(static_cast<pid_t>(server_->processId()), SIGINT);
  const bool stopped = server_->state() == QProcess::NotRunning || server_->waitForFinished(kToolTimeoutMs);
  if (!stopped) {
    *failure = "the server did not stop\n" + LogTail();
    return false;
  }
  server_.reset();
  return true;
}

QString ThrowawayPostgres::ConnectString(const QString& database) const {
  return QStringLiteral("Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;Database=%2;UID=%3")
      .arg(port_)
      .arg(database, QLatin1StringView(kSuperuser));
}

bool ThrowawayPostgres::CreateDatabase(const QString& database, QString* failure) {
  bool created = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("throwaway-postgres"));
    db.setDatabaseName(ConnectString(QStringLiteral("postgres")));
    if (!db.open()) {
      *failure = db.lastError().text();
    } else {
      QSqlQuery query(db);
      created = query.exec("CREATE DATABASE " + database);
      if (!created) *failure = query.lastError().text();
    }
  }
  QSqlDatabase::removeDatabase(QStringLiteral("throwaway-postgres"));
  return created;
}

}  // namespace export_test
