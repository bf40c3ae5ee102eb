#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "toolbox/AllTools.h"
#include "toolbox/SafeFile.h"

using namespace vs;

namespace {

struct TempDir {
  std::string Path;
  TempDir() {
    char tmpl[] = "/tmp/vs-safefile-XXXXXX";
    Path = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + Path + "'").c_str()); }
  int Count() const {
    int n = 0;
    DIR* d = opendir(Path.c_str());
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") ++n;
    }
    closedir(d);
    return n;
  }
};

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

TEST(SafeFile, WritesPatchesAndReplaces) {
  TempDir dir;
  std::string target = dir.Path + "/out.bin";
  ASSERT_TRUE(WriteFileSafely(target, std::string("old contents")));
  chmod(target.c_str(), 0640);

  TSafeFile f;
  ASSERT_TRUE(f.Open(target));
  EXPECT_TRUE(f.Write("abcdef", 6));
  EXPECT_TRUE(f.WriteAt(2, "XY", 2));
  EXPECT_EQ(f.Size(), 6u);
  EXPECT_FALSE(f.WriteAt(5, "XY", 2)) << "a patch must stay inside what was written";
  EXPECT_TRUE(f.Failed());
  EXPECT_FALSE(f.Commit());
  EXPECT_EQ(ReadAll(target), "old contents");

  ASSERT_TRUE(f.Open(target));
  EXPECT_TRUE(f.Write("abcdef", 6));
  EXPECT_TRUE(f.WriteAt(2, "XY", 2));
  EXPECT_TRUE(f.Commit());
  EXPECT_EQ(ReadAll(target), "abXYef");
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file's permissions are kept";
  EXPECT_EQ(dir.Count(), 1) << "no temporary file is left behind";
}

TEST(SafeFile, NamesUpToTheLongestAFolderHoldsAreWritten) {
  TempDir dir;
  for (size_t length : {size_t(200), size_t(240), size_t(255)}) {
    const std::string target = dir.Path + "/" + std::string(length - 4, 'n') + ".zmp";
    ASSERT_TRUE(WriteFileSafely(target, std::string("song"))) << length;
    EXPECT_EQ(ReadAll(target), "song");
    ASSERT_TRUE(WriteFileSafely(target, std::string("again"))) << length;
    EXPECT_EQ(ReadAll(target), "again");
    const std::string temp = TempNameBeside(target);
    ASSERT_FALSE(temp.empty()) << length;
    EXPECT_EQ(temp.substr(0, dir.Path.size() + 1), dir.Path + "/");
    EXPECT_LE(temp.size() - dir.Path.size() - 1, 255u);
  }
  EXPECT_EQ(dir.Count(), 3) << "no temporary file is left behind";
}

TEST(SafeFile, AbandonedWriteLeavesTargetAndNoTemporary) {
  TempDir dir;
  std::string target = dir.Path + "/keep.txt";
  ASSERT_TRUE(WriteFileSafely(target, std::string("keep")));
  {
    TSafeFile f;
    ASSERT_TRUE(f.Open(target));
    f.Write("new", 3);
  }
  EXPECT_EQ(ReadAll(target), "keep");
  EXPECT_EQ(dir.Count(), 1);
  const TWriteResult missing = WriteFileSafely(dir.Path + "/missing/x.txt", std::string("x"));
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.SystemError, ENOENT);
  EXPECT_EQ(missing.Reason(), "No such file or directory");
  EXPECT_FALSE(WriteFileSafely(dir.Path + "/", std::string("x")));
}

// The id of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

