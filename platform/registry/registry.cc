#include "platform/registry/registry.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "platform/registry/registry_file.h"
#include "platform/registry/registry_store.h"

using registry::RegistryFile;
using registry::RegistryRoot;

// An open key. It keeps the parse of the file as it was when the key was
// opened, so the values read through one handle are consistent with each
// other, as they would be for a key nobody writes to; a key opened later sees
// later changes. The predefined roots hold no snapshot and read the file
// afresh each time.
struct RegistryKeyHandle {
  RegistryRoot root;
  std::wstring path;         // below the root, normalized, as the caller spelled it
  std::wstring folded_path;  // the same, for lookups
  std::shared_ptr<const RegistryFile> snapshot;
};

namespace {

RegistryKeyHandle local_machine_root{RegistryRoot::kLocalMachine, {}, {}, {}};
RegistryKeyHandle current_user_root{RegistryRoot::kCurrentUser, {}, {}, {}};

thread_local std::string last_error;

LONG Fail(LONG result, std::string description = {}) {
  last_error = std::move(description);
  return result;
}

// Handles given out and not yet closed, so that a closed or made-up handle is
// refused instead of being followed.
struct OpenHandles {
  std::mutex mutex;
  std::set<const RegistryKeyHandle*> handles;
};

OpenHandles& Handles() {
  static OpenHandles open_handles;
  return open_handles;
}

bool IsPredefined(HKEY key) { return key == &local_machine_root || key == &current_user_root; }

// A copy of the key's identity, so that no lock is held while the file is read.
bool Resolve(HKEY key, RegistryKeyHandle* out) {
  if (IsPredefined(key)) {
    *out = *key;
    return true;
  }
  OpenHandles& open_handles = Handles();
  std::lock_guard<std::mutex> lock(open_handles.mutex);
  if (open_handles.handles.count(key) == 0) return false;
  *out = *key;
  return true;
}

HKEY NewHandle(RegistryKeyHandle key) {
  auto handle = std::make_unique<RegistryKeyHandle>(std::move(key));
  OpenHandles& open_handles = Handles();
  std::lock_guard<std::mutex> lock(open_handles.mutex);
  open_handles.handles.insert(handle.get());
  return handle.release();
}

bool AsksForMoreThanReading(REGSAM access) {
  // The 32/64-bit view flags select a view and grant nothing.
  constexpr REGSAM kViewFlags = 0x0100 | 0x0200;
  return (access & ~(KEY_READ | kViewFlags)) != 0;
}

// A line break would end the key line early and let the rest of the name
// stand as a line of its own in the file.
bool HasControlCharacter(std::wstring_view name) {
  for (wchar_t c : name) {
    if (c < L' ') return true;
  }
  return false;
}

LONG OpenOrCreate(HKEY base, LPCWSTR sub_key, REGSAM access, bool create, PHKEY result,
                  LPDWORD disposition) {
  if (result == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  RegistryKeyHandle key;
  if (!Resolve(base, &key)) return Fail(ERROR_INVALID_HANDLE);
  std::wstring relative = registry::NormalizeKeyPath(sub_key == nullptr ? L"" : sub_key);
  if (create && HasControlCharacter(relative)) return Fail(ERROR_INVALID_PARAMETER);
  if (!relative.empty()) key.path = key.path.empty() ? relative : key.path + L'\\' + relative;
  key.folded_path = registry::FoldCase(key.path);

  const std::string path = RegistryFilePath();
  std::string error;
  LONG status = registry::LoadRegistry(path, &key.snapshot, &error);
  if (status != ERROR_SUCCESS) return Fail(status, error);
  bool created = false;
  if (!key.snapshot->KeyExists(key.root, key.folded_path)) {
    if (!create) return Fail(ERROR_FILE_NOT_FOUND);
    status = registry::AddRegistryKey(path, key.root, key.path, &created, &error);
    if (status == ERROR_SUCCESS) status = registry::LoadRegistry(path, &key.snapshot, &error);
    if (status != ERROR_SUCCESS) return Fail(status, error);
  }
  if (AsksForMoreThanReading(access) && !registry::RegistryWritable(path)) {
    return Fail(ERROR_ACCESS_DENIED, path + ": the registry file is read-only");
  }
  if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  if (key.path.empty()) {
    *result = key.root == RegistryRoot::kLocalMachine ? &local_machine_root : &current_user_root;
  } else {
    *result = NewHandle(std::move(key));
  }
  return ERROR_SUCCESS;
}

}  // namespace

const HKEY HKEY_LOCAL_MACHINE = &local_machine_root;
const HKEY HKEY_CURRENT_USER = &current_user_root;

LONG RegOpenKeyExW(HKEY root, LPCWSTR sub_key, DWORD /*options*/, REGSAM access, PHKEY result) {
  return OpenOrCreate(root, sub_key, access, false, result, nullptr);
}

LONG RegCreateKeyExW(HKEY root, LPCWSTR sub_key, DWORD /*reserved*/, LPCWSTR /*key_class*/,
                     DWORD /*options*/, REGSAM access, const void* /*security*/, PHKEY result,
                     LPDWORD disposition) {
  return OpenOrCreate(root, sub_key, access, true, result, disposition);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD /*reserved*/, LPDWORD type, LPBYTE data,
                      LPDWORD data_size) {
  RegistryKeyHandle handle;
  if (!Resolve(key, &handle)) return Fail(ERROR_INVALID_HANDLE);
  if (data != nullptr && data_size == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (handle.snapshot == nullptr) {
    std::string error;
    LONG status = registry::LoadRegistry(RegistryFilePath(), &handle.snapshot, &error);
    if (status != ERROR_SUCCESS) return Fail(status, error);
  }
  const auto* values = handle.snapshot->FindValues(handle.root, handle.folded_path);
  if (values == nullptr) return Fail(ERROR_FILE_NOT_FOUND);
  auto found = values->find(registry::FoldCase(value_name == nullptr ? L"" : value_name));
  if (found == values->end()) return Fail(ERROR_FILE_NOT_FOUND);
  const registry::RegistryValue& value = found->second;
  if (type != nullptr) *type = value.type;
  if (data_size == nullptr) return ERROR_SUCCESS;
  DWORD capacity = *data_size;
  *data_size = static_cast<DWORD>(value.data.size());
  if (data == nullptr) return ERROR_SUCCESS;
  if (capacity < value.data.size()) return Fail(ERROR_MORE_DATA);
  std::memcpy(data, value.data.data(), value.data.size());
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (IsPredefined(key)) return ERROR_SUCCESS;
  OpenHandles& open_handles = Handles();
  {
    std::lock_guard<std::mutex> lock(open_handles.mutex);
    if (open_handles.handles.erase(key) == 0) return Fail(ERROR_INVALID_HANDLE);
  }
  delete key;
  return ERROR_SUCCESS;
}

std::string RegistryFilePath() {
  const char* path = std::getenv("KORVEL_REGISTRY");
  return path != nullptr && *path != '\0' ? path : "/etc/korvel/registry.reg";
}

std::string RegistryLastError() { return last_error; }
