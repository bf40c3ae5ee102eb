// Writes killed at random points, files that can't be written, limits:
// afterwards every file is its old or its new self, complete, and nothing
// of the write is left beside it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "core/ChannelFiles.h"
#include "model/Channels.h"
#include "model/RenderOptions.h"
#include "model/SongReset.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "files/ZipSong.h"
#include "platform/ZipArchive.h"
#include "support/TempDir.h"
#include "toolbox/AllTools.h"
#include "toolbox/SafeFile.h"

namespace vs {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The exit status of write() run in a child process, killed after `delay`
// when it is still running then (-1: killed).
int RunChild(const std::function<bool()>& write, Clock::duration delay, bool named) {
  const pid_t child = fork();
  if (child == 0) {
    SetUnnamedTempFiles(!named);
    _exit(write() ? 0 : 1);
  }
  if (delay != Clock::duration::max()) {
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a file holds: its bytes; for an archive that opens, each entry's
// name, size and checksum (its times differ from write to write).
std::string Contents(const std::string& path) {
  std::vector<TZipDirEntry> entries;
  std::string error, held = *ReadFileBytes(path);
  if (path.size() < 4 || path.substr(path.size() - 4) != ".zip" || ZipReadDirectory(path, entries, error) != 0)
    return held;
  held = "archive:";
  for (const TZipDirEntry& e : entries)
    held += e.Name + "/" + std::to_string(e.UncompressedSize) + "/" + std::to_string(e.CRC32) + ";";
  return held;
}

int TempFilesIn(const std::string& folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += IsTempFileName(e.path().filename().string());
  return n;
}

class InterruptedWritesTest : public ::testing::TestWithParam<bool> {
protected:
  TTestDir Tmp;
  std::string Target;

  void SetUp() override {
    // Samples with some noise in them (packing takes its time), a song that
    // names them, a long bar to render.
    auto song = std::make_unique<TSong>();
    std::mt19937 noise(7);
    for (int i = 0; i < 3; ++i) {
      std::vector<int16_t> frames(400000);
      for (int16_t& v : frames) v = int16_t(noise() % 20000);
      TWAVSample s;
      s.SetFrames(std::move(frames));
      const std::string wav = Tmp / ("s" + std::to_string(i) + ".wav");
      ASSERT_TRUE(SaveWAVFile(&s, wav));
      AddChannel(*song);
      LoadFileIntoChannel(*song, i, wav, false, false);
    }
    song->BPM = 30;
    song->SetPatternLength(64);
    for (int step = 0; step < 64; step += 8) song->Channels[step % 3]->Steps.SetStepOn(song->CurrentPattern, step, true);
    ASSERT_TRUE(SaveSong(Tmp / "song.zmp", *song));
    ReplaceCurrentSong(std::move(song));
    fs::create_directories(Tmp / "out");
  }
  void TearDown() override { ProgramZipMaster().Unattended = false; }

  // Runs write >= 50 times in children killed at random points of it, then
  // once to its end: the target is always the old or the new file, and no
  // temporary file is left.
  void KillDuringWrites(const std::string& name, const std::function<bool()>& write) {
    Target = Tmp / ("out/" + name);
    const bool named = GetParam();
    const auto start = Clock::now();
    ASSERT_EQ(RunChild(write, Clock::duration::max(), named), 0);
    const auto took = Clock::now() - start;
    const std::string fresh = Contents(Target);
    const std::string old = "the old " + name;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int64_t> at(0, std::chrono::duration_cast<std::chrono::microseconds>(took).count());
    int oldSeen = 0, newSeen = 0;
    for (int run = 0; run < 50; ++run) {
      ASSERT_TRUE(WriteFileSafely(Target, old));
      RunChild(write, std::chrono::microseconds(at(random)), named);
      const std::string now = Contents(Target);
      ASSERT_TRUE(now == old || now == fresh) << name << " run " << run << ": " << now.size() << " bytes";
      (now == old ? oldSeen : newSeen)++;
    }
    EXPECT_GT(oldSeen, 0) << "no write was interrupted";
    ASSERT_EQ(RunChild(write, Clock::duration::max(), named), 0);
    EXPECT_EQ(Contents(Target), fresh);
    EXPECT_EQ(TempFilesIn(Tmp / "out"), 0) << name;
  }
};

TEST_P(InterruptedWritesTest, KilledRendersSavesAndPackagesLeaveOldOrNewFilesAndNothingElse) {
  KillDuringWrites("beat.wav", [this] { return RenderSongToFile(Target).Ok; });
  KillDuringWrites("song.zmp", [this] { return bool(SaveSong(Target, CurrentSong())); });
  std::vector<TPackedFile> samples;
  for (int i = 0; i < 3; ++i) samples.push_back({Tmp / ("s" + std::to_string(i) + ".wav"), "s" + std::to_string(i) + ".wav"});
  const std::string image = *ReadFileBytes(Tmp / "song.zmp");
  ProgramZipMaster().Unattended = true;
  KillDuringWrites("song.zip", [this, samples, image] {
    return WriteSongPackage(ProgramZipMaster(), Target, "song.zmp", {image.begin(), image.end()}, samples, Tmp.Dir(),
                            {});
  });
}

INSTANTIATE_TEST_SUITE_P(UnnamedAndNamed, InterruptedWritesTest, ::testing::Values(false, true));

TEST(RenderFaults, AFullDiskOrAFIFOSaysWhyAndKeepsTheOldWAVAndNFO) {
  TTestDir tmp;
  const std::string disk = tmp / "disk";
  fs::create_directories(disk);
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  auto song = std::make_unique<TSong>();
  ResetSongModel(*song);
  song->BPM = 30;
  song->SetPatternLength(64);
  ReplaceCurrentSong(std::move(song));
  RenderOptions().SaveNFO = true;
  const std::string wav = disk + "/beat.wav", nfo = disk + "/beat.nfo";
  ASSERT_TRUE(WriteFileSafely(wav, std::string("old wav")));
  ASSERT_TRUE(WriteFileSafely(nfo, std::string("old nfo")));
  const TRenderResult full = RenderSongToFile(wav);
  EXPECT_FALSE(full.Ok);
  EXPECT_NE(full.Error.find("No space left on device"), std::string::npos) << full.Error;
  EXPECT_EQ(*ReadFileBytes(wav), "old wav");
  EXPECT_EQ(*ReadFileBytes(nfo), "old nfo");
  EXPECT_EQ(TempFilesIn(disk), 0);

  // A link to a FIFO: refused with a message, the FIFO left as it is.
  ASSERT_EQ(mkfifo((disk + "/pipe").c_str(), 0600), 0);
  ASSERT_EQ(symlink("pipe", (disk + "/piped.wav").c_str()), 0);
  const TRenderResult piped = RenderSongToFile(disk + "/piped.wav");
  EXPECT_EQ(piped.Error, RenderCreateMessage(disk + "/piped.wav", "It exists and is not a regular file"));
  struct stat st {};
  EXPECT_TRUE(lstat((disk + "/pipe").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
  RenderOptions() = {};
  umount2(disk.c_str(), MNT_DETACH);
}

TEST(MemoryLimits, ASampleTooLargeForTheMemoryFailsItsLoadWithoutEndingTheProgram) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
  // The sanitizers' own allocators need far more address space than any
  // limit this test can set.
  GTEST_SKIP() << "an address-space limit starves the sanitizer's allocator";
#endif
  TTestDir tmp;
  // 4 MB of 8-bit mono at 11025 Hz: 64 MB once 16-bit stereo at 44100 Hz.
  std::string wav = "RIFF0000WAVEfmt ";
  const auto put = [&wav](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) wav += char(v >> (8 * i));
  };
  put(16, 4), put(1, 2), put(1, 2), put(11025, 4), put(11025, 4), put(1, 2), put(8, 2);
  wav += "data";
  put(4 << 20, 4);
  wav += std::string(4 << 20, char(0x90));
  const std::string big = tmp.Write("big.wav", wav);
  const pid_t child = fork();
  if (child == 0) {
    // The address space this process has now, and 40 MB more.
    struct rlimit limit;
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    statm >> pages;
    limit.rlim_cur = limit.rlim_max = pages * uint64_t(sysconf(_SC_PAGESIZE)) + (40u << 20);
    setrlimit(RLIMIT_AS, &limit);
    TSong song;
    AddChannel(song);
    const bool loaded = LoadChosenFileIntoChannel(song, 0, big, false, false);
    _exit(!loaded && song.Channels[0]->Sample.Length == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace vs
