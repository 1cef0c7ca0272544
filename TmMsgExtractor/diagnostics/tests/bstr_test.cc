#include "TmMsgExtractor/diagnostics/bstr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TmMsgExtractor/diagnostics/variant.h"

namespace {

std::wstring Text(const CBstr& s) { return std::wstring(s.c_str(), static_cast<size_t>(s.Length())); }

TEST(CBstr, FindAndLeft) {
  const CBstr argument(L"x-directory");
  EXPECT_EQ(argument.Find(L"-dir"), 1);
  EXPECT_EQ(argument.Find(L"/dir"), -1);
  EXPECT_EQ(argument.Find(L'r'), 4);
  EXPECT_EQ(argument.Find(static_cast<const wchar_t*>(nullptr)), -1);
  EXPECT_EQ(CBstr().Find(L"a"), -1);
  EXPECT_EQ(CBstr().Find(L'a'), -1);
  const std::pair<LONG, const wchar_t*> lefts[] = {{-5, L""}, {0, L""}, {2, L"ab"}, {10, L"abc"}};
  for (const auto& [count, left] : lefts) {
    EXPECT_EQ(Text(CBstr(L"abc").Left(count)), left) << count;
  }
}

TEST(CBstr, FormatHasNoLengthLimitAndPrintsNullStrings) {
  CBstr s;
  s.Format(L"%s", static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(Text(s), L"(null)");
  const std::wstring long_text(3000, L'k');
  s.Format(L"%s", long_text.c_str());
  EXPECT_EQ(Text(s), long_text);
}

TEST(CBstr, AssignsConvertsAndCopies) {
  CBstr s;
  s = static_cast<LONG>(-2147483647 - 1);
  EXPECT_EQ(Text(s), L"-2147483648");
  s = 0;
  EXPECT_EQ(Text(s), L"0");

  s = "caf\xE9 \x80";
  EXPECT_EQ(Text(s), L"caf\u00E9 \u20AC");
  s = L"\u20AC and \u65E5";
  EXPECT_STREQ(s.ToAnsi(), "\x80 and ?");
  EXPECT_STREQ(CBstr().ToAnsi(), "");

  CBstr copy = s;
  s += CBstr(L" more");
  EXPECT_EQ(Text(copy + L"!"), L"\u20AC and \u65E5!");
  BSTR* out = s.Receive();
  EXPECT_EQ(*out, nullptr);
  *out = SysAllocString(L"from the store");
  EXPECT_EQ(Text(s), L"from the store");
}

TEST(CBstr, ExpandsEnvironmentVariables) {
  setenv("EXTRACTOR_TEST_A", "C:\\W", 1);
  unsetenv("EXTRACTOR_TEST_UNSET");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"%EXTRACTOR_TEST_A%\\x", L"C:\\W\\x"},
      {L"%EXTRACTOR_TEST_UNSET%\\x", L"\\x"},
      {L"50%", L"50%"},
      {L"%EXTRACTOR_TEST_A%-100%%-%EXTRACTOR_TEST_A%%", L"C:\\W-100-C:\\W%"}};
  for (const auto& [text, expanded] : cases) {
    CBstr s(text);
    s.ExpandEnvironment();
    EXPECT_EQ(Text(s), expanded) << text;
  }
}

TEST(CodePageBuffers, CountTheTerminatorAndNeverOverrun) {
  char narrow[8];
  EXPECT_EQ(WideToAnsiBuffer(L"caf\u00E9", narrow, sizeof narrow), 5);
  EXPECT_STREQ(narrow, "caf\xE9");
  EXPECT_EQ(WideToAnsiBuffer(L"too long for it", narrow, 4), 0);
  EXPECT_STREQ(narrow, "too");
  EXPECT_EQ(WideToAnsiBuffer(L"x", narrow, 0), 0);
  EXPECT_EQ(WideToAnsiBuffer(L"abc", nullptr, 0), 4);
  wchar_t wide[4];
  EXPECT_EQ(AnsiToWideBuffer("abcdef", wide, 4), 0);
  EXPECT_EQ(std::wstring(wide), L"abc");
}

TEST(CVariant, IntegersKeepAnIntegerErrorOrBooleanTypeAndTextIsACopy) {
  CVariant v;
  v = true;
  v = static_cast<LONG>(5);
  EXPECT_EQ(v->vt, VT_BOOL);
  EXPECT_EQ(v->boolVal, VARIANT_TRUE);
  v.Receive()->vt = VT_ERROR;
  v = static_cast<LONG>(-3);
  EXPECT_EQ(v->vt, VT_ERROR);
  EXPECT_EQ(v->scode, -3);

  CBstr text(L"alias");
  v = text;
  text = L"changed";
  EXPECT_EQ(std::wstring(v->bstrVal), L"alias");
  v = static_cast<LONG>(9);
  EXPECT_EQ(v->vt, VT_I4);
  v = CBstr();
  ASSERT_EQ(v->vt, VT_BSTR);
  ASSERT_NE(v->bstrVal, nullptr);
}

}  // namespace
