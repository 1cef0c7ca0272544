// The pre-flight and the verification as an administrator runs them, over a
// sample server exported once with its messages: a clean folder verifies, each
// kind of damage is found and named, and a pre-flight foresees the export.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "KorvelToMaelisMigrationExport/export/subscriber_rows.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace {

using export_test::Finished;
using export_test::ReadBytes;
using export_test::RunProgram;
using export_test::TempFolder;
using export_test::WriteBytes;

class ReconcileSampleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    work_ = new TempFolder;
    const Finished sample = RunProgram("korvel-sample", {work_->File("server"), "--seed", "5"},
                                       QProcessEnvironment::systemEnvironment());
    ASSERT_EQ(sample.exit_code, 0) << sample.err.toStdString();
    ASSERT_TRUE(QDir().mkpath(work_->File("clean")));
    const Finished run = Run({"--headless", "--output", work_->File("clean/"), "--include-messages",
                              "--accept-account"});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
  }
  static void TearDownTestSuite() { delete work_; }

  static QProcessEnvironment Environment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KORVEL_REGISTRY", work_->File("server/registry.reg"));
    environment.insert("KORVEL_DB_CONNECT", "sqlite:" + work_->File("server/KorvelDb.sqlite"));
    environment.insert("XDG_CONFIG_HOME", work_->File("config"));
    environment.insert("XDG_RUNTIME_DIR", work_->path());
    // The single-copy lock that copies without a runtime folder share stays the test's own.
    environment.insert("TMPDIR", work_->path());
    return environment;
  }
  static Finished Run(const QStringList& arguments) {
    return RunProgram("KorvelToMaelisMigrationExport", arguments, Environment());
  }

  // A copy of the clean export, for one planted fault.
  static QString CopyOfCleanExport(const QString& name) {
    const QString copy = work_->File(name);
    QDir().mkpath(copy);
    for (const QString& file : QDir(work_->File("clean")).entryList(QDir::Files | QDir::Hidden)) {
      QFile::copy(work_->File("clean/" + file), copy + "/" + file);
    }
    return copy;
  }
  static QString FirstFile(const QString& folder, const QString& pattern) {
    const QStringList files = QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : folder + "/" + files.first();
  }

  static QJsonObject RunWithReport(const QStringList& arguments, int* exit_code) {
    const QString report = work_->File("report.json");
    QFile::remove(report);
    const Finished run = Run(arguments + QStringList{"--report", report});
    *exit_code = run.exit_code;
    EXPECT_TRUE(run.out.contains("result: ")) << run.err.toStdString();
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadBytes(report))).object();
  }

  static TempFolder* work_;
};

TempFolder* ReconcileSampleTest::work_ = nullptr;

bool HasFinding(const QJsonObject& report, const QString& kind, const QString& alias_or_file) {
  for (const QJsonValue& finding : report["findings"].toArray()) {
    const QJsonObject entry = finding.toObject();
    if (entry["kind"] == kind && (entry["alias"] == alias_or_file || QFileInfo(entry["file"].toString()).fileName() ==
                                                                          QFileInfo(alias_or_file).fileName())) {
      return true;
    }
  }
  return false;
}

TEST_F(ReconcileSampleTest, ACleanExportVerifiesWithOnlyTheExtractionLogsOwnFailures) {
  int exit_code = -1;
  const QJsonObject report = RunWithReport({"--verify", work_->File("clean")}, &exit_code);
  EXPECT_EQ(exit_code, 0);
  EXPECT_EQ(report["mode"], "verify");
  EXPECT_TRUE(report["ok"].toBool());
  const QJsonObject counts = report["counts"].toObject();
  EXPECT_EQ(counts["rows checked"], counts["csv rows"]);
  EXPECT_GT(counts["voice names checked"].toInt(), 0);
  EXPECT_EQ(counts["messages matched"], counts["message files"]);
  for (const QJsonValue& finding : report["findings"].toArray()) {
    EXPECT_EQ(finding.toObject()["kind"], "explained-failure") << finding.toObject()["detail"].toString().toStdString();
  }
}

