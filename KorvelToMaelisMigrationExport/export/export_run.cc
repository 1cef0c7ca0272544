#include "KorvelToMaelisMigrationExport/export/export_run.h"

#include <algorithm>
#include <limits>
#include <vector>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "KorvelToMaelisMigrationExport/export/csv_file.h"
#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/export/error_numbers.h"
#include "KorvelToMaelisMigrationExport/export/file_operations.h"
#include "KorvelToMaelisMigrationExport/export/message_extraction_launch.h"
#include "KorvelToMaelisMigrationExport/export/output_paths.h"
#include "KorvelToMaelisMigrationExport/export/subscriber_rows.h"
#include "KorvelToMaelisMigrationExport/export/voice_names.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "platform/files/folder_lock.h"
#include "platform/files/output_file.h"
#include "platform/interrupt/interrupt.h"

namespace export_engine {
namespace {

using localisation::myLoadResString;

constexpr int kErrorsEncountered = 1;

constexpr char16_t kServerKey[] = u"Software\\Halvern\\Trellium\\1.0";
constexpr char16_t kRootPathValue[] = u"Root Path";

bool Ask(ExportFrontEnd& front_end, int text_id, PromptButtons buttons) {
  return front_end.Ask({text_id, myLoadResString(text_id), buttons});
}

// The export's own files.
class FileRowSink : public RowSink {
 public:
  explicit FileRowSink(CsvFile& csv) : csv_(csv) {}
  Status WriteRow(QStringView line) override { return csv_.WriteLine(line); }
  Status CarryVoiceName(int recording, const QString& target) override { return CopyRecording(recording, target); }

