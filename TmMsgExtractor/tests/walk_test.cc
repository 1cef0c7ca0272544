// The walk over the store: every subscriber's new and saved messages
// (CMsgHelper), each written to its own message file (CMailboxHelper), in a
// process whose trace log reaches a log manager, over small message stores
// built with SQLite; every message file is read back by Python's email
// package.
#include "TmMsgExtractor/MailboxHelper.h"
#include "TmMsgExtractor/MsgHelper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "TmMsgExtractor/ExtractorState.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "TmMsgExtractor/tests/msg_reader.h"
#include "korvel/logmgr/logmgr.h"
#include "korvel/zad/tests/test_store.h"
#include "korvel/zad/zad.h"
#include "platform/com/runtime.h"
#include "tests/support/temp_folder.h"

namespace {

using korvel::test::TempFolder;
using korvel::test::WriteFile;

// The process's trace log reaches a log manager writing into a folder that
// lives as long as the process; the registry there names `StorePath()` as the
// message store.
class ExtractionEnvironment {
 public:
  static ExtractionEnvironment& Get() {
    // Its folder goes at process exit, before the trace log lets go of the
    // log manager, which needs no file for that.
    static ExtractionEnvironment environment;
    return environment;
  }
  std::string StorePath() const { return folder_ / "store.sqlite"; }
  std::string ManagerFile() const { return folder_ / "QoLogMgr.log"; }

 private:
  ExtractionEnvironment() {
    WriteFile(folder_ / "registry.reg", TestRegistry(ManagerFile(), StorePath()));
    setenv("KORVEL_REGISTRY", (folder_ / "registry.reg").c_str(), 1);
    korvel::zad::RegisterClasses();
    korvel::logmgr::RegisterClasses();
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) ||
        FAILED(g_TraceLog.Initialize(nullptr, L"MsgExtractor", nullptr))) {
      throw std::runtime_error("cannot start the trace log");
    }
  }
  TempFolder folder_;
};

constexpr std::uint32_t kFailure = 0x80004005;

// A RIFF WAVE file of 8 kHz 16-bit mono PCM: the format chunk (of
// `format_length` bytes), then `between` (other chunks), then the data chunk.
std::string Wave(const std::string& samples, const std::string& between = "", std::uint32_t format_length = 16) {
  const auto le32 = [](std::size_t n) { return std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)}; };
  std::string format("\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0", 16);
  format.resize(format_length, '\0');
  return "RIFF" + le32(4 + 8 + format.size() + between.size() + 8 + samples.size()) + "WAVEfmt " +
         le32(format_length) + format + between + "data" + le32(samples.size()) + samples;
}

