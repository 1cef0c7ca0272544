// A query result held in memory: every row read once, columns found without
// regard to case, a null value told apart from an empty one and read as
// empty, and a hash index per column on request for fast searches by id.
#ifndef KORVEL_EXPORT_EXPORT_RECORD_TABLE_H_
#define KORVEL_EXPORT_EXPORT_RECORD_TABLE_H_

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace export_engine {

class RecordTable {
 public:
  RecordTable() = default;
  // An index refers into the table's own text, which a move keeps and a copy would not.
  RecordTable(const RecordTable&) = delete;
  RecordTable& operator=(const RecordTable&) = delete;
  RecordTable(RecordTable&&) = default;
  RecordTable& operator=(RecordTable&&) = default;

  // Filling: the columns first, then the cells row by row.
  void Reset(QStringList columns);
  void AppendCell(QStringView text);
  void AppendNullCell();

  const QStringList& columns() const { return columns_; }
  std::size_t row_count() const {
    return columns_.isEmpty() ? 0 : null_.size() / static_cast<std::size_t>(columns_.size());
  }

  // The position of the column named `name`, compared ignoring case.
  std::optional<int> ColumnIndex(QStringView name) const;

  // A cell as text; a null cell reads as empty.
  QStringView Text(std::size_t row, int column) const;
  bool IsNull(std::size_t row, int column) const;

  // Builds the index that makes FindFirst and FindNext on `column` hash
  // lookups. The table is complete by then: Reset() drops the indexes.
  void BuildIndex(int column);

  // The first row, counted from the top, whose cell in `column` equals
  // `value` exactly. A null cell equals nothing.
  std::optional<std::size_t> FindFirst(int column, QStringView value) const;

  // The next row below `row` whose cell in `column` equals the one in `row`;
  // with FindFirst, every row holding a value, in table order.
  std::optional<std::size_t> FindNext(int column, std::size_t row) const;

 private:
  std::size_t Cell(std::size_t row, int column) const {
    return row * static_cast<std::size_t>(columns_.size()) + static_cast<std::size_t>(column);
  }

  QStringList columns_;
  // All cell texts back to back; cell i spans [cell_end_[i-1], cell_end_[i]).
  // One buffer keeps a table of a hundred thousand subscribers compact.
  std::vector<char16_t> text_;
  std::vector<std::size_t> cell_end_;
  std::vector<bool> null_;
  struct Index {
    QHash<QStringView, std::size_t> first;  // the topmost row of each value
    std::vector<std::size_t> next;          // per row: the next one with its value, or kNoRow
  };
  static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
  std::unordered_map<int, Index> indexes_;
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_RECORD_TABLE_H_
