#include "core/Program.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "core/MasterClock.h"
#include "core/ProgramPaths.h"
#include "core/ProgramVersion.h"
#include "core/SettingsCommands.h"
#include "core/Transport.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/RenderOptions.h"
#include "model/Song.h"
#include "engine/EngineListener.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "files/ZipSong.h"
#include "platform/NullAudioOutput.h"
#include "platform/RecordingMidiPorts.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"
#include "toolbox/AllTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class FailingBackend : public TAudioBackend {
public:
  std::unique_ptr<TAudioDevice> OpenDevice(const std::string&, std::string* error) override {
    if (error) *error = "no sound card here";
    return nullptr;
  }
  std::vector<std::string> DeviceNames() override { return {}; }
};

TEST(ProgramVersion, BuiltFromTheVersionNumbers) {
  EXPECT_EQ(ProgramVersion(), "1.3.61");
  // Two-digit parts stay whole.
  EXPECT_EQ(FormatProgramVersion(1, 10, 12), "1.10.12");
  EXPECT_EQ(FormatProgramVersion(12, 0, 5), "12.0.5");
}

class ProgramTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  TProgramOptions Options;

  void SetUp() override {
    Options.AppPath = Tmp / "app/";
    Options.SettingsFile = Tmp / "config/settings.ini";
    Options.OpenAudio = false;
    fs::create_directories(Tmp / "app/Samples/DrumKits/Basic");
  }
  void TearDown() override {
    SetAudioBackend(nullptr);
    ProgramPaths() = {};
    RenderOptions() = {};
  }

  // A kit song of `channels` channels at tempo bpm, pattern length 16.
  std::string WriteKit(int channels, int bpm) {
    TSong song;
    for (int i = 0; i < channels; ++i) AddChannel(song);
    song.BPM = bpm;
    const std::string path = Tmp / "app/Samples/DrumKits/Basic/Basic.zmp";
    EXPECT_TRUE(SaveSong(path, song));
    return path;
  }

  static int64_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<int64_t>(size);
  }
};

TEST(DataFolder, FoundBesideTheExecutable) {
  TTestDir tmp;
  ::unsetenv("VORBELSTEPS_DATA");
  fs::create_directories(tmp / "build/app");
  // Nothing holds data yet: beside the executable, in "data/".
  EXPECT_EQ(FindDataFolder(tmp / "build/app"), tmp / "build/app/data/");
  fs::create_directories(tmp / "build/data/Samples");
  EXPECT_EQ(FindDataFolder(tmp / "build/app"), tmp / "build/app/../data/");
  fs::create_directories(tmp / "build/app/data/Styles");
  EXPECT_EQ(FindDataFolder(tmp / "build/app/"), tmp / "build/app/data/");
  ::setenv("VORBELSTEPS_DATA", (tmp / "elsewhere").c_str(), 1);
  EXPECT_EQ(FindDataFolder(tmp / "build/app"), tmp / "elsewhere/");
  ::unsetenv("VORBELSTEPS_DATA");
}

TEST_F(ProgramTest, AudioFailureLeavesTheOutputClosedAndTheProgramRunning) {
  SetAudioBackend(std::make_unique<FailingBackend>());
  Options.OpenAudio = true;
  TProgram program;
  program.Open(Options);
  program.StartUp();
  EXPECT_FALSE(AudioOutput().OutputOpen.load());
  EXPECT_NE(program.OutputError.find("no sound card here"), std::string::npos);
  // The program goes on: the song is there and a render works.
  EXPECT_EQ(CurrentSong().ChannelCount(), 1);
  EXPECT_TRUE(program.ShutDown());
  EXPECT_TRUE(fs::exists(Tmp / "config/settings.ini"));
}

TEST_F(ProgramTest, OpenOutputIsClosedAtShutDown) {
  SetAudioBackend(std::make_unique<TNullAudioBackend>());
  Options.OpenAudio = true;
  TProgram program;
  program.Open(Options);
  program.StartUp();
  EXPECT_TRUE(AudioOutput().OutputOpen.load());
  EXPECT_EQ(program.OutputError, "");
  // Audio output switched off while the device is open.
  AudioOutput().UseWAV.store(false);
  EXPECT_TRUE(program.ShutDown());
  EXPECT_FALSE(AudioOutput().OutputOpen.load());
  EXPECT_EQ(AudioOutput().MixThread, nullptr);
  TSettingsStore store(Options.SettingsFile);
  store.Load();
  EXPECT_EQ(store.ReadString("ZM SETTINGS", "Use WAV", ""), "0");
  AudioOutput().UseWAV.store(true);
}

