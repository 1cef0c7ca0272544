#include "KorvelToMaelisMigrationExport/startup.h"

#include <algorithm>
#include <limits>

#include <QCoreApplication>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/directory_database.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

namespace export_program {
namespace {

constexpr int kCouldNotOpenDatabase = 112;
constexpr int kStartupFailed = 18;
constexpr int kExitingApplication = 20;

void Notify(export_engine::ExportFrontEnd& front_end, int text_id, const QString& text) {
  front_end.Ask({text_id, text, export_engine::PromptButtons::kOk});
}

}  // namespace

QString ChooseConnectString(const std::optional<QString>& option) {
  if (option) return *option;
  const QString from_environment = qEnvironmentVariable("KORVEL_DB_CONNECT");
  if (!from_environment.isEmpty()) return from_environment;
  return QString::fromLatin1(export_engine::kDefaultConnectString);
}

export_engine::ProgramIdentity ThisProgram() {
  return {QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(), KORVEL_VERSION_MAJOR,
          KORVEL_VERSION_MINOR, KORVEL_VERSION_PATCH};
}

StartupResult StartProgram(const QString& connect_string, const QString& command_line_text,
                           export_engine::ExportFrontEnd& front_end, ProgramSession* session,
                           QString* failure_detail) {
  // The shell's own checks come first, in this order: a second running copy
  // ends at once; the priority is lowered; the captions are loaded; the
  // server must be running and recent enough (unless the command line says
  // SkipVersionCheck).

  if (!session->tables.OpenDirectoryTables(connect_string)) {
    *failure_detail = session->tables.last_failure().description();
    Notify(front_end, kCouldNotOpenDatabase, localisation::myLoadResString(kCouldNotOpenDatabase));
    return StartupResult::kEndProgram;
  }

  // The window restores the last output path here.

  const export_engine::Status counted =
      export_engine::CountExportedSubscribers(session->tables.database(), &session->subscriber_count);
  if (!counted.ok()) {
    *failure_detail = counted.description();
    if (command_line_text.isEmpty()) {
      Notify(front_end, kStartupFailed, localisation::myLoadResString(kStartupFailed) + counted.description());
      Notify(front_end, kExitingApplication, localisation::myLoadResString(kExitingApplication));
    }
    return StartupResult::kEndProgram;
  }
  front_end.SetProgressRange(
      static_cast<int>(std::clamp<std::int64_t>(session->subscriber_count, 0, std::numeric_limits<int>::max())));
  return StartupResult::kReady;
}

}  // namespace export_program
