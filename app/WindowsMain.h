#pragma once
// The entry of the windows' library: the program run with its windows (the
// store, the windows, start-up, the command line at the first activation
// and the message loop until the main window closes). Returns the exit
// code.

#define VS_WINDOWS_LIBRARY "libVorbelStepsWindows.so"
#define VS_WINDOWS_MAIN "VorbelStepsWindowsMain"

namespace vs {

using TWindowsMain = int(int argc, char** argv, const char* exeDir);

}  // namespace vs
