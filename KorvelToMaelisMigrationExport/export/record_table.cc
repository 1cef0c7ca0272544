#include "KorvelToMaelisMigrationExport/export/record_table.h"

#include <utility>

namespace export_engine {

void RecordTable::Reset(QStringList columns) {
  columns_ = std::move(columns);
  text_.clear();
  cell_end_.clear();
  null_.clear();
  indexes_.clear();
}

void RecordTable::AppendCell(QStringView text) {
  text_.insert(text_.end(), text.utf16(), text.utf16() + text.size());
  cell_end_.push_back(text_.size());
  null_.push_back(false);
}

void RecordTable::AppendNullCell() {
  cell_end_.push_back(text_.size());
  null_.push_back(true);
}

std::optional<int> RecordTable::ColumnIndex(QStringView name) const {
  for (int i = 0; i < columns_.size(); ++i) {
    if (name.compare(columns_[i], Qt::CaseInsensitive) == 0) return i;
  }
  return std::nullopt;
}

QStringView RecordTable::Text(std::size_t row, int column) const {
  const std::size_t cell = Cell(row, column);
  const std::size_t begin = cell == 0 ? 0 : cell_end_[cell - 1];
  return QStringView(text_.data() + begin, static_cast<qsizetype>(cell_end_[cell] - begin));
}

bool RecordTable::IsNull(std::size_t row, int column) const { return null_[Cell(row, column)]; }

void RecordTable::BuildIndex(int column) {
  Index& index = indexes_[column];
  index.first.clear();
  index.first.reserve(static_cast<qsizetype>(row_count()));
  index.next.assign(row_count(), kNoRow);
  // Walking from the bottom up leaves the topmost row for each value, and
  // chains each row to the next one below that holds the same value.
  for (std::size_t row = row_count(); row-- > 0;) {
    if (IsNull(row, column)) continue;
    const QStringView value = Text(row, column);
    const auto found = index.first.find(value);
    if (found == index.first.end()) {
      index.first.insert(value, row);
    } else {
      index.next[row] = found.value();
      found.value() = row;
    }
  }
}

std::optional<std::size_t> RecordTable::FindFirst(int column, QStringView value) const {
  if (auto index = indexes_.find(column); index != indexes_.end()) {
    auto found = index->second.first.constFind(value);
    if (found == index->second.first.constEnd()) return std::nullopt;
    return found.value();
  }
  for (std::size_t row = 0; row < row_count(); ++row) {
    if (!IsNull(row, column) && Text(row, column) == value) return row;
  }
  return std::nullopt;
}

std::optional<std::size_t> RecordTable::FindNext(int column, std::size_t row) const {
  if (auto index = indexes_.find(column); index != indexes_.end()) {
    const std::size_t next = index->second.next[row];
    if (next == kNoRow) return std::nullopt;
    return next;
  }
  if (IsNull(row, column)) return std::nullopt;
  const QStringView value = Text(row, column);
  for (std::size_t below = row + 1; below < row_count(); ++below) {
    if (!IsNull(below, column) && Text(below, column) == value) return below;
  }
  return std::nullopt;
}

}  // namespace export_engine
