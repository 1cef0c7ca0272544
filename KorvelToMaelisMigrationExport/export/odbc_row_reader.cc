#include "KorvelToMaelisMigrationExport/export/odbc_row_reader.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstdint>

#include <QMetaType>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include "KorvelToMaelisMigrationExport/export/cell_text.h"

namespace export_engine {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide characters are UTF-16 units");

constexpr std::size_t kFirstBufferUnits = 256;

}  // namespace

void* OdbcStatementHandle(const QSqlQuery& query) {
  const QVariant handle = query.result()->handle();
  if (handle.metaType().id() != QMetaType::VoidStar) return nullptr;
  return handle.value<void*>();
}

void SetOdbcQueryTimeout(void* statement, int seconds) {
  // A driver without the attribute keeps its own behaviour; nothing to report.
  SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                 reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(seconds)), 0);
}

OdbcRowReader::OdbcRowReader(void* statement, int column_count)
    : statement_(statement), buffer_(kFirstBufferUnits) {
  kinds_.reserve(static_cast<std::size_t>(column_count));
  for (int column = 1; column <= column_count; ++column) {
    SQLLEN type = SQL_UNKNOWN_TYPE;
    SQLColAttribute(statement_, static_cast<SQLUSMALLINT>(column), SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr,
                    &type);
    switch (type) {
      case SQL_DECIMAL:
      case SQL_NUMERIC:
        kinds_.push_back(Kind::kExactNumber);
        break;
      case SQL_REAL:
      case SQL_FLOAT:
      case SQL_DOUBLE:
        kinds_.push_back(Kind::kApproximateNumber);
        break;
      default:
        kinds_.push_back(Kind::kText);
        break;
    }
  }
}

bool OdbcRowReader::AppendRow(RecordTable* table, QString* failure) {
  for (std::size_t column = 0; column < kinds_.size(); ++column) {
    bool is_null = false;
    if (!ReadCell(static_cast<int>(column) + 1, &is_null)) {
      *failure = Diagnostics();
      return false;
    }
    if (is_null) {
      table->AppendNullCell();
      continue;
    }
    switch (kinds_[column]) {
      case Kind::kText:
        table->AppendCell(text_);
        break;
      case Kind::kExactNumber:
        table->AppendCell(ExactNumberText(text_));
        break;
      case Kind::kApproximateNumber:
        table->AppendCell(ApproximateNumberText(QStringView(text_)));
        break;
    }
  }
  return true;
}

// A long value comes in parts: each call fills the buffer, ending it with a
// terminator, until the driver has handed over the rest.
bool OdbcRowReader::ReadCell(int column, bool* is_null) {
  text_.clear();
  *is_null = false;
  for (;;) {
    SQLLEN indicator = 0;
    const SQLLEN buffer_bytes = static_cast<SQLLEN>(buffer_.size() * sizeof(SQLWCHAR));
    const SQLRETURN result = SQLGetData(statement_, static_cast<SQLUSMALLINT>(column), SQL_C_WCHAR, buffer_.data(),
                                        buffer_bytes, &indicator);
    if (result == SQL_NO_DATA) return true;
    if (!SQL_SUCCEEDED(result)) return false;
    if (indicator == SQL_NULL_DATA) {
      *is_null = true;
      return true;
    }
    const std::size_t room = buffer_.size() - 1;
    const bool cut_short =
        result == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator >= buffer_bytes);
    const std::size_t units = cut_short ? room : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
    text_.append(QStringView(buffer_.data(), static_cast<qsizetype>(units)));
    if (!cut_short) return true;
    // The indicator gives what was left before this call, when the driver knows it.
    const std::size_t left = indicator == SQL_NO_TOTAL ? buffer_.size() * 2
                                                       : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR) - room;
    if (left + 1 > buffer_.size()) buffer_.resize(left + 1);
  }
}

QString OdbcRowReader::Diagnostics() const {
  QString text;
  SQLWCHAR state[SQL_SQLSTATE_SIZE + 1];
  SQLWCHAR message[SQL_MAX_MESSAGE_LENGTH];
  for (SQLSMALLINT record = 1;; ++record) {
    SQLINTEGER native_error = 0;
    SQLSMALLINT length = 0;
    const SQLRETURN result = SQLGetDiagRecW(SQL_HANDLE_STMT, statement_, record, state, &native_error, message,
                                            SQL_MAX_MESSAGE_LENGTH, &length);
    if (!SQL_SUCCEEDED(result)) break;
    if (!text.isEmpty()) text += QLatin1Char(' ');
    const qsizetype units = std::min<qsizetype>(length, SQL_MAX_MESSAGE_LENGTH - 1);
    text += QStringView(reinterpret_cast<const char16_t*>(message), units);
  }
  return text;
}

}  // namespace export_engine
