#include "korvel/sample/prng.h"

namespace korvel_sample {

Prng Prng::ForPart(std::uint64_t seed, std::string_view part) {
  // FNV-1a of the part's name, mixed into the seed.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (char c : part) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  Prng mixer(seed ^ hash);
  return Prng(mixer.Next());
}

std::uint64_t Prng::Next() {
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::uint64_t Prng::Below(std::uint64_t bound) {
  // Rejecting the top partial range keeps every value equally likely.
  const std::uint64_t limit = ~std::uint64_t{0} - (~std::uint64_t{0} % bound);
  std::uint64_t value;
  do {
    value = Next();
  } while (value >= limit);
  return value % bound;
}

int Prng::Between(int low, int high) {
  return low + static_cast<int>(Below(static_cast<std::uint64_t>(high - low) + 1));
}

bool Prng::Percent(int chance) { return static_cast<int>(Below(100)) < chance; }

std::string Prng::ObjectId() {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  id.reserve(36);
  std::uint64_t bits[2] = {Next(), Next()};
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) id.push_back('-');
    id.push_back(kHex[(bits[i / 16] >> ((i % 16) * 4)) & 0xF]);
  }
  return id;
}

}  // namespace korvel_sample
