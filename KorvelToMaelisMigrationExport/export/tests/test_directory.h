// A small directory database for tests: an SQLite file with the tables and
// views the export reads, filled through a writable connection of its own.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_TEST_DIRECTORY_H_
#define KORVEL_EXPORT_EXPORT_TESTS_TEST_DIRECTORY_H_

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace export_test {

// One subscriber row. A null QVariant is a database NULL.
struct TestSubscriber {
  QString id;
  QVariant alias;
  QVariant first_name = QStringLiteral("First");
  QVariant last_name = QStringLiteral("Last");
  QVariant display_name = QStringLiteral("Display");
  QVariant pwdtmf = QStringLiteral("hash");
  QVariant dtmf_access_id = QStringLiteral("1000");
  QVariant billing_id = QStringLiteral("B1");
  QVariant language = 1033;
  QVariant list_in_directory = 1;
  QVariant stream_path = QVariant();
  QString cos_id = QStringLiteral("COS-1");
  QString location_id = QStringLiteral("LOC-1");
  int type = 1;
};

class TestDirectory {
 public:
  explicit TestDirectory(const QString& path);
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;
  ~TestDirectory();

  QString connect_string() const { return QStringLiteral("sqlite:") + path_; }

  // Runs one statement; a failure fails the test.
  void Exec(const QString& sql, const QVariantList& values = {});

  // The subscriber row alone; its call handler is "CH-" + its id.
  void AddSubscriberRow(const TestSubscriber& subscriber);

  // A subscriber with everything an export finds for it: its call handler
  // (extension "5" + dtmf id), class of service, location, one alternate
  // contact rule (action 2, type 1, extension "9" + dtmf id, rings 4) and a
  // primary message-waiting device "9X".
  void AddCompleteSubscriber(const TestSubscriber& subscriber);

  void AddCallHandler(const QString& id, const QVariant& extension);
  void AddContactRule(const QString& call_handler_id, const QString& alias, const QVariant& action,
                      const QVariant& transfer_type, const QVariant& extension, const QVariant& rings);
  void AddMwiDevice(const QString& subscriber_id, const QString& alias, const QVariant& extension);
  void AddAlternateExtension(const QString& subscriber_id, const QString& extension);

 private:
  QString path_;
  QString connection_name_;
  QSqlDatabase db_;
};

}  // namespace export_test

#endif  // KORVEL_EXPORT_EXPORT_TESTS_TEST_DIRECTORY_H_