TEST_F(ProgramTest, TheStoredSyncChoiceIsRestoredAndSavedAgain) {
  {
    TSettingsStore store(Options.SettingsFile);
    store.WriteString("ZM SETTINGS", "Sync to Input", "1");
    ASSERT_TRUE(store.Save());
  }
  SetAudioBackend(std::make_unique<TNullAudioBackend>());
  Options.OpenAudio = true;
  TProgram program;
  program.Open(Options);
  program.StartUp();
  EXPECT_TRUE(Transport().SyncChecked);
  EXPECT_EQ(Sync().Mode.load(), SyncMaster);  // audio output on: master
  EXPECT_EQ(Transport().SyncCaption, "S&ync as master");
  EXPECT_TRUE(program.ShutDown());
  TSettingsStore store(Options.SettingsFile);
  store.Load();
  EXPECT_EQ(store.ReadString("ZM SETTINGS", "Sync to Input", ""), "1");
  Transport() = TTransportState{};
  Sync().Mode.store(SyncOff);
}

TEST_F(ProgramTest, StartUpHandsTheSettingsToTheEngine) {
  {
    TSettingsStore store(Options.SettingsFile);
    store.WriteString("ZM SETTINGS", "Buffer Length", "0");
    store.WriteString("ZM SETTINGS", "Ahead Length", "0");
    store.WriteString("ZM SETTINGS", "Rendering Remainder", "1");
    store.WriteString("ZM SETTINGS", "MonoRender", "1");
    store.WriteString("ZM DIRS", "0", "/kits/");
    store.WriteString("ZM DIRS", "3", "/more/");
    ASSERT_TRUE(store.Save());
  }
  TProgram program;
  program.Open(Options);
  program.StartUp();
  EXPECT_EQ(Mixer().BlockFrames, MinBufferFrames);
  EXPECT_EQ(AudioOutput().LatencyOffset.load(), MinBufferFrames * 4);
  EXPECT_EQ(RenderOptions().Remainder, RemainderLeave);
  EXPECT_TRUE(RenderOptions().Mono);
  EXPECT_EQ(ProgramPaths().AppPath, Options.AppPath);
  EXPECT_EQ(ProgramPaths().SampleSearchPaths,
            (std::vector<std::string>{Options.AppPath + "Samples/", "/kits/", "/more/"}));
  EXPECT_EQ(program.Prefs.DrumKitFileName, Tmp / "app/Samples/DrumKits/Basic/Basic.zmp");
  for (const char* folder : {"Styles", "Samples/DrumKits", "Loops", "MB404", "Plugins/VST", "Texts"})
    EXPECT_TRUE(fs::is_directory(Tmp / "app/" + folder)) << folder;
  program.ShutDown();
}

TEST_F(ProgramTest, StartUpOpensTheChosenMidiOutputAndShutDownClosesThePorts) {
  {
    TSettingsStore store(Options.SettingsFile);
    store.WriteString("ZM SETTINGS", "Use MIDI", "1");
    store.WriteString("ZM SETTINGS", "Output Device", "1");
    store.WriteString("ZM SETTINGS", "Sync Delay", "120");
    ASSERT_TRUE(store.Save());
  }
  auto backend = std::make_unique<TRecordingMidiBackend>();
  TRecordingMidiBackend* midi = backend.get();
  SetMidiBackend(std::move(backend));
  SetAudioBackend(std::make_unique<TNullAudioBackend>());
  Options.OpenAudio = true;
  TProgram program;
  program.Open(Options);
  program.StartUp();
  TMidiDevices& ports = MidiDevices();
  EXPECT_EQ(MIDIOut(), &ports.MIDIOut);
  EXPECT_EQ(MIDIOutSync(), &ports.MIDIOutSync);
  ASSERT_EQ(program.MidiLists.Output.size(), 4u);  // mapper, two devices, "(none)"
  EXPECT_EQ(program.MidiLists.OutputIndex, 2);
  EXPECT_TRUE(ports.MIDIOut.IsOpen());
  EXPECT_EQ(ports.MIDIOut.ProductName(), "Test Drums");
  EXPECT_EQ(program.MidiError, "");
  EXPECT_EQ(Sync().Delay.load(), 120);
  Sync().Delay.store(250);  // changed in the settings window
  EXPECT_TRUE(program.ShutDown());
  EXPECT_FALSE(ports.MIDIOut.IsOpen());
  EXPECT_EQ(midi->OpenOutputs(), 0);
  TSettingsStore store(Options.SettingsFile);
  store.Load();
  EXPECT_EQ(store.ReadString("ZM SETTINGS", "Sync Delay", ""), "250");
  SetMidiBackend(nullptr);
}

