#include "platform/RtAudioOutput.h"

#include <rtaudio/RtAudio.h>

#include <exception>

namespace vs {

namespace {

class TRtAudioDevice : public TAudioDevice {
public:
  TRtAudioDevice(std::string name, std::unique_ptr<RtAudio> audio)
      : TAudioDevice(std::move(name)), Audio(std::move(audio)) {}

  ~TRtAudioDevice() override {
    try {
      if (Audio->isStreamRunning()) Audio->stopStream();
      if (Audio->isStreamOpen()) Audio->closeStream();
    } catch (const std::exception&) {
    }
  }

  bool Start(unsigned deviceId, unsigned frames, std::string* error) {
    RtAudio::StreamParameters params;
    params.deviceId = deviceId;
    params.nChannels = OutputChannels;
    params.firstChannel = 0;
    RtAudio::StreamOptions options;
    options.streamName = "VorbelSteps";
    unsigned bufferFrames = frames;
    try {
      Audio->openStream(&params, nullptr, RTAUDIO_SINT16, OutputRate, &bufferFrames, &Callback,
                        this, &options, nullptr);
      Audio->startStream();
    } catch (const std::exception& e) {
      if (error != nullptr) *error = e.what();
      return false;
    }
    return true;
  }

private:
  static int Callback(void* output, void*, unsigned frames, double, RtAudioStreamStatus,
                      void* user) {
    static_cast<TRtAudioDevice*>(user)->Render(static_cast<int16_t*>(output), frames);
    return 0;
  }

  std::unique_ptr<RtAudio> Audio;
};

std::unique_ptr<RtAudio> MakeAudio(std::string* error) {
  try {
    auto audio = std::make_unique<RtAudio>();
    audio->showWarnings(false);
    return audio;
  } catch (const std::exception& e) {
    if (error != nullptr) *error = e.what();
  }
  return nullptr;
}

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
  std::unique_ptr<RtAudio> audio = MakeAudio(error);
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
  std::unique_ptr<RtAudio> audio = MakeAudio(nullptr);
  if (!audio) return names;
  for (const auto& o : ListOutputs(*audio)) names.push_back(o.second);
  return names;
}

}  // namespace vs
