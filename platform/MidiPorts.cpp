#include "platform/MidiPorts.h"

namespace vs {

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

void TRecordingMidiOut::SendShort(uint8_t status, uint8_t data1, uint8_t data2) {
  const int n = ShortMessageLength(status);
  if (n == 0) return;
  std::vector<uint8_t> m{status, data1, data2};
  m.resize(n);
  std::lock_guard<std::mutex> hold(Lock);
  Sent.push_back(std::move(m));
}

void TRecordingMidiOut::SendLong(const uint8_t* bytes, size_t count) {
  if (bytes == nullptr || count == 0) return;
  std::lock_guard<std::mutex> hold(Lock);
  Sent.emplace_back(bytes, bytes + count);
}

std::vector<std::vector<uint8_t>> TRecordingMidiOut::Messages() const {
  std::lock_guard<std::mutex> hold(Lock);
  return Sent;
}

void TRecordingMidiOut::Clear() {
  std::lock_guard<std::mutex> hold(Lock);
  Sent.clear();
}

namespace {
std::atomic<TMidiOutPort*> CurrentMidiOut{nullptr};
}

TMidiOutPort* MIDIOut() { return CurrentMidiOut.load(); }
void SetMIDIOut(TMidiOutPort* port) { CurrentMidiOut.store(port); }

}  // namespace vs
