#include "KorvelToMaelisMigrationExport/monitor/cls_wks.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <utmpx.h>

#include <vector>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace monitor {
namespace {

constexpr qint32 kPlatformIdWithUserAccounts = 500;

QString HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return QString();
  return QString::fromLocal8Bit(name);
}

QString EffectiveUserName() {
  long buffer_size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(buffer_size > 0 ? static_cast<size_t>(buffer_size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return QString();
  }
  return QString::fromLocal8Bit(found->pw_name);
}

qint32 LoginSessionCount() {
  qint32 sessions = 0;
  ::setutxent();
  while (const struct utmpx* record = ::getutxent()) {
    if (record->ut_type == USER_PROCESS) ++sessions;
  }
  ::endutxent();
  return sessions;
}

}  // namespace

QString DomainFromResolverConfiguration(QStringView configuration) {
  QString search_domain;
  for (QStringView line : configuration.split(u'\n')) {
    const QStringList words = line.toString().simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2) continue;
    if (words[0] == u"domain") return words[1];
    if (words[0] == u"search" && search_domain.isEmpty()) search_domain = words[1];
  }
  return search_domain;
}

void VersionFromKernelRelease(QStringView release, qint32* major, qint32* minor) {
  static const QRegularExpression version(QStringLiteral("^(\\d+)(?:\\.(\\d+))?"));
  const QRegularExpressionMatch match = version.match(release.toString());
  *major = match.hasMatch() ? match.captured(1).toInt() : 0;
  *minor = match.hasMatch() ? match.captured(2).toInt() : 0;
}

clsWKS::clsWKS() { Refresh(); }

void clsWKS::Refresh() {
  const QString host = HostName();
  const qsizetype dot = host.indexOf(QLatin1Char('.'));
  if (!host.isEmpty()) {
    computer_name_ = dot < 0 ? host : host.left(dot);
    logon_domain_ = computer_name_;
    logon_server_ = computer_name_;
  }
  QString domain = dot < 0 ? QString() : host.mid(dot + 1);
  if (domain.isEmpty()) {
    QFile resolver(QStringLiteral("/etc/resolv.conf"));
    if (resolver.open(QIODevice::ReadOnly)) {
      domain = DomainFromResolverConfiguration(QString::fromLocal8Bit(resolver.readAll()));
    }
  }
  if (!domain.isEmpty()) domain_ = domain;
  platform_id_ = kPlatformIdWithUserAccounts;
  struct utsname system {};
  if (::uname(&system) == 0) VersionFromKernelRelease(QString::fromLatin1(system.release), &ver_major_, &ver_minor_);
  logged_on_users_ = LoginSessionCount();
  const QString user = EffectiveUserName();
  if (!user.isEmpty()) user_name_ = user;
}

}  // namespace monitor
