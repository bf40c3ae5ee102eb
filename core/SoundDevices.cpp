#include "core/SoundDevices.h"

#include <algorithm>
#include <exception>

#include "engine/MixThread.h"

namespace vs {

const char* const SoundDeviceNoneEntry = "(none)";

TSoundDeviceList ListSoundDevices(const std::vector<std::string>& deviceNames,
                                  const TPreferences& prefs) {
  TSoundDeviceList list;
  list.Items = deviceNames;
  list.Items.push_back(SoundDeviceNoneEntry);
  const int last = list.NoneIndex();
  list.ItemIndex = last;
  if (!prefs.DSDriverName.empty()) {
    auto found = std::find(deviceNames.begin(), deviceNames.end(), prefs.DSDriverName);
    if (found != deviceNames.end()) {
      list.ItemIndex = static_cast<int>(found - deviceNames.begin());
      return list;
    }
  }
  if (prefs.DSDriver) list.ItemIndex = std::clamp(*prefs.DSDriver, 0, last);
  return list;
}

TSoundDeviceList ListSoundDevices(const TPreferences& prefs) {
  return ListSoundDevices(AudioBackend().DeviceNames(), prefs);
}

bool ApplySoundDevice(const TSoundDeviceList& list, int selection, TPreferences& prefs,
                      std::string& message) {
  if (selection < 0 || selection >= list.NoneIndex()) return true;
  const std::string& name = list.Items[selection];
  prefs.DSDriver = selection;
  prefs.DSDriverName = name;
  TAudioOutputState& output = AudioOutput();
  CloseAudioOutput();
  output.SoundDeviceName = name;
  if (!output.UseWAV.load()) return true;
  output.OutputError.clear();
  try {
    OpenAudioOutput();
  } catch (const std::exception& e) {
    output.OutputError = e.what();
  }
  if (output.OutputOpen.load()) {
    if (output.SoundDeviceName == name) return true;
    // The device failed and the default one took its place.
    message = "The sound device \"" + name + "\" could not be opened; the default device is used.";
    return false;
  }
  message = output.OutputError.empty() ? std::string("The sound output could not be opened.")
                                       : output.OutputError;
  return false;
}

}  // namespace vs
