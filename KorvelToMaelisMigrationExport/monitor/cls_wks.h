// clsWKS: what the operating system says about this workstation and the user
// running the program. Only UserName decides anything (the message-store
// account check); the rest describes the machine for whoever asks.
//
// Where each property comes from here:
//   ComputerName   the host name up to its first dot
//   Domain         the host name after its first dot when it has one, else
//                  the resolver's "domain" line of /etc/resolv.conf, else the
//                  first entry of its "search" line (the DNS domain is the
//                  workstation's domain here; the NIS domain seldom is set)
//   LanRoot        empty: no network software keeps a root folder here
//   LoggedOnUsers  the login sessions in the system's user accounting
//   PlatformId     500, the workstation record's number for a system with
//                  per-user accounts
//   VerMajor/Minor the kernel release
//   LogonDomain    the computer name: accounts are the machine's own
//   LogonServer    the computer name, which authenticated the user
//   OtherDomains   empty
//   UserName       the name of the effective user id
#ifndef KORVEL_EXPORT_MONITOR_CLS_WKS_H_
#define KORVEL_EXPORT_MONITOR_CLS_WKS_H_

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace monitor {

class clsWKS {
 public:
  clsWKS();  // filled at once

  const QString& ComputerName() const { return computer_name_; }
  const QString& Domain() const { return domain_; }
  const QString& LanRoot() const { return lan_root_; }
  qint32 LoggedOnUsers() const { return logged_on_users_; }
  qint32 PlatformId() const { return platform_id_; }
  qint32 VerMajor() const { return ver_major_; }
  qint32 VerMinor() const { return ver_minor_; }
  const QString& LogonDomain() const { return logon_domain_; }
  const QString& LogonServer() const { return logon_server_; }
  const QString& OtherDomains() const { return other_domains_; }
  const QString& UserName() const { return user_name_; }

  // Reads everything again. A source that cannot be read leaves its
  // properties as they were.
  void Refresh();

 private:
  QString computer_name_;
  QString domain_;
  QString lan_root_;
  qint32 logged_on_users_ = 0;
  qint32 platform_id_ = 0;
  qint32 ver_major_ = 0;
  qint32 ver_minor_ = 0;
  QString logon_domain_;
  QString logon_server_;
  QString other_domains_;
  QString user_name_;
};

// The domain a resolver configuration names: its "domain" line, else the
// first entry of its "search" line; empty when it names none.
QString DomainFromResolverConfiguration(QStringView configuration);

// Major and minor of a kernel release such as "6.1.0-18-amd64"; 0 for what
// cannot be read.
void VersionFromKernelRelease(QStringView release, qint32* major, qint32* minor);

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_CLS_WKS_H_
