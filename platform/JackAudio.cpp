#include "platform/JackAudio.h"

#include <jack/jack.h>
#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/DriverClose.h"
#include "platform/JackClient.h"

namespace vs {

namespace {

// What a stream's callbacks reach while the device is there.
class TJackEndpoint {
public:
  virtual ~TJackEndpoint() = default;
  // Plays into (playback) or takes from (capture) the two ports' buffers.
  virtual void Process(float* left, float* right, uint32_t frames) = 0;
  virtual void Shutdown(const std::string& reason) = 0;
};

// The client and its ports. Owned by the device while it is open, then by
// the close, which frees it once the client is closed: callbacks may come
// until then.
struct TJackStream {
  explicit TJackStream(TJackEndpoint* endpoint) : Gate(endpoint) {}
  jack_client_t* Client = nullptr;
  jack_port_t* Ports[2] = {nullptr, nullptr};
  bool Playback = true;
  TCallbackGate<TJackEndpoint> Gate;
};

int ProcessStream(jack_nframes_t frames, void* arg) {
  // The client's thread is named at its first period, so that a look at the
  // program's threads tells it from the program's own.
  thread_local bool named = false;
  if (!named) {
    named = true;
    pthread_setname_np(pthread_self(), "JACK client");
  }
  auto* s = static_cast<TJackStream*>(arg);
  auto* left = static_cast<float*>(jack_port_get_buffer(s->Ports[0], frames));
  auto* right = static_cast<float*>(jack_port_get_buffer(s->Ports[1], frames));
  const bool reached = s->Gate.Call([&](TJackEndpoint& e) { e.Process(left, right, frames); });
  if (!reached && s->Playback) {
    std::memset(left, 0, frames * sizeof(float));
    std::memset(right, 0, frames * sizeof(float));
  }
  return 0;
}

void ShutdownStream(jack_status_t, const char* reason, void* arg) {
  auto* s = static_cast<TJackStream*>(arg);
  std::string why = "the JACK server shut down";
  if (reason != nullptr && *reason != 0) why += std::string(" (") + reason + ")";
  s->Gate.Call([&](TJackEndpoint& e) { e.Shutdown(why); });
}

void CloseStream(TJackStream* s) {
  if (s == nullptr) return;
  s->Gate.Detach();
  RunWithin([s] {
    jack_deactivate(s->Client);
    jack_client_close(s->Client);
    delete s;
  });
}

void Fail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

// Opens a client with two ports of the direction, running and connected to
// the owner's ports. Null with a message.
TJackStream* OpenStream(const std::string& owner, bool playback, TJackEndpoint* endpoint, std::string* error) {
  PrepareSoundLibraries();
  jack_status_t status{};
  jack_client_t* client = jack_client_open(JackClientName, JackNoStartServer, &status);
  if (client == nullptr) {
    Fail(error, "The JACK server is not running.");
    return nullptr;
  }
  auto* s = new TJackStream(endpoint);
  s->Client = client;
  s->Playback = playback;
  auto abandon = [&](const std::string& text) {
    jack_client_close(client);
    delete s;
    Fail(error, text);
    return nullptr;
  };
  const jack_nframes_t rate = jack_get_sample_rate(client);
  if (rate != jack_nframes_t(OutputRate))
    return abandon("The JACK server runs at " + std::to_string(rate) + " Hz; the program plays at 44100 Hz only.");
  const char* names[2] = {playback ? "out_1" : "in_1", playback ? "out_2" : "in_2"};
  for (int i = 0; i < 2; ++i) {
    s->Ports[i] = jack_port_register(client, names[i], JACK_DEFAULT_AUDIO_TYPE,
                                     playback ? JackPortIsOutput : JackPortIsInput, 0);
    if (s->Ports[i] == nullptr) return abandon("The JACK ports could not be made.");
  }
  const std::vector<std::string> targets = JackClientPorts(client, owner, playback);
  if (targets.empty()) return abandon("The JACK client \"" + owner + "\" has no ports for the program.");
  jack_set_process_callback(client, &ProcessStream, s);
  jack_on_info_shutdown(client, &ShutdownStream, s);
  if (jack_activate(client) != 0) return abandon("The JACK client could not be started.");
  for (int i = 0; i < 2; ++i) {
    const std::string& target = targets[size_t(i) % targets.size()];
    const char* ours = jack_port_name(s->Ports[i]);
    const int result = playback ? jack_connect(client, ours, target.c_str())
                                : jack_connect(client, target.c_str(), ours);
    if (result != 0 && result != EEXIST) {
      s->Gate.Detach();
      jack_deactivate(client);
      return abandon("The program's JACK ports could not be connected to \"" + owner + "\".");
    }
  }
  return s;
}

// Frames converted per pass between 16-bit frames and the ports' floats.
constexpr uint32_t ScratchFrames = 1024;

class TJackOutputDevice : public TAudioDevice, public TJackEndpoint {
public:
  explicit TJackOutputDevice(const std::string& client)
      : TAudioDevice("JACK: " + client), Scratch(size_t(ScratchFrames) * 2) {}
  ~TJackOutputDevice() override {
    CloseStream(Stream);
    ReleaseStreamBuffer();
  }
  bool Open(const std::string& client, std::string* error) {
    Stream = OpenStream(client, true, this, error);
    if (Stream != nullptr) SetPeriodFrames(jack_get_buffer_size(Stream->Client));
    return Stream != nullptr;
  }
  void Process(float* left, float* right, uint32_t frames) override {
    // The server may change its period while the program plays.
    if (frames > PeriodFrames()) SetPeriodFrames(frames);
    for (uint32_t done = 0; done < frames;) {
      const uint32_t n = std::min(frames - done, ScratchFrames);
      Render(Scratch.data(), n);
      for (uint32_t i = 0; i < n; ++i) {
        left[done + i] = float(Scratch[2 * i]) / 32768.0f;
        right[done + i] = float(Scratch[2 * i + 1]) / 32768.0f;
      }
      done += n;
    }
  }
  void Shutdown(const std::string& reason) override { DeviceLost(reason); }

private:
  TJackStream* Stream = nullptr;
  std::vector<int16_t> Scratch;
};

int16_t ToInt16(float v) {
  const long s = std::lrint(double(v) * 32768.0);
  return int16_t(std::clamp<long>(s, -32768, 32767));
}

class TJackCaptureDevice : public TCaptureDevice, public TJackEndpoint {
public:
  explicit TJackCaptureDevice(const std::string& client)
      : TCaptureDevice("JACK: " + client), Scratch(size_t(ScratchFrames) * 2) {}
  ~TJackCaptureDevice() override {
    CloseStream(Stream);
    ReleaseBuffer();
  }
  bool Open(const std::string& client, std::string* error) {
    Stream = OpenStream(client, false, this, error);
    return Stream != nullptr;
  }
  void Process(float* left, float* right, uint32_t frames) override {
    for (uint32_t done = 0; done < frames;) {
      const uint32_t n = std::min(frames - done, ScratchFrames);
      for (uint32_t i = 0; i < n; ++i) {
        Scratch[2 * i] = ToInt16(left[done + i]);
        Scratch[2 * i + 1] = ToInt16(right[done + i]);
      }
      Deliver(Scratch.data(), n);
      done += n;
    }
  }
  void Shutdown(const std::string&) override { DeviceLost(); }

private:
  TJackStream* Stream = nullptr;
  std::vector<int16_t> Scratch;
};

}  // namespace

std::unique_ptr<TAudioDevice> OpenJackOutput(const std::string& client, std::string* error) {
  auto device = std::make_unique<TJackOutputDevice>(client);
  if (!device->Open(client, error)) return nullptr;
  return device;
}

std::unique_ptr<TCaptureDevice> OpenJackCapture(const std::string& client, std::string* error) {
  auto device = std::make_unique<TJackCaptureDevice>(client);
  if (!device->Open(client, error)) return nullptr;
  return device;
}

}  // namespace vs
