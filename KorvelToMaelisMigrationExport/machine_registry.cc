#include "KorvelToMaelisMigrationExport/machine_registry.h"

#include <string>

#include "platform/registry/registry.h"

namespace export_program {

QString ReadMachineString(const QString& key_path, const QString& value_name) {
  constexpr DWORD kBufferCharacters = 1024;
  HKEY key = nullptr;
  const std::wstring path = key_path.toStdWString();
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return QString();

  std::wstring buffer(kBufferCharacters, L'\0');
  DWORD type = REG_NONE;
  DWORD size = kBufferCharacters * sizeof(wchar_t);
  const std::wstring name = value_name.toStdWString();
  const LONG result =
      RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return QString();

  // The value ends with its terminating zero, which is no part of the text.
  std::size_t length = size / sizeof(wchar_t);
  if (length > 0 && buffer[length - 1] == L'\0') --length;
  return QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(length));
}

}  // namespace export_program
