// Message files over any bytes: a file either parses or says which line is
// wrong, and the messages of one that parsed format with the event log's
// insertion texts within the formatter's limit; the bytes as a message text
// of their own go through the formatter too.
#include "fuzz/fuzz_input.h"
#include "platform/codepage/codepage.h"
#include "platform/eventlog/message_format.h"
#include "platform/eventlog/message_library.h"
#include "platform/eventlog/message_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // What an exception report inserts: source, line, code, stack, help link.
  static constexpr LPCWSTR kInserts[] = {L"TmMsgExtractor\\MsgHelper", L"42", L"0x80004005", L"\r\n  #0 main",
                                         L"http://help", nullptr};
  eventlog::MessageFormatOptions options;
  options.ignore_line_breaks = size > 0 && (data[size - 1] & 1) != 0;
  options.ignore_inserts = size > 0 && (data[size - 1] & 2) != 0;
  options.arguments = kInserts;
  const auto format = [&](std::wstring_view text) {
    std::wstring out;
    eventlog::FormatMessageText(text, options, kLongestFormattedMessage, &out);
    Require(out.size() <= kLongestFormattedMessage);
  };

  eventlog::MessageTable table;
  std::string problem;
  if (eventlog::MessageTable::Parse(Bytes(data, size), &table, &problem)) {
    // The ids the kit's own message file uses, and the first ids a file
    // without numbers gets.
    for (DWORD id : {1u, 2u, 3u, 100u, 101u, 105u}) {
      const std::wstring* text = nullptr;
      if (table.Find(id, 0, &text) == ERROR_SUCCESS) format(*text);
    }
  } else {
    Require(problem.starts_with("line "));
  }
  format(codepage::Utf8ToWide(Bytes(data, size)));
  return 0;
}
