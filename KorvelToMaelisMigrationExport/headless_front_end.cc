#include "KorvelToMaelisMigrationExport/headless_front_end.h"

#include <QByteArray>

#include "KorvelToMaelisMigrationExport/export/export_log.h"
#include "KorvelToMaelisMigrationExport/monitor/account_check.h"
#include "KorvelToMaelisMigrationExport/monitor/console_follower.h"
#include "KorvelToMaelisMigrationExport/monitor/program_start.h"
#include "KorvelToMaelisMigrationExport/shell/registry_api.h"
#include "KorvelToMaelisMigrationExport/shell/settings.h"

namespace export_program {
namespace {

using export_engine::Prompt;
using export_engine::PromptButtons;

constexpr int kBarWidth = 40;

const char* ButtonsText(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::kOk:
      return "OK";
    case PromptButtons::kOkCancel:
      return "OK/Cancel";
    case PromptButtons::kYesNo:
      return "Yes/No";
  }
  return "";
}

const char* AnswerText(PromptButtons buttons, bool yes) {
  if (buttons == PromptButtons::kYesNo) return yes ? "Yes" : "No";
  return yes ? "OK" : "Cancel";
}

}  // namespace

HeadlessFrontEnd::HeadlessFrontEnd(std::FILE* err, HeadlessAnswers answers, bool progress_bar)
    : err_(err), answers_(answers), progress_bar_(progress_bar) {}

bool HeadlessFrontEnd::AnswerFor(const Prompt& prompt) const {
  switch (prompt.buttons) {
    case PromptButtons::kOk:
      return true;
    case PromptButtons::kOkCancel:
      return false;  // nothing is opened on a console
    case PromptButtons::kYesNo:
      if (prompt.text_id == export_engine::kOverwriteEarlierExportQuestion) return answers_.overwrite;
      if (prompt.text_id == export_engine::kAccountMayNotReadMailboxesQuestion) return answers_.accept_account;
      return false;
  }
  return false;
}

bool HeadlessFrontEnd::Ask(const Prompt& prompt) {
  const bool answer = AnswerFor(prompt);
  EndProgressBar();
  std::fprintf(err_, "%s [%s] %s\n", prompt.text.toLocal8Bit().constData(), ButtonsText(prompt.buttons),
               AnswerText(prompt.buttons, answer));
  std::fflush(err_);
  return answer;
}

void HeadlessFrontEnd::ShowRunning(bool running) {
  if (!running) EndProgressBar();
}

void HeadlessFrontEnd::EndProgressBar() {
  if (!bar_open_) return;
  std::fputc('\n', err_);
  std::fflush(err_);
  bar_open_ = false;
}

void HeadlessFrontEnd::SetProgress(int value) {
  if (progress_maximum_ <= 0) return;
  const int percent = static_cast<int>(static_cast<long long>(value) * 100 / progress_maximum_);
  if (progress_bar_) {
    // Redrawn only when it changes: a large directory has many more
    // subscribers than the bar has places.
    if (percent == shown_percent_ && value != progress_maximum_) return;
    const int filled = static_cast<int>(static_cast<long long>(value) * kBarWidth / progress_maximum_);
    std::fprintf(err_, "\r[%s%s] %3d%% %d/%d", QByteArray(filled, '#').constData(),
                 QByteArray(kBarWidth - filled, '.').constData(), percent, value, progress_maximum_);
    bar_open_ = true;
  } else {
    // A line for every tenth of the way, and one at the end.
    if (percent / 10 == shown_percent_ / 10 && value != progress_maximum_) return;
    if (value == 0) return;
    std::fprintf(err_, "progress: %d/%d (%d%%)\n", value, progress_maximum_, percent);
  }
  shown_percent_ = percent;
  std::fflush(err_);
}

// A console has no window that needs to repaint between two log lines.
void HeadlessFrontEnd::Yield() {}

void HeadlessFrontEnd::SaveSettings(const QString& output_path) { shell::SaveOutputFolderSetting(output_path); }

// A headless run always has command-line text, so the run ends without
// offering its files; were one offered, naming it is all a console can do.
void HeadlessFrontEnd::OpenProducedFile(const QString& path) {
  std::fprintf(err_, "open: %s\n", path.toLocal8Bit().constData());
}

QString HeadlessFrontEnd::ReadMachineString(const QString& key_path, const QString& value_name) {
  return shell::ReadMachineString(key_path, value_name);
}

bool HeadlessFrontEnd::RunningAccountIsMessageStoreFacing() {
  return monitor::bCheckIfRunningAccountIsMessageStoreFacing();
}

void HeadlessFrontEnd::PrepareExtractionProgress(const QString& extraction_log_path) {
  extraction_monitor_.SetLogFilePath(extraction_log_path);
  extraction_monitor_.EnableTimer(monitor::SteadyClockNow());
}

// The extraction log scrolls by on standard error; a line the monitoring
// writes into the export log shows there too, since it tells why the
// following ended early.
void HeadlessFrontEnd::ShowExtractionProgress(export_engine::ExportLog& log) {
  EndProgressBar();
  std::fprintf(err_, "Following the message extraction log %s\n",
               extraction_monitor_.log_file_path().toLocal8Bit().constData());
  std::fflush(err_);
  monitor::FollowOnConsole(
      extraction_monitor_,
      [this, &log](QStringView line) {
        log.WriteLogLine(line);
        std::fprintf(err_, "%s\n", line.toLocal8Bit().constData());
        std::fflush(err_);
      },
      err_);
}

bool HeadlessFrontEnd::StartHiddenProgram(const QString& program, const QStringList& arguments) {
  return monitor::StartDetachedProgram(program, arguments, monitor::WindowStyle::kHidden);
}

}  // namespace export_program
