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
#include <memory>
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

// Runs `program` with `arguments` under /bin/sh with KORVEL_REGISTRY set, and
// reads the status the shell reports.
RunResult RunInShell(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& registry, rlim_t file_size_limit = RLIM_INFINITY) {
  TempFolder output;
  const std::string console_file = output / "console.txt";
  std::vector<std::string> words = {"sh", "-c", "\"$0\" \"$@\" > \"$CONSOLE\"; echo \"$?\" > \"$CONSOLE.status\"",
                                    program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  const pid_t child = fork();
  if (child == 0) {
    setenv("KORVEL_REGISTRY", registry.c_str(), 1);
    setenv("CONSOLE", console_file.c_str(), 1);
    if (file_size_limit != RLIM_INFINITY) {
      // A write beyond the limit then fails with EFBIG instead of ending the
      // process.
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{file_size_limit, file_size_limit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
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

void Sql(const std::string& store, const std::string& statement) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

int SubscriberCount(const std::string& store) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM MailUser WHERE IsSubscriber = 1", -1, &statement, nullptr);
  const int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return count;
}

// Messages in the new and saved folders of subscribers whose alias is text.
size_t ExtractableMessageCount(const std::string& store) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT COUNT(*) FROM Message JOIN MailUser ON MailUserID = OwnerID "
                     "WHERE IsSubscriber = 1 AND typeof(Alias) = 'text' AND Folder IN (6, 13)",
                     -1, &statement, nullptr);
  const int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return static_cast<size_t>(count);
}

void AddAudio(const std::string& store, const std::string& wave) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO AudioStream SELECT MAX(MessageID), 1, ?1 FROM Message", -1, &statement,
                     nullptr);
  sqlite3_bind_blob(statement, 1, wave.data(), static_cast<int>(wave.size()), SQLITE_TRANSIENT);
  EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
  sqlite3_finalize(statement);
  sqlite3_close(db);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }
bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

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
  static void TearDownTestSuite() {
    delete sample_;
    sample_ = nullptr;
  }

  void SetUp() override {
    WriteFile(folder_ / "store.sqlite", ReadFile(*sample_ / "server/MessageStore.sqlite"));
    UseRegistry(true);
  }

  void UseRegistry(bool with_store) {
    WriteFile(registry_, TestRegistry(manager_file_, with_store ? store_ : ""));
  }

  RunResult Run(const std::vector<std::string>& arguments) {
    return RunInShell(BinDir() + "/TmMsgExtractor", arguments, registry_);
  }
  RunResult RunWithFileSizeLimit(const std::vector<std::string>& arguments, rlim_t bytes) {
    return RunInShell(BinDir() + "/TmMsgExtractor", arguments, registry_, bytes);
  }

  std::vector<std::string> ManagerTexts() const {
    std::vector<std::string> texts;
    for (const LogManagerLine& line : ReadLogManagerLines(manager_file_)) texts.push_back(line.text);
    return texts;
  }

  static TempFolder* sample_;
  TempFolder folder_;
  const std::string registry_ = folder_ / "registry.reg";
  const std::string manager_file_ = folder_ / "QoLogMgr.log";
  const std::string store_ = folder_ / "store.sqlite";
  const std::string log_ = folder_ / "MsgExtraction.log";
};

TempFolder* ExtractorRunTest::sample_ = nullptr;

const std::string kTime = "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]";

TEST_F(ExtractorRunTest, WithoutAFolderShowsTheUsageAndEndsWithMinusOne) {
  const RunResult run = Run({"-dom", "example.com"});
  EXPECT_EQ(run.shell_status, 255);
  EXPECT_EQ(run.console,
            "Application started\nInitialized COM\nInitialized Log Manager\n"
            "No output folder specified.\nExample: TmMsgExtractor -dir c:\\data\\KorvelMsgs -domain example.com\n"
            "Exiting Message Extraction Utility\n");
}

