// The window's notices and questions: modal message boxes with the program's
// title and the buttons the prompt names.
#ifndef KORVEL_EXPORT_SHELL_MESSAGE_BOX_H_
#define KORVEL_EXPORT_SHELL_MESSAGE_BOX_H_

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"

class QUrl;
class QWidget;

namespace shell {

// Shows `prompt` over `parent` (null: centred on the screen) and waits; true
// for OK or Yes.
bool AskInMessageBox(QWidget* parent, const export_engine::Prompt& prompt);

// Opens a file or a web page with the desktop's program for it. A desktop
// that has none (no opener installed) must not leave the click without an
// answer: a notice then names the file or the address.
void OpenOnDesktop(QWidget* parent, const QUrl& address);

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_MESSAGE_BOX_H_
