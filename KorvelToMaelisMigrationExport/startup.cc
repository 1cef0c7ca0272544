#include "KorvelToMaelisMigrationExport/startup.h"

#include <algorithm>
#include <exception>
#include <limits>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "KorvelToMaelisMigrationExport/export/directory_database.h"
#include "KorvelToMaelisMigrationExport/localisation/string_table.h"
#include "KorvelToMaelisMigrationExport/monitor/priority.h"
#include "KorvelToMaelisMigrationExport/shell/server_state.h"
#include "platform/registry/registry.h"

namespace export_program {
namespace {

using localisation::myLoadResString;

constexpr char16_t kSkipVersionCheck[] = u"SkipVersionCheck";
// Not in the string table: the override is for support staff, in English.
constexpr char16_t kVersionCheckOverridden[] =
    u"Allowing app to run via command line over ride.  This export is not supported by Norvane PSD or QRBU.";

void Notify(export_engine::ExportFrontEnd& front_end, int text_id, const QString& text) {
  front_end.Ask({text_id, text, export_engine::PromptButtons::kOk});
}

void Notify(export_engine::ExportFrontEnd& front_end, int text_id) {
  Notify(front_end, text_id, myLoadResString(text_id));
}

// Why the registry file cannot be read, naming the file and line; empty when
// it can (a missing file is an empty registry). Unread, the file would pass
// for a server without any values.
QString RegistryFileProblem() {
  HKEY root = nullptr;
  const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"", 0, KEY_READ, &root);
  if (status == ERROR_SUCCESS) RegCloseKey(root);
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return QString();
  return QString::fromLocal8Bit(RegistryLastError().c_str());
}

// What a console shows under the version notice: the version found, and
// where it came from, since a missing registry file reads as version 0.
QString VersionFailureDetail(const shell::ServerVersion& found) {
  const QString registry_file = QFile::decodeName(RegistryFilePath().c_str());
  QString detail = QStringLiteral("server version %1 found, %2 needed (registry file %3")
                       .arg(shell::VersionText(found), shell::VersionText(shell::kMinimumServerVersion), registry_file);
  if (!QFileInfo::exists(registry_file)) detail += QStringLiteral(", which does not exist");
  return detail + QLatin1Char(')');
}

class Startup {
 public:
  Startup(const QString& command_line_text, export_engine::ExportFrontEnd& front_end, StartupWindow* window,
          ProgramSession* session, QString* failure_detail)
      : command_line_text_(command_line_text),
        front_end_(front_end),
        window_(window),
        session_(session),
        failure_detail_(failure_detail) {}

  StartupResult Run(const QString& connect_string) {
    switch (session_->single_copy.Acquire(QString::fromLatin1(kProgramName))) {
      case shell::SingleCopyLock::Result::kAcquired:
        break;
      case shell::SingleCopyLock::Result::kAnotherCopyRuns:
        *failure_detail_ = QStringLiteral("another copy is already running");
        return StartupResult::kEndProgram;
      case shell::SingleCopyLock::Result::kFailed:
        return UnexpectedFailure(session_->single_copy.failure());
    }

    if (const QString problem = RegistryFileProblem(); !problem.isEmpty()) return UnexpectedFailure(problem);

    // A priority that stays as it was slows nobody down but the server.
    monitor::LowerOwnPriorityBelowNormal();

    if (window_ != nullptr) window_->LoadCaptions();

    if (shell::ReadServerState() != shell::kServerStateRunning && command_line_text_.isEmpty()) {
      Notify(front_end_, kServerMustBeRunning);
    }

    session_->server_version = shell::ReadServerVersion();
    session_->command_line_text = command_line_text_;

    if (!shell::VersionIsAtLeast(session_->server_version, shell::kMinimumServerVersion)) {
      Notify(front_end_, kServerTooOld);
      if (!command_line_text_.contains(QStringView(kSkipVersionCheck), Qt::CaseInsensitive)) {
        *failure_detail_ = VersionFailureDetail(session_->server_version);
        return StartupResult::kEndProgram;
      }
      Notify(front_end_, export_engine::Prompt::kComposedText, QString::fromUtf16(kVersionCheckOverridden));
    }

    if (!session_->tables.OpenDirectoryTables(connect_string)) {
      *failure_detail_ = session_->tables.last_failure().description();
      Notify(front_end_, kCouldNotOpenDatabase);
      return StartupResult::kEndProgram;
    }

    if (window_ != nullptr) window_->LoadSettings();

    const export_engine::Status counted =
        export_engine::CountExportedSubscribers(session_->tables.database(), &session_->subscriber_count);
    if (!counted.ok()) return UnexpectedFailure(counted.description());
    front_end_.SetProgressRange(
        static_cast<int>(std::clamp<std::int64_t>(session_->subscriber_count, 0, std::numeric_limits<int>::max())));

    if (window_ != nullptr) window_->FillDataItems();
    return StartupResult::kReady;
  }

  // Any failure start-up has no notice of its own for ends the program, after
  // saying so when nobody gave a command line.
  StartupResult UnexpectedFailure(const QString& description) {
    *failure_detail_ = description;
    if (command_line_text_.isEmpty()) {
      Notify(front_end_, kStartupFailed, myLoadResString(kStartupFailed) + description);
      Notify(front_end_, kExitingApplication);
    }
    return StartupResult::kEndProgram;
  }

 private:
  const QString command_line_text_;
  export_engine::ExportFrontEnd& front_end_;
  StartupWindow* const window_;
  ProgramSession* const session_;
  QString* const failure_detail_;
};

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
                           export_engine::ExportFrontEnd& front_end, StartupWindow* window, ProgramSession* session,
                           QString* failure_detail) {
  Startup startup(command_line_text, front_end, window, session, failure_detail);
  try {
    return startup.Run(connect_string);
  } catch (const std::exception& failure) {
    return startup.UnexpectedFailure(QString::fromLocal8Bit(failure.what()));
  }
}

}  // namespace export_program
