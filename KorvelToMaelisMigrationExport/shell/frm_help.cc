#include "KorvelToMaelisMigrationExport/shell/frm_help.h"

#include <QFileInfo>
#include <QResizeEvent>
#include <QTextBrowser>

#include "KorvelToMaelisMigrationExport/localisation/language_codes.h"
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/shell/main_window_layout.h"

namespace shell {
namespace {

constexpr int kTitle = 53;
constexpr int kHelpPageMissing = 135;

// The design measured the window from outside, caption and borders
// included; the browser is placed inside them.
constexpr int kDesignNonClientWidth = 120;
constexpr int kDesignNonClientHeight = 390;
constexpr int kLeastWidth = 2500;
constexpr int kLeastHeight = 2400;
constexpr int kOpeningWidth = 9600;
constexpr int kOpeningHeight = 8400;
constexpr int kBrowserLeft = 100;
constexpr int kBrowserTop = 1;
constexpr int kBrowserWidthLess = 200;
constexpr int kBrowserHeightLess = 400;

}  // namespace

QString HelpFileOfLanguage() {
  const QString code = localisation::LanguageCodeFromId(localisation::CurrentLanguageId()).trimmed();
  return localisation::ProgramFolder() + QLatin1Char('/') + localisation::ExecutableName() +
         QStringLiteral(".help/_") + code + QStringLiteral(".htm");
}

QString FallbackHelpFile() {
  return localisation::ProgramFolder() + QLatin1Char('/') + localisation::ExecutableName() + QStringLiteral(".htm");
}

QUrl HelpPageToShow() {
  const QString language_page = HelpFileOfLanguage();
  return QUrl::fromLocalFile(QFileInfo::exists(language_page) ? language_page : FallbackHelpFile());
}

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmHelp"));
  browserHelp_ = new QTextBrowser(this);
  browserHelp_->setObjectName(QStringLiteral("browserHelp"));
  // Links that leave the help pages open in the desktop's browser.
  browserHelp_->setOpenExternalLinks(true);

  setMinimumSize(PixelsX(kLeastWidth - kDesignNonClientWidth), PixelsY(kLeastHeight - kDesignNonClientHeight));
  resize(PixelsX(kOpeningWidth - kDesignNonClientWidth), PixelsY(kOpeningHeight - kDesignNonClientHeight));

  localisation::RegisterAutoInit(this, [this] { frmHelp_Auto_Init(); });
  frmHelp_Auto_Init();
  const QUrl page = HelpPageToShow();
  if (QFileInfo::exists(page.toLocalFile())) {
    browserHelp_->setSource(page);
  } else {
    // An empty window would leave the reader guessing what went wrong.
    browserHelp_->setPlainText(localisation::myLoadResString(kHelpPageMissing) + page.toLocalFile());
  }
}

void frmHelp::frmHelp_Auto_Init() { setWindowTitle(localisation::myLoadResString(kTitle)); }

void frmHelp::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const int window_width = TwipsX(width()) + kDesignNonClientWidth;
  const int window_height = TwipsY(height()) + kDesignNonClientHeight;
  browserHelp_->setGeometry(PixelsX(kBrowserLeft), PixelsY(kBrowserTop), PixelsX(window_width - kBrowserWidthLess),
                            PixelsY(window_height - kBrowserHeightLess));
}

int frmHelp::PixelsX(int twips) const { return TwipsToPixels(twips, logicalDpiX()); }
int frmHelp::PixelsY(int twips) const { return TwipsToPixels(twips, logicalDpiY()); }
int frmHelp::TwipsX(int pixels) const { return PixelsToTwips(pixels, logicalDpiX()); }
int frmHelp::TwipsY(int pixels) const { return PixelsToTwips(pixels, logicalDpiY()); }

}  // namespace shell
