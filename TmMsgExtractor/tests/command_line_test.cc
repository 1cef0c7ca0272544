#include "TmMsgExtractor/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  std::vector<const wchar_t*> words;
  std::wstring folder;
  std::wstring domain;
  std::vector<std::wstring> logs;  // every log switch's value, in order
};

TEST(ReadSwitches, FollowsTheSubstringValueAndLastValueRules) {
  const Case cases[] = {
      {{L"-log", L"/tmp/x.log", L"-dom", L"example.com", L"/dir", L"/out"}, L"/out", L"example.com", {L"/tmp/x.log"}},
      {{L"-domain", L"mail.example", L"c:/dir", L"/srv/msgs"}, L"/srv/msgs", L"mail.example", {}},
      // The folder switch is tried first; the match is case-sensitive.
      {{L"-dir-dom", L"v", L"-DIR", L"x"}, L"v", L"", {}},
      // A value is never tested as a switch.
      {{L"-dir", L"-log", L"-dom", L"/var/log/x"}, L"-log", L"/var/log/x", {}},
      // The last value wins, an empty one too.
      {{L"-dir", L"a", L"-dom", L"one", L"-dir", L"b", L"-dom", L""}, L"b", L"", {}},
      {{L"-log", L"1", L"-log", L"2"}, L"", L"", {L"1", L"2"}},
      // A value-less last switch and other words change nothing.
      {{L"stray", L"words", L"-dom", L"d", L"-log"}, L"", L"d", {}},
  };
  for (const Case& c : cases) {
    const ExtractorSettings settings = ReadSwitches(std::vector<CBstr>(c.words.begin(), c.words.end()));
    std::vector<std::wstring> logs;
    for (const CBstr& log : settings.logs) logs.emplace_back(log.c_str());
    const std::wstring first = c.words.front();
    EXPECT_EQ(settings.folder.c_str(), c.folder) << first;
    EXPECT_EQ(settings.domain.c_str(), c.domain) << first;
    EXPECT_EQ(logs, c.logs) << first;
  }
}

}  // namespace
