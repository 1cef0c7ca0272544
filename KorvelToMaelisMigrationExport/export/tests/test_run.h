// A front end with scripted answers that records what the run showed it, and
// a fixture that runs exports over a test directory.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_TEST_RUN_H_
#define KORVEL_EXPORT_EXPORT_TESTS_TEST_RUN_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QMap>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/export_request.h"
#include "KorvelToMaelisMigrationExport/export/export_run.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_test {

class ScriptedFrontEnd : public export_engine::ExportFrontEnd {
 public:
  bool Ask(const export_engine::Prompt& prompt) override;
  void ShowRunning(bool running) override { running_changes.push_back(running); }
  void SetProgressRange(int) override {}  // the run never sets it
  void SetProgress(int value) override {
    progress.push_back(value);
    if (on_progress) on_progress(value);
  }
  void Yield() override {}
  void SaveSettings(const QString& output_path) override { saved_output_paths << output_path; }
  void OpenProducedFile(const QString& path) override { opened << path; }
  QString ReadMachineString(const QString& key_path, const QString& value_name) override {
    return registry.value(key_path + QLatin1Char('|') + value_name);
  }
  bool RunningAccountIsMessageStoreFacing() override { return account_is_message_store_facing; }
  void PrepareExtractionProgress(const QString& path) override { extraction_steps << "prepare " + path; }
  void ShowExtractionProgress(export_engine::ExportLog& log) override;
  bool StartHiddenProgram(const QString& program, const QStringList& arguments) override {
    extraction_steps << "start " + program + " " + arguments.join('|');
    return extractor_starts;
  }

  // Answers by text id; an id without an answer gets true (OK, Yes).
  std::map<int, bool> answers;
  QMap<QString, QString> registry;  // "key|value name" -> text
  std::function<void(int)> on_progress;  // after each subscriber
  bool account_is_message_store_facing = true;

  // The extraction launch: "prepare PATH", "start PROGRAM ARG|ARG|..." and
  // "show" in the order they came; `on_show` plays the monitoring.
  bool extractor_starts = true;
  std::function<void(export_engine::ExportLog&)> on_show;
  QStringList extraction_steps;

  std::vector<export_engine::Prompt> prompts;
  std::vector<bool> running_changes;
  std::vector<int> progress;
  QStringList saved_output_paths;
  QStringList opened;

  std::vector<int> PromptIds() const;
};

class ExportRunTest : public ::testing::Test {
 protected:
  ExportRunTest();

  // Every catalogue entry, ticked when its position (1 to 16) is listed.
  static std::vector<export_engine::DataItemEntry> Entries(std::initializer_list<int> ticked_positions);
  static std::vector<export_engine::DataItemEntry> AllEntries() { return export_engine::CatalogueEntries(); }

  export_engine::ExportRequest Request(std::vector<export_engine::DataItemEntry> entries) const;

  // Opens the table cache over the test directory, or the database that
  // `connect_string` names, and runs `request`.
  export_engine::RunResult Run(const export_engine::ExportRequest& request, const QString& connect_string = QString());

  QString CsvPath() const { return output_.File("KorvelMigrationOutput.csv"); }
  QString LogPath() const { return output_.File("KorvelToMaelisMigrationErrors.log"); }
  QStringList CsvLines() const;  // without the byte-order mark and line ends
  std::string Log() const { return ReadBytes(LogPath()); }
  // The log from the first "Alias=" line to the empty line before "Export complete".
  std::string SubscriberLog() const;

  TempFolder database_folder_;
  TempFolder output_;
  TestDirectory directory_{database_folder_.File("KorvelDb.sqlite")};
  ScriptedFrontEnd front_end_;
};

}  // namespace export_test

#endif  // KORVEL_EXPORT_EXPORT_TESTS_TEST_RUN_H_
