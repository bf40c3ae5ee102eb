#include "core/SoundDevices.h"

#include <exception>

#include "core/Transport.h"
#include "engine/MixThread.h"

namespace vs {

const char* const SoundDeviceNoneEntry = "(none)";

std::string TSoundDeviceList::SelectedDevice() const {
  if (ItemIndex < 0 || ItemIndex >= NoneIndex()) return "";
  return Items[size_t(ItemIndex)];
}

TSoundDeviceList ListSoundDevices(const std::vector<std::string>& deviceNames,
                                  const TPreferences& prefs) {
  TSoundDeviceList list;
  list.Items = deviceNames;
  list.Items.push_back(SoundDeviceNoneEntry);
  list.ItemIndex = ChooseListEntry(list.Items, prefs.DSDriverName, prefs.DSDriver, list.NoneIndex());
  return list;
}

TSoundDeviceList ListSoundDevices(const TPreferences& prefs) {
  return ListSoundDevices(AudioBackend().DeviceNames(), prefs);
}

void StoreSoundDeviceSelection(const TSoundDeviceList& list, TPreferences& prefs) {
  if (list.ItemIndex < 0 || list.ItemIndex >= int(list.Items.size())) return;
  prefs.DSDriver = list.ItemIndex;
  prefs.DSDriverName = list.Items[size_t(list.ItemIndex)];
}

TCommandResult ApplySoundDevice(TSoundDeviceList& list, int selection, TPreferences& prefs) {
  if (selection < 0 || selection > list.NoneIndex()) return TCommandResult::Done();
  list.ItemIndex = selection;
  StoreSoundDeviceSelection(list, prefs);
  if (selection == list.NoneIndex()) return TCommandResult::Done();
  const std::string& name = list.Items[size_t(selection)];
  TAudioOutputState& output = AudioOutput();
  CloseAudioOutput();
  output.SoundDeviceName = name;
  if (!output.UseWAV.load()) return TCommandResult::Done();
  const TCommandResult opened = OpenAudioOutput();
  if (!opened) return opened;
  if (output.SoundDeviceName == name) return TCommandResult::Done();
  // The device failed and the default one took its place.
  return TCommandResult::Failed("The sound device \"" + name + "\" could not be opened; the default device is used.");
}

}  // namespace vs
