#include "KorvelToMaelisMigrationExport/shell/message_box.h"

#include <QMessageBox>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace shell {
namespace {

constexpr int kProgramTitle = 53;

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

}  // namespace shell
