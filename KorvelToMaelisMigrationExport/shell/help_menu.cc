#include "KorvelToMaelisMigrationExport/shell/help_menu.h"

#include <QApplication>
#include <QMessageBox>

#include "KorvelToMaelisMigrationExport/shell/frm_about.h"
#include "KorvelToMaelisMigrationExport/shell/frm_help.h"
#include "KorvelToMaelisMigrationExport/shell/message_box.h"
#include "KorvelToMaelisMigrationExport/shell/update_check.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace shell {
namespace {

// The update check's messages as message boxes over `owner`.
class MessageBoxUpdateFrontEnd : public UpdateCheckFrontEnd {
 public:
  explicit MessageBoxUpdateFrontEnd(QWidget* owner) : owner_(owner) {}

  void ShowBusy(bool busy) override {
    if (busy) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
  void Notify(const QString& text) override {
    AskInMessageBox(owner_, {export_engine::Prompt::kComposedText, text, export_engine::PromptButtons::kOk});
  }
  bool AskOkCancel(const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok | QMessageBox::Cancel, owner_);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
  }
  void OpenPage(const QUrl& address) override { OpenOnDesktop(owner_, address); }

 private:
  QWidget* owner_;
};

QString ProgramVersionText() {
  const export_engine::ProgramIdentity program = export_program::ThisProgram();
  return QStringLiteral("%1.%2.%3").arg(program.major).arg(program.minor).arg(program.revision);
}

}  // namespace

MainWindowMenuActions HelpMenuActions() {
  MainWindowMenuActions actions;
  actions.help = [] {
    frmHelp help(QApplication::activeWindow());
    help.exec();
  };
  actions.about = [] {
    frmAbout about(QApplication::activeWindow());
    about.exec();
  };
  actions.check_for_update = [] {
    MessageBoxUpdateFrontEnd front_end(QApplication::activeWindow());
    CheckForUpdate(front_end, ProgramVersionText());
  };
  return actions;
}

}  // namespace shell
