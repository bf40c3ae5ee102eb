#include "platform/RtMidiPorts.h"

#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <semaphore>
#include <system_error>
#include <thread>

#include "platform/DriverClose.h"
#include "platform/JackClient.h"
#include "toolbox/ThreadStart.h"

namespace vs {

namespace {

// Errors the library reports after construction go here instead of being
// printed or thrown.
void KeepError(RtMidiError::Type type, const std::string& text, void* user) {
  if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
  *static_cast<std::string*>(user) = text;
}

// One port of the lists: its sound system, and its name there.
struct TPortEntry {
  RtMidi::Api Api;
  std::string Port;
  std::string Name;  // "API: port"
};

// The ports of one direction of every system that is there now.
template <class TPort>
std::vector<TPortEntry> ListPorts(bool withAlsa) {
  PrepareSoundLibraries();
  std::vector<TPortEntry> entries;
  const bool withJack = JackServerRunning();
  for (RtMidi::Api api : {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK}) {
    if (api == RtMidi::LINUX_ALSA ? !withAlsa : !withJack) continue;
    try {
      TPort port(api, JackClientName);
      std::string error;
      port.setErrorCallback(&KeepError, &error);
      const unsigned count = port.getPortCount();
      for (unsigned i = 0; i < count; ++i) {
        const std::string name = port.getPortName(i);
        if (name.empty() || (api == RtMidi::UNIX_JACK && IsOwnJackPort(name))) continue;
        entries.push_back({api, name, std::string(api == RtMidi::UNIX_JACK ? "JACK: " : "ALSA: ") + name});
      }
    } catch (...) {
    }
  }
  return entries;
}

std::vector<std::string> Names(const std::vector<TPortEntry>& entries) {
  std::vector<std::string> names;
  for (const TPortEntry& e : entries) names.push_back(e.Name);
  return names;
}

// Opens the entry's port on a new client of its system; false with the
// result when the port is no longer there or won't open.
template <class TPort>
bool OpenPort(TPort& port, const TPortEntry& entry, const std::string& portName, int& result) {
  const unsigned count = port.getPortCount();
  for (unsigned i = 0; i < count; ++i) {
    if (port.getPortName(i) != entry.Port) continue;
    port.openPort(i, portName);
    if (port.isPortOpen()) return true;
    result = MidiDeviceBusy;
    return false;
  }
  result = MidiBadDeviceID;
  return false;
}

int FailureOf(const RtMidiError& e) {
  return e.getType() == RtMidiError::DRIVER_ERROR ? MidiNoSystem : MidiDeviceBusy;
}

class TRtOutPort : public TMidiOutPort {
public:
  explicit TRtOutPort(std::unique_ptr<RtMidiOut> port) : Port(std::move(port)) {
    Port->setErrorCallback(&KeepError, &Error);
  }
  ~TRtOutPort() override {
    std::shared_ptr<RtMidiOut> port(std::move(Port));
    RunWithin([port] {
      try {
        port->closePort();
      } catch (...) {
      }
    });
  }
  int SendShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    const int n = ShortMessageLength(status);
    if (n == 0) return MidiInvalidParam;
    const unsigned char bytes[3] = {status, data1, data2};
    return Send(bytes, size_t(n));
  }
  int SendLong(const uint8_t* bytes, size_t count) override {
    if (bytes == nullptr || count == 0) return MidiInvalidParam;
    return Send(bytes, count);
  }

private:
  int Send(const unsigned char* bytes, size_t count) {
    Error.clear();
    try {
      Port->sendMessage(bytes, count);
    } catch (const RtMidiError&) {
      return MidiUnspecified;
    } catch (const std::bad_alloc&) {
      return MidiNoMemory;
    }
    return Error.empty() ? MidiNoError : MidiUnspecified;
  }

  std::string Error;
  std::unique_ptr<RtMidiOut> Port;
};

// Messages of an input port on their way from the driver's thread to the
// port's own: a ring of packed short messages (as many as an input holds,
// 1024) and a count of those waiting. The driver's side never blocks.
class TMidiInQueue {
public:
  TMidiInQueue(TMidiInCallback callback, void* context) : Callback(callback), Context(context) {}
  ~TMidiInQueue() { EndDispatch(); }

  // Throws std::system_error when the system refuses the thread.
  void StartDispatch() {
    Thread = StartThread([this] { Dispatch(); });
  }
  // Ends the dispatching thread after the message in hand.
  void EndDispatch() {
    if (!Thread.joinable()) return;
    Ending.store(true);
    Waiting.release();
    Thread.join();
  }

  // Driver side.
  static void Received(double, std::vector<unsigned char>* message, void* user) {
    auto* self = static_cast<TMidiInQueue*>(user);
    uint32_t packed = 0;
    if (message == nullptr || !self->Running.load() || self->Ending.load()) return;
    if (!PackShortMessage(message->data(), message->size(), packed)) return;
    const uint32_t head = self->Head.load(std::memory_order_relaxed);
    if (head - self->Tail.load(std::memory_order_acquire) >= Capacity) return;  // full: dropped
    self->Ring[head % Capacity] = packed;
    self->Head.store(head + 1, std::memory_order_release);
    self->Waiting.release();
  }

