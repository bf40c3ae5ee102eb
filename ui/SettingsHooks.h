#pragma once
// The program settings window joined to the rest of the program: what its
// changes do in the main window, the rack and the sample browser, the
// engine's reports it shows (underruns, automated plug-in parameters), and
// the plug-in editor windows with their idle calls.

#include <QObject>

namespace vs {

class TProgram;
class TQtEngineListener;

// After the windows are made and the program has started up.
void ConnectSettingsWindow(TProgram& program, TQtEngineListener& listener);
// The main window's close was accepted: the settings window goes out of
// sight with it (no warning: the program is ending).
void HideSettingsWindow();
// Before the windows go: no more editor windows.
void DisconnectSettingsWindow();
// The start-up's last step: with neither a sound device nor a MIDI output
// chosen, the settings open on their WAV page.
void ShowSettingsWhenNoOutput(const TProgram& program);

}  // namespace vs
