// A small directory database for tests: an SQLite file with the tables and
// views the export reads, filled through a writable connection of its own.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_TEST_DIRECTORY_H_
#define KORVEL_EXPORT_EXPORT_TESTS_TEST_DIRECTORY_H_

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <gtest/gtest.h>

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
  explicit TestDirectory(const QString& path) : path_(path), connection_name_(QString::number(next_connection_++)) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name_);
    db_.setDatabaseName(path_);
    EXPECT_TRUE(db_.open()) << db_.lastError().text().toStdString();
    // Test files need no durability; without this every insert waits for the disk.
    Exec("PRAGMA synchronous = OFF");
    Exec("PRAGMA journal_mode = MEMORY");
    // Language and ListInDirectory have no declared type, so they keep whatever
    // a test stores, text or number, as another engine might hand them over.
    for (const char* statement : {
             "CREATE TABLE Location (LocationObjectID TEXT, Alias TEXT)",
             "CREATE TABLE COS (COSObjectID TEXT, Alias TEXT)",
             "CREATE TABLE CallHandler (CallHandlerObjectID TEXT, Alias TEXT, DTMFAccessID TEXT)",
             "CREATE TABLE Subscriber (SubscriberObjectID TEXT, Alias TEXT, FirstName TEXT, LastName TEXT, "
             "DisplayName TEXT, PWDTMF TEXT, DTMFAccessID TEXT, BillingID TEXT, Language, ListInDirectory, "
             "StreamPath TEXT, CallHandlerObjectID TEXT, COSObjectID TEXT, LocationObjectID TEXT, SubscriberType "
             "INTEGER)",
             "CREATE TABLE DTMFAccessID (DTMFAccessID TEXT, IsPrimaryID TEXT, ParentObjectID TEXT)",
             "CREATE TABLE NotificationMWI (Alias TEXT, ParentObjectID TEXT, MWIExtension TEXT)",
             "CREATE TABLE ContactRule (ParentObjectID TEXT, Alias TEXT, Action INTEGER, TransferType INTEGER, "
             "Extension TEXT, TransferRings INTEGER)",
             "CREATE VIEW vw_Location AS SELECT * FROM Location", "CREATE VIEW vw_COS AS SELECT * FROM COS",
             "CREATE VIEW vw_CallHandler AS SELECT * FROM CallHandler",
             "CREATE VIEW vw_Subscriber AS SELECT * FROM Subscriber",
             "INSERT INTO Location VALUES ('LOC-1', 'Default')", "INSERT INTO COS VALUES ('COS-1', 'Default')"}) {
      Exec(QString::fromLatin1(statement));
    }
  }
  ~TestDirectory() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_name_);
  }

  QString connect_string() const { return QStringLiteral("sqlite:") + path_; }

  // Runs one statement; a failure fails the test.
  void Exec(const QString& sql, const QVariantList& values = {}) {
    QSqlQuery query(db_);
    ASSERT_TRUE(query.prepare(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
    for (int i = 0; i < values.size(); ++i) query.bindValue(i, values[i]);
    ASSERT_TRUE(query.exec()) << sql.toStdString() << ": " << query.lastError().text().toStdString();
  }

  // The subscriber row alone; its call handler is "CH-" + its id.
  void AddSubscriberRow(const TestSubscriber& s) {
    Exec("INSERT INTO Subscriber VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
         {s.id, s.alias, s.first_name, s.last_name, s.display_name, s.pwdtmf, s.dtmf_access_id, s.billing_id,
          s.language, s.list_in_directory, s.stream_path, "CH-" + s.id, s.cos_id, s.location_id, s.type});
  }

  // A subscriber with everything an export finds for it: its call handler
  // (extension "5" + dtmf id), class of service, location, one alternate
  // contact rule (action 2, type 1, extension "9" + dtmf id, rings 4) and a
  // primary message-waiting device "9X".
  void AddCompleteSubscriber(const TestSubscriber& s) {
    AddSubscriberRow(s);
    const QString dtmf = s.dtmf_access_id.toString();
    AddCallHandler("CH-" + s.id, "5" + dtmf);
    AddContactRule("CH-" + s.id, "Alternate", 2, 1, "9" + dtmf, 4);
    AddMwiDevice(s.id, "MWI-1", "9X");
  }

  void AddCallHandler(const QString& id, const QVariant& extension) {
    Exec("INSERT INTO CallHandler VALUES (?, 'handler', ?)", {id, extension});
  }
  void AddContactRule(const QString& call_handler_id, const QString& alias, const QVariant& action,
                      const QVariant& transfer_type, const QVariant& extension, const QVariant& rings) {
    Exec("INSERT INTO ContactRule VALUES (?,?,?,?,?,?)",
         {call_handler_id, alias, action, transfer_type, extension, rings});
  }
  void AddMwiDevice(const QString& subscriber_id, const QString& alias, const QVariant& extension) {
    Exec("INSERT INTO NotificationMWI VALUES (?,?,?)", {alias, subscriber_id, extension});
  }
  void AddAlternateExtension(const QString& subscriber_id, const QString& extension) {
    Exec("INSERT INTO DTMFAccessID VALUES (?, '0', ?)", {extension, subscriber_id});
  }

 private:
  static inline int next_connection_ = 0;
  QString path_;
  QString connection_name_;
  QSqlDatabase db_;
};

}  // namespace export_test

#endif  // KORVEL_EXPORT_EXPORT_TESTS_TEST_DIRECTORY_H_
