#include "platform/RtAudioOutput.h"

#include <exception>

#include "platform/RtAudioStream.h"

namespace vs {

namespace {

class TRtAudioDevice : public TAudioDevice {
public:
  TRtAudioDevice(std::string name, std::unique_ptr<RtAudio> audio)
      : TAudioDevice(std::move(name)), Audio(std::move(audio)) {}

  ~TRtAudioDevice() override { CloseRtAudioStream(*Audio); }

  bool Start(unsigned deviceId, unsigned frames, std::string* error) {
    return StartRtAudioStream(*Audio, TRtStreamDirection::Output, deviceId, OutputChannels, OutputRate, frames,
                              &Callback, this, error);
  }

private:
  static int Callback(void* output, void*, unsigned frames, double, RtAudioStreamStatus,
                      void* user) {
    static_cast<TRtAudioDevice*>(user)->Render(static_cast<int16_t*>(output), frames);
    return 0;
  }

  std::unique_ptr<RtAudio> Audio;
};

// Output devices by index and name.
std::vector<std::pair<unsigned, std::string>> ListOutputs(RtAudio& audio) {
  std::vector<std::pair<unsigned, std::string>> list;
  try {
    const unsigned count = audio.getDeviceCount();
    for (unsigned i = 0; i < count; ++i) {
      RtAudio::DeviceInfo info = audio.getDeviceInfo(i);
      if (info.probed && info.outputChannels >= 2) list.emplace_back(i, info.name);
    }
  } catch (const std::exception&) {
  }
  return list;
}

}  // namespace

std::unique_ptr<TAudioDevice> TRtAudioBackend::OpenDevice(const std::string& name,
                                                          std::string* error) {
  std::unique_ptr<RtAudio> audio = MakeRtAudio(error);
  if (!audio) return nullptr;
  const auto outputs = ListOutputs(*audio);
  if (outputs.empty()) {
    if (error != nullptr) *error = "No audio output device found";
    return nullptr;
  }
  unsigned id = 0;
  std::string chosen;
  if (name.empty()) {
    unsigned def = 0;
    try {
      def = audio->getDefaultOutputDevice();
    } catch (const std::exception&) {
    }
    id = outputs.front().first;
    chosen = outputs.front().second;
    for (const auto& o : outputs)
      if (o.first == def) id = o.first, chosen = o.second;
  } else {
    bool found = false;
    for (const auto& o : outputs)
      if (o.second == name) id = o.first, chosen = o.second, found = true;
    if (!found) {
      if (error != nullptr) *error = "No audio output device named \"" + name + "\"";
      return nullptr;
    }
  }
  auto device = std::make_unique<TRtAudioDevice>(chosen, std::move(audio));
  if (!device->Start(id, CallbackFrames, error)) return nullptr;
  return device;
}

std::vector<std::string> TRtAudioBackend::DeviceNames() {
  std::vector<std::string> names;
  std::unique_ptr<RtAudio> audio = MakeRtAudio(nullptr);
  if (!audio) return names;
  for (const auto& o : ListOutputs(*audio)) names.push_back(o.second);
  return names;
}

}  // namespace vs
