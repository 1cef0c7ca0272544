#include "TmMsgExtractor/MsgHelper.h"

#include <gtest/gtest.h>

#include <string>

#include "TmMsgExtractor/tests/extraction_test_support.h"

namespace {

constexpr std::uint32_t kFailure = 0x80004005;

class MsgHelperTest : public ExtractionTest {
 protected:
  HRESULT Run(const wchar_t* domain = L"example.com") {
    CMsgHelper helper(CBstr(FromSystemText(output_.path()).c_str()), domain);
    testing::internal::CaptureStdout();
    const HRESULT hr = helper.Run();
    console_ = testing::internal::GetCapturedStdout();
    return hr;
  }

  // Message `id` of `owner` in `folder`, with audio made from `id`.
  void AddMessage(std::int64_t id, std::int64_t owner, int folder) {
    store_.AddMessage(id, {{"OwnerID", std::to_string(owner)},
                           {"Folder", std::to_string(folder)},
                           {"Subject", "'m" + std::to_string(id) + "'"}});
    store_.AddAudio(id, 1, Wave(Samples(90, static_cast<unsigned>(id))));
  }

  // The files of `alias`, each with its status header and the audio of the
  // message its subject names, for reading back.
  std::vector<std::pair<std::string, std::string>> FilesOf(const std::string& alias,
                                                          std::vector<std::string>* statuses) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& file : MessageFiles(output_.path())) {
      if (file.rfind(output_ / (alias + "_"), 0) != 0) continue;
      const std::string text = ReadFile(file);
      const size_t subject = text.find("\r\nSubject: m") + 12;
      const int id = std::stoi(text.substr(subject, text.find("\r\n", subject) - subject));
      const size_t status = text.find("X-NorvaneKorvel-Status: ") + 24;
      statuses->push_back(text.substr(subject - 1, text.find("\r\n", subject) - subject + 1) + " " +
                          text.substr(status, text.find("\r\n", status) - status));
      files.push_back({file, Wave(Samples(90, static_cast<unsigned>(id)))});
    }
    std::sort(statuses->begin(), statuses->end());
    return files;
  }

  std::string console_;
};

TEST_F(MsgHelperTest, WalksEverySubscribersNewThenSavedMessages) {
  store_.AddUser(1, "'amy'", "'Amy Adams'");
  store_.AddUser(2, "'sys'", "'System'", 0);
  store_.AddUser(3, "'bob'", "'Bob Brown'");
  AddMessage(1, 1, 13);
  AddMessage(2, 1, 6);
  AddMessage(3, 1, 99);
  AddMessage(4, 2, 6);
  AddMessage(5, 3, 13);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(console_,
            "Connecting to Zad...\n"
            "Extracting messages for 2 Subscribers\n"
            "Extracting messages for subscriber 1 of 2\n"
            "Mailuser Alias amy ...\n"
            "Extracting 1 Messages\n.\n"
            "Extracting 1 Messages\n.\n"
            "Mailuser amy done\n\n"
            "Extracting messages for subscriber 2 of 2\n"
            "Mailuser Alias bob ...\n"
            "Extracting 0 Messages\n\n"
            "Extracting 1 Messages\n.\n"
            "Mailuser bob done\n\n");
  EXPECT_FALSE(g_ExtractorState.errorsEncountered);
  std::vector<std::string> statuses;
  auto files = FilesOf("amy", &statuses);
  const auto bobs = FilesOf("bob", &statuses);
  files.insert(files.end(), bobs.begin(), bobs.end());
  EXPECT_EQ(statuses, (std::vector<std::string>{"m1 Read", "m2 New", "m5 Read"}));
  EXPECT_EQ(MessageFiles(output_.path()).size(), 3u);
  EXPECT_EQ(ReadBackWithEmailPackage(files), "");
}