// `count` bytes that differ from position to position.
std::string Samples(size_t count, unsigned seed = 1) {
  std::string bytes(count, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
  return bytes;
}

bool Holds(const std::vector<std::string>& texts, const std::string& text) { return std::ranges::count(texts, text) > 0; }

// Every test starts with a fresh state, a new store and empty output and
// temporary folders, and knows which log manager lines are its own.
class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ExtractorState = ExtractorState{};
    first_line_ = ReadLogManagerLines(ExtractionEnvironment::Get().ManagerFile()).size();
    setenv("TMPDIR", temp_.path().c_str(), 1);
  }
  void TearDown() override { unsetenv("TMPDIR"); }

  // The whole walk over the store into `folder` (the output folder unless
  // given); the console output is kept in console_.
  HRESULT RunWalk(const wchar_t* domain = L"example.com", const std::string& folder = "") {
    CMsgHelper helper(CBstr(FromSystemText(folder.empty() ? output_.path() : folder).c_str()), domain);
    testing::internal::CaptureStdout();
    const HRESULT hr = helper.Run();
    console_ = testing::internal::GetCapturedStdout();
    return hr;
  }
  bool ConsoleHolds(const std::string& text) const { return console_.find(text) != std::string::npos; }

  // The log manager's trace texts this test wrote.
  std::vector<std::string> ManagerTexts() const {
    std::vector<std::string> texts;
    const std::vector<LogManagerLine> lines = ReadLogManagerLines(ExtractionEnvironment::Get().ManagerFile());
    for (size_t i = first_line_; i < lines.size(); ++i) texts.push_back(lines[i].text);
    return texts;
  }

  // Every message file in the output folder read back by Python's email
  // package against the combined audio of a message of its owner in the store.
  std::string ReadBackAgainstStore() const {
    return RunMessageReader({"--store", ExtractionEnvironment::Get().StorePath(), output_.path()});
  }
  bool NoTemporaryFiles() const { return std::filesystem::is_empty(temp_.path()); }

  // A message whose only attachment is a small canonical WAVE.
  void AddMessageWithAudio(std::int64_t id, const std::map<std::string, std::string>& columns = {}) {
    store_.AddMessage(id, columns);
    store_.AddAudio(id, 1, Wave(Samples(100, static_cast<unsigned>(id))));
  }
  void AddMessageOf(std::int64_t owner, std::int64_t id, int folder) {
    AddMessageWithAudio(id, {{"OwnerID", std::to_string(owner)}, {"Folder", std::to_string(folder)},
                             {"Subject", "'m" + std::to_string(id) + "'"}});
  }
  // The message file whose Subject is `subject`; "" when there is none or
  // more than one.
  std::string FileWithSubject(const std::string& subject) const {
    std::string found;
    for (const std::string& file : MessageFiles(output_.path())) {
      if (ReadFile(file).find("\r\nSubject: " + subject + "\r\n") == std::string::npos) continue;
      if (!found.empty()) return "";
      found = file;
    }
    return found;
  }
  // Its headers, each line ending CR LF, and "|" after the last.
  std::string HeadersWithSubject(const std::string& subject) const {
    const std::string text = ReadFile(FileWithSubject(subject));
    return text.substr(0, text.find("\r\n\r\n\r\n") + 2) + "|";
  }
  // Whether the message files are those with these subjects, each with its status.
  void ExpectSubjectsAndStatuses(const std::vector<std::pair<std::string, std::string>>& expected) const {
    EXPECT_EQ(MessageFiles(output_.path()).size(), expected.size());
    for (const auto& [subject, status] : expected) {
      EXPECT_NE(HeadersWithSubject(subject).find("Status: " + status + "\r\n"), std::string::npos) << subject;
    }
  }

  TestStore store_{ExtractionEnvironment::Get().StorePath()};
  TempFolder output_;
  TempFolder temp_;
  size_t first_line_ = 0;
  std::string console_;
};

// amy's messages, from bob, who is no subscriber himself.
class MailboxHelperTest : public WalkTest {
 protected:
  void SetUp() override {
    WalkTest::SetUp();
    store_.AddUser(1, "'amy'");
    store_.AddUser(2, "'bob'", "'Bob'", 0);
  }
};

TEST_F(MailboxHelperTest, WritesEveryHeaderAndTheBodyInTheirForm) {
  store_.AddUser(3, "'caf' || char(233)", "'Cafe'", 0);
  store_.AddMessage(5, {{"SenderID", "3"},
                        {"Subject", "char(8364) || ' 5 ' || char(33267, 24613, 10) || ' folded' || char(13, 10) || "
                                    "'three' || char(13) || 'four' || char(10, 9) || 'five' || char(10)"}});
  store_.AddAudio(5, 1, Wave(Samples(11)));  // 55 bytes
  AddMessageWithAudio(1, {{"Importance", "2"}, {"Sensitivity", "3"}, {"Subject", "'Full'"}});
  AddMessageWithAudio(2, {{"Importance", "1"}, {"Sensitivity", "0"}, {"DeliveryTime", "-112.1543981"},
                          {"Subject", "'Moon'"}});
  AddMessageWithAudio(3, {{"Importance", "'high'"}, {"Sensitivity", "NULL"}, {"DeliveryTime", "'yesterday'"},
                          {"Subject", "'Sparse'"}});
  AddMessageWithAudio(4, {{"Sensitivity", "-1"}, {"Subject", "NULL"}, {"DeliveryTime", "50424.134803240741"}});
  AddMessageWithAudio(6, {{"Subject", "'Late'"}, {"DeliveryTime", "50424.134814814815"}});
  AddMessageWithAudio(7, {{"Subject", "'Leap'"}, {"DeliveryTime", "45352.5"}});
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_EQ(HeadersWithSubject("Full"),
            "From: bob@example.com\r\nTo: amy@example.com\r\nMIME-Version: 1.0 (Voice 2.0)\r\n"
            "X-NorvaneKorvel-Status: New\r\nImportance: High\r\nSensitivity: Private\r\n"
            "Content-Type: audio/wav\r\nContent-Transfer-Encoding: base64\r\nContent-Description: Voice Message\r\n"
            "Content-Disposition: inline; voice=Voice-Message\r\nSubject: Full\r\n"
            "Date: Thu, 02 Jan 2020 03:04:05 GMT\r\n|");
  const std::pair<const char*, const char*> fragments[] = {
      {"Moon", "Importance: Normal\r\nSensitivity: Normal\r\n"},  // 1969-07-20 20:17:40 has no date
      {"Moon", "\r\nDate: \r\n|"},
      {"Sparse", "Status: New\r\nContent-Type: audio/wav\r\n"},
      {"Sparse", "\r\nSubject: Sparse\r\n|"},
      {"", "Sensitivity: Normal\r\n"},  // 2038-01-19 03:14:07, the last second 32-bit seconds hold
      {"", "\r\nSubject: \r\nDate: Tue, 19 Jan 2038 03:14:07 GMT\r\n|"},
      {"Late", "\r\nDate: \r\n|"},
      {"Leap", "\r\nDate: Fri, 01 Mar 2024 12:00:00 GMT\r\n|"}};
  for (const auto& [subject, fragment] : fragments) {
    EXPECT_NE(HeadersWithSubject(subject).find(fragment), std::string::npos) << subject << ": " << fragment;
  }
  // Header values in the ANSI code page, folded at line breaks; two empty
  // lines after the headers, then base64 in lines of 72 with CR LF.
  const std::string folded = ReadFile(FileWithSubject("\x80 5 ??"));
  EXPECT_TRUE(std::regex_match(folded, std::regex("From: caf\xE9@example.com\r\n[^]*\r\nSubject: \x80 5 \\?\\?\r\n "
                                                  "folded\r\n three\r\n four\r\n\tfive\r\n \r\nDate: [^]*\r\n\r\n\r\n"
                                                  "[A-Za-z0-9+/]{72}\r\n[A-Za-z0-9+/]{2}==\r\n")))
      << folded;
  EXPECT_EQ(ReadBackAgainstStore(), "");
}

