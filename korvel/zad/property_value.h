// How stored values become the values the store's objects hand out.
#ifndef KORVEL_KORVEL_ZAD_PROPERTY_VALUE_H_
#define KORVEL_KORVEL_ZAD_PROPERTY_VALUE_H_

#include <cstdint>
#include <span>

#include "korvel/zad/store.h"
#include "korvel/zad/zad.h"
#include "platform/com/variant.h"

namespace korvel::zad {

// The value in a column of the current row. It has `property_type` when its
// SQLite type fits it (INTEGER in range for VT_I4 and VT_I2, any INTEGER for
// VT_BOOL, REAL for VT_DATE, TEXT for VT_BSTR), otherwise its own type: NULL
// VT_EMPTY, INTEGER VT_I4 (VT_R8 beyond 32 bits), REAL VT_R8, TEXT VT_BSTR,
// BLOB VT_ARRAY|VT_UI1. VT_EMPTY as property_type asks for the own type.
HRESULT ColumnToVariant(sqlite3_stmt* row, int column, VARTYPE property_type, VARIANT* value);

// The value in a column as text: NULL gives a null string, numbers their
// decimal text, a BLOB its bytes read as UTF-8.
HRESULT ColumnToBstr(sqlite3_stmt* row, int column, BSTR* text);

// A property an object answers in GetMany, and the column that stores it.
struct PropertyColumn {
  QOPROPTAG tag;
  const char* column;
};

// GetMany for the row of `table` whose `id_column` holds `id`.
HRESULT GetManyFromRow(Store& store, const char* table, const char* id_column, std::int64_t id,
                       std::span<const PropertyColumn> properties, const VARIANT* tags, VARIANT* values);

}  // namespace korvel::zad

#endif  // KORVEL_KORVEL_ZAD_PROPERTY_VALUE_H_
