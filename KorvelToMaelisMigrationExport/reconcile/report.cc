#include "KorvelToMaelisMigrationExport/reconcile/report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace reconcile {

void Report::SetCount(const QString& name, qint64 value) {
  for (auto& [counted, number] : counts_) {
    if (counted == name) {
      number = value;
      return;
    }
  }
  counts_.emplace_back(name, value);
}

void Report::AddToCount(const QString& name, qint64 value) { SetCount(name, count(name) + value); }

qint64 Report::count(const QString& name) const {
  for (const auto& [counted, number] : counts_) {
    if (counted == name) return number;
  }
  return 0;
}

QString Report::Text() const {
  QString text;
  for (const auto& [name, number] : counts_) text += QStringLiteral("%1: %2\n").arg(name).arg(number);
  text += QStringLiteral("findings: %1\n").arg(findings_.size());
  for (const Finding& finding : findings_) {
    text += QStringLiteral("  %1").arg(finding.kind);
    if (!finding.alias.isEmpty()) text += QStringLiteral(" alias=%1").arg(finding.alias);
    if (!finding.file.isEmpty()) text += QStringLiteral(" file=%1").arg(finding.file);
    if (!finding.detail.isEmpty()) text += QStringLiteral(": %1").arg(finding.detail);
    text += QLatin1Char('\n');
  }
  text += QStringLiteral("result: %1\n").arg(ok_ ? QStringLiteral("ok") : QStringLiteral("NOT OK"));
  return text;
}

QByteArray Report::Json() const {
  QJsonObject counts;
  for (const auto& [name, number] : counts_) counts.insert(name, number);
  QJsonArray findings;
  for (const Finding& finding : findings_) {
    findings.append(QJsonObject{{QStringLiteral("kind"), finding.kind},
                                {QStringLiteral("alias"), finding.alias},
                                {QStringLiteral("file"), finding.file},
                                {QStringLiteral("detail"), finding.detail}});
  }
  const QJsonObject document{{QStringLiteral("mode"), mode_},
                             {QStringLiteral("counts"), counts},
                             {QStringLiteral("findings"), findings},
                             {QStringLiteral("ok"), ok_}};
  return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

bool WriteReportFile(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    *error = QStringLiteral("cannot write the report %1: %2").arg(path, file.errorString());
    return false;
  }
  return true;
}

}  // namespace reconcile
