#include "core/WaveEditorLink.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "support/TempDir.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// The socket lies in a folder only the user can enter, under the runtime
// folder when there is one.
TEST(WaveEditorLink, TheSocketIsInAFolderOfTheUsersOwn) {
  TTestDir tmp;
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string keep = saved ? saved : "";
  setenv("XDG_RUNTIME_DIR", tmp.Dir().c_str(), 1);
  EXPECT_EQ(WaveEditorSocketPath(), tmp / "VorbelSteps/wave-editor");
  struct stat st {};
  ASSERT_EQ(stat((tmp / "VorbelSteps").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // A folder that others may enter is closed first; a file in its place
  // gives no socket.
  chmod((tmp / "VorbelSteps").c_str(), 0755);
  EXPECT_FALSE(WaveEditorSocketPath().empty());
  ASSERT_EQ(stat((tmp / "VorbelSteps").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  fs::remove_all(tmp / "VorbelSteps");
  tmp.Write("VorbelSteps", "not a folder");
  EXPECT_EQ(WaveEditorSocketPath(), "");
  if (saved) setenv("XDG_RUNTIME_DIR", keep.c_str(), 1); else unsetenv("XDG_RUNTIME_DIR");
}

TEST(WaveEditorLink, RequestsAreWholeLinesOfFullPathsToFiles) {
  std::string received = "/a/b.wav\r\n/c.w";
  bool tooLong = true;
  EXPECT_EQ(TakeWaveEditorRequest(received, tooLong), "/a/b.wav");
  EXPECT_FALSE(tooLong);
  EXPECT_EQ(TakeWaveEditorRequest(received, tooLong), std::nullopt);  // not complete yet
  received += "av\n";
  EXPECT_EQ(TakeWaveEditorRequest(received, tooLong), "/c.wav");
  EXPECT_EQ(received, "");
  received.assign(MaxWaveEditorRequest, 'x');
  EXPECT_EQ(TakeWaveEditorRequest(received, tooLong), std::nullopt);
  EXPECT_FALSE(tooLong);  // the longest line may still end
  received += "x";
  EXPECT_EQ(TakeWaveEditorRequest(received, tooLong), std::nullopt);
  EXPECT_TRUE(tooLong);

  TTestDir tmp;
  const std::string file = tmp.Write("k.wav", "RIFF");
  fs::create_symlink(file, tmp / "link.wav");
  fs::create_symlink(tmp / "none.wav", tmp / "dangling.wav");
  mkfifo((tmp / "pipe").c_str(), 0600);
  EXPECT_EQ(RefuseHandedFile(file), "");
  EXPECT_EQ(RefuseHandedFile(tmp / "link.wav"), "");
  EXPECT_EQ(RefuseHandedFile(""), "no file name");
  EXPECT_EQ(RefuseHandedFile("k.wav"), "not a full path: k.wav");
  EXPECT_EQ(RefuseHandedFile(tmp / "dangling.wav"), "no such file: " + tmp / "dangling.wav");
  EXPECT_EQ(RefuseHandedFile(tmp / "pipe"), "not a regular file: " + tmp / "pipe");
  EXPECT_EQ(RefuseHandedFile(tmp.Dir()), "not a regular file: " + tmp.Dir());
}

}  // namespace
}  // namespace vs