TEST_F(ReconcileSampleTest, EachPlantedFaultIsFoundAndNamed) {
  struct Plant {
    const char* name;
    const char* kind;
    // Damages the copy in `folder`; gives the alias or file the finding must name.
    std::function<QString(const QString& folder)> damage;
  };
  const auto message_of_a_clean_mailbox = [](const QString& folder) { return FirstFile(folder, "a*_*.msg"); };
  const Plant plants[] = {
      {"deleted-msg", "missing-message",
       [&](const QString& folder) {
         const QString file = message_of_a_clean_mailbox(folder);
         QFile::remove(file);
         return QFileInfo(file).fileName().section('_', 0, -2);
       }},
      {"truncated-msg", "damaged-message",
       [&](const QString& folder) {
         const QString file = message_of_a_clean_mailbox(folder);
         QFile(file).resize(QFileInfo(file).size() / 2);
         return file;
       }},
      {"duplicated-msg", "duplicate-message",
       [&](const QString& folder) {
         const QString file = message_of_a_clean_mailbox(folder);
         const QString copy = file.left(file.size() - 41) + "_00000000-0000-4000-8000-000000000000.msg";
         QFile::copy(file, copy);
         return QFileInfo(file).fileName().section('_', 0, -2);
       }},
      {"changed-voice-byte", "altered-voice-name",
       [](const QString& folder) {
         const QString file = FirstFile(folder, "*_VOICE_NAME.WAV");
         std::string bytes = ReadBytes(file);
         bytes[bytes.size() / 2] ^= 0x01;
         WriteBytes(file, bytes);
         return file;
       }},
      {"deleted-voice-name", "missing-voice-name",
       [](const QString& folder) {
         const QString file = FirstFile(folder, "*_VOICE_NAME.WAV");
         QFile::remove(file);
         return file;
       }},
      {"altered-field", "altered-row",
       [](const QString& folder) {
         const QString csv = folder + "/KorvelMigrationOutput.csv";
         std::string bytes = ReadBytes(csv);
         const std::string first_name = std::string("\r\0\n\0", 4);
         const size_t second_row = bytes.find(first_name, bytes.find(first_name) + 1) + 4;
         const size_t comma = bytes.find(std::string(",\0", 2), second_row);
         bytes[comma + 2] = bytes[comma + 2] == 'Z' ? 'Y' : 'Z';  // the first name's first letter
         WriteBytes(csv, bytes);
         const std::string row = bytes.substr(second_row, comma - second_row);
         QString alias;
         for (size_t i = 0; i < row.size(); i += 2) alias += QChar(row[i]);
         return alias;
       }},
      {"removed-row", "unaccounted-subscriber",
       [](const QString& folder) {
         const QString csv = folder + "/KorvelMigrationOutput.csv";
         QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(ReadBytes(csv).data() + 2));
         QStringList lines = text.split("\r\n");
         const QString removed = lines.takeAt(3);
         text = lines.join("\r\n");
         WriteBytes(csv, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
         return removed.section(',', 0, 0);
       }},
  };
  for (const Plant& plant : plants) {
    SCOPED_TRACE(plant.name);
    const QString folder = CopyOfCleanExport(plant.name);
    const QString named = plant.damage(folder);
    int exit_code = -1;
    const QJsonObject report = RunWithReport({"--verify", folder}, &exit_code);
    EXPECT_EQ(exit_code, 1);
    EXPECT_FALSE(report["ok"].toBool());
    EXPECT_TRUE(HasFinding(report, plant.kind, named))
        << named.toStdString() << "\n" << QJsonDocument(report).toJson().toStdString();
  }
}

