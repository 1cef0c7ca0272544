// CTraceLog: the extractor's one trace log, with three outlets. Trace lines
// (method entry and exit, failed calls) reach the log manager only; messages
// for the administrator (LogMessage) reach the log manager, the console and,
// once OpenLogFile has succeeded, the extraction log file.
//
// The extraction log is framed by a start line and a closing line; the
// export program follows the file and takes the closing line as the sign that
// the extractor has ended, so the closing line is written last, by the
// destructor, whichever way the run ended. The file is in the ANSI code page
// with CR LF line ends, because it is read on the successor's side.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TRACE_LOG_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TRACE_LOG_H_

#include <cstdio>
#include <string_view>

#include "TmMsgExtractor/diagnostics/logmgr_client.h"

class CTraceLog : public CLogMgrClient {
 public:
  CTraceLog() = default;
  // Writes "LogFile closed at HH:MM:SS " when the file is open, closes it and
  // lets the log manager go.
  ~CTraceLog() override;

  // Every level is sent; filtering is the log manager's business.
  HRESULT IsLevelEnabled(LONG level, bool* enabled) override;

  // The text, whole, to the three outlets; Trace's 1024-character cut applies
  // to the log manager only. Returns the result of the trace.
  HRESULT LogMessage(LONG level, const wchar_t* text);
  // LogMessage of a text formatted with CBstr::Format.
  HRESULT LogMessageFormat(LONG level, const wchar_t* format, ...);

  // Opens the file for appending (creating it) and writes the start line;
  // E_FAIL, with a trace naming the path and the system error, when it cannot
  // be opened. A file opened before gets its closing line and is closed
  // first, so every file the run touched is framed.
  HRESULT OpenLogFile(const wchar_t* path);

 private:
  void WriteToLogFile(std::string_view ansi_text);
  void CloseLogFile();

  std::FILE* m_hLogFile = nullptr;
};

// The trace log of the process: made before main and gone after it.
extern CTraceLog g_TraceLog;

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_TRACE_LOG_H_
