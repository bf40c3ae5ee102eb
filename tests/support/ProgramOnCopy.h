#pragma once
// The program run with its windows on a copy of the built data folder, so
// that a test may add samples and songs to it, with settings of the test's
// own and every message box answered at once. Copy, add files, Start; the
// end closes the main window without the save-changes question.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "model/Song.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::testing {

class TProgramOnCopy {
public:
  TTestDir Tmp;
  std::string App;  // the data folder, ending in "/"
  std::unique_ptr<TProgramRun> Run;
  std::unique_ptr<TRecordingMessageBox> Messages;

  // The data copied and the settings file written (its text).
  void Copy(const std::string& settings) {
    App = Tmp / "app/";
    std::filesystem::copy(VS_DATA_DIR, App, std::filesystem::copy_options::recursive);
    Tmp.Write("settings.ini", settings);
    setenv("VORBELSTEPS_SETTINGS", (Tmp / "settings.ini").c_str(), 1);
    setenv("VORBELSTEPS_DATA", App.c_str(), 1);
  }
  // Started up as a user starts the program.
  void Start() {
    Run = std::make_unique<TProgramRun>(std::vector<std::string>{}, Tmp.Dir());
    Run->StartUp();
    Messages = std::make_unique<TRecordingMessageBox>();
  }
  TVorbelStepsMainForm* Form() const { return Windows().VorbelStepsMainForm; }

  ~TProgramOnCopy() {
    if (Run && Form()) {
      CurrentSong().SetModified(false);
      Form()->close();
    }
    Run.reset();
    Messages.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
};

}  // namespace vs::testing
