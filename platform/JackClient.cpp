#include "platform/JackClient.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/DriverClose.h"

namespace vs {

const char* const JackClientName = "VorbelSteps";

namespace {

void SilentJack(const char*) {}

void SilentAlsa(const char*, int, const char*, int, const char*, ...) {}

// The client part of a port name "client:port".
std::string PortClient(const char* port) {
  const char* colon = std::strchr(port, ':');
  return colon == nullptr ? std::string(port) : std::string(port, size_t(colon - port));
}

}  // namespace

bool IsOwnJackPort(const std::string& port) { return port.rfind(JackClientName, 0) == 0; }

bool JackServerRunning() {
  PrepareSoundLibraries();
  // A server that was stopped never answers: it counts as not running.
  auto running = std::make_shared<bool>(false);
  const bool answered = RunWithin([running] {
    jack_status_t status{};
    jack_client_t* client =
        jack_client_open((std::string(JackClientName) + " probe").c_str(), JackNoStartServer, &status);
    if (client == nullptr) return;
    jack_client_close(client);
    *running = true;
  });
  return answered && *running;
}

void PrepareSoundLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    jack_set_error_function(&SilentJack);
    jack_set_info_function(&SilentJack);
    snd_lib_error_set_handler(&SilentAlsa);
    struct sigaction current = {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
        (current.sa_flags & SA_SIGINFO) == 0)
      std::signal(SIGPIPE, SIG_IGN);
  });
}

std::vector<std::string> JackClientPorts(jack_client_t* client, const std::string& owner, bool playback) {
  std::vector<std::string> ports;
  const char** names = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                      playback ? JackPortIsInput : JackPortIsOutput);
  if (names == nullptr) return ports;
  for (int i = 0; names[i] != nullptr; ++i)
    if (PortClient(names[i]) == owner) ports.emplace_back(names[i]);
  jack_free(names);
  return ports;
}

namespace {

TJackDevices AskJackAudioClients(bool playback) {
  TJackDevices devices;
  jack_status_t status{};
  jack_client_t* client =
      jack_client_open((std::string(JackClientName) + " list").c_str(), JackNoStartServer, &status);
  if (client == nullptr) return devices;
  const unsigned long direction = playback ? JackPortIsInput : JackPortIsOutput;
  if (const char** names = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, direction)) {
    for (int i = 0; names[i] != nullptr; ++i) {
      if (IsOwnJackPort(names[i])) continue;
      const std::string owner = PortClient(names[i]);
      bool known = false;
      for (const std::string& c : devices.Clients) known = known || c == owner;
      if (!known) devices.Clients.push_back(owner);
    }
    jack_free(names);
  }
  if (const char** names =
          jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, direction | JackPortIsPhysical)) {
    const std::string owner = names[0] != nullptr ? PortClient(names[0]) : std::string();
    for (size_t i = 0; i < devices.Clients.size(); ++i)
      if (devices.Clients[i] == owner) devices.Default = int(i);
    jack_free(names);
  }
  if (devices.Default < 0 && !devices.Clients.empty()) devices.Default = 0;
  jack_client_close(client);
  return devices;
}

}  // namespace

TJackDevices ListJackAudioClients(bool playback) {
  PrepareSoundLibraries();
  // A server that was stopped never answers: no devices then.
  auto answer = std::make_shared<TJackDevices>();
  if (!RunWithin([answer, playback] { *answer = AskJackAudioClients(playback); })) return {};
  return *answer;
}

}  // namespace vs
