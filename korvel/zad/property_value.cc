#include "korvel/zad/property_value.h"

#include <sqlite3.h>

#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "platform/com/safearray.h"

namespace korvel::zad {

namespace {

template <typename T>
bool FitsIn(std::int64_t value) {
  return value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max();
}

HRESULT IntegerToVariant(std::int64_t number, VARTYPE property_type, VARIANT* value) {
  if (property_type == VT_BOOL) {
    value->vt = VT_BOOL;
    value->boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (property_type == VT_I2 && FitsIn<SHORT>(number)) {
    value->vt = VT_I2;
    value->iVal = static_cast<SHORT>(number);
  } else if (FitsIn<LONG>(number)) {
    value->vt = VT_I4;
    value->lVal = static_cast<LONG>(number);
  } else {
    // Cutting it to 32 bits would hand out a different number.
    value->vt = VT_R8;
    value->dblVal = static_cast<double>(number);
  }
  return S_OK;
}

HRESULT BlobToVariant(sqlite3_stmt* row, int column, VARIANT* value) {
  const void* bytes = sqlite3_column_blob(row, column);
  int size = sqlite3_column_bytes(row, column);
  if (bytes == nullptr && size != 0) return E_OUTOFMEMORY;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
  if (array == nullptr) return E_OUTOFMEMORY;
  if (size != 0) std::memcpy(array->pvData, bytes, static_cast<std::size_t>(size));
  value->vt = VT_ARRAY | VT_UI1;
  value->parray = array;
  return S_OK;
}

}  // namespace

HRESULT ColumnToBstr(sqlite3_stmt* row, int column, BSTR* text) {
  *text = nullptr;
  if (sqlite3_column_type(row, column) == SQLITE_NULL) return S_OK;
  const unsigned char* utf8 = sqlite3_column_text(row, column);
  int size = sqlite3_column_bytes(row, column);
  if (utf8 == nullptr) return E_OUTOFMEMORY;
  try {
    std::wstring wide = codepage::Utf8ToWide(std::string_view(reinterpret_cast<const char*>(utf8), size));
    *text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ColumnToVariant(sqlite3_stmt* row, int column, VARTYPE property_type, VARIANT* value) {
  VariantInit(value);
  switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
      return S_OK;
    case SQLITE_INTEGER:
      return IntegerToVariant(sqlite3_column_int64(row, column), property_type, value);
    case SQLITE_FLOAT:
      value->vt = property_type == VT_DATE ? VT_DATE : VT_R8;
      value->dblVal = sqlite3_column_double(row, column);
      return S_OK;
    case SQLITE_TEXT: {
      BSTR text = nullptr;
      HRESULT hr = ColumnToBstr(row, column, &text);
      if (FAILED(hr)) return hr;
      value->vt = VT_BSTR;
      value->bstrVal = text;
      return S_OK;
    }
    default:
      return BlobToVariant(row, column, value);
  }
}

HRESULT GetManyFromRow(Store& store, const char* table, const char* id_column, std::int64_t id,
                       std::span<const PropertyColumn> properties, const VARIANT* tags, VARIANT* values) {
  if (tags == nullptr || values == nullptr) return E_POINTER;
  VariantInit(values);
  SAFEARRAY* tag_array = tags->parray;
  VARTYPE element_type = VT_EMPTY;
  if (tags->vt != (VT_ARRAY | VT_VARIANT) || tag_array == nullptr || SafeArrayGetDim(tag_array) != 1 ||
      FAILED(SafeArrayGetVartype(tag_array, &element_type)) || element_type != VT_VARIANT) {
    return E_INVALIDARG;
  }
  const ULONG count = tag_array->rgsabound[0].cElements;
  const auto* tag_values = static_cast<const VARIANT*>(tag_array->pvData);
  for (ULONG i = 0; i < count; ++i) {
    if (tag_values[i].vt != VT_I4) return E_INVALIDARG;
  }

  std::string select = "SELECT ";
  for (std::size_t p = 0; p < properties.size(); ++p) {
    select += (p == 0 ? "" : ", ") + std::string(properties[p].column);
  }
  select += std::string(" FROM ") + table + " WHERE " + id_column + " = ?1";
  Statement statement;
  HRESULT hr = store.QueryRow(select.c_str(), id, &statement);
  if (FAILED(hr)) return hr;

  SAFEARRAY* result = SafeArrayCreateVector(VT_VARIANT, tag_array->rgsabound[0].lLbound, count);
  if (result == nullptr) return E_OUTOFMEMORY;
  auto* result_values = static_cast<VARIANT*>(result->pvData);
  for (ULONG i = 0; i < count && SUCCEEDED(hr); ++i) {
    const QOPROPTAG tag = tag_values[i].lVal;
    VARIANT& value = result_values[i];
    value.vt = VT_ERROR;
    value.scode = QO_E_NOT_FOUND;
    for (std::size_t p = 0; p < properties.size(); ++p) {
      if (properties[p].tag == tag) {
        hr = ColumnToVariant(statement.get(), static_cast<int>(p), PropertyType(tag), &value);
        break;
      }
    }
  }
  if (FAILED(hr)) {
    SafeArrayDestroy(result);
    return hr;
  }
  values->vt = VT_ARRAY | VT_VARIANT;
  values->parray = result;
  return S_OK;
}

}  // namespace korvel::zad
