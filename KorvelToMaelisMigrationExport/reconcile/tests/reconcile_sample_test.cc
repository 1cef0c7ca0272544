// The pre-flight and the verification as an administrator runs them, over a
// sample server exported once with its messages: a clean folder verifies, each
// kind of damage is found and named, and a pre-flight foresees the export.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <functional>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace {

using export_test::Finished;
using export_test::ReadBytes;
using export_test::TempFolder;
using export_test::WriteBytes;

class ReconcileSampleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    work_ = new TempFolder;
    const Finished sample = export_test::RunProgram("korvel-sample", {work_->File("server"), "--seed", "5"},
                                                    QProcessEnvironment::systemEnvironment());
    ASSERT_EQ(sample.exit_code, 0) << sample.err.toStdString();
    ASSERT_TRUE(QDir().mkpath(work_->File("clean")));
    const Finished run = Run({"--headless", "--output", work_->File("clean/"), "--include-messages", "--accept-account"});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
  }
  static void TearDownTestSuite() { delete work_; }

  static Finished Run(const QStringList& arguments) {
    return export_test::RunProgram(
        "KorvelToMaelisMigrationExport", arguments,
        export_test::ProgramEnvironment(work_->path(), work_->File("server/registry.reg"),
                                        "sqlite:" + work_->File("server/KorvelDb.sqlite")));
  }
  // The JSON report of a check; `exit_code` gets its status.
  static QJsonObject Report(const QStringList& arguments, int* exit_code) {
    const QString report = work_->File("report.json");
    QFile::remove(report);
    const Finished run = Run(arguments + QStringList{"--report", report});
    *exit_code = run.exit_code;
    EXPECT_TRUE(run.out.contains("result: ")) << run.err.toStdString();
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadBytes(report))).object();
  }
  static QString FirstFile(const QString& folder, const QString& pattern) {
    const QStringList files = QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : folder + "/" + files.first();
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
  const QJsonObject report = Report({"--verify", work_->File("clean")}, &exit_code);
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

// Rewrites the CSV file of `folder` with `change` applied to its lines; gives
// the alias of the line `change` names by its index, before the change.
QString ChangeCsv(const QString& folder, const std::function<qsizetype(QStringList&)>& change) {
  const QString csv = folder + "/KorvelMigrationOutput.csv";
  QStringList rows = export_test::ReadUtf16LeText(csv).split("\r\n");
  const QStringList before = rows;
  const QString alias = before[change(rows)].section(',', 0, 0);
  const QString text = rows.join("\r\n");
  WriteBytes(csv, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
  return alias;
}

TEST_F(ReconcileSampleTest, EachPlantedFaultIsFoundAndNamed) {
  // Each damages a copy of the clean export and gives the alias or file the finding must name.
  const auto message = [](const QString& folder) { return FirstFile(folder, "a*_*.msg"); };
  const auto voice_name = [](const QString& folder) { return FirstFile(folder, "*_VOICE_NAME.WAV"); };
  const auto owner = [](const QString& file) { return QFileInfo(file).fileName().section('_', 0, -2); };
  const std::pair<const char*, std::function<QString(const QString& folder)>> plants[] = {
      {"missing-message",
       [&](const QString& folder) {
         const QString file = message(folder);
         QFile::remove(file);
         return owner(file);
       }},
      {"duplicate-message",
       [&](const QString& folder) {
         const QString file = message(folder);
         QFile::copy(file, file.left(file.size() - 41) + "_00000000-0000-4000-8000-000000000000.msg");
         return owner(file);
       }},
      {"altered-voice-name",
       [&](const QString& folder) {
         std::string bytes = ReadBytes(voice_name(folder));
         bytes[bytes.size() / 2] ^= 0x01;
         WriteBytes(voice_name(folder), bytes);
         return voice_name(folder);
       }},
      {"altered-voice-name",
       [&](const QString& folder) {
         WriteBytes(voice_name(folder), ReadBytes(voice_name(folder)) + "x");
         return voice_name(folder);
       }},
      {"missing-voice-name",
       [&](const QString& folder) {
         const QString file = voice_name(folder);
         QFile::remove(file);
         return file;
       }},
      {"altered-row",  // the first name's first letter
       [](const QString& folder) {
         return ChangeCsv(folder, [](QStringList& rows) {
           QChar& letter = rows[1][rows[1].indexOf(',') + 1];
           letter = letter == 'Z' ? 'Y' : 'Z';
           return 1;
         });
       }},
      {"altered-row",  // an empty last field left out
       [](const QString& folder) {
         return ChangeCsv(folder, [](QStringList& rows) {
           const qsizetype row = rows.indexOf(QRegularExpression(".*,$"), 1);
           rows[row].chop(1);
           return row;
         });
       }},
      {"unaccounted-subscriber",
       [](const QString& folder) {
         return ChangeCsv(folder, [](QStringList& rows) {
           rows.removeAt(3);
           return 3;
         });
       }},
  };
  int planted = 0;
  for (const auto& [kind, damage] : plants) {
    SCOPED_TRACE(kind);
    const QString folder = work_->File(QString::number(++planted));
    QDir().mkpath(folder);
    for (const QString& file : QDir(work_->File("clean")).entryList(QDir::Files | QDir::Hidden)) {
      QFile::copy(work_->File("clean/" + file), folder + "/" + file);
    }
    const QString named = damage(folder);
    int exit_code = -1;
    const QJsonObject report = Report({"--verify", folder}, &exit_code);
    EXPECT_EQ(exit_code, 1);
    EXPECT_FALSE(report["ok"].toBool());
    EXPECT_TRUE(HasFinding(report, kind, named))
        << named.toStdString() << "\n" << QJsonDocument(report).toJson().toStdString();
  }
}

TEST_F(ReconcileSampleTest, APreflightForeseesTheExportAndWritesNothing) {
  const QString fresh = work_->File("fresh/");
  int exit_code = -1;
  const QJsonObject report = Report({"--preflight", "--output", fresh, "--include-messages", "--accept-account"}, &exit_code);
  EXPECT_EQ(exit_code, 0);
  EXPECT_FALSE(QFileInfo::exists(fresh));
  qint64 folder_bytes = 0;
  for (const QFileInfo& file : QDir(work_->File("clean")).entryInfoList(QDir::Files | QDir::Hidden)) {
    folder_bytes += file.size();
  }
  const double needed = report["counts"].toObject()["bytes needed"].toDouble();
  EXPECT_NEAR(needed, static_cast<double>(folder_bytes), folder_bytes * 0.02);

  // Over the earlier export: a No stops the run, a Yes replaces nothing yet.
  const QStringList before = QDir(work_->File("clean")).entryList(QDir::Files);
  const QJsonObject refused = Report({"--preflight", "--output", work_->File("clean/")}, &exit_code);
  EXPECT_EQ(exit_code, 1);
  EXPECT_TRUE(HasFinding(refused, "run-would-stop", work_->File("clean/KorvelMigrationOutput.csv")));
  Report({"--preflight", "--output", work_->File("clean/"), "--overwrite", "--include-messages"}, &exit_code);
  EXPECT_EQ(exit_code, 1) << "the account question is answered No";
  EXPECT_EQ(QDir(work_->File("clean")).entryList(QDir::Files), before);
}

}  // namespace
