#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

#include <memory>

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

namespace export_test {
namespace {

// Qt loads its database drivers as plugins, which needs an application object.
// A test of windows makes its own before any test runs.
struct QtApplicationEnvironment : ::testing::Environment {
  void SetUp() override {
    if (QCoreApplication::instance() == nullptr) app = std::make_unique<QCoreApplication>(argc, argv);
  }
  void TearDown() override { app.reset(); }
  int argc = 1;
  char name[16] = "export_test";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QCoreApplication> app;
};
[[maybe_unused]] const ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

QString ReadUtf16LeText(const QString& path) {
  const std::string bytes = ReadBytes(path);
  if (!bytes.starts_with("\xFF\xFE")) return QStringLiteral("<no byte-order mark>");
  // The machine is little-endian.
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

void WriteServerRegistry(const QString& path, const ServerRegistry& registry) {
  const auto dword = [](quint32 value) {
    return QStringLiteral("=dword:%1\r\n").arg(value, 8, 16, QLatin1Char('0')).toStdString();
  };
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern]\r\n"
                     "\"Version Number\"" + dword(registry.version_number) +
                     "\"Build Number\"" + dword(registry.build_number);
  if (registry.server_state || !registry.root_path.isEmpty()) {
    text += "\r\n[HKEY_LOCAL_MACHINE\\Software\\Halvern\\Trellium\\1.0]\r\n";
    if (registry.server_state) text += "\"Server State\"" + dword(*registry.server_state);
    if (!registry.root_path.isEmpty()) text += "\"Root Path\"=\"" + registry.root_path.toStdString() + "\"\r\n";
  }
  if (!registry.service_account.isEmpty()) {
    text += "\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QoTmMgr]\r\n\"ObjectName\"=\"" +
            QString(registry.service_account).replace(QLatin1String("\\"), QLatin1String("\\\\")).toStdString() +
            "\"\r\n";
  }
  WriteBytes(path, text);
}

Finished RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                    const QString& working_folder, std::function<void()> in_child) {
  QProcess process;
  process.setProcessEnvironment(environment);
  if (!working_folder.isEmpty()) process.setWorkingDirectory(working_folder);
  if (in_child) process.setChildProcessModifier(in_child);
  process.start(qEnvironmentVariable("KORVEL_BIN_DIR") + QLatin1Char('/') + program, arguments);
  EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
  Finished finished;
  finished.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  finished.out = QString::fromLocal8Bit(process.readAllStandardOutput());
  finished.err = QString::fromLocal8Bit(process.readAllStandardError());
  return finished;
}

QProcessEnvironment ProgramEnvironment(const QString& work, const QString& registry, const QString& connect) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("KORVEL_REGISTRY", registry);
  environment.insert("KORVEL_DB_CONNECT", connect);
  environment.insert("XDG_CONFIG_HOME", work + "/config");
  environment.insert("XDG_RUNTIME_DIR", work);
  environment.insert("TMPDIR", work);
  environment.insert("HOME", work);
  return environment;
}

}  // namespace export_test