TEST_F(MailboxHelperTest, AnAliasLeadingOutOfTheFolderFailsItsMessagesLikeARefusedName) {
  store_.Sql("UPDATE MailUser SET IsSubscriber = 0");
  // Control characters fail too: U+0000 would cut the name short.
  const char* aliases[] = {"'../escape'", "'a/b'", "'a\\b'", "'..'", "CAST(X'610062' AS TEXT)",
                           "CAST(X'610162' AS TEXT)"};
  for (std::int64_t id = 10; id < 16; ++id) {
    store_.AddUser(id, aliases[id - 10]);
    AddMessageWithAudio(id, {{"OwnerID", std::to_string(id)}});
  }
  const std::string inner = output_ / "inner";
  ASSERT_TRUE(std::filesystem::create_directory(inner));
  ASSERT_EQ(RunWalk(L"example.com", inner), S_OK);
  EXPECT_EQ(g_ExtractorState.exitCode, -3);
  for (const auto& entry : std::filesystem::directory_iterator(inner)) {
    EXPECT_TRUE(entry.path().filename().string().starts_with(".KorvelMigration.")) << entry.path();
  }
  EXPECT_TRUE(MessageFiles(output_.path()).empty());
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const std::string& text) {
              return text.starts_with("Failed to create file ") && text.ends_with(". GetLastError():16");
            }),
            6);
}

