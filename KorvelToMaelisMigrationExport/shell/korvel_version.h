// KorvelVersion: the release of the voice-mail server, as the server records
// it in two 32-bit registry values, and the comparison with the release the
// export needs.
#ifndef KORVEL_EXPORT_SHELL_KORVEL_VERSION_H_
#define KORVEL_EXPORT_SHELL_KORVEL_VERSION_H_

#include <QString>
#include <QtGlobal>

namespace shell {

struct ServerVersion {
  qint16 major = 0;
  qint16 minor = 0;
  qint16 build = 0;
  qint16 patch = 0;

  friend bool operator==(const ServerVersion&, const ServerVersion&) = default;
};

// The oldest server the export works with: 4.0 build 4 patch 10.
inline constexpr ServerVersion kMinimumServerVersion{4, 0, 4, 10};

// The server writes major, minor and build as decimal digits in hexadecimal
// places ("Version Number" 0x00040000 is 4.0), but the patch as a true 16-bit
// number ("Build Number" 0x0004000A is build 4, patch 10). A place holding A
// to F ends the decimal reading of its half there.
ServerVersion ServerVersionFromNumbers(quint32 version_number, quint32 build_number);

// The version of the server installed on this machine; 0.0 build 0 patch 0
// when the registry has none.
ServerVersion ReadServerVersion();

// Field by field, major first, as signed numbers: the first field that
// differs decides, and equal versions pass.
bool VersionIsAtLeast(const ServerVersion& version, const ServerVersion& minimum);

// "4.0 build 4 patch 10", for messages on a console.
QString VersionText(const ServerVersion& version);

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_KORVEL_VERSION_H_