TEST_F(ReconcileSampleTest, ASubscriberAddedAfterTheExportIsUnaccounted) {
  const QString server = work_->File("server");
  const QString saved = work_->File("KorvelDb.before");
  ASSERT_TRUE(QFile::copy(server + "/KorvelDb.sqlite", saved));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "added");
    db.setDatabaseName(server + "/KorvelDb.sqlite");
    ASSERT_TRUE(db.open());
    QSqlQuery copy(db);
    ASSERT_TRUE(copy.exec(
        "INSERT INTO Subscriber (SubscriberObjectID, Alias, SubscriberType, FirstName, LastName, DisplayName, "
        "PWDTMF, BillingID, Language, ListInDirectory, CallHandlerObjectID, COSObjectID, LocationObjectID) "
        "SELECT 'S-late', 'latecomer', 1, 'Late', 'Comer', 'Late Comer', PWDTMF, BillingID, Language, "
        "ListInDirectory, CallHandlerObjectID, COSObjectID, LocationObjectID FROM Subscriber "
        "WHERE CallHandlerObjectID IN (SELECT CallHandlerObjectID FROM CallHandler) "
        "AND COSObjectID IN (SELECT COSObjectID FROM COS) "
        "AND LocationObjectID IN (SELECT LocationObjectID FROM Location) AND lower(Alias) <> 'eadmin' LIMIT 1"))
        << copy.lastError().text().toStdString();
  }
  QSqlDatabase::removeDatabase("added");
  int exit_code = -1;
  const QJsonObject report = RunWithReport({"--verify", work_->File("clean")}, &exit_code);
  QFile::remove(server + "/KorvelDb.sqlite");
  QFile::rename(saved, server + "/KorvelDb.sqlite");
  EXPECT_EQ(exit_code, 1);
  EXPECT_TRUE(HasFinding(report, "unaccounted-subscriber", "latecomer")) << QJsonDocument(report).toJson().toStdString();
}

TEST_F(ReconcileSampleTest, APreflightForeseesTheExportAndWritesNothing) {
  const QString fresh = work_->File("fresh/");
  int exit_code = -1;
  const QJsonObject report =
      RunWithReport({"--preflight", "--output", fresh, "--include-messages", "--accept-account"}, &exit_code);
  EXPECT_EQ(exit_code, 0);
  EXPECT_FALSE(QFileInfo::exists(fresh));
  QStringList reasons;
  for (const QJsonValue& finding : report["findings"].toArray()) {
    if (finding.toObject()["kind"] == "skipped") reasons << finding.toObject()["detail"].toString();
  }
  for (const char16_t* skip : export_engine::kSkipLines) {
    EXPECT_TRUE(reasons.contains(QString::fromUtf16(skip).trimmed())) << QString::fromUtf16(skip).toStdString();
  }
  qint64 folder_bytes = 0;
  for (const QFileInfo& file : QDir(work_->File("clean")).entryInfoList(QDir::Files | QDir::Hidden)) {
    folder_bytes += file.size();
  }
  const double needed = report["counts"].toObject()["bytes needed"].toDouble();
  EXPECT_NEAR(needed, static_cast<double>(folder_bytes), folder_bytes * 0.02);

  // Over the earlier export: a No stops the run, a Yes replaces nothing yet.
  const QStringList before = QDir(work_->File("clean")).entryList(QDir::Files);
  const QJsonObject refused = RunWithReport({"--preflight", "--output", work_->File("clean/")}, &exit_code);
  EXPECT_EQ(exit_code, 1);
  EXPECT_TRUE(HasFinding(refused, "run-would-stop", work_->File("clean/KorvelMigrationOutput.csv")));
  RunWithReport({"--preflight", "--output", work_->File("clean/"), "--overwrite", "--include-messages"}, &exit_code);
  EXPECT_EQ(exit_code, 1) << "the account question is answered No";
  EXPECT_EQ(QDir(work_->File("clean")).entryList(QDir::Files), before);
}

}  // namespace
