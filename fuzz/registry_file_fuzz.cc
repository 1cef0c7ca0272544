// The registry file parser over any bytes: a file either parses or names the
// line that is wrong, and a key added to a file that parsed gives a file that
// parses again and holds that key.
#include <optional>

#include "fuzz/fuzz_input.h"
#include "platform/registry/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using registry::RegistryFile, registry::RegistryRoot;
  constexpr std::wstring_view kAddedKey = L"Software\\Halvern\\Fuzz";
  registry::ParseError error;
  const std::optional<RegistryFile> file = RegistryFile::Parse(Bytes(data, size), &error);
  Require(file || (error.line >= 1 && !error.message.empty()));
  if (!file) return 0;
  file->FindValues(RegistryRoot::kLocalMachine, registry::FoldCase(L"Software\\Halvern"));
  const std::optional<RegistryFile> reread =
      RegistryFile::Parse(file->AppendKey(Bytes(data, size), RegistryRoot::kLocalMachine, kAddedKey), &error);
  Require(reread &&
          reread->KeyExists(RegistryRoot::kLocalMachine, registry::FoldCase(registry::NormalizeKeyPath(kAddedKey))));
  return 0;
}
