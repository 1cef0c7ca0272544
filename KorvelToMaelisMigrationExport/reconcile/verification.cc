#include "KorvelToMaelisMigrationExport/reconcile/verification.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <optional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QHash>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/export/export_run.h"
#include "KorvelToMaelisMigrationExport/export/message_extraction_launch.h"
#include "KorvelToMaelisMigrationExport/export/output_paths.h"
#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_folder.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_replay.h"
#include "KorvelToMaelisMigrationExport/reconcile/message_store_walk.h"
#include "KorvelToMaelisMigrationExport/reconcile/stages.h"
#include "platform/files/posix_io.h"

namespace reconcile {
namespace {

using export_engine::Status;

constexpr char16_t kExplained[] = u"explained-failure";
constexpr qsizetype kCompareBytes = 1 << 16;

// Empty when the file at `path` holds exactly the bytes of `recording`;
// otherwise what differs.
QString CompareWithRecording(int recording, const QString& path) {
  const files::FileDescriptor copy(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!copy.valid()) return errno == ENOENT ? QStringLiteral("missing") : QStringLiteral("cannot be opened");
  QByteArray expected(kCompareBytes, Qt::Uninitialized);
  QByteArray found(kCompareBytes, Qt::Uninitialized);
  qint64 offset = 0;
  QString difference;
  for (;;) {
    const ssize_t want = files::ReadFully(recording, expected.data(), kCompareBytes);
    const ssize_t got = files::ReadFully(copy.get(), found.data(), kCompareBytes);
    if (want < 0 || got < 0) {
      difference = QStringLiteral("cannot be read");
      break;
    }
    const ssize_t common = std::min(want, got);
    if (std::memcmp(expected.constData(), found.constData(), static_cast<size_t>(common)) != 0) {
      const auto mismatch =
          std::mismatch(expected.constData(), expected.constData() + common, found.constData()).first;
      difference = QStringLiteral("differs from its recording at byte %1").arg(offset + (mismatch - expected.constData()));
      break;
    }
    if (want != got) {
      difference = want < got ? QStringLiteral("is longer than its recording")
                              : QStringLiteral("is shorter than its recording");
      break;
    }
    if (want < kCompareBytes) break;
    offset += want;
  }
  return difference;
}

struct ReadFile {
  QString file;
  std::optional<QString> owner;  // none for a name that is no message file's
  MessageFileAudio audio;
};

std::vector<ReadFile> ReadMessageFiles(const QString& folder, const QStringList& files) {
  std::vector<ReadFile> read;
  read.reserve(static_cast<size_t>(files.size()));
  for (const QString& file : files) {
    ReadFile entry{file, MessageFileOwner(file), {}};
    if (entry.owner) entry.audio = ReadMessageFileAudio(folder + file);
    read.push_back(std::move(entry));
  }
  return read;
}

bool IsBookkeeping(const QString& name) {
  return name.startsWith(QLatin1StringView(".KorvelMigration.")) ||
         (name.startsWith(QLatin1Char('.')) && name.endsWith(QLatin1StringView(".partial")));
}

class Verification {
 public:
  Verification(const QString& folder, export_engine::TableCache& tables, std::int64_t subscriber_count,
               export_engine::ExportFrontEnd& front_end, const Announce& announce)
      : folder_(folder), tables_(tables), subscriber_count_(subscriber_count), front_end_(front_end),
        announce_(announce) {}

  Report Run() {
    for (const char* name : {"subscribers", "csv rows", "rows checked", "skips logged", "voice names checked"}) {
      report_.SetCount(QString::fromLatin1(name), 0);
    }
    report_.SetCount(QStringLiteral("subscribers"), subscriber_count_);
    if (CheckRows()) CheckMessages();
    front_end_.ShowRunning(false);
    bool ok = true;
    for (const Finding& finding : report_.findings()) ok = ok && IsExplained(finding);
    report_.set_ok(ok);
    return std::move(report_);
  }

 private:
  void Add(const QString& kind, const QString& alias, const QString& file, const QString& detail) {
    report_.Add({kind, alias, file, detail});
  }

