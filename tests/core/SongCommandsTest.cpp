#include "core/SongCommands.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <thread>

#include "core/ChannelFiles.h"
#include "core/ChannelSettings.h"
#include "core/MasterValues.h"
#include "core/ProgramPaths.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/SongReset.h"
#include "engine/Mixer.h"
#include "engine/WAVFiles.h"
#include "engine/EchoLine.h"
#include "files/SongFile.h"
#include "platform/MidiPorts.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "toolbox/AllTools.h"
#include "toolbox/SafeFile.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class FakeHost : public TSongCommandHost {
public:
  std::deque<std::optional<TSaveChoice>> SaveChoices;
  std::vector<std::pair<std::string, int>> SaveDialogs;  // name and type it opened with
  std::optional<std::string> OpenChoice, FolderChoice;
  std::vector<std::string> Renders, Infos;
  int Opened = 0, Resets = 0, Fits = 0, RecentChanges = 0, Holds = 0, Suspensions = 0;
  ChannelFileLoader* Loader = nullptr;  // null: the program's
  std::string Caption = "?";

  std::optional<TSaveChoice> ChooseSaveFile(const std::string& name, int type) override {
    SaveDialogs.emplace_back(name, type);
    if (SaveChoices.empty()) return std::nullopt;
    auto c = SaveChoices.front();
    SaveChoices.pop_front();
    return c;
  }
  std::optional<std::string> ChooseOpenFile() override { return OpenChoice; }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string& text,
                                          const std::string&) override {
    FolderText = text;
    return FolderChoice;
  }
  void SuspendOutput() override {
    ++Holds;
    ++Suspensions;
    TSongCommandHost::SuspendOutput();
  }
  SongHost FileHost() override {
    SongHost host = TSongCommandHost::FileHost();
    if (Loader) host.Loader = Loader;
    return host;
  }
  void ResumeOutput() override {
    --Holds;
    TSongCommandHost::ResumeOutput();
  }
  void ShowInfo(const std::string& t) override { Infos.push_back(t); }
  void RecentFilesChanged() override { ++RecentChanges; }
  void SongOpened() override { ++Opened; }
  void SongWasReset() override { ++Resets; }
  void FitMainWindowHeight() override { ++Fits; }
  bool RenderWAV(const std::string& f) override {
    Renders.push_back(f);
    return true;
  }
  bool WriteClickMarkedSample(const TWAVSample&, const std::string& f) override {
    return WriteFileSafely(f, std::string("marked"));
  }
  std::string FolderText;
};

class SongCommandsTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  TRecordingMessageBox Boxes;
  FakeHost Host;
  TPreferences Prefs;
  TSongCommands Commands{Prefs, Host};

  void SetUp() override {
    ProgramPaths() = {};
    ProgramPaths().AppPath = Tmp.Dir() + "/app/";
    fs::create_directories(Tmp.Dir() + "/app/Loops");
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    song->SetModified(false);
    ReplaceCurrentSong(std::move(song));
    Prefs.DrumKitFileName = Tmp / "app/Samples/DrumKits/Basic/Basic.zmp";
  }
  void TearDown() override {
    ProgramPaths() = {};
    StopAllVoices();
  }

  // A song file with `channels` channels, tempo bpm and a title.
  std::string WriteSong(const std::string& name, int channels, int bpm, const std::string& title = "") {
    TSong song;
    for (int i = 0; i < channels; ++i) AddChannel(song).Name = "ch" + std::to_string(i);
    song.BPM = bpm;
    song.Info.Title = title;
    song.SetPatternLength(32);
    const std::string path = Tmp / name;
    fs::create_directories(fs::path(path).parent_path());
    EXPECT_TRUE(SaveSong(path, song));
    return path;
  }

  // Makes the current song "edited": five channels, tempo 150, modified.
  void EditSong() {
    TSong& s = CurrentSong();
    AddChannel(s);
    s.BPM = 150;
    s.SetModified(true);
  }
};

