// The report of a pre-flight or a verification: counts in the order they were
// taken, one finding per thing an administrator must look at, and the
// verdict. Printed as text on the console, or as one JSON document for
// ticketing and monitoring.
#ifndef KORVEL_EXPORT_RECONCILE_REPORT_H_
#define KORVEL_EXPORT_RECONCILE_REPORT_H_

#include <functional>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace reconcile {

struct Finding {
  QString kind;   // a short fixed word, e.g. "missing-voice-name"
  QString alias;  // the subscriber it concerns; empty when none
  QString file;   // the file it concerns; empty when none
  QString detail;
};

class Report {
 public:
  explicit Report(QString mode) : mode_(std::move(mode)) {}

  // Sets `name` to `value`; a new name goes to the end.
  void SetCount(const QString& name, qint64 value);
  void AddToCount(const QString& name, qint64 value);
  qint64 count(const QString& name) const;

  void Add(Finding finding) { findings_.push_back(std::move(finding)); }
  const std::vector<Finding>& findings() const { return findings_; }

  void set_ok(bool ok) { ok_ = ok; }
  bool ok() const { return ok_; }

  QString Text() const;
  // {"mode": ..., "counts": {...}, "findings": [{"kind", "alias", "file",
  // "detail"}], "ok": ...}
  QByteArray Json() const;

 private:
  QString mode_;
  std::vector<std::pair<QString, qint64>> counts_;
  std::vector<Finding> findings_;
  bool ok_ = false;
};

// Told the name of each stage of a long check as it begins.
using Announce = std::function<void(const QString& stage)>;

// Writes `bytes` to `path` whole, under a temporary name renamed into place;
// false with `error` set when that fails.
bool WriteReportFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_REPORT_H_
