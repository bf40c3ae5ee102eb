#pragma once
// The program's MIDI ports and the device operations behind the settings
// window's three lists: the input (slave sync), the note output (MIDIOut)
// and the sync output (MIDIOutSync). The window shows the lists and reports
// the errors these return; nothing here shows anything.
//
// Lists: input = the devices' names, then "(none)"; output = the MIDI mapper,
// then the devices' names, then "(none)"; the sync output list is a copy of
// the output list.

#include <string>
#include <vector>

#include "model/Preferences.h"
#include "engine/MidiIn.h"
#include "engine/MidiOut.h"

namespace vs {

extern const char* const MidiNoneEntry;  // "(none)"

struct TMidiDevices {
  TMidiInput MidiIn;
  TMidiOutput MIDIOut;      // step notes, note grid, panic
  TMidiOutput MIDIOutSync;  // master clock
};

// The program's ports, made on first use (closed).
TMidiDevices& MidiDevices();

struct TMidiDeviceLists {
  std::vector<std::string> Input, Output, SyncOutput;
  int InputIndex = 0, OutputIndex = 0, SyncOutputIndex = 0;  // the selections
};

// The lists from the devices there are now ("API: port" names), and their
// selections from the stored values: a stored name found in the list wins
// ("(none)" and the mapper included); else "Input Device" clamped, "Output
// Device" + 1 clamped (-1 is the mapper), "Sync Output Device" clamped; no
// stored value: "(none)". The ports' device counts are brought up to date.
TMidiDeviceLists ListMidiDevices(const TPreferences& prefs);

// The stored values of the lists' selections, with the chosen names
// ("(none)" too: its index and its name).
void StoreMidiSelections(const TMidiDeviceLists& lists, TPreferences& prefs);

// Opens the input on the selection of an input list (the devices, then
// "(none)") and starts it; the last entry or a selection outside the
// devices closes it. The device is found by the name the list shows, so a
// port that came or went since the list was made moves no choice onto
// another port. An open input is closed first. False with message =
// "Error|" + the error text on failure (the input stays closed). Never
// while holding MixerLock.
bool OpenMidiInput(TMidiInput& input, const std::vector<std::string>& list, int selection, std::string& message);
void CloseMidiInput(TMidiInput& input);

// Opens an output on the selection of an output list (0 the mapper, then
// the devices, then "(none)"), found by the name the list shows; the last
// entry closes it. An open port is closed first. False with message =
// "Error|" + the error text on failure.
bool OpenMidiOutput(TMidiOutput& port, const std::vector<std::string>& list, int selection, std::string& message);
void CloseMidiOutput(TMidiOutput& port);

// Clears pending floating-point exceptions.
void ResetFPUExceptions();

}  // namespace vs
