// RegistryAPI: one typed value from the system registry, with a fallback. The
// server version, the message-store account check and the export run read
// what the voice-mail server stored there through it.
#ifndef KORVEL_EXPORT_SHELL_REGISTRY_API_H_
#define KORVEL_EXPORT_SHELL_REGISTRY_API_H_

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include "KorvelToMaelisMigrationExport/export/status.h"
#include "platform/registry/registry.h"

namespace shell {

// The value types the reader handles, in the platform's numbering, and how
// much of a value it takes: a string of up to 1024 characters (its
// terminating zero included), one 32-bit number.
enum class RegistryValueType : DWORD { kString = 1, kNumber = 4 };
inline constexpr DWORD kStringBufferCharacters = 1024;

// Asking for any other type is the caller's fault, reported with this number.
inline constexpr qint32 kUnsupportedValueTypeNumber = 1001;

// Reads `value_name` of `root`\`key_path` as `value_type` (a number from the
// platform's numbering) into `value`: a QString or a qint32. `value` is
// `default_value` when the key cannot be opened for reading, the value is
// missing, does not fit its buffer or is stored with another type (a string
// may be an expandable one, read as it is stored). Only an unsupported
// `value_type` fails, with number 1001 "Unsupported value type", leaving
// `value` untouched.
export_engine::Status ReadRegistryValue(HKEY root, const QString& key_path, const QString& value_name,
                                        DWORD value_type, const QVariant& default_value, QVariant* value);

// The readers' common cases under HKEY_LOCAL_MACHINE with an empty default: a
// string ("" when unreadable) and a 32-bit number (0 when unreadable).
QString ReadMachineString(const QString& key_path, const QString& value_name);
qint32 ReadMachineNumber(const QString& key_path, const QString& value_name);

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_REGISTRY_API_H_
