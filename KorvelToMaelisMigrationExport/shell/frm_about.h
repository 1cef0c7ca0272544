// frmAbout: the tool's title, version and maker, and the place where the
// administrator changes the language of the program's texts.
#ifndef KORVEL_EXPORT_SHELL_FRM_ABOUT_H_
#define KORVEL_EXPORT_SHELL_FRM_ABOUT_H_

#include <QDialog>
#include <QList>

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace shell {

class frmAbout : public QDialog {
 public:
  // Loads the window: captions, version, and the language menu, which finds
  // the language libraries next to the program.
  explicit frmAbout(QWidget* parent = nullptr);

  void frmAbout_Auto_Init();

  // Opens the language menu at the pointer.
  void lblChangeLanguage_Click();
  // Makes the entry's language current in every open window.
  void mnuLanguageList_Click(const QAction* entry);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FitCaptions();
  void CreateControls();
  void BuildLanguageMenu();

  QLabel* picNorvaneLogo_ = nullptr;
  QLabel* picKorvelLogo_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblVersionTitle_ = nullptr;
  QLabel* lblVersion_ = nullptr;
  QLabel* lblCompany_ = nullptr;
  QLabel* lblAddress_ = nullptr;
  QLabel* lblTrademarks_ = nullptr;
  QLabel* lblOtherTrademarks_ = nullptr;
  QLabel* lblChangeLanguage_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
  QMenu* mnuSelectLanguage_ = nullptr;
  QList<QAction*> mnuLanguageList_;
  bool languages_loaded_ = false;
};

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_FRM_ABOUT_H_
