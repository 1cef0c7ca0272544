// A language library's string table over any bytes: reading never stops at a
// line, keeps only ids a 16-bit string table holds, and skips lines in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "KorvelToMaelisMigrationExport/localisation/language_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const localisation::LanguageTable table =
      localisation::ParseLanguageTable(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const auto& [id, text] : table.texts) {
    if (id < 0 || id > 65535) std::abort();
  }
  int previous = 0;
  for (int line : table.skipped_lines) {
    if (line <= previous) std::abort();
    previous = line;
  }
  return 0;
}
