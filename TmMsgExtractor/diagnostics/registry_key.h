// CRegistryKey: one registry key named by a root and a path, opened on demand
// (created when asked) and read as text with optional environment expansion.
// Every result is a registry result code (ERROR_SUCCESS is 0); only string
// handling throws, with E_OUTOFMEMORY.
//
// Sizes are in bytes, as the registry counts them. A wide character is
// sizeof(wchar_t) bytes (four here, two on the voice-mail server), and every
// conversion between characters and bytes below uses sizeof(wchar_t).
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_REGISTRY_KEY_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_REGISTRY_KEY_H_

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/registry/registry.h"
#include "platform/wintypes.h"

class CRegistryKey {
 public:
  // The maker's software key on the local machine; with `open` set it is
  // opened (created when missing) at once.
  explicit CRegistryKey(bool open = false);
  // A null path is empty.
  CRegistryKey(HKEY root, const wchar_t* path, bool open = false);
  ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  bool IsOpen() const { return m_hKey != nullptr; }

  // ERROR_INVALID_HANDLE without a root or with an empty path.
  LONG Open(bool create);
  // Creates the key (class "Qoxen") or opens it when it exists.
  LONG Create();
  LONG Close();

  LONG SetPath(const wchar_t* path, bool open);
  // Adds `name` below the current path, with one "\" between them.
  LONG AppendPath(const wchar_t* name, bool open);

  // Type and raw data of a value; `size` is the buffer's size in bytes on the
  // way in and the value's on the way out (the size needed with
  // ERROR_MORE_DATA).
  LONG QueryValue(const wchar_t* name, DWORD* type, BYTE* data, DWORD* size, bool create);
  // A value's text into `buffer` of `*size` bytes, expanded when asked; an
  // expanded text that does not fit is cut to the buffer.
  LONG QueryString(const wchar_t* name, wchar_t* buffer, DWORD* size, bool create, bool expand);
  // A value's text of any length; `text` is left unchanged on failure.
  LONG GetString(const wchar_t* name, CBstr& text, bool create, bool expand);

 private:
  HKEY m_hRoot = HKEY_LOCAL_MACHINE;
  HKEY m_hKey = nullptr;
  CBstr m_path;
  REGSAM m_access = 0x2001F;
};

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_REGISTRY_KEY_H_
