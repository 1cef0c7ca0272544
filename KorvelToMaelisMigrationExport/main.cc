// KorvelToMaelisMigrationExport: exports a voice-mail server's subscribers for
// the successor product. Without --headless it opens the main window; with it
// it runs one export on the console.
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "KorvelToMaelisMigrationExport/headless_mode.h"
#include "KorvelToMaelisMigrationExport/localisation/language_library.h"
#include "KorvelToMaelisMigrationExport/localisation/mod_localize.h"
#include "KorvelToMaelisMigrationExport/reconcile_mode.h"
#include "KorvelToMaelisMigrationExport/shell/window_mode.h"

namespace {

// Without a display the toolkit cannot open a window and aborts the program;
// better to say so and point to the mode that needs none.
bool DisplayAvailable(const QStringList& arguments) {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || arguments.contains(QStringLiteral("-platform"));
}

// While the window's application object is made, the toolkit opens the
// display; when it cannot, it ends the program with a fatal message that
// suggests reinstalling. The program says instead what it could not open,
// with the toolkit's own reasons, and ends as it does without a display.
// Other messages of that moment are held back until it is known whether
// they explain a failure.
QtMessageHandler g_previous_handler = nullptr;
QStringList g_held_messages;

void HoldDisplayMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    g_held_messages << message;
    return;
  }
  QString display = qEnvironmentVariable("DISPLAY");
  if (display.isEmpty()) display = qEnvironmentVariable("WAYLAND_DISPLAY");
  std::fprintf(stderr, "%s: the display %s could not be opened", export_program::kProgramName,
               display.toLocal8Bit().constData());
  for (const QString& held : std::as_const(g_held_messages)) {
    std::fprintf(stderr, "; %s", held.toLocal8Bit().constData());
  }
  std::fprintf(stderr, "\n%s: run one export with --headless (see --help)\n", export_program::kProgramName);
  std::fflush(stderr);
  (void)context;
  std::_Exit(export_program::kExitStartupEnded);
}

void ReleaseHeldMessages() {
  qInstallMessageHandler(g_previous_handler);
  for (const QString& held : std::as_const(g_held_messages)) qWarning("%s", qUtf8Printable(held));
  g_held_messages.clear();
}

}  // namespace

int main(int argc, char** argv) {
  using export_program::kProgramName;
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const export_program::ParsedCommandLine parsed = export_program::ParseCommandLine(arguments);
  const QString program_name = QString::fromLatin1(kProgramName);

  if (!parsed.usage_error.isEmpty()) {
    std::fprintf(stderr, "%s: %s\n\n%s", kProgramName, parsed.usage_error.toLocal8Bit().constData(),
                 export_program::UsageText(program_name).toLocal8Bit().constData());
    return export_program::kExitUsage;
  }
  const export_program::CommandLine& command_line = parsed.command_line;
  if (command_line.help) {
    std::fputs(export_program::UsageText(program_name).toLocal8Bit().constData(), stdout);
    return export_program::kExitReachedEnd;
  }
  if (command_line.version) {
    // The language files found say whether the program's companions are where
    // it looks for them, however it was started (an installed program runs
    // through a link in another folder).
    QCoreApplication app(argc, argv);
    const QStringList languages =
        localisation::FindLanguageCodes(localisation::ProgramFolder(), localisation::ExecutableName());
    std::printf("%s %d.%d.%d\nLanguage files: %s\n", kProgramName, KORVEL_VERSION_MAJOR, KORVEL_VERSION_MINOR,
                KORVEL_VERSION_PATCH,
                languages.isEmpty() ? "none" : languages.join(QStringLiteral(", ")).toLocal8Bit().constData());
    return export_program::kExitReachedEnd;
  }

  if (command_line.headless) {
    QCoreApplication app(argc, argv);
    return export_program::RunHeadless(command_line);
  }
  if (command_line.preflight) {
    QCoreApplication app(argc, argv);
    return export_program::RunPreflight(command_line);
  }
  if (command_line.verify) {
    QCoreApplication app(argc, argv);
    return export_program::RunVerify(command_line);
  }
  if (!DisplayAvailable(arguments)) {
    std::fprintf(stderr, "%s: no display to open the main window on; run one export with --headless (see --help)\n",
                 kProgramName);
    return export_program::kExitStartupEnded;
  }
  g_previous_handler = qInstallMessageHandler(HoldDisplayMessages);
  QApplication app(argc, argv);
  ReleaseHeldMessages();
  // The installed desktop entry and its icon; outside an installation the
  // icon theme has no such icon and the window keeps the toolkit's default.
  QGuiApplication::setDesktopFileName(QStringLiteral("korvel-migration-export"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("korvel-migration-export")));
  return shell::RunMainWindow(command_line);
}
