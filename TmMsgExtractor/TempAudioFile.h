// CTempAudioFile: the temporary file in which a message's audio attachments
// are joined into one WAV before it is written out in base64. One file
// serves a whole message list: it is emptied for every message and deleted
// when the list is done, on every way out. Creating and deleting a file per
// message made the file system's inode allocator search past every file
// deleted in the last seconds, a quarter of the run on a large mailbox.
#ifndef KORVEL_TMMSGEXTRACTOR_TEMPAUDIOFILE_H_
#define KORVEL_TMMSGEXTRACTOR_TEMPAUDIOFILE_H_

#include <cstdio>

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/com/hresult.h"

class CTempAudioFile {
 public:
  CTempAudioFile() = default;
  ~CTempAudioFile();
  CTempAudioFile(const CTempAudioFile&) = delete;
  CTempAudioFile& operator=(const CTempAudioFile&) = delete;

  // An empty file open for reading and writing in binary mode: the one held,
  // emptied, or a new one named "msgp" and six random characters in the
  // temporary folder. E_FAIL, with its line, when there is none.
  HRESULT Prepare();
  // Drops the audio of the message just done; the file stays for the next.
  void Empty();

  std::FILE* File() const { return m_hFile; }
  const CBstr& Path() const { return m_strPath; }

  // A failed delete is logged; the run goes on regardless.
  void CloseAndDelete();

 private:
  HRESULT Create();

  CBstr m_strPath;
  std::FILE* m_hFile = nullptr;
};

#endif  // KORVEL_TMMSGEXTRACTOR_TEMPAUDIOFILE_H_
