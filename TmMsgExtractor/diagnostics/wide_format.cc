#include "TmMsgExtractor/diagnostics/wide_format.h"

#include <climits>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  bool left_aligned = false;
};

constexpr std::wstring_view kNullText = L"(null)";

bool IsFlag(wchar_t c) { return c == L'-' || c == L'+' || c == L'0' || c == L' ' || c == L'#'; }

// Reads a run of digits, saturating instead of overflowing.
int ReadNumber(const wchar_t*& p) {
  long long value = 0;
  while (*p >= L'0' && *p <= L'9') {
    value = value * 10 + (*p - L'0');
    if (value > INT_MAX) value = INT_MAX;
    ++p;
  }
  return static_cast<int>(value);
}

std::string NarrowDirective(const Conversion& conversion, char type) {
  std::string directive = "%" + conversion.flags;
  if (conversion.width >= 0) directive += std::to_string(conversion.width);
  // Appended piece by piece: prepending the '.' to a temporary number text
  // would insert into that temporary's own buffer, for nothing.
  if (conversion.precision >= 0) {
    directive += '.';
    directive += std::to_string(conversion.precision);
  }
  directive += type;
  return directive;
}

// Numbers are formatted by the C library's 8-bit printf, whose output for
// them is plain ASCII.
template <typename T>
void AppendNumber(std::wstring& out, const std::string& directive, T value) {
  int length = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (length <= 0) return;
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  std::snprintf(buffer.data(), buffer.size(), directive.c_str(), value);
  for (int i = 0; i < length; ++i) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(buffer[i])));
}

void AppendPadded(std::wstring& out, const Conversion& conversion, std::wstring_view text) {
  if (conversion.precision >= 0 && text.size() > static_cast<size_t>(conversion.precision)) {
    text = text.substr(0, static_cast<size_t>(conversion.precision));
  }
  size_t padding = 0;
  if (conversion.width > 0 && text.size() < static_cast<size_t>(conversion.width)) {
    padding = static_cast<size_t>(conversion.width) - text.size();
  }
  if (!conversion.left_aligned) out.append(padding, L' ');
  out.append(text);
  if (conversion.left_aligned) out.append(padding, L' ');
}

void AppendWideString(std::wstring& out, const Conversion& conversion, const wchar_t* text) {
  AppendPadded(out, conversion, text == nullptr ? kNullText : std::wstring_view(text));
}

void AppendSigned(std::wstring& out, const Conversion& conversion, wchar_t type, va_list& args) {
  AppendNumber(out, NarrowDirective(conversion, static_cast<char>(type)), va_arg(args, int));
}

void AppendUnsigned(std::wstring& out, const Conversion& conversion, wchar_t type, va_list& args) {
  AppendNumber(out, NarrowDirective(conversion, static_cast<char>(type)), va_arg(args, unsigned int));
}

void FormatInto(std::wstring& out, const wchar_t* format, va_list& rest) {
  const wchar_t* p = format;
  while (*p != L'\0') {
    if (*p != L'%') {
      out.push_back(*p++);
      continue;
    }
    const wchar_t* start = p++;
    if (*p == L'%') {
      out.push_back(L'%');
      ++p;
      continue;
    }
    Conversion conversion;
    while (*p != L'\0' && IsFlag(*p)) {
      if (*p == L'-') conversion.left_aligned = true;
      conversion.flags.push_back(static_cast<char>(*p++));
    }
    if (*p >= L'0' && *p <= L'9') conversion.width = ReadNumber(p);
    if (*p == L'.') {
      ++p;
      conversion.precision = ReadNumber(p);
    }
    const wchar_t type = *p;
    if (type == L'\0') {
      out.append(start, p);
      break;
    }
    ++p;
    switch (type) {
      case L'd':
        AppendSigned(out, conversion, type, rest);
        break;
      case L'x':
      case L'X':
        AppendUnsigned(out, conversion, type, rest);
        break;
      case L's':
        AppendWideString(out, conversion, va_arg(rest, const wchar_t*));
        break;
      default:
        out.append(start, p);
        break;
    }
  }
}

}  // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args) {
  std::wstring out;
  if (format == nullptr) return out;
  va_list rest;
  va_copy(rest, args);
  try {
    FormatInto(out, format, rest);
  } catch (...) {
    va_end(rest);
    throw;
  }
  va_end(rest);
  return out;
}

std::wstring FormatWide(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    return text;
  } catch (...) {
    va_end(args);
    throw;
  }
}
