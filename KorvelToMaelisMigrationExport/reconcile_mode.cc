#include "KorvelToMaelisMigrationExport/reconcile_mode.h"

#include <unistd.h>

#include <cstdio>
#include <utility>
#include <vector>

#include <QDir>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/export_request.h"
#include "KorvelToMaelisMigrationExport/headless_front_end.h"
#include "KorvelToMaelisMigrationExport/reconcile/preflight.h"
#include "KorvelToMaelisMigrationExport/reconcile/report.h"
#include "KorvelToMaelisMigrationExport/reconcile/verification.h"
#include "KorvelToMaelisMigrationExport/startup.h"

namespace export_program {
namespace {

// The headless front end that keeps its hands off everything: it answers
// as the headless mode would and remembers each question, but saves no
// setting, opens no file and starts no program.
class PreflightFrontEnd : public HeadlessFrontEnd, public reconcile::QuestionRecorder {
 public:
  using HeadlessFrontEnd::HeadlessFrontEnd;

  bool Ask(const export_engine::Prompt& prompt) override {
    const bool answer = HeadlessFrontEnd::Ask(prompt);
    if (prompt.buttons == export_engine::PromptButtons::kYesNo) questions_.emplace_back(prompt.text, answer);
    return answer;
  }
  void SaveSettings(const QString&) override {}
  void OpenProducedFile(const QString&) override {}
  void PrepareExtractionProgress(const QString&) override {}
  void ShowExtractionProgress(export_engine::ExportLog&) override {}
  bool StartHiddenProgram(const QString&, const QStringList&) override { return false; }

  std::vector<std::pair<QString, bool>> questions() const override { return questions_; }

 private:
  std::vector<std::pair<QString, bool>> questions_;
};

bool Start(const CommandLine& command_line, export_engine::ExportFrontEnd& front_end, ProgramSession* session) {
  QString failure_detail;
  if (StartProgram(ChooseConnectString(command_line.connect), command_line.text, front_end, nullptr, session,
                   &failure_detail) == StartupResult::kReady) {
    return true;
  }
  if (!failure_detail.isEmpty()) std::fprintf(stderr, "%s: %s\n", kProgramName, failure_detail.toLocal8Bit().constData());
  return false;
}

void AnnounceStage(const QString& stage) {
  std::fprintf(stderr, "%s ...\n", stage.toLocal8Bit().constData());
  std::fflush(stderr);
}

int Finish(const CommandLine& command_line, const reconcile::Report& report) {
  std::fputs(report.Text().toLocal8Bit().constData(), stdout);
  std::fflush(stdout);
  if (command_line.report) {
    QString error;
    if (!reconcile::WriteReportFile(QFileInfo(*command_line.report).absoluteFilePath(), report.Json(), &error)) {
      std::fprintf(stderr, "%s: %s\n", kProgramName, error.toLocal8Bit().constData());
      return kExitRunEnded;
    }
  }
  return report.ok() ? kExitReachedEnd : kExitRunEnded;
}

}  // namespace

int RunPreflight(const CommandLine& command_line) {
  PreflightFrontEnd front_end(stderr, {command_line.overwrite, command_line.accept_account},
                              ::isatty(STDERR_FILENO) == 1);
  ProgramSession session;
  if (!Start(command_line, front_end, &session)) return kExitStartupEnded;

  export_engine::ExportRequest request;
  request.output_path = command_line.output ? OutputPathForOption(*command_line.output) : QString();
  request.data_items = command_line.data_items;
  request.include_messages = command_line.include_messages;
  request.started_with_arguments = true;
  return Finish(command_line,
                reconcile::PreflightExport(request, session.tables, session.subscriber_count, front_end, front_end,
                                           AnnounceStage));
}

int RunVerify(const CommandLine& command_line) {
  const QString folder = QFileInfo(*command_line.verify).absoluteFilePath();
  if (!QFileInfo(folder).isDir()) {
    std::fprintf(stderr, "%s: --verify: %s is no folder\n", kProgramName, folder.toLocal8Bit().constData());
    return kExitUsage;
  }
  HeadlessFrontEnd front_end(stderr, {}, ::isatty(STDERR_FILENO) == 1);
  ProgramSession session;
  if (!Start(command_line, front_end, &session)) return kExitStartupEnded;
  QString with_separator = folder;
  if (!with_separator.endsWith(QLatin1Char('/'))) with_separator += QLatin1Char('/');
  return Finish(command_line,
                reconcile::VerifyExportFolder(with_separator, session.tables, session.subscriber_count, front_end,
                                              AnnounceStage));
}

}  // namespace export_program
