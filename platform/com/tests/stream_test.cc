#include "platform/com/stream.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com/com_ptr.h"
#include "platform/eventlog/tests/temp_folder.h"

namespace {

LARGE_INTEGER Offset(LONGLONG value) { return LARGE_INTEGER{value}; }

ULONGLONG SeekTo(IStream* stream, LONGLONG move, DWORD origin) {
  ULARGE_INTEGER position{~0ull};
  EXPECT_EQ(stream->Seek(Offset(move), origin, &position), S_OK);
  return position.QuadPart;
}

std::string ReadAll(IStream* stream, ULONG count) {
  std::string bytes(count, '\0');
  ULONG read = 0;
  EXPECT_EQ(stream->Read(bytes.data(), count, &read), S_OK);
  bytes.resize(read);
  return bytes;
}

// The same seek and read rules hold for both kinds of stream.
void CheckSeekAndReadEdges(IStream* stream) {
  EXPECT_EQ(SeekTo(stream, 0, STREAM_SEEK_END), 10u);
  EXPECT_EQ(SeekTo(stream, 0, STREAM_SEEK_SET), 0u);
  EXPECT_EQ(ReadAll(stream, 4), "0123");
  EXPECT_EQ(SeekTo(stream, 2, STREAM_SEEK_CUR), 6u);
  EXPECT_EQ(ReadAll(stream, 100), "6789");  // a short read is not a failure
  EXPECT_EQ(ReadAll(stream, 5), "");        // nor is a read at the end
  EXPECT_EQ(SeekTo(stream, -3, STREAM_SEEK_END), 7u);
  EXPECT_EQ(ReadAll(stream, 1), "7");

  // Before the start: refused, and the position stays where it was.
  ULARGE_INTEGER position{};
  EXPECT_EQ(stream->Seek(Offset(-9), STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(stream->Seek(Offset(-1), STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(stream->Seek(Offset(0), 7, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(SeekTo(stream, 0, STREAM_SEEK_CUR), 8u);

  // Past the end is a place to read nothing from, not an error.
  EXPECT_EQ(SeekTo(stream, 1000, STREAM_SEEK_END), 1010u);
  EXPECT_EQ(ReadAll(stream, 4), "");
  EXPECT_EQ(stream->Seek(Offset(0x7FFFFFFFFFFFFFFF), STREAM_SEEK_CUR, &position), STG_E_INVALIDFUNCTION);

  EXPECT_EQ(stream->Commit(0), S_OK);
  STATSTG stat;
  ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.cbSize.QuadPart, 10u);
  EXPECT_EQ(stat.type, STGTY_STREAM);
}

TEST(MemoryStream, SeeksAndReadsAtTheEdges) {
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnMemory("0123456789", 10, stream.ReleaseAndGetAddressOf()), S_OK);
  CheckSeekAndReadEdges(stream.Get());
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, stream.ReleaseAndGetAddressOf()), S_OK);
  SeekTo(stream.Get(), 3, STREAM_SEEK_SET);
  ULONG written = 0;
  ASSERT_EQ(stream->Write("ab", 2, &written), S_OK);
  EXPECT_EQ(written, 2u);
  SeekTo(stream.Get(), 0, STREAM_SEEK_SET);
  EXPECT_EQ(ReadAll(stream.Get(), 10), std::string("\0\0\0ab", 5));
  EXPECT_EQ(CreateStreamOnMemory(nullptr, 4, stream.ReleaseAndGetAddressOf()), E_INVALIDARG);
}

class FileStreamTest : public ::testing::Test {
 protected:
  TempFolder folder_;
};

TEST_F(FileStreamTest, SeeksAndReadsAtTheEdges) {
  const std::string path = folder_ / "ten.bin";
  WriteFile(path, "0123456789");
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnFile(path, STGM_READ, stream.ReleaseAndGetAddressOf()), S_OK);
  CheckSeekAndReadEdges(stream.Get());
  ULONG written = 7;
  EXPECT_EQ(stream->Write("x", 1, &written), STG_E_ACCESSDENIED);
  EXPECT_EQ(written, 0u);
}

TEST_F(FileStreamTest, CreatesWritesAndReadsBack) {
  const std::string path = folder_ / "new.bin";
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnFile(path, STGM_READWRITE | STGM_CREATE, stream.ReleaseAndGetAddressOf()), S_OK);
  ULONG written = 0;
  ASSERT_EQ(stream->Write("RIFF----WAVE", 12, &written), S_OK);
  SeekTo(stream.Get(), 4, STREAM_SEEK_SET);
  ASSERT_EQ(stream->Write("\x04\0\0\0", 4, &written), S_OK);
  EXPECT_EQ(stream->Commit(STGC_DEFAULT), S_OK);
  stream.Reset();
  EXPECT_EQ(ReadFile(path), std::string("RIFF\x04\0\0\0WAVE", 12));
}

TEST_F(FileStreamTest, ReportsMissingFilesAndFolders) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnFile(folder_ / "absent.bin", STGM_READ, stream.ReleaseAndGetAddressOf()),
            STG_E_FILENOTFOUND);
  EXPECT_EQ(CreateStreamOnFile(folder_.path(), STGM_READ, stream.ReleaseAndGetAddressOf()), STG_E_ACCESSDENIED);
  EXPECT_EQ(CreateStreamOnFile(folder_ / "x", STGM_READ | STGM_CREATE, stream.ReleaseAndGetAddressOf()),
            STG_E_INVALIDFLAG);
  EXPECT_FALSE(stream);
}

}  // namespace
