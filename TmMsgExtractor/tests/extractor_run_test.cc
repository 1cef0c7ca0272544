// Runs the TmMsgExtractor program itself, through a shell, as the export
// program and administrators do, and checks its console, its extraction log,
// the log manager's lines and the exit status the shell sees.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "TmMsgExtractor/tests/msg_reader.h"
#include "platform/files/folder_lock.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::ReadFile;
using korvel::test::WriteFile;

struct RunResult {
  int shell_status = -1;  // $? in the shell that ran the program
  std::string console;
};

const std::string kBinDir = std::getenv("KORVEL_BIN_DIR") != nullptr ? std::getenv("KORVEL_BIN_DIR") : "";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The text with every time of day written as HH:MM:SS.
std::string MaskTimes(const std::string& text) {
  return std::regex_replace(text, std::regex("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]"), "HH:MM:SS");
}

class ExtractorRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sample_ = new TempFolder();
    const std::string command = kBinDir + "/korvel-sample " + (*sample_ / "server") +
                                " --subscribers 39 --messages 10 > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  static void TearDownTestSuite() { delete sample_; }

  void SetUp() override {
    WriteFile(store_, ReadFile(*sample_ / "server/MessageStore.sqlite"));
    WriteFile(registry_, TestRegistry(manager_file_, store_));
  }

  // Runs the program through the shell with the file sizes limited as given
  // (ignoring the signal, a write beyond the limit fails instead).
  RunResult Run(const std::vector<std::string>& arguments, const std::string& file_size_limit = "unlimited") {
    std::string command = "trap '' XFSZ; KORVEL_REGISTRY='" + registry_ + "' prlimit --fsize=" + file_size_limit +
                          " '" + kBinDir + "/TmMsgExtractor'";
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    RunResult result;
    result.console = ShellOutput(command + "; echo \"exit $?\"");
    const size_t status = result.console.rfind("exit ");
    result.shell_status = std::stoi(result.console.substr(status + 5));
    result.console.resize(status);
    return result;
  }

  std::vector<std::string> ManagerTexts() const {
    std::vector<std::string> texts;
    for (const LogManagerLine& line : ReadLogManagerLines(manager_file_)) texts.push_back(line.text);
    return texts;
  }
  // What the sqlite3 shell prints for `statement` on the store.
  std::string Sql(const std::string& statement) const {
    return ShellOutput("sqlite3 -bail '" + store_ + "' \"" + statement + "\"");
  }
  // A new message of `samples` bytes of audio for the subscriber that
  // `which` (MIN or MAX of MailUserID) picks.
  void AddLargeMessage(const std::string& which, size_t samples) {
    ASSERT_EQ(Sql("INSERT INTO Message (MessageID, OwnerID, Folder, DeliveryTime, HasUnknownSender, "
                  "SenderAddressType, SenderEmailAddress, Importance, Sensitivity, Subject) SELECT MAX(MessageID) + 1, "
                  "(SELECT " + which + " FROM MailUser WHERE IsSubscriber = 1 AND Alias GLOB '[a-z]*'), 6, 43832.5, "
                  "1, 5, 'x', 1, 0, 'big' FROM Message; INSERT INTO AudioStream SELECT MAX(MessageID), 1, "
                  "CAST('RIFF....WAVEfmt ' || X'1000000001000100401f0000803e000002001000' || 'data....' || "
                  "randomblob(" + std::to_string(samples) + ") AS BLOB) FROM Message"),
              "");
  }
  bool ManagerHolds(const std::string& text) const { return std::ranges::count(ManagerTexts(), text) > 0; }

  static inline TempFolder* sample_ = nullptr;
  TempFolder folder_;
  const std::string registry_ = folder_ / "registry.reg";
  const std::string manager_file_ = folder_ / "QoLogMgr.log";
  const std::string store_ = folder_ / "store.sqlite";
  const std::string log_ = folder_ / "MsgExtraction.log";
  const std::string output_ = folder_ / "out";
};