// An opened song says once which channels' files it could not use (those
// channels stay silent): files of no kind a channel takes, a missing one, a
// file that is no sample.
TEST_F(SongCommandsTest, AnOpenedSongNamesOnceTheChannelsWhoseFilesItCouldNotUse) {
  TWAVSample wav;
  wav.SetFrames(std::vector<int16_t>(2 * 500, 1234));
  ASSERT_TRUE(SaveWAVFile(&wav, Tmp / "clap.wav"));
  fs::copy_file(Tmp / "clap.wav", Tmp / "kick.dat");
  fs::copy_file(Tmp / "clap.wav", Tmp / "snare");
  Tmp.Write("noise.wav", "no sound in here");
  TSong song;
  const std::vector<std::pair<std::string, std::string>> channels = {
      {"Kick", Tmp / "kick.dat"}, {"Snare", Tmp / "snare"}, {"Hat", "/etc/passwd"},
      {"Clap", Tmp / "clap.wav"}, {"Tom", Tmp / "gone.wav"}, {"", Tmp / "noise.wav"}};
  for (const auto& [name, file] : channels) {
    TChannel& c = AddChannel(song);
    c.Name = name;
    c.SampleFileName = file;
  }
  ASSERT_TRUE(SaveSong(Tmp / "gaps.zmp", song));
  ASSERT_TRUE(Commands.OpenSong(Tmp / "gaps.zmp"));
  ASSERT_EQ(Boxes.Count(), 1u);
  const TRecordingMessageBox::Box box = Boxes.Boxes()[0];
  EXPECT_EQ(box.Caption, "Warning");
  EXPECT_EQ(box.Flags & MbIconMask, uint32_t(MbIconWarning));
  EXPECT_EQ(box.Message, "The files of these channels could not be used; the channels stay silent:\r"
                         "Channel 1 (Kick): " + Tmp / "kick.dat" + "\rChannel 2 (Snare): " + Tmp / "snare" +
                         "\rChannel 3 (Hat): /etc/passwd\rChannel 5 (Tom): " + Tmp / "gone.wav" +
                         "\rChannel 6: " + Tmp / "noise.wav");
  EXPECT_FALSE(CurrentSong().Channel(3)->Sample.Empty());

}

