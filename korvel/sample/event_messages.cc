#include "korvel/sample/event_messages.h"

#include <array>

namespace korvel_sample {
namespace {

struct EventMessage {
  int id;
  const char* text;
};

// Event 100 is an exception report: %1 source file, %2 line, %3 code,
// %4 the call stack (it starts on a line of its own), %5 the help link.
constexpr std::array<EventMessage, 3> kMessages = {{
    {kExceptionEvent,
     "An unexpected exception was caught in %1, line %2 (code %3).%n"
     "Call stack:%4%5"},
    {101, "The message store service could not be reached: %1"},
    {kHelpLinkMessage, "%nFor more information, click: %1"},
}};

}  // namespace

std::string EventMessageFileText() {
  std::string text;
  for (const EventMessage& message : kMessages) {
    text += "MessageId=" + std::to_string(message.id) + "\r\nLanguage=English\r\n";
    text += message.text;
    text += "\r\n.\r\n";
  }
  return text;
}

}  // namespace korvel_sample