  // False when the folder holds no export to reconcile.
  bool CheckRows() {
    const QString csv_path = folder_ + QLatin1StringView(export_engine::kCsvFileName);
    QString error;
    const std::optional<CsvContents> csv = ReadCsvFile(csv_path, &error);
    if (!csv) {
      Add(QStringLiteral("unreadable-csv"), QString(), csv_path, error);
      return false;
    }
    const std::optional<std::vector<export_engine::DataItem>> items = ItemsOfHeader(csv->header);
    if (!items || items->front() != export_engine::DataItem::kAlias) {
      Add(QStringLiteral("unknown-header"), QString(), csv_path, QStringLiteral("the header row names no export's columns"));
      return false;
    }
    const QStringList columns = SplitCsvLine(csv->header);
    const QString log_path = export_engine::ExportLogPath(folder_.chopped(1));
    std::optional<ExportLogContents> log = ReadExportLog(log_path);
    if (!log) {
      Add(QStringLiteral("missing-export-log"), QString(), log_path, QStringLiteral("skips cannot be accounted for"));
      log.emplace();
    }

    // Rows are found by their whole text first, by their first field (the
    // alias) only when the text differs.
    QHash<QString, qsizetype> row_of_alias;
    QHash<QString, qsizetype> row_of_text;
    std::vector<bool> accounted(csv->rows.size(), false);
    for (qsizetype i = 0; i < static_cast<qsizetype>(csv->rows.size()); ++i) {
      const QString& row = csv->rows[static_cast<size_t>(i)];
      const QString alias = SplitCsvLine(row).value(0);
      if (row_of_text.contains(row) || row_of_alias.contains(alias)) {
        Add(QStringLiteral("duplicate-row"), alias, csv_path, QStringLiteral("line %1 repeats the subscriber").arg(i + 2));
        accounted[static_cast<size_t>(i)] = true;
        continue;
      }
      row_of_alias.insert(alias, i);
      row_of_text.insert(row, i);
    }
    report_.SetCount(QStringLiteral("csv rows"), static_cast<qint64>(csv->rows.size()));

    QStringList voice_differences;
    ExportReplay replay(tables_, *items, export_engine::ServerRootPath(front_end_), folder_,
                        [&voice_differences](int recording, const QString& target) {
                          voice_differences << target << CompareWithRecording(recording, target);
                          return Status();
                        });
    const std::size_t count = tables_.subscribers().row_count();
    BeginStage(front_end_, announce_, QStringLiteral("Comparing the CSV rows and voice names with the directory"),
               count);
    QSet<QString> named_voice_files;
    for (std::size_t row = 0; row < count; ++row) {
      voice_differences.clear();
      const ReplayedSubscriber now = replay.Replay(row);
      front_end_.SetProgress(static_cast<int>(std::min<std::size_t>(row + 1, INT32_MAX)));
      const QString alias = now.alias.value_or(QString());
      std::optional<qsizetype> found;
      if (now.row && row_of_text.contains(*now.row)) {
        found = row_of_text.value(*now.row);
      } else if (row_of_alias.contains(alias)) {
        found = row_of_alias.value(alias);
      }
      const bool in_csv = found.has_value();
      if (in_csv) accounted[static_cast<size_t>(*found)] = true;
      if (now.row && in_csv) {
        report_.AddToCount(QStringLiteral("rows checked"), 1);
        const QString& written = csv->rows[static_cast<size_t>(*found)];
        if (written != *now.row) CompareFields(alias, columns, written, *now.row);
        for (qsizetype i = 0; i + 1 < voice_differences.size(); i += 2) {
          const QString file = QFileInfo(voice_differences[i]).fileName();
          named_voice_files.insert(file);
          report_.AddToCount(QStringLiteral("voice names checked"), 1);
          const QString& difference = voice_differences[i + 1];
          if (difference.isEmpty()) continue;
          Add(difference == u"missing" ? QStringLiteral("missing-voice-name") : QStringLiteral("altered-voice-name"),
              alias, file, difference == u"missing" ? QStringLiteral("the CSV names it but the folder lacks it")
                                                    : QStringLiteral("the voice name ") + difference);
        }
      } else if (now.row) {
        if (log->skips.contains(alias)) {
          report_.AddToCount(QStringLiteral("skips logged"), 1);
        } else {
          Add(QStringLiteral("unaccounted-subscriber"), alias, QString(),
              log->logged.contains(alias) ? QStringLiteral("no CSV row, and the export log shows no skip")
                                          : QStringLiteral("no CSV row, and the export log does not name it"));
        }
      } else if (in_csv) {
        Add(QStringLiteral("altered-row"), alias, csv_path,
            QStringLiteral("the CSV holds a row the directory now skips: ") + now.skip_line);
      } else if (log->skips.contains(alias)) {
        report_.AddToCount(QStringLiteral("skips logged"), 1);
      } else {
        Add(QStringLiteral("unaccounted-subscriber"), alias, QString(),
            QStringLiteral("skipped now (%1), but the export log shows no skip").arg(now.skip_line));
      }
    }
    for (std::size_t i = 0; i < accounted.size(); ++i) {
      if (accounted[i]) continue;
      Add(QStringLiteral("extra-row"), SplitCsvLine(csv->rows[i]).value(0), csv_path,
          QStringLiteral("line %1 is no subscriber of the directory now").arg(i + 2));
    }
    CheckUnnamedVoiceFiles(named_voice_files, *items);
    return true;
  }

