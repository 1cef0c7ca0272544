#include "KorvelToMaelisMigrationExport/monitor/frm_message_extraction_progress.h"

#include <utility>

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "KorvelToMaelisMigrationExport/shell/main_window_layout.h"

namespace monitor {
namespace {

constexpr int kDesignWidthTwips = 8265;
constexpr int kDesignHeightTwips = 4530;
constexpr int kLeastSizeTwips = 1000;

}  // namespace

frmMessageExtractionProgress::frmMessageExtractionProgress(QWidget* parent, ExtractionMonitor::LogReader reader,
                                                           Clock clock)
    : QDialog(parent), monitor_(std::move(reader)), clock_(std::move(clock)) {
  setObjectName(QStringLiteral("frmMessageExtractionProgress"));
  // A fixed caption: the window is the same in every language.
  setWindowTitle(QStringLiteral("Message Extraction Progress"));
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);

  rtOutput_ = new QPlainTextEdit(this);
  rtOutput_->setObjectName(QStringLiteral("rtOutput"));
  rtOutput_->setReadOnly(true);
  rtOutput_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(rtOutput_);

  resize(Pixels(kDesignWidthTwips), Pixels(kDesignHeightTwips));
  setMinimumSize(Pixels(kLeastSizeTwips), Pixels(kLeastSizeTwips));

  Timer1_ = new QTimer(this);
  Timer1_->setObjectName(QStringLiteral("Timer1"));
  Timer1_->setInterval(ExtractionMonitor::kTickInterval);
  connect(Timer1_, &QTimer::timeout, this, &frmMessageExtractionProgress::Timer1_Timer);
}

frmMessageExtractionProgress::~frmMessageExtractionProgress() = default;

int frmMessageExtractionProgress::Pixels(int twips) const { return shell::TwipsToPixels(twips, logicalDpiX()); }

void frmMessageExtractionProgress::EnableTimer1() {
  monitor_.EnableTimer(clock_());
  Timer1_->start();
}

void frmMessageExtractionProgress::ShowModal() {
  if (!monitor_.timer_enabled()) return;
  exec();
}

void frmMessageExtractionProgress::Timer1_Timer() {
  const bool changed = monitor_.Tick(clock_(), [this](QStringView line) { WriteLogLine(line); });
  if (changed) ShowText();
  if (!monitor_.timer_enabled()) {
    Timer1_->stop();
    accept();
  }
}

void frmMessageExtractionProgress::reject() {
  monitor_.CloseByHand([this](QStringView line) { WriteLogLine(line); });
  Timer1_->stop();
  QDialog::reject();
}

void frmMessageExtractionProgress::ShowText() {
  // The text box keeps its lines apart with line feeds alone.
  QString text = monitor_.text();
  text.remove(QLatin1Char('\r'));
  if (text.startsWith(shown_text_) && !shown_text_.isEmpty()) {
    // A growing log: only its new end goes into the box, so a long log does
    // not have to be laid out again ten times a second.
    QTextCursor end(rtOutput_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text.sliced(shown_text_.size()));
  } else {
    rtOutput_->setPlainText(text);
  }
  shown_text_ = std::move(text);

  // The caret before the last character keeps the end of the log in view.
  QTextCursor caret(rtOutput_->document());
  caret.setPosition(static_cast<int>(shown_text_.isEmpty() ? 0 : shown_text_.size() - 1));
  rtOutput_->setTextCursor(caret);
  rtOutput_->ensureCursorVisible();
}

void frmMessageExtractionProgress::WriteLogLine(QStringView line) const {
  if (write_log_line_) write_log_line_(line);
}

}  // namespace monitor
