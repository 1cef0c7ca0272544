// The sample's only source of randomness. Its output depends on nothing but the
// seed, so a seed names one sample exactly, on every machine and library.
#ifndef KORVEL_SAMPLE_PRNG_H_
#define KORVEL_SAMPLE_PRNG_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvel_sample {

// SplitMix64: tiny, fast, and good enough for test data.
class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}

  // An independent stream for one part of the sample, so that changing the
  // size of one part (say the message count) leaves the others as they were.
  static Prng ForPart(std::uint64_t seed, std::string_view part);

  std::uint64_t Next();
  // Uniform in [0, bound); bound must be above 0.
  std::uint64_t Below(std::uint64_t bound);
  // Uniform in [low, high].
  int Between(int low, int high);
  // True with the given chance in percent.
  bool Percent(int chance);
  // A lower-case object id in the 8-4-4-4-12 layout of a GUID.
  std::string ObjectId();

  template <typename Array>
  const auto& Pick(const Array& items) {
    return items[Below(std::size(items))];
  }

 private:
  std::uint64_t state_;
};

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_PRNG_H_