TEST_F(MailboxHelperTest, FromOfKnownAndUnknownSendersWithAndWithoutDomain) {
  store_.AddUser(3, "''", "'Nameless'", 0);
  // Subject, sender address type and address of a sender the store does not know.
  const std::tuple<const char*, const char*, const char*, const char*> froms[] = {
      {"m1", "5", "'425-555-0142'", "From: AMIS:425-555-0142"},
      {"m2", "6", "'ext 5102'", "From: OMNI:ext 5102"},
      {"m3", "7", "'jdoe@vpim.example'", "From: VPIM:jdoe@vpim.example"},
      {"m4", "1", "'caller@example.com'", "From: caller@example.com"},
      {"m5", "5", "''", "From: Unknown@example.com"},
      {"m6", "7", "NULL", "From: Unknown@example.com"},
      {"m7", "6", "12345", "From: Unknown@example.com"}};
  std::int64_t id = 0;
  for (const auto& [subject, type, address, from] : froms) {
    AddMessageWithAudio(++id, {{"HasUnknownSender", "1"}, {"SenderID", "NULL"}, {"SenderAddressType", type},
                               {"SenderEmailAddress", address}, {"Subject", std::string("'") + subject + "'"}});
  }
  // Said to be known, but the store has no sender: the unknown-sender rule.
  AddMessageWithAudio(8, {{"SenderID", "NULL"}, {"SenderAddressType", "6"}, {"SenderEmailAddress", "'ext 2210'"},
                          {"Subject", "'m8'"}});
  AddMessageWithAudio(9, {{"SenderID", "3"}, {"Subject", "'m9'"}});
  AddMessageWithAudio(10, {{"Folder", "13"}, {"Subject", "'m10'"}});
  ASSERT_EQ(RunWalk(), S_OK);
  for (const auto& [subject, type, address, from] : froms) {
    EXPECT_TRUE(HeadersWithSubject(subject).starts_with(std::string(from) + "\r\n")) << subject;
  }
  EXPECT_TRUE(HeadersWithSubject("m8").starts_with("From: OMNI:ext 2210\r\n"));
  EXPECT_TRUE(HeadersWithSubject("m9").starts_with("From: @example.com\r\n"));
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_TRUE(Holds(texts, "Invalid QOP_SENDER_EMAIL_ADDRESS vt =[3]"));
  EXPECT_TRUE(Holds(texts, "pZadMsg->get_Sender() returned 0x8004010f"));
  EXPECT_FALSE(g_ExtractorState.errorsEncountered);
  EXPECT_EQ(MessageFiles(output_.path()).size(), 10u);
  EXPECT_EQ(ReadBackAgainstStore(), "");

  // Without a domain the addresses are bare; a saved message has been read.
  std::filesystem::remove_all(output_.path());
  std::filesystem::create_directory(output_.path());
  ASSERT_EQ(RunWalk(L""), S_OK);
  EXPECT_TRUE(HeadersWithSubject("m10").starts_with(
      "From: bob\r\nTo: amy\r\nMIME-Version: 1.0 (Voice 2.0)\r\nX-NorvaneKorvel-Status: Read\r\n"));
  EXPECT_TRUE(HeadersWithSubject("m5").starts_with("From: Unknown\r\n"));
}

TEST_F(MailboxHelperTest, AFailedMessageLeavesNoFilesIsCountedAndTheListGoesOn) {
  AddMessageWithAudio(1, {{"HasUnknownSender", "'no'"}});
  AddMessageWithAudio(2, {{"SenderID", "10"}});
  store_.AddUser(10, "NULL", "'Sender'", 0);
  AddMessageWithAudio(3, {{"DeliveryTime", "1e10 + 0.5"}});
  AddMessageWithAudio(4, {{"HasUnknownSender", "1"}, {"SenderAddressType", "NULL"}});
  const std::pair<const char*, std::uint32_t> faults[] = {
      {"GetMany", kFailure}, {"get_AllAudioStreams", kFailure}, {"get_Item", 0x80030070}, {"get_Subject", kFailure}};
  std::int64_t id = 4;
  for (const auto& [method, hresult] : faults) {
    AddMessageWithAudio(++id);
    store_.AddFault(method, id, hresult);
  }
  AddMessageWithAudio(9);
  AddMessageWithAudio(10, {{"Subject", "'survivor'"}});
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_TRUE(ConsoleHolds("Extracting 10 Messages\n..........\n8 Messages encountered errors\n")) << console_;
  EXPECT_TRUE(g_ExtractorState.errorsEncountered);
  EXPECT_EQ(g_ExtractorState.exitCode, 0);
  EXPECT_EQ(MessageFiles(output_.path()).size(), 2u);
  EXPECT_TRUE(NoTemporaryFiles());
  const std::vector<std::string> texts = ManagerTexts();
  for (const char* text : {"Invalid QOP_HAS_UNKNOWN_SENDER vt =[8]", "Invalid QOP_ALIAS vt =[0]",
                           "Invalid QOP_SENDER_ADDRESS_TYPE vt =[0]", "spAudioListObject->get_Item() returned 0x80030070"}) {
    EXPECT_TRUE(Holds(texts, text)) << text;
  }
  EXPECT_EQ(ReadBackAgainstStore(), "");

  // The audio never passes through a temporary folder: without one the same
  // two messages are written again (once the record that would skip them is
  // gone).
  std::filesystem::remove(output_ / ".KorvelMigration.extracted");
  setenv("TMPDIR", (temp_ / "missing").c_str(), 1);
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_EQ(MessageFiles(output_.path()).size(), 4u);
}

