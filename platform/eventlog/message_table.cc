#include "platform/eventlog/message_table.h"

#include <cstdint>
#include <cwctype>
#include <optional>
#include <utility>

#include "platform/codepage/codepage.h"
#include "platform/eventlog/last_error.h"

namespace eventlog {

namespace {

struct Name {
  std::wstring name;
  DWORD value;
};
using NameTable = std::vector<Name>;

constexpr DWORD kLargestSeverity = 0x3;
constexpr DWORD kLargestFacility = 0xFFF;
constexpr DWORD kLargestLanguage = 0xFFFF;
constexpr DWORD kLargestMessageCode = 0xFFFF;

std::wstring DecodeMessageFile(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return codepage::Utf16LeToWide(bytes.substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) return codepage::Utf8ToWide(bytes.substr(3));
  std::wstring text = codepage::Utf8ToWide(bytes);
  // A replacement character that the bytes do not hold themselves means they
  // are not UTF-8; the message compiler's default is the ANSI code page.
  if (text.find(L'\uFFFD') != std::wstring::npos && bytes.find("\xEF\xBF\xBD") == std::string_view::npos) {
    return codepage::AnsiToWide(bytes);
  }
  return text;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

// Decimal, or hexadecimal after "0x"; nothing for another text or a value
// above `largest`.
std::optional<DWORD> ParseNumber(std::wstring_view text, DWORD largest) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    unsigned digit;
    if (c >= L'0' && c <= L'9') {
      digit = static_cast<unsigned>(c - L'0');
    } else if (base == 16 && c >= L'a' && c <= L'f') {
      digit = static_cast<unsigned>(c - L'a' + 10);
    } else if (base == 16 && c >= L'A' && c <= L'F') {
      digit = static_cast<unsigned>(c - L'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    if (value > largest) return std::nullopt;
  }
  return static_cast<DWORD>(value);
}

std::optional<DWORD> Lookup(const NameTable& table, std::wstring_view name) {
  for (const Name& entry : table) {
    if (SameIgnoringCase(entry.name, name)) return entry.value;
  }
  return std::nullopt;
}

// The entries of a name list "Name=Number[:Symbol] ...", without its
// parentheses.
std::optional<NameTable> ParseNameList(std::wstring_view list, DWORD largest) {
  NameTable table;
  auto skip_blanks = [&list] {
    while (!list.empty() && std::iswspace(static_cast<wint_t>(list.front()))) list.remove_prefix(1);
  };
  auto take_word = [&list](std::wstring_view stops) {
    std::size_t length = 0;
    while (length < list.size() && !std::iswspace(static_cast<wint_t>(list[length])) &&
           stops.find(list[length]) == std::wstring_view::npos) {
      ++length;
    }
    std::wstring_view word = list.substr(0, length);
    list.remove_prefix(length);
    return word;
  };
  for (skip_blanks(); !list.empty(); skip_blanks()) {
    std::wstring_view name = take_word(L"=");
    skip_blanks();
    if (name.empty() || list.empty() || list.front() != L'=') return std::nullopt;
    list.remove_prefix(1);
    skip_blanks();
    std::optional<DWORD> value = ParseNumber(take_word(L":"), largest);
    if (!value) return std::nullopt;
    skip_blanks();
    if (!list.empty() && list.front() == L':') {
      list.remove_prefix(1);
      skip_blanks();
      take_word(L"");
    }
    table.push_back({std::wstring(name), *value});
  }
  return table;
}

}  // namespace

// One pass over the lines of a message file.
class MessageFileParser {
 public:
  explicit MessageFileParser(MessageTable* table) : table_(table) {}

  bool Run(std::wstring_view text, std::string* problem) {
    while (!text.empty() || open_list_ || in_text_) {
      if (text.empty()) return Fail(problem, open_list_ ? "a name list is not closed with ')'"
                                                        : "message text is not ended by a line holding only '.'");
      std::size_t end = text.find(L'\n');
      std::wstring_view line = text.substr(0, end);
      text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
      if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
      ++line_number_;
      if (!ReadLine(line)) return Fail(problem, error_);
    }
    if (pending_ && !pending_has_text_) return Fail(problem, "a message has no Language block");
    return true;
  }

 private:
  bool Fail(std::string* problem, const std::string& what) {
    if (problem != nullptr) *problem = "line " + std::to_string(line_number_) + ": " + what;
    return false;
  }

  bool Error(std::string what) {
    error_ = std::move(what);
    return false;
  }

  bool ReadLine(std::wstring_view line) {
    if (in_text_) return ReadTextLine(line);
    if (open_list_) return ContinueList(line);
    line = Trim(line);
    if (line.empty() || line.front() == L';') return true;
    std::size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) return Error("not a keyword line");
    return ReadKeyword(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
  }

  bool ReadTextLine(std::wstring_view line) {
    if (Trim(line) == L".") {
      in_text_ = false;
      return true;
    }
    text_->append(line);
    text_->append(L"\r\n");
    return true;
  }