 private:
  CsvFile& csv_;
};

void WriteHeaderRow(const std::vector<DataItem>& items, CsvFile& csv, ExportLog& log) {
  const Status written = csv.WriteLine(HeaderRow(items));
  if (!written.ok()) log.WriteLogLine(written.RunLogLine());
}

// The closing summary and the offers to open the files written.
void OfferProducedFiles(const ExportRequest& request, const RunResult& result, ExportFrontEnd& front_end) {
  const QString summary =
      myLoadResString(kOutputComplete) + SignedNumberText(result.error_count) + myLoadResString(kErrorsEncountered);
  if (front_end.Ask({kOutputComplete, summary, PromptButtons::kOkCancel})) front_end.OpenProducedFile(result.log_path);
  if (request.include_messages && Ask(front_end, kViewExtractionLog, PromptButtons::kOkCancel)) {
    front_end.OpenProducedFile(result.extraction_log_path);
  }
  if (Ask(front_end, kViewCsvFile, PromptButtons::kYesNo)) front_end.OpenProducedFile(result.csv_path);
}

// The server's root folder must be there for the voice names below it to be
// found; without it every one would be missing without a word.
Status CheckRootPath(const QString& root_path) {
  const QString value = QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString::fromUtf16(kServerKey) +
                        QStringLiteral(" \"") + QString::fromUtf16(kRootPathValue) + QLatin1Char('"');
  if (root_path.isEmpty()) {
    return Status::Failure(QStringLiteral("The registry value %1 is missing: no voice name below it can be found")
                               .arg(value),
                           QString::fromLatin1(kProgramSource), error_number::kPathNotFound);
  }
  if (!QFileInfo(root_path).isDir()) {
    return Status::Failure(
        QStringLiteral("The registry value %1 names %2, which is not a folder: no voice name below it can be found")
            .arg(value, root_path),
        QString::fromLatin1(kProgramSource), error_number::kPathNotFound);
  }
  return Status();
}

// Removes what a killed run left under the temporary names of this run's
// files: the CSV file's and the voice names'.
void RemoveLeftoverPartials(const QString& output_folder, const QString& csv_name) {
  const std::string csv = QFile::encodeName(csv_name).toStdString();
  const std::string voice_name = QString::fromUtf16(kVoiceNameSuffix).toStdString();
  files::RemoveLeftoverPartials(QFile::encodeName(output_folder).toStdString(), [&](std::string_view name) {
    return name == csv || name.ends_with(voice_name);
  });
}

// Whether a stop signal has come; if so, the log's last line says so.
bool StopRequested(ExportLog& log, RunResult& result) {
  const int signal = interrupt::PendingSignal();
  if (signal == 0) return false;
  result.interrupted_by = signal;
  const QString name = QString::fromStdString(interrupt::SignalName(signal));
  log.WriteLogLine(Status::Failure(QStringLiteral("Export interrupted by %1").arg(name),
                                   QString::fromLatin1(kProgramSource), error_number::kUserInterrupt)
                       .RunLogLine());
  return true;
}

// An interrupted run's files: the log closed with its count, a CSV file not
// yet committed gone with the run.
RunResult& EndInterrupted(ExportLog& log, ExportFrontEnd& front_end, RunResult& result) {
  front_end.ShowRunning(false);
  log.CloseExportLog();
  result.error_count = log.error_count();
  return result;
}

}  // namespace

bool RequestPassesChecks(const ExportRequest& request, ExportFrontEnd& front_end, bool clear_earlier_export) {
  const auto& entries = request.data_items;
  if (std::none_of(entries.begin(), entries.end(), [](const DataItemEntry& entry) { return entry.ticked; })) {
    Ask(front_end, kNoItemsSelected, PromptButtons::kOk);
    return false;
  }
  if (request.output_path.isEmpty()) {
    Ask(front_end, kNoOutputFolder, PromptButtons::kOk);
    return false;
  }
  // The labels of the language loaded now: the list shows them.
  for (const DataItemEntry& entry : entries) {
    const std::optional<DataItem> item = DataItemForLabel(entry.label);
    if (item && DataItemInfoOf(*item).required && !entry.ticked) {
      Ask(front_end, kRequiredItemMissing, PromptButtons::kOk);
      return false;
    }
  }
  const QString output_folder = OutputFolder(request.output_path);
  if (QFileInfo(output_folder + QLatin1StringView(kCsvFileName)).isFile()) {
    if (!Ask(front_end, kOverwriteEarlierExportQuestion, PromptButtons::kYesNo)) return false;
    if (clear_earlier_export) RemoveMessageFiles(output_folder, request.include_messages, front_end);
  }
  if (request.include_messages && !front_end.RunningAccountIsMessageStoreFacing() &&
      !Ask(front_end, kAccountMayNotReadMailboxesQuestion, PromptButtons::kYesNo)) {
    return false;
  }
  return true;
}

std::vector<DataItem> TickedItems(const ExportRequest& request) {
  std::vector<DataItem> items;
  for (const DataItemEntry& entry : request.data_items) {
    if (!entry.ticked) continue;
    if (const std::optional<DataItem> item = DataItemForLabel(entry.label)) items.push_back(*item);
  }
  return items;
}

QString HeaderRow(const std::vector<DataItem>& items) {
  QString line;
  for (DataItem item : items) {
    for (const char16_t* name : DataItemInfoOf(item).header_names) AppendCsvField(line, QStringView(name));
  }
  EndCsvLine(line);
  return line;
}

QString ServerRootPath(ExportFrontEnd& front_end) {
  return front_end.ReadMachineString(QString::fromUtf16(kServerKey), QString::fromUtf16(kRootPathValue));
}

QString GeneralDateTimeNow() {
  const QLocale locale = QLocale::system();
  const QDateTime now = QDateTime::currentDateTime();
  // The long time format names the time zone, which the log does without.
  QString time_format = locale.timeFormat(QLocale::LongFormat);
  time_format.remove(QLatin1Char('t'));
  return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         locale.toString(now.time(), time_format.trimmed());
}

RunResult RunExport(const ExportRequest& request, ExportEnvironment& environment, ExportFrontEnd& front_end) {
  RunResult result;
  // One writer per folder, from before an earlier export is cleared until
  // the extractor this run starts has ended. A folder where no lock file can
  // be made cannot take the export either; its writes fail and are logged.
  files::FolderLock lock;
  if (!request.output_path.isEmpty() &&
      lock.Acquire(QFile::encodeName(OutputFolder(request.output_path)).toStdString()) ==
          files::FolderLock::Result::kHeldElsewhere) {
    front_end.Ask({kOutputFolderInUse, myLoadResString(kOutputFolderInUse).arg(OutputFolder(request.output_path)),
                   PromptButtons::kOk});
    result.folder_in_use = true;
    return result;
  }
  if (!RequestPassesChecks(request, front_end, true)) return result;

  front_end.SaveSettings(request.output_path);

  const QString output_folder = OutputFolder(request.output_path);
  const QString log_folder = LogFolder(request.output_path);
  result.csv_path = QFileInfo(request.output_path).absoluteFilePath();
  result.log_path = ExportLogPath(log_folder);
  if (request.include_messages) result.extraction_log_path = ExtractionLogPath(log_folder);

  front_end.ShowRunning(true);
  int progress = 0;
  front_end.SetProgress(progress);
  // A file that cannot be deleted here makes the creation below fail.
  DeleteFileWithoutForcing(request.output_path);
  RemoveLeftoverPartials(output_folder, QFileInfo(request.output_path).fileName());

  // From here on a failing step writes one "(error) in export." line and the
  // run goes on with the next one. The log is not open yet when the CSV file
  // is created, so that failure shows in the log through every failed write.
  CsvFile csv;
  csv.Create(request.output_path);
  ExportLog log([&front_end] { front_end.Yield(); });
  log.OpenExportLog(result.log_path, false, environment.program);
  log.WriteLogLine(QStringLiteral("Starting export: ") + GeneralDateTimeNow());
  log.WriteLogLine(u"");
  const QString root_path = ServerRootPath(front_end);

  const std::vector<DataItem> items = TickedItems(request);
  WriteHeaderRow(items, csv, log);
  if (std::find(items.begin(), items.end(), DataItem::kVoiceName) != items.end()) {
    if (const Status root = CheckRootPath(root_path); !root.ok()) log.WriteLogLine(root.RunLogLine());
  }

  FileRowSink sink(csv);
  SubscriberRows rows(environment.tables, items, root_path, output_folder, log, sink);
  const std::size_t subscriber_count = environment.tables.subscribers().row_count();
  const int progress_maximum =
      static_cast<int>(std::clamp<std::int64_t>(environment.subscriber_count, 0, std::numeric_limits<int>::max()));
  for (std::size_t row = 0; row < subscriber_count; ++row) {
    if (StopRequested(log, result)) return EndInterrupted(log, front_end, result);
    rows.Export(row);
    if (progress < progress_maximum) front_end.SetProgress(++progress);
  }
  if (StopRequested(log, result)) return EndInterrupted(log, front_end, result);

  // The rows are whole before the messages start, which may take hours.
  const Status committed = csv.Commit();
  if (!committed.ok()) log.WriteLogLine(committed.RunLogLine());

  if (request.include_messages) {
    LaunchMessageExtraction(log_folder, QCoreApplication::applicationDirPath(), log, front_end, &lock);
    // The extractor goes on by itself.
    if (StopRequested(log, result)) return EndInterrupted(log, front_end, result);
  }

  log.WriteLogLine(u"");
  log.WriteLogLine(QStringLiteral("Export complete: ") + GeneralDateTimeNow());
  front_end.ShowRunning(false);
  log.CloseExportLog();

  result.reached_end = true;
  result.error_count = log.error_count();
  if (request.started_with_arguments) {
    result.ends_program = true;
    return result;
  }
  OfferProducedFiles(request, result, front_end);
  return result;
}

}  // namespace export_engine
