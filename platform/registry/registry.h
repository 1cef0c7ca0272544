// The system registry, kept in one file in the regedit export format.
//
// The file is named by the environment variable KORVEL_REGISTRY, else
// /etc/korvel/registry.reg; a missing file is an empty registry. The functions
// have the platform's shape and result codes, so callers read as they would on
// the voice-mail server:
//   ERROR_SUCCESS 0, ERROR_FILE_NOT_FOUND 2, ERROR_ACCESS_DENIED 5,
//   ERROR_INVALID_HANDLE 6, ERROR_WRITE_FAULT 29 (the file could not be
//   replaced), ERROR_INVALID_PARAMETER 87, ERROR_MORE_DATA 234, and
//   ERROR_BADDB 1009 for a file that cannot be parsed (RegistryLastError()
//   then names file and line).
//
// Wide text is wchar_t; string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) is
// handed out as wchar_t units with their terminating zero (a REG_MULTI_SZ with
// the empty string that ends the list), and all sizes are in bytes, as on the
// platform. An open key reads the values the file held when it was opened.
#ifndef KORVEL_PLATFORM_REGISTRY_REGISTRY_H_
#define KORVEL_PLATFORM_REGISTRY_REGISTRY_H_

#include <string>

#include "platform/wintypes.h"

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

// Predefined roots.
extern const HKEY HKEY_LOCAL_MACHINE;
extern const HKEY HKEY_CURRENT_USER;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights. Any right beyond KEY_READ needs a writable registry file.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Creation options and dispositions.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens root\sub_key; root is a predefined root or an open key. A null or
// empty sub_key opens root again (a predefined root is handed back as it is).
// Any right beyond KEY_READ needs a writable file, else ERROR_ACCESS_DENIED.
LONG RegOpenKeyExW(HKEY root, LPCWSTR sub_key, DWORD options, REGSAM access, PHKEY result);

// Opens root\sub_key, creating it (and the keys above it) when it is missing.
// Creation needs a writable file whatever `access` asks for; it rewrites the
// file atomically under an exclusive lock, keeping every byte already there;
// a file that cannot be parsed is never rewritten. A sub_key holding a control
// character (a line break) cannot be stored and gives ERROR_INVALID_PARAMETER.
// `key_class`, `options` and `security` are recorded nowhere.
LONG RegCreateKeyExW(HKEY root, LPCWSTR sub_key, DWORD reserved, LPCWSTR key_class, DWORD options,
                     REGSAM access, const void* security, PHKEY result, LPDWORD disposition);

// Reads a value of an open key; a null or empty name reads the default value.
// With data null, only the type and the size needed are returned. A buffer
// smaller than the value gives ERROR_MORE_DATA with *data_size set to the size
// needed.
LONG RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size);

LONG RegCloseKey(HKEY key);

// The registry file in use: $KORVEL_REGISTRY, else /etc/korvel/registry.reg.
std::string RegistryFilePath();

// A description of the last failure of this thread that had more to say than
// its result code (a malformed file: "<file>:<line>: <what is wrong>").
std::string RegistryLastError();

#endif  // KORVEL_PLATFORM_REGISTRY_REGISTRY_H_
