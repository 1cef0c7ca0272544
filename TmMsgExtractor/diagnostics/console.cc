#include "TmMsgExtractor/diagnostics/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/wide_format.h"

void ConsolePrint(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text;
  try {
    text = FormatWideV(format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  const std::string bytes = ToSystemText(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}
