// The update check against a home page served from 127.0.0.1 by the test
// itself, answered by a front end that records what it was shown.
#include "KorvelToMaelisMigrationExport/shell/update_check.h"

#include <vector>

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace shell {
namespace {

// Answers every request with `status` and `page`.
class PageServer {
 public:
  PageServer() {
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request = QByteArray()]() mutable {
          request += socket->readAll();
          if (!request.contains("\r\n\r\n")) return;
          socket->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(page.size()) +
                        "\r\nConnection: close\r\n\r\n" + page);
          socket->disconnectFromHost();
        });
      }
    });
  }
  QString Site() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server_.serverPort()); }

  QByteArray status = "200 OK";
  QByteArray page;

 private:
  QTcpServer server_;
};

QByteArray HomePage(const QByteArray& version) {
  return "<table><tr><td><font face=\"Arial\">Release</font></td><td>>version<</td>"
         "<td><font face=\"Helvetica\">" + version + "</font></td></tr></table>";
}

class RecordingFrontEnd : public UpdateCheckFrontEnd {
 public:
  void ShowBusy(bool busy) override { busy_changes.push_back(busy); }
  void OfferToStopWaiting(const std::function<void()>&) override {}
  void Notify(const QString& text) override { shown << text; }
  bool AskOkCancel(const QString& title, const QString& text) override {
    shown << title + ": " + text;
    return answer_ok;
  }
  void OpenPage(const QUrl& address) override { opened.push_back(address); }

  bool answer_ok = true;
  QStringList shown;
  std::vector<bool> busy_changes;
  std::vector<QUrl> opened;
};

class UpdateCheckTest : public ::testing::Test {
 protected:

  QStringList Check(const QByteArray& page, const char* program_version = "1.0.23") {
    server_.page = page;
    front_end_ = RecordingFrontEnd();
    CheckForUpdate(front_end_, QString::fromLatin1(program_version));
    return front_end_.shown;
  }

  QString Offer() const {
    return "Updated version is available: An updated version of this tool is available on " + server_.Site() +
           ".  Click OK to open the application home page now";
  }

  PageServer server_;
  RecordingFrontEnd front_end_;
  const korvel::test::ScopedEnvironmentVariable tools_site_{"KORVEL_TOOLS_SITE", server_.Site().toStdString()};
  const korvel::test::ScopedEnvironmentVariable proxy_{"http_proxy", std::nullopt}, all_proxy_{"all_proxy", std::nullopt};
  const korvel::test::ScopedEnvironmentVariable proxy_upper_{"HTTP_PROXY", std::nullopt}, all_proxy_upper_{"ALL_PROXY", std::nullopt};
};

TEST_F(UpdateCheckTest, ANewerVersionOffersTheHomePage) {
  EXPECT_EQ(Check(HomePage("1.0.25")), QStringList(Offer()));
  EXPECT_EQ(front_end_.opened, std::vector<QUrl>{QUrl(server_.Site() + "App_QXMMigrationExport.htm")});
  EXPECT_EQ(front_end_.busy_changes, (std::vector<bool>{true, false}));

  front_end_.answer_ok = false;
  CheckForUpdate(front_end_, QStringLiteral("1.0.23"));
  EXPECT_EQ(front_end_.opened.size(), 1u) << "Cancel opens nothing";
}

// Versions compare by their padded parts. No page, an error page, a page
// without both markers or without a version after them counts as a home page
// that cannot be reached; a version without a dot is reported first.
TEST_F(UpdateCheckTest, WhatThePageStatesDecidesTheAnswer) {
  const QString up_to_date = "You have the most up to date version of this tool installed";
  const QString unable =
      "Unable to contact application home page to check for version.  You can access the home page and check for "
      "updated versions of all Norvane Korvel tools by going to " + server_.Site();
  const struct {
    QByteArray page;
    const char* program;
    QStringList shown;
  } cases[] = {
      {HomePage("1.0.23"), "1.0.23", {up_to_date}},    {HomePage("1.0.9"), "1.0.10", {up_to_date}},
      {HomePage("2.0.0"), "1.9.99", {Offer()}},        {HomePage("1.0.12345"), "1.0.23", {Offer()}},
      {HomePage("1.0.23.1"), "1.0.23", {Offer()}},     {HomePage("01.00.0024"), "1.0.23", {Offer()}},
      {"<html><body>Maintenance</body></html>", "1.0.23", {unable}},
      {"<td>>version<</td><td><font face=\"Arial\">1.0.99</font></td>", "1.0.23", {unable}},
      {HomePage("abc"), "1.0.23", {unable}},
      {HomePage("20240"), "1.0.23", {"(error):5 (Invalid procedure call or argument) in procedure PadVersionString "
                                     "of Module modUpdateCheck", unable}},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.page, c.program), c.shown) << c.page.constData() << " " << c.program;
  server_.status = "404 Not Found";
  EXPECT_EQ(Check(HomePage("1.0.99")), QStringList(unable));
}

}  // namespace
}  // namespace shell
