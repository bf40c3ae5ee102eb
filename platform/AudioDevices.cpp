#include "platform/AudioDevices.h"

#include <rtaudio/RtAudio.h>

#include <exception>

#include "platform/JackClient.h"

namespace vs {

const char* AudioApiName(TAudioApi api) {
  switch (api) {
    case TAudioApi::Jack: return "JACK";
    case TAudioApi::Pulse: return "PulseAudio";
    case TAudioApi::Alsa: return "ALSA";
  }
  return "";
}

namespace {

void Add(TAudioDeviceList& list, TAudioApi api, const std::string& device, unsigned index, bool isDefault) {
  TAudioDeviceEntry e;
  e.Api = api;
  e.Device = device;
  e.Index = index;
  e.Name = std::string(AudioApiName(api)) + ": " + device;
  // Each system's default device leads its part of the list.
  auto at = list.Devices.end();
  if (isDefault)
    for (auto i = list.Devices.begin(); i != list.Devices.end(); ++i)
      if (i->Api == api) {
        at = i;
        break;
      }
  list.Devices.insert(at, std::move(e));
}

bool Compiled(RtAudio::Api api) {
  std::vector<RtAudio::Api> apis;
  RtAudio::getCompiledApi(apis);
  for (RtAudio::Api a : apis)
    if (a == api) return true;
  return false;
}

void AddRtAudioDevices(TAudioDeviceList& list, TAudioApi api, RtAudio::Api rtApi, bool playback) {
  if (!Compiled(rtApi)) return;
  try {
    RtAudio audio(rtApi);
    audio.showWarnings(false);
    const unsigned count = audio.getDeviceCount();
    if (count == 0) return;
    const unsigned def = playback ? audio.getDefaultOutputDevice() : audio.getDefaultInputDevice();
    for (unsigned i = 0; i < count; ++i) {
      const RtAudio::DeviceInfo info = audio.getDeviceInfo(i);
      const unsigned channels = playback ? info.outputChannels : info.inputChannels;
      if (info.probed && channels >= 2 && !info.name.empty()) Add(list, api, info.name, i, i == def);
    }
  } catch (const std::exception&) {
  }
}

}  // namespace

TAudioDeviceList ListAudioDevices(bool playback) {
  PrepareSoundLibraries();
  TAudioDeviceList list;
  const TJackDevices jack = ListJackAudioClients(playback);
  for (size_t i = 0; i < jack.Clients.size(); ++i)
    Add(list, TAudioApi::Jack, jack.Clients[i], 0, int(i) == jack.Default);
  AddRtAudioDevices(list, TAudioApi::Pulse, RtAudio::LINUX_PULSE, playback);
  AddRtAudioDevices(list, TAudioApi::Alsa, RtAudio::LINUX_ALSA, playback);
  if (!list.Devices.empty()) list.Default = 0;
  return list;
}

int FindAudioDevice(const TAudioDeviceList& list, const std::string& name) {
  if (name.empty()) return list.Default;
  for (size_t i = 0; i < list.Devices.size(); ++i)
    if (list.Devices[i].Name == name) return int(i);
  return -1;
}

const TAudioDeviceEntry* ChooseAudioDevice(const TAudioDeviceList& list, const std::string& name, bool playback,
                                           std::string* error) {
  const int found = FindAudioDevice(list, name);
  if (found >= 0) return &list.Devices[size_t(found)];
  if (error != nullptr) {
    const std::string kind = playback ? "output" : "capture";
    *error = name.empty() ? "No audio " + kind + " device found" : "No audio " + kind + " device named \"" + name + "\"";
  }
  return nullptr;
}

std::vector<std::string> AudioDeviceNames(const TAudioDeviceList& list) {
  std::vector<std::string> names;
  for (const TAudioDeviceEntry& e : list.Devices) names.push_back(e.Name);
  return names;
}

}  // namespace vs
