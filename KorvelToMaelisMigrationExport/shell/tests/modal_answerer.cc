#include "KorvelToMaelisMigrationExport/shell/tests/modal_answerer.h"


#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/monitor/cls_wks.h"
#include "KorvelToMaelisMigrationExport/monitor/frm_message_extraction_progress.h"

namespace shell_test {
namespace {

// Beyond the largest id of the built-in table.
constexpr int kIdsToSearch = 1000;

// The id whose text, in the current language, is the longest start of `text`.
int IdOfText(const QString& text) {
  int id = export_engine::Prompt::kComposedText;
  qsizetype matched = 0;
  for (int candidate = 0; candidate < kIdsToSearch; ++candidate) {
    if (localisation::BuiltInString(candidate).isNull()) continue;
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

void ModalAnswerer::AnswerActiveDialog() {
  QWidget* modal = QApplication::activeModalWidget();
  if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && box->isVisible()) {
    shown.push_back({box->windowTitle(), box->text(), box->standardButtons()});
    const auto answer = answers.find(IdOfText(box->text()));
    const bool yes = answer == answers.end() || answer->second;
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

WindowTest::WindowTest() {
  QDir().mkpath(work_.File("runtime"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work_.File("config"));
  WriteRegistry({});
  for (int i = 1; i <= 3; ++i) {
    directory_.AddCompleteSubscriber({.id = QStringLiteral("S%1").arg(i), .alias = QStringLiteral("user%1").arg(i),
                                      .dtmf_access_id = QStringLiteral("100%1").arg(i)});
  }
}

WindowTest::~WindowTest() {
  localisation::SetLanguageLibrary(nullptr);
  localisation::SetCurrentLanguageId(0);
}

void WindowTest::WriteRegistry(export_test::ServerRegistry registry) {
  if (!registry.server_state) registry.server_state = 32;
  if (registry.root_path.isEmpty()) registry.root_path = work_.path() + "/";
  if (registry.service_account.isEmpty()) registry.service_account = "CORP\\" + monitor::clsWKS().UserName();
  export_test::WriteServerRegistry(work_.File("registry.reg"), registry);
}

std::unique_ptr<shell::frmMain> WindowTest::LoadWindow(const QString& command_line, bool* loaded,
                                                       shell::MainWindowMenuActions menu_actions) {
  auto window = std::make_unique<shell::frmMain>(std::move(menu_actions));
  const bool ready = window->Load(connect_string_, command_line);
  if (loaded != nullptr) *loaded = ready;
  return window;
}

}  // namespace shell_test
