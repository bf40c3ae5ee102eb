#pragma once
// The list of sound output devices the program settings show, and the
// choice of one of them. The devices are the machine's, named "API: device"
// (platform/AudioDevices.h); the list ends in "(none)", the entry that
// leaves the output as it is (at start-up: on the system default device).
// The choice is stored by name and by index: the name wins while such a
// device is there, else the index, clamped to the list.

#include <string>
#include <vector>

#include "model/Preferences.h"
#include "toolbox/CommandResult.h"

namespace vs {

extern const char* const SoundDeviceNoneEntry;  // "(none)"

struct TSoundDeviceList {
  std::vector<std::string> Items;  // the devices in order, then "(none)"
  int ItemIndex = 0;               // the selection
  int NoneIndex() const { return static_cast<int>(Items.size()) - 1; }
  // The device the selection names; "" for "(none)" (the system default).
  std::string SelectedDevice() const;
};

// The list from the device names, with the selection from the stored
// values: a stored "DS Driver Name" found in the list wins ("(none)"
// included); else the stored "DS Driver" index clamped to the list;
// nothing stored: "(none)".
TSoundDeviceList ListSoundDevices(const std::vector<std::string>& deviceNames,
                                  const TPreferences& prefs);
// The same over the devices of the audio backend now.
TSoundDeviceList ListSoundDevices(const TPreferences& prefs);

// The selection as the settings keep it ("DS Driver" and its name).
void StoreSoundDeviceSelection(const TSoundDeviceList& list, TPreferences& prefs);

// Picks an entry of the list (ignored outside it) and stores the choice.
// A device: the audio output uses it and is reopened on it; failed, with
// why, when the output could not be opened or the default device had to
// take the chosen one's place. "(none)" leaves the output as it is.
TCommandResult ApplySoundDevice(TSoundDeviceList& list, int selection, TPreferences& prefs);

}  // namespace vs
