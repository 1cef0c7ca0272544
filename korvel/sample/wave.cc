#include "korvel/sample/wave.h"

#include <algorithm>

namespace korvel_sample {
namespace {

void PutU16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

// A triangle wave from a 32-bit phase, in [-32768, 32766].
std::int32_t Triangle(std::uint32_t phase) {
  const std::int32_t top = static_cast<std::int32_t>(phase >> 16);
  return top < 32768 ? top * 2 - 32768 : (65535 - top) * 2 - 32768;
}

std::uint32_t PhaseStep(std::uint16_t hz) {
  return static_cast<std::uint32_t>((std::uint64_t{hz} << 32) / kSampleRate);
}

}  // namespace

std::string EncodeToneWave(const Tone& tone) {
  constexpr std::uint16_t kChannels = 1;
  constexpr std::uint16_t kBitsPerSample = 16;
  constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
  const std::uint32_t data_size = tone.sample_count * kBlockAlign;
  const std::uint32_t format_size = tone.layout == WaveLayout::kFormatWithSize ? 18 : 16;
  const std::uint32_t fact_size = tone.layout == WaveLayout::kWithFactChunk ? 12 : 0;

  std::string out;
  out.reserve(12 + 8 + format_size + fact_size + 8 + data_size);
  out += "RIFF";
  PutU32(out, 4 + 8 + format_size + fact_size + 8 + data_size);
  out += "WAVEfmt ";
  PutU32(out, format_size);
  PutU16(out, 1);  // PCM
  PutU16(out, kChannels);
  PutU32(out, kSampleRate);
  PutU32(out, kSampleRate * kBlockAlign);
  PutU16(out, kBlockAlign);
  PutU16(out, kBitsPerSample);
  if (format_size == 18) PutU16(out, 0);
  if (fact_size != 0) {
    out += "fact";
    PutU32(out, 4);
    PutU32(out, tone.sample_count);
  }
  out += "data";
  PutU32(out, data_size);

  // A 10 ms fade at each end keeps the tone from clicking.
  const std::uint32_t fade = kSampleRate / 100;
  const std::uint32_t low_step = PhaseStep(tone.low_hz);
  const std::uint32_t high_step = PhaseStep(tone.high_hz);
  std::uint32_t low_phase = 0;
  std::uint32_t high_phase = 0;
  for (std::uint32_t i = 0; i < tone.sample_count; ++i) {
    const std::uint32_t edge = std::min(i, tone.sample_count - 1 - i);
    const std::int32_t envelope = static_cast<std::int32_t>(std::min(edge, fade));
    // Each pitch at a quarter of full scale leaves headroom for the sum.
    std::int32_t sample = (Triangle(low_phase) + Triangle(high_phase)) / 4;
    sample = sample * envelope / static_cast<std::int32_t>(fade);
    PutU16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(sample)));
    low_phase += low_step;
    high_phase += high_step;
  }
  return out;
}

}  // namespace korvel_sample
