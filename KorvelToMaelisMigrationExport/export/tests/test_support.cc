#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace export_test {
namespace {

// Qt loads its database drivers as plugins, which needs an application object.
// A test of windows makes its own before any test runs.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance() == nullptr) app_ = std::make_unique<QCoreApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "export_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] const ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

TempFolder::TempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/korvel-export-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = QFile::decodeName(pattern.c_str());
}

TempFolder::~TempFolder() { QDir(path_).removeRecursively(); }

std::string ReadBytes(const QString& path) {
  std::ifstream in(QFile::encodeName(path).constData(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const QString& path, const std::string& bytes) {
  std::ofstream out(QFile::encodeName(path).constData(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

int CountOf(const std::string& text, const std::string& needle) {
  int count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
  return count;
}

QString ReadUtf16LeText(const QString& path) {
  const std::string bytes = ReadBytes(path);
  if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return QStringLiteral("<no byte-order mark>");
  QString text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text += QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return text;
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
  WriteBytes(path, text + registry.more);
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

}  // namespace export_test
