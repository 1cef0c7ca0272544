#include "platform/com/runtime.h"

#include <algorithm>
#include <cwctype>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct ThreadState {
  int starts = 0;
  DWORD mode = COINIT_MULTITHREADED;
};

thread_local ThreadState thread_state;

struct ComponentClass {
  CLSID clsid;
  std::wstring prog_id;
  ComponentFactory create;
};

struct ComponentTable {
  std::mutex mutex;
  std::vector<ComponentClass> classes;
};

ComponentTable& Table() {
  static ComponentTable table;
  return table;
}

bool SameName(const std::wstring& a, LPCOLESTR b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != L'\0'; ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return i == a.size() && b[i] == L'\0';
}

}  // namespace

HRESULT CoInitializeEx(void*, DWORD mode) {
  if (mode != COINIT_MULTITHREADED && mode != COINIT_APARTMENTTHREADED) return E_INVALIDARG;
  if (thread_state.starts > 0) {
    if (thread_state.mode != mode) return RPC_E_CHANGED_MODE;
    ++thread_state.starts;
    return S_FALSE;
  }
  thread_state.starts = 1;
  thread_state.mode = mode;
  return S_OK;
}

void CoUninitialize() {
  if (thread_state.starts > 0) --thread_state.starts;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (thread_state.starts == 0) return CO_E_NOTINITIALIZED;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if ((context & (CLSCTX_SERVER | CLSCTX_INPROC_HANDLER)) == 0) return E_INVALIDARG;
  ComponentFactory create;
  {
    ComponentTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = std::find_if(table.classes.begin(), table.classes.end(),
                              [&](const ComponentClass& entry) { return entry.clsid == clsid; });
    if (found == table.classes.end()) return REGDB_E_CLASSNOTREG;
    create = found->create;
  }
  // Called outside the lock: a component may create others while it starts.
  HRESULT hr = create(iid, object);
  if (FAILED(hr)) *object = nullptr;
  return hr;
}

HRESULT CLSIDFromProgID(LPCOLESTR prog_id, LPCLSID clsid) {
  if (prog_id == nullptr || clsid == nullptr) return E_INVALIDARG;
  ComponentTable& table = Table();
  std::lock_guard lock(table.mutex);
  for (const ComponentClass& entry : table.classes) {
    if (!entry.prog_id.empty() && SameName(entry.prog_id, prog_id)) {
      *clsid = entry.clsid;
      return S_OK;
    }
  }
  *clsid = GUID_NULL;
  return CO_E_CLASSSTRING;
}

HRESULT CoRegisterComponentClass(REFCLSID clsid, LPCOLESTR prog_id, ComponentFactory create) {
  if (!create) return E_INVALIDARG;
  ComponentClass entry{clsid, prog_id == nullptr ? std::wstring() : std::wstring(prog_id), std::move(create)};
  ComponentTable& table = Table();
  std::lock_guard lock(table.mutex);
  std::erase_if(table.classes, [&](const ComponentClass& old) {
    return old.clsid == clsid || (!entry.prog_id.empty() && SameName(old.prog_id, entry.prog_id.c_str()));
  });
  table.classes.push_back(std::move(entry));
  return S_OK;
}
