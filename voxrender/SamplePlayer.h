// The sample player: a WAV file looped at a speed set by a pitch value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "voxrender/Unit.h"

namespace vs::vox {

// A WAV file as unsigned 16-bit mono values (32768 = zero) and its rate.
struct MonoSample {
  std::vector<uint16_t> Values;
  uint32_t Rate = 0;
};

// Reads 8- or 16-bit PCM, mono or stereo, from a RIFF WAVE image; every
// chunk size is bounded by the image. Any other content gives no values.
MonoSample DecodeWAV(const std::vector<unsigned char>& image);
MonoSample ReadWAVFile(const std::string& path);

class SamplePlayer final : public Unit {
 public:
  // pitch: 0 plays at the file's own rate; p changes the speed by a factor
  // of 1 + p / 2400.
  SamplePlayer(MonoSample sample, int32_t pitch);

 protected:
  uint16_t Tick(uint16_t input) override;
  void Modulate(int32_t m) override;

 private:
  void SetPitch(int64_t pitch);

  MonoSample Sample;
  int32_t BasePitch;
  double Speed = 0.0;
  double Position = 0.0;
};

}  // namespace vs::vox
