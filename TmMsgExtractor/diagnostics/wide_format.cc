#include "TmMsgExtractor/diagnostics/wide_format.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string_view>
#include <vector>

#include "platform/codepage/codepage.h"

namespace {

enum class ArgSize { kDefault, kChar, kShort, kLong, kLongLong, kLongDouble, kWide };

struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  bool left_aligned = false;
  ArgSize size = ArgSize::kDefault;
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

// Size prefixes, including the platform's own "I", "I32", "I64" and the
// memory-model prefixes "F" and "N", which change nothing.
ArgSize ReadSize(const wchar_t*& p) {
  ArgSize size = ArgSize::kDefault;
  for (;;) {
    switch (*p) {
      case L'h':
        size = p[1] == L'h' ? ArgSize::kChar : ArgSize::kShort;
        p += size == ArgSize::kChar ? 2 : 1;
        break;
      case L'l':
        size = p[1] == L'l' ? ArgSize::kLongLong : ArgSize::kLong;
        p += size == ArgSize::kLongLong ? 2 : 1;
        break;
      case L'L':
        size = ArgSize::kLongDouble;
        ++p;
        break;
      case L'w':
        size = ArgSize::kWide;
        ++p;
        break;
      case L'j':
      case L'z':
      case L't':
        size = ArgSize::kLongLong;
        ++p;
        break;
      case L'I':
        if (p[1] == L'6' && p[2] == L'4') {
          size = ArgSize::kLongLong;
          p += 3;
        } else if (p[1] == L'3' && p[2] == L'2') {
          size = ArgSize::kLong;
          p += 3;
        } else {
          size = sizeof(void*) == 8 ? ArgSize::kLongLong : ArgSize::kLong;
          ++p;
        }
        break;
      case L'F':
      case L'N':
        ++p;
        break;
      default:
        return size;
    }
  }
}

std::string NarrowDirective(const Conversion& conversion, const char* length, char type) {
  std::string directive = "%" + conversion.flags;
  if (conversion.left_aligned && conversion.flags.find('-') == std::string::npos) directive += '-';
  if (conversion.width >= 0) directive += std::to_string(conversion.width);
  // Appended piece by piece: prepending the '.' to a temporary number text
  // would insert into that temporary's own buffer, for nothing.
  if (conversion.precision >= 0) {
    directive += '.';
    directive += std::to_string(conversion.precision);
  }
  directive += length;
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

void AppendAnsiString(std::wstring& out, const Conversion& conversion, const char* text) {
  if (text == nullptr) {
    AppendPadded(out, conversion, kNullText);
    return;
  }
  std::string_view bytes(text);
  if (conversion.precision >= 0 && bytes.size() > static_cast<size_t>(conversion.precision)) {
    bytes = bytes.substr(0, static_cast<size_t>(conversion.precision));
  }
  AppendPadded(out, conversion, codepage::AnsiToWide(bytes));
}

void AppendSigned(std::wstring& out, const Conversion& conversion, wchar_t type, va_list& args) {
  const std::string directive = NarrowDirective(conversion, "ll", static_cast<char>(type));
  long long value;
  switch (conversion.size) {
    case ArgSize::kLongLong:
      value = va_arg(args, long long);
      break;
    case ArgSize::kShort:
      value = static_cast<short>(va_arg(args, int));
      break;
    case ArgSize::kChar:
      value = static_cast<signed char>(va_arg(args, int));
      break;
    default:
      value = va_arg(args, int);
      break;
  }
  AppendNumber(out, directive, value);
}

void AppendUnsigned(std::wstring& out, const Conversion& conversion, wchar_t type, va_list& args) {
  const std::string directive = NarrowDirective(conversion, "ll", static_cast<char>(type));
  unsigned long long value;
  switch (conversion.size) {
    case ArgSize::kLongLong:
      value = va_arg(args, unsigned long long);
      break;
    case ArgSize::kShort:
      value = static_cast<unsigned short>(va_arg(args, unsigned int));
      break;
    case ArgSize::kChar:
      value = static_cast<unsigned char>(va_arg(args, unsigned int));
      break;
    default:
      value = va_arg(args, unsigned int);
      break;
  }
  AppendNumber(out, directive, value);
}

void AppendFloating(std::wstring& out, const Conversion& conversion, wchar_t type, va_list& args) {
  if (conversion.size == ArgSize::kLongDouble) {
    AppendNumber(out, NarrowDirective(conversion, "L", static_cast<char>(type)), va_arg(args, long double));
  } else {
    AppendNumber(out, NarrowDirective(conversion, "", static_cast<char>(type)), va_arg(args, double));
  }
}

// A pointer prints as upper-case hexadecimal, zero-filled to its full width.
void AppendPointer(std::wstring& out, const Conversion& conversion, va_list& args) {
  const void* pointer = va_arg(args, void*);
  std::wstring digits;
  AppendNumber(digits, "%0" + std::to_string(sizeof(void*) * 2) + "llX",
               static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
  Conversion padding = conversion;
  padding.precision = -1;
  AppendPadded(out, padding, digits);
}

void AppendCharacter(std::wstring& out, const Conversion& conversion, bool wide, va_list& args) {
  int value = va_arg(args, int);
  Conversion padding = conversion;
  padding.precision = -1;
  if (wide) {
    const wchar_t c = static_cast<wchar_t>(value);
    AppendPadded(out, padding, std::wstring_view(&c, 1));
  } else {
    const char c = static_cast<char>(value);
    AppendPadded(out, padding, codepage::AnsiToWide(std::string_view(&c, 1)));
  }
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
    if (*p == L'*') {
      ++p;
      conversion.width = va_arg(rest, int);
      if (conversion.width < 0) {
        conversion.left_aligned = true;
        conversion.width = conversion.width == INT_MIN ? INT_MAX : -conversion.width;
      }
    } else if (*p >= L'0' && *p <= L'9') {
      conversion.width = ReadNumber(p);
    }
    if (*p == L'.') {
      ++p;
      if (*p == L'*') {
        ++p;
        conversion.precision = va_arg(rest, int);
        if (conversion.precision < 0) conversion.precision = -1;
      } else {
        conversion.precision = ReadNumber(p);
      }
    }
    conversion.size = ReadSize(p);
    const wchar_t type = *p;
    if (type == L'\0') {
      out.append(start, p);
      break;
    }
    ++p;
    switch (type) {
      case L'd':
      case L'i':
        AppendSigned(out, conversion, type, rest);
        break;
      case L'u':
      case L'o':
      case L'x':
      case L'X':
        AppendUnsigned(out, conversion, type, rest);
        break;
      case L'e':
      case L'E':
      case L'f':
      case L'g':
      case L'G':
      case L'a':
      case L'A':
        AppendFloating(out, conversion, type, rest);
        break;
      case L'p':
        AppendPointer(out, conversion, rest);
        break;
      case L'c':
        AppendCharacter(out, conversion, conversion.size != ArgSize::kShort, rest);
        break;
      case L'C':
        AppendCharacter(out, conversion,
                        conversion.size == ArgSize::kLong || conversion.size == ArgSize::kWide, rest);
        break;
      case L's':
        if (conversion.size == ArgSize::kShort) {
          AppendAnsiString(out, conversion, va_arg(rest, const char*));
        } else {
          AppendWideString(out, conversion, va_arg(rest, const wchar_t*));
        }
        break;
      case L'S':
        if (conversion.size == ArgSize::kLong || conversion.size == ArgSize::kWide) {
          AppendWideString(out, conversion, va_arg(rest, const wchar_t*));
        } else {
          AppendAnsiString(out, conversion, va_arg(rest, const char*));
        }
        break;
      case L'n':
        // Writing a count through an argument is how format strings are
        // abused; the argument is taken so the rest still line up.
        (void)va_arg(rest, void*);
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
