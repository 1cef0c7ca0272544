// CMimeHelper: writes one voice message as one MIME file, <alias>_<guid>.msg
// in the output folder: header lines, two empty lines, then the WAV audio in
// base64, 54 bytes (72 characters) a line. Text is written in the ANSI code
// page and every line ends in CR LF, because the files travel to the
// successor's import. Only a committed file remains: a writer that goes
// before Commit deletes its file, so a failed message leaves nothing behind.
//
// Every failure to create, write or close the file sets the exit code -3.
#ifndef KORVEL_TMMSGEXTRACTOR_MIMEHELPER_H_
#define KORVEL_TMMSGEXTRACTOR_MIMEHELPER_H_

#include <cstdio>
#include <string_view>

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/com/hresult.h"

class CMimeHelper {
 public:
  CMimeHelper() = default;
  // Deletes the file unless it was committed.
  ~CMimeHelper();
  CMimeHelper(const CMimeHelper&) = delete;
  CMimeHelper& operator=(const CMimeHelper&) = delete;

  // Names the file after the owner alias and a fresh GUID and creates it. An
  // alias that would lead outside the folder (one holding "/" or "\", or one
  // that is "." or "..") is refused like a name the file system refuses.
  HRESULT Initialize(const CBstr& outputFolder, const CBstr& ownerAlias);
  // Appends "name: value"; the value is written as it is, a line feed in it
  // included.
  HRESULT WriteMIMEHeader(const wchar_t* name, const CBstr& value);
  // Appends the two empty lines and the base64 body read from the start of
  // `hTempFile` to its end.
  HRESULT WriteAudioStream(std::FILE* hTempFile);
  // Closes the file and keeps it.
  HRESULT Commit();

  const CBstr& Path() const { return m_strPath; }

 private:
  // Writes ANSI text with every line feed as CR LF, as a text-mode stream
  // would; a short write is logged and sets the exit code.
  HRESULT WriteText(std::string_view ansiText);
  HRESULT WriteBytes(const char* bytes, size_t count);

  CBstr m_strPath;
  std::FILE* m_hFile = nullptr;
  bool m_bCreated = false;
  bool m_bCommitted = false;
};

#endif  // KORVEL_TMMSGEXTRACTOR_MIMEHELPER_H_