// Every close writes the choices of the settings window's lists, "(none)"
// included, and a stored index past a list comes back clamped.
TEST_F(ProgramTest, EveryCloseWritesTheStyleAndTheDeviceChoices) {
  for (const char* style : {"Chrome", "Default", "Wood"}) fs::create_directories(Tmp / "app/Styles/" + style);
  SetMidiBackend(std::make_unique<TRecordingMidiBackend>());  // two outputs, one input
  SetAudioBackend(std::make_unique<TNullAudioBackend>());     // "Null Output"
  Options.OpenAudio = true;
  auto runOnce = [&] {
    TProgram program;
    program.Open(Options);
    program.StartUp();
    EXPECT_TRUE(program.ShutDown());
    TSettingsStore store(Options.SettingsFile);
    store.Load();
    std::map<std::string, std::string> v;
    for (const char* name : {"Style", "DS Driver", "DS Driver Name", "Input Device", "Input Device Name",
                             "Output Device", "Output Device Name", "Sync Output Device", "Sync Output Device Name"})
      v[name] = store.ReadString("ZM SETTINGS", name, "(missing)");
    return v;
  };
  // A fresh start: the default style and "(none)" everywhere.
  auto fresh = runOnce();
  EXPECT_EQ(fresh["Style"], "1");  // Chrome, Default, Wood
  EXPECT_EQ(fresh["DS Driver"], "1");
  EXPECT_EQ(fresh["DS Driver Name"], "(none)");
  EXPECT_EQ(fresh["Input Device"], "1");
  EXPECT_EQ(fresh["Input Device Name"], "(none)");
  EXPECT_EQ(fresh["Output Device"], "2");  // the mapper is -1
  EXPECT_EQ(fresh["Sync Output Device"], "3");
  EXPECT_EQ(fresh["Sync Output Device Name"], "(none)");

  // Indexes past the lists and no names: clamped to the last entries and
  // written back so. A style past its list is the default style again.
  {
    TSettingsStore store(Options.SettingsFile);
    store.Load();
    for (const char* name : {"Style", "DS Driver", "Input Device", "Output Device", "Sync Output Device"})
      store.WriteString("ZM SETTINGS", name, "99");
    for (const char* name : {"DS Driver Name", "Input Device Name", "Output Device Name", "Sync Output Device Name"})
      store.DeleteValue("ZM SETTINGS", name);
    ASSERT_TRUE(store.Save());
  }
  auto clamped = runOnce();
  EXPECT_EQ(clamped["Style"], "1");
  EXPECT_EQ(clamped["DS Driver"], "1");
  EXPECT_EQ(clamped["Input Device"], "1");
  EXPECT_EQ(clamped["Output Device"], "2");
  EXPECT_EQ(clamped["Sync Output Device"], "3");
  EXPECT_EQ(clamped["Output Device Name"], "(none)");
  SetMidiBackend(nullptr);
}

TEST_F(ProgramTest, DeletedChannelTakesItsVoices) {
  TProgram program;
  program.Open(Options);
  program.StartUp();
  TSong& song = CurrentSong();
  AddChannel(song);
  TWAVSample& sample = song.Channels[1]->Sample;
  sample.Data.assign(2000, 100);
  sample.Length = sample.PlayLength = 1000;
  ASSERT_TRUE(AddVoice(&sample, Mixer().MixPosition, 64, 1000, 0, 0, 1.0f));
  DeleteChannel(song, 1);
  EXPECT_EQ(Mixer().VoiceCount, 0);
  program.ShutDown();
}

