#include "platform/codepage/codepage.h"

#include <gtest/gtest.h>

namespace codepage {
namespace {

TEST(AnsiCodePage, MapsTheCharactersWindows1252HasAboveLatin1) {
  EXPECT_EQ(WideToAnsi(L"\u20AC\u201Ctext\u201D \u00E9\u00FC"), "\x80\x93text\x94 \xE9\xFC");
  EXPECT_EQ(AnsiToWide("\x80\x93text\x94 \xE9\xFC"), L"\u20AC\u201Ctext\u201D \u00E9\u00FC");
}

TEST(AnsiCodePage, WritesQuestionMarkForWhatItLacksAndSaysSo) {
  bool used_default = false;
  EXPECT_EQ(WideToAnsi(L"a\u65E5\u672Cb\U0001F600c", &used_default), "a??b?c");
  EXPECT_TRUE(used_default);
}

TEST(AnsiCodePage, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::wstring wide = AnsiToWide(all);
  ASSERT_EQ(wide.size(), 256u);
  bool used_default = true;
  EXPECT_EQ(WideToAnsi(wide, &used_default), all);
  EXPECT_FALSE(used_default);
}

TEST(Unicode, Utf8AndUtf16LeRoundTripOutsideTheBasicPlane) {
  const std::wstring text = L"K\u00F6rvel \u65E5\u672C \U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(Utf16LeToWide(WideToUtf16Le(text)), text);
  EXPECT_EQ(WideToUtf16Le(L"A\U0001F600"), std::string("A\0\x3D\xD8\x00\xDE", 6));
}

TEST(Unicode, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToWide("a\xFF" "b\xC3"), L"a\uFFFDb\uFFFD");
  // A lone high surrogate, then an odd trailing byte.
  EXPECT_EQ(Utf16LeToWide(std::string("A\0\x3D\xD8" "B\0" "C", 7)), L"A\uFFFDB\uFFFD");
}

}  // namespace
}  // namespace codepage
