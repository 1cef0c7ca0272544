#include "KorvelToMaelisMigrationExport/shell/message_box.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace shell {
namespace {

constexpr int kProgramTitle = 53;
constexpr int kNothingOpensIt = 134;

}  // namespace

bool AskInMessageBox(QWidget* parent, const export_engine::Prompt& prompt) {
  QMessageBox box(parent);
  box.setWindowTitle(localisation::myLoadResString(kProgramTitle));
  box.setText(prompt.text);
  QMessageBox::StandardButton yes = QMessageBox::Ok;
  switch (prompt.buttons) {
    case export_engine::PromptButtons::kOk:
      box.setIcon(QMessageBox::Information);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case export_engine::PromptButtons::kOkCancel:
      box.setIcon(QMessageBox::Information);
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case export_engine::PromptButtons::kYesNo:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      yes = QMessageBox::Yes;
      break;
  }
  box.setDefaultButton(yes);
  return box.exec() == yes;
}

void OpenOnDesktop(QWidget* parent, const QUrl& address) {
  if (QDesktopServices::openUrl(address)) return;
  const QString named = address.isLocalFile() ? address.toLocalFile() : address.toString();
  AskInMessageBox(parent, {kNothingOpensIt, localisation::myLoadResString(kNothingOpensIt) + named,
                           export_engine::PromptButtons::kOk});
}

}  // namespace shell