TEST_F(ProgramTest, ShutDownStopsARenderAndEndsItsThread) {
  TProgram program;
  program.Open(Options);
  program.StartUp();
  {
    // Four hundred bars in song mode: the render is still running when the
    // program shuts down.
    MixerGuard lock;
    CurrentSong().Playlist.PlaylistBars[400] = {1};
    Mixer().SongMode = 1;
  }
  RenderCancelled.store(false);
  std::string error;
  ASSERT_TRUE(StartRender(Tmp / "long.wav", &error)) << error;
  EXPECT_TRUE(program.ShutDown());
  EXPECT_FALSE(RenderRunning());
  // The thread was joined: one left joinable would end this test program
  // at its exit.
  {
    MixerGuard lock;
    Mixer().SongMode = 0;
  }
  RenderCancelled.store(false);
}

// At a render's first report a master's clocks and Stop come in.
class TClockDuringRender : public TEngineListener {
public:
  void RenderProgress(int) override {
    if (ModeSeen >= 0) return;
    ModeSeen = Sync().Mode.load();
    for (int i = 0; i < 18; ++i) HandleMidiSyncMessage(0xF8);
    HandleMidiSyncMessage(0xFC);
  }
  int ModeSeen = -1;
};

// A slave's render is held at sync mode "rendering": the clock coming in
// changes nothing in the file. New buffers stop a running master clock.
TEST_F(ProgramTest, ARenderIsDeafToMidiClockAndNewBuffersStopTheMasterClock) {
  TProgram program;
  program.Open(Options);
  program.StartUp();
  TSong& song = CurrentSong();
  TWAVSample& sample = song.Channels[0]->Sample;
  sample.SetFrames(std::vector<int16_t>(4000, 9000));
  sample.PlayLength = sample.NominalLength = sample.Length;
  for (int s = 0; s < 16; s += 2) song.Channels[0]->Steps.SetStepOn(song.CurrentPattern, s, true);
  ASSERT_TRUE(RenderSongToFile(Tmp / "plain.wav").Ok);
  Sync().Mode.store(SyncSlave);
  TClockDuringRender clock;
  SetEngineListener(&clock);
  ASSERT_TRUE(RenderSongToFile(Tmp / "clocked.wav").Ok);
  SetEngineListener(nullptr);
  EXPECT_EQ(clock.ModeSeen, SyncRender);
  EXPECT_EQ(Sync().Mode.load(), SyncSlave);
  EXPECT_EQ(ReadFileBytes(Tmp / "clocked.wav"), ReadFileBytes(Tmp / "plain.wav"));

  Sync().Mode.store(SyncMaster);
  StartButtonClick(true, true);
  ASSERT_TRUE(MasterClockRunning());
  ApplyBufferSliders({100, 50}, program.Prefs);
  EXPECT_FALSE(MasterClockRunning());
  EXPECT_FALSE(Transport().StartButtonDown);
  Sync().Mode.store(SyncOff);
  program.ShutDown();
}

TEST_F(ProgramTest, TemporaryFolderIsPrivateAndRemovedAtShutDown) {
  TProgram program;
  program.Open(Options);
  program.StartUp();
  const std::string temp = GetTempDirectory();
  ASSERT_FALSE(temp.empty());
  struct stat st {};
  ASSERT_EQ(::stat(temp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_NE(temp.find("VorbelSteps-"), std::string::npos);
  Tmp.Write("other/keep.txt", "x");
  program.ShutDown();
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(fs::exists(Tmp / "other/keep.txt"));
}

TEST_F(ProgramTest, MonoFromTheCommandLineIsNotKept) {
  TProgram program;
  program.Open(Options);
  program.StartUp();
  TSongCommandHost host;
  TSongCommands commands(program.Prefs, host);
  EXPECT_TRUE(program.ApplyCommandLine(ParseCommandLine({"/M", "/V77", "/P3", "/B160", "/PAT"}), commands));
  EXPECT_TRUE(RenderOptions().Mono);
  EXPECT_EQ(CurrentSong().MasterVolume.load(), 77);
  EXPECT_EQ(CurrentSong().MasterPitch.load(), 300);
  EXPECT_EQ(CurrentSong().BPM, 160);
  EXPECT_FALSE(program.Batch);
  ASSERT_TRUE(program.ShutDown());
  TSettingsStore store(Options.SettingsFile);
  store.Load();
  EXPECT_EQ(store.ReadString("ZM SETTINGS", "MonoRender", ""), "0");
}

TEST_F(ProgramTest, BatchRendersTheKitAndWritesNoSettings) {
  WriteKit(5, 120);
  std::ostringstream errors;
  const std::string wav = Tmp / "out/beat.WAV";
  fs::create_directories(Tmp / "out");
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({"/M", "/R" + Tmp / "out/beat"}), errors), 0) << errors.str();
  // One pattern of 16 steps at 120 BPM: 16 x 5512 frames, mono 16-bit.
  const auto bytes = ReadFileBytes(wav);
  ASSERT_TRUE(bytes);
  const size_t data = bytes->find("data");
  ASSERT_NE(data, std::string::npos);
  uint32_t length = 0;
  std::memcpy(&length, bytes->data() + data + 4, 4);
  EXPECT_EQ(length, 16u * 5512u * 2u);
  EXPECT_EQ(uint8_t((*bytes)[22]), 1);  // one channel

  // The tempo switch applies before the render that follows it; stereo now.
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({"/B60", "/R" + Tmp / "out/slow"}), errors), 0) << errors.str();
  const auto slow = ReadFileBytes(Tmp / "out/slow.WAV");
  ASSERT_TRUE(slow);
  const size_t slowData = slow->find("data");
  ASSERT_NE(slowData, std::string::npos);
  std::memcpy(&length, slow->data() + slowData + 4, 4);
  EXPECT_EQ(length, 16u * 11025u * 4u);
  EXPECT_FALSE(fs::exists(Options.SettingsFile));
  EXPECT_EQ(CurrentSong().ChannelCount(), 5);
}

