#include "KorvelToMaelisMigrationExport/shell/tests/modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/monitor/frm_message_extraction_progress.h"

namespace shell_test {
namespace {

// The ids of every notice and question the window can show.
constexpr int kMessageIds[] = {18, 20, 26, 36, 39, 63, 102, 112, 126, 128, 129, 131, 132, 133};

int IdOfText(const QString& text) {
  int id = -1;
  qsizetype matched = 0;
  for (int candidate : kMessageIds) {
    const QString start = localisation::myLoadResString(candidate);
    if (start.size() > matched && text.startsWith(start)) {
      id = candidate;
      matched = start.size();
    }
  }
  return id;
}

}  // namespace

ModalAnswerer::ModalAnswerer() {
  timer_.setInterval(5);
  QObject::connect(&timer_, &QTimer::timeout, [this] { AnswerActiveDialog(); });
  timer_.start();
}

std::vector<int> ModalAnswerer::ShownIds() const {
  std::vector<int> ids;
  for (const ShownMessage& message : shown) ids.push_back(IdOfText(message.text));
  return ids;
}

bool ModalAnswerer::AnswerFor(const QString& text) const {
  const auto answer = answers.find(IdOfText(text));
  return answer == answers.end() || answer->second;
}

void ModalAnswerer::AnswerActiveDialog() {
  QWidget* modal = QApplication::activeModalWidget();
  if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && box->isVisible()) {
    shown.push_back({box->windowTitle(), box->text(), box->standardButtons()});
    const bool yes = AnswerFor(box->text());
    const QMessageBox::StandardButtons buttons = box->standardButtons();
    QMessageBox::StandardButton button = QMessageBox::Ok;
    if (buttons & QMessageBox::Yes) button = yes ? QMessageBox::Yes : QMessageBox::No;
    if (buttons & QMessageBox::Cancel) button = yes ? QMessageBox::Ok : QMessageBox::Cancel;
    box->button(button)->click();
  } else if (auto* progress = dynamic_cast<monitor::frmMessageExtractionProgress*>(modal);
             progress != nullptr && progress->isVisible()) {
    followed_extraction_logs << progress->monitor().log_file_path();
    progress->close();
  } else if (auto* chooser = qobject_cast<QFileDialog*>(modal); chooser != nullptr && chooser->isVisible()) {
    if (folder_to_choose.isEmpty()) {
      chooser->reject();
    } else {
      chooser->setDirectory(folder_to_choose);
      static_cast<QDialog*>(chooser)->accept();  // the file dialog's own accept, which is not public
    }
  }
}

OpenedFiles::OpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }

OpenedFiles::~OpenedFiles() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

void OpenedFiles::Open(const QUrl& url) { paths << url.toLocalFile(); }

}  // namespace shell_test
