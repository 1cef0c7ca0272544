// CTempAudioFile: the temporary file in which a message's audio attachments
// are joined into one WAV before it is written out in base64. The file has no
// name in any folder, so it never outlives the process, however that ends.
// One file serves a whole message list: it is emptied for every message and
// closed when the list is done. Creating and deleting a file per
// message made the file system's inode allocator search past every file
// deleted in the last seconds, a quarter of the run on a large mailbox.
#ifndef KORVEL_TMMSGEXTRACTOR_TEMPAUDIOFILE_H_
#define KORVEL_TMMSGEXTRACTOR_TEMPAUDIOFILE_H_

#include <cstdio>

#include "platform/com/hresult.h"

class CTempAudioFile {
 public:
  CTempAudioFile() = default;
  ~CTempAudioFile();
  CTempAudioFile(const CTempAudioFile&) = delete;
  CTempAudioFile& operator=(const CTempAudioFile&) = delete;

  // An empty file open for reading and writing in binary mode: the one held,
  // emptied, or a new one in the temporary folder. E_FAIL, with its line,
  // when there is none.
  HRESULT Prepare();
  // Drops the audio of the message just done; the file stays for the next.
  void Empty();

  std::FILE* File() const { return m_hFile; }

  void Close();

 private:
  HRESULT Create();

  std::FILE* m_hFile = nullptr;
};

#endif  // KORVEL_TMMSGEXTRACTOR_TEMPAUDIOFILE_H_