TEST_F(ExtractorRunTest, AMissingFolderIsLoggedAndTheClosingLineComesLast) {
  const std::string missing = folder_ / "no-such-folder";
  const RunResult run = Run({"-log", log_, "-dir", missing + "/"});
  EXPECT_EQ(run.shell_status, 255);
  EXPECT_TRUE(Contains(run.console, "LogFile Set to " + log_ + "\n"));
  const std::regex framed("\r\n\r\nLogFile Started at " + kTime + " \r\n"
                          "No SMTP domain specified\r\n"
                          "Directory " + missing + " Not found\r\n"
                          "LogFile closed at " + kTime + " \r\n");
  EXPECT_TRUE(std::regex_match(ReadFile(log_), framed)) << ReadFile(log_);
}

TEST_F(ExtractorRunTest, AFileGivenAsFolderIsNotADirectory) {
  const std::string file = folder_ / "a-file";
  WriteFile(file, "x");
  const RunResult run = Run({"-dir", file, "-log", log_, "-dom", "example.com"});
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

TEST_F(ExtractorRunTest, AMissingStoreEndsWithMinusTwo) {
  UseRegistry(false);
  const RunResult run = Run({"-dir", folder_.path(), "-log", log_, "-dom", "example.com"});
  EXPECT_EQ(run.shell_status, 254);
  const std::string log = ReadFile(log_);
  EXPECT_TRUE(Contains(log, "Connecting to Zad...\r\n"
                            "Failed Loging in to ZAD 0x80040111\r\n"
                            "Failed Connecting to ZAD 0x80040111\r\n"
                            "Failed extracting messages, See logs for details\r\n"
                            "LogFile closed at "))
      << log;
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_TRUE(std::find(texts.begin(), texts.end(), "m_spZadSession->Logon() returned 0x80040111") != texts.end());
  EXPECT_TRUE(std::find(texts.begin(), texts.end(), "pautoMsgHelper->Run() returned 0x80040111") != texts.end());
}

TEST_F(ExtractorRunTest, AFailingSubscriberListEndsWithMinusTwo) {
  Sql(store_,
      "CREATE TABLE IF NOT EXISTS Fault (Method TEXT NOT NULL, ObjectID INTEGER, HResult INTEGER NOT NULL);"
      "INSERT INTO Fault VALUES ('get_Subscribers', NULL, -2147467259);");
  const RunResult run = Run({"-dir", folder_.path(), "-log", log_});
  EXPECT_EQ(run.shell_status, 254);
  EXPECT_TRUE(Contains(ReadFile(log_), "Failed Getting All mail users 0x80004005\r\n"));
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_TRUE(std::find(texts.begin(), texts.end(), "spZadMailUsers->get_Subscribers() returned 0x80004005") !=
              texts.end());
}

TEST_F(ExtractorRunTest, ARunExtractsEveryMessageAndAppendsToItsLog) {
  const std::string output = folder_ / "out";
  ASSERT_EQ(mkdir(output.c_str(), 0755), 0);
  RunResult run = Run({"-dir", output + "/", "-log", log_, "-domain", "example.com"});
  EXPECT_EQ(run.shell_status, 0);
  const size_t first_run_files = MessageFiles(output).size();
  EXPECT_EQ(RunMessageReader({"--store", store_, output}), "");
  run = Run({"/dir", output, "/log", log_});
  EXPECT_EQ(run.shell_status, 0);
  EXPECT_TRUE(Contains(run.console, "Initialized Log Manager\nLogFile Set to " + log_ + "\n"));
  EXPECT_TRUE(Contains(run.console, "Extracting messages for subscriber 1 of "));

  // The sample holds messages that fail by design, so both runs end with
  // the errors line; every other message is in a file of its own.
  const std::string count = std::to_string(SubscriberCount(store_));
  ASSERT_NE(count, "0");
  const std::string run_start = "Connecting to Zad...\r\n"
                                "Extracting messages for " + count + " Subscribers\r\n"
                                "Extracting messages for subscriber 1 of " + count + "\r\n";
  const std::string run_end = "Message extraction complete. Error were encountered extracting some messages\r\n"
                              "LogFile closed at HH:MM:SS \r\n";
  const std::string log = MaskTimes(ReadFile(log_));
  const std::string second_start = "\r\n\r\nLogFile Started at HH:MM:SS \r\nNo SMTP domain specified\r\n";
  const size_t second = log.find(second_start);
  ASSERT_NE(second, std::string::npos) << log;
  const std::string first_run = log.substr(0, second);
  const std::string second_run = log.substr(second);
  EXPECT_TRUE(StartsWith(first_run, "\r\n\r\nLogFile Started at HH:MM:SS \r\n"
                                    "Output Directory set to " + output + ", SMTP domain is set to example.com\r\n" +
                                    run_start))
      << first_run;
  EXPECT_TRUE(StartsWith(second_run, second_start + "Output Directory set to " + output +
                                         ", SMTP domain is set to \r\n" + run_start))
      << second_run;
  EXPECT_TRUE(EndsWith(first_run, run_end)) << first_run;
  EXPECT_TRUE(EndsWith(second_run, run_end)) << second_run;
  EXPECT_TRUE(Contains(first_run, "Mailuser Alias EAdmin ...\r\n"));
  EXPECT_TRUE(Contains(first_run, "Mailuser EAdmin done\r\n\r\n"));

  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_EQ(texts.front(), "Initialized Log Manager");
  EXPECT_TRUE(std::find(texts.begin(), texts.end(), "Method < CMsgHelper::Run() > Exit Return:0x00000000 ") !=
              texts.end());
  const auto failed =
      static_cast<size_t>(std::count(texts.begin(), texts.end(), "ProcessOneMsg() returned 0x80004005"));
  EXPECT_GT(failed, 0u);
  EXPECT_EQ(first_run_files * 2, MessageFiles(output).size());
  EXPECT_EQ(MessageFiles(output).size() + failed, 2 * ExtractableMessageCount(store_));
}

TEST_F(ExtractorRunTest, AMessageFileThatCannotBeWrittenGivesMinusThreeAndTheRunGoesOn) {
  // A first subscriber's message larger than the files may grow.
  Sql(store_, "INSERT INTO Message (MessageID, OwnerID, Folder, DeliveryTime, HasUnknownSender, SenderAddressType, "
              "SenderEmailAddress, Importance, Sensitivity, Subject) SELECT MAX(MessageID) + 1, (SELECT "
              "MIN(MailUserID) FROM MailUser WHERE IsSubscriber = 1), 6, 43832.5, 1, 5, 'x', 1, 0, 'big' FROM Message");
  std::string wave = "RIFF....WAVEfmt ";
  wave += std::string("\x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0", 20) + "data....";
  wave += std::string(300000, '\x55');
  AddAudio(store_, wave);
  const std::string output = folder_ / "out";
  ASSERT_EQ(mkdir(output.c_str(), 0755), 0);
  const RunResult run = RunWithFileSizeLimit({"-dir", output, "-log", log_, "-dom", "example.com"}, 350000);
  EXPECT_EQ(run.shell_status, 253);
  const std::string log = ReadFile(log_);
  EXPECT_TRUE(Contains(log, "Extracting messages for subscriber " + std::to_string(SubscriberCount(store_)) + " of "));
  EXPECT_TRUE(Contains(log, "Message extraction complete. Error were encountered extracting some messages\r\n"));
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
    return text.rfind("Failed write to file ", 0) == 0 && Contains(text, " GetLastError():1B");
  }));
  EXPECT_GT(MessageFiles(output).size(), 0u);
  EXPECT_EQ(RunMessageReader({"--store", store_, output}), "");
}

}  // namespace
