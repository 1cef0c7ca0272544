#include "TmMsgExtractor/MimeHelper.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "TmMsgExtractor/Base64.h"
#include "TmMsgExtractor/tests/extraction_test_support.h"

namespace {

std::string Encode(const std::string& bytes) {
  std::string text(Base64Length(bytes.size()), '\0');
  const int written = Base64Encode(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<int>(bytes.size()),
                                   text.data());
  text.resize(static_cast<size_t>(written));
  return text;
}

TEST(Base64Test, EncodesGroupsOfThreeAndPadsTheLastGroup) {
  EXPECT_EQ(Encode("Man"), "TWFu");
  EXPECT_EQ(Encode("Ma"), "TWE=");
  EXPECT_EQ(Encode("M"), "TQ==");
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode("\xFB\xFF\xBF"), "+/+/");
  EXPECT_EQ(Encode(std::string("\0\0\0\0", 4)), "AAAAAA==");
}

// A temporary file holding `bytes`, as the combined audio would be.
std::FILE* TempAudio(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fflush(file);
  return file;
}

class MimeHelperTest : public ExtractionTest {
 protected:
  const std::vector<std::pair<const wchar_t*, CBstr>> kBodyHeaders = {{L"Content-Type", L"audio/wav"},
                                                                      {L"Content-Transfer-Encoding", L"base64"}};

  // Writes one complete file for `alias` with `wave` as its body and returns
  // its path, or "" when a step failed.
  std::string WriteMessage(const CBstr& alias, const std::string& wave,
                           const std::vector<std::pair<const wchar_t*, CBstr>>& headers) {
    CMimeHelper writer;
    if (writer.Initialize(CBstr(output_.path().c_str()), alias) != S_OK) return "";
    for (const auto& [name, value] : headers) {
      if (writer.WriteMIMEHeader(name, value) != S_OK) return "";
    }
    std::FILE* audio = TempAudio(wave);
    const HRESULT written = writer.WriteAudioStream(audio);
    std::fclose(audio);
    if (written != S_OK || writer.Commit() != S_OK) return "";
    return ToSystemText(writer.Path().c_str());
  }

  std::string BodyOf(const std::string& path) {
    const std::string file = ReadFile(path);
    const size_t blank = file.find("\r\n\r\n\r\n");
    return blank == std::string::npos ? "" : file.substr(blank + 6);
  }
};

TEST_F(MimeHelperTest, WritesAnsiHeadersTwoEmptyLinesAndBase64LinesOf72WithCrLf) {
  const std::string wave = Wave(Samples(11));  // 55 bytes
  ASSERT_EQ(wave.size(), 55u);
  // Line breaks inside a value are folded, so the header block stays whole.
  const std::string path = WriteMessage(L"amy", wave,
                                        {{L"From", L"caf\u00E9@example.com"},
                                         {L"Subject", L"\u20AC 5 \u81F3\u6025\n folded\r\nthree\rfour\n\tfive\n"},
                                         {L"Content-Type", L"audio/wav"},
                                         {L"Content-Transfer-Encoding", L"base64"}});
  ASSERT_FALSE(path.empty());
  const std::string file = ReadFile(path);
  EXPECT_EQ(file.substr(0, file.find("\r\n\r\n\r\n") + 6),
            "From: caf\xE9@example.com\r\n"
            "Subject: \x80 5 ??\r\n folded\r\n three\r\n four\r\n\tfive\r\n \r\n"
            "Content-Type: audio/wav\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n\r\n");
  const std::string body = BodyOf(path);
  ASSERT_EQ(body.size(), 72u + 2 + 4 + 2);
  EXPECT_EQ(body.substr(72, 2), "\r\n");
  EXPECT_EQ(body.substr(76), "==\r\n");
  EXPECT_EQ(ReadBackWithEmailPackage({{path, wave}}), "");
}

TEST_F(MimeHelperTest, AWaveOf54BytesMultipleEndsWithAnEmptyLineAndAnEmptyOneIsOneEmptyLine) {
  const std::string wave = Wave(Samples(64));  // 108 bytes
  const std::string two_lines = WriteMessage(L"amy", wave, kBodyHeaders);
  const std::string body = BodyOf(two_lines);
  ASSERT_EQ(body.size(), 2u * 74 + 2);
  EXPECT_EQ(body.substr(72, 2), "\r\n");
  EXPECT_EQ(body.substr(146), "\r\n\r\n");
  EXPECT_EQ(body.find('='), std::string::npos);

  const std::string empty = WriteMessage(L"amy", "", kBodyHeaders);
  EXPECT_EQ(BodyOf(empty), "\r\n");
  EXPECT_EQ(ReadBackWithEmailPackage({{two_lines, wave}, {empty, ""}}), "");
}

TEST_F(MimeHelperTest, AnAliasLeadingOutOfTheFolderFailsLikeARefusedName) {
  const std::string inner = output_ / "inner";
  ASSERT_EQ(mkdir(inner.c_str(), 0755), 0);
  for (const wchar_t* alias : {L"../escape", L"a/b", L"a\\b", L".", L".."}) {
    g_ExtractorState = ExtractorState{};
    CMimeHelper writer;
    EXPECT_EQ(writer.Initialize(CBstr(FromSystemText(inner).c_str()), alias), E_FAIL);
    EXPECT_EQ(g_ExtractorState.exitCode, -3);
    EXPECT_EQ(writer.WriteMIMEHeader(L"From", L"x"), E_FAIL);
    EXPECT_TRUE(Holds(ManagerTexts(), "Failed to create file " + ToSystemText(writer.Path().c_str()) +
                                          ". GetLastError():16"));
  }
  EXPECT_TRUE(MessageFiles(inner).empty());
  EXPECT_TRUE(MessageFiles(output_.path()).empty());

  CMimeHelper missing_folder;
  EXPECT_EQ(missing_folder.Initialize(CBstr(FromSystemText(output_ / "missing").c_str()), L"amy"), E_FAIL);
  EXPECT_TRUE(Holds(ManagerTexts(), "Failed to create file " + ToSystemText(missing_folder.Path().c_str()) +
                                        ". GetLastError():2"));
}

}  // namespace
