#pragma once
// Extended Instrument files (".XI"): the first sample of the instrument is
// read into a sample, converted to 16-bit stereo.
//
// Layout (little-endian): 0 the 20 bytes "Extended Instrument:"; 296 the
// sample count (16-bit); 298 one 40-byte header per sample; then the sample
// data, first sample first. Header: 0 data length in bytes, 4 loop start in
// bytes, 8 loop length in bytes (0 = none), 14 type (bits 0-1 loop kind:
// 0 none, 1 forward, 2 ping-pong; bit 4 16-bit data), 18 the sample's name
// (22 bytes, Windows-1252). Data is delta-coded from 0.

#include <cstdint>
#include <string>

#include "model/WAVSample.h"

namespace vs {

enum TXIResult : int {
  XILoaded = 0,
  XICannotOpen = 1,     // missing, unreadable or not a regular file
  XINotInstrument = 2,  // wrong magic, no sample, or headers beyond the file's end
  XICannotMap = 4,      // the file's bytes could not be read
};

constexpr int XIHeaderSize = 298;
constexpr int XISampleHeaderSize = 40;

// What the instrument says about its first sample beyond the frames.
struct TXIInfo {
  std::string XISampleName;  // UTF-8, trailing blanks and zero bytes removed
  int LoopKind = 0;          // type bits 0-1: 0 none, 1 forward, 2 ping-pong (3 counts as ping-pong)
};

// Reads the first sample. On XILoaded the sample was cleared and holds the
// frames (at most as many as the file's bytes hold) and, when the loop
// length is above 0 and the loop keeps at least two frames within the data,
// the loop; Looped is not changed. On any other result the sample is left
// as it was.
int LoadXIFile(const std::string& fileName, TWAVSample& sample, TXIInfo* info = nullptr);

// The same for a file image in memory.
int ReadXIImage(const uint8_t* image, size_t size, TWAVSample& sample, TXIInfo* info = nullptr);

}  // namespace vs
