// The store stand-in's value typing over any stored value: the value comes
// out with the property's type or its own storage class's, a number is never
// handed out as a different number, and a BLOB keeps its bytes.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>

#include <cstring>

#include "fuzz/fuzz_input.h"
#include "korvel/zad/property_value.h"
#include "platform/com/safearray.h"

static bool IntegerKept(const VARIANT& value, std::int64_t number) {
  switch (value.vt) {
    case VT_I2: return value.iVal == number;
    case VT_I4: return value.lVal == number;
    case VT_R8: return value.dblVal == static_cast<double>(number);
    case VT_BOOL: return (value.boolVal != VARIANT_FALSE) == (number != 0);
    default: return false;
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static sqlite3_stmt* const statement = [] {
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
    Require(sqlite3_open(":memory:", &db) == SQLITE_OK &&
            sqlite3_prepare_v2(db, "SELECT ?1", -1, &select, nullptr) == SQLITE_OK);
    return select;
  }();
  FuzzedDataProvider input(data, size);
  const VARTYPE property_type = input.PickValueInArray({VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_DATE, VT_BSTR, VT_BOOL});
  const int storage = input.ConsumeIntegralInRange(SQLITE_INTEGER, SQLITE_NULL);
  const std::int64_t number = input.ConsumeIntegral<std::int64_t>();
  const double real = input.ConsumeFloatingPoint<double>();
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  const int length = static_cast<int>(bytes.size());
  sqlite3_reset(statement);
  switch (storage) {
    case SQLITE_INTEGER: sqlite3_bind_int64(statement, 1, number); break;
    case SQLITE_FLOAT: sqlite3_bind_double(statement, 1, real); break;
    case SQLITE_TEXT: sqlite3_bind_text(statement, 1, bytes.data(), length, SQLITE_TRANSIENT); break;
    case SQLITE_BLOB: sqlite3_bind_blob(statement, 1, bytes.data(), length, SQLITE_TRANSIENT); break;
    default: sqlite3_bind_null(statement, 1);
  }
  Require(sqlite3_step(statement) == SQLITE_ROW);

  VARIANT value;
  Require(SUCCEEDED(korvel::zad::ColumnToVariant(statement, 0, property_type, &value)));
  const bool typed_as_property = value.vt == property_type;
  switch (sqlite3_column_type(statement, 0)) {
    case SQLITE_NULL: Require(value.vt == VT_EMPTY); break;
    case SQLITE_INTEGER:
      Require(IntegerKept(value, number) && (typed_as_property || value.vt == VT_I4 || value.vt == VT_R8));
      break;
    case SQLITE_FLOAT: Require(value.vt == VT_R8 || (typed_as_property && value.vt == VT_DATE)); break;
    case SQLITE_TEXT: Require(value.vt == VT_BSTR); break;
    case SQLITE_BLOB:
      Require(value.vt == (VT_ARRAY | VT_UI1) && value.parray->rgsabound[0].cElements == bytes.size() &&
              (bytes.empty() || std::memcmp(value.parray->pvData, bytes.data(), bytes.size()) == 0));
  }
  Require(SUCCEEDED(VariantClear(&value)));
  BSTR text = nullptr;
  Require(SUCCEEDED(korvel::zad::ColumnToBstr(statement, 0, &text)));
  SysFreeString(text);
  return 0;
}
