#include "TmMsgExtractor/diagnostics/bstr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace {

std::wstring Text(const CBstr& s) { return std::wstring(s.c_str(), static_cast<size_t>(s.Length())); }

TEST(CBstr, FormatHasNoLengthLimitAndPrintsNullStrings) {
  CBstr s;
  s.Format(L"%s", static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(Text(s), L"(null)");
  const std::wstring long_text(3000, L'k');
  s.Format(L"%s", long_text.c_str());
  EXPECT_EQ(Text(s), long_text);
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
