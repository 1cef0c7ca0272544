#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace export_test {
namespace {

// Language and ListInDirectory have no declared type, so they keep whatever
// a test stores, text or number, as another engine might hand them over.
constexpr const char* kSchema[] = {
    "CREATE TABLE Location (LocationObjectID TEXT, Alias TEXT)",
    "CREATE TABLE COS (COSObjectID TEXT, Alias TEXT)",
    "CREATE TABLE CallHandler (CallHandlerObjectID TEXT, Alias TEXT, DTMFAccessID TEXT)",
    ("CREATE TABLE Subscriber (SubscriberObjectID TEXT, Alias TEXT, FirstName TEXT, LastName TEXT, "
     "DisplayName TEXT, PWDTMF TEXT, DTMFAccessID TEXT, BillingID TEXT, Language, "
     "ListInDirectory, StreamPath TEXT, CallHandlerObjectID TEXT, COSObjectID TEXT, "
     "LocationObjectID TEXT, SubscriberType INTEGER)"),
    "CREATE TABLE DTMFAccessID (DTMFAccessID TEXT, IsPrimaryID TEXT, ParentObjectID TEXT)",
    "CREATE TABLE NotificationMWI (Alias TEXT, ParentObjectID TEXT, MWIExtension TEXT)",
    ("CREATE TABLE ContactRule (ParentObjectID TEXT, Alias TEXT, Action INTEGER, TransferType INTEGER, "
     "Extension TEXT, TransferRings INTEGER)"),
    "CREATE VIEW vw_Location AS SELECT * FROM Location",
    "CREATE VIEW vw_COS AS SELECT * FROM COS",
    "CREATE VIEW vw_CallHandler AS SELECT * FROM CallHandler",
    "CREATE VIEW vw_Subscriber AS SELECT * FROM Subscriber",
};

int next_connection = 0;

}  // namespace

TestDirectory::TestDirectory(const QString& path)
    : path_(path), connection_name_(QStringLiteral("test-directory-%1").arg(next_connection++)) {
  db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name_);
  db_.setDatabaseName(path_);
  EXPECT_TRUE(db_.open()) << db_.lastError().text().toStdString();
  // Test files need no durability; without this every insert waits for the disk.
  Exec("PRAGMA synchronous = OFF");
  Exec("PRAGMA journal_mode = MEMORY");
  for (const char* statement : kSchema) Exec(QString::fromLatin1(statement));
  Exec("INSERT INTO Location VALUES ('LOC-1', 'Default')");
  Exec("INSERT INTO COS VALUES ('COS-1', 'Default')");
}

TestDirectory::~TestDirectory() {
  db_.close();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(connection_name_);
}

void TestDirectory::Exec(const QString& sql, const QVariantList& values) {
  QSqlQuery query(db_);
  ASSERT_TRUE(query.prepare(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
  for (int i = 0; i < values.size(); ++i) query.bindValue(i, values[i]);
  ASSERT_TRUE(query.exec()) << sql.toStdString() << ": " << query.lastError().text().toStdString();
}

void TestDirectory::AddSubscriberRow(const TestSubscriber& s) {
  Exec("INSERT INTO Subscriber VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
       {s.id, s.alias, s.first_name, s.last_name, s.display_name, s.pwdtmf, s.dtmf_access_id, s.billing_id, s.language,
        s.list_in_directory, s.stream_path, "CH-" + s.id, s.cos_id, s.location_id, s.type});
}

void TestDirectory::AddCompleteSubscriber(const TestSubscriber& s) {
  AddSubscriberRow(s);
  const QString dtmf = s.dtmf_access_id.toString();
  AddCallHandler("CH-" + s.id, "5" + dtmf);
  AddContactRule("CH-" + s.id, "Alternate", 2, 1, "9" + dtmf, 4);
  AddMwiDevice(s.id, "MWI-1", "9X");
}

void TestDirectory::AddCallHandler(const QString& id, const QVariant& extension) {
  Exec("INSERT INTO CallHandler VALUES (?, 'handler', ?)", {id, extension});
}

void TestDirectory::AddContactRule(const QString& call_handler_id, const QString& alias, const QVariant& action,
                                   const QVariant& transfer_type, const QVariant& extension, const QVariant& rings) {
  Exec("INSERT INTO ContactRule VALUES (?,?,?,?,?,?)", {call_handler_id, alias, action, transfer_type, extension, rings});
}

void TestDirectory::AddMwiDevice(const QString& subscriber_id, const QString& alias, const QVariant& extension) {
  Exec("INSERT INTO NotificationMWI VALUES (?,?,?)", {alias, subscriber_id, extension});
}

void TestDirectory::AddAlternateExtension(const QString& subscriber_id, const QString& extension) {
  Exec("INSERT INTO DTMFAccessID VALUES (?, '0', ?)", {extension, subscriber_id});
}

}  // namespace export_test
