// The registry file's contents: parsing regedit export text into keys and
// values, and appending a new key section without disturbing what is there.
//
// Everything here works on bytes in memory and touches no file, so that the
// parser can be driven with arbitrary input: any bytes give either a
// RegistryFile or a ParseError naming the line, never a crash.
#ifndef KORVEL_PLATFORM_REGISTRY_REGISTRY_FILE_H_
#define KORVEL_PLATFORM_REGISTRY_REGISTRY_FILE_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/wintypes.h"

namespace registry {

enum class RegistryRoot { kLocalMachine, kCurrentUser };

// The name a new section is written with.
std::wstring_view RootName(RegistryRoot root);

// Upper-cases `text` the same way whatever the process locale, so that names
// compare without regard to case for every script, not only ASCII.
std::wstring FoldCase(std::wstring_view text);

// The path's components joined by single `\`: empty components (a leading,
// trailing or doubled `\`) are dropped, as callers pass "Software\Halvern\".
std::wstring NormalizeKeyPath(std::wstring_view path);

struct RegistryValue {
  DWORD type = 0;
  // The data as the wide API hands it out: string types as wchar_t units that
  // end with their terminating zero, everything else as the file's bytes.
  std::string data;
};

struct ParseError {
  int line = 0;
  std::string message;
};

class RegistryFile {
 public:
  enum class Encoding { kUtf8, kUtf8WithBom, kUtf16Le };

  // Parses a whole file. On failure returns nothing and fills *error.
  static std::optional<RegistryFile> Parse(std::string_view bytes, ParseError* error);

  // Keys are looked up by their normalized, case-folded path below the root
  // (empty for the root itself).
  bool KeyExists(RegistryRoot root, const std::wstring& folded_path) const;
  // Null when the key has no section of its own (then it has no values).
  const std::map<std::wstring, RegistryValue>* FindValues(RegistryRoot root,
                                                          const std::wstring& folded_path) const;

  // `original` (the bytes this file was parsed from) followed by a section for
  // root\path, in the file's own encoding and line ends.
  std::string AppendKey(std::string_view original, RegistryRoot root, std::wstring_view path) const;

  // The text of a new, empty registry file.
  static std::string NewFileBytes();

 private:
  using KeyId = std::pair<RegistryRoot, std::wstring>;

  Encoding encoding_ = Encoding::kUtf8;
  bool crlf_ = false;
  bool ends_with_line_end_ = true;
  bool ends_with_blank_line_ = false;
  // Values by folded value name ("" is the default value).
  std::map<KeyId, std::map<std::wstring, RegistryValue>> sections_;
  // Every key with a section and every key above one.
  std::set<KeyId> existing_keys_;

  friend class RegistryFileParser;
};

}  // namespace registry

#endif  // KORVEL_PLATFORM_REGISTRY_REGISTRY_FILE_H_
