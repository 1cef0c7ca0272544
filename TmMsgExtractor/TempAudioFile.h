// CTempAudioFile: the temporary file in which one message's audio
// attachments are joined into one WAV before it is written out in base64. It
// lives for one message and is closed and deleted on every way out.
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

  // Creates a new, empty file named "msgp" and six random characters in the
  // temporary folder, open for reading and writing in binary mode. E_FAIL,
  // with its line, when there is none.
  HRESULT Create();

  std::FILE* File() const { return m_hFile; }
  const CBstr& Path() const { return m_strPath; }

  // A failed delete is logged; the message goes on regardless.
  void CloseAndDelete();

 private:
  CBstr m_strPath;
  std::FILE* m_hFile = nullptr;
};

// The system's temporary folder: $TMPDIR when it is set and not empty, else
// /tmp.
CBstr TemporaryFolder();

#endif  // KORVEL_TMMSGEXTRACTOR_TEMPAUDIOFILE_H_
