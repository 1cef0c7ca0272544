// Answers the window's modal dialogs the way an administrator would click
// them, and records what they showed; catches the files the window asks the
// desktop to open; and finds a window's controls by name.
#ifndef KORVEL_EXPORT_SHELL_TESTS_MODAL_ANSWERER_H_
#define KORVEL_EXPORT_SHELL_TESTS_MODAL_ANSWERER_H_

#include <map>
#include <vector>

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

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
  // The id each shown text starts with; -1 for a text from no id.
  std::vector<int> ShownIds() const;

 private:
  void AnswerActiveDialog();
  bool AnswerFor(const QString& text) const;

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

}  // namespace shell_test

#endif  // KORVEL_EXPORT_SHELL_TESTS_MODAL_ANSWERER_H_
