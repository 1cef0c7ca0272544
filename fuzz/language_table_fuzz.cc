// A language library's string table over any bytes: reading never stops at a
// line, keeps only ids a 16-bit string table holds, and skips lines in order.
#include <algorithm>
#include <functional>

#include "KorvelToMaelisMigrationExport/localisation/language_table.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const localisation::LanguageTable table = localisation::ParseLanguageTable(Bytes(data, size));
  for (const auto& [id, text] : table.texts) Require(id >= 0 && id <= 65535);
  const std::vector<int>& skipped = table.skipped_lines;
  Require(std::adjacent_find(skipped.begin(), skipped.end(), std::greater_equal<int>()) == skipped.end());
  Require(skipped.empty() || skipped.front() > 0);
  return 0;
}