// The text of a WAV file's "INAM" item (without its terminating zero).
std::string InfoName(const std::string& wav) {
  const auto bytes = ReadFileBytes(wav);
  if (!bytes) return "(no file)";
  const size_t at = bytes->find("INAM");
  if (at == std::string::npos) return "(no INAM)";
  uint32_t length = 0;
  std::memcpy(&length, bytes->data() + at + 4, 4);
  return bytes->substr(at + 8, length > 0 ? length - 1 : 0);
}

TEST_F(ProgramTest, BatchRenderOfAnUntitledSongIsNamedAfterItsFile) {
  WriteKit(4, 120);
  std::ostringstream errors;
  // The kit as the new song: "untitled".
  ASSERT_EQ(RunBatch(Options, ParseCommandLine({"/R" + Tmp / "kit"}), errors), 0) << errors.str();
  EXPECT_EQ(InfoName(Tmp / "kit.WAV"), "untitled");
  // An opened song without a title: its file's name without folder and
  // extension; with a title: the title.
  TSong song;
  AddChannel(song);
  ASSERT_TRUE(SaveSong(Tmp / "Night Drive.v2.zmp", song));
  ASSERT_EQ(RunBatch(Options, ParseCommandLine({Tmp / "Night Drive.v2.zmp", "/R" + Tmp / "night"}), errors), 0)
      << errors.str();
  EXPECT_EQ(InfoName(Tmp / "night.WAV"), "Night Drive.v2");
  song.Info.Title = "Late";
  ASSERT_TRUE(SaveSong(Tmp / "Night Drive.v2.zmp", song));
  ASSERT_EQ(RunBatch(Options, ParseCommandLine({Tmp / "Night Drive.v2.zmp", "/R" + Tmp / "night"}), errors), 0);
  EXPECT_EQ(InfoName(Tmp / "night.WAV"), "Late");
}

TEST_F(ProgramTest, BatchStopsOnAMissingSongLeavingNoWAV) {
  WriteKit(5, 120);
  std::ostringstream errors;
  const std::string wav = Tmp / "gone.WAV";
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({Tmp / "missing.zmp", "/R" + Tmp / "gone"}), errors), 1);
  EXPECT_FALSE(fs::exists(wav));
  EXPECT_NE(errors.str().find("doesn't exist"), std::string::npos);
  EXPECT_FALSE(fs::exists(Options.SettingsFile));

  // A corrupt song is reported the same way.
  const std::string broken = Tmp.Write("broken.zmp", "not a song");
  std::ostringstream errors2;
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({broken, "/R" + Tmp / "gone"}), errors2), 1);
  EXPECT_FALSE(fs::exists(wav));
  EXPECT_NE(errors2.str().find("Error while reading"), std::string::npos);
}

