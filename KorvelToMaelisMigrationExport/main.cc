// KorvelToMaelisMigrationExport: exports a voice-mail server's subscribers for
// the successor product. Without --headless it opens the main window; with it
// it runs one export on the console.
#include <cstdio>

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include "KorvelToMaelisMigrationExport/command_line.h"
#include "KorvelToMaelisMigrationExport/headless_mode.h"
#include "KorvelToMaelisMigrationExport/shell/window_mode.h"

namespace {

// Without a display the toolkit cannot open a window and aborts the program;
// better to say so and point to the mode that needs none.
bool DisplayAvailable(const QStringList& arguments) {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || arguments.contains(QStringLiteral("-platform"));
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
    std::printf("%s %d.%d.%d\n", kProgramName, KORVEL_VERSION_MAJOR, KORVEL_VERSION_MINOR, KORVEL_VERSION_PATCH);
    return export_program::kExitReachedEnd;
  }

  if (command_line.headless) {
    QCoreApplication app(argc, argv);
    return export_program::RunHeadless(command_line);
  }
  if (!DisplayAvailable(arguments)) {
    std::fprintf(stderr, "%s: no display to open the main window on; run one export with --headless (see --help)\n",
                 kProgramName);
    return export_program::kExitStartupEnded;
  }
  QApplication app(argc, argv);
  return shell::RunMainWindow(command_line);
}
