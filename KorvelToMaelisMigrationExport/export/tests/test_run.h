// A front end with scripted answers that records what the run showed it, and
// a fixture that runs exports over a test directory.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_TEST_RUN_H_
#define KORVEL_EXPORT_EXPORT_TESTS_TEST_RUN_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/data_items.h"
#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/export_request.h"
#include "KorvelToMaelisMigrationExport/export/export_run.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_directory.h"
#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

namespace export_test {

class ScriptedFrontEnd : public export_engine::ExportFrontEnd {
 public:
  // Answers by text id; an id without an answer gets true (OK, Yes).
  bool Ask(const export_engine::Prompt& prompt) override {
    prompts.push_back(prompt);
    auto answer = answers.find(prompt.text_id);
    return answer == answers.end() || answer->second;
  }
  void ShowRunning(bool) override {}
  void SetProgressRange(int) override {}  // the run never sets it
  void SetProgress(int) override {}
  void Yield() override {}
  void SaveSettings(const QString& output_path) override { saved_output_paths << output_path; }
  void OpenProducedFile(const QString& path) override { opened << path; }
  QString ReadMachineString(const QString&, const QString& value_name) override {
    return value_name == u"Root Path" ? root_path : QString();
  }
  bool RunningAccountIsMessageStoreFacing() override { return account_is_message_store_facing; }
  // The extraction launch: "prepare PATH", "start PROGRAM ARG|ARG|..." and
  // "show" in the order they came; `on_show` plays the monitoring.
  void PrepareExtractionProgress(const QString& path) override { extraction_steps << "prepare " + path; }
  void ShowExtractionProgress(export_engine::ExportLog& log) override {
    extraction_steps << QStringLiteral("show");
    if (on_show) on_show(log);
  }
  bool StartHiddenProgram(const QString& program, const QStringList& arguments) override {
    extraction_steps << "start " + program + " " + arguments.join('|');
    return extractor_starts;
  }
  std::vector<int> PromptIds() const {
    std::vector<int> ids;
    for (const export_engine::Prompt& prompt : prompts) ids.push_back(prompt.text_id);
    return ids;
  }

  std::map<int, bool> answers;
  QString root_path;
  bool account_is_message_store_facing = true;
  bool extractor_starts = true;
  std::function<void(export_engine::ExportLog&)> on_show;
  QStringList extraction_steps;
  std::vector<export_engine::Prompt> prompts;
  QStringList saved_output_paths;
  QStringList opened;
};

class ExportRunTest : public ::testing::Test {
 protected:
  ExportRunTest() { front_end_.root_path = database_folder_.path() + "/"; }

  // Every catalogue entry, ticked when its position (1 to 16) is listed.
  static std::vector<export_engine::DataItemEntry> Entries(std::initializer_list<int> ticked_positions) {
    std::vector<export_engine::DataItemEntry> entries = AllEntries();
    for (export_engine::DataItemEntry& entry : entries) entry.ticked = false;
    for (int position : ticked_positions) entries.at(static_cast<size_t>(position - 1)).ticked = true;
    return entries;
  }
  static std::vector<export_engine::DataItemEntry> AllEntries() { return export_engine::CatalogueEntries(); }

  export_engine::ExportRequest Request(std::vector<export_engine::DataItemEntry> entries) const {
    export_engine::ExportRequest request;
    request.output_path = CsvPath();
    request.data_items = std::move(entries);
    request.started_with_arguments = true;
    return request;
  }

  // Opens the table cache over the test directory, or the database that
  // `connect_string` names, and runs `request`.
  export_engine::RunResult Run(const export_engine::ExportRequest& request, const QString& connect_string = QString()) {
    export_engine::TableCache tables;
    EXPECT_TRUE(tables.OpenDirectoryTables(connect_string.isEmpty() ? directory_.connect_string() : connect_string))
        << tables.last_failure().description().toStdString();
    std::int64_t count = 0;
    EXPECT_TRUE(export_engine::CountExportedSubscribers(tables.database(), &count).ok());
    export_engine::ExportEnvironment environment{tables, {"KorvelToMaelisMigrationExport", 1, 0, 23}, count};
    return export_engine::RunExport(request, environment, front_end_);
  }

  QString CsvPath() const { return output_.File("KorvelMigrationOutput.csv"); }
  QString LogPath() const { return output_.File("KorvelToMaelisMigrationErrors.log"); }
  // Without the byte-order mark and line ends.
  QStringList CsvLines() const {
    QStringList lines = ReadUtf16LeText(CsvPath()).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.takeLast(), QString()) << "the last line ends with CR LF";
    return lines;
  }
  std::string Log() const { return ReadBytes(LogPath()); }
  // The log from the first "Alias=" line to the empty line before "Export complete".
  std::string SubscriberLog() const {
    const std::string log = Log();
    const size_t begin = log.find("\r\nAlias="), end = log.find("\r\nExport complete: ");
    if (begin == std::string::npos || end == std::string::npos) return "<no subscriber lines>";
    return log.substr(begin, end - begin);
  }

  TempFolder database_folder_;
  TempFolder output_;
  TestDirectory directory_{database_folder_.File("KorvelDb.sqlite")};
  ScriptedFrontEnd front_end_;
};

}  // namespace export_test

#endif  // KORVEL_EXPORT_EXPORT_TESTS_TEST_RUN_H_
