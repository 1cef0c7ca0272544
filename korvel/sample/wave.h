// Short recordings for the sample: synthetic tones as whole RIFF WAVE files,
// 16-bit mono PCM, in the header layouts the server's recordings come in.
#ifndef KORVEL_SAMPLE_WAVE_H_
#define KORVEL_SAMPLE_WAVE_H_

#include <cstdint>
#include <string>

namespace korvel_sample {

inline constexpr std::uint32_t kSampleRate = 8000;

enum class WaveLayout {
  kCanonical,       // 16-byte format chunk, then data: the 44-byte header
  kWithFactChunk,   // a 12-byte fact chunk between the format and data chunks
  kFormatWithSize,  // 18-byte format chunk (with its extra-size field), then data
};

struct Tone {
  std::uint32_t sample_count = 0;
  std::uint16_t low_hz = 0;   // the tone is the sum of two pitches,
  std::uint16_t high_hz = 0;  // like a telephone key
  WaveLayout layout = WaveLayout::kCanonical;
};

// The whole file. Samples come from integer arithmetic only, so the bytes are
// the same on every machine.
std::string EncodeToneWave(const Tone& tone);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_WAVE_H_
