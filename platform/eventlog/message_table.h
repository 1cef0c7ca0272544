// The messages of a message file: numbered texts in one or more languages,
// read from the message compiler's source format, which is what an event
// source registers as its message file here:
//
//   ; a comment
//   MessageId=105
//   Severity=Error            (optional, kept for the messages that follow)
//   Facility=Application      (optional, kept for the messages that follow)
//   SymbolicName=MSG_HELP     (optional)
//   Language=English
//   %nFor more information, click: %1
//   .
//
// A message's number is its MessageId with the severity in the top two bits
// and the facility in bits 16 to 27, as the message compiler numbers it.
// SeverityNames, FacilityNames and LanguageNames lists (which may span lines)
// replace the built-in names; MessageIdTypedef and OutputBase are accepted.
//
// The file comes from outside: parsing takes any bytes, never reads outside
// them and works in one pass, so a fuzzer can drive it directly.
#ifndef KORVEL_PLATFORM_EVENTLOG_MESSAGE_TABLE_H_
#define KORVEL_PLATFORM_EVENTLOG_MESSAGE_TABLE_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wintypes.h"

namespace eventlog {

// Language ids whose primary language is neutral (0, the user's default
// 0x400, the system's default 0x800) ask for the message in the default
// language, English, or else in the first language the message has.
constexpr DWORD kDefaultMessageLanguage = 0x409;

class MessageTable {
 public:
  // Reads a message file: UTF-16LE or UTF-8 with a byte-order mark, else
  // UTF-8 when the bytes are valid UTF-8, else the ANSI code page. On
  // malformed input returns false with "line N: what is wrong" in *problem
  // and leaves *table empty.
  static bool Parse(std::string_view bytes, MessageTable* table, std::string* problem);

  // The text of a message as compiled: each of its lines followed by CR LF.
  // ERROR_SUCCESS, ERROR_MR_MID_NOT_FOUND (no such message) or
  // ERROR_RESOURCE_LANG_NOT_FOUND (not in that language).
  LONG Find(DWORD message_id, DWORD language_id, const std::wstring** text) const;

  std::size_t size() const { return messages_.size(); }

 private:
  struct Translation {
    DWORD language_id;
    std::wstring text;
  };
  friend class MessageFileParser;

  std::map<DWORD, std::vector<Translation>> messages_;
};

}  // namespace eventlog

#endif  // KORVEL_PLATFORM_EVENTLOG_MESSAGE_TABLE_H_
