#include "platform/json/json_text.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(JsonText, EscapesWhatJsonMustWritesUtf8AndAUtcTime) {
  std::string out;
  json_text::AppendJsonString(&out, std::wstring(L"a\"b\\c\nd\re\tf\x01g\0h \u00e9\u65e5\U0001F600", 19));
  EXPECT_EQ(out, "\"a\\\"b\\\\c\\nd\\re\\tf\\u0001g\\u0000h \xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\"");
  out.clear();
  json_text::AppendJsonString(&out, std::wstring(1, static_cast<wchar_t>(0xD800)));  // no character at all
  EXPECT_EQ(out, "\"\xEF\xBF\xBD\"");
  EXPECT_TRUE(std::regex_match(json_text::CurrentUtcTime(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)")));
}

}  // namespace
