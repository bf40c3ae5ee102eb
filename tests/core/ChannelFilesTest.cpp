#include "core/ChannelFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/ProgramPaths.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "engine/Mixer.h"
#include "engine/OutsideRenderers.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "files/SongReader.h"
#include "support/TempDir.h"
#include "toolbox/AllTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

const std::string Fakes = VS_FAKES_DIR;

class RecordingHost : public TChannelFileHost {
public:
  std::vector<std::string> Infos, Errors, Opened;
  std::vector<int> Refreshed;
  int Holds = 0;
  bool Adjust = true, SaveAnswer = true, SampleCommands = false;
  void SuspendOutput() override {
    ++Holds;
    TChannelFileHost::SuspendOutput();
  }
  void ResumeOutput() override {
    --Holds;
    TChannelFileHost::ResumeOutput();
  }
  void ShowInfo(const std::string& text) override { Infos.push_back(text); }
  void ShowError(const std::string& message) override { Errors.push_back(message); }
  bool AdjustChannelName() override { return Adjust; }
  void RefreshChannelSettings(int index) override { Refreshed.push_back(index); }
  void SetSampleCommandsEnabled(bool enabled) override { SampleCommands = enabled; }
  bool AskSaveChanges() override { return SaveAnswer; }
  void OpenSong(const std::string& name) override { Opened.push_back(name); }
};

// n frames: left = 100 (i + 1), right = -100 (i + 1).
std::vector<int16_t> Frames(int n) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    f[2 * i] = static_cast<int16_t>(100 * (i + 1));
    f[2 * i + 1] = static_cast<int16_t>(-100 * (i + 1));
  }
  return f;
}

class ChannelLoading : public ::testing::Test {
protected:
  TTestDir Tmp;
  RecordingHost Host;
  std::unique_ptr<TSong> Song = std::make_unique<TSong>();

  void SetUp() override {
    ProgramPaths() = {};
    ProgramPaths().AppPath = Tmp.Dir() + "/app/";
    SetChannelFileHost(&Host);
    AddChannel(*Song);
    AddChannel(*Song);
    Song->SetModified(false);
    StopAllVoices();
  }
  void TearDown() override {
    SetChannelFileHost(nullptr);
    ProgramPaths() = {};
    StopAllVoices();
    UnloadOutsideRenderers();
    SetOutsideLibraryFolder("");
  }
  // A WAV of n frames (see Frames) at a path below the test folder.
  std::string Wav(const std::string& name, int n = 8) {
    TWAVSample s;
    s.SetFrames(Frames(n));
    const std::string path = Tmp / name;
    fs::create_directories(fs::path(path).parent_path());
    EXPECT_TRUE(SaveWAVFile(&s, path));
    return path;
  }
  TChannel& Chan(int i) { return *Song->Channel(i); }
  void Load(int index, const std::string& name, bool adopt = false) {
    LoadFileIntoChannel(*Song, index, name, adopt, true);
  }
  static void MixBlock() {
    MixerGuard lock;
    Mixer().MixBlock();
  }
};

TEST_F(ChannelLoading, WAVBelowTheSamplesFolderIsStoredRelative) {
  const std::string path = Wav("app/Samples/Kits/Kick.wav", 8);
  Load(1, path, true);
  TChannel& c = Chan(1);
  EXPECT_EQ(c.Sample.Data, Frames(8));
  EXPECT_EQ(c.Sample.PlayLength, 8);
  EXPECT_EQ(c.SampleFileName, "\\Kits\\Kick.wav");
  EXPECT_EQ(c.Name, "Kick");
  EXPECT_NE(c.Color, 0xBAC8C8u);
  EXPECT_TRUE(LoadedSample.Empty());
  EXPECT_TRUE(Song->Modified());
  EXPECT_TRUE(Host.SampleCommands);
  EXPECT_EQ(Host.Holds, 0);
  EXPECT_EQ(Host.Infos.back(), "Loading: kick.wav");
  EXPECT_EQ(Host.Refreshed, std::vector<int>{1});

  // The stored relative name is resolved again.
  Load(0, "\\Kits\\Kick.wav");
  EXPECT_EQ(Chan(0).Sample.Data, Frames(8));
  EXPECT_EQ(Chan(0).Name, "");  // not adopted

  // Without the option the name and colour stay.
  Host.Adjust = false;
  Load(0, Wav("other.wav"), true);
  EXPECT_EQ(Chan(0).Name, "");
  EXPECT_EQ(Chan(0).SampleFileName, Tmp / "other.wav");
}

