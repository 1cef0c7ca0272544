// The korvel-sample command: same seed, same bytes; a folder that is not
// empty is used only with --force, which replaces nothing but the sample.
#include <gtest/gtest.h>
#include <stdio.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "korvel/sample/command_line.h"
#include "korvel/sample/sample_server.h"
#include "tests/support/temp_folder.h"

namespace korvel_sample {
namespace {

using korvel::test::ReadFile;
using korvel::test::TempFolder;
using korvel::test::WriteFile;

// Every file below `folder`, by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files[std::filesystem::relative(entry.path(), folder).string()] = ReadFile(entry.path());
  }
  return files;
}

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

CommandRun Command(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  const int status = RunSampleCommand(arguments, out, err);
  return {status, out.str(), err.str()};
}

TEST(SampleCommand, SameSeedGivesTheSameBytesAndAnotherSeedAnotherSample) {
  TempFolder folder;
  const std::string& dir = folder.path();
  ASSERT_EQ(Command({dir, "--seed", "7", "--messages", "40"}).status, kExitSuccess);
  const auto first = Snapshot(folder.path());
  ASSERT_EQ(Command({dir, "--seed=7", "--messages=40", "--force"}).status, kExitSuccess);
  EXPECT_TRUE(Snapshot(folder.path()) == first) << "a second run with the same seed differs";

  ASSERT_EQ(Command({dir, "--seed", "8", "--messages", "40", "--force"}).status, kExitSuccess);
  const auto other = Snapshot(folder.path());
  for (const char* file : {kDirectoryFile, kStoreFile}) {
    EXPECT_NE(other.at(file), first.at(file)) << file;
  }
}

TEST(SampleCommand, RefusesAFolderThatIsNotEmptyUnlessForced) {
  TempFolder folder;
  const std::filesystem::path dir = folder / "server";
  std::filesystem::create_directories(folder / "outside");
  std::filesystem::create_directory(dir);
  WriteFile(folder / "outside/kept.wav", "kept");
  WriteFile(dir / "notes.txt", "mine");
  CommandRun refused = Command({dir.string()});
  EXPECT_EQ(refused.status, kExitFailure);
  EXPECT_NE(refused.err.find(dir.string()), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir / kRegistryFile));

  // An earlier sample's stream folder that is a link leads outside: the link
  // goes, what it points to stays.
  std::filesystem::create_directory_symlink(folder / "outside", dir / kStreamFolder);
  const std::filesystem::path journal = dir / (std::string(kDirectoryFile) + "-journal");
  WriteFile(journal, "stale journal");
  ASSERT_EQ(Command({dir.string(), "--force"}).status, kExitSuccess);
  EXPECT_EQ(ReadFile(dir / "notes.txt"), "mine");
  EXPECT_EQ(ReadFile(folder / "outside/kept.wav"), "kept");
  EXPECT_FALSE(std::filesystem::is_symlink(dir / kStreamFolder));
  EXPECT_FALSE(std::filesystem::exists(journal));
  EXPECT_TRUE(std::filesystem::exists(dir / kRegistryFile));
}

TEST(SampleCommand, BadUsageExits64) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {}, {"a", "b"}, {"a", "--bogus"}, {"a", "--messages"}, {"a", "--subscribers", "5"}, {"a", "--seed", "-3"}}) {
    CommandRun run = Command(arguments);
    EXPECT_EQ(run.status, kExitUsage) << (arguments.empty() ? "" : arguments.back());
    EXPECT_NE(run.err.find("Usage: korvel-sample"), std::string::npos);
  }
}

TEST(SampleCommand, PrintsEnvironmentLinesAShellReadsBack) {
  TempFolder folder;
  const std::filesystem::path dir = folder / "it's a \"sample\" $HOME";
  CommandRun run = Command({dir.string(), "--messages", "0"});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  std::string exports;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("export ")) exports += line + "\n";
  }
  const std::string script = exports + "printf '%s\\n%s' \"$KORVEL_REGISTRY\" \"$KORVEL_DB_CONNECT\"";
  FILE* shell = popen(("/bin/sh -c " + ShellQuoted(script)).c_str(), "r");
  ASSERT_NE(shell, nullptr);
  std::string echoed;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, shell)) echoed += buffer;
  EXPECT_EQ(pclose(shell), 0);
  EXPECT_EQ(echoed, (dir / kRegistryFile).string() + "\nsqlite:" + (dir / kDirectoryFile).string());
}

}  // namespace
}  // namespace korvel_sample
