#include "platform/com/bstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

namespace {

using ByteCount = std::uint32_t;
// The characters follow the count directly, so the count must keep them aligned.
static_assert(sizeof(ByteCount) % alignof(OLECHAR) == 0);

ByteCount* PrefixOf(BSTR bstr) { return reinterpret_cast<ByteCount*>(bstr) - 1; }

// The allocation is [byte count][characters][terminating zero].
BSTR Allocate(UINT length) {
  constexpr UINT kMaxLength = (std::numeric_limits<ByteCount>::max() - sizeof(ByteCount)) / sizeof(OLECHAR) - 1;
  if (length > kMaxLength) return nullptr;
  std::size_t bytes = sizeof(ByteCount) + (static_cast<std::size_t>(length) + 1) * sizeof(OLECHAR);
  auto* block = static_cast<ByteCount*>(std::malloc(bytes));
  if (block == nullptr) return nullptr;
  *block = static_cast<ByteCount>(length * sizeof(OLECHAR));
  BSTR text = reinterpret_cast<BSTR>(block + 1);
  text[length] = L'\0';
  return text;
}

}  // namespace

BSTR SysAllocString(LPCOLESTR text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

BSTR SysAllocStringLen(LPCOLESTR text, UINT length) {
  BSTR copy = Allocate(length);
  if (copy == nullptr) return nullptr;
  if (text != nullptr) {
    std::wmemcpy(copy, text, length);
  } else {
    std::wmemset(copy, L'\0', length);
  }
  return copy;
}

void SysFreeString(BSTR bstr) {
  if (bstr != nullptr) std::free(PrefixOf(bstr));
}

UINT SysStringLen(BSTR bstr) { return bstr == nullptr ? 0 : *PrefixOf(bstr) / sizeof(OLECHAR); }