  std::atomic<bool> Running{false};
  std::string Error;

private:
  static constexpr uint32_t Capacity = 1024;

  void Dispatch() {
    for (;;) {
      Waiting.acquire();
      if (Ending.load()) return;
      const uint32_t tail = Tail.load(std::memory_order_relaxed);
      if (tail == Head.load(std::memory_order_acquire)) continue;
      const uint32_t packed = Ring[tail % Capacity];
      Tail.store(tail + 1, std::memory_order_release);
      if (Callback != nullptr) Callback(Context, packed);
    }
  }

  TMidiInCallback Callback;
  void* Context;
  std::array<uint32_t, Capacity> Ring{};
  std::atomic<uint32_t> Head{0}, Tail{0};
  std::counting_semaphore<> Waiting{0};
  std::atomic<bool> Ending{false};
  std::thread Thread;
};

class TRtInPort : public TMidiInPort {
public:
  TRtInPort(std::unique_ptr<RtMidiIn> port, std::shared_ptr<TMidiInQueue> queue)
      : Port(std::move(port)), Queue(std::move(queue)) {}
  ~TRtInPort() override {
    Queue->Running.store(false);
    Queue->EndDispatch();
    std::shared_ptr<RtMidiIn> port(std::move(Port));
    std::shared_ptr<TMidiInQueue> queue = Queue;  // the driver may still hand messages to it
    RunWithin([port, queue] {
      try {
        port->cancelCallback();
        port->closePort();
      } catch (...) {
      }
    });
  }
  int Start() override {
    Queue->Running.store(true);
    return MidiNoError;
  }
  int Stop() override {
    Queue->Running.store(false);
    return MidiNoError;
  }

private:
  std::unique_ptr<RtMidiIn> Port;
  std::shared_ptr<TMidiInQueue> Queue;
};

}  // namespace

bool TRtMidiBackend::SequencerMissing() const {
  return Probe && access("/dev/snd/seq", F_OK) != 0;
}

std::vector<std::string> TRtMidiBackend::OutputNames() { return Names(ListPorts<RtMidiOut>(!SequencerMissing())); }

std::vector<std::string> TRtMidiBackend::InputNames() { return Names(ListPorts<RtMidiIn>(!SequencerMissing())); }

std::unique_ptr<TMidiOutPort> TRtMidiBackend::OpenOutput(int device, int& result, std::string& detail) {
  detail.clear();
  const std::vector<TPortEntry> entries = ListPorts<RtMidiOut>(!SequencerMissing());
  if (device == MidiMapperID) device = 0;
  if (entries.empty()) {
    result = MidiNoSystem;
    return nullptr;
  }
  if (device < 0 || size_t(device) >= entries.size()) {
    result = MidiBadDeviceID;
    return nullptr;
  }
  const TPortEntry& entry = entries[size_t(device)];
  try {
    auto port = std::make_unique<RtMidiOut>(entry.Api, JackClientName);
    std::string error;
    port->setErrorCallback(&KeepError, &error);
    if (!OpenPort(*port, entry, "Output", result)) {
      detail = error;
      return nullptr;
    }
    result = MidiNoError;
    return std::make_unique<TRtOutPort>(std::move(port));
  } catch (const RtMidiError& e) {
    result = FailureOf(e);
    detail = e.getMessage();
  } catch (const std::bad_alloc&) {
    result = MidiNoMemory;
  }
  return nullptr;
}

std::unique_ptr<TMidiInPort> TRtMidiBackend::OpenInput(int device, TMidiInCallback callback, void* context,
                                                       int& result, std::string& detail) {
  detail.clear();
  const std::vector<TPortEntry> entries = ListPorts<RtMidiIn>(!SequencerMissing());
  if (entries.empty()) {
    result = MidiNoSystem;
    return nullptr;
  }
  if (device < 0 || size_t(device) >= entries.size()) {
    result = MidiBadDeviceID;
    return nullptr;
  }
  const TPortEntry& entry = entries[size_t(device)];
  try {
    auto queue = std::make_shared<TMidiInQueue>(callback, context);
    // Its thread first: a port is opened only with a thread to take its
    // messages.
    queue->StartDispatch();
    auto port = std::make_unique<RtMidiIn>(entry.Api, JackClientName);
    port->setErrorCallback(&KeepError, &queue->Error);
    // Clock, start, stop and the other timing bytes must come through;
    // system exclusive input is not taken.
    port->ignoreTypes(true, false, false);
    port->setCallback(&TMidiInQueue::Received, queue.get());
    if (!OpenPort(*port, entry, "Input", result)) {
      detail = queue->Error;
      port->cancelCallback();
      return nullptr;
    }
    result = MidiNoError;
    return std::make_unique<TRtInPort>(std::move(port), std::move(queue));
  } catch (const RtMidiError& e) {
    result = FailureOf(e);
    detail = e.getMessage();
  } catch (const std::system_error& e) {
    result = MidiNoMemory;
    detail = ThreadStartMessage(e);
  } catch (const std::bad_alloc&) {
    result = MidiNoMemory;
  }
  return nullptr;
}

}  // namespace vs
