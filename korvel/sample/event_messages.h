// The message file of the server's event source: the texts of the events the
// extractor reports, in the message compiler's text format.
#ifndef KORVEL_SAMPLE_EVENT_MESSAGES_H_
#define KORVEL_SAMPLE_EVENT_MESSAGES_H_

#include <string>

namespace korvel_sample {

inline constexpr int kExceptionEvent = 100;
inline constexpr int kHelpLinkMessage = 105;

std::string EventMessageFileText();

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_EVENT_MESSAGES_H_
