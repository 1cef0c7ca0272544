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

}  // namespace
