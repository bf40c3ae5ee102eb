#pragma once
// ALSA without a sound card: a configuration of the test's own (through
// ALSA_CONFIG_PATH) whose default device is ALSA's file plug-in over a null
// device, both ways. The null device takes and gives frames as fast as it is
// asked; the plug-in's pipes, which the test empties and fills at a card's
// pace (support/CardPipes.h), set the pace instead: what the program plays
// is kept whole, what it records is a signal of the test's.
//
// RtAudio offers ALSA's default device only when a default control opens
// too, and without a card the only one that opens is PulseAudio's: that
// control (and nothing else) comes from a private PulseAudio server, which
// the program itself does not see.

#include <sys/stat.h>

#include <memory>
#include <string>

#include "pulse/PulseFixture.h"
#include "support/CardPipes.h"
#include "support/TempDir.h"

namespace vs::testing {

class TAlsaTestDevice {
public:
  // `signal`: the left channel of what the device records; the right one is
  // its negative.
  explicit TAlsaTestDevice(int16_t (*signal)(uint64_t frame)) {
    Pulse = std::make_unique<TPulseTestServer>();
    if (!Pulse->Running()) {
      Why = "no PulseAudio server for ALSA's default control: " + Pulse->WhyNot();
      return;
    }
    const std::string played = Dir / "played", captured = Dir / "captured";
    if (mkfifo(played.c_str(), 0600) != 0 || mkfifo(captured.c_str(), 0600) != 0) {
      Why = "no pipe could be made";
      return;
    }
    Dir.Write("asoundrc",
              "pcm.!default {\n"
              "  type asym\n"
              "  playback.pcm { type file slave.pcm { type null } format raw file \"" + played + "\" }\n"
              "  capture.pcm { type file slave.pcm { type null } format raw file \"/dev/null\" infile \"" +
                  captured + "\" }\n"
              "}\n"
              "ctl.!default { type pulse server \"unix:" + Pulse->Socket() + "\" }\n");
    // The plug-in opens the pipes whenever the device is opened, and that
    // waits for the other end: the test holds both ends first.
    if (!Card.AddPlayback(played) || !Card.AddCapture(captured, signal)) {
      Why = "the pipes could not be opened";
      return;
    }
    Env.Set("ALSA_CONFIG_PATH", Dir / "asoundrc");
    // The program sees no PulseAudio server (and, from the server's
    // fixture, no JACK server).
    Env.Set("PULSE_SERVER", "unix:" + (Dir / "no-server"));
    Card.Start();
    Up = true;
  }

  bool Ready() const { return Up; }
  const std::string& WhyNot() const { return Why; }
  // What the device has played so far.
  size_t Frames() { return Card.Frames(0); }
  std::vector<int16_t> PlayedFrames() { return Card.Played(0); }

private:
  TTestDir Dir;
  std::unique_ptr<TPulseTestServer> Pulse;
  TScopedEnvironment Env;
  TCardPipes Card;
  std::string Why;
  bool Up = false;
};

}  // namespace vs::testing
