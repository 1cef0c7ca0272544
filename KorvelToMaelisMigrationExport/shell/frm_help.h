// frmHelp: the tool's help page, in the current language when a page of it is
// installed, else the English page next to the program.
#ifndef KORVEL_EXPORT_SHELL_FRM_HELP_H_
#define KORVEL_EXPORT_SHELL_FRM_HELP_H_

#include <QDialog>
#include <QString>
#include <QUrl>

class QTextBrowser;

namespace shell {

// The help page of the current language: <program folder>/<executable>.help/
// _<CODE>.htm. The folder cannot carry the executable's bare name, which the
// program itself has here.
QString HelpFileOfLanguage();
// The English page: <program folder>/<executable>.htm.
QString FallbackHelpFile();
// The page the window shows: the language's when it exists, else the English.
QUrl HelpPageToShow();

class frmHelp : public QDialog {
 public:
  explicit frmHelp(QWidget* parent = nullptr);

  void frmHelp_Auto_Init();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int PixelsX(int twips) const;
  int PixelsY(int twips) const;
  int TwipsX(int pixels) const;
  int TwipsY(int pixels) const;

  QTextBrowser* browserHelp_ = nullptr;
};

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_FRM_HELP_H_
