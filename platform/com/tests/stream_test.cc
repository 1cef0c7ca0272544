#include "platform/com/stream.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com/com_ptr.h"

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

TEST(MemoryStream, SeeksAndReadsAtTheEdges) {
  ComPtr<IStream> owner;
  ASSERT_EQ(CreateStreamOnMemory("0123456789", 10, owner.ReleaseAndGetAddressOf()), S_OK);
  IStream* stream = owner.Get();
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

}  // namespace
