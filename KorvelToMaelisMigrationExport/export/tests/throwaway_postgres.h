// A PostgreSQL server of a test's own: a new cluster in a temporary folder,
// listening on a free loopback port only, with its socket in that folder.
// It is started and stopped by the test and removed with its folder; no
// system service is used. The server is a child of the test process and is
// told to stop when that process ends, even when it is killed. Run as root,
// the server runs as the unprivileged user "nobody", because PostgreSQL
// refuses to run as root.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_THROWAWAY_POSTGRES_H_
#define KORVEL_EXPORT_EXPORT_TESTS_THROWAWAY_POSTGRES_H_

#include <sys/types.h>

#include <memory>

#include <QProcess>
#include <QString>
#include <QStringList>

namespace export_test {

class ThrowawayPostgres {
 public:
  ThrowawayPostgres() = default;
  ThrowawayPostgres(const ThrowawayPostgres&) = delete;
  ThrowawayPostgres& operator=(const ThrowawayPostgres&) = delete;
  ~ThrowawayPostgres();

  // Makes the cluster (once) and starts the server. False with `failure`
  // saying why, the server's log included.
  bool Start(QString* failure);
  // Stops the server at once, ending its sessions; false when it would not stop.
  bool Stop(QString* failure);

  // A DSN-less ODBC connect string for `database`, over TCP.
  QString ConnectString(const QString& database) const;
  // A new, empty database.
  bool CreateDatabase(const QString& database, QString* failure);

 private:
  bool MakeCluster(QString* failure);
  // Runs a server program, as the unprivileged user when the test is root.
  void PrepareChild(QProcess& process) const;
  bool RunTool(const QString& tool, const QStringList& arguments, QString* failure) const;
  // Starts the server on port_ and waits until it takes connections.
  bool StartServer(QString* failure);
  bool ServerIsReady() const;
  QString LogTail() const;

  QString folder_;   // removed with everything in it
  QString data_;
  QString bin_;      // PostgreSQL's own programs
  int port_ = 0;
  std::unique_ptr<QProcess> server_;
  bool as_nobody_ = false;
  uid_t nobody_uid_ = 0;
  gid_t nobody_gid_ = 0;
};

}  // namespace export_test

#endif  // KORVEL_EXPORT_EXPORT_TESTS_THROWAWAY_POSTGRES_H_
