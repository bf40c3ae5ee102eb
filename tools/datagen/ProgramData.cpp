#include "tools/datagen/ProgramData.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "model/Channels.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "model/WAVSample.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "toolbox/AllTools.h"
#include "toolbox/SafeFile.h"
#include "tools/datagen/DrumSynth.h"
#include "tools/datagen/StyleLayout.h"
#include "toolbox/PathTools.h"

namespace vs::datagen {

namespace {

struct ChannelLook {
  int Volume;
  int Pan;
  uint32_t Color;  // $00BBGGRR
  int MidiNote;    // the sound's General MIDI drum note
};

const ChannelLook Looks[KitSize] = {
    {82, 64, 0x5A6ED2, 36},  // kick: bass drum 1
    {72, 64, 0x4FA8D8, 38},  // snare: acoustic snare
    {60, 70, 0x6FC9C0, 39},  // clap: hand clap
    {62, 56, 0x7CC86A, 42},  // closed hat: closed hi-hat
    {56, 56, 0xB8C25A, 46},  // open hat: open hi-hat
    {80, 76, 0xC0925C, 45},  // tom: low tom
    {60, 80, 0xC46FA0, 37},  // rim: side stick
    {54, 72, 0x9A8CC8, 49},  // crash: crash cymbal 1
};

// General MIDI's drum channel, channel 10 (9 counted from 0).
constexpr int DrumMidiChannel = 9;

// The cut group the closed hat stops and the open hat belongs to, so that a
// closed hat chokes a ringing open one.
constexpr int HatGroup = 1;

// The groove of patterns 1 and 3: four to the floor, snare and clap on the
// back beats, sixteenth hats accented on the off-beats, an open hat before
// the bar line and a rim shot for the swing of it.
void WriteBeat(TSong& song, int pattern) {
  for (int s : {0, 4, 8, 12}) KitHit(song, Kick, pattern, s, s == 0 ? 112 : 100);
  KitHit(song, Kick, pattern, 11, 64);
  for (int s : {4, 12}) {
    KitHit(song, Snare, pattern, s, 104);
    KitHit(song, Clap, pattern, s, 88);
  }
  for (int s = 0; s < 16; ++s) {
    if (s == 14) continue;
    const bool offBeat = s % 4 == 2;
    KitHit(song, ClosedHat, pattern, s, offBeat ? 112 : (s % 2 ? 58 : 74));
  }
  KitHit(song, OpenHat, pattern, 14, 96);
  KitHit(song, Rim, pattern, 7, 70);
  KitHit(song, Rim, pattern, 15, 54);
}

// Pattern 2: the beat thins out into a tom run and a snare roll.
void WriteFill(TSong& song, int pattern) {
  for (int s : {0, 4, 8}) KitHit(song, Kick, pattern, s, 104);
  KitHit(song, Kick, pattern, 10, 80);
  KitHit(song, Snare, pattern, 4, 104);
  KitHit(song, Clap, pattern, 4, 84);
  for (int s : {0, 2, 6, 8}) KitHit(song, ClosedHat, pattern, s, s % 4 == 2 ? 110 : 70);
  const int toms[][2] = {{10, 132}, {11, 124}, {12, 114}, {13, 104}};
  for (const auto& t : toms) KitHit(song, Tom, pattern, t[0], 100, t[1]);
  for (int s : {13, 14, 15}) KitHit(song, Snare, pattern, s, 70 + (s - 13) * 18);
  KitHit(song, Clap, pattern, 15, 100);
}

bool Fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

}  // namespace

void KitHit(TSong& song, int channel, int pattern, int step, int volume, int pitch) {
  TStepStore& steps = song.Channels[channel]->Steps;
  steps.SetStepOn(pattern, step, true);
  steps.SetStepValue(pattern, step, static_cast<uint8_t>(volume), PlaneVol);
  if (pitch != 120) steps.SetStepValue(pattern, step, static_cast<uint8_t>(pitch), PlanePitch);
}

std::unique_ptr<TSong> MakeKitSong() {
  auto song = std::make_unique<TSong>();
  ResetSongModel(*song);
  while (song->ChannelCount() < KitSize) AddChannel(*song);
  const std::vector<DrumSound> kit = SynthesizeBasicKit();
  for (int i = 0; i < KitSize && i < static_cast<int>(kit.size()); ++i) {
    TChannel& c = *song->Channels[i];
    c.Name = kit[i].Name;
    c.SampleFileName = "\\DrumKits\\Basic\\" + kit[i].FileName;
    c.Volume = Looks[i].Volume;
    c.Pan = Looks[i].Pan;
    c.Color = Looks[i].Color;
    // The kit plays a General MIDI drum set out of the box.
    c.MidiChannel = DrumMidiChannel;
    c.MidiNote = static_cast<uint8_t>(Looks[i].MidiNote);
  }
  song->Channels[ClosedHat]->Sample.CutGroup = HatGroup;
  song->Channels[OpenHat]->Sample.CutByGroup = HatGroup;
  song->CurrentPattern = 1;
  song->SongModeOn = false;
  return song;
}

std::unique_ptr<TSong> MakeBasicKitSong() {
  std::unique_ptr<TSong> song = MakeKitSong();
  WriteBeat(*song, 1);
  WriteFill(*song, 2);
  WriteBeat(*song, 3);
  KitHit(*song, Crash, 3, 0, 110);
  KitHit(*song, Kick, 3, 0, 120);
  song->PatternNames[1].Name = "Beat";
  song->PatternNames[2].Name = "Fill";
  song->PatternNames[3].Name = "Crash";
  const int bars[] = {3, 1, 1, 2};
  for (int bar = 0; bar < 4; ++bar) song->Playlist.PlaylistBars[bar].push_back(bars[bar]);
  song->Playlist.ComputeSongEnd();

  song->BPM = BasicKitTempo;
  song->Info.Title = "Basic";
  song->SetModified(false);
  return song;
}

bool WriteProgramData(const std::string& appPath, std::string& error) {
  if (appPath.empty()) return Fail(error, "no data folder given");
  const std::string root = AddBackslash(appPath);
  for (const char* folder : {"Styles/Default/", "Samples/DrumKits/Basic/", "Loops/", "MB404/",
                             "Plugins/VST/", "Texts/"})
    if (!ForceDirectory(root + folder)) return Fail(error, "cannot create " + root + folder);

  // The styles' configurations; their pictures come from the picture
  // generator.
  for (const auto& [file, text] : {std::pair{std::string("Styles/Default/config.txt"), DefaultStyleConfig()},
                                   std::pair{std::string("Styles/Light/config.txt"), LightStyleConfig()}})
    if (!ForceDirectory(root + ExtractFilePath(file)) || !WriteFileSafely(root + file, text))
      return Fail(error, "cannot write " + root + file);

  WAVSoftware = "VorbelSteps";
  WAVComment = "made with VorbelSteps's own drum synthesizer";
  {
    TWAVSample start;
    start.SetFrames(SynthesizeStartSound());
    if (!SaveWAVFile(&start, root + "Styles/Default/StartSnd.WAV"))
      return Fail(error, "cannot write " + root + "Styles/Default/StartSnd.WAV");
  }
  const std::string kitFolder = root + "Samples/" + BasicKitFolder;
  for (DrumSound& sound : SynthesizeBasicKit()) {
    TWAVSample sample;
    sample.SetFrames(std::move(sound.Frames));
    if (!SaveWAVFile(&sample, kitFolder + sound.FileName))
      return Fail(error, "cannot write " + kitFolder + sound.FileName);
  }

  std::unique_ptr<TSong> song = MakeBasicKitSong();
  if (const TWriteResult saved = SaveSong(kitFolder + BasicKitSongName, *song); !saved)
    return Fail(error, "cannot write " + kitFolder + BasicKitSongName + ": " + saved.Reason());
  return WriteProgramTexts(root, error);
}

}  // namespace vs::datagen
