#include "TmMsgExtractor/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Encode(const std::string& bytes) {
  std::string text(Base64Length(bytes.size()), '\0');
  const int written = Base64Encode(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<int>(bytes.size()),
                                   text.data());
  text.resize(static_cast<size_t>(written));
  return text;
}

TEST(Base64Test, EncodesGroupsOfThreeAndPadsTheLastGroup) {
  EXPECT_EQ(Encode("Man"), "TWFu");
  EXPECT_EQ(Encode("Ma"), "TWE=");
  EXPECT_EQ(Encode("M"), "TQ==");
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode("\xFB\xFF\xBF"), "+/+/");
  EXPECT_EQ(Encode(std::string("\0\0\0\0", 4)), "AAAAAA==");
}

// Every length of whole groups ends the two-group steps at another point.
TEST(Base64Test, LongInputsEncodeAsGroupsOfThreeWhereverTheWideStepsStop) {
  const std::string expected =
      "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4jSG2St9wBJg==";
  std::string bytes;
  for (int i = 0; i < 64; ++i) bytes += static_cast<char>((i * 37 + 11) & 0xFF);
  EXPECT_EQ(Encode(bytes), expected);
  for (size_t length = 0; length <= 63; length += 3) {
    EXPECT_EQ(Encode(bytes.substr(0, length)), expected.substr(0, length / 3 * 4)) << length;
  }
}

}  // namespace