TEST_F(SongCommandsTest, UnmodifiedSongAnswersNoWithoutAsking) {
  EXPECT_EQ(Commands.AskSaveChanges(), IdNo);
  EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(SongCommandsTest, SaveChangesQuestionNamesTheFile) {
  Commands.OpenedFileName = "/x/My Beat.zmp";
  EditSong();
  Boxes.Answer(IdNo);
  EXPECT_EQ(Commands.AskSaveChanges(), IdNo);
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(Boxes.Boxes()[0].Caption, "Confirm");
  EXPECT_EQ(Boxes.Boxes()[0].Message, "Save changes to My Beat.zmp?");
  EXPECT_EQ(Boxes.Boxes()[0].Flags, MbYesNoCancel | MbIconQuestion);
}

TEST_F(SongCommandsTest, CancelLeavesSongAndCommandUntouched) {
  const std::string other = WriteSong("other.zmp", 6, 99);
  EditSong();
  Boxes.Answer(IdCancel);
  Host.OpenChoice = other;
  Commands.Open();
  EXPECT_EQ(CurrentSong().ChannelCount(), 5);
  EXPECT_TRUE(CurrentSong().Modified());
  Boxes.Answer(IdCancel);
  Commands.New();
  EXPECT_EQ(CurrentSong().ChannelCount(), 5);
  EXPECT_EQ(CurrentSong().BPM, 150);
}

TEST_F(SongCommandsTest, YesThenCancelledSaveDialogCancelsNewAndOpen) {
  Commands.New();  // untitled
  EditSong();
  const std::string other = WriteSong("other.zmp", 6, 99);
  // Yes, then the save dialog is cancelled: the song is not lost.
  Boxes.Answer(IdYes);
  Commands.New();
  ASSERT_EQ(Host.SaveDialogs.size(), 1u);
  EXPECT_EQ(Host.SaveDialogs[0].first, Tmp / "app/Loops/untitled.zmp");
  EXPECT_EQ(Host.SaveDialogs[0].second, SaveTypeSong);
  EXPECT_EQ(CurrentSong().ChannelCount(), 5);
  EXPECT_TRUE(CurrentSong().Modified());
  Boxes.Answer(IdYes);
  Host.OpenChoice = other;
  Commands.Open();
  EXPECT_EQ(CurrentSong().ChannelCount(), 5);
  EXPECT_EQ(CurrentSong().BPM, 150);
  EXPECT_EQ(Commands.AskSaveChanges(), IdCancel);  // (default answer of the fake: Cancel)
}

TEST_F(SongCommandsTest, YesThenSavedLetsTheCommandGoOn) {
  Commands.New();
  EditSong();
  const std::string saved = Tmp / "saved";  // no extension: ".zmp" is added
  Host.SaveChoices.push_back(TSaveChoice{saved, SaveTypeSong});
  Boxes.Answer(IdYes);
  EXPECT_EQ(Commands.AskSaveChanges(), IdYes);
  EXPECT_TRUE(fs::exists(saved + ".zmp"));
  EXPECT_FALSE(CurrentSong().Modified());
  EXPECT_EQ(Prefs.RecentFiles[0], saved + ".zmp");
  EXPECT_EQ(ProgramPaths().SongFileName, saved + ".zmp");
}

TEST_F(SongCommandsTest, YesThenFailedSaveCancelsAndKeepsModified) {
  const std::string good = WriteSong("sub/good.zmp", 6, 120);
  ASSERT_TRUE(Commands.OpenSong(good));
  EditSong();
  // The song's folder has gone: the save can't be written.
  fs::rename(Tmp / "sub", Tmp / "moved");
  Boxes.Answer(IdYes);
  const int answer = Commands.AskSaveChanges();
  EXPECT_EQ(answer, IdCancel);
  EXPECT_TRUE(CurrentSong().Modified());
  ASSERT_EQ(Boxes.Count(), 2u);
  EXPECT_EQ(Boxes.Boxes()[1].Caption, "Error");
  EXPECT_NE(Boxes.Boxes()[1].Message.find("good.zmp"), std::string::npos);
  EXPECT_FALSE(fs::exists(good));
  EXPECT_EQ(ProgramPaths().SongFileName, good);
}

TEST_F(SongCommandsTest, FailedSaveAsKeepsTheOldNameAndRecentFiles) {
  const std::string good = WriteSong("sub/good.zmp", 6, 120);
  ASSERT_TRUE(Commands.OpenSong(good));
  EditSong();
  Host.SaveChoices.push_back(TSaveChoice{Tmp / "no/such/folder/x.zmp", SaveTypeSong});
  EXPECT_FALSE(Commands.SaveAs());
  EXPECT_EQ(Commands.OpenedFileName, good);
  EXPECT_EQ(ProgramPaths().SongFileName, good);
  EXPECT_EQ(Prefs.RecentFiles[0], good);
  EXPECT_TRUE(CurrentSong().Modified());
  EXPECT_EQ(Boxes.Count(), 1u);
}

TEST_F(SongCommandsTest, OpenReplacesTheSongAndListsTheFile) {
  const std::string path = WriteSong("loops/beat.zmp", 6, 133, "Beat");
  // A voice still playing a sample of the old song.
  TWAVSample& old = CurrentSong().Channels[0]->Sample;
  old.Data.assign(2000, 100);
  old.Length = old.PlayLength = 1000;
  ASSERT_TRUE(AddVoice(&old, Mixer().MixPosition, 64, 1000, 0, 0, 1.0f));
  EXPECT_TRUE(Commands.OpenSong(path));
  EXPECT_EQ(Mixer().VoiceCount, 0);
  EXPECT_EQ(Mixer().FramesPerStep, FramesPerStepForBPM(133));
  EXPECT_EQ(CurrentSong().ChannelCount(), 6);
  EXPECT_EQ(CurrentSong().BPM, 133);
  EXPECT_FALSE(CurrentSong().Modified());
  EXPECT_EQ(Commands.OpenedFileName, path);
  EXPECT_EQ(ProgramPaths().SongFileName, path);
  EXPECT_EQ(Prefs.RecentFiles[0], path);
  EXPECT_EQ(Commands.SongTitle, "Beat");
  EXPECT_EQ(Commands.SongTitle, "Beat");
  EXPECT_EQ(Host.Opened, 1);
  EXPECT_EQ(Host.Holds, 0);
  ASSERT_FALSE(Host.Infos.empty());
  EXPECT_EQ(Host.Infos.back(), "Loop loaded... (1 patterns)");
}

TEST_F(SongCommandsTest, AnOpenedSongIsHeardThroughItsSavedMasterFilter) {
  TSong song;
  AddChannel(song);
  song.MasterResoPosition = 300;
  song.MasterCutoffPosition = 200;
  const std::string path = Tmp / "filtered.zmp";
  ASSERT_TRUE(SaveSong(path, song));
  Mixer().SetMasterFilter(1.0f, 0.0f);
  ASSERT_TRUE(Commands.OpenSong(path));
  EXPECT_FLOAT_EQ(Mixer().MasterFilter.Reso, MasterResonanceForPosition(300));
  EXPECT_FLOAT_EQ(Mixer().MasterFilter.Cutoff, MasterCutoffForPosition(200));
  // The faders' views of the song.
  EXPECT_EQ(MasterSliderPosition(CurrentSong(), MainResoSlider), 300);
  EXPECT_EQ(MasterSliderPosition(CurrentSong(), MainCutOffSlider), 200);
  // A new song's filter is open again.
  Commands.ResetSong();
  EXPECT_FALSE(Mixer().MasterFilter.Active());
}

// An opened song's instruments are set up on the note output (patch, then
// controller start values) and its echo is the echo line's.
TEST_F(SongCommandsTest, AnOpenedSongSetsUpItsInstrumentsAndItsEcho) {
  TSong song;
  TChannel& drums = AddChannel(song);
  drums.MidiChannel = 9;
  drums.MidiProgram = 25;
  SetChannelControllerStart(song, 0, 7, 90);
  song.Echo = {100, 20, 90, 64};
  ASSERT_TRUE(SaveSong(Tmp / "band.zmp", song));
  TRecordingMidiOut port;
  SetMIDIOut(&port);
  ASSERT_TRUE(Commands.OpenSong(Tmp / "band.zmp"));
  SetMIDIOut(nullptr);
  EXPECT_EQ(port.Messages(), (std::vector<std::vector<uint8_t>>{{0xC9, 25}, {0xB9, 7, 90}}));
  EXPECT_EQ(EchoLine().Feedback.load(), 100);
  EXPECT_EQ(EchoLine().DelayFrames(), int64_t(Mixer().FramesPerStep) * 64 >> 4);
}

// Loads channel files with the program's loader, first checking from
// another thread that nobody holds MixerLock meanwhile.
class LockProbeLoader : public ChannelFileLoader {
public:
  int Loads = 0, LockedLoads = 0;
  bool LoadFileIntoChannel(TSong& song, int index, const std::string& name) override {
    ++Loads;
    bool free = false;
    std::thread([&] {
      if (MixerLock().try_lock()) {
        free = true;
        MixerLock().unlock();
      }
    }).join();
    if (!free || MixerLockHeldByThisThread()) ++LockedLoads;
    return ProgramChannelLoader().LoadFileIntoChannel(song, index, name);
  }
  void RebuildSample(TSong& song, int index) override { ProgramChannelLoader().RebuildSample(song, index); }
};

class CountingChannelFileHost : public TChannelFileHost {
public:
  int Suspensions = 0;
  void SuspendOutput() override {
    ++Suspensions;
    TChannelFileHost::SuspendOutput();
  }
};

TEST_F(SongCommandsTest, OpeningASongHoldsTheMixerOnlyToSwapItIn) {
  // Two channels with a sample each: the samples are read while the old
  // song plays on, and the output is held once, for the swap.
  TWAVSample wav;
  wav.SetFrames(std::vector<int16_t>(2 * 500, 1234));
  ASSERT_TRUE(SaveWAVFile(&wav, Tmp / "kick.wav"));
  TSong song;
  for (int i = 0; i < 2; ++i) AddChannel(song).SampleFileName = Tmp / "kick.wav";
  ASSERT_TRUE(SaveSong(Tmp / "two.zmp", song));
  LockProbeLoader probe;
  CountingChannelFileHost channelHost;
  SetChannelFileHost(&channelHost);
  Host.Loader = &probe;
  EXPECT_TRUE(Commands.OpenSong(Tmp / "two.zmp"));
  SetChannelFileHost(nullptr);
  EXPECT_EQ(probe.Loads, 2);
  EXPECT_EQ(probe.LockedLoads, 0);
  EXPECT_EQ(channelHost.Suspensions, 0);
  EXPECT_EQ(Host.Suspensions, 1);
  EXPECT_FALSE(MixerLockHeldByThisThread());
  ASSERT_EQ(CurrentSong().ChannelCount(), 4);  // a song has four channels at least
  EXPECT_EQ(CurrentSong().Channels[1]->Sample.Length, 500);

  // A sample loaded into the playing song still holds the output, as the
  // channel's sample changes under the mixer.
  SetChannelFileHost(&channelHost);
  LoadFileIntoChannel(CurrentSong(), 0, "", false, false);
  SetChannelFileHost(nullptr);
  EXPECT_EQ(channelHost.Suspensions, 1);
  EXPECT_EQ(CurrentSong().Channels[0]->Sample.Length, 0);
}

TEST_F(SongCommandsTest, MissingOrBrokenFileChangesNothing) {
  const std::string good = WriteSong("sub/good.zmp", 6, 120);
  ASSERT_TRUE(Commands.OpenSong(good));
  EditSong();
  const TSong* before = &CurrentSong();

  EXPECT_FALSE(Commands.OpenSong(Tmp / "gone.zmp"));
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(Boxes.Boxes()[0].Message, "The file doesn't exist or has been moved.");

  const std::string broken = Tmp.Write("broken.zmp", "ZMhd\x06\x00\x00\x00garbage");
  EXPECT_FALSE(Commands.OpenSong(broken));
  ASSERT_EQ(Boxes.Count(), 2u);
  EXPECT_EQ(Boxes.Boxes()[1].Caption, "Error");
  EXPECT_EQ(Boxes.Boxes()[1].Message, "Error while reading the ZMP file\rwhich may be corrupted.");
  EXPECT_EQ(&CurrentSong(), before);
  EXPECT_EQ(CurrentSong().ChannelCount(), 7);
  EXPECT_TRUE(CurrentSong().Modified());
  EXPECT_EQ(ProgramPaths().SongFileName, good);
  EXPECT_EQ(Commands.OpenedFileName, good);
  EXPECT_EQ(Prefs.RecentFiles[0], good);
  EXPECT_EQ(Host.Holds, 0);
}

TEST_F(SongCommandsTest, NewWithoutKitGivesTheEmptySongUntitled) {
  const std::string path = WriteSong("beat.zmp", 6, 133);
  ASSERT_TRUE(Commands.OpenSong(path));
  ASSERT_EQ(CurrentSong().PatternLength(), 32);
  CurrentSong().Playlist.SetPlaylistCell(3, 5, true);
  Commands.New();
  EXPECT_EQ(CurrentSong().ChannelCount(), 4);
  EXPECT_TRUE(CurrentSong().Playlist.PlaylistEmpty());
  EXPECT_EQ(CurrentSong().PatternLength(), 32);  // kept
  EXPECT_FALSE(CurrentSong().Modified());
  EXPECT_EQ(Commands.OpenedFileName, Tmp / "app/Loops/untitled.zmp");
  EXPECT_EQ(Prefs.RecentFiles[0], path);  // untitled stays out
  EXPECT_EQ(Prefs.RecentFiles[1], "");
  EXPECT_EQ(Host.Resets, 1);
  EXPECT_EQ(Commands.SongTitle, "");
  EXPECT_TRUE(Commands.TrackSongFileName);
}

TEST_F(SongCommandsTest, NewOpensTheDrumKitOutOfTheRecentFiles) {
  Prefs.DrumKitFileName = WriteSong("app/Samples/DrumKits/Basic/Basic.zmp", 7, 128);
  Commands.New();
  EXPECT_EQ(CurrentSong().ChannelCount(), 7);
  EXPECT_EQ(CurrentSong().PatternLength(), 16);  // the kit does not set it
  EXPECT_EQ(Commands.OpenedFileName, Tmp / "app/Loops/untitled.zmp");
  EXPECT_EQ(ProgramPaths().SongFileName, Tmp / "app/Loops/untitled.zmp");
  for (const std::string& r : Prefs.RecentFiles) EXPECT_EQ(r, "");
  // Save on the untitled song goes to Save as.
  EXPECT_FALSE(Commands.Save());
  ASSERT_EQ(Host.SaveDialogs.size(), 1u);
  EXPECT_EQ(Host.SaveDialogs[0].second, SaveTypeSong);

  // A drum-kit item: the kit becomes New's song.
  const std::string kit2 = WriteSong("app/Samples/DrumKits/Two/Two.zmp", 5, 100);
  Commands.OpenDrumKit(kit2, "Two");
  EXPECT_EQ(Prefs.DrumKitFileName, kit2);
  EXPECT_EQ(CurrentSong().ChannelCount(), 5);
  EXPECT_EQ(Host.Infos.back(), "Two kit loaded");
}

TEST_F(SongCommandsTest, RecentFileListing) {
  std::vector<std::string> songs;
  for (int i = 0; i < 9; ++i) songs.push_back(WriteSong("s" + std::to_string(i) + ".zmp", 1, 100 + i));
  for (const std::string& s : songs) ASSERT_TRUE(Commands.OpenSong(s));
  EXPECT_EQ(Prefs.RecentFiles[0], songs[8]);
  EXPECT_EQ(Prefs.RecentFiles[7], songs[1]);  // the first dropped out
  Commands.OpenRecent(3);                     // songs[5] goes to the top, once
  EXPECT_EQ(CurrentSong().BPM, 105);
  EXPECT_EQ(Prefs.RecentFiles[0], songs[5]);
  EXPECT_EQ(std::count(Prefs.RecentFiles.begin(), Prefs.RecentFiles.end(), songs[5]), 1);
  EXPECT_EQ(Prefs.RecentFiles[7], songs[1]);
}

TEST_F(SongCommandsTest, SaveTypesAndExtensions) {
  const std::string path = WriteSong("beat.zmp", 2, 100);
  ASSERT_TRUE(Commands.OpenSong(path));
  // WAV typed without extension gets ".wav"; the dialog opened on "beat.wav".
  Host.SaveChoices.push_back(TSaveChoice{Tmp / "mix", SaveTypeWAV});
  EXPECT_TRUE(Commands.RenderWAVCommand());
  EXPECT_EQ(Host.SaveDialogs.back(), std::make_pair(Tmp / "beat.wav", int(SaveTypeWAV)));
  EXPECT_EQ(Host.Renders, std::vector<std::string>{Tmp / "mix.wav"});
  EXPECT_EQ(Commands.RenderFileName, Tmp / "mix.wav");
  EXPECT_EQ(Commands.OpenedFileName, path);  // a render does not rename the song
  // MIDI: the whole song as a Standard MIDI File, typed without extension.
  Host.SaveChoices.push_back(TSaveChoice{Tmp / "beat", SaveTypeMIDI});
  EXPECT_TRUE(Commands.SaveAsMIDICommand());
  EXPECT_EQ(Host.SaveDialogs.back(), std::make_pair(Tmp / "beat.mid", int(SaveTypeMIDI)));
  EXPECT_EQ(Boxes.Count(), 0u);
  {
    std::ifstream in(Tmp / "beat.mid", std::ios::binary);
    std::string head(14, '\0');
    in.read(head.data(), 14);
    EXPECT_EQ(head, std::string("MThd\0\0\0\6\0\0\0\1\0\x78", 14));
  }
  EXPECT_EQ(Commands.OpenedFileName, path);
  // A MIDI file that can't be written is reported.
  Host.SaveChoices.push_back(TSaveChoice{Tmp / "no-such-folder/beat.mid", SaveTypeMIDI});
  EXPECT_FALSE(Commands.SaveAsMIDICommand());
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_NE(Boxes.Boxes()[0].Message.find("could not be saved as"), std::string::npos);
  // Save as on an opened ".zip" starts with the package type.
  Commands.OpenedFileName = Tmp / "pack.ZIP";
  EXPECT_FALSE(Commands.SaveAs());
  EXPECT_EQ(Host.SaveDialogs.back().second, SaveTypePackage);
  // ... and so does Save.
  EXPECT_FALSE(Commands.Save());
  EXPECT_EQ(Host.SaveDialogs.back().second, SaveTypePackage);
}

TEST_F(SongCommandsTest, RenderQuestionAfterSongSaves) {
  const std::string path = WriteSong("beat.zmp", 2, 100);
  ASSERT_TRUE(Commands.OpenSong(path));
  Commands.RenderAfterSave = true;
  EditSong();
  Boxes.Answer(IdYes);  // render?
  Host.SaveChoices.push_back(TSaveChoice{Tmp / "beat.wav", SaveTypeWAV});
  EXPECT_TRUE(Commands.Save());
  EXPECT_EQ(Host.Renders.size(), 1u);
  // From the save-changes question: asked once, and Yes cancels the command.
  EditSong();
  Boxes.Answer(IdYes);  // save changes
  Boxes.Answer(IdYes);  // render
  Host.SaveChoices.push_back(TSaveChoice{Tmp / "beat.wav", SaveTypeWAV});
  EXPECT_EQ(Commands.AskSaveChanges(), IdCancel);
  EXPECT_EQ(Host.Renders.size(), 2u);
  EXPECT_EQ(Boxes.Count(), 3u);
  EditSong();
  Boxes.Answer(IdYes);
  Boxes.Answer(IdNo);
  EXPECT_EQ(Commands.AskSaveChanges(), IdYes);
}

TEST_F(SongCommandsTest, CollectCountsDistinctSamplesAndNeverOverwrites) {
  const std::string kick = Tmp.Write("samples/kick.wav", "KICK");
  const std::string snare = Tmp.Write("samples/snare.wav", "SNARE");
  const std::string hat = Tmp.Write("samples/hat.wav", "HAT");
  TSong& song = CurrentSong();
  song.Channels[0]->SampleFileName = kick;
  song.Channels[1]->SampleFileName = snare;
  song.Channels[2]->SampleFileName = kick;
  song.Channels[3]->SampleFileName = hat;
  EXPECT_EQ(TSongCommands::CountDistinctSamples(song), 3);

  const std::string out = Tmp / "out";
  fs::create_directories(out);
  Tmp.Write("out/snare.wav", "MINE");
  Host.FolderChoice = out;
  EXPECT_EQ(Commands.CollectSamples(false), 2);
  EXPECT_EQ(Host.FolderText, "Copy the 3 samples you used to...");
  EXPECT_EQ(ReadFileBytes(out + "/kick.wav"), std::string("KICK"));
  EXPECT_EQ(ReadFileBytes(out + "/snare.wav"), std::string("MINE"));
  EXPECT_EQ(ReadFileBytes(out + "/hat.wav"), std::string("HAT"));
  // Nothing but the copies is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 3);
  // Again: every file exists, nothing is written.
  EXPECT_EQ(Commands.CollectSamples(false), 0);

  // Click-marked: only channels whose sample holds data, never over a file.
  song.Channels[3]->Sample.Data.assign(20, 1);
  song.Channels[3]->Sample.Length = 10;
  const std::string marked = Tmp / "marked";
  fs::create_directories(marked);
  Host.FolderChoice = marked;
  EXPECT_EQ(Commands.CollectSamples(true), 1);
  EXPECT_EQ(ReadFileBytes(marked + "/hat.wav"), std::string("marked"));
  Host.FolderChoice.reset();
  EXPECT_EQ(Commands.CollectSamples(false), 0);
}

// Two different files of one name: the second goes in under a free name,
// its channels name the copy, and the user is told; the first stays named.
TEST_F(SongCommandsTest, CollectCopiesASecondFileOfOneNameUnderAFreeNameAndSaysSo) {
  const std::string kick = Tmp.Write("a/kick.wav", "KICK A");
  const std::string other = Tmp.Write("b/kick.wav", "KICK B");
  TSong& song = CurrentSong();
  song.Channels[0]->SampleFileName = kick;
  song.Channels[1]->SampleFileName = other;
  song.Channels[1]->Name = "Deep";
  song.Channels[2]->SampleFileName = other;
  song.Channels[2]->Name.clear();
  song.Channels[3]->SampleFileName.clear();
  song.SetModified(false);
  const std::string out = Tmp / "out";
  fs::create_directories(out);
  Tmp.Write("out/kick-2.wav", "MINE");
  Host.FolderChoice = out;
  EXPECT_EQ(Commands.CollectSamples(false), 2);
  EXPECT_EQ(ReadFileBytes(out + "/kick.wav"), std::string("KICK A"));
  EXPECT_EQ(ReadFileBytes(out + "/kick-2.wav"), std::string("MINE"));
  EXPECT_EQ(ReadFileBytes(out + "/kick-3.wav"), std::string("KICK B"));
  EXPECT_EQ(song.Channels[0]->SampleFileName, kick);
  EXPECT_EQ(song.Channels[1]->SampleFileName, out + "/kick-3.wav");
  EXPECT_EQ(song.Channels[2]->SampleFileName, out + "/kick-3.wav");
  EXPECT_TRUE(song.Modified());
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(Boxes.Boxes()[0].Caption, "Collect samples");
  EXPECT_EQ(Boxes.Boxes()[0].Message,
            "Other samples had the same names, so these went in under free names, and their channels now name the "
            "copies:\rkick.wav -> kick-3.wav (Deep)\rkick.wav -> kick-3.wav (Channel 3)");
}

TEST(CreateFileNoOverwrite, RefusesAnExistingTarget) {
  TTestDir tmp;
  const std::string target = tmp.Write("a.txt", "old");
  EXPECT_FALSE(CopyFileNoOverwrite(tmp.Write("b.txt", "new"), target));
  EXPECT_EQ(ReadFileBytes(target), std::string("old"));
  EXPECT_TRUE(CopyFileNoOverwrite(tmp / "b.txt", tmp / "c.txt"));
  EXPECT_EQ(ReadFileBytes(tmp / "c.txt"), std::string("new"));
  EXPECT_FALSE(CopyFileNoOverwrite(tmp / "missing.txt", tmp / "d.txt"));
  EXPECT_FALSE(fs::exists(tmp / "d.txt"));
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Dir()), fs::directory_iterator()), 3);
}

}  // namespace
}  // namespace vs