TEST_F(ChannelLoading, ViewsHearOfTheLoadOutsideTheMixerLock) {
  struct Listener : SongListener {
    int Calls = 0, UnderLock = 0;
    void ChannelChanged(int) override { Count(); }
    void ChannelListChanged() override { Count(); }
    void Count() {
      ++Calls;
      if (MixerLockHeldByThisThread()) ++UnderLock;
    }
  } listener;
  Song->AddListener(&listener);
  Load(0, Wav("a.wav"), true);
  Song->RemoveListener(&listener);
  EXPECT_GT(listener.Calls, 0);
  EXPECT_EQ(listener.UnderLock, 0);
  EXPECT_EQ(Chan(0).Name, "a");
}

TEST_F(ChannelLoading, TheNameTheChannelHoldsIsNotLoadedAgain) {
  const std::string path = Wav("a.wav");
  Load(0, path);
  Chan(0).Sample.Clear();
  Song->SetModified(false);
  Load(0, path);
  EXPECT_TRUE(Chan(0).Sample.Empty());
  EXPECT_FALSE(Song->Modified());
}

TEST_F(ChannelLoading, OtherExtensionsAndSynthesizerChannels) {
  Load(0, Wav("a.wav"));
  Song->SetModified(false);
  Load(0, Tmp.Write("notes.txt", "hello"), true);
  EXPECT_EQ(Chan(0).Sample.Data, Frames(8));
  EXPECT_EQ(Chan(0).SampleFileName, Tmp / "a.wav");
  EXPECT_FALSE(Song->Modified());

  Chan(1).MakeMB404(false);
  Song->SetModified(false);
  Load(1, Wav("b.wav"), true);
  EXPECT_TRUE(Chan(1).Sample.Empty());
  EXPECT_EQ(Chan(1).SampleFileName, "");
  EXPECT_FALSE(Song->Modified());
}

TEST_F(ChannelLoading, MissingSampleKeepsItsNameAndEmptiesTheChannel) {
  Load(0, Wav("a.wav"));
  Load(0, "\\Gone\\snare.wav");
  EXPECT_TRUE(Chan(0).Sample.Empty());
  EXPECT_EQ(Chan(0).SampleFileName, "\\Gone\\snare.wav");
  EXPECT_NE(std::find(Host.Infos.begin(), Host.Infos.end(), "Locating: snare.wav"), Host.Infos.end());

  // A file that is there but no sample: the channel is empty, the file named.
  const std::string junk = Tmp.Write("junk.wav", "not a wave file");
  Load(0, junk);
  EXPECT_TRUE(Chan(0).Sample.Empty());
  EXPECT_EQ(Chan(0).SampleFileName, junk);

  // An empty name empties the channel.
  Load(1, Wav("b.wav"));
  Load(1, "");
  EXPECT_TRUE(Chan(1).Sample.Empty());
  EXPECT_EQ(Chan(1).SampleFileName, "");
  EXPECT_TRUE(Host.SampleCommands);  // channel 0 still names its file
  Load(0, "");
  EXPECT_FALSE(Host.SampleCommands);
}

TEST_F(ChannelLoading, ResolveSearchesSamplesFolderSongFolderThenSearchTrees) {
  const std::string stored = "\\Sub\\kick.wav";
  EXPECT_EQ(ResolveSamplePath(stored), "");
  EXPECT_EQ(Host.Infos.back(), "Locating: kick.wav");

  ProgramPaths().SampleSearchPaths = {Tmp / "search1", Tmp / "search2"};
  const std::string deep = Wav("search2/a/b/KICK.WAV");
  EXPECT_EQ(ResolveSamplePath(stored), deep);

  ProgramPaths().SongFileName = Tmp / "songs/my.zmp";
  const std::string beside = Wav("songs/Kick.Wav");
  EXPECT_EQ(ResolveSamplePath(stored), beside);

  const std::string home = Wav("app/Samples/SUB/KICK.WAV");
  Host.Infos.clear();
  EXPECT_EQ(ResolveSamplePath(stored), home);
  EXPECT_TRUE(Host.Infos.empty());
  EXPECT_EQ(StoredSampleName(home), "\\SUB\\KICK.WAV");

  // A name as written, and names from elsewhere.
  EXPECT_EQ(ResolveSamplePath(beside), beside);
  EXPECT_EQ(ResolveSamplePath("C:\\Kits\\kick.wav"), beside);
  EXPECT_EQ(ResolveSamplePath(""), "");
  EXPECT_EQ(ResolveSamplePath("\\..\\.."), "");
}

