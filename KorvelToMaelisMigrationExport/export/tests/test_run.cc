#include "KorvelToMaelisMigrationExport/export/tests/test_run.h"

#include <cstdint>

#include "KorvelToMaelisMigrationExport/export/table_cache.h"

namespace export_test {

using export_engine::DataItemEntry;

bool ScriptedFrontEnd::Ask(const export_engine::Prompt& prompt) {
  prompts.push_back(prompt);
  auto answer = answers.find(prompt.text_id);
  return answer == answers.end() || answer->second;
}

void ScriptedFrontEnd::ShowExtractionProgress(export_engine::ExportLog& log) {
  extraction_steps << QStringLiteral("show");
  if (on_show) on_show(log);
}

std::vector<int> ScriptedFrontEnd::PromptIds() const {
  std::vector<int> ids;
  for (const export_engine::Prompt& prompt : prompts) ids.push_back(prompt.text_id);
  return ids;
}

ExportRunTest::ExportRunTest() {
  front_end_.registry["Software\\Halvern\\Trellium\\1.0|Root Path"] = database_folder_.path() + "/";
}

std::vector<DataItemEntry> ExportRunTest::Entries(std::initializer_list<int> ticked_positions) {
  std::vector<DataItemEntry> entries = export_engine::CatalogueEntries();
  for (DataItemEntry& entry : entries) entry.ticked = false;
  for (int position : ticked_positions) entries.at(static_cast<size_t>(position - 1)).ticked = true;
  return entries;
}

export_engine::ExportRequest ExportRunTest::Request(std::vector<DataItemEntry> entries) const {
  export_engine::ExportRequest request;
  request.output_path = CsvPath();
  request.data_items = std::move(entries);
  request.started_with_arguments = true;
  return request;
}

export_engine::RunResult ExportRunTest::Run(const export_engine::ExportRequest& request,
                                            const QString& connect_string) {
  export_engine::TableCache tables;
  EXPECT_TRUE(tables.OpenDirectoryTables(connect_string.isEmpty() ? directory_.connect_string() : connect_string))
      << tables.last_failure().description().toStdString();
  std::int64_t count = 0;
  EXPECT_TRUE(export_engine::CountExportedSubscribers(tables.database(), &count).ok());
  export_engine::ExportEnvironment environment{tables, {"KorvelToMaelisMigrationExport", 1, 0, 23}, count};
  return export_engine::RunExport(request, environment, front_end_);
}

QStringList ExportRunTest::CsvLines() const {
  QStringList lines = ReadUtf16LeText(CsvPath()).split(QStringLiteral("\r\n"));
  EXPECT_EQ(lines.takeLast(), QString()) << "the last line ends with CR LF";
  return lines;
}

std::string ExportRunTest::SubscriberLog() const {
  const std::string log = Log();
  const size_t begin = log.find("\r\nAlias=");
  const size_t end = log.find("\r\nExport complete: ");
  if (begin == std::string::npos || end == std::string::npos) return "<no subscriber lines>";
  return log.substr(begin, end - begin);
}

}  // namespace export_test
