#include "platform/AudioDevices.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <rtaudio/RtAudio.h>

#include <chrono>
#include <exception>

#include "platform/DriverClose.h"
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

// True while a PulseAudio server answers within the bound (never starting
// one). RtAudio keeps every PulseAudio device it has once seen in the
// process: without this, a server that went away would leave its devices
// listed, the first of them the system default that no longer opens. Asked
// on the calling thread: a thread of its own would keep an allocation arena
// of its own (64 MB of address space) for the rest of the run.
bool PulseServerRunning() {
  pa_mainloop* loop = pa_mainloop_new();
  if (loop == nullptr) return false;
  bool running = false;
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), JackClientName);
  if (context != nullptr && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
    const auto until = std::chrono::steady_clock::now() + DriverCloseBound;
    pa_context_state_t state;
    while (PA_CONTEXT_IS_GOOD(state = pa_context_get_state(context)) && state != PA_CONTEXT_READY &&
           std::chrono::steady_clock::now() < until)
      if (pa_mainloop_prepare(loop, 100000) < 0 || pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
        break;
    running = state == PA_CONTEXT_READY;
    pa_context_disconnect(context);
  }
  if (context != nullptr) pa_context_unref(context);
  pa_mainloop_free(loop);
  return running;
}

void AddRtAudioDevices(TAudioDeviceList& list, TAudioApi api, RtAudio::Api rtApi, bool playback) {
  if (!Compiled(rtApi)) return;
  if (api == TAudioApi::Pulse && !PulseServerRunning()) return;
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