  void CompareFields(const QString& alias, const QStringList& columns, const QString& written, const QString& now) {
    const QStringList written_fields = SplitCsvLine(written);
    const QStringList now_fields = SplitCsvLine(now);
    const qsizetype fields = std::max(written_fields.size(), now_fields.size());
    for (qsizetype i = 0; i < fields; ++i) {
      if (written_fields.value(i) == now_fields.value(i) && i < written_fields.size() && i < now_fields.size()) continue;
      Add(QStringLiteral("altered-row"), alias, export_engine::kCsvFileName,
          QStringLiteral("column %1: the CSV holds \"%2\", the directory gives \"%3\"")
              .arg(columns.value(i, QString::number(i + 1)), written_fields.value(i), now_fields.value(i)));
    }
  }

  // A voice name in the folder that no row names came from no export.
  void CheckUnnamedVoiceFiles(const QSet<QString>& named, const std::vector<export_engine::DataItem>& items) {
    if (std::find(items.begin(), items.end(), export_engine::DataItem::kVoiceName) == items.end()) return;
    const QStringList files = QDir(folder_).entryList({QStringLiteral("*.wav")}, QDir::Files | QDir::Hidden);
    for (const QString& file : files) {
      if (!named.contains(file)) Add(QStringLiteral("extra-voice-name"), QString(), file, QStringLiteral("no CSV row names it"));
    }
  }

  struct OwnerFiles {
    QHash<QByteArray, QStringList> by_digest;  // files not matched yet
    QSet<QByteArray> matched;                   // digests matched at least once
  };