// Messages whose attachments are combined into one WAVE.
class AudioCombinationTest : public MailboxHelperTest {
 protected:
  void AddAttachments(std::int64_t id, const std::vector<std::string>& waves) {
    store_.AddMessage(id, {{"Subject", "'m" + std::to_string(id) + "'"}});
    int seq = 0;
    for (const std::string& wave : waves) store_.AddAudio(id, ++seq, wave);
  }
  // Each message file read back against the audio expected for its subject.
  std::string ReadBack(const std::vector<std::pair<std::string, std::string>>& subjects_and_waves) const {
    if (subjects_and_waves.size() != MessageFiles(output_.path()).size()) return "a message file is not accounted for";
    TempFolder expected;
    std::vector<std::string> arguments;
    for (const auto& [subject, wave] : subjects_and_waves) {
      WriteFile(expected / subject, wave);
      arguments.push_back(FileWithSubject(subject) + "=" + (expected / subject));
    }
    return RunMessageReader(arguments);
  }
};

TEST_F(AudioCombinationTest, JoinsTheSamplesOfEveryAttachmentAndRewritesTheSizes) {
  const std::string first = Samples(1000, 1);
  const std::string second = Samples(600, 2);
  AddAttachments(1, {Wave(first), Wave(second)});
  const std::string fact = std::string("fact") + std::string("\x04\0\0\0\x10\x27\0\0", 8);
  AddAttachments(2, {Wave(first, fact), Wave(second), Wave(second, "", 18)});
  AddAttachments(3, {Wave(first, "", 18), Wave(second, fact)});
  AddAttachments(4, {Wave(first)});
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_FALSE(g_ExtractorState.errorsEncountered);
  // The worked example: 1044 + 600 bytes, RIFF size 1636, data size 1600.
  std::string example = Wave(first) + second;
  example.replace(4, 4, std::string("\x64\x06\0\0", 4));
  example.replace(40, 4, std::string("\x40\x06\0\0", 4));
  EXPECT_EQ(ReadBack({{"m1", example},
                      {"m2", Wave(first + second + second, fact)},
                      {"m3", Wave(first + second, "", 18)},
                      {"m4", Wave(first)}}),
            "");
}

TEST_F(AudioCombinationTest, DamagedOrMissingAudioFailsItsMessageOnly) {
  // "data" is not within five words after the format chunk.
  AddAttachments(1, {Wave(Samples(100), "junk" + std::string("\x10\0\0\0", 4) + std::string(16, 'j'))});
  AddAttachments(2, {});
  store_.AddMessage(3, {{"Subject", "'m3'"}});
  store_.Sql("INSERT INTO AudioStream VALUES (3, 1, 'not audio')");
  // A format length that would lead past the first attachment.
  std::string endless = Wave(Samples(100));
  endless.replace(16, 4, std::string("\xF0\xFF\xFF\xFF", 4));
  AddAttachments(4, {endless, Wave(Samples(100))});
  // A first attachment too short for its header, followed by samples that
  // hold a "data" tag.
  AddAttachments(5, {"RIFF\0\0\0\0WAVE", Wave("xxxxdata" + Samples(40))});
  AddAttachments(6, {Wave(Samples(10), "", 15)});
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_TRUE(ConsoleHolds("Extracting 6 Messages\n......\n5 Messages encountered errors\n")) << console_;
  EXPECT_TRUE(NoTemporaryFiles());
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Stream Corrupt: No data header"), 3);
  EXPECT_TRUE(Holds(texts, "Failed to read from tmp audio file. GetLastError():0"));
  EXPECT_TRUE(Holds(texts, "Invalid Audio Object VT=0x8"));
  EXPECT_TRUE(Holds(texts, "Audion stream count=2"));
  // An odd format length is taken as it stands, without a pad byte.
  EXPECT_EQ(ReadBack({{"m6", Wave(Samples(10), "", 15)}}), "");
}

