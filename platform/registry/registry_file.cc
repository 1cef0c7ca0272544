#include "platform/registry/registry_file.h"

#include <locale.h>
#include <wctype.h>

#include <cstring>

#include "platform/codepage/codepage.h"
#include "platform/registry/registry.h"

namespace registry {
namespace {

constexpr std::wstring_view kHeader5 = L"Windows Registry Editor Version 5.00";
constexpr std::wstring_view kHeader4 = L"REGEDIT4";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; }

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && FoldCase(text.substr(0, prefix.size())) == FoldCase(prefix);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// 1 to `max_digits` hex digits and nothing else.
std::optional<DWORD> ParseHexNumber(std::wstring_view digits, size_t max_digits) {
  if (digits.empty() || digits.size() > max_digits) return std::nullopt;
  DWORD value = 0;
  for (wchar_t c : digits) {
    int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = (value << 4) | static_cast<DWORD>(digit);
  }
  return value;
}

std::string WideData(std::wstring_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::optional<RegistryRoot> RootFromName(std::wstring_view name) {
  std::wstring folded = FoldCase(name);
  if (folded == L"HKEY_LOCAL_MACHINE" || folded == L"HKLM") return RegistryRoot::kLocalMachine;
  if (folded == L"HKEY_CURRENT_USER" || folded == L"HKCU") return RegistryRoot::kCurrentUser;
  return std::nullopt;
}

}  // namespace

std::wstring_view RootName(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? L"HKEY_LOCAL_MACHINE" : L"HKEY_CURRENT_USER";
}

std::wstring FoldCase(std::wstring_view text) {
  // C.UTF-8 is built into the C library, so this never depends on which
  // locales are installed; without it ASCII folding still works.
  static const locale_t kLocale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  std::wstring folded(text);
  for (wchar_t& c : folded) {
    if (kLocale != static_cast<locale_t>(0)) {
      c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), kLocale));
    } else if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    }
  }
  return folded;
}

