// What the extractor's helper tests share: one process-wide setting (the
// component runtime, the trace log and a registry naming the log manager's
// file and the store), small message stores built with SQLite, WAVE files,
// and the independent reading of message files by Python's email package.
#ifndef KORVEL_TMMSGEXTRACTOR_TESTS_EXTRACTION_TEST_SUPPORT_H_
#define KORVEL_TMMSGEXTRACTOR_TESTS_EXTRACTION_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "TmMsgExtractor/ExtractorState.h"
#include "TmMsgExtractor/MsgHelper.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/tests/log_manager_lines.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "TmMsgExtractor/tests/msg_reader.h"
#include "korvel/logmgr/logmgr.h"
#include "korvel/zad/tests/test_store.h"
#include "korvel/zad/zad.h"
#include "platform/com/runtime.h"
#include "tests/support/temp_folder.h"

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

inline constexpr std::uint32_t kFailure = 0x80004005;

inline void AppendLittleEndian32(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
}

// A RIFF WAVE file of 8 kHz 16-bit mono PCM: the format chunk (of
// `format_length` bytes), then `between` (other chunks), then the data chunk.
inline std::string Wave(const std::string& samples, const std::string& between = "", std::uint32_t format_length = 16) {
  std::string format;
  for (std::uint32_t value : {0x00010001u, 8000u, 16000u, 0x00100002u}) AppendLittleEndian32(format, value);
  format.resize(format_length, '\0');
  std::string bytes = "RIFF";
  AppendLittleEndian32(bytes, static_cast<std::uint32_t>(4 + 8 + format.size() + between.size() + 8 + samples.size()));
  bytes += "WAVEfmt ";
  AppendLittleEndian32(bytes, format_length);
  bytes += format + between + "data";
  AppendLittleEndian32(bytes, static_cast<std::uint32_t>(samples.size()));
  return bytes + samples;
}

// `count` bytes that differ from position to position.
inline std::string Samples(size_t count, unsigned seed = 1) {
  std::string bytes(count, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
  return bytes;
}

// Python's email package reads each message file: no defects, an audio/wav
// body in base64 that decodes to exactly the expected WAVE bytes.
inline std::string ReadBackWithEmailPackage(const std::vector<std::pair<std::string, std::string>>& files_and_waves) {
  TempFolder expected;
  std::vector<std::string> arguments;
  for (size_t i = 0; i < files_and_waves.size(); ++i) {
    const std::string wave = expected / (std::to_string(i) + ".wav");
    WriteFile(wave, files_and_waves[i].second);
    arguments.push_back(files_and_waves[i].first + "=" + wave);
  }
  return RunMessageReader(arguments);
}

inline bool Holds(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Every helper test starts with a fresh state, a new store and empty output
// and temporary folders, and knows which log manager lines are its own.
class ExtractionTest : public ::testing::Test {
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

  TestStore store_{ExtractionEnvironment::Get().StorePath()};
  TempFolder output_;
  TempFolder temp_;
  size_t first_line_ = 0;
  std::string console_;
};

#endif  // KORVEL_TMMSGEXTRACTOR_TESTS_EXTRACTION_TEST_SUPPORT_H_
