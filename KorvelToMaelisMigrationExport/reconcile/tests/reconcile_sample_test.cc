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

// Rewrites the CSV file `csv` with `change` applied to its lines; gives what
// `change` gives.
QString ChangeCsv(const QString& csv, const std::function<QString(QStringList&)>& change) {
  QStringList rows = export_test::ReadUtf16LeText(csv).split("\r\n");
  const QString named = change(rows), text = rows.join("\r\n");
  WriteBytes(csv, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
  return named;
}
QString Owner(const QString& file) { return QFileInfo(file).fileName().section('_', 0, -2); }

TEST_F(ReconcileSampleTest, EachPlantedFaultIsFoundAndNamed) {
  // Each damages the first file of its pattern in a copy of the clean export
  // and gives the alias or file the finding must name.
  const struct {
    const char* kind;
    const char* pattern;
    std::function<QString(const QString& file)> damage;
  } plants[] = {
      {"missing-message", "a*_*.msg", [](const QString& file) { return QFile::remove(file) ? Owner(file) : ""; }},
      {"duplicate-message", "a*_*.msg",
       [](const QString& file) {
         QFile::copy(file, file.left(file.size() - 41) + "_00000000-0000-4000-8000-000000000000.msg");
         return Owner(file);
       }},
      {"altered-voice-name", "*_VOICE_NAME.WAV",
       [](const QString& file) {
         std::string bytes = ReadBytes(file);
         bytes[bytes.size() / 2] ^= 0x01;
         WriteBytes(file, bytes);
         return file;
       }},
      {"missing-voice-name", "*_VOICE_NAME.WAV", [](const QString& file) { return QFile::remove(file) ? file : ""; }},
      {"altered-row", "*.csv",  // the first name's first letter
       [](const QString& file) {
         return ChangeCsv(file, [](QStringList& rows) {
           QChar& letter = rows[1][rows[1].indexOf(',') + 1];
           letter = letter == 'Z' ? 'Y' : 'Z';
           return rows[1].section(',', 0, 0);
         });
       }},
      {"altered-row", "*.csv",  // an empty last field left out
       [](const QString& file) {
         return ChangeCsv(file, [](QStringList& rows) {
           QString& row = rows[rows.indexOf(QRegularExpression(".*,$"), 1)];
           row.chop(1);
           return row.section(',', 0, 0);
         });
       }},
      {"unaccounted-subscriber", "*.csv",
       [](const QString& file) {
         return ChangeCsv(file, [](QStringList& rows) { return rows.takeAt(3).section(',', 0, 0); });
       }},
  };
  int planted = 0;
  for (const auto& [kind, pattern, damage] : plants) {
    SCOPED_TRACE(kind);
    const QString folder = work_->File(QString::number(++planted));
    QDir().mkpath(folder);
    for (const QString& file : QDir(work_->File("clean")).entryList(QDir::Files | QDir::Hidden)) {
      QFile::copy(work_->File("clean/" + file), folder + "/" + file);
    }
    const QString named = damage(folder + "/" + QDir(folder).entryList({pattern}, QDir::Files, QDir::Name).value(0));
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
}

}  // namespace
