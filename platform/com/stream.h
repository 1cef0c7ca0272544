// Byte streams with a 64-bit position: over a block of memory (what the
// message store hands out for an audio attachment).
#ifndef KORVEL_PLATFORM_COM_STREAM_H_
#define KORVEL_PLATFORM_COM_STREAM_H_

#include <cstddef>
#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/hresult.h"
#include "platform/com/unknown.h"
#include "platform/wintypes.h"

using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;

struct LARGE_INTEGER {
  LONGLONG QuadPart;
};
struct ULARGE_INTEGER {
  ULONGLONG QuadPart;
};

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

constexpr DWORD STGM_READ = 0x0;
constexpr DWORD STGM_READWRITE = 0x2;

constexpr DWORD STGC_DEFAULT = 0;

constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STATFLAG_NONAME = 1;

// Streams here keep no name: pwcsName is always null.
struct STATSTG {
  LPOLESTR pwcsName;
  DWORD type;
  ULARGE_INTEGER cbSize;
  DWORD grfMode;
};

class ISequentialStream : public IUnknown {
 public:
  static constexpr GUID kUuid = MakeGuid("0c733a30-2a1c-11ce-ade5-00aa0044773d");
  using BaseInterface = IUnknown;

  // Reads up to `count` bytes at the position and moves past them. Fewer bytes
  // (none at or after the end) is not a failure; *bytes_read says how many.
  virtual HRESULT Read(void* buffer, ULONG count, ULONG* bytes_read) = 0;
  // Writes at the position, growing the stream (zero-filled) as needed.
  virtual HRESULT Write(const void* buffer, ULONG count, ULONG* bytes_written) = 0;
};

class IStream : public ISequentialStream {
 public:
  static constexpr GUID kUuid = MakeGuid("0000000c-0000-0000-c000-000000000046");
  using BaseInterface = ISequentialStream;

  // Moves to `move` bytes from the start, the current position or the end.
  // A position before the start is STG_E_INVALIDFUNCTION and changes nothing;
  // one past the end is allowed.
  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* new_position) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;
  // Makes written data durable (a file is synchronised with its disk).
  virtual HRESULT Commit(DWORD flags) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};

using LPSTREAM = IStream*;

// A read-write stream over its own copy of `size` bytes.
HRESULT CreateStreamOnMemory(const void* data, std::size_t size, IStream** stream);

#endif  // KORVEL_PLATFORM_COM_STREAM_H_
