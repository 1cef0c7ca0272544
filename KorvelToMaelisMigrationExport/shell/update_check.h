// modUpdateCheck: compares the program's version with the one its home page
// on the tools web site states, and offers the page when it is newer. The
// program makes no other use of the network. Nothing of it runs at start-up:
// starting a script found in the current folder would run whatever that
// folder holds.
#ifndef KORVEL_EXPORT_SHELL_UPDATE_CHECK_H_
#define KORVEL_EXPORT_SHELL_UPDATE_CHECK_H_

#include <functional>

#include <QString>
#include <QUrl>

namespace shell {

// The tools web site, ending in "/": KORVEL_TOOLS_SITE, else the maker's.
QString ToolsSiteAddress();
// The tool's home page on it.
QString HomePageAddress();

// What the update check shows and does.
class UpdateCheckFrontEnd {
 public:
  virtual ~UpdateCheckFrontEnd() = default;
  // The pointer shows the program busy while the page is fetched.
  virtual void ShowBusy(bool busy) = 0;
  // While the page is awaited, with the program busy: `stop_waiting` ends
  // the wait at once, as if the server had not answered. The window offers
  // it with a Cancel button and stays responsive meanwhile.
  virtual void OfferToStopWaiting(const std::function<void()>& stop_waiting) = 0;
  // A notice with an OK button.
  virtual void Notify(const QString& text) = 0;
  // True for OK, false for Cancel.
  virtual bool AskOkCancel(const QString& title, const QString& text) = 0;
  // Opens the page in the desktop's browser.
  virtual void OpenPage(const QUrl& address) = 0;
};

// The menu entry "Check for updated version". `program_version` is the
// program's major, minor and revision joined with ".".
void CheckForUpdate(UpdateCheckFrontEnd& front_end, const QString& program_version);

// Handed the way to stop waiting for a page when the wait begins.
using WaitOffer = std::function<void(const std::function<void()>& stop_waiting)>;

// The page at `address` as text; empty when it cannot be fetched or the wait
// was stopped. Without `wait_offer` nobody can stop the wait, and the user's
// input waits with it.
QString OpenURL(const QString& address, const WaitOffer& wait_offer = nullptr);

// The version the page at `address` states after its first ">version<"
// marker, padded; empty when the page cannot be fetched or lacks the markers.
// A failure to pad it is described in `failure`.
QString GetWebVersion(const QString& address, QString* failure, const WaitOffer& wait_offer = nullptr);

// Every dot-separated part of `version` at least four digits long, with
// leading zeros (1.0.23 gives 0001.0000.0023); empty for a text shorter than
// four characters, and for one without any "." (described in `failure`,
// which may be null).
QString PadVersionString(const QString& version, QString* failure);

// Whether padded version `a` is older than padded version `b`: part by part,
// as numbers, so that a part of five digits or more counts for its value.
bool PaddedVersionIsOlder(const QString& a, const QString& b);

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_UPDATE_CHECK_H_
