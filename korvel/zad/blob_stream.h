// An audio attachment as a stream that reads the stored BLOB piece by piece
// from the store file as it is asked for: an attachment is never held whole
// in memory, however long the recording.
#ifndef KORVEL_KORVEL_ZAD_BLOB_STREAM_H_
#define KORVEL_KORVEL_ZAD_BLOB_STREAM_H_

#include <cstdint>
#include <memory>

#include "korvel/zad/store.h"
#include "platform/com/stream.h"

namespace korvel::zad {

// A read-only stream over the Data BLOB of the AudioStream row
// `rowid`: Write and SetSize are STG_E_ACCESSDENIED.
HRESULT NewAudioBlobStream(std::shared_ptr<Store> store, std::int64_t rowid, IStream** stream);

}  // namespace korvel::zad

#endif  // KORVEL_KORVEL_ZAD_BLOB_STREAM_H_
