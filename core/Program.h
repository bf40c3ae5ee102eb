#pragma once
// The program's life cycle below the windows: where its data lives, the
// settings store, start-up in order, the command line, the batch render and
// shut-down in order. The window side (app/main.cpp and the main window)
// calls these in this order:
//
//   TProgram program;
//   program.Open(options)            AppPath, settings store read
//   ... splash, windows created ...
//   program.StartUp()                LoadSettings and the engine (below)
//   commands.New()                   the default drum kit, untitled
//   program.ApplyCommandLine(...)    on the first activation
//   ... run ...
//   program.ShutDown()               after the save-changes question
//
// A batch run ("/R" with a file) uses RunBatch instead, with no windows.
//
// Preferences against the live values: the engine and the render keep their
// own copies (MixSettings(), AudioOutput(), RenderOptions()); StartUp hands
// the preferences to them and ShutDown takes them back before saving, except
// the mono render switch when "/M" set it for this run only (the render
// window writes Prefs.MonoRender itself when the user changes the box).

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/CommandLine.h"
#include "core/SongCommands.h"
#include "core/SoundDevices.h"
#include "model/Preferences.h"
#include "engine/MidiDevices.h"

namespace vs {

class TSettingsStore;

// The maker's credit after "edited with VorbelSteps (98,99)" in saved WAVs.
extern const char* const WAVCommentText;

struct TProgramOptions {
  // The folder of the program's data, ending in "/" (see FindDataFolder).
  std::string AppPath;
  // The folder searched first for the outside libraries (libvoxrender.so);
  // empty: AppPath.
  std::string LibraryFolder;
  // The settings file; empty: TSettingsStore::DefaultFileName().
  std::string SettingsFile;
  // False for batch runs and tests: no sound device is opened.
  bool OpenAudio = true;
};

// The options of a run of the executable in exeFolder: the data folder
// found from it, the outside libraries beside it.
TProgramOptions ProgramOptionsFor(const std::string& exeFolder);

// The program's data folder for an executable in exeFolder:
// $VORBELSTEPS_DATA when set, else the first of exeFolder + "data/",
// exeFolder + "../data/" and exeFolder that holds "Samples/" or "Styles/",
// else exeFolder + "data/". Always ends in "/".
std::string FindDataFolder(const std::string& exeFolder);

// Creates the user folders under AppPath when missing: "Styles/",
// "Samples/DrumKits/", "Loops/", "MB404/", "Plugins/VST/", "Texts/".
void CreateDataFolders(const std::string& appPath);

// The sample search folders: AppPath + "Samples/", then every folder of the
// settings' "ZM DIRS" rows that is not empty, in order.
void RebuildSampleSearchPaths(const TPreferences& prefs);

class TProgram {
public:
  TProgram();
  ~TProgram();
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  TPreferences Prefs;
  TProgramOptions Options;
  // Why the sound output could not be opened at start-up (empty: open, or
  // not asked for). The program runs on with the output closed.
  std::string OutputError;
  // The device lists the settings window shows, made at start-up (when
  // devices are opened) with their selections from the settings, which are
  // written back, clamped, at the close; and why the note output could not
  // be opened (empty: open or not asked for).
  TSoundDeviceList SoundDevices;
  TMidiDeviceLists MidiLists;
  std::string MidiError;
  // A batch run writes no settings.
  bool Batch = false;
  // Why the settings are not kept in this run (no home folder: nothing is
  // written, and this was said once on standard error); empty: they are.
  std::string SettingsNotKept;
  // Why the settings could not be written at the shut-down (the system's
  // text); empty while they were.
  std::string SettingsWriteError;
  // "/M" set mono rendering for this run only.
  bool MonoForThisRun = false;
  // The style folders, as the settings window lists them.
  std::vector<std::string> StyleNames;

  // AppPath (ProgramPaths().AppPath) and the settings store, read. From
  // here on a write past the process's file-size limit fails as a write
  // (SIGXFSZ is ignored) rather than ending the program.
  void Open(const TProgramOptions& options);
  TSettingsStore& Store() { return *SettingsStore; }

  // LoadSettings (and the sample search folders), then the engine in
  // order: the private temporary folder;
  // the synthesizer's folder (AppPath + "MB404/"); the outside libraries'
  // folder; the posting flags armed; the master filter open and the random
  // generator seeded; a song of one channel; the mixer's settings, block
  // length and distance ahead; the sound output opened (a failure leaves it
  // closed with OutputError set); output modes; the tempo; the version texts
  // of saved WAV files; the render options.
  void StartUp();

  // Applies the command line to the song through commands (songs opened,
  // tempo, master pitch and volume, pattern mode, mono for this run, renders).
  // False when a batch action failed.
  bool ApplyCommandLine(const TCommandLine& line, TSongCommands& commands, std::ostream* errors = nullptr);

  // Takes the live values back into Prefs (see the top).
  void CollectPreferences();
  // Shut-down in order: the step timer and playback stopped, the scope
  // thread stopped, the preferences collected and saved (not in a batch
  // run; false when the file could not be written), the sound output
  // closed, MIDI output off, the outside libraries unloaded and the
  // temporary folder removed. Runs once; later calls do nothing.
  bool ShutDown();
  bool ShutDownDone() const { return Down; }

private:
  std::unique_ptr<TSettingsStore> SettingsStore;
  bool Started = false;
  bool Down = false;
};

// The song commands' host for a run without windows: no dialogs, the
// render goes straight to the file, messages to the error stream.
class TBatchCommandHost : public TSongCommandHost {
public:
  explicit TBatchCommandHost(std::ostream& errors) : Errors(errors) {}
  void SuspendOutput() override;
  void ResumeOutput() override;
  bool RenderWAV(const std::string& fileName) override;
  void ShowInfo(const std::string& text) override;

private:
  std::ostream& Errors;
};

// A batch run: start-up without windows or sound output, New (the default
// drum kit; not when a song is opened before the first render), the command
// line in order, shut-down without settings. Messages go to errors. Returns
// the exit code: 0, or 1 when a song could not be read or the WAV could not
// be written (no WAV is left then).
int RunBatch(const TProgramOptions& options, const TCommandLine& line, std::ostream& errors);
// The same, and each WAV written named on out.
int RunBatch(const TProgramOptions& options, const TCommandLine& line, std::ostream& out, std::ostream& errors);

}  // namespace vs
