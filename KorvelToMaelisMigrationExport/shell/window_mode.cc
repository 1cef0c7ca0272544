#include "KorvelToMaelisMigrationExport/shell/window_mode.h"

#include <QApplication>

#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/frm_main.h"
#include "KorvelToMaelisMigrationExport/shell/help_menu.h"
#include "KorvelToMaelisMigrationExport/shell/message_box.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace shell {

int RunMainWindow(const export_program::CommandLine& command_line) {
  localisation::SetStringTableNoticeReceiver([](const QString& notice) {
    AskInMessageBox(QApplication::activeWindow(), {export_engine::Prompt::kComposedText, notice});
  });
  frmMain window(HelpMenuActions());
  if (!window.Load(export_program::ChooseConnectString(command_line.connect), command_line.text)) {
    return window.exit_code();
  }
  window.show();
  return QApplication::exec();
}

}  // namespace shell