  void CheckMessages() {
    const QString extraction_log_path = export_engine::ExtractionLogPath(folder_.chopped(1));
    QStringList files;
    for (const QString& file : QDir(folder_).entryList({QStringLiteral("*.msg")}, QDir::Files | QDir::Hidden)) {
      if (!IsBookkeeping(file)) files << file;
    }
    const bool has_log = QFileInfo(extraction_log_path).isFile();
    if (files.isEmpty() && !has_log) return;
    std::optional<ExtractionLogContents> log = ReadExtractionLog(extraction_log_path);
    if (!log) {
      Add(QStringLiteral("missing-extraction-log"), QString(), extraction_log_path,
          QStringLiteral("failed messages cannot be explained"));
      log.emplace();
    }
    for (const char* name : {"message files", "new messages", "saved messages", "messages matched"}) {
      report_.SetCount(QString::fromLatin1(name), 0);
    }
    report_.SetCount(QStringLiteral("message files"), files.size());

    // The files are read on a thread of their own while the store is walked:
    // both are mostly reading and digesting audio, and the matching needs both.
    std::future<std::vector<ReadFile>> reading =
        std::async(std::launch::async, [folder = folder_, files] { return ReadMessageFiles(folder, files); });
    std::vector<StoredMailbox> mailboxes;
    QString error;
    const bool walked = WalkMessageStore(
        [this](int count) {
          BeginStage(front_end_, announce_, QStringLiteral("Reading the message store and the message files"),
                     static_cast<std::size_t>(std::max(count, 0)));
        },
        [&](StoredMailbox&& stored) {
          mailboxes.push_back(std::move(stored));
          front_end_.SetProgress(static_cast<int>(mailboxes.size()));
        },
        &error);

    QHash<QString, OwnerFiles> owners;
    for (const ReadFile& read : reading.get()) {
      if (!read.owner) {
        Add(QStringLiteral("extra-message"), QString(), read.file, QStringLiteral("not named as a message file"));
      } else if (!read.audio.damage.isEmpty()) {
        Add(QStringLiteral("damaged-message"), *read.owner, read.file, read.audio.damage);
      } else {
        owners[*read.owner].by_digest[read.audio.digest] << read.file;
      }
    }
    if (!walked) {
      Add(QStringLiteral("unreadable-store"), QString(), QString(), error);
      return;
    }
    for (const StoredMailbox& stored : mailboxes) MatchMailbox(stored, owners, *log);
    for (auto owner = owners.cbegin(); owner != owners.cend(); ++owner) {
      for (auto left = owner->by_digest.cbegin(); left != owner->by_digest.cend(); ++left) {
        const bool duplicate = owner->matched.contains(left.key());
        for (const QString& file : left.value()) {
          Add(duplicate ? QStringLiteral("duplicate-message") : QStringLiteral("extra-message"), owner.key(), file,
              duplicate ? QStringLiteral("a second file of a message already matched")
                        : QStringLiteral("no stored message of its owner has its audio"));
        }
      }
    }
  }

  void MatchMailbox(const StoredMailbox& stored, QHash<QString, OwnerFiles>& owners, ExtractionLogContents& log) {
    if (!stored.failure.isEmpty()) {
      const bool explained = log.failed_subscribers.contains(stored.display_name) || log.unfinished.contains(stored.alias);
      Add(explained ? QString::fromUtf16(kExplained) : QStringLiteral("unreadable-mailbox"), stored.alias, QString(),
          QStringLiteral("the mailbox of %1 cannot be walked: %2").arg(stored.display_name, stored.failure));
    }
    OwnerFiles& files = owners[stored.alias];
    int& failures_logged = log.failed_messages[stored.alias];
    for (const StoredMessage& message : stored.messages) {
      report_.AddToCount(message.saved ? QStringLiteral("saved messages") : QStringLiteral("new messages"), 1);
      if (message.failure.isEmpty()) {
        const auto match = files.by_digest.find(message.digest);
        if (match != files.by_digest.end()) {
          match->removeLast();
          if (match->isEmpty()) files.by_digest.erase(match);
          files.matched.insert(message.digest);
          report_.AddToCount(QStringLiteral("messages matched"), 1);
          continue;
        }
      }
      const QString state = message.saved ? QStringLiteral("saved") : QStringLiteral("new");
      if (failures_logged > 0 || log.unfinished.contains(stored.alias)) {
        if (failures_logged > 0) --failures_logged;
        Add(QString::fromUtf16(kExplained), stored.alias, QString(),
            QStringLiteral("a %1 message has no file; the extraction log reports its failure").arg(state));
      } else {
        Add(QStringLiteral("missing-message"), stored.alias, QString(),
            message.failure.isEmpty()
                ? QStringLiteral("a %1 message has no file with its audio").arg(state)
                : QStringLiteral("a %1 message cannot be read now (%2) and the extraction log reports no failure")
                      .arg(state, message.failure));
      }
    }
  }

  const QString folder_;
  export_engine::TableCache& tables_;
  const std::int64_t subscriber_count_;
  export_engine::ExportFrontEnd& front_end_;
  const Announce& announce_;
  Report report_{QStringLiteral("verify")};
};

}  // namespace

bool IsExplained(const Finding& finding) { return finding.kind == QStringView(kExplained); }

Report VerifyExportFolder(const QString& folder, export_engine::TableCache& tables, std::int64_t subscriber_count,
                          export_engine::ExportFrontEnd& front_end, const Announce& announce) {
  return Verification(folder, tables, subscriber_count, front_end, announce).Run();
}

}  // namespace reconcile
