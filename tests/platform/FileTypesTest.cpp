// Song files opened by the program through the user's desktop files: the
// association is made, read back, survives other entries, and goes again
// without a trace.

#include "platform/FileTypes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/TempDir.h"
#include "toolbox/AllTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class FileTypes : public ::testing::Test {
protected:
  TTestDir Tmp;
  void SetUp() override {
    setenv("XDG_DATA_HOME", (Tmp / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (Tmp / "config").c_str(), 1);
    setenv("XDG_DATA_DIRS", (Tmp / "none").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_DIRS");
  }
  std::string Read(const std::string& name) { return ReadFileBytes(Tmp / name).value_or(""); }
};

TEST_F(FileTypes, RegisterReadBackAndRemoveLeavingOtherEntries) {
  // Someone else's defaults are kept.
  Tmp.Write("config/mimeapps.list", "[Added Associations]\ntext/plain=editor.desktop;\n\n"
                                    "[Default Applications]\nimage/png=viewer.desktop;\n");
  const std::string program = "/opt/Vorbel Steps/bin/VorbelSteps";
  EXPECT_FALSE(IsFileTypeRegisteredTo(".ZMP", program));
  ASSERT_TRUE(RegisterFileType(".ZMP", program, "VorbelSteps", "Vorbel Steps Loop File"));

  const std::string package = Read("data/mime/packages/vorbelsteps-zmp.xml");
  EXPECT_NE(package.find("<mime-type type=\"application/x-vorbelsteps\">"), std::string::npos);
  EXPECT_NE(package.find("<glob pattern=\"*.zmp\"/>"), std::string::npos);
  EXPECT_NE(package.find("<comment>Vorbel Steps Loop File</comment>"), std::string::npos);
  const std::string entry = Read("data/applications/vorbelsteps-zmp.desktop");
  EXPECT_NE(entry.find("Exec=\"/opt/Vorbel Steps/bin/VorbelSteps\" %f\n"), std::string::npos);
  EXPECT_NE(entry.find("MimeType=application/x-vorbelsteps;\n"), std::string::npos);
  EXPECT_EQ(Read("config/mimeapps.list"),
            "[Added Associations]\ntext/plain=editor.desktop;\n\n[Default Applications]\nimage/png=viewer.desktop;\n"
            "application/x-vorbelsteps=vorbelsteps-zmp.desktop;\n");
  // The MIME database knows the type when the tool is installed.
  if (std::system("command -v update-mime-database >/dev/null") == 0) {
    EXPECT_NE(Read("data/mime/globs2").find("application/x-vorbelsteps:*.zmp"), std::string::npos);
  }

  EXPECT_EQ(GetFileTypeCommand("zmp"), program);
  EXPECT_TRUE(IsFileTypeRegisteredTo(".zmp", program));
  EXPECT_FALSE(IsFileTypeRegisteredTo(".ZMP", "/opt/vorbel steps/bin/vorbelsteps"));
  EXPECT_FALSE(IsFileTypeRegisteredTo(".WAV", program));

  // Registering again (another program) replaces, never doubles.
  ASSERT_TRUE(RegisterFileType(".ZMP", "/usr/bin/VorbelSteps", "VorbelSteps", "Vorbel Steps Loop File"));
  EXPECT_EQ(GetFileTypeCommand(".ZMP"), "/usr/bin/VorbelSteps");
  EXPECT_NE(Read("data/applications/vorbelsteps-zmp.desktop").find("Exec=/usr/bin/VorbelSteps %f\n"),
            std::string::npos);

  ASSERT_TRUE(UnregisterFileType(".ZMP"));
  EXPECT_EQ(GetFileTypeCommand(".ZMP"), "");
  EXPECT_FALSE(fs::exists(Tmp / "data/mime/packages/vorbelsteps-zmp.xml"));
  EXPECT_FALSE(fs::exists(Tmp / "data/applications/vorbelsteps-zmp.desktop"));
  EXPECT_EQ(Read("config/mimeapps.list"),
            "[Added Associations]\ntext/plain=editor.desktop;\n\n[Default Applications]\nimage/png=viewer.desktop;\n");
  if (std::system("command -v update-mime-database >/dev/null") == 0) {
    EXPECT_EQ(Read("data/mime/globs2").find("vorbelsteps"), std::string::npos);
  }
  // Nothing registered: nothing to do.
  EXPECT_TRUE(UnregisterFileType(".ZMP"));
}

// A default another program took over is not removed with ours; hostile
// program paths round-trip through the desktop entry's quoting.
TEST_F(FileTypes, ForeignDefaultsStayAndPathsRoundTrip) {
  ASSERT_TRUE(RegisterFileType(".ZMP", "/usr/bin/VorbelSteps", "VorbelSteps", "Loops & <songs>"));
  EXPECT_NE(Read("data/mime/packages/vorbelsteps-zmp.xml").find("Loops &amp; &lt;songs&gt;"), std::string::npos);
  Tmp.Write("config/mimeapps.list", "[Default Applications]\napplication/x-vorbelsteps=other.desktop;\n");
  ASSERT_TRUE(UnregisterFileType(".ZMP"));
  EXPECT_EQ(Read("config/mimeapps.list"), "[Default Applications]\napplication/x-vorbelsteps=other.desktop;\n");

  for (const std::string path : {"/home/a b/\"q\"/$HOME/`x`/back\\slash/100%/VorbelSteps", "/plain/VorbelSteps",
                                 "/tab\there/it's"}) {
    const std::string exec = DesktopExecLine(path);
    EXPECT_EQ(exec.substr(exec.size() - 3), " %f");
    EXPECT_EQ(DesktopExecProgram(exec), path) << exec;
  }
  EXPECT_EQ(DesktopExecLine("/a b/c%d"), "\"/a b/c%%d\" %f");
  EXPECT_EQ(DesktopExecLine("/a/\\b"), "\"/a/\\\\\\\\b\" %f");
  EXPECT_EQ(DesktopExecProgram("\"/unterminated %f"), "");
}

}  // namespace
}  // namespace vs
