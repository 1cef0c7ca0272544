#include "platform/com/stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "platform/com/com_object.h"

namespace {

constexpr ULONGLONG kMaxPosition = static_cast<ULONGLONG>(std::numeric_limits<LONGLONG>::max());

// The position a Seek asks for, or false when it lies before the start or
// beyond what a 64-bit signed offset can hold.
bool TargetPosition(ULONGLONG position, ULONGLONG size, LARGE_INTEGER move, DWORD origin,
                    ULONGLONG* target) {
  LONGLONG base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      base = 0;
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<LONGLONG>(position);
      break;
    case STREAM_SEEK_END:
      base = static_cast<LONGLONG>(size);
      break;
    default:
      return false;
  }
  LONGLONG result = 0;
  if (__builtin_add_overflow(base, move.QuadPart, &result) || result < 0) return false;
  *target = static_cast<ULONGLONG>(result);
  return true;
}

HRESULT FillStat(STATSTG* stat, ULONGLONG size, DWORD mode) {
  if (stat == nullptr) return STG_E_INVALIDPOINTER;
  *stat = STATSTG{};
  stat->type = STGTY_STREAM;
  stat->cbSize.QuadPart = size;
  stat->grfMode = mode;
  return S_OK;
}

class MemoryStream final : public ComObject<IStream> {
 public:
  explicit MemoryStream(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

  HRESULT Read(void* buffer, ULONG count, ULONG* bytes_read) override {
    if (bytes_read != nullptr) *bytes_read = 0;
    if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
    ULONG available = 0;
    if (position_ < bytes_.size()) {
      available = static_cast<ULONG>(std::min<ULONGLONG>(count, bytes_.size() - position_));
      std::memcpy(buffer, bytes_.data() + position_, available);
      position_ += available;
    }
    if (bytes_read != nullptr) *bytes_read = available;
    return S_OK;
  }

  HRESULT Write(const void* buffer, ULONG count, ULONG* bytes_written) override {
    if (bytes_written != nullptr) *bytes_written = 0;
    if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
    ULONGLONG end = position_ + count;
    if (end > bytes_.max_size() || end > kMaxPosition) return STG_E_MEDIUMFULL;
    try {
      if (end > bytes_.size()) bytes_.resize(static_cast<std::size_t>(end));
    } catch (const std::bad_alloc&) {
      return STG_E_MEDIUMFULL;
    }
    if (count != 0) std::memcpy(bytes_.data() + position_, buffer, count);
    position_ = end;
    if (bytes_written != nullptr) *bytes_written = count;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* new_position) override {
    ULONGLONG target = 0;
    if (!TargetPosition(position_, bytes_.size(), move, origin, &target)) return STG_E_INVALIDFUNCTION;
    position_ = target;
    if (new_position != nullptr) new_position->QuadPart = position_;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    if (size.QuadPart > bytes_.max_size()) return STG_E_MEDIUMFULL;
    try {
      bytes_.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
      return STG_E_MEDIUMFULL;
    }
    return S_OK;
  }

  HRESULT Commit(DWORD) override { return S_OK; }

  HRESULT Stat(STATSTG* stat, DWORD) override { return FillStat(stat, bytes_.size(), STGM_READWRITE); }

 private:
  std::vector<BYTE> bytes_;
  ULONGLONG position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnMemory(const void* data, std::size_t size, IStream** stream) {
  if (stream == nullptr) return E_POINTER;
  *stream = nullptr;
  if (data == nullptr && size != 0) return E_INVALIDARG;
  try {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    std::vector<BYTE> copy(bytes, bytes + size);
    ComPtr<MemoryStream> memory = MakeComObject<MemoryStream>(std::move(copy));
    if (!memory) return E_OUTOFMEMORY;
    *stream = memory.Detach();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
