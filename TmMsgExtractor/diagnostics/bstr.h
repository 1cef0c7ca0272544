// CBstr: the extractor's string. It carries every text between the extractor,
// the message store and the log manager as an automation string (BSTR), so it
// can be handed to them as it is. A null text and a zero-length text both mean
// "empty"; operations whose result is empty store null, except Format and
// integer assignment, which always store a real text.
//
// Running out of memory throws E_OUTOFMEMORY as an HRESULT (an integer
// exception), which the catch block of the calling method reports; the string
// keeps its old value.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_BSTR_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_BSTR_H_

#include <memory>
#include <string_view>

#include "platform/com/bstr.h"
#include "platform/wintypes.h"

class CBstr {
 public:
  CBstr() = default;
  // From 8-bit text in the ANSI code page.
  CBstr(const char* ansi);
  CBstr(const wchar_t* text);
  // Embedded zeros are kept.
  explicit CBstr(std::wstring_view text);
  CBstr(const CBstr& other);
  CBstr(CBstr&& other) noexcept;
  ~CBstr();

  CBstr& operator=(const char* ansi);
  CBstr& operator=(const wchar_t* text);
  CBstr& operator=(const CBstr& other);
  CBstr& operator=(CBstr&& other) noexcept;
  // The value in decimal, "-3" for -3; 0 gives "0", never an empty string.
  CBstr& operator=(LONG value);

  // Never null: an empty string hands out (and from then on holds) a real
  // zero-length text, which callers may pass on as an automation string.
  const wchar_t* c_str() const;
  BSTR Bstr() const { return const_cast<BSTR>(c_str()); }

  LONG Length() const;
  bool IsEmpty() const { return Length() == 0; }

  CBstr& operator+=(const CBstr& other);
  CBstr operator+(const wchar_t* text) const;

  // Index of the first occurrence, -1 when absent, when this string is empty
  // or when the needle is null. Find(text) matches anywhere in the string.
  LONG Find(wchar_t character) const;
  LONG Find(const wchar_t* text) const;

  // The first `count` characters; a count below 0 gives an empty string and
  // one beyond the length the whole string.
  CBstr Left(LONG count) const;

  // printf-style formatting into this string (the conventions of FormatWide:
  // "%s" wide), with no length limit.
  void Format(const wchar_t* format, ...);

  // An 8-bit copy in the ANSI code page, owned by this string and replaced by
  // the next call; a character the code page lacks becomes '?'.
  const char* ToAnsi();

  // Replaces each %NAME% with the value of the environment variable NAME; an
  // unset variable (and the empty name of "%%") gives nothing, and a lone "%"
  // stays as it is.
  void ExpandEnvironment();

  // For an automation out parameter: frees the text and lets the callee store
  // a new one, which this string then owns.
  BSTR* Receive();

 private:
  // Takes ownership of `text`, which may be null for empty.
  void Replace(BSTR text);

  mutable BSTR m_text = nullptr;
  std::unique_ptr<char[]> m_ansi;
};

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_BSTR_H_