TEST_F(ChannelLoading, NoSongFolderWhileTheSongHasNoFileName) {
  const std::string old = fs::current_path().string();
  fs::current_path(Tmp.Dir());
  Wav("kick.wav");
  const std::string found = ResolveSamplePath("\\Sub\\kick.wav");
  fs::current_path(old);
  EXPECT_EQ(found, "");
}

TEST_F(ChannelLoading, InstrumentFilesLoopAndNameTheChannel) {
  std::string f(298, '\0');
  std::memcpy(f.data(), "Extended Instrument: ", 21);
  f[296] = 1;
  std::string h(40, '\0');
  h[0] = 6;      // six bytes of 8-bit data
  h[4] = 2;      // loop start 2
  h[8] = 3;      // loop length 3
  h[14] = 2;     // ping-pong
  std::memcpy(h.data() + 18, "Bell", 4);
  f += h;
  f += std::string("\x01\x01\x01\x01\x01\x01", 6);
  // Another channel uses cut group 1.
  Chan(0).Sample.CutGroup = 1;
  Load(1, Tmp.Write("inst.xi", f), true);
  const TWAVSample& s = Chan(1).Sample;
  EXPECT_TRUE(s.Looped);
  EXPECT_EQ(s.PingPong, 1);
  EXPECT_EQ(s.CutGroup, 2);
  EXPECT_EQ(s.CutByGroup, 2);
  ASSERT_EQ(s.Length, 9);  // 6 frames, loop 2..4 unrolled
  EXPECT_EQ(s.LoopStart, 2);
  EXPECT_EQ(s.LoopEnd, 7);
  EXPECT_EQ(s.NominalLength, 9);
  EXPECT_EQ(s.Data[2 * 5], 5 * 256);
  EXPECT_EQ(s.Data[2 * 7], 3 * 256);
  EXPECT_EQ(Chan(1).Name, "Bell");
  EXPECT_EQ(Host.Refreshed, (std::vector<int>{1, 1}));
}

TEST_F(ChannelLoading, PresetsRenderWithTheChannelsNote) {
  SetOutsideLibraryFolder(Fakes + "/full");
  Chan(0).RenderNote = 48;
  Load(0, Tmp.Write("bass.syn", "GOOD\n"));
  EXPECT_EQ(Chan(0).Sample.Data, (std::vector<int16_t>{48, -48, 1, 2, 3, 4}));
}

TEST_F(ChannelLoading, DrumScriptsUseTheirWAVOrTheRenderer) {
  SetOutsideLibraryFolder(Fakes + "/broken");  // the renderer is missing
  const std::string script = Tmp.Write("loops/beat.ds", "0\n");
  Load(0, script);
  EXPECT_EQ(Host.Errors, std::vector<std::string>{DSLibraryMissingMessage});
  EXPECT_TRUE(Chan(0).Sample.Empty());
  EXPECT_EQ(Chan(0).SampleFileName, script);

  // A rendered WAV beside the script is used, in any case of its name.
  const std::string other = Tmp.Write("loops/fill.DS", "0\n");
  Wav("loops/fill.wav", 5);
  Load(1, other);
  EXPECT_EQ(Chan(1).Sample.Data, Frames(5));
  EXPECT_EQ(Host.Errors.size(), 1u);

  // Renderer failures.
  SetOutsideLibraryFolder(Fakes + "/full");
  Load(0, Tmp.Write("old.ds", "1\n"));
  Load(0, Tmp.Write("bad.ds", "3\n"));
  ASSERT_EQ(Host.Errors.size(), 3u);
  EXPECT_EQ(Host.Errors[1], DSLibraryTooOldMessage);
  EXPECT_EQ(Host.Errors[2], DSScriptFaultMessage);
  EXPECT_EQ(Host.Infos.back(), "Loading: bad.ds");
}

TEST_F(ChannelLoading, SampleFilesForPreviewNeverLoadAStaleRender) {
  SetOutsideLibraryFolder(Fakes + "/broken");
  const std::string temp = GetTempDirectory() + "temp.wav";
  {
    TWAVSample stale;
    stale.SetFrames(Frames(3));
    ASSERT_TRUE(SaveWAVFile(&stale, temp));
  }
  TWAVSample s;
  s.SetFrames(Frames(2));
  EXPECT_EQ(LoadSampleFile(Tmp.Write("x.ds", "0\n"), s), LibraryMissing);
  EXPECT_TRUE(s.Empty());
  EXPECT_FALSE(fs::exists(temp));

  EXPECT_EQ(LoadSampleFile("", s), WAVCannotOpen);
  Wav("y.wav", 4);
  EXPECT_EQ(LoadSampleFile(Tmp.Write("y.ds", "0\n"), s), 0);  // the script's WAV
  EXPECT_EQ(s.Length, 4);
  EXPECT_EQ(SiblingWAVPath(Tmp / "z.ds"), Tmp / "z.wav");
  EXPECT_EQ(SiblingWAVPath(Tmp / "z.DS"), Tmp / "z.WAV");
  EXPECT_EQ(SiblingWAVPath(Tmp / "Y.DS"), Tmp / "y.wav");  // found in any case
  EXPECT_EQ(SiblingWAVPath(Tmp / "y.DS"), Tmp / "y.wav");
}

