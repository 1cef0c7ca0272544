// The main window's Help menu: the help page, the About window and the update
// check, each over whichever window is active when it is chosen.
#ifndef KORVEL_EXPORT_SHELL_HELP_MENU_H_
#define KORVEL_EXPORT_SHELL_HELP_MENU_H_

#include "KorvelToMaelisMigrationExport/shell/frm_main.h"

namespace shell {

MainWindowMenuActions HelpMenuActions();

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_HELP_MENU_H_
