#pragma once
// PulseAudio's client library keeps a runtime folder and its cookie under
// the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config) when no
// runtime folder is given, and makes that folder, with every folder above
// it, when it is missing: a home that does not exist would be made for it.
// Where that base folder does not exist, the client is given files in the
// program's private folder instead (its environment variables, set before
// any other thread runs and before the library is loaded).

#include <string>

namespace vs {

// Sets PULSE_RUNTIME_PATH (unless $XDG_RUNTIME_DIR is a folder) and
// PULSE_COOKIE (a fresh cookie file) below privateFolder, where neither was
// set and the configuration base folder is missing. Returns whether it did.
bool PlaceSoundClientFiles(const std::string& privateFolder);

// Whether the folder the client makes its own folders in is there:
// $XDG_CONFIG_HOME when set, else the home folder ($HOME).
bool SoundClientBaseExists();

}  // namespace vs
