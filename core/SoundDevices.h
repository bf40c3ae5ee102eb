#pragma once
// The list of sound output devices the program settings show, and the
// choice of one of them. Devices are stored by name (and by index for
// settings written without one); the list ends in "(none)", the entry that
// leaves the output as it is.

#include <string>
#include <vector>

#include "model/Preferences.h"

namespace vs {

extern const char* const SoundDeviceNoneEntry;  // "(none)"

struct TSoundDeviceList {
  std::vector<std::string> Items;  // the devices in order, then "(none)"
  int ItemIndex = 0;               // the selection
  int NoneIndex() const { return static_cast<int>(Items.size()) - 1; }
};

// The list from the device names, with the selection from the stored
// values: a stored "DS Driver Name" found in the list wins; else the stored
// "DS Driver" index clamped to the list; nothing stored: "(none)".
TSoundDeviceList ListSoundDevices(const std::vector<std::string>& deviceNames,
                                  const TPreferences& prefs);
// The same over the devices of the audio backend now.
TSoundDeviceList ListSoundDevices(const TPreferences& prefs);

// With a device selected (not "(none)", within the list): the selection is
// stored, the audio output uses that device and is reopened on it. False
// with a message when the output could not be opened or the default device
// had to take the chosen one's place; nothing
// happens (true) for "(none)" or a selection outside the list.
bool ApplySoundDevice(const TSoundDeviceList& list, int selection, TPreferences& prefs,
                      std::string& message);

}  // namespace vs
