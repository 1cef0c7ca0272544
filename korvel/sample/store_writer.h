// Writes the message store into a new SQLite file in the store's file layout.
#ifndef KORVEL_SAMPLE_STORE_WRITER_H_
#define KORVEL_SAMPLE_STORE_WRITER_H_

#include <string>

#include "korvel/sample/sample_model.h"
#include "korvel/sample/status.h"

namespace korvel_sample {

Status WriteMessageStore(const MessageStore& store, const std::string& path);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_STORE_WRITER_H_
