#pragma once
// One run of the program with its windows, in order: the settings store is
// opened, the windows are created, the settings read and the engine built,
// the new song made (the default drum kit), the command line applied at the
// first activation and, at the close, the settings written and everything
// torn down. A batch run ("/R" with a file) runs without windows: no
// settings written, messages on standard error, exit code 1 when a song
// can't be read or the WAV can't be written.

#include <QPointer>

class QEventLoop;
#include <memory>
#include <string>
#include <vector>

#include "core/CommandLine.h"
#include "core/Program.h"
#include "editors/TitleForm.h"

namespace vs {

class TQtEngineListener;
class TQtMessageBox;

// Chooses Qt's offscreen platform when there is no display (neither
// DISPLAY nor WAYLAND_DISPLAY) and no platform was asked for. Call before
// the application object is made. Sets what Qt's connection to the display
// reads at its start; QtPlatformSelected, called once the application
// object is made, takes it back out of the environment.
void SelectQtPlatform();
void QtPlatformSelected();

// The windows' side of a run; the life cycle below the windows is TProgram.
class TProgramRun {
public:
  TProgramRun(const std::vector<std::string>& args, const std::string& exeDir);
  ~TProgramRun();
  TProgramRun(const TProgramRun&) = delete;
  TProgramRun& operator=(const TProgramRun&) = delete;

  bool Batch() const { return Line.Batch(); }
  const TCommandLine& CommandLine() const { return Line; }
  TProgram& Program() { return Prog; }
  const TProgramOptions& Options() const { return Opts; }

  // The batch run, without windows: the exit code. Each WAV written is
  // named on standard output.
  int RunBatch();

  // Everything up to the message loop: the store, the splash (unless the
  // "Splash Screen" setting is off or "/NoSplash" was given), the windows in
  // their order, the settings and the engine, the new song; the splash
  // closes at the end.
  void StartUp();
  // The splash was shown at this start, and the splash while it shows.
  bool SplashShown() const { return FSplashShown; }
  TTitleForm* TitleForm() const { return FTitleForm; }
  void ShowMainWindow();
  // A TERM, INT or HUP signal asks the main window to close, as the
  // window's own close does (the desktop's session end, a service stop);
  // one that comes while the program starts closes it once it runs.
  void CloseOnSignals();
  // The outside wave editor's files are taken on the user's socket
  // (WaveEditorSocketPath), unless another running copy of the program
  // answers there already.
  void ListenForWaveEditor();
  // The first activation: the command line.
  void FirstActivation();
  // From the end of start-up on: with "Auto close DirectSound" the sound
  // output closes while the program is in the background and opens again
  // when it comes back (not while closing); a later activation (the program
  // left and came back after the first one) hides the song information
  // viewer, so that a song opened from the command line keeps its
  // information shown when the desktop first activates the program.
  void FollowActivation();
  void ApplicationActivated(bool active);
  // The message loop, until the main window's close is accepted (whatever
  // other windows still show): its exit code.
  int Exec();
  // The close (idempotent): playback stopped, posts dropped, the window
  // position kept, then the program's shut-down (settings written, outputs
  // closed, temporary files removed) and the windows freed.
  void ShutDown();

private:
  void ShowSplash();
  void CloseAccepted();

  TCommandLine Line;
  TProgramOptions Opts;
  TProgram Prog;
  std::unique_ptr<TQtMessageBox> MessageBox;
  std::unique_ptr<TQtEngineListener> Listener;
  bool Started = false;
  bool Down = false;
  bool FirstActivationDone = false;
  QEventLoop* MessageLoop = nullptr;  // while Exec runs
  bool CloseAsked = false;            // by a signal before Exec ran
  bool LeftSinceFirstActivation = false;
  QPointer<TTitleForm> FTitleForm;
  bool FSplashShown = false;
};

}  // namespace vs
