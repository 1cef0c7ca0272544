#include "TmMsgExtractor/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
  std::wstring folder;
  std::wstring domain;
  std::vector<std::wstring> logs;
};

Parsed Parse(std::vector<const wchar_t*> words) {
  std::vector<CBstr> arguments(words.begin(), words.end());
  Parsed parsed;
  const ExtractorSettings settings =
      ReadSwitches(arguments, [&](const CBstr& path) { parsed.logs.emplace_back(path.c_str()); });
  parsed.folder = settings.folder.c_str();
  parsed.domain = settings.domain.c_str();
  return parsed;
}

TEST(ReadSwitches, TakesTheValueAfterEachSwitchInAnyOrder) {
  const Parsed p = Parse({L"-log", L"/tmp/x.log", L"-dom", L"example.com", L"/dir", L"/out"});
  EXPECT_EQ(p.folder, L"/out");
  EXPECT_EQ(p.domain, L"example.com");
  EXPECT_EQ(p.logs, std::vector<std::wstring>{L"/tmp/x.log"});
}

TEST(ReadSwitches, MatchesSwitchTextAnywhereInTheArgument) {
  EXPECT_EQ(Parse({L"-domain", L"mail.example"}).domain, L"mail.example");
  EXPECT_EQ(Parse({L"c:/dir", L"/srv/msgs"}).folder, L"/srv/msgs");
  EXPECT_EQ(Parse({L"--directory", L"d"}).folder, L"d");
  // The folder switch is tried first: "-dir-dom" is a folder switch.
  const Parsed both = Parse({L"-dir-dom", L"v"});
  EXPECT_EQ(both.folder, L"v");
  EXPECT_EQ(both.domain, L"");
  // The match is case-sensitive.
  EXPECT_EQ(Parse({L"-DIR", L"x"}).folder, L"");
}

TEST(ReadSwitches, AValueIsNeverTestedAsASwitch) {
  const Parsed p = Parse({L"-dir", L"-log", L"-dom", L"/var/log/x"});
  EXPECT_EQ(p.folder, L"-log");
  EXPECT_EQ(p.domain, L"/var/log/x");
  EXPECT_TRUE(p.logs.empty());
}

TEST(ReadSwitches, LastValueWinsAndEmptyValuesClear) {
  const Parsed p = Parse({L"-dir", L"a", L"-dom", L"one", L"-dir", L"b", L"-dom", L""});
  EXPECT_EQ(p.folder, L"b");
  EXPECT_EQ(p.domain, L"");
  EXPECT_EQ(Parse({L"-log", L"1", L"-log", L"2"}).logs, (std::vector<std::wstring>{L"1", L"2"}));
}

TEST(ReadSwitches, IgnoresAValuelessLastSwitchAndOtherWords) {
  EXPECT_EQ(Parse({L"-dir", L"kept", L"-dir"}).folder, L"kept");
  EXPECT_TRUE(Parse({L"stray", L"-log"}).logs.empty());
  EXPECT_EQ(Parse({L"stray", L"words", L"-dom", L"d"}).domain, L"d");
  EXPECT_EQ(Parse({}).folder, L"");
}

}  // namespace
