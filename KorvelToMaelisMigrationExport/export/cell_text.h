// How a database value becomes the text the export writes. Engines hand the
// same stored number over in different shapes: a whole number, a double, a
// decimal carrying its scale ("4.00"), a truth value as a bit or as a word.
// Numbers and truth values are brought to one form here, so that the CSV file
// and the log do not depend on the engine that holds the directory.
#ifndef KORVEL_EXPORT_EXPORT_CELL_TEXT_H_
#define KORVEL_EXPORT_EXPORT_CELL_TEXT_H_

#include <QString>
#include <QStringView>
#include <QVariant>

namespace export_engine {

// A decimal as an engine writes it ("4.00", "-12.50", "1033"), without the
// zeros that only its scale adds: "4", "-12.5", "1033". The digits are kept as
// they are, however many there are. Text with an exponent is read as a
// floating-point number; any other text comes back unchanged.
QString ExactNumberText(QStringView text);

// A floating-point number with the 15 significant digits a double holds
// reliably: PostgreSQL's 0.30000000000000004 and SQLite's 0.3 both read
// "0.3", and 4.0 reads "4". Text that is no number comes back unchanged.
QString ApproximateNumberText(double number);
QString ApproximateNumberText(QStringView text);

// A non-null value as a Qt driver hands it over, typed by the engine.
QString CellText(const QVariant& value);

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_CELL_TEXT_H_
