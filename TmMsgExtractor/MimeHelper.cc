#include "TmMsgExtractor/MimeHelper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "TmMsgExtractor/Base64.h"
#include "TmMsgExtractor/ExtractorState.h"
#include "TmMsgExtractor/diagnostics/exception_report.h"
#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "platform/com/guid.h"
#include "platform/interrupt/interrupt.h"

namespace {

// A line break inside a header value would end the header there and could
// start the body early for the reader on the other side, so each break is
// folded: written as a line end followed by a blank, which a MIME reader
// joins back into one header. Breaks already followed by a blank or a tab are
// folds as they stand. A lone CR counts as a break like CR LF and LF.
std::wstring FoldedHeaderValue(std::wstring_view value) try {
  std::wstring folded;
  folded.reserve(value.size() + 8);
  for (size_t i = 0; i < value.size(); ++i) {
    wchar_t c = value[i];
    if (c == L'\r') {
      if (i + 1 < value.size() && value[i + 1] == L'\n') ++i;
      c = L'\n';
    }
    folded.push_back(c);
    if (c == L'\n' && (i + 1 == value.size() || (value[i + 1] != L' ' && value[i + 1] != L'\t'))) {
      folded.push_back(L' ');
    }
  }
  return folded;
} catch (const std::bad_alloc&) {
  throw E_OUTOFMEMORY;
}

constexpr const wchar_t* kSourceUnit = L"TmMsgExtractor\\MimeHelper";

// Input bytes per body line: 72 characters of base64.
constexpr size_t kBytesPerLine = 54;
// Lines encoded per read of the audio and per write: the body is the same as
// with one read and write per line, with a five-thousandth of the calls,
// through two fixed buffers of about 256 KB and 350 KB, whatever the size of
// the audio.
constexpr size_t kLinesPerBlock = 4855;
constexpr size_t kBlockBytes = kBytesPerLine * kLinesPerBlock;
constexpr size_t kLineCharacters = Base64Length(kBytesPerLine) + 2;

// A name taken from the store never leads the file out of its folder, nor
// holds what no file name should: a control character (U+0000 would even cut
// the name short, onto another file).
bool IsSafeFileNamePart(const CBstr& alias) {
  const std::wstring_view text(alias.c_str(), static_cast<size_t>(alias.Length()));
  if (text == L"." || text == L"..") return false;
  for (wchar_t c : text) {
    if (c < 0x20 || c == 0x7F || c == L'/' || c == L'\\') return false;
  }
  return true;
}

}  // namespace

CMimeHelper::~CMimeHelper() {
  if (!m_partialFile.is_open()) return;
  try {
    if (m_hFile != nullptr) std::fclose(m_hFile);
    m_hFile = nullptr;
    g_TraceLog.Trace(LOG_LEVEL_ERROR, L"File %s is Not Commited deleting it", m_strPath.c_str());
    m_partialFile.Discard();
  } catch (...) {
    try {
      ReportException(kSourceUnit, __LINE__, E_UNEXPECTED);
    } catch (...) {
      // Nothing may leave a destructor.
    }
  }
}

