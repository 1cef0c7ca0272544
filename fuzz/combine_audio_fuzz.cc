// CombineAudioStreams over any attachment bytes: the input is one to three
// attachments back to back, each starting at a "RIFF" tag (the first at the
// start, whatever it holds). A success gives a file whose RIFF size matches
// its length; a single attachment comes out at its own length.
#include <cstring>
#include <utility>

#include "TmMsgExtractor/MailboxHelper.h"
#include "fuzz/fuzz_input.h"
#include "platform/com/com_object.h"
#include "platform/com/stream.h"

namespace {

class AudioItem : public ComObject<IQoZadListItem> {
 public:
  explicit AudioItem(std::string_view bytes) : bytes_(bytes) {}
  HRESULT get_Item(VARIANT* item) override {
    VariantInit(item);
    IStream* stream = nullptr;
    const HRESULT hr = CreateStreamOnMemory(bytes_.data(), bytes_.size(), &stream);
    if (SUCCEEDED(hr)) item->vt = VT_UNKNOWN, item->punkVal = stream;
    return hr;
  }
  HRESULT get_Key(BSTR* key) override { return (*key = SysAllocString(L"1")) != nullptr ? S_OK : E_OUTOFMEMORY; }

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string_view> attachments;
  std::string_view rest = Bytes(data, size);
  for (std::size_t next; attachments.size() < 2 && (next = rest.find("RIFF", 1)) != std::string_view::npos;) {
    attachments.push_back(rest.substr(0, next));
    rest.remove_prefix(next);
  }
  attachments.push_back(rest);
  CMailboxHelper helper(L"amy", L"/nonexistent", L"example.com", 0);
  CCombinedAudio audio;
  const ComPtr<AudioList> list = MakeComObject<AudioList>(attachments);
  if (FAILED(helper.CombineAudioStreams(list.Get(), audio))) return 0;

  // Read in odd pieces, so that the rewritten sizes fall across their ends.
  std::string joined;
  BYTE piece[7];
  for (ULONG read = sizeof piece; read == sizeof piece;) {
    Require(SUCCEEDED(audio.Read(piece, sizeof piece, &read)));
    joined.append(reinterpret_cast<const char*>(piece), read);
  }
  Require(joined.size() >= 8);
  std::uint32_t riff_size = 0;  // little-endian, as the host
  std::memcpy(&riff_size, joined.data() + 4, sizeof riff_size);
  Require(joined.size() == audio.Size() && riff_size == joined.size() - 8);
  Require(attachments.size() > 1 || joined.size() == size);
  return 0;
}
