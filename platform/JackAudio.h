#pragma once
// Sound through a JACK server: a client of the program's name with two
// audio ports, connected to the ports of the chosen JACK client ("system" is
// the sound card). Output ports "out_1"/"out_2" play the stream buffer;
// capture ports "in_1"/"in_2" fill the capture buffer. The server must run
// at 44100 Hz. When the server shuts down the output device reports itself
// lost and a capture stops; closing never waits longer than DriverCloseBound.

#include <memory>
#include <string>

#include "platform/AudioCapture.h"
#include "platform/AudioOutput.h"

namespace vs {

// client: the JACK client whose ports are played into / captured from.
// The device's name is "JACK: " + client. Null with a message on failure.
std::unique_ptr<TAudioDevice> OpenJackOutput(const std::string& client, std::string* error);
std::unique_ptr<TCaptureDevice> OpenJackCapture(const std::string& client, std::string* error);

}  // namespace vs
