#include "TmMsgExtractor/diagnostics/bstr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

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

TEST(CBstr, AssignsIntegersAndCopiesIndependently) {
  CBstr s;
  s = static_cast<LONG>(-2147483647 - 1);
  EXPECT_EQ(Text(s), L"-2147483648");
  CBstr copy = s;
  s += CBstr(L" more");
  EXPECT_EQ(Text(copy + L"!"), L"-2147483648!");
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

}  // namespace