TEST_F(ChannelLoading, StepValueAndSynthesizerFiles) {
  Load(0, Tmp.Write("vol.fpr", "FXNum=1\nVal=5\n"));
  EXPECT_TRUE(Song->Modified());
  ASSERT_NE(Chan(0).Steps.Block(Song->CurrentPattern), nullptr);

  Song->SetModified(false);
  const std::string preset = Tmp.Write("acid.404", std::string(140, '\x01'));
  Load(1, preset);  // a sample channel: nothing
  EXPECT_FALSE(Song->Modified());
  EXPECT_EQ(Chan(1).Kind, 0);

  // Dropped on the rack: the channel turns into a synthesizer channel first,
  // and channels are appended for the files beyond the last one.
  LoadFilesIntoChannels(*Song, 1, {preset, Wav("c.wav"), Wav("d.wav")});
  ASSERT_EQ(Song->ChannelCount(), 4);
  EXPECT_EQ(Chan(1).Kind, 1);
  EXPECT_EQ(Chan(1).Name, "MB404 #1");
  EXPECT_TRUE(Song->Modified());
  EXPECT_EQ(Chan(2).SampleFileName, Tmp / "c.wav");
  EXPECT_EQ(Chan(3).Name, "d");
}

TEST_F(ChannelLoading, SongFilesAreOpenedAfterTheQuestion) {
  EXPECT_FALSE(TryOpenSongFile(Tmp / "a.wav"));
  EXPECT_TRUE(TryOpenSongFile(Tmp / "a.ZMP"));
  EXPECT_TRUE(TryOpenSongFile(Tmp / "pack.zip"));
  Host.SaveAnswer = false;
  EXPECT_TRUE(TryOpenSongFile(Tmp / "b.zmp"));
  EXPECT_EQ(Host.Opened, (std::vector<std::string>{Tmp / "a.ZMP", Tmp / "pack.zip"}));
}

TEST_F(ChannelLoading, PreviewsEndEarlierPreviews) {
  TMixer& mixer = Mixer();
  PreviewSampleFile(Wav("p.wav", 50000));
  EXPECT_EQ(PreviewFileName, Tmp / "p.wav");
  EXPECT_EQ(PreviewSample.PlayLength, 50000);
  ASSERT_EQ(mixer.VoiceCount, 1);
  EXPECT_EQ(mixer.Voices[0].Tag, -1);
  MixBlock();
  PreviewSampleFile(Wav("q.wav", 50000));  // stops the voices of the preview sample
  EXPECT_EQ(mixer.VoiceCount, 1);

  Load(0, Wav("r.wav", 40000));
  TChannel& c = Chan(0);
  c.Sample.SetLoop(10, 20);
  c.Sample.Looped = true;
  c.Stretch = 4;
  c.Sample.NominalLength = 0;  // no division by zero
  MixBlock();
  PlayPreview(c);
  ASSERT_EQ(mixer.VoiceCount, 2);
  EXPECT_EQ(mixer.Voices[1].Stretched, 40000);
  EXPECT_EQ(mixer.Voices[1].LoopOn, 1);
  EXPECT_LT(mixer.Voices[0].EndPos, 50000);  // the earlier preview was cut
  c.Sample.NominalLength = 20000;
  Preview(c);
  ASSERT_EQ(mixer.VoiceCount, 3);
  EXPECT_EQ(mixer.Voices[2].LoopOn, 0);
  EXPECT_EQ(mixer.Voices[2].Stretched, int64_t(mixer.FramesPerStep) * 4 * 40000 / 20000);
  EXPECT_TRUE(c.Sample.Looped);
}

