// The update check against a home page served from 127.0.0.1 by the test
// itself, answered by a front end that records what it was shown.
#include "KorvelToMaelisMigrationExport/shell/update_check.h"

#include <cstdlib>
#include <vector>

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace shell {
namespace {

constexpr char kUnableStart[] = "Unable to contact application home page to check for version.";
constexpr char kUpToDate[] = "You have the most up to date version of this tool installed";

// Answers every request with `page`, and keeps the requests.
class PageServer {
 public:
  PageServer() {
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
    QObject::connect(&server_, &QTcpServer::newConnection, [this] { Accept(); });
  }

  QString Site() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server_.serverPort()); }

  QByteArray status = "200 OK";
  QByteArray page;
  std::vector<QByteArray> requests;

 private:
  void Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        request_ += socket->readAll();
        if (!request_.contains("\r\n\r\n")) return;
        requests.push_back(request_);
        request_.clear();
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\nContent-Length: " +
                      QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
        socket->disconnectFromHost();
      });
    }
  }

  QTcpServer server_;
  QByteArray request_;
};

QByteArray HomePage(const QByteArray& version) {
  return "<html><body><table><tr><td><font face=\"Arial\">Release</font></td><td>>version<</td>"
         "<td><font face=\"Helvetica\">" + version + "</font></td></tr></table></body></html>";
}

struct Shown {
  QString title;  // empty for a notice
  QString text;
};

class RecordingFrontEnd : public UpdateCheckFrontEnd {
 public:
  void ShowBusy(bool busy) override { busy_changes.push_back(busy); }
  void OfferToStopWaiting(const std::function<void()>&) override {}
  void Notify(const QString& text) override { shown.push_back({QString(), text}); }
  bool AskOkCancel(const QString& title, const QString& text) override {
    shown.push_back({title, text});
    return answer_ok;
  }
  void OpenPage(const QUrl& address) override { opened.push_back(address); }

  bool answer_ok = true;
  std::vector<Shown> shown;
  std::vector<bool> busy_changes;
  std::vector<QUrl> opened;
};

class UpdateCheckTest : public ::testing::Test {
 protected:
  UpdateCheckTest() {
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(proxy);
    setenv("KORVEL_TOOLS_SITE", server_.Site().toUtf8().constData(), 1);
  }
  ~UpdateCheckTest() override { unsetenv("KORVEL_TOOLS_SITE"); }

  // What checking with the page stating `page_version` shows a program of
  // `program_version`.
  std::vector<Shown> Check(const QByteArray& page_version, const QString& program_version) {
    server_.page = HomePage(page_version);
    front_end_ = RecordingFrontEnd();
    CheckForUpdate(front_end_, program_version);
    return front_end_.shown;
  }

  PageServer server_;
  RecordingFrontEnd front_end_;
};

TEST_F(UpdateCheckTest, NewerVersionOffersTheHomePage) {
  const std::vector<Shown> shown = Check("1.0.25", "1.0.23");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, QStringLiteral("Updated version is available"));
  EXPECT_EQ(shown[0].text, "An updated version of this tool is available on " + server_.Site() +
                               ".  Click OK to open the application home page now");
  ASSERT_EQ(front_end_.opened.size(), 1u);
  EXPECT_EQ(front_end_.opened[0], QUrl(server_.Site() + "App_QXMMigrationExport.htm"));
  EXPECT_EQ(front_end_.busy_changes, (std::vector<bool>{true, false}));

  ASSERT_EQ(server_.requests.size(), 1u);
  EXPECT_TRUE(server_.requests[0].startsWith("GET /App_QXMMigrationExport.htm HTTP/1.1\r\n"));
  EXPECT_TRUE(server_.requests[0].contains("\r\nUser-Agent: HTTP Generic\r\n"));

  front_end_.answer_ok = false;
  CheckForUpdate(front_end_, QStringLiteral("1.0.23"));
  EXPECT_EQ(front_end_.opened.size(), 1u) << "Cancel opens nothing";
}

TEST_F(UpdateCheckTest, VersionsCompareByTheirPaddedParts) {
  const struct {
    const char* page;
    const char* program;
    bool update;
  } cases[] = {
      {"1.0.23", "1.0.23", false},    {"1.0.22", "1.0.23", false},   {"1.0.9", "1.0.10", false},
      {"1.0.10", "1.0.9", true},      {"2.0.0", "1.9.99", true},     {"1.0.12345", "1.0.23", true},
      {"1.0.9999", "1.0.12345", false}, {"1.0.23.", "1.0.23", false}, {"1.0.23.1", "1.0.23", true},
      {"01.00.0024", "1.0.23", true},
  };
  for (const auto& c : cases) {
    const std::vector<Shown> shown = Check(c.page, QString::fromLatin1(c.program));
    ASSERT_EQ(shown.size(), 1u) << c.page;
    if (c.update) {
      EXPECT_FALSE(shown[0].title.isEmpty()) << c.page << " against " << c.program;
    } else {
      EXPECT_EQ(shown[0].text, QLatin1StringView(kUpToDate)) << c.page << " against " << c.program;
    }
  }
}

// No page, an error page, a page without both markers or without a version
// after them: the home page counts as unreachable. A version without a dot is
// reported first.
TEST_F(UpdateCheckTest, PageWithoutAVersionSaysTheHomePageCannotBeReached) {
  const QString unable = QLatin1StringView(kUnableStart) +
                         "  You can access the home page and check for updated versions of all Norvane Korvel tools "
                         "by going to " + server_.Site();
  const QString no_dot = QStringLiteral(
      "(error):5 (Invalid procedure call or argument) in procedure PadVersionString of Module modUpdateCheck");
  const struct {
    QByteArray status;
    QByteArray page;
    QStringList shown;
  } cases[] = {
      {"200 OK", "<html><body>Maintenance</body></html>", {unable}},
      {"200 OK", "<td>>version<</td><td><font face=\"Arial\">1.0.99</font></td>", {unable}},
      {"200 OK", "<td>Version</td><td><font face=\"Helvetica\">1.0.99</font></td>", {unable}},
      {"200 OK", HomePage("abc"), {unable}},
      {"200 OK", "short", {unable}},
      {"404 Not Found", HomePage("1.0.99"), {unable}},
      {"200 OK", HomePage("20240"), {no_dot, unable}},
  };
  for (const auto& c : cases) {
    server_.status = c.status;
    server_.page = c.page;
    front_end_ = RecordingFrontEnd();
    CheckForUpdate(front_end_, QStringLiteral("1.0.23"));
    QStringList shown;
    for (const Shown& message : front_end_.shown) shown << message.text;
    EXPECT_EQ(shown, c.shown) << c.page.constData();
  }

  server_.status = "200 OK";
  server_.page = HomePage("1.0.1") + HomePage("2.5.7");
  QString failure;
  EXPECT_EQ(GetWebVersion(HomePageAddress(), true, &failure), QStringLiteral("0002.0005.0007"));
}

}  // namespace
}  // namespace shell
