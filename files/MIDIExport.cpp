#include "files/MIDIExport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "model/MixerLock.h"
#include "model/Song.h"
#include "files/SongFile.h"
#include "toolbox/SafeFile.h"

namespace vs {

std::vector<uint8_t> EncodeMIDIDelta(uint32_t value) {
  value &= 0x0FFFFFFF;
  std::vector<uint8_t> out;
  int shift = 21;
  while (shift > 0 && (value >> shift) == 0) shift -= 7;
  for (; shift > 0; shift -= 7) out.push_back(static_cast<uint8_t>(0x80 | ((value >> shift) & 0x7F)));
  out.push_back(static_cast<uint8_t>(value & 0x7F));
  return out;
}

namespace {

// Every message asks for this much room first.
constexpr size_t MessageRoom = 16;

uint8_t DataByte(int64_t v) { return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 127)); }

class TMIDIBuilder {
public:
  TMIDIBuilder(TSong& song, const TMIDIExportOptions& options)
      : Song(song), Options(options), Buf(MIDIHeaderSize) {
    MasterVolume = std::clamp(song.MasterVolume.load(), 0, 128);
    PitchShift = song.MasterPitch.load() / 100;
    List.reserve(PatternSlots);
    if (!Options.Random) Generator.seed(std::random_device{}());
  }

  TWriteResult Build(std::vector<uint8_t>& image) {
    image.clear();
    const int bpm = std::clamp(Song.BPM, MinBPM, MaxBPM);
    const uint32_t tempo = 60000000u / static_cast<uint32_t>(bpm);
    Event({0xFF, 0x51, 0x03, uint8_t(tempo >> 16), uint8_t(tempo >> 8), uint8_t(tempo)});
    for (const auto& c : Song.Channels) SetUp(*c);

    const int length = std::clamp(Song.PatternLength(), 1, MaxSteps);
    if (Options.MIDIExportWholeSong) {
      int last;
      {
        MixerGuard lock;  // SongEndBar is shared with the render
        Song.Playlist.ComputeSongEnd();
        last = Song.Playlist.SongEndBar;
      }
      // Past bar 998 no pattern number is left to play, whatever a stored
      // selection says.
      last = std::clamp(last, 0, MaxPattern - 1);
      for (int bar = 0; bar <= last && !TooLarge; ++bar) {
        Song.Playlist.PatternsAtBar(bar, List);
        WriteSteps(length);
      }
    } else {
      List.assign(1, Song.CurrentPattern);
      WriteSteps(length);
    }

    // The track ends where the last step ends.
    Event({0xFF, 0x2F, 0x00});
    if (TooLarge) return {EFBIG};

    uint8_t* p = Buf.Data();
    const uint32_t track = static_cast<uint32_t>(Buf.Position() - MIDIHeaderSize);
    const uint8_t head[MIDIHeaderSize] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1,
                                          0, MIDITicksPerQuarter, 'M', 'T', 'r', 'k',
                                          uint8_t(track >> 24), uint8_t(track >> 16),
                                          uint8_t(track >> 8), uint8_t(track)};
    std::memcpy(p, head, MIDIHeaderSize);
    image = Buf.Take();
    return {};
  }

