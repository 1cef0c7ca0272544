#include "platform/codepage/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace codepage {
namespace {

constexpr const char* kAnsi = "WINDOWS-1252";
constexpr const char* kWide = "WCHAR_T";

// One conversion descriptor per direction and thread, opened on first use:
// opening one costs far more than converting a log line.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of `in`. At an input unit the target cannot take (or that is
  // malformed) `on_error(out, unit)` is called with the `unit_size` bytes
  // there, and conversion goes on after them.
  template <typename OnError>
  std::string Run(std::string_view in, size_t unit_size, OnError on_error) {
    std::string out;
    out.reserve(in.size() * 2 + 16);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char buffer[4096];
    while (src_left > 0) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, dst - buffer);
      if (rc != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a truncated sequence at the end of the input).
      size_t unit = std::min(unit_size, src_left);
      on_error(out, std::string_view(src, unit));
      src += unit;
      src_left -= unit;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dst_left);
    out.append(buffer, dst - buffer);
    return out;
  }

 private:
  iconv_t cd_;
};

std::string_view AsBytes(std::wstring_view text) {
  return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
}

std::wstring FromBytes(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

void AppendWide(std::string& out, wchar_t c) {
  out.append(reinterpret_cast<const char*>(&c), sizeof c);
}

std::wstring DecodeToWide(Converter& converter, std::string_view bytes, size_t unit_size) {
  return FromBytes(converter.Run(bytes, unit_size, [](std::string& out, std::string_view) {
    AppendWide(out, L'\uFFFD');
  }));
}

}  // namespace

std::string WideToAnsi(std::wstring_view text, bool* used_default) {
  thread_local Converter converter(kAnsi, kWide);
  bool replaced = false;
  std::string out = converter.Run(AsBytes(text), sizeof(wchar_t), [&](std::string& o, std::string_view unit) {
    wchar_t c;
    std::memcpy(&c, unit.data(), sizeof c);
    // The code page's undefined bytes stand for the control characters of the
    // same value, the mirror image of AnsiToWide.
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) {
      o.push_back(static_cast<char>(c));
    } else {
      o.push_back(kAnsiDefaultChar);
      replaced = true;
    }
  });
  if (used_default != nullptr) *used_default = replaced;
  return out;
}

std::wstring AnsiToWide(std::string_view bytes) {
  thread_local Converter converter(kWide, kAnsi);
  return FromBytes(converter.Run(bytes, 1, [](std::string& out, std::string_view unit) {
    AppendWide(out, static_cast<wchar_t>(static_cast<unsigned char>(unit[0])));
  }));
}

std::wstring Utf8ToWide(std::string_view bytes) {
  thread_local Converter converter(kWide, "UTF-8");
  return DecodeToWide(converter, bytes, 1);
}

std::string WideToUtf8(std::wstring_view text) {
  thread_local Converter converter("UTF-8", kWide);
  return converter.Run(AsBytes(text), sizeof(wchar_t),
                       [](std::string& out, std::string_view) { out += "\xEF\xBF\xBD"; });
}

std::wstring Utf16LeToWide(std::string_view bytes) {
  thread_local Converter converter(kWide, "UTF-16LE");
  return DecodeToWide(converter, bytes, 2);
}

std::string WideToUtf16Le(std::wstring_view text) {
  thread_local Converter converter("UTF-16LE", kWide);
  return converter.Run(AsBytes(text), sizeof(wchar_t),
                       [](std::string& out, std::string_view) { out += "\xFD\xFF"; });
}

}  // namespace codepage
