#include "platform/MidiPorts.h"

#include "platform/DeviceBackends.h"

namespace vs {

const char* const MidiMapperName = "MIDI Mapper";

int ShortMessageLength(uint8_t status) {
  if (status < 0x80) return 0;
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 2;
    case 0xF0: break;
    default: return 3;
  }
  switch (status) {
    case 0xF0: case 0xF7: return 0;  // system exclusive
    case 0xF1: case 0xF3: return 2;
    case 0xF2: return 3;
    default: return 1;
  }
}

bool PackShortMessage(const uint8_t* bytes, size_t count, uint32_t& packed) {
  if (bytes == nullptr || count == 0) return false;
  const int n = ShortMessageLength(bytes[0]);
  if (n == 0 || count < size_t(n)) return false;
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v |= uint32_t(bytes[i]) << (8 * i);
  packed = v;
  return true;
}

bool MidiResultText(int code, std::string& text) {
  static const char* const Texts[] = {
      "The operation completed.",
      "An unspecified MIDI error occurred.",
      "There is no MIDI device with this number.",
      "No MIDI system is available (the ALSA sequencer could not be opened).",
      "The MIDI device could not be opened.",
      "The MIDI port is not open.",
      "Not enough memory for the MIDI operation.",
      "The MIDI port cannot send this message.",
  };
  if (code < 0 || code >= int(sizeof(Texts) / sizeof(Texts[0]))) return false;
  text = Texts[code];
  return true;
}

namespace {

struct TBackendHolder {
  std::mutex Lock;
  std::unique_ptr<TMidiBackend> Backend;
};

TBackendHolder& Holder() {
  static TBackendHolder holder;
  return holder;
}

std::atomic<TMidiOutPort*> CurrentMidiOut{nullptr};
std::atomic<TMidiOutPort*> CurrentMidiOutSync{nullptr};

}  // namespace

TMidiBackend& MidiBackend() {
  TBackendHolder& h = Holder();
  std::lock_guard<std::mutex> hold(h.Lock);
  if (!h.Backend) h.Backend = MakeMidiBackend();
  return *h.Backend;
}

void SetMidiBackend(std::unique_ptr<TMidiBackend> backend) {
  TBackendHolder& h = Holder();
  std::lock_guard<std::mutex> hold(h.Lock);
  h.Backend = std::move(backend);
}

int TRecordingMidiOut::SendShort(uint8_t status, uint8_t data1, uint8_t data2) {
  const int n = ShortMessageLength(status);
  if (n == 0) return MidiInvalidParam;
  std::vector<uint8_t> m{status, data1, data2};
  m.resize(n);
  std::lock_guard<std::mutex> hold(Lock);
  Sent.push_back(std::move(m));
  return MidiNoError;
}

int TRecordingMidiOut::SendLong(const uint8_t* bytes, size_t count) {
  if (bytes == nullptr || count == 0) return MidiInvalidParam;
  std::lock_guard<std::mutex> hold(Lock);
  Sent.emplace_back(bytes, bytes + count);
  return MidiNoError;
}

std::vector<std::vector<uint8_t>> TRecordingMidiOut::Messages() const {
  std::lock_guard<std::mutex> hold(Lock);
  return Sent;
}

void TRecordingMidiOut::Clear() {
  std::lock_guard<std::mutex> hold(Lock);
  Sent.clear();
}

TMidiOutPort* MIDIOut() { return CurrentMidiOut.load(); }
void SetMIDIOut(TMidiOutPort* port) { CurrentMidiOut.store(port); }
TMidiOutPort* MIDIOutSync() { return CurrentMidiOutSync.load(); }
void SetMIDIOutSync(TMidiOutPort* port) { CurrentMidiOutSync.store(port); }

}  // namespace vs
