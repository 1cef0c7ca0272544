// The registry file parser over any bytes: a file either parses or names the
// line that is wrong, and a key added to a file that parsed gives a file that
// parses again and holds that key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry_file.h"

namespace {

constexpr std::wstring_view kAddedKey = L"Software\\Halvern\\Fuzz";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  registry::ParseError error;
  const std::optional<registry::RegistryFile> file = registry::RegistryFile::Parse(bytes, &error);
  if (!file) {
    if (error.line < 1 || error.message.empty()) std::abort();
    return 0;
  }
  file->FindValues(registry::RegistryRoot::kLocalMachine, registry::FoldCase(L"Software\\Halvern"));

  const std::string grown = file->AppendKey(bytes, registry::RegistryRoot::kLocalMachine, kAddedKey);
  const std::optional<registry::RegistryFile> reread = registry::RegistryFile::Parse(grown, &error);
  if (!reread || !reread->KeyExists(registry::RegistryRoot::kLocalMachine,
                                    registry::FoldCase(registry::NormalizeKeyPath(kAddedKey)))) {
    std::abort();
  }
  return 0;
}
