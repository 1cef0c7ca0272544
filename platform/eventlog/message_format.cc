#include "platform/eventlog/message_format.h"

#include <algorithm>
#include <optional>

namespace eventlog {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

// What "%" followed by `escape` (not a digit) stands for; `escape` points into
// the text.
std::wstring_view EscapedText(const wchar_t* escape) {
  switch (*escape) {
    case L'n':
      return L"\r\n";
    case L'r':
      return L"\r";
    case L't':
      return L"\t";
    default:
      return std::wstring_view(escape, 1);
  }
}

// A string format between '!' signs: [-][width][.precision][l|w]s. Counts
// saturate: a width beyond any possible result fails on the limit anyway.
struct StringFormat {
  bool left_aligned = false;
  std::size_t width = 0;
  std::optional<std::size_t> precision;
};

std::size_t ReadCount(std::wstring_view* directive) {
  constexpr std::size_t kSaturated = static_cast<std::size_t>(1) << 40;
  std::size_t value = 0;
  while (!directive->empty() && IsDigit(directive->front())) {
    value = std::min(kSaturated, value * 10 + static_cast<std::size_t>(directive->front() - L'0'));
    directive->remove_prefix(1);
  }
  return value;
}

std::optional<StringFormat> ParseStringFormat(std::wstring_view directive) {
  StringFormat format;
  if (!directive.empty() && directive.front() == L'-') {
    format.left_aligned = true;
    directive.remove_prefix(1);
  }
  format.width = ReadCount(&directive);
  if (!directive.empty() && directive.front() == L'.') {
    directive.remove_prefix(1);
    format.precision = ReadCount(&directive);
  }
  if (!directive.empty() && (directive.front() == L'l' || directive.front() == L'w')) directive.remove_prefix(1);
  if (directive != L"s") return std::nullopt;
  return format;
}

class BoundedText {
 public:
  BoundedText(std::size_t limit, std::wstring* out) : limit_(limit), out_(out) { out_->clear(); }

  bool Append(std::wstring_view text) {
    if (text.size() > limit_ - out_->size()) return false;
    out_->append(text);
    return true;
  }

  bool AppendBlanks(std::size_t count) {
    if (count > limit_ - out_->size()) return false;
    out_->append(count, L' ');
    return true;
  }

 private:
  std::size_t limit_;
  std::wstring* out_;
};

}  // namespace

LONG FormatMessageText(std::wstring_view text, const MessageFormatOptions& options, std::size_t limit,
                       std::wstring* out) {
  BoundedText result(limit, out);
  if (options.ignore_line_breaks) {
    while (!text.empty() && IsLineBreak(text.back())) text.remove_suffix(1);
  }
  std::size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (IsLineBreak(c)) {
      const std::size_t length = c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n' ? 2 : 1;
      if (!result.Append(options.ignore_line_breaks ? std::wstring_view(L" ") : text.substr(i, length))) {
        return ERROR_INSUFFICIENT_BUFFER;
      }
      i += length;
      continue;
    }
    if (c != L'%') {
      if (!result.Append(text.substr(i, 1))) return ERROR_INSUFFICIENT_BUFFER;
      ++i;
      continue;
    }
    // A '%' that ends the text has nothing to introduce and is dropped.
    if (i + 1 == text.size()) break;
    const wchar_t escape = text[i + 1];
    if (escape == L'0') break;
    if (escape < L'1' || escape > L'9') {
      if (!result.Append(EscapedText(&text[i + 1]))) return ERROR_INSUFFICIENT_BUFFER;
      i += 2;
      continue;
    }

    std::size_t number = static_cast<std::size_t>(escape - L'0');
    std::size_t next = i + 2;
    if (next < text.size() && IsDigit(text[next])) number = number * 10 + static_cast<std::size_t>(text[next++] - L'0');
    std::wstring_view directive = L"s";
    if (next < text.size() && text[next] == L'!') {
      const std::size_t close = text.find(L'!', next + 1);
      if (close != std::wstring_view::npos) {
        directive = text.substr(next + 1, close - next - 1);
        next = close + 1;
      } else if (!options.ignore_inserts) {
        return ERROR_INVALID_PARAMETER;
      }
    }
    if (options.ignore_inserts) {
      if (!result.Append(text.substr(i, next - i))) return ERROR_INSUFFICIENT_BUFFER;
      i = next;
      continue;
    }

    if (options.arguments == nullptr) return ERROR_INVALID_PARAMETER;
    for (std::size_t k = 0; k < number; ++k) {
      if (options.arguments[k] == nullptr) return ERROR_INVALID_PARAMETER;
    }
    std::optional<StringFormat> format = ParseStringFormat(directive);
    if (!format) return ERROR_INVALID_PARAMETER;
    std::wstring_view argument(options.arguments[number - 1]);
    if (format->precision) argument = argument.substr(0, *format->precision);
    const std::size_t padding = format->width > argument.size() ? format->width - argument.size() : 0;
    if (!format->left_aligned && !result.AppendBlanks(padding)) return ERROR_INSUFFICIENT_BUFFER;
    if (!result.Append(argument)) return ERROR_INSUFFICIENT_BUFFER;
    if (format->left_aligned && !result.AppendBlanks(padding)) return ERROR_INSUFFICIENT_BUFFER;
    i = next;
  }
  return ERROR_SUCCESS;
}

}  // namespace eventlog
