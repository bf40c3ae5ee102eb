#pragma once
// A MIDI backend for tests: fixed device lists, output ports that record
// what they send, input ports into which the test injects bytes as a
// device would send them. Devices named in the fail sets cannot open.

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/MidiPorts.h"

namespace vs {

class TInjectingMidiIn;

class TRecordingMidiBackend : public TMidiBackend {
public:
  std::vector<std::string> Outputs{"Test Synth", "Test Drums"};
  std::vector<std::string> Inputs{"Test Keyboard"};
  std::set<int> FailOutputs, FailInputs;  // device numbers that cannot open
  int StartResult = MidiNoError;          // what input Start returns
  int StopResult = MidiNoError;           // what input Stop returns

  std::vector<std::string> OutputNames() override { return Outputs; }
  std::vector<std::string> InputNames() override { return Inputs; }
  std::unique_ptr<TMidiOutPort> OpenOutput(int device, int& result, std::string& detail) override;
  std::unique_ptr<TMidiInPort> OpenInput(int device, TMidiInCallback callback, void* context,
                                         int& result, std::string& detail) override;

  // What every output port of this backend sent, with the device it was
  // opened on (the mapper's port counts as device 0).
  struct TSent {
    int Device;
    std::vector<uint8_t> Bytes;
  };
  std::vector<TSent> Sent() const;
  void ClearSent();
  int OpenOutputs() const;  // output ports open now
  // The input port open now (null when none).
  TInjectingMidiIn* OpenInputPort() const;

  // Shared with the ports, which may outlive their use.
  struct TShared {
    mutable std::mutex Lock;
    std::vector<TSent> Sent;
    int OpenOutputs = 0;
    TInjectingMidiIn* Input = nullptr;
  };
  std::shared_ptr<TShared> Shared = std::make_shared<TShared>();
};

class TInjectingMidiIn : public TMidiInPort {
public:
  TInjectingMidiIn(std::shared_ptr<TRecordingMidiBackend::TShared> shared, int device,
                   TMidiInCallback callback, void* context, int startResult, int stopResult);
  ~TInjectingMidiIn() override;
  int Start() override;
  int Stop() override;
  // Delivers the bytes as one received message when started and they form
  // a short message (as the ALSA backend does). True when delivered.
  bool Inject(const std::vector<uint8_t>& bytes);
  const int Device;

private:
  std::shared_ptr<TRecordingMidiBackend::TShared> Shared;
  TMidiInCallback Callback;
  void* Context;
  int StartResult, StopResult;
  bool Running = false;
};

}  // namespace vs
