// Makes the message store of a sample server: a mail user per exported
// subscriber of the directory, a few outside senders, and the voice messages.
// The first messages are the cases an extraction has to cope with.
#ifndef KORVEL_SAMPLE_STORE_BUILDER_H_
#define KORVEL_SAMPLE_STORE_BUILDER_H_

#include <cstdint>

#include "korvel/sample/sample_model.h"

namespace korvel_sample {

// How many messages the special cases take; a smaller store holds the first ones.
int SpecialMessageCount();

// Automation date (days since 1899-12-30) of a UTC calendar time, for times
// after 1899-12-30.
double AutomationDate(int year, int month, int day, int hour, int minute, int second);

// `message_count` messages, spread over the directory's exported subscribers
// (there must be at least one when message_count is above 0).
MessageStore BuildMessageStore(const Directory& directory, int message_count, std::uint64_t seed);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_STORE_BUILDER_H_
