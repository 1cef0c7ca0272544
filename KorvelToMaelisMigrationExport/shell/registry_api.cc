#include "KorvelToMaelisMigrationExport/shell/registry_api.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace shell {
namespace {

class OpenKey {
 public:
  OpenKey(HKEY root, const QString& key_path) {
    const std::wstring path = key_path.toStdWString();
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }

  bool is_open() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Queries the value into a buffer of `capacity` bytes; empty when it cannot
// be read, does not fit, or its stored type is not one of `accepted`.
std::optional<std::vector<BYTE>> QueryValue(HKEY key, const QString& value_name, DWORD capacity,
                                            std::initializer_list<DWORD> accepted) {
  std::vector<BYTE> data(capacity);
  DWORD type = REG_NONE;
  DWORD size = capacity;
  const std::wstring name = value_name.toStdWString();
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  if (std::find(accepted.begin(), accepted.end(), type) == accepted.end()) return std::nullopt;
  data.resize(size);
  return data;
}

}  // namespace

export_engine::Status ReadRegistryValue(HKEY root, const QString& key_path, const QString& value_name,
                                        DWORD value_type, const QVariant& default_value, QVariant* value) {
  const auto type = static_cast<RegistryValueType>(value_type);
  if (type != RegistryValueType::kString && type != RegistryValueType::kNumber) {
    return export_engine::Status::Failure(QStringLiteral("Unsupported value type"),
                                          QString::fromLatin1(export_engine::kProgramSource),
                                          kUnsupportedValueTypeNumber);
  }
  *value = default_value;
  const OpenKey key(root, key_path);
  if (!key.is_open()) return {};

  switch (type) {
    case RegistryValueType::kString: {
      const auto data =
          QueryValue(key.get(), value_name, kStringBufferCharacters * sizeof(wchar_t), {REG_SZ, REG_EXPAND_SZ});
      if (!data) break;
      // The text ends at its terminating zero, or with the data when a
      // careless writer left the zero out.
      std::wstring text(data->size() / sizeof(wchar_t), L'\0');
      std::memcpy(text.data(), data->data(), text.size() * sizeof(wchar_t));
      text.resize(std::wcslen(text.c_str()));
      *value = QString::fromStdWString(text);
      break;
    }
    case RegistryValueType::kNumber: {
      const auto data = QueryValue(key.get(), value_name, sizeof(qint32), {REG_DWORD});
      if (!data || data->size() != sizeof(qint32)) break;
      qint32 number = 0;
      std::memcpy(&number, data->data(), sizeof number);
      *value = number;
      break;
    }
  }
  return {};
}

QString ReadMachineString(const QString& key_path, const QString& value_name) {
  QVariant value;
  ReadRegistryValue(HKEY_LOCAL_MACHINE, key_path, value_name, static_cast<DWORD>(RegistryValueType::kString), QString(),
                    &value);
  return value.toString();
}

qint32 ReadMachineNumber(const QString& key_path, const QString& value_name) {
  QVariant value;
  ReadRegistryValue(HKEY_LOCAL_MACHINE, key_path, value_name, static_cast<DWORD>(RegistryValueType::kNumber), QVariant(),
                    &value);
  return value.toInt();
}

}  // namespace shell
