// Reading the server's registry values under HKEY_LOCAL_MACHINE.
#ifndef KORVEL_EXPORT_MACHINE_REGISTRY_H_
#define KORVEL_EXPORT_MACHINE_REGISTRY_H_

#include <QString>

namespace export_program {

// A string value under HKEY_LOCAL_MACHINE, read into a buffer of 1024
// characters. Empty when the key cannot be opened for reading, the value is
// missing, is not a string, or does not fit the buffer.
QString ReadMachineString(const QString& key_path, const QString& value_name);

}  // namespace export_program

#endif  // KORVEL_EXPORT_MACHINE_REGISTRY_H_
