#pragma once
// What every JACK client of the program shares: the library's messages kept
// off the terminal, a server that vanishes never ending the process with
// SIGPIPE, and the list of the clients whose audio ports a stream can be
// connected to. The server is never started by the program: JACK's devices
// exist while a server runs ($JACK_DEFAULT_SERVER names a server of another
// name).

#include <jack/types.h>

#include <string>
#include <vector>

namespace vs {

// The name the program's JACK clients ask for (JACK adds "-01"... when
// taken). Ports of clients whose name begins with it are the program's own.
extern const char* const JackClientName;

// True for a port ("client:port") of one of the program's own clients.
bool IsOwnJackPort(const std::string& port);

// True while a JACK server runs (a client can connect to it).
bool JackServerRunning();

// Once per process, before the first JACK (or ALSA) client: the libraries'
// error and information messages go nowhere, and a broken pipe to a server
// that went away is an error return instead of a signal (unless the
// program already handles SIGPIPE).
void PrepareSoundLibraries();

// The JACK clients with audio ports a stream can use: for playback those
// with input ports, for capture those with output ports; the program's own
// clients left out. The default is the client of the first physical port
// (the sound card), else the first. Empty while no server runs.
struct TJackDevices {
  std::vector<std::string> Clients;
  int Default = -1;
};
TJackDevices ListJackAudioClients(bool playback);

// The audio ports of a client for a stream: its input ports for playback,
// its output ports for capture, in the server's order.
std::vector<std::string> JackClientPorts(jack_client_t* client, const std::string& owner, bool playback);

}  // namespace vs