TEST_F(MsgHelperTest, AFailedSubscriberIsReportedCountsAsAnErrorAndTheWalkGoesOn) {
  store_.AddUser(1, "42", "'Number Alias'");
  store_.AddUser(2, "'ann'", "'Ann'");
  store_.AddUser(3, "'bea'", "'Bea'");
  store_.AddUser(4, "'cat'", "'Cat'");
  store_.AddUser(5, "'dan'", "'Dan'");
  for (std::int64_t owner = 1; owner <= 5; ++owner) {
    AddMessage(owner * 10, owner, 6);
    AddMessage(owner * 10 + 1, owner, 13);
  }
  store_.AddFault("get_Inbox", 2, kFailure);
  store_.AddFault("SimpleFilter", 3, kFailure);
  store_.AddFault("SetFilter", 4, kFailure);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_TRUE(g_ExtractorState.errorsEncountered);
  EXPECT_EQ(g_ExtractorState.exitCode, 0);
  for (const char* name : {"Number Alias", "Ann", "Bea", "Cat"}) {
    EXPECT_NE(console_.find(std::string("Errors encountered while extracting messages for subscriber ") + name + "\n"),
              std::string::npos)
        << name;
  }
  EXPECT_NE(console_.find("Extracting messages for subscriber 5 of 5\nMailuser Alias dan ...\n"), std::string::npos);
  const std::vector<std::string> texts = ManagerTexts();
  EXPECT_TRUE(Holds(texts, "Invalid QOP_ALIAS vt =[3]"));
  EXPECT_TRUE(Holds(texts, "pZadMailUser->get_Inbox() returned 0x80004005"));
  EXPECT_TRUE(Holds(texts, "spZadMessages->SimpleFilter(QO_SEARCH_FOLDER_NewVoiceFilter) returned 0x80004005"));
  EXPECT_TRUE(Holds(texts, "spZadMessages->SetFilter(NULL) returned 0x80004005"));
  EXPECT_TRUE(Holds(texts, "ProcessOneMailUser() returned 0x80004005"));
  // Cat's new message was written before the filter failed; Dan is whole.
  std::vector<std::string> statuses;
  auto files = FilesOf("cat", &statuses);
  const auto dans = FilesOf("dan", &statuses);
  files.insert(files.end(), dans.begin(), dans.end());
  EXPECT_EQ(statuses, (std::vector<std::string>{"m40 New", "m50 New", "m51 Read"}));
  EXPECT_EQ(MessageFiles(output_.path()).size(), 3u);
  EXPECT_EQ(ReadBackWithEmailPackage(files), "");
}

TEST_F(MsgHelperTest, AFailedNewMessageListSkipsTheSavedOnes) {
  store_.AddUser(1, "'amy'", "'Amy'");
  store_.AddUser(2, "'bob'", "'Bob'", 0);
  AddMessage(10, 1, 6);
  AddMessage(11, 1, 13);
  AddMessage(12, 1, 6);
  // Moving on to message 12 fails: the new-message list breaks off.
  store_.AddFault("Next", 12, kFailure);
  ASSERT_EQ(Run(L""), S_OK);
  EXPECT_TRUE(g_ExtractorState.errorsEncountered);
  EXPECT_NE(console_.find("Extracting 2 Messages\n.Errors encountered while extracting messages for subscriber Amy\n"),
            std::string::npos)
      << console_;
  EXPECT_TRUE(Holds(ManagerTexts(), "spMailBoxHelper->Extract() returned 0x80004005"));
  std::vector<std::string> statuses;
  const auto files = FilesOf("amy", &statuses);
  EXPECT_EQ(statuses, std::vector<std::string>{"m10 New"});
  EXPECT_EQ(ReadBackWithEmailPackage(files), "");
}

TEST_F(MsgHelperTest, AnEmptyStoreCountsNoSubscribers) {
  store_.AddUser(1, "'sys'", "'System'", 0);
  ASSERT_EQ(Run(), S_OK);
  EXPECT_EQ(console_, "Connecting to Zad...\nExtracting messages for 0 Subscribers\n");
  EXPECT_FALSE(g_ExtractorState.errorsEncountered);
}

TEST_F(MsgHelperTest, AFailingDisplayNameOrSubscriberListEndsTheRun) {
  store_.AddUser(1, "'amy'", "'Amy'");
  store_.AddUser(2, "'bob'", "'Bob'");
  store_.AddUser(3, "'cat'", "'Cat'");
  store_.AddFault("get_DisplayName", 2, kFailure);
  EXPECT_EQ(Run(), static_cast<HRESULT>(kFailure));
  EXPECT_EQ(console_.find("subscriber 3 of 3"), std::string::npos);
  EXPECT_TRUE(Holds(ManagerTexts(), "spZadMailUser->get_DisplayName() returned 0x80004005"));

  store_.Sql("DELETE FROM Fault");
  store_.AddFault("Next", 3, 0x8000FFFF);
  EXPECT_EQ(Run(), static_cast<HRESULT>(0x8000FFFF));
  EXPECT_TRUE(Holds(ManagerTexts(), "spZadMailUserIterator->Next() returned 0x8000ffff"));
  EXPECT_EQ(g_ExtractorState.exitCode, 0);
}

}  // namespace
