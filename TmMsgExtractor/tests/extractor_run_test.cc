// Runs the TmMsgExtractor program itself, through a shell, as the export
// program and administrators do, and checks its console, its extraction log,
// the log manager's lines and the exit status the shell sees.
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "TmMsgExtractor/diagnostics/tests/temp_folder.h"
#include "TmMsgExtractor/tests/msg_reader.h"

namespace {

struct RunResult {
  int shell_status = -1;  // $? in the shell that ran the program
  std::string console;
};

std::string BinDir() {
  const char* dir = std::getenv("KORVEL_BIN_DIR");
  return dir != nullptr ? dir : "";
}

// Runs the program with `arguments` under /bin/sh with KORVEL_REGISTRY set,
// and reads the status the shell reports.
RunResult RunInShell(const std::vector<std::string>& arguments, const std::string& registry, rlim_t file_size_limit) {
  TempFolder output;
  const std::string console_file = output / "console.txt";
  std::vector<std::string> words = {"sh", "-c", "\"$0\" \"$@\" > \"$CONSOLE\"; echo \"$?\" > \"$CONSOLE.status\"",
                                    BinDir() + "/TmMsgExtractor"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  const pid_t child = fork();
  if (child == 0) {
    setenv("KORVEL_REGISTRY", registry.c_str(), 1);
    setenv("CONSOLE", console_file.c_str(), 1);
    // A write beyond the limit then fails with EFBIG instead of ending the
    // process.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{file_size_limit, file_size_limit};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv("/bin/sh", argv.data());
    _exit(127);
  }
  int wait_status = 0;
  waitpid(child, &wait_status, 0);
  RunResult result;
  const std::string status = ReadFile(console_file + ".status");
  if (!status.empty()) result.shell_status = std::stoi(status);
  result.console = ReadFile(console_file);
  return result;
}

// Runs `statement` on the store with `blob` as ?1; the first column of its
// first row (0 without rows), or -1 when it fails.
int Sql(const std::string& store, const std::string& statement, const std::string& blob = "") {
  sqlite3* db = nullptr;
  sqlite3_stmt* prepared = nullptr;
  int value = -1;
  if (sqlite3_open(store.c_str(), &db) == SQLITE_OK &&
      sqlite3_prepare_v2(db, statement.c_str(), -1, &prepared, nullptr) == SQLITE_OK) {
    sqlite3_bind_blob(prepared, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    const int step = sqlite3_step(prepared);
    value = step == SQLITE_ROW ? sqlite3_column_int(prepared, 0) : step == SQLITE_DONE ? 0 : -1;
  }
  sqlite3_finalize(prepared);
  sqlite3_close(db);
  return value;
}

constexpr char kSubscriberCount[] = "SELECT COUNT(*) FROM MailUser WHERE IsSubscriber = 1";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The text with every time of day written as HH:MM:SS.
std::string MaskTimes(const std::string& text) {
  return std::regex_replace(text, std::regex("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]"), "HH:MM:SS");
}

class ExtractorRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sample_ = new TempFolder();
    const std::string command = BinDir() + "/korvel-sample " + (*sample_ / "server") +
                                " --subscribers 39 --messages 10 > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  static void TearDownTestSuite() { delete sample_; }

  void SetUp() override {
    WriteFile(store_, ReadFile(*sample_ / "server/MessageStore.sqlite"));
    UseRegistry(true);
  }
  void UseRegistry(bool with_store) { WriteFile(registry_, TestRegistry(manager_file_, with_store ? store_ : "")); }

  RunResult Run(const std::vector<std::string>& arguments, rlim_t file_size_limit = RLIM_INFINITY) {
    return RunInShell(arguments, registry_, file_size_limit);
  }

  std::vector<std::string> ManagerTexts() const {
    std::vector<std::string> texts;
    for (const LogManagerLine& line : ReadLogManagerLines(manager_file_)) texts.push_back(line.text);
    return texts;
  }
  bool ManagerHolds(const std::string& text) const {
    const std::vector<std::string> texts = ManagerTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  static inline TempFolder* sample_ = nullptr;
  TempFolder folder_;
  const std::string registry_ = folder_ / "registry.reg";
  const std::string manager_file_ = folder_ / "QoLogMgr.log";
  const std::string store_ = folder_ / "store.sqlite";
  const std::string log_ = folder_ / "MsgExtraction.log";
  const std::string output_ = folder_ / "out";
};

TEST_F(ExtractorRunTest, WithoutAFolderShowsTheUsageAndEndsWithMinusOne) {
  const RunResult run = Run({"-dom", "example.com"});
  EXPECT_EQ(run.shell_status, 255);
  EXPECT_EQ(run.console,
            "Application started\nInitialized COM\nInitialized Log Manager\n"
            "No output folder specified.\nExample: TmMsgExtractor -dir c:\\data\\KorvelMsgs -domain example.com\n"
            "Exiting Message Extraction Utility\n");
}

TEST_F(ExtractorRunTest, AMissingFolderOrAFileGivenAsFolderIsLoggedAndEndsWithMinusOne) {
  const std::string missing = folder_ / "no-such-folder";
  RunResult run = Run({"-log", log_, "-dir", missing + "/"});
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
  EXPECT_EQ(lines.back().level, 17);
}

TEST_F(ExtractorRunTest, AMissingStoreOrAFailingSubscriberListEndsWithMinusTwo) {
  UseRegistry(false);
  RunResult run = Run({"-dir", folder_.path(), "-log", log_, "-dom", "example.com"});
  EXPECT_EQ(run.shell_status, 254);
  EXPECT_TRUE(Contains(ReadFile(log_), "Connecting to Zad...\r\n"
                                       "Failed Loging in to ZAD 0x80040111\r\n"
                                       "Failed Connecting to ZAD 0x80040111\r\n"
                                       "Failed extracting messages, See logs for details\r\n"
                                       "LogFile closed at "))
      << ReadFile(log_);
  EXPECT_TRUE(ManagerHolds("m_spZadSession->Logon() returned 0x80040111"));
  EXPECT_TRUE(ManagerHolds("pautoMsgHelper->Run() returned 0x80040111"));

  UseRegistry(true);
  ASSERT_EQ(Sql(store_, "CREATE TABLE IF NOT EXISTS Fault (Method TEXT NOT NULL, ObjectID INTEGER, HResult INTEGER)"),
            0);
  ASSERT_EQ(Sql(store_, "INSERT INTO Fault VALUES ('get_Subscribers', NULL, -2147467259)"), 0);
  run = Run({"-dir", folder_.path(), "-log", log_});
  EXPECT_EQ(run.shell_status, 254);
  EXPECT_TRUE(Contains(ReadFile(log_), "Failed Getting All mail users 0x80004005\r\n"));
  EXPECT_TRUE(ManagerHolds("spZadMailUsers->get_Subscribers() returned 0x80004005"));
}

TEST_F(ExtractorRunTest, ARunExtractsEveryMessageItCan) {
  ASSERT_EQ(mkdir(output_.c_str(), 0755), 0);
  const RunResult run = Run({"/dir", output_ + "/", "-log", log_, "-domain", "example.com"});
  EXPECT_EQ(run.shell_status, 0);
  EXPECT_TRUE(Contains(run.console, "Extracting messages for subscriber 1 of "));
  EXPECT_EQ(RunMessageReader({"--store", store_, output_}), "");

  // The sample holds messages that fail by design, so the run ends with the
  // errors line; every other message is in a file of its own.
  const std::string count = std::to_string(Sql(store_, kSubscriberCount));
  const std::string log = MaskTimes(ReadFile(log_));
  EXPECT_TRUE(log.starts_with("\r\n\r\nLogFile Started at HH:MM:SS \r\n"
                              "Output Directory set to " + output_ + ", SMTP domain is set to example.com\r\n"
                              "Connecting to Zad...\r\n"
                              "Extracting messages for " + count + " Subscribers\r\n"
                              "Extracting messages for subscriber 1 of " + count + "\r\n"))
      << log;
  EXPECT_TRUE(log.ends_with("Message extraction complete. Error were encountered extracting some messages\r\n"
                            "LogFile closed at HH:MM:SS \r\n"))
      << log;
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_EQ(texts.front(), "Initialized Log Manager");
  const auto failed = std::count(texts.begin(), texts.end(), "ProcessOneMsg() returned 0x80004005");
  EXPECT_GT(failed, 0);
  EXPECT_EQ(static_cast<int>(MessageFiles(output_).size() + failed),
            Sql(store_, "SELECT COUNT(*) FROM Message JOIN MailUser ON MailUserID = OwnerID "
                        "WHERE IsSubscriber = 1 AND typeof(Alias) = 'text' AND Folder IN (6, 13)"));
}

TEST_F(ExtractorRunTest, AMessageFileThatCannotBeWrittenGivesMinusThreeAndTheRunGoesOn) {
  // A first subscriber's message larger than the files may grow.
  ASSERT_EQ(Sql(store_, "INSERT INTO Message (MessageID, OwnerID, Folder, DeliveryTime, HasUnknownSender, "
                        "SenderAddressType, SenderEmailAddress, Importance, Sensitivity, Subject) SELECT "
                        "MAX(MessageID) + 1, (SELECT MIN(MailUserID) FROM MailUser WHERE IsSubscriber = 1), 6, "
                        "43832.5, 1, 5, 'x', 1, 0, 'big' FROM Message"),
            0);
  const std::string wave = "RIFF....WAVEfmt " +
                           std::string("\x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0", 20) +
                           "data...." + std::string(300000, '\x55');
  ASSERT_EQ(Sql(store_, "INSERT INTO AudioStream SELECT MAX(MessageID), 1, ?1 FROM Message", wave), 0);
  ASSERT_EQ(mkdir(output_.c_str(), 0755), 0);
  const RunResult run = Run({"-dir", output_, "-log", log_, "-dom", "example.com"}, 350000);
  EXPECT_EQ(run.shell_status, 253);
  const std::string log = ReadFile(log_);
  EXPECT_TRUE(Contains(log, "Extracting messages for subscriber " + std::to_string(Sql(store_, kSubscriberCount)) +
                                " of "));
  EXPECT_TRUE(Contains(log, "Message extraction complete. Error were encountered extracting some messages\r\n"));
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
    return text.starts_with("Failed write to file ") && Contains(text, " GetLastError():1B");
  }));
  EXPECT_GT(MessageFiles(output_).size(), 0u);
  EXPECT_EQ(RunMessageReader({"--store", store_, output_}), "");
}

}  // namespace
