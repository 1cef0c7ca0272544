// The export engine run subscriber by subscriber without writing anything:
// the rows it would write, the lines it would log and the voice names it
// would copy are handed to the caller instead, so a pre-flight and a
// verification judge by the export's own rules.
#ifndef KORVEL_EXPORT_RECONCILE_EXPORT_REPLAY_H_
#define KORVEL_EXPORT_RECONCILE_EXPORT_REPLAY_H_

#include <cstddef>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/subscriber_rows.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/export/voice_names.h"

namespace reconcile {

// One subscriber's turn as the export would take it.
struct ReplayedSubscriber {
  std::optional<QString> alias;  // none when the alias is null
  std::optional<QString> row;    // the CSV line, without its line end; none when skipped
  QString skip_line;             // the log line that skips it
  QStringList failure_lines;     // every other "(error)" line of its turn
};

class ExportReplay {
 public:
  // `carry` is handed each readable recording instead of its copy; its
  // failure is logged like a failed copy.
  ExportReplay(export_engine::TableCache& tables, std::vector<export_engine::DataItem> items, QString root_path,
               QString output_folder, export_engine::RecordingCarrier carry);

  ReplayedSubscriber Replay(std::size_t row);

  // The bytes the export log would hold for the subscribers replayed so far.
  qint64 log_bytes() const { return log_bytes_; }

 private:
  class Sink : public export_engine::RowSink {
   public:
    explicit Sink(export_engine::RecordingCarrier carry) : carry_(std::move(carry)) {}
    export_engine::Status WriteRow(QStringView line) override;
    export_engine::Status CarryVoiceName(int recording, const QString& target) override {
      return carry_(recording, target);
    }
    std::optional<QString> row;

   private:
    export_engine::RecordingCarrier carry_;
  };

  void Observe(QStringView line);

  ReplayedSubscriber current_;
  qint64 log_bytes_ = 0;
  Sink sink_;
  export_engine::ExportLog log_;
  export_engine::SubscriberRows rows_;
};

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_EXPORT_REPLAY_H_
