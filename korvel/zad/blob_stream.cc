#include "korvel/zad/blob_stream.h"

#include <sqlite3.h>

#include <algorithm>

#include "platform/com/com_object.h"

namespace korvel::zad {

namespace {

class BlobStream final : public ComObject<IStream> {
 public:
  BlobStream(std::shared_ptr<Store> store, sqlite3_blob* blob)
      : store_(std::move(store)), blob_(blob), size_(static_cast<ULONGLONG>(sqlite3_blob_bytes(blob))) {}
  ~BlobStream() override { sqlite3_blob_close(blob_); }

  HRESULT Read(void* buffer, ULONG count, ULONG* bytes_read) override {
    if (bytes_read != nullptr) *bytes_read = 0;
    if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
    ULONG available = 0;
    if (position_ < size_) {
      available = static_cast<ULONG>(std::min<ULONGLONG>(count, size_ - position_));
      if (available != 0 &&
          sqlite3_blob_read(blob_, buffer, static_cast<int>(available), static_cast<int>(position_)) != SQLITE_OK) {
        return STG_E_READFAULT;
      }
      position_ += available;
    }
    if (bytes_read != nullptr) *bytes_read = available;
    return S_OK;
  }

  HRESULT Write(const void*, ULONG, ULONG* bytes_written) override {
    if (bytes_written != nullptr) *bytes_written = 0;
    return STG_E_ACCESSDENIED;
  }

  // As over memory: a position before the start is refused, one past the
  // end is allowed and reads nothing.
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* new_position) override {
    LONGLONG base = 0;
    if (origin == STREAM_SEEK_CUR) {
      base = static_cast<LONGLONG>(position_);
    } else if (origin == STREAM_SEEK_END) {
      base = static_cast<LONGLONG>(size_);
    } else if (origin != STREAM_SEEK_SET) {
      return STG_E_INVALIDFUNCTION;
    }
    LONGLONG target = 0;
    if (__builtin_add_overflow(base, move.QuadPart, &target) || target < 0) return STG_E_INVALIDFUNCTION;
    position_ = static_cast<ULONGLONG>(target);
    if (new_position != nullptr) new_position->QuadPart = position_;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }

  HRESULT Commit(DWORD) override { return S_OK; }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = size_;
    stat->grfMode = STGM_READ;
    return S_OK;
  }

 private:
  // The blob handle needs the store's connection to stay open.
  std::shared_ptr<Store> store_;
  sqlite3_blob* blob_;
  const ULONGLONG size_;
  ULONGLONG position_ = 0;
};

}  // namespace

HRESULT NewAudioBlobStream(std::shared_ptr<Store> store, std::int64_t rowid, IStream** stream) {
  if (stream == nullptr) return E_POINTER;
  *stream = nullptr;
  sqlite3_blob* blob = nullptr;
  HRESULT hr = store->OpenBlob("AudioStream", "Data", rowid, &blob);
  if (FAILED(hr)) return hr;
  ComPtr<BlobStream> object = MakeComObject<BlobStream>(std::move(store), blob);
  if (!object) {
    sqlite3_blob_close(blob);
    return E_OUTOFMEMORY;
  }
  *stream = object.Detach();
  return S_OK;
}

}  // namespace korvel::zad
