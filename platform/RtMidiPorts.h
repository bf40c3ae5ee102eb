#pragma once
// The MIDI ports of the sound card: the ALSA sequencer through RtMidi. No
// sequencer (no /dev/snd/seq, or one that refuses a client) means empty
// device lists and opens that fail with MidiNoSystem, never a crash.
// Input delivers every short message, the clock and the other real-time
// bytes included; system exclusive input is not taken.

#include "platform/MidiPorts.h"

namespace vs {

class TRtMidiBackend : public TMidiBackend {
public:
  // probeSequencer: look for the sequencer device before asking ALSA (so
  // that a machine without one gets no messages from the ALSA library).
  explicit TRtMidiBackend(bool probeSequencer = true) : Probe(probeSequencer) {}
  std::vector<std::string> OutputNames() override;
  std::vector<std::string> InputNames() override;
  std::unique_ptr<TMidiOutPort> OpenOutput(int device, int& result, std::string& detail) override;
  std::unique_ptr<TMidiInPort> OpenInput(int device, TMidiInCallback callback, void* context,
                                         int& result, std::string& detail) override;

private:
  bool SequencerMissing() const;
  bool Probe;
};

}  // namespace vs
