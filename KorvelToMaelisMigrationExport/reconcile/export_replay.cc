#include "KorvelToMaelisMigrationExport/reconcile/export_replay.h"

#include <utility>

namespace reconcile {
namespace {

constexpr char16_t kAliasLinePrefix[] = u"\r\nAlias=";

}  // namespace

export_engine::Status ExportReplay::Sink::WriteRow(QStringView line) {
  row = line.toString();
  return export_engine::Status();
}

ExportReplay::ExportReplay(export_engine::TableCache& tables, std::vector<export_engine::DataItem> items,
                           QString root_path, QString output_folder, export_engine::RecordingCarrier carry)
    : sink_(std::move(carry)),
      log_(nullptr, [this](QStringView line) { Observe(line); }),
      rows_(tables, std::move(items), std::move(root_path), std::move(output_folder), log_, sink_) {}

void ExportReplay::Observe(QStringView line) {
  log_bytes_ += line.size() + 2;  // one byte a character in the log's code page, and CR LF
  if (line.startsWith(QStringView(kAliasLinePrefix))) {
    current_.alias = line.mid(QStringView(kAliasLinePrefix).size()).toString();
  } else if (export_engine::IsSkipLine(line)) {
    current_.skip_line = line.trimmed().toString();
  } else if (line.contains(u"(error)", Qt::CaseInsensitive)) {
    current_.failure_lines << line.toString();
  }
}

ReplayedSubscriber ExportReplay::Replay(std::size_t row) {
  current_ = ReplayedSubscriber();
  sink_.row.reset();
  rows_.Export(row);
  current_.row = std::move(sink_.row);
  return std::move(current_);
}

}  // namespace reconcile