TEST_F(ProgramTest, BatchReportsAWAVThatCannotBeWritten) {
  std::ostringstream errors;
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({"/R" + Tmp / "no/such/folder/x"}), errors), 1);
  EXPECT_FALSE(errors.str().empty());
}

TEST_F(ProgramTest, BatchWithoutTheKitRendersTheEmptySong) {
  std::ostringstream errors;
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({"/R" + Tmp / "empty"}), errors), 0) << errors.str();
  EXPECT_GT(FileSize(Tmp / "empty.WAV"), 44);
}

TEST_F(ProgramTest, BatchNamesTheSamplesItCouldNotLoadAndRefusesAPackageUnpackedInPart) {
  TSong song;
  AddChannel(song).SampleFileName = Tmp / "missing.wav";
  AddChannel(song).SampleFileName = Tmp.Write("bad.wav", "no sound in here");
  ASSERT_TRUE(SaveSong(Tmp / "gaps.zmp", song));
  std::ostringstream errors;
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({Tmp / "gaps.zmp", "/R" + Tmp / "gaps"}), errors), 0);
  for (const std::string& name : {"Channel 1: " + Tmp / "missing.wav", "Channel 2: " + Tmp / "bad.wav"})
    EXPECT_NE(errors.str().find(name), std::string::npos) << errors.str();

  // A package whose sample's bytes were damaged: no song, no WAV, exit 1.
  TWAVSample kick;
  std::vector<int16_t> frames(20000);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = int16_t(i * 7919 % 30011);
  kick.SetFrames(std::move(frames));
  ASSERT_TRUE(SaveWAVFile(&kick, Tmp / "kick.wav"));
  song.Channels[1]->SampleFileName = Tmp / "kick.wav";
  ASSERT_TRUE(SaveSong(Tmp / "beat.zmp", song));
  ProgramZipMaster().Unattended = true;
  const std::string image = *ReadFileBytes(Tmp / "beat.zmp");
  ASSERT_TRUE(WriteSongPackage(ProgramZipMaster(), Tmp / "beat.zip", "beat.zmp", {image.begin(), image.end()},
                               {{Tmp / "kick.wav", "kick.wav"}}, Tmp.Dir(), {}));
  ProgramZipMaster().Unattended = false;
  std::string zip = *ReadFileBytes(Tmp / "beat.zip");
  const size_t entry = zip.find("kick.wav");
  ASSERT_NE(entry, std::string::npos);
  for (size_t i = entry + 200; i < entry + 220; ++i) zip[i] = char(~zip[i]);
  Tmp.Write("beat.zip", zip);
  std::ostringstream out, errors2;
  EXPECT_EQ(RunBatch(Options, ParseCommandLine({Tmp / "beat.zip", "/R" + Tmp / "beat"}), out, errors2), 1);
  EXPECT_FALSE(fs::exists(Tmp / "beat.WAV"));
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(errors2.str().find("kick.wav"), std::string::npos) << errors2.str();
}

TEST_F(ProgramTest, AHomeThatDoesNotExistIsNeverMadeAndTheRunSaysSoOnce) {
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "VORBELSTEPS_SETTINGS"}) {
    const char* v = std::getenv(name);
    saved[name] = v ? std::optional<std::string>(v) : std::nullopt;
    ::unsetenv(name);
  }
  Options.SettingsFile.clear();
  const std::string home = Tmp / "gone/home";
  ::setenv("HOME", home.c_str(), 1);
  testing::internal::CaptureStderr();
  {
    TProgram program;
    program.Open(Options);
    program.StartUp();
    EXPECT_TRUE(program.ShutDown());
  }
  const std::string said = testing::internal::GetCapturedStderr();
  const std::string message = "The settings are not kept: the home folder \"" + home + "\" (HOME) does not exist.";
  EXPECT_EQ(said, "VorbelSteps: " + message + "\n");
  EXPECT_FALSE(fs::exists(Tmp / "gone"));
  ::unsetenv("HOME");
  {
    TProgram program;
    program.Batch = true;  // says nothing: a batch run keeps no settings anyway
    program.Open(Options);
    EXPECT_EQ(program.SettingsNotKept, "The settings are not kept: neither HOME nor XDG_CONFIG_HOME is set.");
  }
  for (const auto& [name, value] : saved)
    if (value) ::setenv(name.c_str(), value->c_str(), 1);
}

}  // namespace
}  // namespace vs
