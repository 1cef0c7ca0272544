// CMimeHelper: writes one voice message as one MIME file, <alias>_<guid>.msg
// in the output folder: header lines, two empty lines, then the WAV audio in
// base64, 54 bytes (72 characters) a line. Text is written in the ANSI code
// page and every line ends in CR LF, because the files travel to the
// successor's import. The file is written under a temporary name in the
// folder (".<name>.partial") and renamed to its name only when committed: a
// writer that goes before Commit deletes its file, so a failed or interrupted
// message leaves nothing behind and a file under its name is always whole.
//
// Every failure to create, write or close the file sets the exit code -3.
#ifndef KORVEL_TMMSGEXTRACTOR_MIMEHELPER_H_
#define KORVEL_TMMSGEXTRACTOR_MIMEHELPER_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "TmMsgExtractor/CombinedAudio.h"
#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/com/hresult.h"
#include "platform/files/output_file.h"

class CMimeHelper {
 public:
  CMimeHelper() = default;
  // Deletes the file unless it was committed.
  ~CMimeHelper();
  CMimeHelper(const CMimeHelper&) = delete;
  CMimeHelper& operator=(const CMimeHelper&) = delete;

  // Names the file after the owner alias and a fresh GUID and creates it
  // under its temporary name. An alias that would lead outside the folder or
  // that no file name should hold (one holding "/", "\" or a control
  // character, or one that is "." or "..") is refused like a name the file
  // system refuses.
  HRESULT Initialize(const CBstr& outputFolder, const CBstr& ownerAlias);
  // Appends "name: value", each line break in the value folded (a line end
  // and a blank), so that no value can end its header early.
  HRESULT WriteMIMEHeader(const wchar_t* name, const CBstr& value);
  // Appends the two empty lines and the base64 body of `audio`, read from
  // the start to its end.
  HRESULT WriteAudioStream(CCombinedAudio& audio);
  // Writes out what is buffered and closes the file, still under its
  // temporary name; Size() is its length from then on.
  HRESULT Finish();
  std::uint64_t Size() const { return m_ullSize; }
  // Renames the finished file to its name and keeps it.
  HRESULT Commit();

  // The file's name within the folder, and its path.
  const std::string& FileName() const { return m_fileName; }
  const CBstr& Path() const { return m_strPath; }

 private:
  // Writes ANSI text with every line feed as CR LF, as a text-mode stream
  // would; a short write is logged and sets the exit code.
  HRESULT WriteText(std::string_view ansiText);
  HRESULT WriteBytes(const char* bytes, size_t count);

  HRESULT CommitFailed(int error);

  CBstr m_strPath;
  std::string m_fileName;
  files::PartialFile m_partialFile;
  // Over a duplicate of the temporary file's descriptor.
  std::FILE* m_hFile = nullptr;
  std::uint64_t m_ullSize = 0;
};

#endif  // KORVEL_TMMSGEXTRACTOR_MIMEHELPER_H_
