#pragma once
// Standard MIDI File export of the song or of the current pattern: a format
// 0 file (one track) at 120 ticks per quarter note, one step being a
// sixteenth note of 30 ticks. Only channels with a MIDI note make notes; the
// samples play no part.
//
// The track: the tempo, then for every channel its set-up (bank, program,
// pan, controller start values), then step after step the note-ons of the
// step (each after its pan controller), 14 ticks later their note-offs, and
// 16 ticks after that the next step. The track ends where the last step
// ends, so a pattern of 16 steps is exactly one 4/4 bar (480 ticks).
//
// The same bytes go to a ".mid" file (SaveSongAsMIDI) or, on the window
// side, to the clipboard under the format MIDIClipboardFormatName.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolbox/SafeFile.h"

namespace vs {

class TSong;

// The name the clipboard format of the image is registered under.
constexpr const char* MIDIClipboardFormatName = "Standard MIDI File";

constexpr int MIDITicksPerQuarter = 120;
constexpr int MIDITicksPerStep = 30;
constexpr int MIDINoteTicks = 14;  // from a step's note-ons to its note-offs
constexpr size_t MIDIHeaderSize = 22;  // "MThd" chunk and the "MTrk" header
// Images are refused past this size (EFBIG): far beyond any real song, and
// well inside the 32-bit track length.
constexpr size_t MaxMIDIImageSize = size_t(1) << 30;

struct TMIDIExportOptions {
  // True: every bar of the song up to its end (ComputeSongEnd). False: the
  // current pattern once (the pattern-to-clipboard command in pattern
  // mode).
  bool MIDIExportWholeSong = true;
  // How a channel's bank is sent: 0 controller 0 = bank; otherwise
  // controller 0 = 0 then controller 32 = bank (TPreferences).
  int BankSelectMethod = 0;
  // Picks an index 0..count-1 for channels with several random choices;
  // none: a uniform pick of the exporter's own generator.
  std::function<int(int count)> Random;
  // The largest image built (tests lower it).
  size_t MaxImageSize = MaxMIDIImageSize;
};

// Builds the file image. Fails as "file too large" (EFBIG, image empty) when
// it would pass the options' MaxImageSize. A whole-song export sets the
// playlist's SongEndBar.
TWriteResult BuildMIDIFile(TSong& song, std::vector<uint8_t>& image, const TMIDIExportOptions& options = {});

// Builds the image and writes it to a file through a temporary name in the
// target's folder, replacing the file only after a complete, checked write.
// Failed with the system's reason when it could not (an existing file stays
// intact).
TWriteResult SaveSongAsMIDI(const std::string& fileName, TSong& song, const TMIDIExportOptions& options = {});

// A MIDI variable-length quantity: 7 bits a byte, most significant group
// first, bit 7 set on every byte but the last (values up to 2^28 - 1).
std::vector<uint8_t> EncodeMIDIDelta(uint32_t value);

}  // namespace vs