HRESULT CMimeHelper::Initialize(const CBstr& outputFolder, const CBstr& ownerAlias) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMimeHelper::Initialize()", hr);
  try {
    GUID guid{};
    if (FAILED(hr = CoCreateGuid(&guid))) {
      TraceFailedCall(L"CoCreateGuid()", hr);
      return hr;
    }
    const CBstr strGuid(GuidToString(guid).c_str());
    const LONG folderLength = outputFolder.Length();
    const wchar_t last = folderLength > 0 ? outputFolder.c_str()[folderLength - 1] : L'\0';
    const wchar_t* separator = last == L'\\' || last == L'/' ? L"" : L"/";
    CBstr strFolder;
    strFolder.Format(L"%s%s", outputFolder.c_str(), separator);
    m_strPath.Format(L"%s%s_%s.msg", strFolder.c_str(), ownerAlias.c_str(), strGuid.c_str());
    g_TraceLog.Trace(LOG_LEVEL_INFO, L"OutputFile [%s]", m_strPath.c_str());

    int error = EINVAL;
    if (IsSafeFileNamePart(ownerAlias)) {
      CBstr strName;
      strName.Format(L"%s_%s.msg", ownerAlias.c_str(), strGuid.c_str());
      m_fileName = ToSystemText(strName.c_str());
      error = m_partialFile.Create(ToSystemText(strFolder.c_str()), m_fileName);
      if (error == 0) {
        const int descriptor = dup(m_partialFile.fd());
        m_hFile = descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
        if (m_hFile == nullptr) {
          error = errno;
          if (descriptor >= 0) close(descriptor);
          m_partialFile.Discard();
        }
      }
    }
    if (m_hFile == nullptr) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed to create file %s. GetLastError():%X", m_strPath.c_str(), error);
      g_ExtractorState.exitCode = -3;
      hr = E_FAIL;
      return hr;
    }
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMimeHelper::WriteMIMEHeader(const wchar_t* name, const CBstr& value) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMimeHelper::WriteMIMEHeader()", hr);
  try {
    if (m_hFile == nullptr) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"m_hFile is NULL");
      hr = E_FAIL;
      return hr;
    }
    CBstr line;
    line.Format(L"%s: %s\n", name, FoldedHeaderValue(value.c_str()).c_str());
    hr = WriteText(line.ToAnsi());
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMimeHelper::WriteAudioStream(CCombinedAudio& audio) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMimeHelper::WriteAudioStream()", hr);
  try {
    if (m_hFile == nullptr) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"m_hFile is NULL");
      hr = E_FAIL;
      return hr;
    }
    if (FAILED(hr = WriteText("\n\n"))) return hr;
    std::unique_ptr<BYTE[]> input(new BYTE[kBlockBytes]);
    std::unique_ptr<char[]> output(new char[kLinesPerBlock * kLineCharacters]);
    for (;;) {
      ULONG ulRead = 0;
      if (FAILED(hr = audio.Read(input.get(), static_cast<ULONG>(kBlockBytes), &ulRead))) return hr;
      const size_t bytesRead = ulRead;
      char* out = output.get();
      size_t done = 0;
      // Full lines, then, after a short read, the last line of 0 to 53
      // bytes: an empty line when the audio is a multiple of 54 bytes long.
      while (bytesRead - done >= kBytesPerLine) {
        out += Base64Encode(input.get() + done, kBytesPerLine, out);
        *out++ = '\r';
        *out++ = '\n';
        done += kBytesPerLine;
      }
      const bool lastBlock = bytesRead < kBlockBytes;
      if (lastBlock) {
        out += Base64Encode(input.get() + done, static_cast<int>(bytesRead - done), out);
        *out++ = '\r';
        *out++ = '\n';
      }
      if (FAILED(hr = WriteBytes(output.get(), static_cast<size_t>(out - output.get())))) return hr;
      if (interrupt::PendingSignal() != 0) return hr = E_ABORT;
      if (lastBlock) break;
    }
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMimeHelper::Finish() {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMimeHelper::Finish()", hr);
  try {
    if (m_hFile == nullptr) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"m_hFile is NULL");
      hr = E_FAIL;
      return hr;
    }
    // A failed close still ends the stream: it is never used again.
    std::FILE* file = m_hFile;
    m_hFile = nullptr;
    if (std::fclose(file) != 0) return hr = CommitFailed(errno);
    struct stat status {};
    if (fstat(m_partialFile.fd(), &status) != 0) return hr = CommitFailed(errno);
    m_ullSize = static_cast<std::uint64_t>(status.st_size);
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMimeHelper::Commit() {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMimeHelper::Commit()", hr);
  try {
    if (m_hFile != nullptr || !m_partialFile.is_open()) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"File %s is not finished", m_strPath.c_str());
      hr = E_FAIL;
      return hr;
    }
    if (const int error = m_partialFile.Commit(); error != 0) hr = CommitFailed(error);
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMimeHelper::CommitFailed(int error) {
  g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed to commit file %s for write GetLastError():%X", m_strPath.c_str(),
                   error);
  g_ExtractorState.exitCode = -3;
  return E_FAIL;
}

HRESULT CMimeHelper::WriteText(std::string_view ansiText) {
  std::string bytes;
  try {
    bytes.reserve(ansiText.size() + 8);
    for (char c : ansiText) {
      if (c == '\n') bytes.push_back('\r');
      bytes.push_back(c);
    }
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  }
  return WriteBytes(bytes.data(), bytes.size());
}

HRESULT CMimeHelper::WriteBytes(const char* bytes, size_t count) {
  if (std::fwrite(bytes, 1, count, m_hFile) == count) return S_OK;
  g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed write to file %s GetLastError():%X", m_strPath.c_str(), errno);
  g_ExtractorState.exitCode = -3;
  return E_FAIL;
}
