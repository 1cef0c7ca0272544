#include "KorvelToMaelisMigrationExport/shell/korvel_version.h"

#include <tuple>

#include "KorvelToMaelisMigrationExport/shell/registry_api.h"

namespace shell {
namespace {

constexpr char16_t kServerKey[] = u"Software\\Halvern\\";
constexpr char16_t kVersionNumberValue[] = u"Version Number";
constexpr char16_t kBuildNumberValue[] = u"Build Number";

// The leading decimal digits of `places`; a digit A to F ends them.
qint16 LeadingDecimal(QStringView places) {
  qint16 number = 0;
  for (QChar c : places) {
    if (c < u'0' || c > u'9') break;
    number = static_cast<qint16>(number * 10 + (c.unicode() - u'0'));
  }
  return number;
}

}  // namespace

ServerVersion ServerVersionFromNumbers(quint32 version_number, quint32 build_number) {
  const QString version_places = QStringLiteral("%1").arg(version_number, 8, 16, QLatin1Char('0')).toUpper();
  const QString build_places = QStringLiteral("%1").arg(build_number, 8, 16, QLatin1Char('0')).toUpper();
  ServerVersion version;
  version.major = LeadingDecimal(QStringView(version_places).left(4));
  version.minor = LeadingDecimal(QStringView(version_places).right(4));
  version.build = LeadingDecimal(QStringView(build_places).left(4));
  version.patch = static_cast<qint16>(build_number & 0xFFFFu);
  return version;
}

ServerVersion ReadServerVersion() {
  const QString key = QString::fromUtf16(kServerKey);
  const qint32 version_number = ReadMachineNumber(key, QString::fromUtf16(kVersionNumberValue));
  const qint32 build_number = ReadMachineNumber(key, QString::fromUtf16(kBuildNumberValue));
  return ServerVersionFromNumbers(static_cast<quint32>(version_number), static_cast<quint32>(build_number));
}

bool VersionIsAtLeast(const ServerVersion& version, const ServerVersion& minimum) {
  return std::tie(version.major, version.minor, version.build, version.patch) >=
         std::tie(minimum.major, minimum.minor, minimum.build, minimum.patch);
}

QString VersionText(const ServerVersion& version) {
  return QStringLiteral("%1.%2 build %3 patch %4").arg(version.major).arg(version.minor).arg(version.build).arg(version.patch);
}

}  // namespace shell