  bool ReadKeyword(std::wstring_view keyword, std::wstring_view value) {
    if (SameIgnoringCase(keyword, L"MessageIdTypedef") || SameIgnoringCase(keyword, L"OutputBase")) return true;
    if (SameIgnoringCase(keyword, L"SeverityNames")) return StartList(value, &severities_, kLargestSeverity);
    if (SameIgnoringCase(keyword, L"FacilityNames")) return StartList(value, &facilities_, kLargestFacility);
    if (SameIgnoringCase(keyword, L"LanguageNames")) return StartList(value, &languages_, kLargestLanguage);
    if (SameIgnoringCase(keyword, L"MessageId")) return StartMessage(value);
    if (SameIgnoringCase(keyword, L"Severity")) return SetPendingPart(value, severities_, &severity_, "Severity");
    if (SameIgnoringCase(keyword, L"Facility")) return SetPendingPart(value, facilities_, &facility_, "Facility");
    if (SameIgnoringCase(keyword, L"SymbolicName")) {
      return pending_ ? true : Error("SymbolicName comes before any MessageId");
    }
    if (SameIgnoringCase(keyword, L"Language")) return StartText(value);
    return Error("unknown keyword");
  }

  bool StartList(std::wstring_view value, NameTable* target, DWORD largest) {
    if (value.empty() || value.front() != L'(') return Error("a name list must start with '('");
    list_text_.assign(value.substr(1));
    list_target_ = target;
    list_largest_ = largest;
    open_list_ = true;
    return EndListIfClosed();
  }

  bool ContinueList(std::wstring_view line) {
    list_text_ += L' ';
    list_text_ += line;
    return EndListIfClosed();
  }

  bool EndListIfClosed() {
    std::size_t close = list_text_.find(L')');
    if (close == std::wstring::npos) return true;
    open_list_ = false;
    std::optional<NameTable> names = ParseNameList(std::wstring_view(list_text_).substr(0, close), list_largest_);
    if (!names) return Error("a name list entry is not Name=Number[:Symbol] with a number in range");
    *list_target_ = std::move(*names);
    list_text_.clear();
    return true;
  }

  bool StartMessage(std::wstring_view value) {
    if (pending_ && !pending_has_text_) return Error("the previous message has no Language block");
    DWORD code;
    if (value.empty() || value.front() == L'+') {
      std::optional<DWORD> step = value.empty() ? std::optional<DWORD>(1) : ParseNumber(value.substr(1), kLargestMessageCode);
      if (!step || last_code_ + *step > kLargestMessageCode) return Error("MessageId out of range");
      code = last_code_ + *step;
    } else {
      std::optional<DWORD> number = ParseNumber(value, kLargestMessageCode);
      if (!number) return Error("MessageId is not a number from 0 to 65535");
      code = *number;
    }
    last_code_ = code;
    pending_ = true;
    pending_has_text_ = false;
    return true;
  }

  bool SetPendingPart(std::wstring_view name, const NameTable& names, DWORD* target, const char* keyword) {
    if (!pending_) return Error(std::string(keyword) + " comes before any MessageId");
    std::optional<DWORD> value = Lookup(names, name);
    if (!value) return Error(std::string("unknown ") + keyword + " name");
    *target = *value;
    return true;
  }

  bool StartText(std::wstring_view language) {
    if (!pending_) return Error("Language comes before any MessageId");
    std::optional<DWORD> language_id = Lookup(languages_, language);
    if (!language_id) return Error("unknown Language name");
    const DWORD id = (severity_ << 30) | (facility_ << 16) | last_code_;
    std::vector<MessageTable::Translation>& translations = table_->messages_[id];
    for (const MessageTable::Translation& existing : translations) {
      if (existing.language_id == *language_id) return Error("the message is defined twice in this language");
    }
    translations.push_back({*language_id, std::wstring()});
    text_ = &translations.back().text;
    in_text_ = true;
    pending_has_text_ = true;
    return true;
  }

  MessageTable* table_;
  std::size_t line_number_ = 0;
  std::string error_;

  NameTable severities_ = {{L"Success", 0x0}, {L"Informational", 0x1}, {L"Warning", 0x2}, {L"Error", 0x3}};
  NameTable facilities_ = {{L"System", 0x0FF}, {L"Application", 0xFFF}};
  NameTable languages_ = {{L"English", kDefaultMessageLanguage}};

  bool open_list_ = false;
  std::wstring list_text_;
  NameTable* list_target_ = nullptr;
  DWORD list_largest_ = 0;

  // An unnumbered first message is number 1.
  DWORD last_code_ = 0;
  DWORD severity_ = 0;
  DWORD facility_ = 0;
  bool pending_ = false;
  bool pending_has_text_ = false;
  bool in_text_ = false;
  std::wstring* text_ = nullptr;
};

bool MessageTable::Parse(std::string_view bytes, MessageTable* table, std::string* problem) {
  table->messages_.clear();
  MessageFileParser parser(table);
  if (parser.Run(DecodeMessageFile(bytes), problem)) return true;
  table->messages_.clear();
  return false;
}

LONG MessageTable::Find(DWORD message_id, DWORD language_id, const std::wstring** text) const {
  auto message = messages_.find(message_id);
  if (message == messages_.end()) return ERROR_MR_MID_NOT_FOUND;
  const std::vector<Translation>& translations = message->second;
  const bool default_language = (language_id & 0x3FF) == 0;
  const DWORD wanted = default_language ? kDefaultMessageLanguage : language_id;
  for (const Translation& translation : translations) {
    if (translation.language_id == wanted) {
      *text = &translation.text;
      return ERROR_SUCCESS;
    }
  }
  if (!default_language) return ERROR_RESOURCE_LANG_NOT_FOUND;
  *text = &translations.front().text;
  return ERROR_SUCCESS;
}

}  // namespace eventlog