std::wstring NormalizeKeyPath(std::wstring_view path) {
  std::wstring normalized;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring_view::npos) end = path.size();
    if (end > start) {
      if (!normalized.empty()) normalized += L'\\';
      normalized.append(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return normalized;
}

// Walks the decoded text line by line, filling one RegistryFile.
class RegistryFileParser {
 public:
  RegistryFileParser(RegistryFile* file, ParseError* error) : file_(file), error_(error) {}

  bool Run(std::wstring_view text) {
    SplitLines(text);
    if (Trim(lines_[0]) != kHeader5 && Trim(lines_[0]) != kHeader4) {
      return Fail(1, "the first line is not \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
    }
    for (size_t i = 1; i < lines_.size(); ++i) {
      int line_number = static_cast<int>(i) + 1;
      std::wstring_view line = Trim(lines_[i]);
      if (line.empty() || line.front() == L';') continue;
      std::wstring logical(line);
      // regedit wraps long hex lists: a trailing `\` joins the next line,
      // whose indentation is not part of the data.
      while (!logical.empty() && logical.back() == L'\\') {
        if (++i >= lines_.size()) return Fail(line_number, "the value continues past the end of the file");
        logical.pop_back();
        logical.append(Trim(lines_[i]));
      }
      // A lone `\` joined to an empty line leaves nothing to read.
      if (logical.empty()) continue;
      bool ok = logical.front() == L'[' ? ParseKeyLine(logical, line_number)
                                        : ParseValueLine(logical, line_number);
      if (!ok) return false;
    }
    return true;
  }

 private:
  void SplitLines(std::wstring_view text) {
    size_t start = 0;
    for (;;) {
      size_t end = text.find(L'\n', start);
      if (end == std::wstring_view::npos) {
        lines_.push_back(text.substr(start));
        break;
      }
      std::wstring_view line = text.substr(start, end - start);
      if (lines_.empty()) file_->crlf_ = !line.empty() && line.back() == L'\r';
      if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
    // After the last line end comes one more, empty, "line".
    file_->ends_with_line_end_ = lines_.back().empty();
    file_->ends_with_blank_line_ =
        file_->ends_with_line_end_ && lines_.size() >= 2 && Trim(lines_[lines_.size() - 2]).empty();
    if (lines_.size() == 1) file_->crlf_ = true;
    // Nothing follows the last line end; that is no line of its own.
    if (file_->ends_with_line_end_ && lines_.size() > 1) lines_.pop_back();
  }

  bool Fail(int line, std::string message) {
    error_->line = line;
    error_->message = std::move(message);
    return false;
  }

  bool ParseKeyLine(std::wstring_view line, int line_number) {
    if (line.back() != L']' || line.size() < 3) {
      return Fail(line_number, "a key line must be a key name in [brackets]");
    }
    std::wstring_view name = line.substr(1, line.size() - 2);
    if (name.front() == L'-') return Fail(line_number, "removing a key is not supported in this file");
    size_t separator = name.find(L'\\');
    std::wstring_view root_name = name.substr(0, separator);
    std::optional<RegistryRoot> root = RootFromName(root_name);
    if (!root) {
      return Fail(line_number, "unknown root key \"" + codepage::WideToUtf8(root_name) + "\"");
    }
    std::wstring path = separator == std::wstring_view::npos
                            ? std::wstring()
                            : FoldCase(NormalizeKeyPath(name.substr(separator + 1)));
    current_ = &file_->sections_[{*root, path}];
    for (size_t end = 0; end != std::wstring::npos; end = path.find(L'\\', end + 1)) {
      file_->existing_keys_.insert({*root, path.substr(0, end)});
    }
    file_->existing_keys_.insert({*root, path});
    return true;
  }

  // A quoted text starting at `pos` (just after the opening quote); `pos` ends
  // just after the closing quote.
  bool ParseQuoted(std::wstring_view line, size_t* pos, std::wstring* text, int line_number) {
    text->clear();
    size_t i = *pos;
    while (i < line.size() && line[i] != L'"') {
      if (line[i] == L'\\' && i + 1 < line.size() && (line[i + 1] == L'\\' || line[i + 1] == L'"')) ++i;
      text->push_back(line[i]);
      ++i;
    }
    if (i >= line.size()) return Fail(line_number, "a quoted text has no closing quote");
    *pos = i + 1;
    return true;
  }

  bool ParseHexList(std::wstring_view list, std::string* bytes, int line_number) {
    bytes->clear();
    list = Trim(list);
    if (list.empty()) return true;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(L',', start);
      if (end == std::wstring_view::npos) end = list.size();
      std::optional<DWORD> byte = ParseHexNumber(Trim(list.substr(start, end - start)), 2);
      if (!byte) return Fail(line_number, "a byte of a hex list must be one or two hex digits");
      bytes->push_back(static_cast<char>(*byte));
      start = end + 1;
    }
    return true;
  }

  bool ParseValueLine(std::wstring_view line, int line_number) {
    if (line.front() != L'"' && line.front() != L'@') {
      return Fail(line_number, "a line must be a [key], a \"value\"=data, a ;comment or empty");
    }
    if (current_ == nullptr) return Fail(line_number, "a value comes before the first key");
    std::wstring name;
    size_t pos = 1;
    if (line.front() == L'"' && !ParseQuoted(line, &pos, &name, line_number)) return false;
    std::wstring_view rest = Trim(line.substr(pos));
    if (rest.empty() || rest.front() != L'=') return Fail(line_number, "the value name is not followed by \"=\"");
    rest = Trim(rest.substr(1));

    RegistryValue value;
    if (!rest.empty() && rest.front() == L'"') {
      std::wstring text;
      size_t end = 1;
      if (!ParseQuoted(rest, &end, &text, line_number)) return false;
      if (end != rest.size()) return Fail(line_number, "unexpected text after the closing quote");
      value.type = REG_SZ;
      value.data = WideData(std::wstring_view(text.c_str(), text.size() + 1));
    } else if (StartsWithNoCase(rest, L"dword:")) {
      std::optional<DWORD> number = ParseHexNumber(rest.substr(6), 8);
      if (!number) return Fail(line_number, "a dword must be one to eight hex digits");
      value.type = REG_DWORD;
      value.data.assign(reinterpret_cast<const char*>(&*number), sizeof(DWORD));
    } else if (StartsWithNoCase(rest, L"hex:")) {
      value.type = REG_BINARY;
      if (!ParseHexList(rest.substr(4), &value.data, line_number)) return false;
    } else if (StartsWithNoCase(rest, L"hex(")) {
      size_t close = rest.find(L"):");
      std::optional<DWORD> type =
          close == std::wstring_view::npos ? std::nullopt : ParseHexNumber(rest.substr(4, close - 4), 8);
      if (!type) return Fail(line_number, "a value type must be written as hex(N): with N in hex");
      value.type = *type;
      if (!ParseHexList(rest.substr(close + 2), &value.data, line_number)) return false;
      if (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) {
        value.data = WideData(TerminatedText(value.type, value.data));
      }
    } else if (rest == L"-") {
      return Fail(line_number, "removing a value is not supported in this file");
    } else {
      return Fail(line_number, "the value's data is not \"text\", dword:, hex: or hex(N):");
    }
    (*current_)[FoldCase(name)] = std::move(value);
    return true;
  }

  // String data is UTF-16LE in the file. Callers size their buffers for the
  // terminating zero(s), so data written without them gets them here; an odd
  // last byte (half a character) is dropped.
  static std::wstring TerminatedText(DWORD type, const std::string& utf16) {
    std::wstring text = codepage::Utf16LeToWide(std::string_view(utf16).substr(0, utf16.size() & ~size_t{1}));
    auto ends_with_zero = [&](size_t from_end) {
      return text.size() >= from_end && text[text.size() - from_end] == L'\0';
    };
    if (type == REG_MULTI_SZ) {
      // The list ends with an empty string; an empty list is that alone.
      while (!(text.size() == 1 && text[0] == L'\0') && !(ends_with_zero(1) && ends_with_zero(2))) {
        text.push_back(L'\0');
      }
    } else if (!ends_with_zero(1)) {
      text.push_back(L'\0');
    }
    return text;
  }

  RegistryFile* file_;
  ParseError* error_;
  std::vector<std::wstring_view> lines_;
  std::map<std::wstring, RegistryValue>* current_ = nullptr;
};

std::optional<RegistryFile> RegistryFile::Parse(std::string_view bytes, ParseError* error) {
  RegistryFile file;
  std::wstring text;
  if (bytes.starts_with("\xFF\xFE")) {
    file.encoding_ = Encoding::kUtf16Le;
    if (bytes.size() % 2 != 0) {
      // Anything appended after half a character would be unreadable.
      text = codepage::Utf16LeToWide(bytes.substr(2));
      error->line = 1;
      for (wchar_t c : text) error->line += c == L'\n' ? 1 : 0;
      error->message = "the file ends in the middle of a UTF-16 character";
      return std::nullopt;
    }
    text = codepage::Utf16LeToWide(bytes.substr(2));
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    file.encoding_ = Encoding::kUtf8WithBom;
    text = codepage::Utf8ToWide(bytes.substr(3));
  } else {
    text = codepage::Utf8ToWide(bytes);
  }
  RegistryFileParser parser(&file, error);
  if (!parser.Run(text)) return std::nullopt;
  return file;
}

bool RegistryFile::KeyExists(RegistryRoot root, const std::wstring& folded_path) const {
  return folded_path.empty() || existing_keys_.count({root, folded_path}) != 0;
}

const std::map<std::wstring, RegistryValue>* RegistryFile::FindValues(
    RegistryRoot root, const std::wstring& folded_path) const {
  auto it = sections_.find({root, folded_path});
  return it == sections_.end() ? nullptr : &it->second;
}

std::string RegistryFile::AppendKey(std::string_view original, RegistryRoot root,
                                    std::wstring_view path) const {
  const std::wstring_view line_end = crlf_ ? L"\r\n" : L"\n";
  std::wstring added;
  if (!ends_with_line_end_) added += line_end;
  if (!ends_with_blank_line_) added += line_end;
  added += L'[';
  added += RootName(root);
  if (!path.empty()) {
    added += L'\\';
    added += path;
  }
  added += L']';
  added += line_end;
  std::string bytes(original);
  bytes += encoding_ == Encoding::kUtf16Le ? codepage::WideToUtf16Le(added) : codepage::WideToUtf8(added);
  return bytes;
}

std::string RegistryFile::NewFileBytes() {
  std::wstring text(kHeader5);
  text += L"\r\n";
  return "\xFF\xFE" + codepage::WideToUtf16Le(text);
}

}  // namespace registry
