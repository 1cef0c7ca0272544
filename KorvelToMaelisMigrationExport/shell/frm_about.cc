#include "KorvelToMaelisMigrationExport/shell/frm_about.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "KorvelToMaelisMigrationExport/localisation/language_codes.h"
#include "KorvelToMaelisMigrationExport/localisation/mnemonics.h"
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace shell {
namespace {

using localisation::myLoadResString;

constexpr int kBuild = 0;
constexpr int kChangeLanguage = 11;
constexpr int kCompany = 12;
constexpr int kNoLanguagesLoaded = 37;
constexpr int kOk = 38;
constexpr int kAddress = 45;
constexpr int kSelectLanguage = 47;
constexpr int kTitle = 53;
constexpr int kTrademarks = 61;
constexpr int kOtherTrademarks = 62;
constexpr int kVersionTitle = 66;

// The maker's and the product's marks, drawn rather than shipped as files.
QPixmap Logo(const QString& name, const QColor& colour) {
  constexpr int kWidth = 132;
  constexpr int kHeight = 44;
  QPixmap logo(kWidth, kHeight);
  logo.fill(Qt::transparent);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient shade(0, 0, 0, kHeight);
  shade.setColorAt(0, colour.lighter(130));
  shade.setColorAt(1, colour.darker(120));
  painter.setBrush(shade);
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(0, 0, kWidth, kHeight), 8, 8);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(20);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, kWidth, kHeight), Qt::AlignCenter, name);
  return logo;
}

QLabel* NewLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1StringView(name));
  return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  CreateControls();
  localisation::RegisterAutoInit(this, [this] { frmAbout_Auto_Init(); });
  frmAbout_Auto_Init();
  BuildLanguageMenu();
}

void frmAbout::CreateControls() {
  picNorvaneLogo_ = NewLabel(this, "picNorvaneLogo");
  picNorvaneLogo_->setPixmap(Logo(QStringLiteral("NORVANE"), QColor(0x1F, 0x4E, 0x8C)));
  picKorvelLogo_ = NewLabel(this, "picKorvelLogo");
  picKorvelLogo_->setPixmap(Logo(QStringLiteral("Korvel"), QColor(0x2E, 0x7D, 0x4F)));

  lblTitle_ = NewLabel(this, "lblTitle");
  QFont title_font = lblTitle_->font();
  title_font.setBold(true);
  title_font.setPointSizeF(title_font.pointSizeF() * 1.25);
  lblTitle_->setFont(title_font);
  lblTitle_->setWordWrap(true);
  lblVersionTitle_ = NewLabel(this, "lblVersionTitle");
  lblVersion_ = NewLabel(this, "lblVersion");
  lblCompany_ = NewLabel(this, "lblCompany");
  lblAddress_ = NewLabel(this, "lblAddress");
  lblTrademarks_ = NewLabel(this, "lblTrademarks");
  lblTrademarks_->setWordWrap(true);
  lblOtherTrademarks_ = NewLabel(this, "lblOtherTrademarks");
  lblOtherTrademarks_->setWordWrap(true);

  // A label that opens a menu when clicked, drawn as a link.
  lblChangeLanguage_ = NewLabel(this, "lblChangeLanguage");
  QFont link_font = lblChangeLanguage_->font();
  link_font.setUnderline(true);
  lblChangeLanguage_->setFont(link_font);
  QPalette link_palette = lblChangeLanguage_->palette();
  link_palette.setColor(QPalette::WindowText, link_palette.color(QPalette::Link));
  lblChangeLanguage_->setPalette(link_palette);
  lblChangeLanguage_->setCursor(Qt::PointingHandCursor);
  lblChangeLanguage_->installEventFilter(this);

  cmdOK_ = new QPushButton(this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);

  mnuSelectLanguage_ = new QMenu(this);
  mnuSelectLanguage_->setObjectName(QStringLiteral("mnuSelectLanguage"));

  auto* logos = new QVBoxLayout;
  logos->addWidget(picNorvaneLogo_);
  logos->addWidget(picKorvelLogo_);
  logos->addStretch();

  auto* version = new QHBoxLayout;
  // "Version:" and the number are two labels; the gap between them stands
  // for the blank a single text would have.
  version->setSpacing(lblVersion_->fontMetrics().averageCharWidth());
  version->addWidget(lblVersionTitle_);
  version->addWidget(lblVersion_);
  version->addStretch();

  auto* details = new QVBoxLayout;
  details->addWidget(lblTitle_);
  details->addLayout(version);
  details->addSpacing(8);
  details->addWidget(lblCompany_);
  details->addWidget(lblAddress_);
  details->addSpacing(8);
  details->addWidget(lblChangeLanguage_, 0, Qt::AlignLeft);
  details->addStretch();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK_);

  auto* layout = new QGridLayout(this);
  layout->setHorizontalSpacing(16);
  layout->addLayout(logos, 0, 0);
  layout->addLayout(details, 0, 1);
  layout->addWidget(lblTrademarks_, 1, 0, 1, 2);
  layout->addWidget(lblOtherTrademarks_, 2, 0, 1, 2);
  layout->addLayout(buttons, 3, 0, 1, 2);
  layout->setColumnStretch(1, 1);
  layout->setSizeConstraint(QLayout::SetMinimumSize);
  setMinimumWidth(480);
}

