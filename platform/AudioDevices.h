#pragma once
// The sound devices of this machine, for playback and for capture: every
// device of every sound system the program can use that has devices now,
// JACK first (while a server runs), then PulseAudio, then ALSA. Each is
// named "API: device" ("JACK: system", "ALSA: hw:PCH,0"...), the name the
// settings store. The system default is JACK's default device while a JACK
// server runs, else PulseAudio's, else ALSA's.

#include <string>
#include <vector>

namespace vs {

enum class TAudioApi { Jack, Pulse, Alsa };

// "JACK", "PulseAudio", "ALSA".
const char* AudioApiName(TAudioApi api);

struct TAudioDeviceEntry {
  TAudioApi Api = TAudioApi::Alsa;
  std::string Device;  // the sound system's own name (JACK: the client)
  unsigned Index = 0;  // RtAudio's number of the device (PulseAudio, ALSA)
  std::string Name;    // "API: device"
};

struct TAudioDeviceList {
  std::vector<TAudioDeviceEntry> Devices;  // JACK, PulseAudio, ALSA; each system's default first
  int Default = -1;                        // the system default, -1 without devices
};

TAudioDeviceList ListAudioDevices(bool playback);

// The entry of that name; for "" the system default. -1 when there is none.
int FindAudioDevice(const TAudioDeviceList& list, const std::string& name);

// The entry to open for a stored name ("" = the system default); null
// with a message when there is none.
const TAudioDeviceEntry* ChooseAudioDevice(const TAudioDeviceList& list, const std::string& name, bool playback,
                                           std::string* error);

// The names in list order.
std::vector<std::string> AudioDeviceNames(const TAudioDeviceList& list);

}  // namespace vs
