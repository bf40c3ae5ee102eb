#pragma once
// The song file (".zmp") and its writer. The file is two chunks, each a
// four-character id and a 32-bit little-endian body length: "ZMhd" (format
// 0, channel count, 16) and "ZMdt", the events back to back. An event is an
// id byte and a payload whose form the id fixes: ids 0..63 one byte, 64..127
// a 16-bit word, 128..191 a 32-bit value, 192..255 a length in 7-bit groups
// (least significant first, bit 7 set on every byte but the last) and that
// many bytes. Texts are Windows-1252 with a terminating NUL counted in the
// length.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/SongHost.h"
#include "toolbox/SafeFile.h"

namespace vs {

class TSong;

// The version text written as event 199. Files of versions before 1.3.61
// store cutoff and resonance on an older scale, so a text below that is
// never written.
extern const char* const ProgramVersionText;
constexpr int32_t FirstWheelScaleVersion = 1003061;

constexpr uint32_t SongHeaderChunkLength = 6;
constexpr size_t SongDataOffset = 22;  // first event of a file we write
constexpr size_t SongImageGrowth = 65536;

// Event ids (payload form by id range, see above).
enum SongEventId : uint8_t {
  EvEnabled = 0, EvVolume = 2, EvPan = 3, EvMidiChannel = 4, EvMidiNote = 5,
  EvMidiProgram = 6, EvMidiBank = 7, EvSongMode = 9, EvShowInfo = 10,
  EvMasterSwing = 11, EvMasterVolume = 12, EvOldStretch = 13, EvPitchable = 14,
  EvCollapsed = 15, EvEchoSwing = 16, EvPatternLength = 17, EvStepsPerBlock = 18,
  EvLooped = 19, EvPingPong = 20, EvKind = 21, EvEffectTrack = 22,
  EvChannel = 64, EvPattern = 65, EvTempo = 66, EvCurrentPattern = 67,
  EvOldSteps = 68, EvFirstEffect = 69, EvOptions = 70, EvCutoff = 71,
  EvStepVol = 72, EvStepPan = 73, EvPreAmp = 74, EvDecay = 75, EvAttack = 76,
  EvStepNote = 77, EvStepPitch = 78, EvStepMix = 79, EvMasterPitch = 80,
  EvRandomChoice = 81, EvMixTarget = 82, EvResonance = 83, EvMarker = 84,
  EvStereoDelay = 85, EvPhaser = 86, EvStepReso = 87, EvStepCutoff = 88,
  EvShift = 89, EvStepFlags = 91, EvStepShift = 92,
  EvColor = 128, EvPlaylist = 129, EvOldEcho = 130, EvSecondEffect = 131,
  EvCutGroups = 132, EvRackHeight = 133, EvRootNote = 135, EvMasterFilter = 137,
  EvEchoFilter = 138, EvReverb = 139, EvStretch = 140, EvRenderNote = 141,
  EvChannelName = 192, EvPatternName = 193, EvTitle = 194, EvPlainInfo = 195,
  EvSampleFile = 196, EvWebAddress = 197, EvInfoRTF = 198, EvVersion = 199,
  EvPluginName = 201, EvControllers = 208, EvChannelEcho = 209, EvSynthParams = 210,
  EvSongEcho = 211, EvPluginSlot = 212, EvPluginParams = 213
};

// The word event of each step plane, in plane order.
extern const uint8_t StepEventIds[9];

// The growing memory block a song image (and a MIDI file image) is built
// in: 65536 bytes at first; a write that would not fit grows the block to
// the need plus 65536.
class TSongImageBuffer {
public:
  // The first write goes to `start`; the bytes before it are zero (room for
  // headers filled in at the end).
  explicit TSongImageBuffer(size_t start = SongDataOffset);

  // Makes room for `request` bytes at the write position.
  void Reserve(size_t request);
  size_t Position() const { return Pos; }
  size_t Capacity() const { return Block.size(); }
  // Raw bytes at the write position; room must have been reserved.
  void PutByte(uint8_t b) { Put(b); }
  // The block itself, for filling in headers.
  uint8_t* Data() { return Block.data(); }
  // Hands out the image shrunk to the write position; the buffer is empty
  // afterwards.
  std::vector<uint8_t> Take();

  void WriteByteEvent(uint8_t id, uint8_t value);
  void WriteWordEvent(uint8_t id, uint16_t value);
  void WriteLongEvent(uint8_t id, uint32_t value);
  // A text (UTF-8 in the model) as Windows-1252 with its NUL.
  void WriteTextEvent(uint8_t id, const std::string& text);
  void WriteDataEvent(uint8_t id, const void* data, size_t size);

  // Writes the two chunk headers and hands out the image shrunk to its size.
  std::vector<uint8_t> Finish(int channelCount);

private:
  void Put(uint8_t b) { Block[Pos++] = b; }
  void PutLength(size_t length);
  std::vector<uint8_t> Block;
  size_t Pos;
};

// The length prefix of a text or data event.
std::vector<uint8_t> EncodeSongLength(size_t length);

// Builds the complete file image of a song. Plug-ins and the rack height
// come from the host (when given).
std::vector<uint8_t> BuildSongImage(const TSong& song, const SongHost& host = {});

// Writes the song to a file: the image goes to a temporary name in the
// target's folder and replaces the file only after a complete, checked
// write. Clears the song's modified flag only then. Failed with the system's
// reason otherwise (the caller reports it; an existing file stays intact).
TWriteResult SaveSong(const std::string& fileName, TSong& song, const SongHost& host = {});

}  // namespace vs
