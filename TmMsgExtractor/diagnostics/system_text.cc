#include "TmMsgExtractor/diagnostics/system_text.h"

#include "platform/codepage/codepage.h"

std::string ToSystemText(const wchar_t* text) {
  return text == nullptr ? std::string() : codepage::WideToUtf8(text);
}

std::string ToSystemText(std::wstring_view text) { return codepage::WideToUtf8(text); }

std::wstring FromSystemText(std::string_view text) { return codepage::Utf8ToWide(text); }
