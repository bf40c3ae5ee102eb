#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "model/Channels.h"
#include "model/SongReset.h"
#include "files/MIDIExport.h"

using namespace vs;
namespace fs = std::filesystem;

namespace {

// One track event as read back: its absolute time and its bytes.
struct MidiEvent {
  int64_t Time;
  std::vector<uint8_t> Bytes;
  bool operator==(const MidiEvent&) const = default;
};

std::ostream& operator<<(std::ostream& os, const MidiEvent& e) {
  os << "@" << e.Time << ":";
  for (uint8_t b : e.Bytes) os << " " << std::hex << int(b) << std::dec;
  return os;
}

uint32_t BigEndian(const std::vector<uint8_t>& img, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | img.at(at + i);
  return v;
}

// Reads an image written without running status; fails the test on any
// malformed header, delta, message or track length.
std::vector<MidiEvent> ParseImage(const std::vector<uint8_t>& img) {
  std::vector<MidiEvent> out;
  EXPECT_GE(img.size(), 22u);
  if (img.size() < 22) return out;
  const std::vector<uint8_t> head = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 120, 'M', 'T', 'r', 'k'};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), img.begin()));
  EXPECT_EQ(BigEndian(img, 18, 4), img.size() - 22);
  size_t p = 22;
  int64_t time = 0;
  bool ended = false;
  while (p < img.size()) {
    EXPECT_FALSE(ended) << "events after the end of track";
    uint32_t delta = 0;
    int n = 0;
    for (;;) {
      const uint8_t b = img.at(p++);
      delta = (delta << 7) | (b & 0x7F);
      ++n;
      if (!(b & 0x80)) break;
      if (n == 4) {
        ADD_FAILURE() << "delta longer than four bytes";
        return out;
      }
    }
    time += delta;
    const uint8_t status = img.at(p);
    EXPECT_GE(status, 0x80) << "running status or stray data at " << p;
    size_t len;
    if (status == 0xFF) {
      len = 3 + img.at(p + 2);
      ended = img.at(p + 1) == 0x2F;
    } else {
      len = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 2 : 3;
      for (size_t i = 1; i < len; ++i) EXPECT_LT(img.at(p + i), 0x80) << "data byte at " << p + i;
    }
    EXPECT_LE(p + len, img.size());
    out.push_back({time, std::vector<uint8_t>(img.begin() + p, img.begin() + std::min(p + len, img.size()))});
    p += len;
  }
  EXPECT_TRUE(ended);
  return out;
}

// The events from the first note on (each note-on follows its pan
// controller) up to the end of track: no tempo, no set-up.
std::vector<MidiEvent> NoteEvents(const std::vector<MidiEvent>& all) {
  for (size_t i = 1; i + 1 < all.size(); ++i)
    if ((all[i].Bytes[0] & 0xF0) == 0x90) return std::vector<MidiEvent>(all.begin() + (i - 1), all.end() - 1);
  return {};
}

std::vector<MidiEvent> WithStatus(const std::vector<MidiEvent>& all, uint8_t high) {
  std::vector<MidiEvent> out;
  for (const auto& e : all)
    if ((e.Bytes[0] & 0xF0) == high) out.push_back(e);
  return out;
}

class MIDIExport : public ::testing::Test {
protected:
  void SetUp() override {
    ResetSongModel(Song);
    Song.BPM = 120;
    Options.MIDIExportWholeSong = false;
  }

  // Channel i plays MIDI note `note` on MIDI channel `midiChannel`.
  TChannel& Midi(int i, int note, int midiChannel) {
    TChannel& c = *Song.Channels[i];
    c.MidiNote = static_cast<uint8_t>(note);
    c.MidiChannel = midiChannel;
    return c;
  }

  void Step(int channel, int pattern, int step, int vol = 100, int key = 60, int pan = 64, int mix = 0) {
    TStepStore& s = Song.Channels[channel]->Steps;
    s.SetStepOn(pattern, step, true);
    s.SetStepValue(pattern, step, uint8_t(vol), PlaneVol);
    s.SetStepValue(pattern, step, uint8_t(key), PlaneNote);
    s.SetStepValue(pattern, step, uint8_t(pan), PlanePan);
    s.SetStepValue(pattern, step, uint8_t(mix), PlaneMix);
  }

