#include "TmMsgExtractor/diagnostics/trace_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <ctime>
#include <string>

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "TmMsgExtractor/diagnostics/console.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/wide_format.h"
#include "platform/files/output_file.h"

CTraceLog g_TraceLog;

namespace {

// The local time of day, "HH:MM:SS" on the 24-hour clock.
std::string TimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[16] = "00:00:00";
  if (localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

}  // namespace

CTraceLog::~CTraceLog() {
  if (m_hLogFile != nullptr) CloseLogFile();
  Uninitialize();
}

HRESULT CTraceLog::IsLevelEnabled(LONG, bool* enabled) {
  *enabled = true;
  return S_OK;
}

HRESULT CTraceLog::LogMessage(LONG level, const wchar_t* text) {
  const HRESULT hr = Trace(level, L"%s", text);
  ConsolePrint(L"%s\n", text);
  if (m_hLogFile != nullptr) {
    CBstr line(text);
    line += CBstr(L"\n");
    WriteToLogFile(line.ToAnsi());
    std::fflush(m_hLogFile);
  }
  return hr;
}

HRESULT CTraceLog::LogMessageFormat(LONG level, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  CBstr text;
  try {
    text = CBstr(std::wstring_view{FormatWideV(format, args)});
  } catch (const std::bad_alloc&) {
    va_end(args);
    throw E_OUTOFMEMORY;
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  return LogMessage(level, text.c_str());
}

HRESULT CTraceLog::OpenLogFile(const wchar_t* path) {
  if (m_hLogFile != nullptr) CloseLogFile();
  // Never written through a link or into a pipe planted under the name.
  const int descriptor = files::OpenOwnFileForWriting(ToSystemText(path), O_WRONLY | O_CREAT | O_APPEND);
  std::FILE* file = descriptor < 0 ? nullptr : fdopen(descriptor, "a");
  if (file == nullptr) {
    if (descriptor >= 0) close(descriptor);
    const int error = errno;
    Trace(LOG_LEVEL_ERROR, L"Failed to open log file %s. GetLastError():%X", path, error);
    return E_FAIL;
  }
  m_hLogFile = file;
  // Not flushed here: the next message line flushes it.
  WriteToLogFile("\n\nLogFile Started at " + TimeOfDay() + " \n");
  return S_OK;
}

void CTraceLog::WriteToLogFile(std::string_view ansi_text) {
  std::string bytes;
  bytes.reserve(ansi_text.size() + 8);
  for (char c : ansi_text) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
  std::fwrite(bytes.data(), 1, bytes.size(), m_hLogFile);
}

// Runs during process exit too, after the thread's own objects (such as the
// code-page converters) are gone, so it writes plain ASCII without them.
void CTraceLog::CloseLogFile() {
  WriteToLogFile("LogFile closed at " + TimeOfDay() + " \n");
  std::fclose(m_hLogFile);
  m_hLogFile = nullptr;
}
