#include "KorvelToMaelisMigrationExport/reconcile/preflight.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <map>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/export_run.h"
#include "KorvelToMaelisMigrationExport/export/message_extraction_launch.h"
#include "KorvelToMaelisMigrationExport/export/output_paths.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_folder.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_replay.h"
#include "KorvelToMaelisMigrationExport/reconcile/message_store_walk.h"
#include "KorvelToMaelisMigrationExport/reconcile/stages.h"

namespace reconcile {
namespace {

using export_engine::DataItem;

// The export log's lines that no subscriber adds: its header, the start and
// end lines and the blank lines between them.
constexpr qint64 kExportLogFrameBytes = 400;
// A message file's header lines besides the owner's alias, and the two
// empty lines before the audio.
constexpr qint64 kMessageHeaderBytes = 300;
// The extraction log: its frame, and its lines per subscriber and message.
constexpr qint64 kExtractionLogFrameBytes = 300;
constexpr qint64 kExtractionLogBytesPerMailbox = 150;
constexpr qint64 kExtractionLogBytesPerMessage = 40;
// The audio in base64, 54 bytes a line of 72 characters and CR LF.
constexpr qint64 kBase64LineBytes = 54;

// `path` when it is a folder, else its nearest parent that is; empty when none is.
QString NearestExistingFolder(const QString& path) {
  QString existing = QFileInfo(path).absoluteFilePath();
  while (!QFileInfo(existing).isDir()) {
    const QString parent = QFileInfo(existing).absolutePath();
    if (parent == existing) return QString();
    existing = parent;
  }
  return existing;
}

// The free bytes of the file system holding `path` or its nearest existing
// parent folder; -1 when none can be asked.
qint64 FreeBytesFor(const QString& path) {
  const QString existing = NearestExistingFolder(path);
  if (existing.isEmpty()) return -1;
  struct statvfs info;
  if (::statvfs(QFile::encodeName(existing).constData(), &info) != 0) return -1;
  return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

qint64 Base64FileBytes(qint64 audio_bytes) {
  const qint64 lines = (audio_bytes + kBase64LineBytes - 1) / kBase64LineBytes;
  return (audio_bytes + 2) / 3 * 4 + 2 * lines;
}

class Preflight {
 public:
  Preflight(const export_engine::ExportRequest& request, export_engine::TableCache& tables,
            std::int64_t subscriber_count, export_engine::ExportFrontEnd& front_end, const QuestionRecorder& questions,
            const Announce& announce)
      : request_(request), tables_(tables), subscriber_count_(subscriber_count), front_end_(front_end),
        questions_(questions), announce_(announce) {}

  Report Run() {
    report_.SetCount(QStringLiteral("subscribers"), subscriber_count_);
    report_.SetCount(QStringLiteral("rows"), 0);
    const bool passes = export_engine::RequestPassesChecks(request_, front_end_, false);
    for (const auto& [question, answer] : questions_.questions()) {
      Add(QStringLiteral("question"), QString(), QString(),
          QStringLiteral("%1 -> %2").arg(question, answer ? QStringLiteral("Yes") : QStringLiteral("No")));
    }
    if (!passes) {
      Add(QStringLiteral("run-would-stop"), QString(), request_.output_path,
          QStringLiteral("a check or a No answer would end the run before it writes anything"));
      report_.set_ok(false);
      return std::move(report_);
    }
    ReplayRows();
    if (request_.include_messages) WalkMessages();
    return Finish();
  }

 private:
  void Add(const QString& kind, const QString& alias, const QString& file, const QString& detail) {
    report_.Add({kind, alias, file, detail});
  }

  void ReplayRows() {
    const std::vector<DataItem> items = export_engine::TickedItems(request_);
    const bool voice_names = std::find(items.begin(), items.end(), DataItem::kVoiceName) != items.end();
    const QString output_folder = export_engine::OutputFolder(request_.output_path);
    if (voice_names) {
      for (const char* name : {"voice names found", "voice names missing", "voice names unreadable", "voice names not recorded"}) {
        report_.SetCount(QString::fromLatin1(name), 0);
      }
    }
    bytes_ += 2 + (export_engine::HeaderRow(items).size() + 2) * 2;  // byte-order mark, header row

    bool carried = false;
    qint64 carried_bytes = 0;
    ExportReplay replay(tables_, items, export_engine::ServerRootPath(front_end_), output_folder,
                        [&](int recording, const QString&) {
                          struct stat info;
                          carried = true;
                          carried_bytes = ::fstat(recording, &info) == 0 ? info.st_size : 0;
                          return export_engine::Status();
                        });
    const export_engine::RecordTable& subscribers = tables_.subscribers();
    const std::optional<int> stream_path = subscribers.ColumnIndex(u"StreamPath");
    const std::size_t count = subscribers.row_count();
    BeginStage(front_end_, announce_, QStringLiteral("Running the export in memory"), count);
    std::map<QString, QStringList> skipped;
    for (std::size_t row = 0; row < count; ++row) {
      carried = false;
      const ReplayedSubscriber now = replay.Replay(row);
      front_end_.SetProgress(static_cast<int>(std::min<std::size_t>(row + 1, INT32_MAX)));
      const QString alias = now.alias.value_or(QString());
      if (!now.row) {
        skipped[now.skip_line] << alias;
        continue;
      }
      report_.AddToCount(QStringLiteral("rows"), 1);
      bytes_ += (now.row->size() + 2) * 2;
      if (voice_names) CountVoiceName(alias, *now.row, carried, carried_bytes, now.failure_lines,
                                      stream_path && !subscribers.Text(row, *stream_path).isEmpty());
    }
    bytes_ += kExportLogFrameBytes + replay.log_bytes();
    for (const auto& [reason, aliases] : skipped) {
      report_.SetCount(QStringLiteral("skipped: ") + reason, aliases.size());
      for (const QString& alias : aliases) Add(QStringLiteral("skipped"), alias, QString(), reason);
    }
  }

  void CountVoiceName(const QString& alias, const QString& row, bool carried, qint64 size,
                      const QStringList& failure_lines, bool has_stream_path) {
    const QString file = SplitCsvLine(row).constLast();
    if (carried) {
      report_.AddToCount(QStringLiteral("voice names found"), 1);
      bytes_ += size;
    } else if (!file.isEmpty()) {
      report_.AddToCount(QStringLiteral("voice names unreadable"), 1);
      Add(QStringLiteral("unreadable-voice-name"), alias, file, failure_lines.value(failure_lines.size() - 1));
    } else if (has_stream_path) {
      report_.AddToCount(QStringLiteral("voice names missing"), 1);
      Add(QStringLiteral("missing-voice-name"), alias, QString(),
          QStringLiteral("the directory names a recording the stream files lack"));
    } else {
      report_.AddToCount(QStringLiteral("voice names not recorded"), 1);
    }
  }

  void WalkMessages() {
    for (const char* name : {"new messages", "saved messages", "failing messages"}) report_.SetCount(QString::fromLatin1(name), 0);
    bytes_ += kExtractionLogFrameBytes;
    int mailbox = 0;
    QString error;
    const bool walked = WalkMessageStore(
        [this](int mailboxes) {
          BeginStage(front_end_, announce_, QStringLiteral("Walking the message store"),
                     static_cast<std::size_t>(std::max(mailboxes, 0)));
        },
        [&](StoredMailbox&& stored) {
          front_end_.SetProgress(++mailbox);
          bytes_ += kExtractionLogBytesPerMailbox + stored.alias.size();
          if (!stored.failure.isEmpty()) {
            Add(QStringLiteral("failing-mailbox"), stored.alias, QString(),
                QStringLiteral("the messages of %1 cannot all be walked: %2").arg(stored.display_name, stored.failure));
          }
          for (const StoredMessage& message : stored.messages) {
            const QString state = message.saved ? QStringLiteral("saved") : QStringLiteral("new");
            report_.AddToCount(state + QStringLiteral(" messages"), 1);
            bytes_ += kExtractionLogBytesPerMessage;
            if (!message.failure.isEmpty()) {
              report_.AddToCount(QStringLiteral("failing messages"), 1);
              Add(QStringLiteral("failing-message"), stored.alias, QString(),
                  QStringLiteral("a %1 message would fail: %2").arg(state, message.failure));
              continue;
            }
            bytes_ += kMessageHeaderBytes + 2 * stored.alias.size() + Base64FileBytes(message.audio_bytes);
          }
        },
        &error);
    if (!walked) {
      Add(QStringLiteral("failing-store"), QString(), QString(), error);
      store_fails_ = true;
    }
  }

  Report Finish() {
    front_end_.ShowRunning(false);
    const QString folder = export_engine::OutputFolder(request_.output_path);
    const qint64 free = FreeBytesFor(folder);
    report_.SetCount(QStringLiteral("bytes needed"), bytes_);
    report_.SetCount(QStringLiteral("bytes free"), free);
    const QString existing = NearestExistingFolder(folder);
    const bool writable = !existing.isEmpty() && QFileInfo(existing).isWritable();
    if (!writable) {
      Add(QStringLiteral("unwritable-folder"), QString(), existing.isEmpty() ? folder : existing,
          QStringLiteral("the export could not write its files there"));
    }
    const bool fits = free >= 0 && bytes_ <= free;
    if (!fits) {
      Add(QStringLiteral("not-enough-space"), QString(), folder,
          free < 0 ? QStringLiteral("the free space of its file system cannot be found")
                   : QStringLiteral("%1 bytes needed, %2 free").arg(bytes_).arg(free));
    }
    report_.set_ok(writable && fits && !store_fails_);
    return std::move(report_);
  }

  const export_engine::ExportRequest& request_;
  export_engine::TableCache& tables_;
  const std::int64_t subscriber_count_;
  export_engine::ExportFrontEnd& front_end_;
  const QuestionRecorder& questions_;
  const Announce& announce_;
  Report report_{QStringLiteral("preflight")};
  qint64 bytes_ = 0;
  bool store_fails_ = false;
};

}  // namespace

Report PreflightExport(const export_engine::ExportRequest& request, export_engine::TableCache& tables,
                       std::int64_t subscriber_count, export_engine::ExportFrontEnd& front_end,
                       const QuestionRecorder& questions, const Announce& announce) {
  return Preflight(request, tables, subscriber_count, front_end, questions, announce).Run();
}

}  // namespace reconcile
