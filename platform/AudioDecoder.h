#pragma once
// The compression-manager layer: turns the payload of a WAV "data" chunk,
// described by the file's own "fmt " chunk, into 16-bit stereo frames at the
// source rate. 8- and 16-bit PCM are converted here; every other payload
// (24/32-bit integer, float, ADPCM, A-law, mu-law, GSM 6.10, extensible
// formats...) is decoded by libsndfile from an in-memory RIFF image made of
// the given "fmt " and "data" bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolbox/FrameMemory.h"

namespace vs {

constexpr uint16_t WaveFormatPCM = 0x0001;
constexpr uint16_t WaveFormatMSADPCM = 0x0002;
constexpr uint16_t WaveFormatIEEEFloat = 0x0003;
constexpr uint16_t WaveFormatIMAADPCM = 0x0011;
constexpr uint16_t WaveFormatGSM610 = 0x0031;
constexpr uint16_t WaveFormatExtensible = 0xFFFE;

// The fields of a "fmt " chunk (a wave format record as files store it).
struct TWaveFormat {
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SamplesPerSec = 0;
  uint32_t AvgBytesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
  uint16_t ExtraSize = 0;  // bytes that follow the 18-byte record
  // The format tag with WAVE_FORMAT_EXTENSIBLE resolved to its sub-format.
  uint16_t EffectiveTag = 0;
};

// Reads a "fmt " chunk of `size` bytes. False when it is shorter than 16
// bytes, or when a compressed format declares more extra bytes than the
// chunk holds (or an extensible one fewer than 22).
bool ReadWaveFormat(const uint8_t* fmt, size_t size, TWaveFormat& out);

// Result of DecodeToStereo16.
enum TDecodeResult : int {
  DecodeOK = 0,
  DecodeBadFormat = 1,    // no channels, no rate, or a layout nothing here reads
  DecodeUnsupported = 2,  // libsndfile cannot open the payload
  DecodeFailed = 3,       // decoding stopped with an error, or produced no frames
  DecodeTooLong = 4,      // more than `maxFrames` frames
};

// Decodes `data` (the payload of a "data" chunk) as described by the raw
// "fmt " chunk `fmt` into interleaved 16-bit stereo frames at the source
// rate: mono is doubled, more than two channels keep the first two. A payload
// cut short yields the whole frames that are there. On failure `frames` is
// empty. The frames are written once, straight into their memory.
int DecodeToStereo16(const uint8_t* fmt, size_t fmtSize, const uint8_t* data, size_t dataSize,
                     TFrames& frames, int64_t maxFrames = int64_t(1) << 28);

}  // namespace vs
