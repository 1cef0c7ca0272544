#include "TmMsgExtractor/diagnostics/registry_key.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <vector>

#include "platform/com/hresult.h"

namespace {

constexpr const wchar_t* kMakerSoftwareKey = L"Software\\Halvern";
constexpr const wchar_t* kCreatedKeyClass = L"Qoxen";
constexpr DWORD kFirstReadBytes = 1024;
constexpr DWORD kCharBytes = sizeof(wchar_t);

// A zero-filled buffer of `bytes` bytes in whole characters, with one more
// zero character behind it that the registry is never told about, so the
// text in it is terminated whatever the value holds.
std::vector<wchar_t> ZeroFilledBuffer(DWORD bytes) {
  try {
    return std::vector<wchar_t>((bytes + kCharBytes - 1) / kCharBytes + 1, L'\0');
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  }
}

}  // namespace

CRegistryKey::CRegistryKey(bool open) : m_path(kMakerSoftwareKey) {
  if (open) Open(true);
}

CRegistryKey::CRegistryKey(HKEY root, const wchar_t* path, bool open) : m_hRoot(root), m_path(path) {
  if (open) Open(true);
}

CRegistryKey::~CRegistryKey() {
  if (IsOpen()) Close();
}

LONG CRegistryKey::Open(bool create) {
  if (IsOpen()) Close();
  if (m_hRoot == nullptr || m_path.IsEmpty()) return ERROR_INVALID_HANDLE;
  HKEY key = nullptr;
  const LONG result = RegOpenKeyExW(m_hRoot, m_path.c_str(), 0, m_access, &key);
  if (result == ERROR_SUCCESS) m_hKey = key;
  if (result == ERROR_SUCCESS || !create) return result;
  return Create();
}

LONG CRegistryKey::Create() {
  if (IsOpen()) Close();
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LONG result = RegCreateKeyExW(m_hRoot, m_path.c_str(), 0, kCreatedKeyClass, REG_OPTION_NON_VOLATILE,
                                      m_access, nullptr, &key, &disposition);
  if (result == ERROR_SUCCESS) m_hKey = key;
  return result;
}

LONG CRegistryKey::Close() {
  if (!IsOpen()) return ERROR_INVALID_HANDLE;
  const LONG result = RegCloseKey(m_hKey);
  m_hKey = nullptr;
  return result;
}

LONG CRegistryKey::SetPath(const wchar_t* path, bool open) {
  if (IsOpen()) Close();
  m_path = path;
  return open ? Open(true) : ERROR_SUCCESS;
}

LONG CRegistryKey::AppendPath(const wchar_t* name, bool open) {
  CBstr path = m_path;
  if (path.IsEmpty()) {
    path = name;
  } else {
    if (path.c_str()[path.Length() - 1] != L'\\') path += L"\\";
    path += name;
  }
  return SetPath(path.c_str(), open);
}

LONG CRegistryKey::QueryValue(const wchar_t* name, DWORD* type, BYTE* data, DWORD* size, bool create) {
  if (!IsOpen()) {
    const LONG result = Open(create);
    if (!IsOpen()) return result;
  }
  return RegQueryValueExW(m_hKey, name, nullptr, type, data, size);
}

LONG CRegistryKey::QueryString(const wchar_t* name, wchar_t* buffer, DWORD* size, bool create, bool expand) {
  const DWORD capacity = size == nullptr ? 0 : *size / kCharBytes;
  DWORD type = REG_NONE;
  const LONG result = QueryValue(name, &type, reinterpret_cast<BYTE*>(buffer), size, create);
  if (result != ERROR_SUCCESS || !expand || buffer == nullptr || capacity == 0) return result;
  // The value's type is not examined, so its data need not be terminated.
  const DWORD stored = std::min(capacity, *size / kCharBytes);
  CBstr text(std::wstring_view(buffer, static_cast<size_t>(std::find(buffer, buffer + stored, L'\0') - buffer)));
  text.ExpandEnvironment();
  const DWORD copied = std::min(static_cast<DWORD>(text.Length()), capacity - 1);
  std::wmemcpy(buffer, text.c_str(), copied);
  buffer[copied] = L'\0';
  *size = copied * kCharBytes + kCharBytes;
  return result;
}

LONG CRegistryKey::GetString(const wchar_t* name, CBstr& text, bool create, bool expand) {
  std::vector<wchar_t> buffer = ZeroFilledBuffer(kFirstReadBytes);
  DWORD size = kFirstReadBytes;
  LONG result = QueryString(name, buffer.data(), &size, create, expand);
  if (result == ERROR_MORE_DATA) {
    buffer = ZeroFilledBuffer(size);
    size = static_cast<DWORD>((buffer.size() - 1) * kCharBytes);
    result = QueryString(name, buffer.data(), &size, create, expand);
  }
  if (result == ERROR_SUCCESS) text = buffer.data();
  return result;
}
