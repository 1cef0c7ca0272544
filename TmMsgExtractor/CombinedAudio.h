// CCombinedAudio: a message's audio attachments joined into one WAVE file
// without a copy of it anywhere: each attachment's stream is kept with the
// range of its bytes that goes into the file (the first attachment whole, the
// samples of every further one), and the file is read from those streams,
// in order, with the header's sizes put over the first attachment's own.
// The store is read again rather than the audio being written to a disk and
// read back; memory stays the same whatever the size of the audio.
#ifndef KORVEL_TMMSGEXTRACTOR_COMBINEDAUDIO_H_
#define KORVEL_TMMSGEXTRACTOR_COMBINEDAUDIO_H_

#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/hresult.h"
#include "platform/com/stream.h"
#include "platform/wintypes.h"

class CCombinedAudio {
 public:
  // Appends `ullBytes` bytes of `pStream` from `ullStart` on.
  void Append(IStream* pStream, ULONGLONG ullStart, ULONGLONG ullBytes);

  // Length of the joined file, and of its first attachment.
  ULONGLONG Size() const { return m_ullSize; }
  ULONGLONG FirstSize() const { return m_pieces.empty() ? 0 : m_pieces.front().ullBytes; }

  // Reads up to `ulCount` bytes of the first attachment at `ullOffset`, as
  // stored; fewer at its end.
  HRESULT ReadFirst(ULONGLONG ullOffset, BYTE* buffer, ULONG ulCount, ULONG* pulRead);

  // Makes the 4 bytes at `ullOffset`, within the first attachment, read as
  // `dwValue` in little-endian order.
  void Overwrite(ULONGLONG ullOffset, DWORD dwValue);

  // Reads the joined file on from where the last Read ended (from its start
  // at first): `ulCount` bytes, fewer only at its end. An attachment that
  // gives fewer bytes than it held before fails the read.
  HRESULT Read(BYTE* buffer, ULONG ulCount, ULONG* pulRead);

 private:
  struct Piece {
    ComPtr<IStream> stream;
    ULONGLONG ullStart;
    ULONGLONG ullBytes;
  };
  struct Overwritten {
    ULONGLONG ullOffset;
    BYTE bytes[4];
  };

  std::vector<Piece> m_pieces;
  std::vector<Overwritten> m_overwritten;
  ULONGLONG m_ullSize = 0;
  // Where the next Read goes on.
  size_t m_piece = 0;
  ULONGLONG m_ullInPiece = 0;
  ULONGLONG m_ullPosition = 0;
};

#endif  // KORVEL_TMMSGEXTRACTOR_COMBINEDAUDIO_H_
