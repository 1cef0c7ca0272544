#include "KorvelToMaelisMigrationExport/shell/update_check.h"

#include <algorithm>
#include <memory>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStringList>

namespace shell {
namespace {

constexpr char kDefaultToolsSite[] = "http://tools.halvern.example/";
constexpr char kHomePageName[] = "App_QXMMigrationExport.htm";
constexpr char kAgentName[] = "HTTP Generic";

// A home page is a few kilobytes; anything far larger is not one.
constexpr qint64 kLargestPageBytes = 1024 * 1024;
// A server that accepts the connection and then says nothing must not keep
// the program busy for ever.
constexpr int kTransferTimeoutMs = 30'000;

constexpr QLatin1StringView kVersionMarker(">version<");
constexpr QLatin1StringView kFontMarker("Helvetica");
// The version starts two characters after the end of the font marker.
constexpr qsizetype kVersionOffset = kFontMarker.size() + 2;
constexpr qsizetype kLeastPageLength = 10;
constexpr qsizetype kLeastVersionLength = 4;
constexpr qsizetype kPaddedPartLength = 4;

constexpr char kNoContact[] =
    "Unable to contact application home page to check for version.  You can access the home page and check for "
    "updated versions of all Norvane Korvel tools by going to ";
constexpr char kUpdateTitle[] = "Updated version is available";
constexpr char kUpdateText[] = "An updated version of this tool is available on ";
constexpr char kUpdateQuestion[] = ".  Click OK to open the application home page now";
constexpr char kUpToDate[] = "You have the most up to date version of this tool installed";

// The proxy settings the desktop or the environment (http_proxy, no_proxy)
// has configured, for this program's requests only.
class SystemProxies : public QNetworkProxyFactory {
 public:
  QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override { return systemProxyForQuery(query); }
};

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool AllDigits(QStringView text) { return !text.isEmpty() && std::all_of(text.begin(), text.end(), IsDigit); }

}  // namespace

QString ToolsSiteAddress() {
  QString site = qEnvironmentVariable("KORVEL_TOOLS_SITE");
  if (site.isEmpty()) site = QLatin1StringView(kDefaultToolsSite);
  if (!site.endsWith(u'/')) site += u'/';
  return site;
}

QString HomePageAddress() { return ToolsSiteAddress() + QLatin1StringView(kHomePageName); }

QString OpenURL(const QString& address, const WaitOffer& wait_offer) {
  QNetworkAccessManager manager;
  manager.setProxyFactory(new SystemProxies);
  QNetworkRequest request{QUrl(address)};
  request.setHeader(QNetworkRequest::UserAgentHeader, QLatin1StringView(kAgentName));
  request.setTransferTimeout(kTransferTimeoutMs);
  std::unique_ptr<QNetworkReply> reply(manager.get(request));

  QByteArray page;
  QEventLoop loop;
  QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
    page += reply->readAll();
    if (page.size() > kLargestPageBytes) reply->abort();
  });
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  if (!reply->isFinished()) {
    if (wait_offer) {
      // The offer may outlive the request.
      wait_offer([request = QPointer<QNetworkReply>(reply.get())] {
        if (request) request->abort();
      });
      if (!reply->isFinished()) loop.exec();
    } else {
      loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
  }
  page += reply->readAll();
  if (reply->error() != QNetworkReply::NoError) return QString();
  return QString::fromUtf8(page);
}

QString GetWebVersion(const QString& address, QString* failure, const WaitOffer& wait_offer) {
  const QString page = OpenURL(address, wait_offer);
  if (page.size() < kLeastPageLength) return QString();
  qsizetype position = page.indexOf(kVersionMarker);
  if (position < 0) return QString();
  position = page.indexOf(kFontMarker, position);
  if (position < 0) return QString();

  const qsizetype start = position + kVersionOffset;
  qsizetype end = start;
  while (end < page.size() && (IsDigit(page[end]) || page[end] == u'.')) ++end;
  // A version that ends a sentence is followed by its full stop.
  while (end > start && page[end - 1] == u'.') --end;
  return PadVersionString(page.mid(start, end - start), failure);
}

QString PadVersionString(const QString& version, QString* failure) {
  if (version.size() < kLeastVersionLength) return QString();
  if (!version.contains(u'.')) {
    if (failure != nullptr) {
      *failure = QStringLiteral(
          "(error):5 (Invalid procedure call or argument) in procedure PadVersionString of Module modUpdateCheck");
    }
    return QString();
  }
  QStringList parts = version.split(u'.');
  for (QString& part : parts) {
    // A part is formatted as a number: its own leading zeros go, padding comes.
    if (!AllDigits(part)) continue;
    qsizetype first_significant = 0;
    while (first_significant < part.size() - 1 && part[first_significant] == u'0') ++first_significant;
    part = part.mid(first_significant).rightJustified(kPaddedPartLength, u'0');
  }
  return parts.join(u'.');
}

bool PaddedVersionIsOlder(const QString& a, const QString& b) {
  const QStringList a_parts = a.split(u'.');
  const QStringList b_parts = b.split(u'.');
  for (qsizetype i = 0; i < std::min(a_parts.size(), b_parts.size()); ++i) {
    const QString& a_part = a_parts[i];
    const QString& b_part = b_parts[i];
    // Padded numbers of different lengths differ in value by their length.
    if (AllDigits(a_part) && AllDigits(b_part) && a_part.size() != b_part.size()) return a_part.size() < b_part.size();
    if (const int order = a_part.compare(b_part); order != 0) return order < 0;
  }
  return a_parts.size() < b_parts.size();
}

void CheckForUpdate(UpdateCheckFrontEnd& front_end, const QString& program_version) {
  QString remote_failure;
  front_end.ShowBusy(true);
  const QString remote =
      GetWebVersion(HomePageAddress(), &remote_failure, [&front_end](const std::function<void()>& stop_waiting) {
        front_end.OfferToStopWaiting(stop_waiting);
      });
  front_end.ShowBusy(false);
  if (!remote_failure.isEmpty()) front_end.Notify(remote_failure);
  QString local_failure;
  const QString local = PadVersionString(program_version, &local_failure);
  if (!local_failure.isEmpty()) front_end.Notify(local_failure);

  const QString site = ToolsSiteAddress();
  if (remote.isEmpty()) {
    front_end.Notify(QLatin1StringView(kNoContact) + site);
  } else if (PaddedVersionIsOlder(local, remote)) {
    const QString text = QLatin1StringView(kUpdateText) + site + QLatin1StringView(kUpdateQuestion);
    if (front_end.AskOkCancel(QLatin1StringView(kUpdateTitle), text)) front_end.OpenPage(QUrl(HomePageAddress()));
  } else {
    front_end.Notify(QLatin1StringView(kUpToDate));
  }
}

}  // namespace shell
