// Shared by the export engine's tests: a temporary folder per test, file
// helpers, and the application object Qt's database drivers need.
#ifndef KORVEL_EXPORT_EXPORT_TESTS_TEST_SUPPORT_H_
#define KORVEL_EXPORT_EXPORT_TESTS_TEST_SUPPORT_H_

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace export_test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const QString& path() const { return path_; }
  QString File(const QString& name) const { return path_ + QLatin1Char('/') + name; }

 private:
  QString path_;
};

std::string ReadBytes(const QString& path);
void WriteBytes(const QString& path, const std::string& bytes);

// How often `needle` occurs in `text`, occurrences not overlapping.
int CountOf(const std::string& text, const std::string& needle);

// A UTF-16LE file with byte-order mark, as text (the mark dropped).
QString ReadUtf16LeText(const QString& path);

// The registry file of a server as the kit reads it: the version numbers,
// the server state and the message store service's account (a key left out
// when its value is absent), then `more` as it stands.
struct ServerRegistry {
  quint32 version_number = 0x00040000;
  quint32 build_number = 0x0004000A;
  std::optional<quint32> server_state = std::nullopt;
  QString root_path = QString();  // the server's root folder, ending in a separator
  QString service_account = QString();  // DOMAIN\user, as the running user sees it
  std::string more = std::string();
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

}  // namespace export_test

// Lets test failures show texts rather than their bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

#endif  // KORVEL_EXPORT_EXPORT_TESTS_TEST_SUPPORT_H_