void frmAbout::frmAbout_Auto_Init() {
  setWindowTitle(myLoadResString(kTitle));
  lblTitle_->setText(myLoadResString(kTitle));
  lblVersionTitle_->setText(myLoadResString(kVersionTitle));
  const export_engine::ProgramIdentity program = export_program::ThisProgram();
  lblVersion_->setText(QStringLiteral("%1.%2").arg(program.major).arg(program.minor) + myLoadResString(kBuild) +
                       QString::number(program.revision));
  lblCompany_->setText(myLoadResString(kCompany));
  lblAddress_->setText(myLoadResString(kAddress));
  lblTrademarks_->setText(myLoadResString(kTrademarks));
  lblOtherTrademarks_->setText(myLoadResString(kOtherTrademarks));
  lblChangeLanguage_->setText(myLoadResString(kChangeLanguage));
  mnuSelectLanguage_->setTitle(myLoadResString(kSelectLanguage));
  if (!languages_loaded_ && !mnuLanguageList_.isEmpty()) {
    mnuLanguageList_.front()->setText(myLoadResString(kNoLanguagesLoaded));
  }
  localisation::MnemonicGroup keys;
  cmdOK_->setText(keys.Caption(kOk));
  FitCaptions();
}

// New captions may need more room than the window has: a title that wraps
// onto one more line pushes the version line down. The window grows to what
// its width needs, as it is sized when it opens.
void frmAbout::FitCaptions() {
  if (!isVisible()) return;  // opening sizes it
  QLayout* captions = layout();
  captions->invalidate();
  captions->activate();
  const int needed = captions->hasHeightForWidth() ? captions->totalHeightForWidth(width())
                                                   : captions->totalSizeHint().height();
  if (needed > height()) resize(width(), needed);
}

void frmAbout::BuildLanguageMenu() {
  localisation::InitalizeLanguages();
  const QStringList codes = localisation::LanguageCodes();
  languages_loaded_ = !codes.isEmpty();

  mnuSelectLanguage_->clear();
  mnuLanguageList_.clear();
  const auto add_entry = [this](const QString& caption, int language_id) {
    QAction* entry = mnuSelectLanguage_->addAction(caption);
    entry->setObjectName(QStringLiteral("mnuLanguageList"));
    entry->setData(QString::number(language_id));
    connect(entry, &QAction::triggered, this, [this, entry] { mnuLanguageList_Click(entry); });
    mnuLanguageList_ << entry;
  };
  if (codes.isEmpty()) add_entry(myLoadResString(kNoLanguagesLoaded), localisation::kEnglishUnitedStates);
  for (const QString& code : codes) {
    add_entry(localisation::LanguageNameFromCode(code), localisation::LanguageIdFromCode(code));
  }
}

void frmAbout::lblChangeLanguage_Click() { mnuSelectLanguage_->popup(QCursor::pos()); }

void frmAbout::mnuLanguageList_Click(const QAction* entry) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  localisation::ChangeLanguage(entry->data().toString().toInt());
  QApplication::restoreOverrideCursor();
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblChangeLanguage_ && event->type() == QEvent::MouseButtonRelease) {
    lblChangeLanguage_Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace shell
