#include "TmMsgExtractor/TempAudioFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"

namespace {

constexpr size_t kBufferBytes = 64 * 1024;

// The system's temporary folder: $TMPDIR when it is set and not empty, else
// /tmp, where the system keeps its temporary files when nothing says other.
std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

}  // namespace

CTempAudioFile::~CTempAudioFile() { Close(); }

HRESULT CTempAudioFile::Prepare() {
  if (m_hFile != nullptr) {
    // A file that cannot be emptied is replaced.
    if (std::fseek(m_hFile, 0, SEEK_SET) == 0 && ftruncate(fileno(m_hFile), 0) == 0) {
      std::clearerr(m_hFile);
      return S_OK;
    }
    Close();
  }
  return Create();
}

void CTempAudioFile::Empty() {
  if (m_hFile == nullptr) return;
  // Whatever is still buffered belongs to the message just done.
  std::fflush(m_hFile);
  if (ftruncate(fileno(m_hFile), 0) != 0) Close();
}

HRESULT CTempAudioFile::Create() {
  const std::string folder = TemporaryFolder();
  const std::string pattern = folder + "/msgpXXXXXX";
  // A file without a name from the start never outlives the process, however
  // it ends; where the file system cannot make one, the name goes at once.
  int descriptor = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    std::string name = pattern;
    // mkstemp makes the name and the file in one step, so no other process
    // can slip a file or a link in under the name in between.
    descriptor = mkstemp(name.data());
    if (descriptor < 0) {
      const int error = errno;
      if (error == EINVAL) {
        g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed to create tmp file name");
      } else {
        g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed to open file %s for write GetLastError():%X",
                         FromSystemText(pattern).c_str(), error);
      }
      return E_FAIL;
    }
    unlink(name.c_str());
  }
  m_hFile = fdopen(descriptor, "w+b");
  // The audio arrives in pieces of 8 KB; a larger buffer saves most of the
  // system calls on its way to the disk.
  if (m_hFile != nullptr) setvbuf(m_hFile, nullptr, _IOFBF, kBufferBytes);
  if (m_hFile == nullptr) {
    const int error = errno;
    close(descriptor);
    g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed to open file %s for write GetLastError():%X",
                     FromSystemText(pattern).c_str(), error);
    return E_FAIL;
  }
  return S_OK;
}

void CTempAudioFile::Close() {
  if (m_hFile == nullptr) return;
  std::fclose(m_hFile);
  m_hFile = nullptr;
}