TEST_F(ChannelLoading, FilesDroppedOnTheRackFindTheirRows) {
  // Two rows of name buttons 20 high at y 0 and 20, a collapsed pair side
  // by side at y 40 (x 0..30 and 30..60), and a last row at y 60.
  std::vector<TRackDropRow> rows{{0, 0, 80, 20, false}, {0, 20, 80, 40, false}, {0, 40, 30, 60, true},
                                 {30, 40, 60, 60, true}, {0, 60, 80, 80, false}};
  auto place = [&](int x, int y) {
    const TRackDropPlace p = FindRackDropPlace(rows, x, y);
    return std::pair(p.Hit, p.Stop);
  };
  EXPECT_EQ(place(200, 25), std::pair(1, 1));  // any x on a full row
  EXPECT_EQ(place(40, 45), std::pair(3, 3));   // the second collapsed button
  EXPECT_EQ(place(70, 45), std::pair(-1, 4));  // right of both: the next row stops it
  EXPECT_EQ(place(5, 85), std::pair(-1, 5));   // below the rack
  EXPECT_EQ(place(5, 0), std::pair(0, 0));     // the top edge belongs to the row

  // Three files on the second row: it takes the first, two new channels
  // after it take the others.
  Song->Channel(0)->Name = "first";
  Song->Channel(1)->Name = "second";
  const std::vector<std::string> files{Wav("a.wav"), Wav("b.wav"), Wav("c.wav")};
  std::vector<TRackDropRow> two{rows[0], rows[1]};
  EXPECT_EQ(DropFilesOnRack(*Song, two, 10, 30, files), 1);
  ASSERT_EQ(Song->ChannelCount(), 4);
  EXPECT_EQ(Chan(0).Name, "first");
  EXPECT_EQ(Chan(1).SampleFileName, Tmp / "a.wav");
  EXPECT_EQ(Chan(2).SampleFileName, Tmp / "b.wav");
  EXPECT_EQ(Chan(3).SampleFileName, Tmp / "c.wav");
  // Below every row: new channels at the end; a song opens instead.
  EXPECT_EQ(DropFilesOnRack(*Song, two, 10, 300, {Wav("d.wav")}), 2);
  EXPECT_EQ(Chan(2).SampleFileName, Tmp / "d.wav");
  EXPECT_EQ(Chan(3).SampleFileName, Tmp / "b.wav");
  EXPECT_EQ(DropFilesOnRack(*Song, two, 10, 5, {Tmp / "s.zmp", Wav("e.wav")}), -1);
  EXPECT_EQ(Host.Opened, std::vector<std::string>{Tmp / "s.zmp"});
  EXPECT_EQ(Song->ChannelCount(), 5);
}

TEST_F(ChannelLoading, DialogPreviewsSkipLargeFilesAndReplayTheSameOne) {
  TMixer& mixer = Mixer();
  const std::string big = Wav("big.wav", int(MaxDialogPreviewBytes / 4));  // header + 4 MiB of frames
  PreviewDialogFile(big);
  EXPECT_EQ(mixer.VoiceCount, 0);
  EXPECT_NE(PreviewFileName, big);
  const std::string small = Wav("small.wav", 3000);
  PreviewDialogFile(small);
  ASSERT_EQ(mixer.VoiceCount, 1);
  EXPECT_EQ(PreviewFileName, small);
  // The same file again plays what is loaded without reading it.
  fs::remove(small);
  PreviewDialogFile(small);
  EXPECT_EQ(mixer.VoiceCount, 2);
  EXPECT_EQ(mixer.Voices[1].Stretched, 3000);
}

TEST_F(ChannelLoading, SongReaderLoadsAndRebuildsThroughTheProgramLoader) {
  Wav("app/Samples/k.wav", 6);
  Load(0, Tmp / "app/Samples/k.wav");
  Chan(0).Sample.PingPong = 0;
  Chan(0).Reversed = true;
  const std::string songPath = Tmp / "song.zmp";
  ASSERT_TRUE(SaveSong(songPath, *Song));

  TSongFileContent content;
  SongReadOptions options;
  options.Loader = &ProgramChannelLoader();
  const auto image = ReadFileBytes(songPath);
  ASSERT_TRUE(image);
  ASSERT_EQ(ReadSongImage(reinterpret_cast<const uint8_t*>(image->data()), image->size(), content, options),
            SongLoaded);
  TChannel& read = *content.Song->Channel(0);
  EXPECT_EQ(read.SampleFileName, "\\k.wav");
  ASSERT_EQ(read.Sample.Length, 6);
  EXPECT_EQ(read.Sample.Data[0], 600);  // reversed
  EXPECT_EQ(read.Sample.Data[2 * 5], 100);

  // A ping-pong change rebuilds from the preview copy with the settings.
  read.Sample.PingPong = 1;
  read.Reversed = false;
  ProgramChannelLoader().RebuildSample(*content.Song, 0);
  EXPECT_EQ(read.Sample.Data[0], 100);
  EXPECT_EQ(PreviewFileName, Tmp / "app/Samples/k.wav");
}

}  // namespace
}  // namespace vs