  std::vector<uint8_t> Build() {
    std::vector<uint8_t> img;
    EXPECT_TRUE(BuildMIDIFile(Song, img, Options));
    return img;
  }

  std::vector<MidiEvent> Events() { return ParseImage(Build()); }

  TSong Song;
  TMIDIExportOptions Options;
};

fs::path TempDir() {
  fs::path dir = fs::temp_directory_path() / ("vs-midiexport-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

std::vector<uint8_t> ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(MIDIDelta, SevenBitGroupsMostSignificantFirst) {
  using B = std::vector<uint8_t>;
  EXPECT_EQ(EncodeMIDIDelta(0), B({0x00}));
  EXPECT_EQ(EncodeMIDIDelta(127), B({0x7F}));
  EXPECT_EQ(EncodeMIDIDelta(128), B({0x81, 0x00}));
  EXPECT_EQ(EncodeMIDIDelta(480), B({0x83, 0x60}));
  EXPECT_EQ(EncodeMIDIDelta(0x3FFF), B({0xFF, 0x7F}));
  EXPECT_EQ(EncodeMIDIDelta(0x4000), B({0x81, 0x80, 0x00}));
  EXPECT_EQ(EncodeMIDIDelta(0x0FFFFFFF), B({0xFF, 0xFF, 0xFF, 0x7F}));
}

// Four channels without MIDI notes, bank, program or controllers and with
// the pan in the middle: the header, the tempo (120 BPM: 500000 us) and the
// end of the track where the 16 steps of 30 ticks end.
TEST_F(MIDIExport, SilentPatternExactBytes) {
  const std::vector<uint8_t> expected = {
      'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 120, 'M', 'T', 'r', 'k', 0, 0, 0, 12,
      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo
      0x83, 0x60, 0xFF, 0x2F, 0x00};             // 480 ticks later: end of track
  EXPECT_EQ(Build(), expected);
}

TEST_F(MIDIExport, TempoIsMicrosecondsPerQuarterWithBPMBounded) {
  auto tempo = [&](int bpm) {
    Song.BPM = bpm;
    const auto e = Events();
    return BigEndian(e.at(0).Bytes, 3, 3);
  };
  EXPECT_EQ(tempo(120), 500000u);
  EXPECT_EQ(tempo(140), 428571u);
  EXPECT_EQ(tempo(0), 2000000u);   // 30 BPM at least: no division by zero
  EXPECT_EQ(tempo(-7), 2000000u);
  EXPECT_EQ(tempo(5000), 60060u);  // 999 BPM at most
}

TEST_F(MIDIExport, SetUpPerChannelInCollectionOrder) {
  TChannel& a = *Song.Channels[1];
  a.MidiChannel = 3;
  a.MidiBank = 5;
  a.MidiProgram = 10;
  a.Pan = 30;
  a.ControllerStart[0] = 1;
  a.ControllerStart[7] = 100;
  a.ControllerStart[8] = 128;  // not a value: not sent
  TChannel& b = *Song.Channels[2];
  b.MidiChannel = 19;  // bounded to the low four bits, as the live output does
  b.MidiProgram = 200;
  b.MidiBank = 255;
  b.Pan = 300;  // a data byte stays below 128

  using E = MidiEvent;
  auto setUp = [&] {
    auto e = Events();
    return std::vector<MidiEvent>(e.begin() + 1, e.end() - 1);
  };
  Options.BankSelectMethod = 0;
  EXPECT_EQ(setUp(), (std::vector<MidiEvent>{E{0, {0xB3, 0, 5}}, E{0, {0xC3, 10}}, E{0, {0xB3, 10, 30}},
                                             E{0, {0xB3, 0, 1}}, E{0, {0xB3, 7, 100}}, E{0, {0xB3, 10, 127}}}));
  Options.BankSelectMethod = 1;
  EXPECT_EQ(setUp(), (std::vector<MidiEvent>{E{0, {0xB3, 0, 0}}, E{0, {0xB3, 32, 5}}, E{0, {0xC3, 10}},
                                             E{0, {0xB3, 10, 30}}, E{0, {0xB3, 0, 1}}, E{0, {0xB3, 7, 100}},
                                             E{0, {0xB3, 10, 127}}}));
}

// Velocity 100 on volume 100 at master volume 128 gives 100 x 100 x 128 div
// 12800 = 100, and 127 on volume 127 gives min(127, 161); key 62 on MIDI
// note 36 gives 38 for the note-on and its note-off; the note-off velocity
// is master volume x the channel's volume div 128.
TEST_F(MIDIExport, StepTimingVelocityAndKey) {
  Midi(0, 36, 9).Volume = 100;
  Step(0, 1, 2, 100, 62, 70);
  Step(0, 1, 15, 50, 60, 64);
  using E = MidiEvent;
  const auto e = Events();
  EXPECT_EQ(std::vector<MidiEvent>(e.begin() + 1, e.end()),
            (std::vector<MidiEvent>{E{60, {0xB9, 10, 70}}, E{60, {0x99, 38, 100}}, E{74, {0x89, 38, 100}},
                                    E{450, {0xB9, 10, 64}}, E{450, {0x99, 36, 50}}, E{464, {0x89, 36, 100}},
                                    E{480, {0xFF, 0x2F, 0}}}));
  Song.Channels[0]->Volume = 127;
  Song.Channels[0]->Steps.SetStepValue(1, 2, 127, PlaneVol);
  EXPECT_EQ(WithStatus(Events(), 0x90).at(0), (E{60, {0x99, 38, 127}}));

  Song.MasterVolume.store(64);
  Song.Channels[0]->Volume = 127;
  Song.Channels[0]->Pan = 0;
  Song.Channels[0]->Steps.SetStepValue(1, 2, 100, PlaneVol);
  const auto notes = NoteEvents(Events());
  EXPECT_EQ(notes.at(0), (E{60, {0xB9, 10, 6}}));   // 70 + 0 - 64
  EXPECT_EQ(notes.at(1), (E{60, {0x99, 38, 63}}));  // 127 x 100 x 64 div 12800
  EXPECT_EQ(notes.at(2), (E{74, {0x89, 38, 63}}));  // 64 x 127 div 128
}

TEST_F(MIDIExport, OnlyEnabledChannelsWithANoteAndAStepOn) {
  Midi(0, 36, 9);
  Step(0, 1, 0);
  Song.Channels[0]->Enabled = false;
  Song.Channels[1]->MidiNote = MidiNone;  // no note, though its step is on
  Step(1, 1, 1);
  Midi(2, 38, 9);
  Step(2, 1, 2);
  Song.Channels[2]->Steps.SetStepOn(1, 2, false);  // values written, step off
  Midi(3, 200, 9);                                 // not a note (the signed byte is negative)
  Step(3, 1, 3);
  EXPECT_TRUE(NoteEvents(Events()).empty());
}

TEST_F(MIDIExport, MasterPitchAndKeysOutsideTheRange) {
  TChannel& c = Midi(0, 36, 9);
  Step(0, 1, 0, 100, 72);
  auto key = [&] {
    const auto on = WithStatus(Events(), 0x90);
    return on.empty() ? -1 : int(on[0].Bytes[1]);
  };
  Song.MasterPitch.store(-1200);
  EXPECT_EQ(key(), 36);
  Song.MasterPitch.store(-1250);  // truncates towards zero: -12
  EXPECT_EQ(key(), 36);
  c.Pitchable = false;
  EXPECT_EQ(key(), 48);
  // 0 + 36 - 60 is no key: no pan, no note, no note-off (a byte of 232
  // would read as a status byte).
  Song.Channels[0]->Steps.SetStepValue(1, 0, 0, PlaneNote);
  EXPECT_TRUE(NoteEvents(Events()).empty());
  c.Pitchable = true;
  Song.MasterPitch.store(2400);  // 0 + 36 - 60 + 24 = 0: the lowest key
  EXPECT_EQ(key(), 0);
  Song.Channels[0]->Steps.SetStepValue(1, 0, 127, PlaneNote);
  c.MidiNote = 127;
  Song.MasterPitch.store(0);
  EXPECT_EQ(key(), -1);  // 194: past the highest key
}

// Mix share 127 puts the whole step on the target; 64 of velocity 100 gives
// 50 to the target and 50 to the channel itself. The target sounds with its
// own MIDI channel, note, volume and pan, and the planes of the step's
// channel; the note-off velocity comes from the step's channel.
TEST_F(MIDIExport, MixShareGoesToTheTarget) {
  TChannel& own = Midi(0, 36, 9);
  own.Volume = 100;
  own.MixTarget = 1;
  TChannel& target = Midi(1, 40, 2);
  target.Volume = 127;
  target.Pan = 74;
  Song.MasterVolume.store(100);
  Step(0, 1, 0, 100, 62, 64, 127);
  using E = MidiEvent;
  EXPECT_EQ(NoteEvents(Events()),
            (std::vector<MidiEvent>{E{0, {0xB2, 10, 74}}, E{0, {0x92, 42, 99}}, E{14, {0x82, 42, 78}}}));

  Song.Channels[0]->Steps.SetStepValue(1, 0, 64, PlaneMix);
  target.Volume = 100;
  Song.MasterVolume.store(128);
  EXPECT_EQ(NoteEvents(Events()),
            (std::vector<MidiEvent>{E{0, {0xB2, 10, 74}}, E{0, {0x92, 42, 50}}, E{0, {0xB9, 10, 64}},
                                    E{0, {0x99, 38, 50}}, E{14, {0x82, 42, 100}}, E{14, {0x89, 38, 100}}}));

  // A target without a note plays nothing; the rest stays on the channel.
  target.MidiNote = MidiNone;
  EXPECT_EQ(WithStatus(Events(), 0x90), (std::vector<MidiEvent>{E{0, {0x99, 38, 50}}}));
  // No mix share, or a target outside the channel list: the channel itself.
  target.MidiNote = 40;
  Song.Channels[0]->Steps.SetStepValue(1, 0, 0, PlaneMix);
  EXPECT_EQ(WithStatus(Events(), 0x90), (std::vector<MidiEvent>{E{0, {0x99, 38, 100}}}));
  Song.Channels[0]->Steps.SetStepValue(1, 0, 127, PlaneMix);
  own.MixTarget = 17;
  EXPECT_EQ(WithStatus(Events(), 0x90), (std::vector<MidiEvent>{E{0, {0x99, 38, 100}}}));
  own.MixTarget = -1;
  EXPECT_EQ(WithStatus(Events(), 0x90), (std::vector<MidiEvent>{E{0, {0x99, 38, 100}}}));
}

TEST_F(MIDIExport, RandomChoiceReplacesTheTarget) {
  TChannel& c = Midi(0, 36, 9);
  c.RandomChoice = {0, 2, 3};
  Midi(2, 50, 4);
  Midi(3, 60, 5);
  Step(0, 1, 0);
  int asked = 0;
  int pick = 1;
  Options.Random = [&](int count) {
    asked = count;
    return pick;
  };
  auto status = [&] { return WithStatus(Events(), 0x90).at(0).Bytes; };
  EXPECT_EQ(status(), (std::vector<uint8_t>{0x94, 50, 100}));
  EXPECT_EQ(asked, 3);
  // A pick outside the list, or an entry that names no channel: the channel
  // itself.
  pick = 7;
  EXPECT_EQ(status(), (std::vector<uint8_t>{0x99, 36, 100}));
  c.RandomChoice = {0, 9};
  pick = 1;
  EXPECT_EQ(status(), (std::vector<uint8_t>{0x99, 36, 100}));

  // The note-off goes to the channel and key that were chosen.
  c.RandomChoice = {2, 3};
  Options.Random = nullptr;
  std::set<int> channels;
  for (int i = 0; i < 64; ++i) {
    const auto e = NoteEvents(Events());
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[2].Bytes[0] & 15, e[1].Bytes[0] & 15);
    EXPECT_EQ(e[2].Bytes[1], e[1].Bytes[1]);
    channels.insert(e[1].Bytes[0] & 15);
  }
  EXPECT_EQ(channels, (std::set<int>{4, 5}));
}

// Note-ons by pattern from the list's last entry to its first, channel by
// channel; the note-offs in the same order.
TEST_F(MIDIExport, WholeSongBarsAndPatternOrder) {
  Midi(0, 36, 9);
  Midi(1, 38, 9);
  Step(0, 2, 0);
  Step(1, 2, 0);
  Step(0, 3, 0, 100, 70);
  Song.Playlist.SetPlaylistCell(2, 1, true);  // bar 0: 2, 3
  Song.Playlist.SetPlaylistCell(3, 1, true);
  Song.Playlist.SetPlaylistCell(3, 3, true);  // bar 1 empty, bar 2: 3
  Song.SetPatternLength(8);
  Options.MIDIExportWholeSong = true;
  using E = MidiEvent;
  const auto e = Events();
  EXPECT_EQ(Song.Playlist.SongEndBar, 2);
  EXPECT_EQ(WithStatus(e, 0x90), (std::vector<MidiEvent>{E{0, {0x99, 46, 100}}, E{0, {0x99, 36, 100}},
                                                         E{0, {0x99, 38, 100}}, E{480, {0x99, 46, 100}}}));
  EXPECT_EQ(WithStatus(e, 0x80), (std::vector<MidiEvent>{E{14, {0x89, 46, 100}}, E{14, {0x89, 36, 100}},
                                                         E{14, {0x89, 38, 100}}, E{494, {0x89, 46, 100}}}));
  EXPECT_EQ(e.back(), (E{3 * 8 * 30, {0xFF, 0x2F, 0}}));

  // Pattern mode writes the current pattern once.
  Options.MIDIExportWholeSong = false;
  Song.CurrentPattern = 3;
  const auto p = Events();
  EXPECT_EQ(WithStatus(p, 0x90), (std::vector<MidiEvent>{E{0, {0x99, 46, 100}}}));
  EXPECT_EQ(p.back().Time, 8 * 30);
}

TEST_F(MIDIExport, WholeSongOfAnEmptyPlaylistAndABoundedSelection) {
  Midi(0, 36, 9);
  for (int pattern = 1; pattern <= 3; ++pattern) Step(0, pattern, pattern);
  Options.MIDIExportWholeSong = true;
  // The run of non-empty patterns from pattern 1 on: bars 0..2 play 1..3.
  auto e = Events();
  EXPECT_EQ(WithStatus(e, 0x90).size(), 3u);
  EXPECT_EQ(WithStatus(e, 0x90).at(2).Time, (2 * 16 + 3) * 30);
  EXPECT_EQ(e.back().Time, 3 * 16 * 30);

  // A selection's bottom bar ends the song, but no song runs past bar 998
  // (pattern 999 of an empty playlist), whatever a stored selection says.
  Song.Playlist.PlaylistSelection.Bottom = 4;
  EXPECT_EQ(Events().back().Time, 5 * 16 * 30);
  Song.Playlist.PlaylistSelection.Bottom = 2000000000;
  Song.SetPatternLength(8);
  EXPECT_EQ(Events().back().Time, 999 * 8 * 30);
}

// A busy song grows the block past its first 65536 bytes.
TEST_F(MIDIExport, LargeSongGrowsTheImage) {
  for (int i = 0; i < 8; ++i) Midi(i < 4 ? i : (AddChannel(Song), i), 36 + i, i);
  Song.SetPatternLength(64);
  for (int pattern = 1; pattern <= 40; ++pattern)
    for (int i = 0; i < 8; ++i)
      for (int s = 0; s < 64; ++s) Step(i, pattern, s, 100, 60 + (s % 12));
  Options.MIDIExportWholeSong = true;
  const auto img = Build();
  EXPECT_GT(img.size(), 65536u * 3);
  const auto e = ParseImage(img);
  EXPECT_EQ(WithStatus(e, 0x90).size(), 40u * 8 * 64);
  EXPECT_EQ(WithStatus(e, 0x80).size(), 40u * 8 * 64);
  EXPECT_EQ(e.back().Time, 40 * 64 * 30);
}

TEST_F(MIDIExport, HostileValuesStayMIDIData) {
  TChannel& c = Midi(0, 36, 9);
  c.Volume = 1000;
  c.Pan = -50;
  Song.MasterVolume.store(900);
  Step(0, 1, 0, 255, 60, 255, 0);
  using E = MidiEvent;
  auto e = NoteEvents(Events());  // the parser checks every data byte
  EXPECT_EQ(e, (std::vector<MidiEvent>{E{0, {0xB9, 10, 127}}, E{0, {0x99, 36, 127}}, E{14, {0x89, 36, 127}}}));
  c.Volume = -5;
  Song.MasterVolume.store(-3);
  e = NoteEvents(Events());
  EXPECT_EQ(e.at(1), (E{0, {0x99, 36, 0}}));
  EXPECT_EQ(e.at(2), (E{14, {0x89, 36, 0}}));
}

TEST_F(MIDIExport, ImagePastTheLimitIsRefused) {
  Midi(0, 36, 9);
  for (int s = 0; s < 16; ++s) Step(0, 1, s);
  std::vector<uint8_t> img = {1, 2, 3};
  Options.MaxImageSize = 100;
  EXPECT_EQ(BuildMIDIFile(Song, img, Options).SystemError, EFBIG);
  EXPECT_TRUE(img.empty());

  const fs::path file = TempDir() / "limit.mid";
  { std::ofstream(file) << "old"; }
  EXPECT_EQ(SaveSongAsMIDI(file.string(), Song, Options).SystemError, EFBIG);
  EXPECT_EQ(ReadFile(file), (std::vector<uint8_t>{'o', 'l', 'd'}));

  Options.MaxImageSize = 1000;
  EXPECT_TRUE(BuildMIDIFile(Song, img, Options));
  EXPECT_LE(img.size(), 1000u);
  fs::remove_all(TempDir());
}

TEST_F(MIDIExport, SaveWritesTheImageAndReportsFailures) {
  Midi(0, 36, 9);
  Midi(1, 38, 1).MidiProgram = 5;
  Step(0, 1, 0);
  Step(1, 1, 4, 90, 64, 20);
  const fs::path dir = TempDir();
  const fs::path file = dir / "beat.mid";
  { std::ofstream(file) << "old contents"; }
  ASSERT_TRUE(SaveSongAsMIDI(file.string(), Song, Options));
  EXPECT_EQ(ReadFile(file), Build());
  for (const auto& entry : fs::directory_iterator(dir)) EXPECT_EQ(entry.path(), file) << "temporary file left";

  // An outside reader: the chunks, the track walked event by event to the
  // end of track at its very end.
  if (std::system("python3 -c 'import struct' >/dev/null 2>&1") == 0) {
    const std::string script =
        "import struct,sys\n"
        "d=open(sys.argv[1],'rb').read()\n"
        "assert d[:4]==b'MThd'\n"
        "n,f,t,q=struct.unpack('>IHHH',d[4:14]); assert (n,f,t,q)==(6,0,1,120),(n,f,t,q)\n"
        "assert d[14:18]==b'MTrk'\n"
        "l=struct.unpack('>I',d[18:22])[0]; assert l==len(d)-22\n"
        "p=22; tick=0; ons=[]\n"
        "while True:\n"
        "  v=0\n"
        "  while True:\n"
        "    b=d[p]; p+=1; v=(v<<7)|(b&127)\n"
        "    if b<128: break\n"
        "  tick+=v; s=d[p]\n"
        "  if s==0xFF:\n"
        "    k=d[p+1]; p+=3+d[p+2]\n"
        "    if k==0x2F: break\n"
        "    continue\n"
        "  assert s>=0x80\n"
        "  m=2 if s>>4 in (12,13) else 3\n"
        "  if s>>4==9: ons.append((tick,s&15,d[p+1],d[p+2]))\n"
        "  p+=m\n"
        "assert p==len(d),(p,len(d))\n"
        "assert tick==480,tick\n"
        "assert ons==[(0,9,36,100),(120,1,42,90)],ons\n";
    const fs::path py = dir / "check.py";
    { std::ofstream(py) << script; }
    EXPECT_EQ(std::system(("python3 " + py.string() + " " + file.string()).c_str()), 0);
    fs::remove(py);
  }

  // A folder that does not exist, or a folder in the way: the error, and
  // nothing in place of what was there.
  EXPECT_EQ(SaveSongAsMIDI((dir / "missing" / "x.mid").string(), Song, Options).SystemError, ENOENT);
  fs::create_directories(dir / "taken.mid");
  EXPECT_FALSE(SaveSongAsMIDI((dir / "taken.mid").string(), Song, Options));
  EXPECT_TRUE(fs::is_directory(dir / "taken.mid"));
  fs::remove_all(dir);
}
