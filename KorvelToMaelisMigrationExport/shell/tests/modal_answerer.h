// What the window tests share: an answerer that clicks the window's modal
// dialogs the way an administrator would and records what they showed, a
// stand-in for the desktop's file opener, and a running server with three
// subscribers, a registry, settings and runtime folder of the test's own.
#ifndef KORVEL_EXPORT_SHELL_TESTS_MODAL_ANSWERER_H_
#define KORVEL_EXPORT_SHELL_TESTS_MODAL_ANSWERER_H_

#include <map>
#include <memory>
#include <vector>

#include <QtWidgets>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/shell/frm_main.h"

namespace shell_test {

struct ShownMessage {
  QString title;
  QString text;
  QMessageBox::StandardButtons buttons;
};

class ModalAnswerer {
 public:
  ModalAnswerer();

  // Answers by the string-table id the text starts with; true (OK, Yes) for
  // an id without one.
  std::map<int, bool> answers;
  // What the folder chooser returns; empty cancels it.
  QString folder_to_choose;

  std::vector<ShownMessage> shown;
  // The logs of the progress windows shown modally, which the answerer
  // closes with their close box: no extractor runs beside a window test.
  QStringList followed_extraction_logs;
  // The id each shown text starts with; Prompt::kComposedText for none.
  std::vector<int> ShownIds() const;

 private:
  void AnswerActiveDialog();

  QTimer timer_;
};

// Takes the place of the desktop's program for files while it lives.
class OpenedFiles : public QObject {
  Q_OBJECT
 public:
  OpenedFiles();
  ~OpenedFiles() override;

  QStringList paths;

 public slots:
  void Open(const QUrl& url);
};

template <typename Control>
Control* Find(const QWidget& window, const char* name) {
  auto* control = window.findChild<Control*>(QLatin1StringView(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest();
  ~WindowTest() override;

  // A current, running server whose message store service runs under this
  // user's account, unless `registry` says otherwise.
  void WriteRegistry(export_test::ServerRegistry registry);
  // A window after start-up; `loaded` says whether start-up let it open.
  std::unique_ptr<shell::frmMain> LoadWindow(const QString& command_line = QString(), bool* loaded = nullptr,
                                             shell::MainWindowMenuActions menu_actions = {});

  export_test::TempFolder work_;
  const korvel::test::ScopedEnvironmentVariable lc_all_{"LC_ALL", std::nullopt}, lc_messages_{"LC_MESSAGES", std::nullopt}, lang_{"LANG", std::nullopt};
  const korvel::test::ScopedEnvironmentVariable registry_{"KORVEL_REGISTRY", work_.File("registry.reg").toStdString()};
  const korvel::test::ScopedEnvironmentVariable runtime_folder_{"XDG_RUNTIME_DIR", work_.File("runtime").toStdString()};
  export_test::TestDirectory directory_{work_.File("KorvelDb.sqlite")};
  QString connect_string_ = directory_.connect_string();
  ModalAnswerer answerer_;
};

}  // namespace shell_test

#endif  // KORVEL_EXPORT_SHELL_TESTS_MODAL_ANSWERER_H_
