#include "KorvelToMaelisMigrationExport/shell/window_mode.h"

#include <QApplication>
#include <QSocketNotifier>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/frm_main.h"
#include "KorvelToMaelisMigrationExport/shell/help_menu.h"
#include "KorvelToMaelisMigrationExport/shell/message_box.h"
#include "KorvelToMaelisMigrationExport/startup.h"
#include "platform/interrupt/interrupt.h"

namespace shell {

int RunMainWindow(const export_program::CommandLine& command_line) {
  localisation::SetStringTableNoticeReceiver([](const QString& notice) {
    AskInMessageBox(QApplication::activeWindow(), {export_engine::Prompt::kComposedText, notice});
  });
  frmMain window(HelpMenuActions());
  // A stop signal ends an export at its next subscriber (the run looks for
  // it), closing a window the run waits on; without a run, the program.
  interrupt::InstallHandlers();
  QSocketNotifier stop(interrupt::WakeDescriptor(), QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, &window, [&window, &stop] {
    stop.setEnabled(false);
    if (QWidget* waited_on = QApplication::activeModalWidget()) waited_on->close();
    if (!window.exporting()) window.ExitApplication(interrupt::ExitStatusFor(interrupt::PendingSignal()));
  });
  if (!window.Load(export_program::ChooseConnectString(command_line.connect), command_line.text)) {
    return window.exit_code();
  }
  window.show();
  const int status = QApplication::exec();
  return window.exit_code() != 0 ? window.exit_code() : status;
}

}  // namespace shell