TEST(SafeFile, StaleTemporariesOfEndedRunsAreRemovedAndNothingElse) {
  TempDir dir;
  const std::string dead = std::to_string(EndedProcess()), mine = std::to_string(getpid());
  const std::string stale = ".settings.ini.tmp-" + dead + "-0-1234";
  const std::vector<std::string> kept = {
      ".settings.ini.tmp-" + mine + "-3-99",   // a write of this run
      ".other.ini.tmp-" + dead + "-0-1234",    // another file's
      ".settings.ini.tmp-" + dead + "-x-1",    // not our pattern
      "settings.ini.tmp-" + dead + "-0-1",     // not hidden
      "settings.ini",
  };
  for (const std::string& name : kept) std::ofstream(dir.Path + "/" + name) << "x";
  std::ofstream(dir.Path + "/" + stale) << "half";
  ASSERT_EQ(mkdir((dir.Path + "/.settings.ini.tmp-" + dead + "-1-1").c_str(), 0700), 0);  // a folder
  EXPECT_EQ(RemoveStaleTempFiles(dir.Path + "/settings.ini"), 1);
  EXPECT_EQ(access((dir.Path + "/" + stale).c_str(), F_OK), -1);
  for (const std::string& name : kept) EXPECT_EQ(access((dir.Path + "/" + name).c_str(), F_OK), 0) << name;
  EXPECT_EQ(dir.Count(), int(kept.size()) + 1);

  // Private temporary folders: only ours whose process ended go.
  setenv("TMPDIR", dir.Path.c_str(), 1);
  for (const std::string& name : {"VorbelSteps-" + dead + "-a1B2c3", "VorbelSteps-" + mine + "-a1B2c3",
                                  std::string("VorbelSteps-a1B2c3"), "Other-" + dead + "-a1B2c3"})
    ASSERT_EQ(mkdir((dir.Path + "/" + name).c_str(), 0700), 0);
  std::ofstream(dir.Path + "/VorbelSteps-" + dead + "-a1B2c3/temp.wav") << "x";
  EXPECT_EQ(RemoveStaleTempDirectories(), 1);
  unsetenv("TMPDIR");
  EXPECT_EQ(access((dir.Path + "/VorbelSteps-" + dead + "-a1B2c3").c_str(), F_OK), -1);
  EXPECT_EQ(access((dir.Path + "/VorbelSteps-" + mine + "-a1B2c3").c_str(), F_OK), 0);
  EXPECT_EQ(access((dir.Path + "/VorbelSteps-a1B2c3").c_str(), F_OK), 0);
}

TEST(SafeFile, FullDiskKeepsTheOldFile) {
  TempDir dir;
  std::string target = dir.Path + "/big.bin";
  ASSERT_TRUE(WriteFileSafely(target, std::string("precious")));
  // A file size limit stands in for a full disk: writes past it fail.
  rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string big(100000, 'z');
  const TWriteResult result = WriteFileSafely(target, big);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.SystemError, EFBIG);
  EXPECT_EQ(ReadAll(target), "precious");
  EXPECT_EQ(dir.Count(), 1);
}

TEST(SafeFile, LinksAreWrittenThroughAndWhatIsNoFileIsRefused) {
  TempDir dir;
  const std::string real = dir.Path + "/sub/real.zmp", link = dir.Path + "/song.zmp";
  ASSERT_EQ(mkdir((dir.Path + "/sub").c_str(), 0700), 0);
  ASSERT_EQ(symlink("sub/real.zmp", link.c_str()), 0);
  // A dangling link: its target is created; the link stays a link.
  ASSERT_TRUE(WriteFileSafely(link, std::string("first")));
  ASSERT_TRUE(WriteFileSafely(link, std::string("second")));
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadAll(real), "second");

  // A FIFO, directly or through a link, and a folder are refused as they are.
  const std::string fifo = dir.Path + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink("pipe", (dir.Path + "/piped.wav").c_str()), 0);
  for (const std::string& target : {fifo, dir.Path + "/piped.wav"}) {
    const TWriteResult refused = WriteFileSafely(target, std::string("x"));
    EXPECT_EQ(refused.Reason(), "It exists and is not a regular file") << target;
  }
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(WriteFileSafely(dir.Path + "/sub", std::string("x")).Reason(), "Is a directory");
  EXPECT_EQ(dir.Count(), 4) << "sub, song.zmp, pipe, piped.wav and nothing else";

  // The random part of temporary names does not follow rand().
  srand(1);
  const std::string a = TempNameBeside(real);
  srand(1);
  const std::string b = TempNameBeside(real);
  EXPECT_NE(a.substr(a.rfind('-')), b.substr(b.rfind('-')));
}
