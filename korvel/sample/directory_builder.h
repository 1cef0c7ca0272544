// Makes the directory of a sample server: locations, classes of service, call
// handlers and subscribers with their extensions, message-waiting devices,
// contact rules and voice names. The first subscribers are the cases an export
// has to cope with, each under an alias that says what it is; the rest are
// ordinary.
#ifndef KORVEL_SAMPLE_DIRECTORY_BUILDER_H_
#define KORVEL_SAMPLE_DIRECTORY_BUILDER_H_

#include <cstdint>
#include <string>

#include "korvel/sample/sample_model.h"

namespace korvel_sample {

// How many exported subscribers the special cases take.
int SpecialSubscriberCount();

// `exported_subscribers` (at least SpecialSubscriberCount()) of types 1 and 3,
// plus a few of other types. `stream_folder` is the absolute stream file
// folder, without a trailing '/', for the stream paths written absolute.
Directory BuildDirectory(int exported_subscribers, std::uint64_t seed,
                         const std::string& stream_folder);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_DIRECTORY_BUILDER_H_
