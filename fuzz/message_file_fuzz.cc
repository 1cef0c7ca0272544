// Message files over any bytes: a file either parses or says which line is
// wrong, and the messages of one that parsed format with the event log's
// insertion texts within the formatter's limit; the bytes as a message text
// of their own go through the formatter too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "platform/eventlog/message_format.h"
#include "platform/eventlog/message_library.h"
#include "platform/eventlog/message_table.h"

namespace {

// What an exception report inserts: source, line, code, stack, help link.
constexpr LPCWSTR kInserts[] = {L"TmMsgExtractor\\MsgHelper", L"42", L"0x80004005", L"\r\n  #0 main", L"http://help",
                                nullptr};

void Format(std::wstring_view text, bool ignore_line_breaks, bool ignore_inserts) {
  eventlog::MessageFormatOptions options;
  options.ignore_line_breaks = ignore_line_breaks;
  options.ignore_inserts = ignore_inserts;
  options.arguments = kInserts;
  std::wstring out;
  eventlog::FormatMessageText(text, options, kLongestFormattedMessage, &out);
  if (out.size() > kLongestFormattedMessage) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool ignore_line_breaks = size > 0 && (data[size - 1] & 1) != 0;
  const bool ignore_inserts = size > 0 && (data[size - 1] & 2) != 0;

  eventlog::MessageTable table;
  std::string problem;
  if (eventlog::MessageTable::Parse(bytes, &table, &problem)) {
    // The ids the kit's own message file uses, and the first ids a file
    // without numbers gets.
    for (DWORD id : {1u, 2u, 3u, 100u, 101u, 105u}) {
      const std::wstring* text = nullptr;
      if (table.Find(id, 0, &text) == ERROR_SUCCESS) Format(*text, ignore_line_breaks, ignore_inserts);
    }
  } else if (!problem.starts_with("line ")) {
    std::abort();
  }
  Format(codepage::Utf8ToWide(bytes), ignore_line_breaks, ignore_inserts);
  return 0;
}
