#pragma once
// The machine's MIDI ports through RtMidi: the ALSA sequencer's ports, then,
// while a JACK server runs, its MIDI ports, each named "API: port" ("ALSA:
// Midi Through:Midi Through Port-0 14:0", "JACK: synth:midi_in"). No
// sequencer and no JACK server mean empty lists and opens that fail with
// MidiNoSystem, never a crash.
//
// Input delivers every short message, the clock and the other real-time
// bytes included, on a thread of the port's own (never on the sound
// server's thread, which must not wait); system exclusive input is not
// taken. Closing a port never waits longer than DriverCloseBound.

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