TEST_F(WalkTest, WalksEverySubscribersNewThenSavedMessages) {
  store_.AddUser(1, "'amy'");
  store_.AddUser(2, "'sys'", "'System'", 0);
  store_.AddUser(3, "'bob'");
  AddMessageOf(1, 1, 13);
  AddMessageOf(1, 2, 6);
  AddMessageOf(1, 3, 99);
  AddMessageOf(2, 4, 6);
  AddMessageOf(3, 5, 13);
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_EQ(console_,
            "Connecting to Zad...\nExtracting messages for 2 Subscribers\n"
            "Extracting messages for subscriber 1 of 2\nMailuser Alias amy ...\n"
            "Extracting 1 Messages\n.\nExtracting 1 Messages\n.\nMailuser amy done\n\n"
            "Extracting messages for subscriber 2 of 2\nMailuser Alias bob ...\n"
            "Extracting 0 Messages\n\nExtracting 1 Messages\n.\nMailuser bob done\n\n");
  EXPECT_FALSE(g_ExtractorState.errorsEncountered);
  ExpectSubjectsAndStatuses({{"m1", "Read"}, {"m2", "New"}, {"m5", "Read"}});
  EXPECT_EQ(ReadBackAgainstStore(), "");
}

TEST_F(WalkTest, AFailedSubscriberIsReportedCountsAsAnErrorAndTheWalkGoesOn) {
  const char* names[] = {"Number Alias", "Ann", "Bea", "Cat", "Dan", "Eve"};
  for (std::int64_t owner = 1; owner <= 6; ++owner) {
    store_.AddUser(owner, owner == 1 ? "42" : "lower('" + std::string(names[owner - 1]) + "')",
                   "'" + std::string(names[owner - 1]) + "'");
    AddMessageOf(owner, owner * 10, 6);
    AddMessageOf(owner, owner * 10 + 1, 13);
  }
  AddMessageOf(6, 62, 6);
  store_.AddFault("get_Inbox", 2, kFailure);
  store_.AddFault("SimpleFilter", 3, kFailure);
  store_.AddFault("SetFilter", 4, kFailure);
  // Moving on to message 62 breaks eve's new-message list off: her saved
  // message is not tried.
  store_.AddFault("Next", 62, kFailure);
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_TRUE(g_ExtractorState.errorsEncountered);
  EXPECT_EQ(g_ExtractorState.exitCode, 0);
  for (const char* name : {"Number Alias", "Ann", "Bea", "Cat"}) {
    EXPECT_TRUE(ConsoleHolds(std::string("Errors encountered while extracting messages for subscriber ") + name + "\n"))
        << name;
  }
  EXPECT_TRUE(ConsoleHolds("Mailuser Alias dan ...\n"));
  EXPECT_TRUE(ConsoleHolds("Extracting 2 Messages\n.Errors encountered while extracting messages for subscriber Eve\n"))
      << console_;
  const std::vector<std::string> texts = ManagerTexts();
  for (const char* text : {"Invalid QOP_ALIAS vt =[3]", "pZadMailUser->get_Inbox() returned 0x80004005",
                           "spZadMessages->SimpleFilter(QO_SEARCH_FOLDER_NewVoiceFilter) returned 0x80004005",
                           "spZadMessages->SetFilter(NULL) returned 0x80004005", "ProcessOneMailUser() returned 0x80004005"}) {
    EXPECT_TRUE(Holds(texts, text)) << text;
  }
  // Cat's new message was written before the filter failed; Dan is whole.
  ExpectSubjectsAndStatuses({{"m40", "New"}, {"m50", "New"}, {"m51", "Read"}, {"m60", "New"}});
  EXPECT_EQ(ReadBackAgainstStore(), "");
}

TEST_F(WalkTest, AFailingSubscriberListOrDisplayNameEndsTheRun) {
  for (std::int64_t id : {1, 2, 3}) store_.AddUser(id, "'u" + std::to_string(id) + "'");
  store_.AddFault("get_DisplayName", 2, kFailure);
  EXPECT_EQ(RunWalk(), static_cast<HRESULT>(kFailure));
  EXPECT_FALSE(ConsoleHolds("subscriber 3 of 3"));
  EXPECT_TRUE(Holds(ManagerTexts(), "spZadMailUser->get_DisplayName() returned 0x80004005"));

  store_.Sql("UPDATE Fault SET Method = 'get_Subscribers', ObjectID = NULL, HResult = 2147549183");
  EXPECT_EQ(RunWalk(), static_cast<HRESULT>(0x8000FFFF));
  EXPECT_EQ(console_, "Connecting to Zad...\nFailed Getting All mail users 0x8000FFFF\n");
  EXPECT_TRUE(Holds(ManagerTexts(), "spZadMailUsers->get_Subscribers() returned 0x8000ffff"));
  EXPECT_EQ(g_ExtractorState.exitCode, -2);
}

}  // namespace
