#include "TmMsgExtractor/diagnostics/bstr.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/wide_format.h"
#include "platform/codepage/codepage.h"
#include "platform/com/hresult.h"

namespace {

std::wstring_view View(BSTR text) { return {text == nullptr ? L"" : text, SysStringLen(text)}; }

// A new automation string holding `text`; null for an empty text unless
// `keep_empty` asks for a real zero-length one.
BSTR Allocate(std::wstring_view text, bool keep_empty = false) {
  if (text.empty() && !keep_empty) return nullptr;
  BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (copy == nullptr) throw E_OUTOFMEMORY;
  return copy;
}

// Runs `build`, turning the standard library's out-of-memory exception into
// the HRESULT the extractor's catch blocks expect.
template <typename Build>
auto OutOfMemoryAsHresult(Build build) {
  try {
    return build();
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  }
}

// Conversion failures give an empty text; only exhausted memory is an error.
std::wstring FromAnsi(const char* ansi) {
  if (ansi == nullptr) return {};
  try {
    return codepage::AnsiToWide(ansi);
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  } catch (...) {
    return {};
  }
}

std::string ToAnsi(std::wstring_view text) {
  try {
    return codepage::WideToAnsi(text);
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  } catch (...) {
    return {};
  }
}

}  // namespace

CBstr::CBstr(const char* ansi) { Replace(Allocate(FromAnsi(ansi))); }

CBstr::CBstr(const wchar_t* text) {
  if (text != nullptr) Replace(Allocate(text));
}

CBstr::CBstr(std::wstring_view text) { Replace(Allocate(text)); }

CBstr::CBstr(const CBstr& other) { Replace(Allocate(View(other.m_text))); }

CBstr::CBstr(CBstr&& other) noexcept
    : m_text(std::exchange(other.m_text, nullptr)), m_ansi(std::move(other.m_ansi)) {}

CBstr::~CBstr() { SysFreeString(m_text); }

CBstr& CBstr::operator=(const char* ansi) {
  Replace(Allocate(FromAnsi(ansi)));
  return *this;
}

CBstr& CBstr::operator=(const wchar_t* text) {
  Replace(text == nullptr ? nullptr : Allocate(text));
  return *this;
}

CBstr& CBstr::operator=(const CBstr& other) {
  if (this != &other) Replace(Allocate(View(other.m_text)));
  return *this;
}

CBstr& CBstr::operator=(CBstr&& other) noexcept {
  if (this != &other) {
    SysFreeString(m_text);
    m_text = std::exchange(other.m_text, nullptr);
    m_ansi = std::move(other.m_ansi);
  }
  return *this;
}

CBstr& CBstr::operator=(LONG value) {
  Replace(Allocate(OutOfMemoryAsHresult([&] { return std::to_wstring(value); }), true));
  return *this;
}

const wchar_t* CBstr::c_str() const {
  if (m_text == nullptr) m_text = Allocate(L"", true);
  return m_text;
}

LONG CBstr::Length() const { return static_cast<LONG>(SysStringLen(m_text)); }

CBstr& CBstr::operator+=(const CBstr& other) {
  if (other.Length() == 0) return *this;
  const std::wstring joined = OutOfMemoryAsHresult([&] { return std::wstring(View(m_text)) += View(other.m_text); });
  Replace(Allocate(joined));
  return *this;
}

CBstr CBstr::operator+(const wchar_t* text) const {
  const std::wstring joined = OutOfMemoryAsHresult([&] {
    std::wstring both(View(m_text));
    if (text != nullptr) both += text;
    return both;
  });
  CBstr result;
  result.Replace(Allocate(joined));
  return result;
}

LONG CBstr::Find(wchar_t character) const {
  const size_t at = View(m_text).find(character);
  return at == std::wstring_view::npos ? -1 : static_cast<LONG>(at);
}

LONG CBstr::Find(const wchar_t* text) const {
  if (text == nullptr || Length() == 0) return -1;
  const size_t at = View(m_text).find(text);
  return at == std::wstring_view::npos ? -1 : static_cast<LONG>(at);
}

CBstr CBstr::Left(LONG count) const {
  const LONG length = Length();
  if (count < 0) count = 0;
  if (count > length) count = length;
  CBstr result;
  result.Replace(Allocate(View(m_text).substr(0, static_cast<size_t>(count))));
  return result;
}

void CBstr::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text;
  try {
    text = OutOfMemoryAsHresult([&] { return FormatWideV(format, args); });
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  Replace(Allocate(text, true));
}

const char* CBstr::ToAnsi() {
  const std::string bytes = ::ToAnsi(View(m_text));
  std::unique_ptr<char[]> copy(new (std::nothrow) char[bytes.size() + 1]);
  if (copy == nullptr) throw E_OUTOFMEMORY;
  std::memcpy(copy.get(), bytes.c_str(), bytes.size() + 1);
  m_ansi = std::move(copy);
  return m_ansi.get();
}

void CBstr::ExpandEnvironment() {
  if (Length() == 0) return;
  const std::wstring expanded = OutOfMemoryAsHresult([&] {
    std::wstring result;
    const std::wstring copy(View(m_text));
    std::wstring_view rest = copy;
    for (;;) {
      const size_t open = rest.find(L'%');
      const size_t close = open == std::wstring_view::npos ? open : rest.find(L'%', open + 1);
      if (close == std::wstring_view::npos) {
        result += rest;
        return result;
      }
      result += rest.substr(0, open);
      const std::wstring_view name = rest.substr(open + 1, close - open - 1);
      if (!name.empty()) {
        if (const char* value = std::getenv(ToSystemText(name).c_str())) result += FromSystemText(value);
      }
      rest = rest.substr(close + 1);
    }
  });
  Replace(Allocate(expanded));
}

BSTR* CBstr::Receive() {
  Replace(nullptr);
  return &m_text;
}

void CBstr::Replace(BSTR text) {
  SysFreeString(m_text);
  m_text = text;
}
