#include "engine/MidiDevices.h"

#include <algorithm>
#include <cfenv>

namespace vs {

const char* const MidiNoneEntry = "(none)";

TMidiDevices& MidiDevices() {
  static TMidiDevices devices;
  return devices;
}

namespace {

int Selection(const std::vector<std::string>& list, const std::string& name, std::optional<int> index,
              int shift) {
  if (index) index = *index + shift;
  return ChooseListEntry(list, name, index, int(list.size()) - 1);
}

// The stored index and name of a selection ("(none)" included, so that an
// earlier device does not come back).
void Store(const std::vector<std::string>& list, int selection, int shift, std::optional<int>& index,
           std::string& name) {
  if (selection < 0 || selection >= int(list.size())) return;
  index = selection - shift;
  name = list[size_t(selection)];
}

}  // namespace

TMidiDeviceLists ListMidiDevices(const TPreferences& prefs) {
  TMidiBackend& backend = MidiBackend();
  TMidiDeviceLists lists;
  lists.Input = backend.InputNames();
  lists.Input.push_back(MidiNoneEntry);
  lists.Output.push_back(MidiMapperName);
  for (std::string& name : backend.OutputNames()) lists.Output.push_back(std::move(name));
  lists.Output.push_back(MidiNoneEntry);
  lists.SyncOutput = lists.Output;
  lists.InputIndex = Selection(lists.Input, prefs.InputDeviceName, prefs.InputDevice, 0);
  lists.OutputIndex = Selection(lists.Output, prefs.OutputDeviceName, prefs.OutputDevice, 1);
  lists.SyncOutputIndex =
      Selection(lists.SyncOutput, prefs.SyncOutputDeviceName, prefs.SyncOutputDevice, 0);
  TMidiDevices& d = MidiDevices();
  if (!d.MidiIn.IsOpen()) d.MidiIn.RefreshDeviceCount();
  if (!d.MIDIOut.IsOpen()) d.MIDIOut.RefreshDeviceCount();
  if (!d.MIDIOutSync.IsOpen()) d.MIDIOutSync.RefreshDeviceCount();
  return lists;
}

void StoreMidiSelections(const TMidiDeviceLists& lists, TPreferences& prefs) {
  Store(lists.Input, lists.InputIndex, 0, prefs.InputDevice, prefs.InputDeviceName);
  Store(lists.Output, lists.OutputIndex, 1, prefs.OutputDevice, prefs.OutputDeviceName);
  Store(lists.SyncOutput, lists.SyncOutputIndex, 0, prefs.SyncOutputDevice,
        prefs.SyncOutputDeviceName);
}

bool OpenMidiInput(TMidiInput& input, const std::vector<std::string>& list, int selection, std::string& message) {
  message.clear();
  try {
    input.Close();
    if (selection < 0 || selection >= int(list.size()) - 1) return true;  // "(none)"
    input.SetProductName(list[size_t(selection)]);
    if (!input.Open()) {
      message = "Error|" + input.LastErrorText();
      return false;
    }
    input.Start();
  } catch (const EMidiInputError& e) {
    try {
      input.Close();
    } catch (const EMidiInputError&) {
    }
    message = std::string("Error|") + e.what();
    return false;
  }
  return true;
}

void CloseMidiInput(TMidiInput& input) { input.Close(); }

bool OpenMidiOutput(TMidiOutput& port, const std::vector<std::string>& list, int selection, std::string& message) {
  message.clear();
  port.Close();
  if (selection < 0 || selection >= int(list.size()) - 1) return true;  // "(none)"
  try {
    if (selection == 0)
      port.SetDeviceID(MidiMapperID);
    else
      port.SetProductName(list[size_t(selection)]);
  } catch (const EMIDIOutputError& e) {
    message = std::string("Error|") + e.what();
    return false;
  }
  if (!port.Open()) {
    message = "Error|" + port.LastErrorText();
    return false;
  }
  return true;
}

void CloseMidiOutput(TMidiOutput& port) { port.Close(); }

void ResetFPUExceptions() { std::feclearexcept(FE_ALL_EXCEPT); }

}  // namespace vs
