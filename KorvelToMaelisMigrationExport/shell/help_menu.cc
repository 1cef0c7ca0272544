#include "KorvelToMaelisMigrationExport/shell/help_menu.h"

#include <memory>

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/frm_about.h"
#include "KorvelToMaelisMigrationExport/shell/frm_help.h"
#include "KorvelToMaelisMigrationExport/shell/message_box.h"
#include "KorvelToMaelisMigrationExport/shell/update_check.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace shell {
namespace {

constexpr int kTitle = 53;
constexpr int kCheckForUpdateCaption = 113;

// The update check's messages as message boxes over `owner`.
class MessageBoxUpdateFrontEnd : public UpdateCheckFrontEnd {
 public:
  explicit MessageBoxUpdateFrontEnd(QWidget* owner) : owner_(owner) {}

  // A slow server must not freeze the window: while the page is awaited a
  // small modal window with a Cancel button shows the program at work, and
  // keeps the main window from starting anything else meanwhile.
  void ShowBusy(bool busy) override {
    if (busy) {
      QApplication::setOverrideCursor(Qt::BusyCursor);
      waiting_ = std::make_unique<QProgressDialog>(owner_);
      const QString title = localisation::myLoadResString(kTitle);
      waiting_->setWindowTitle(title);
      // Wide enough for the title bar to show the program's name.
      waiting_->setMinimumWidth(waiting_->fontMetrics().horizontalAdvance(title) * 3 / 2);
      waiting_->setLabelText(localisation::myLoadResString(kCheckForUpdateCaption));
      waiting_->setRange(0, 0);
      waiting_->setWindowModality(Qt::ApplicationModal);
      waiting_->show();
    } else {
      waiting_.reset();
      QApplication::restoreOverrideCursor();
    }
  }
  void OfferToStopWaiting(const std::function<void()>& stop_waiting) override {
    if (waiting_) QObject::connect(waiting_.get(), &QProgressDialog::canceled, waiting_.get(), stop_waiting);
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
  std::unique_ptr<QProgressDialog> waiting_;
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
