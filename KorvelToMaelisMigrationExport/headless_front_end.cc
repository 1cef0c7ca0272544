#include "KorvelToMaelisMigrationExport/headless_front_end.h"

#include <algorithm>
#include <utility>

#include <QByteArray>
#include <QRegularExpression>

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

using std::chrono::steady_clock;

constexpr int kBarWidth = 30;
// Often enough for the rate and the time left to move, seldom enough not to
// flicker.
constexpr std::chrono::milliseconds kLeastRedrawInterval{250};

template <typename... Args>
QByteArray Format(const char* format, Args... args) {
  return QString::asprintf(format, args...).toLatin1();
}

// "[#######.......]" for `done` of `total`.
QByteArray BarOf(int done, int total) {
  const int filled = total > 0 ? static_cast<int>(static_cast<long long>(done) * kBarWidth / total) : 0;
  return '[' + QByteArray(filled, '#') + QByteArray(kBarWidth - filled, '.') + ']';
}

// "12:34", or "1:02:03" from an hour on.
QByteArray DurationText(long long seconds) {
  if (seconds >= 3600) {
    return Format("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return Format("%lld:%02lld", seconds / 60, seconds % 60);
}

// The time the rest takes at the rate so far; unknown before anything is done.
QByteArray TimeLeftText(int done, int total, steady_clock::duration elapsed) {
  if (done <= 0 || elapsed <= steady_clock::duration::zero()) return "--:-- left";
  const double seconds = std::chrono::duration<double>(elapsed).count() * (total - done) / done;
  return DurationText(static_cast<long long>(seconds + 0.5)) + " left";
}

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

HeadlessFrontEnd::HeadlessFrontEnd(std::FILE* err, HeadlessAnswers answers, bool progress_bar, Clock clock)
    : err_(err), answers_(answers), progress_bar_(progress_bar), clock_(std::move(clock)) {}

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
  if (running) {
    export_started_ = clock_();
  } else {
    EndProgressBar();
  }
}

// The bar takes the terminal's last line; "\e[K" clears what a longer bar
// before it left there.
void HeadlessFrontEnd::DrawBar(const QByteArray& bar) {
  std::fprintf(err_, "\r%s\x1b[K", bar.constData());
  std::fflush(err_);
  bar_ = bar;
  bar_drawn_ = clock_();
}

void HeadlessFrontEnd::ClearBar() {
  if (bar_.isEmpty()) return;
  std::fputs("\r\x1b[K", err_);
  bar_.clear();
}

void HeadlessFrontEnd::EndProgressBar() {
  if (bar_.isEmpty()) return;
  std::fputc('\n', err_);
  std::fflush(err_);
  bar_.clear();
}

void HeadlessFrontEnd::SetProgress(int value) {
  if (progress_maximum_ <= 0) return;
  const int percent = static_cast<int>(static_cast<long long>(value) * 100 / progress_maximum_);
  if (progress_bar_) {
    // Redrawn when it changes or its rate may have: a large directory has
    // many more subscribers than the bar has places.
    const steady_clock::time_point now = clock_();
    if (percent == shown_percent_ && value != progress_maximum_ && now - bar_drawn_ < kLeastRedrawInterval) return;
    const steady_clock::duration elapsed = now - export_started_;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const QByteArray rate = seconds > 0 ? QByteArray::number(value / seconds, 'f', 1) : QByteArray("--");
    DrawBar(BarOf(value, progress_maximum_) +
            Format(" %3d%% %d/%d  %s/s  ", percent, value, progress_maximum_, rate.constData()) +
            TimeLeftText(value, progress_maximum_, elapsed));
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
        ClearBar();
        std::fprintf(err_, "%s\n", line.toLocal8Bit().constData());
        std::fflush(err_);
      },
      [this](const QString& added) { EchoExtractionLog(added); });
  if (!partial_log_line_.isEmpty()) EchoExtractionLog(QStringLiteral("\n"));
  if (!bar_.isEmpty() && extraction_monitor_.end() == monitor::MonitoringEnd::kEndMarker) {
    DrawBar(BarOf(subscribers_, subscribers_) + Format(" %d/%d subscribers", subscribers_, subscribers_));
  }
  EndProgressBar();
}

// On a terminal the log goes by a whole line at a time, above the bar of the
// subscribers done; elsewhere as it comes.
void HeadlessFrontEnd::EchoExtractionLog(const QString& added) {
  if (!progress_bar_) {
    std::fputs(added.toLocal8Bit().constData(), err_);
    std::fflush(err_);
    return;
  }
  partial_log_line_ += added;
  const qsizetype end_of_lines = partial_log_line_.lastIndexOf(QLatin1Char('\n')) + 1;
  if (end_of_lines == 0) return;
  const QString lines = partial_log_line_.first(end_of_lines);
  partial_log_line_.remove(0, end_of_lines);

  static const QRegularExpression subscriber_line(
      QStringLiteral("Extracting messages for subscriber (\\d+) of (\\d+)"));
  QRegularExpressionMatchIterator found = subscriber_line.globalMatch(lines);
  while (found.hasNext()) {
    const QRegularExpressionMatch match = found.next();
    if (subscribers_ == 0) extraction_started_ = clock_();
    subscriber_ = match.captured(1).toInt();
    subscribers_ = match.captured(2).toInt();
  }
  ClearBar();
  std::fputs(lines.toLocal8Bit().constData(), err_);
  if (subscribers_ > 0) {
    // The subscriber named last is the one in progress.
    const int done = std::clamp(subscriber_ - 1, 0, subscribers_);
    DrawBar(BarOf(done, subscribers_) + Format(" %d/%d subscribers  ", done, subscribers_) +
            TimeLeftText(done, subscribers_, clock_() - extraction_started_));
  }
  std::fflush(err_);
}

bool HeadlessFrontEnd::StartHiddenProgram(const QString& program, const QStringList& arguments) {
  return monitor::StartHiddenProgram(program, arguments);
}

}  // namespace export_program