private:
  struct TNoteOff {
    uint8_t Status, Key, Velocity;
  };

  // One event at the current time: its delta, then the bytes.
  void Event(std::initializer_list<uint8_t> bytes) {
    if (TooLarge) return;
    if (Buf.Position() + MessageRoom > Options.MaxImageSize) {
      TooLarge = true;
      return;
    }
    Buf.Reserve(MessageRoom);
    for (uint8_t b : EncodeMIDIDelta(static_cast<uint32_t>(Time - LastTime))) Buf.PutByte(b);
    LastTime = Time;
    for (uint8_t b : bytes) Buf.PutByte(b);
  }

  void SetUp(const TChannel& ch) {
    const uint8_t c = static_cast<uint8_t>(ch.MidiChannel & 15);
    if (ch.MidiBank < 128) {
      if (Options.BankSelectMethod == 0) {
        Event({uint8_t(0xB0 + c), 0, ch.MidiBank});
      } else {
        Event({uint8_t(0xB0 + c), 0, 0});
        Event({uint8_t(0xB0 + c), 32, ch.MidiBank});
      }
    }
    if (ch.MidiProgram < 128) Event({uint8_t(0xC0 + c), ch.MidiProgram});
    if (ch.Pan != 64) Event({uint8_t(0xB0 + c), 10, DataByte(ch.Pan)});
    for (int i = 0; i < 128; ++i)
      if (ch.ControllerStart[i] < 128) Event({uint8_t(0xB0 + c), uint8_t(i), ch.ControllerStart[i]});
  }

  void WriteSteps(int length) {
    for (int step = 0; step < length && !TooLarge; ++step) {
      Offs.clear();
      for (int k = static_cast<int>(List.size()) - 1; k >= 0; --k)
        for (int i = 0; i < Song.ChannelCount(); ++i) StepNotes(List[k], step, i);
      Time += MIDINoteTicks;
      for (const TNoteOff& off : Offs) Event({off.Status, off.Key, off.Velocity});
      Time += MIDITicksPerStep - MIDINoteTicks;
    }
  }

  // The notes one channel's step makes in one pattern.
  void StepNotes(int pattern, int step, int index) {
    const TChannel& own = *Song.Channels[index];
    if (!own.Enabled || own.MidiNote > 127 || !own.Steps.IsStepOn(pattern, step)) return;
    const TStepBlock* block = own.Steps.Block(pattern);
    if (block == nullptr) return;
    const int v = block->Get(step, PlaneVol);
    const int m = block->Get(step, PlaneMix);
    // A target outside the channel list is the channel itself.
    const int target = Song.Channel(own.MixTarget) != nullptr ? own.MixTarget : index;
    if (target != index && m != 0) {
      const int share = v * m / 127;
      Note(target, share, own, *block, step);
      if (share < v) Note(index, v - share, own, *block, step);
    } else {
      Note(index, v, own, *block, step);
    }
  }

  // A note on channel `target` (or one of its random choices) with the
  // planes of the step's own channel.
  void Note(int target, int velocity, const TChannel& own, const TStepBlock& block, int step) {
    const TChannel* x = Song.Channel(target);
    if (x == nullptr) return;
    const int choices = static_cast<int>(x->RandomChoice.size());
    if (choices > 1) {
      const int pick = Pick(choices);
      // An entry that names no channel leaves the channel itself.
      if (pick >= 0 && pick < choices)
        if (const TChannel* chosen = Song.Channel(x->RandomChoice[pick])) x = chosen;
    }
    if (x->MidiNote > 127) return;
    const int64_t volume = std::clamp(x->Volume, 0, 127);
    const uint8_t vel = DataByte(volume * velocity * MasterVolume / 12800);
    int64_t key = int64_t(block.Get(step, PlaneNote)) + x->MidiNote - 60;
    if (x->Pitchable) key += PitchShift;
    if (key < 0 || key > 127) return;  // no such key: nothing sounds
    const uint8_t c = static_cast<uint8_t>(x->MidiChannel & 15);
    const uint8_t pan = DataByte(int64_t(block.Get(step, PlanePan)) + x->Pan - 64);
    Event({uint8_t(0xB0 + c), 10, pan});
    Event({uint8_t(0x90 + c), uint8_t(key), vel});
    const int64_t ownVolume = std::clamp(own.Volume, 0, 127);
    Offs.push_back({uint8_t(0x80 + c), uint8_t(key), DataByte(MasterVolume * ownVolume / 128)});
  }

  int Pick(int count) {
    if (Options.Random) return Options.Random(count);
    return std::uniform_int_distribution<int>(0, count - 1)(Generator);
  }

  TSong& Song;
  const TMIDIExportOptions& Options;
  TSongImageBuffer Buf;
  int64_t MasterVolume = 128;
  int64_t PitchShift = 0;
  int64_t Time = 0;
  int64_t LastTime = 0;
  bool TooLarge = false;
  std::vector<int> List;
  std::vector<TNoteOff> Offs;
  std::minstd_rand Generator;
};

}  // namespace

TWriteResult BuildMIDIFile(TSong& song, std::vector<uint8_t>& image, const TMIDIExportOptions& options) {
  return TMIDIBuilder(song, options).Build(image);
}

TWriteResult SaveSongAsMIDI(const std::string& fileName, TSong& song, const TMIDIExportOptions& options) {
  std::vector<uint8_t> image;
  if (const TWriteResult built = BuildMIDIFile(song, image, options); !built) return built;
  return WriteFileSafely(fileName, image.data(), image.size());
}

}  // namespace vs