TEST_F(ExtractorRunTest, NoFolderAMissingOneOrAFileGivenAsFolderEndsWithMinusOne) {
  RunResult run = Run({"-dom", "example.com"});
  EXPECT_EQ(run.shell_status, 255);
  EXPECT_EQ(run.console,
            "Application started\nInitialized COM\nInitialized Log Manager\n"
            "No output folder specified.\nExample: TmMsgExtractor -dir c:\\data\\KorvelMsgs -domain example.com\n"
            "Exiting Message Extraction Utility\n");

  const std::string missing = folder_ / "no-such-folder";
  run = Run({"-log", log_, "-dir", missing + "/"});
  EXPECT_EQ(run.shell_status, 255);
  EXPECT_TRUE(Contains(run.console, "Initialized Log Manager\nLogFile Set to " + log_ + "\n"));
  // Framed, the closing line last, and nothing said before the file opened.
  EXPECT_EQ(MaskTimes(ReadFile(log_)),
            "\r\n\r\nLogFile Started at HH:MM:SS \r\n"
            "No SMTP domain specified\r\n"
            "Directory " + missing + " Not found\r\n"
            "LogFile closed at HH:MM:SS \r\n");

  const std::string file = folder_ / "a-file";
  WriteFile(file, "x");
  run = Run({"-dir", file, "-log", log_, "-dom", "example.com"});
  EXPECT_EQ(run.shell_status, 255);
  EXPECT_TRUE(Contains(ReadFile(log_), "\r\n" + file + " is not a directory\r\nLogFile closed at "));
}

TEST_F(ExtractorRunTest, AnUnopenableLogEndsWithMinusThreeBeforeTheFolderCheck) {
  const std::string bad_log = folder_ / "missing/MsgExtraction.log";
  const RunResult run = Run({"-dir", folder_ / "also-missing", "-log", bad_log});
  EXPECT_EQ(run.shell_status, 253);
  EXPECT_TRUE(Contains(run.console, "Failed to Open LogFile\nExiting Message Extraction Utility\n"));
  EXPECT_FALSE(Contains(run.console, "Not found"));
  const std::vector<LogManagerLine> lines = ReadLogManagerLines(manager_file_);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().text, "Failed to open log file " + bad_log + ". GetLastError():2");
}

TEST_F(ExtractorRunTest, AMissingStoreEndsWithMinusTwo) {
  WriteFile(registry_, TestRegistry(manager_file_));
  const RunResult run = Run({"-dir", folder_.path(), "-log", log_, "-dom", "example.com"});
  EXPECT_EQ(run.shell_status, 254);
  EXPECT_TRUE(Contains(ReadFile(log_), "Connecting to Zad...\r\n"
                                       "Failed Loging in to ZAD 0x80040111\r\n"
                                       "the registry has no \"Message Store\" value under "
                                       "HKEY_LOCAL_MACHINE\\Software\\Halvern\\Zad\\1.0\r\n"
                                       "Failed Connecting to ZAD 0x80040111\r\n"
                                       "Failed extracting messages, See logs for details\r\n"
                                       "LogFile closed at "))
      << ReadFile(log_);
  EXPECT_TRUE(ManagerHolds("m_spZadSession->Logon() returned 0x80040111"));
}

TEST_F(ExtractorRunTest, ARunExtractsEveryMessageItCanAndGoesOnPastAFileThatCannotBeWritten) {
  ASSERT_EQ(mkdir(output_.c_str(), 0755), 0);
  RunResult run = Run({"/dir", output_ + "/", "-log", log_, "-domain", "example.com"});
  EXPECT_EQ(run.shell_status, 0);
  EXPECT_EQ(RunMessageReader({"--store", store_, output_}), "");

  // The sample holds messages that fail by design, so the run ends with the
  // errors line; every other message is in a file of its own.
  std::string count = Sql("SELECT COUNT(*) FROM MailUser WHERE IsSubscriber = 1");
  count.pop_back();
  const std::string run_end = "Message extraction complete. Error were encountered extracting some messages\r\n"
                              "LogFile closed at HH:MM:SS \r\n";
  const std::string log = MaskTimes(ReadFile(log_));
  EXPECT_TRUE(log.starts_with("\r\n\r\nLogFile Started at HH:MM:SS \r\n"
                              "Output Directory set to " + output_ + ", SMTP domain is set to example.com\r\n"
                              "Connecting to Zad...\r\n"
                              "Extracting messages for " + count + " Subscribers\r\n"
                              "Extracting messages for subscriber 1 of " + count + "\r\n"))
      << log;
  EXPECT_TRUE(log.ends_with(run_end)) << log;
  std::vector<std::string> texts = ManagerTexts();
  const auto failed = std::count(texts.begin(), texts.end(), "ProcessOneMsg() returned 0x80004005");
  EXPECT_GT(failed, 0);
  const size_t files = MessageFiles(output_).size();
  EXPECT_EQ(std::to_string(files + failed) + "\n",
            Sql("SELECT COUNT(*) FROM Message JOIN MailUser ON MailUserID = OwnerID "
                "WHERE IsSubscriber = 1 AND typeof(Alias) = 'text' AND Folder IN (6, 13)"));

  // A first subscriber's message larger than the files may grow fails with
  // -3; every other message is written as before.
  AddLargeMessage("MIN(MailUserID)", 300000);
  std::filesystem::remove_all(output_);
  std::filesystem::remove(manager_file_);
  ASSERT_EQ(mkdir(output_.c_str(), 0755), 0);
  run = Run({"-dir", output_, "-log", log_, "-dom", "example.com"}, "350000");
  EXPECT_EQ(run.shell_status, 253);
  EXPECT_TRUE(MaskTimes(ReadFile(log_)).ends_with(run_end));
  texts = ManagerTexts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
    return text.starts_with("Failed write to file ") && Contains(text, " GetLastError():1B");
  }));
  EXPECT_EQ(MessageFiles(output_).size(), files);
  EXPECT_EQ(RunMessageReader({"--store", store_, output_}), "");
}

