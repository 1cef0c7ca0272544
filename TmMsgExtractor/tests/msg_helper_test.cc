#include "TmMsgExtractor/MsgHelper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TmMsgExtractor/tests/extraction_test_support.h"

namespace {

class MsgHelperTest : public ExtractionTest {
 protected:
  // Message `id` of `owner` in `folder`, with audio made from `id`.
  void AddMessage(std::int64_t id, std::int64_t owner, int folder) {
    store_.AddMessage(id, {{"OwnerID", std::to_string(owner)},
                           {"Folder", std::to_string(folder)},
                           {"Subject", "'m" + std::to_string(id) + "'"}});
    store_.AddAudio(id, 1, Wave(Samples(90, static_cast<unsigned>(id))));
  }

  // "SUBJECT STATUS" of every message file, sorted.
  std::vector<std::string> SubjectsAndStatuses() const {
    std::vector<std::string> found;
    for (const std::string& file : MessageFiles(output_.path())) {
      const std::string text = ReadFile(file);
      auto field = [&](const std::string& name) {
        const size_t at = text.find("\r\n" + name + ": ") + name.size() + 4;
        return text.substr(at, text.find("\r\n", at) - at);
      };
      found.push_back(field("Subject") + " " + field("X-NorvaneKorvel-Status"));
    }
    std::sort(found.begin(), found.end());
    return found;
  }
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
  ASSERT_EQ(RunWalk(), S_OK);
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
  EXPECT_EQ(SubjectsAndStatuses(), (std::vector<std::string>{"m1 Read", "m2 New", "m5 Read"}));
  EXPECT_EQ(ReadBackAgainstStore(), "");

  store_.Sql("UPDATE MailUser SET IsSubscriber = 0");
  ASSERT_EQ(RunWalk(), S_OK);
  EXPECT_EQ(console_, "Connecting to Zad...\nExtracting messages for 0 Subscribers\n");
}

TEST_F(MsgHelperTest, AFailedSubscriberIsReportedCountsAsAnErrorAndTheWalkGoesOn) {
  store_.AddUser(1, "42", "'Number Alias'");
  store_.AddUser(2, "'ann'", "'Ann'");
  store_.AddUser(3, "'bea'", "'Bea'");
  store_.AddUser(4, "'cat'", "'Cat'");
  store_.AddUser(5, "'dan'", "'Dan'");
  store_.AddUser(6, "'eve'", "'Eve'");
  for (std::int64_t owner = 1; owner <= 6; ++owner) {
    AddMessage(owner * 10, owner, 6);
    AddMessage(owner * 10 + 1, owner, 13);
  }
  AddMessage(62, 6, 6);
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
  EXPECT_TRUE(Holds(texts, "Invalid QOP_ALIAS vt =[3]"));
  EXPECT_TRUE(Holds(texts, "pZadMailUser->get_Inbox() returned 0x80004005"));
  EXPECT_TRUE(Holds(texts, "spZadMessages->SimpleFilter(QO_SEARCH_FOLDER_NewVoiceFilter) returned 0x80004005"));
  EXPECT_TRUE(Holds(texts, "spZadMessages->SetFilter(NULL) returned 0x80004005"));
  EXPECT_TRUE(Holds(texts, "spMailBoxHelper->Extract() returned 0x80004005"));
  EXPECT_TRUE(Holds(texts, "ProcessOneMailUser() returned 0x80004005"));
  // Cat's new message was written before the filter failed; Dan is whole.
  EXPECT_EQ(SubjectsAndStatuses(), (std::vector<std::string>{"m40 New", "m50 New", "m51 Read", "m60 New"}));
  EXPECT_EQ(ReadBackAgainstStore(), "");
}

TEST_F(MsgHelperTest, AFailingSubscriberListOrDisplayNameEndsTheRun) {
  store_.AddUser(1, "'amy'", "'Amy'");
  store_.AddUser(2, "'bob'", "'Bob'");
  store_.AddUser(3, "'cat'", "'Cat'");
  store_.AddFault("get_DisplayName", 2, kFailure);
  EXPECT_EQ(RunWalk(), static_cast<HRESULT>(kFailure));
  EXPECT_FALSE(ConsoleHolds("subscriber 3 of 3"));
  EXPECT_TRUE(Holds(ManagerTexts(), "spZadMailUser->get_DisplayName() returned 0x80004005"));

  store_.Sql("DELETE FROM Fault");
  store_.AddFault("Next", 3, 0x8000FFFF);
  EXPECT_EQ(RunWalk(), static_cast<HRESULT>(0x8000FFFF));
  EXPECT_TRUE(Holds(ManagerTexts(), "spZadMailUserIterator->Next() returned 0x8000ffff"));
  EXPECT_EQ(g_ExtractorState.exitCode, 0);

  store_.Sql("UPDATE Fault SET Method = 'get_Subscribers', ObjectID = NULL");
  EXPECT_EQ(RunWalk(), static_cast<HRESULT>(0x8000FFFF));
  EXPECT_EQ(console_, "Connecting to Zad...\nFailed Getting All mail users 0x8000FFFF\n");
  EXPECT_TRUE(Holds(ManagerTexts(), "spZadMailUsers->get_Subscribers() returned 0x8000ffff"));
  EXPECT_EQ(g_ExtractorState.exitCode, -2);
}

}  // namespace
