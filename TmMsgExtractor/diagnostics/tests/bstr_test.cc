#include "TmMsgExtractor/diagnostics/bstr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/com/hresult.h"

namespace {

std::wstring Text(const CBstr& s) { return std::wstring(s.c_str(), static_cast<size_t>(s.Length())); }

TEST(CBstr, FindIsASubstringMatchAnywhere) {
  const CBstr argument(L"x-directory");
  EXPECT_EQ(argument.Find(L"-dir"), 1);
  EXPECT_EQ(argument.Find(L"/dir"), -1);
  EXPECT_EQ(argument.Find(L'r'), 4);
  EXPECT_EQ(argument.Find(L'q'), -1);
  EXPECT_EQ(argument.Find(static_cast<const wchar_t*>(nullptr)), -1);
  EXPECT_EQ(CBstr().Find(L"a"), -1);
  EXPECT_EQ(CBstr().Find(L'a'), -1);
}

TEST(CBstr, LeftClampsItsCount) {
  const CBstr abc(L"abc");
  EXPECT_EQ(Text(abc.Left(-5)), L"");
  EXPECT_EQ(Text(abc.Left(0)), L"");
  EXPECT_EQ(Text(abc.Left(2)), L"ab");
  EXPECT_EQ(Text(abc.Left(10)), L"abc");
}

TEST(CBstr, FormatHasNoLengthLimitAndPrintsNullStrings) {
  CBstr s;
  s.Format(L"%s", static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(Text(s), L"(null)");

  const std::wstring long_text(3000, L'k');
  s.Format(L"%s", long_text.c_str());
  EXPECT_EQ(s.Length(), 3000);
  EXPECT_EQ(Text(s), long_text);

  s.Format(L"Extracting messages for subscriber %d of %d", 3, 12);
  EXPECT_EQ(Text(s), L"Extracting messages for subscriber 3 of 12");
}

TEST(CBstr, IntegerAssignmentAlwaysGivesDigits) {
  CBstr s;
  s = 0;
  EXPECT_EQ(Text(s), L"0");
  s = -3;
  EXPECT_EQ(Text(s), L"-3");
  s = static_cast<LONG>(-2147483647 - 1);
  EXPECT_EQ(Text(s), L"-2147483648");
}

TEST(CBstr, ConvertsTheAnsiCodePageBothWays) {
  CBstr s("caf\xE9 \x80");
  EXPECT_EQ(Text(s), L"caf\u00E9 \u20AC");
  s = L"\u20AC and \u65E5";
  EXPECT_STREQ(s.ToAnsi(), "\x80 and ?");
  EXPECT_STREQ(CBstr().ToAnsi(), "");
  ASSERT_NE(CBstr().c_str(), nullptr);
}

TEST(CBstr, ConcatenatesAndCopies) {
  CBstr s(L"Mailuser");
  s += CBstr();
  EXPECT_EQ(Text(s), L"Mailuser");
  s += CBstr(L" alice");
  EXPECT_EQ(Text(s), L"Mailuser alice");
  EXPECT_EQ(Text(s + L" done"), L"Mailuser alice done");
  EXPECT_TRUE((CBstr() + L"").IsEmpty());

  CBstr copy = s;
  s = L"changed";
  EXPECT_EQ(Text(copy), L"Mailuser alice");

  BSTR* out = s.Receive();
  EXPECT_EQ(*out, nullptr);
  *out = SysAllocString(L"from the store");
  EXPECT_EQ(Text(s), L"from the store");
}

TEST(CBstr, ExpandsEnvironmentVariables) {
  setenv("WINDIR", "C:\\W", 1);
  CBstr s(L"%WINDIR%\\x");
  s.ExpandEnvironment();
  EXPECT_EQ(Text(s), L"C:\\W\\x");

  unsetenv("WINDIR");
  s = L"%WINDIR%\\x";
  s.ExpandEnvironment();
  EXPECT_EQ(Text(s), L"\\x");

  s = L"50%";
  s.ExpandEnvironment();
  EXPECT_EQ(Text(s), L"50%");

  setenv("EXTRACTOR_TEST_A", "1", 1);
  s = L"%EXTRACTOR_TEST_A%-100%%-%EXTRACTOR_TEST_A%%";
  s.ExpandEnvironment();
  EXPECT_EQ(Text(s), L"1-100-1%");
}

TEST(CodePageBuffers, CountTheTerminatorAndNeverOverrun) {
  char narrow[8];
  std::memset(narrow, 'z', sizeof narrow);
  EXPECT_EQ(WideToAnsiBuffer(L"caf\u00E9", narrow, sizeof narrow), 5);
  EXPECT_STREQ(narrow, "caf\xE9");
  EXPECT_EQ(WideToAnsiBuffer(L"too long for it", narrow, 4), 0);
  EXPECT_STREQ(narrow, "too");
  EXPECT_EQ(WideToAnsiBuffer(L"x", narrow, 0), 0);
  EXPECT_EQ(WideToAnsiBuffer(L"abc", nullptr, 0), 4);
  EXPECT_EQ(WideToAnsiBuffer(nullptr, narrow, sizeof narrow), 0);

  wchar_t wide[4];
  EXPECT_EQ(AnsiToWideBuffer("abcdef", wide, 4), 0);
  EXPECT_EQ(std::wstring(wide), L"abc");
}

}  // namespace
