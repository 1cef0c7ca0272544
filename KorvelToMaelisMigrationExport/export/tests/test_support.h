// Shared by the export program's tests: the shared test helpers with Qt
// paths, the application object Qt's database drivers need, the server's
// registry file and the kit's programs run to their end.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_TEST_SUPPORT_H_
#define KORVEL_EXPORT_EXPORT_TESTS_TEST_SUPPORT_H_

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include <QFile>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "tests/support/temp_folder.h"

namespace export_test {

using korvel::test::CountOf;

class TempFolder : public korvel::test::TempFolder {
 public:
  QString path() const { return QFile::decodeName(korvel::test::TempFolder::path().c_str()); }
  QString File(const QString& name) const { return path() + QLatin1Char('/') + name; }
};

inline std::string ReadBytes(const QString& path) {
  return korvel::test::ReadFile(QFile::encodeName(path).toStdString());
}
inline void WriteBytes(const QString& path, const std::string& bytes) {
  korvel::test::WriteFile(QFile::encodeName(path).toStdString(), bytes);
}

// A UTF-16LE file with byte-order mark, as text (the mark dropped).
QString ReadUtf16LeText(const QString& path);

// The registry file of a server as the kit reads it: the version numbers,
// the server state, its root folder and the message store service's account
// (a key left out when its value is absent).
struct ServerRegistry {
  quint32 version_number = 0x00040000;
  quint32 build_number = 0x0004000A;
  std::optional<quint32> server_state = std::nullopt;
  QString root_path = QString();  // the server's root folder, ending in a separator
  QString service_account = QString();  // DOMAIN\user, as the running user sees it
};
void WriteServerRegistry(const QString& path, const ServerRegistry& registry);

// What one of the kit's programs, run to its end by a test, left behind;
// an exit code of -1 for a crash.
struct Finished {
  int exit_code = -1;
  QString out;
  QString err;
};

// Runs `program` from the build's program folder; `in_child` (when given)
// runs in the child before the program starts.
Finished RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                    const QString& working_folder = QString(), std::function<void()> in_child = nullptr);

// The environment of a program run that touches nothing outside the folder
// `work` (its settings, runtime and temporary folders), with the registry
// file and the directory database given.
QProcessEnvironment ProgramEnvironment(const QString& work, const QString& registry, const QString& connect);

}  // namespace export_test

// Lets test failures show texts rather than their bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

#endif  // KORVEL_EXPORT_EXPORT_TESTS_TEST_SUPPORT_H_
