#pragma once
// The program's windows, created at start-up in a fixed order: the main
// window first (it becomes the application's main window), then the piano
// roll, the step lamps, the program settings, the about box, the channel
// settings, the playlist, the song information editor and viewer, the
// render dialog and the tool dialog. Instances are named after their class
// without the leading T.

#include <memory>
#include <string>
#include <vector>

#include "editors/AboutForm.h"
#include "editors/AddToolForm.h"
#include "editors/HumanizeForm.h"
#include "editors/InfoForm.h"
#include "editors/MIDIForm.h"
#include "editors/PianoForm.h"
#include "editors/PlayListForm.h"
#include "editors/SetInfoForm.h"
#include "editors/SettingsForm.h"
#include "editors/VisualForm.h"
#include "ui/VorbelStepsMainForm.h"
#include "editors/WAVRenderForm.h"

namespace vs {

struct TPreferences;
class TSampleListForm;

struct TProgramWindows {
  TVorbelStepsMainForm* VorbelStepsMainForm = nullptr;
  TPianoForm* PianoForm = nullptr;
  TVisualForm* VisualForm = nullptr;
  TMIDIForm* MIDIForm = nullptr;
  TAboutForm* AboutForm = nullptr;
  TSettingsForm* SettingsForm = nullptr;
  TPlayListForm* PlayListForm = nullptr;
  TSetInfoForm* SetInfoForm = nullptr;
  TInfoForm* InfoForm = nullptr;
  TWAVRenderForm* WAVRenderForm = nullptr;
  TAddToolForm* AddToolForm = nullptr;
  // Made on first use.
  THumanizeForm* HumanizeForm = nullptr;
  // Made on first use (the main window's browser command).
  TSampleListForm* SampleListForm = nullptr;
};

// The windows of the running program (all null before CreateProgramWindows
// and after DestroyProgramWindows).
TProgramWindows& Windows();

// Creates the eleven windows in their order (none shown) and returns the
// object names in creation order.
std::vector<std::string> CreateProgramWindows(TPreferences& prefs);
// The rack's name buttons open the channel settings window, which shows
// its channel's button down and writes to the main window's info bar.
void ConnectChannelSettings();
// Frees them, the main window last.
void DestroyProgramWindows();
// The sample browser, when it has been made, reads its folders again.
void RefreshSampleBrowser();

}  // namespace vs
