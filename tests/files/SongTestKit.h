#pragma once
// Test helpers for song files: a builder of raw event data and whole images
// (written independently of the writer), a decoder of an image into its
// events, and fakes of the host interfaces.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "model/Song.h"
#include "files/SongHost.h"

namespace vs::test {

struct RawEvents {
  std::vector<uint8_t> Bytes;
  RawEvents& Byte(uint8_t id, uint8_t v) {
    Bytes.push_back(id);
    Bytes.push_back(v);
    return *this;
  }
  RawEvents& Word(uint8_t id, uint16_t v) {
    Bytes.insert(Bytes.end(), {id, uint8_t(v), uint8_t(v >> 8)});
    return *this;
  }
  RawEvents& Long(uint8_t id, uint32_t v) {
    Bytes.insert(Bytes.end(), {id, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    return *this;
  }
  RawEvents& Data(uint8_t id, const std::vector<uint8_t>& payload) {
    Bytes.push_back(id);
    size_t l = payload.size();
    do {
      uint8_t b = l & 0x7F;
      l >>= 7;
      Bytes.push_back(l ? b | 0x80 : b);
    } while (l);
    Bytes.insert(Bytes.end(), payload.begin(), payload.end());
    return *this;
  }
  RawEvents& Text(uint8_t id, const std::string& text) {
    std::vector<uint8_t> p(text.begin(), text.end());
    p.push_back(0);
    return Data(id, p);
  }
  RawEvents& Ints(uint8_t id, const std::vector<int32_t>& values) {
    std::vector<uint8_t> p;
    for (int32_t v : values)
      for (int i = 0; i < 4; ++i) p.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    return Data(id, p);
  }
  // A whole file image around the events.
  std::vector<uint8_t> Image(uint16_t channels = 4) const {
    std::vector<uint8_t> img = {'Z', 'M', 'h', 'd', 6, 0, 0, 0, 0, 0, uint8_t(channels), uint8_t(channels >> 8), 16, 0,
                                'Z', 'M', 'd', 't'};
    const uint32_t n = static_cast<uint32_t>(Bytes.size());
    img.insert(img.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
    img.insert(img.end(), Bytes.begin(), Bytes.end());
    return img;
  }
};

struct DecodedEvent {
  uint8_t Id;
  uint32_t Value;                // ids below 192
  std::vector<uint8_t> Payload;  // every id
  size_t Offset;                 // of the id byte in the image
};

// Decodes the events of an image; fails the test on a malformed image.
std::vector<DecodedEvent> DecodeImage(const std::vector<uint8_t>& img);

std::string TextOf(const DecodedEvent& e);

class FakePluginSlots : public SongPluginSlots {
public:
  std::vector<SongPluginState> Loaded;      // what LoadedPlugins returns
  std::vector<std::string> Available;       // names LoadPlugin finds
  std::vector<SongPluginState> LoadCalls;
  std::vector<std::string> Warnings;
  int UnloadCalls = 0;
  std::vector<SongPluginState> LoadedPlugins() override { return Loaded; }
  void UnloadAll() override { ++UnloadCalls; }
  bool LoadPlugin(const SongPluginState& state) override {
    LoadCalls.push_back(state);
    for (const auto& a : Available)
      if (a == state.Name) return true;
    return false;
  }
  void ShowWarning(const std::string& message) override { Warnings.push_back(message); }
};

class FakeFrame : public SongWindowFrame {
public:
  int32_t Height = 0;
  std::vector<int32_t> Applied;
  int32_t RackHeight() override { return Height; }
  void ApplyRackHeight(int32_t height) override { Applied.push_back(height); }
};

// "Loads" every name except those starting with "missing": the sample gets
// a few frames, and loop points when the name contains "loop".
class FakeLoader : public ChannelFileLoader {
public:
  std::vector<std::string> Loads;
  int Rebuilds = 0;
  bool LoadFileIntoChannel(TSong& song, int index, const std::string& name) override {
    Loads.push_back(name);
    TChannel* c = song.Channel(index);
    if (!c) return false;
    c->Sample.Clear();
    if (name.rfind("missing", 0) == 0) return false;
    c->Sample.SetFrames(std::vector<int16_t>(64, 100));
    if (name.find("loop") != std::string::npos) c->Sample.SetLoop(4, 20);
    c->SampleFileName = name;
    return true;
  }
  void RebuildSample(TSong&, int) override { ++Rebuilds; }
};

inline SongHost MakeHost(SongPluginSlots* plugins, SongWindowFrame* frame, ChannelFileLoader* loader) {
  SongHost host;
  host.Plugins = plugins;
  host.Frame = frame;
  host.Loader = loader;
  return host;
}

}  // namespace vs::test