// SIGTERM during a large message: its part goes, the log still closes and
// the status says which signal. A run after a SIGKILL removes what the
// killed one left and writes every message once, the ones done before not
// again.
TEST_F(ExtractorRunTest, AStoppedRunLeavesNoPartOfAMessageAndTheNextWritesNoneTwice) {
  AddLargeMessage("MAX(MailUserID)", 40000000);
  ASSERT_EQ(mkdir(output_.c_str(), 0755), 0);
  const std::string partials = "find '" + output_ + "' -name '*.partial'";
  // Stopped while the large message, after the others, is being written.
  auto stopWhileWriting = [&](const std::string& signal) {
    return ShellOutput("KORVEL_REGISTRY='" + registry_ + "' '" + kBinDir + "/TmMsgExtractor' -dir '" + output_ +
                       "' -log '" + log_ + "' >/dev/null & while kill -0 $! && ! " + partials +
                       " -size +1M | grep -q .; do sleep 0.01; done; kill -" + signal + " $!; wait $!; echo $?");
  };
  EXPECT_EQ(stopWhileWriting("TERM"), "143\n");
  EXPECT_EQ(ShellOutput(partials), "");
  EXPECT_TRUE(MaskTimes(ReadFile(log_)).ends_with("Message extraction interrupted by SIGTERM: run it again into this "
                                                 "folder to extract the remaining messages\r\n"
                                                 "LogFile closed at HH:MM:SS \r\n"));

  EXPECT_EQ(stopWhileWriting("KILL"), "137\n");
  const size_t before = MessageFiles(output_).size();
  EXPECT_EQ(Run({"-dir", output_, "-log", log_}).shell_status, 0);
  EXPECT_EQ(ShellOutput(partials), "");
  EXPECT_TRUE(Contains(ReadFile(log_), std::to_string(before) +
                                           " Messages skipped: an earlier run into this folder extracted them\r\n"));
  EXPECT_EQ(RunMessageReader({"--store", store_, output_}), "");
}

// A second writer into a folder in use touches nothing there, not even the
// log the first one writes and the export program follows; and a store
// that is no regular file, or no store, or a registry that does not parse,
// is named with its cause.
TEST_F(ExtractorRunTest, AFolderInUseIsRefusedAndAStoreThatCannotBeOpenedIsNamed) {
  files::FolderLock first;
  ASSERT_EQ(first.Acquire(folder_.path()), files::FolderLock::Result::kAcquired);
  RunResult run = Run({"-dir", folder_.path() + "/", "-log", log_});
  EXPECT_EQ(run.shell_status, 255);
  EXPECT_TRUE(Contains(run.console, "Output folder " + folder_.path() + " is in use by another export or message "
                                    "extraction\n"));
  EXPECT_FALSE(std::filesystem::exists(log_));
  first.Release();

  const std::string pipe = folder_ / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string junk = folder_ / "junk";
  WriteFile(junk, "not a store");
  const std::pair<std::string, std::string> stores[] = {
      {pipe, "message store " + pipe + ": not a regular file"},
      {junk, "message store " + junk + ": not a message store (file is not a database)"},
  };
  for (const auto& [store, named] : stores) {
    WriteFile(registry_, TestRegistry(manager_file_, store));
    run = Run({"-dir", folder_.path(), "-log", log_});
    EXPECT_EQ(run.shell_status, 254);
    EXPECT_TRUE(Contains(ReadFile(log_), "Failed Loging in to ZAD 0x80040111\r\n" + named + "\r\n")) << named;
  }
  WriteFile(registry_, TestRegistry(manager_file_, store_) + "\"Unclosed=\r\n");
  run = Run({"-dir", folder_.path(), "-log", log_});
  EXPECT_EQ(run.shell_status, 254);
  EXPECT_TRUE(Contains(run.console, registry_ + ":8: a quoted text has no closing quote\n")) << run.console;
}

}  // namespace
