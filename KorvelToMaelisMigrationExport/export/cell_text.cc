#include "KorvelToMaelisMigrationExport/export/cell_text.h"

#include <QMetaType>

namespace export_engine {
namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool HasExponent(QStringView text) { return text.contains(u'e', Qt::CaseInsensitive); }

// Digits with at most one point and an optional leading sign, at least one digit.
bool IsPlainDecimal(QStringView text) {
  qsizetype i = 0;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
  bool digits = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits = true;
    } else if (text[i] == u'.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

}  // namespace

QString ExactNumberText(QStringView text) {
  if (HasExponent(text)) return ApproximateNumberText(text);
  if (!IsPlainDecimal(text) || !text.contains(u'.')) return text.toString();
  qsizetype end = text.size();
  while (text[end - 1] == u'0') --end;
  if (text[end - 1] == u'.') --end;
  QString trimmed = text.first(end).toString();
  // "-0.00" and "-.0" are zero, which has no sign.
  bool all_zero = true;
  for (QChar c : trimmed) all_zero = all_zero && (!IsDigit(c) || c == QLatin1Char('0'));
  if (all_zero) return QStringLiteral("0");
  return trimmed;
}

QString ApproximateNumberText(double number) { return QString::number(number, 'g', 15); }

QString ApproximateNumberText(QStringView text) {
  bool ok = false;
  const double number = text.trimmed().toDouble(&ok);
  return ok ? ApproximateNumberText(number) : text.toString();
}

QString CellText(const QVariant& value) {
  switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return ApproximateNumberText(value.toDouble());
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
      return value.toString();
  }
}

}  // namespace export_engine
