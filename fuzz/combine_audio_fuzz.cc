// CombineAudioStreams over any attachment bytes: the input is one to three
// attachments back to back, each starting at a "RIFF" tag (the first at the
// start, whatever it holds). A success gives a file whose RIFF size matches
// its length; a single attachment comes out at its own length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TmMsgExtractor/MailboxHelper.h"
#include "platform/com/com_object.h"
#include "platform/com/stream.h"

namespace {

constexpr std::size_t kMostAttachments = 3;

class AudioItem : public ComObject<IQoZadListItem> {
 public:
  explicit AudioItem(std::string_view bytes) : bytes_(bytes) {}
  HRESULT get_Item(VARIANT* item) override {
    VariantInit(item);
    IStream* stream = nullptr;
    if (HRESULT hr = CreateStreamOnMemory(bytes_.data(), bytes_.size(), &stream); FAILED(hr)) return hr;
    item->vt = VT_UNKNOWN;
    item->punkVal = stream;
    return S_OK;
  }
  HRESULT get_Key(BSTR* key) override {
    *key = SysAllocString(L"1");
    return S_OK;
  }

 private:
  std::string_view bytes_;
};

class AudioList : public ComObject<IQoZadAudioList> {
 public:
  explicit AudioList(std::vector<std::string_view> attachments) : attachments_(std::move(attachments)) {}
  HRESULT get_Count(LONG* count) override {
    *count = static_cast<LONG>(attachments_.size());
    return S_OK;
  }
  HRESULT First(IQoZadListItem** item) override {
    next_ = 0;
    return Next(item);
  }
  HRESULT Next(IQoZadListItem** item) override {
    *item = nullptr;
    if (next_ == attachments_.size()) return S_FALSE;
    *item = MakeComObject<AudioItem>(attachments_[next_++]).Detach();
    return *item != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::vector<std::string_view> attachments_;
  std::size_t next_ = 0;
};

std::vector<std::string_view> SplitAttachments(std::string_view bytes) {
  std::vector<std::string_view> attachments;
  while (attachments.size() + 1 < kMostAttachments) {
    const std::size_t next = bytes.find("RIFF", 1);
    if (next == std::string_view::npos) break;
    attachments.push_back(bytes.substr(0, next));
    bytes.remove_prefix(next);
  }
  attachments.push_back(bytes);
  return attachments;
}

std::uint32_t LittleEndian32(const unsigned char bytes[4]) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> attachments =
      SplitAttachments(std::string_view(reinterpret_cast<const char*>(data), size));
  ComPtr<AudioList> list = MakeComObject<AudioList>(attachments);
  CMailboxHelper helper(L"amy", L"/nonexistent", L"example.com", 0);
  CCombinedAudio audio;
  if (FAILED(helper.CombineAudioStreams(list.Get(), audio))) return 0;

  // Read in odd pieces, so that the rewritten sizes fall across their ends.
  std::string joined;
  BYTE piece[7];
  for (;;) {
    ULONG read = 0;
    if (FAILED(audio.Read(piece, sizeof piece, &read))) std::abort();
    joined.append(reinterpret_cast<const char*>(piece), read);
    if (read < sizeof piece) break;
  }
  if (joined.size() != audio.Size()) std::abort();
  if (LittleEndian32(reinterpret_cast<const unsigned char*>(joined.data()) + 4) !=
      static_cast<std::uint32_t>(joined.size() - 8)) {
    std::abort();
  }
  if (attachments.size() == 1 && joined.size() != size) std::abort();
  return 0;
}
