#include "files/SongFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "model/MB404Params.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/SafeFile.h"
#include "toolbox/TextCodec.h"

namespace vs {

const char* const ProgramVersionText = "1.3.61";

const uint8_t StepEventIds[9] = {EvStepPan, EvStepVol, EvStepPitch, EvStepMix, EvStepReso,
                                 EvStepCutoff, EvStepShift, EvStepNote, EvStepFlags};

// ---- image buffer ----------------------------------------------------------

TSongImageBuffer::TSongImageBuffer(size_t start)
    : Block(std::max(SongImageGrowth, start), 0), Pos(start) {}

void TSongImageBuffer::Reserve(size_t request) {
  if (Pos + request > Block.size()) Block.resize(Pos + request + SongImageGrowth, 0);
}

std::vector<uint8_t> EncodeSongLength(size_t length) {
  std::vector<uint8_t> out;
  do {
    uint8_t b = length & 0x7F;
    length >>= 7;
    if (length) b |= 0x80;
    out.push_back(b);
  } while (length);
  return out;
}

void TSongImageBuffer::PutLength(size_t length) {
  for (uint8_t b : EncodeSongLength(length)) Put(b);
}

void TSongImageBuffer::WriteByteEvent(uint8_t id, uint8_t value) {
  Reserve(2);
  Put(id);
  Put(value);
}

void TSongImageBuffer::WriteWordEvent(uint8_t id, uint16_t value) {
  Reserve(3);
  Put(id);
  Put(value & 0xFF);
  Put(value >> 8);
}

void TSongImageBuffer::WriteLongEvent(uint8_t id, uint32_t value) {
  Reserve(5);
  Put(id);
  for (int i = 0; i < 4; ++i) Put(static_cast<uint8_t>(value >> (8 * i)));
}

void TSongImageBuffer::WriteTextEvent(uint8_t id, const std::string& text) {
  const std::string bytes = Utf8ToCp1252(text);
  Reserve(bytes.size() + 1 + 8);
  Put(id);
  PutLength(bytes.size() + 1);
  std::memcpy(&Block[Pos], bytes.data(), bytes.size());
  Pos += bytes.size();
  Put(0);
}

void TSongImageBuffer::WriteDataEvent(uint8_t id, const void* data, size_t size) {
  Reserve(size + 8);
  Put(id);
  PutLength(size);
  if (size) std::memcpy(&Block[Pos], data, size);
  Pos += size;
}

namespace {
void PutLE(uint8_t* p, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

std::vector<uint8_t> TSongImageBuffer::Finish(int channelCount) {
  uint8_t* p = Block.data();
  std::memcpy(p, "ZMhd", 4);
  PutLE(p + 4, SongHeaderChunkLength, 4);
  PutLE(p + 8, 0, 2);
  PutLE(p + 10, static_cast<uint32_t>(channelCount), 2);
  PutLE(p + 12, 16, 2);
  std::memcpy(p + 14, "ZMdt", 4);
  PutLE(p + 18, static_cast<uint32_t>(Pos - SongDataOffset), 4);
  return Take();
}

std::vector<uint8_t> TSongImageBuffer::Take() {
  Block.resize(Pos);
  Block.shrink_to_fit();
  std::vector<uint8_t> out;
  out.swap(Block);
  Pos = 0;
  return out;
}

// ---- the writer ------------------------------------------------------------

namespace {

uint32_t Pack(int32_t low, int32_t high) {
  return (static_cast<uint32_t>(low) & 0xFFFF) | (static_cast<uint32_t>(high) << 16);
}

uint16_t Word(int32_t v) { return static_cast<uint16_t>(v); }

void PutInts(std::vector<uint8_t>& out, std::initializer_list<int32_t> values) {
  for (int32_t v : values)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

void WriteChannel(TSongImageBuffer& b, const TSong& song, int index, const SongHost& host) {
  const TChannel& c = *song.Channels[index];
  b.WriteWordEvent(EvChannel, Word(index));
  if (c.Kind > 0) b.WriteByteEvent(EvKind, static_cast<uint8_t>(c.Kind));
  b.WriteByteEvent(EvMidiNote, c.MidiNote);
  b.WriteByteEvent(EvMidiProgram, c.MidiProgram);
  b.WriteByteEvent(EvMidiBank, c.MidiBank);
  b.WriteByteEvent(EvMidiChannel, static_cast<uint8_t>(c.MidiChannel));
  bool anyController = false;
  for (uint8_t v : c.ControllerStart) anyController |= v < 128;
  if (anyController) b.WriteDataEvent(EvControllers, c.ControllerStart.data(), c.ControllerStart.size());
  b.WriteTextEvent(EvChannelName, c.Name);
  b.WriteLongEvent(EvColor, c.Color);
  b.WriteByteEvent(EvEnabled, c.Enabled ? 1 : 0);
  if (c.Collapsed) b.WriteByteEvent(EvCollapsed, 1);
  std::vector<uint8_t> echo;
  PutInts(echo, {c.EchoFeedback, c.EchoPan - 64, c.EchoPitch, c.EchoCount, c.EchoTime});
  b.WriteDataEvent(EvChannelEcho, echo.data(), echo.size());
  if (c.Kind == 1) {
    MB404Block params{};
    if (c.Synth) params = MB404ParamsToBytes(*c.Synth);
    b.WriteDataEvent(EvSynthParams, params.data(), params.size());
  }
  b.WriteLongEvent(EvEchoFilter, Pack(c.EchoResonance, c.EchoCutoff));
  b.WriteLongEvent(EvReverb, Pack(c.Reverb, c.ReverbType));
  b.WriteByteEvent(EvEchoSwing, c.EchoFollowsSwing ? 1 : 0);
  b.WriteWordEvent(EvShift, Word(c.Shift));
  b.WriteWordEvent(EvFirstEffect, Word(c.FirstEffect));
  b.WriteWordEvent(EvPhaser, Word(c.Phaser));
  b.WriteWordEvent(EvCutoff, Word(c.Cutoff));
  b.WriteWordEvent(EvResonance, Word(c.Resonance));
  b.WriteWordEvent(EvPreAmp, Word(c.PreAmp));
  b.WriteWordEvent(EvDecay, Word(c.Decay));
  b.WriteWordEvent(EvAttack, Word(c.Attack));
  b.WriteWordEvent(EvStereoDelay, Word(c.StereoDelay));
  b.WriteLongEvent(EvSecondEffect, Pack(c.SecondEffectMix, c.SecondEffectSine));
  b.WriteWordEvent(EvOptions, static_cast<uint16_t>((c.FadeLeftToRight ? 1 : 0) | (c.Reversed ? 2 : 0) |
                                                     (c.ReverseStereo ? 0x100 : 0)));
  b.WriteLongEvent(EvStretch, static_cast<uint32_t>(c.Stretch));
  b.WriteByteEvent(EvPitchable, c.Pitchable ? 1 : 0);
  b.WriteWordEvent(EvMixTarget, Word(c.MixTarget));
  b.WriteByteEvent(EvEffectTrack, static_cast<uint8_t>(c.EffectTrack));
  for (size_t i = 1; i < c.RandomChoice.size(); ++i) b.WriteWordEvent(EvRandomChoice, Word(c.RandomChoice[i]));
  if (c.RenderNote != -1) b.WriteLongEvent(EvRenderNote, static_cast<uint32_t>(c.RenderNote));
  const std::string& sampleName =
      size_t(index) < host.SampleNames.size() ? host.SampleNames[size_t(index)] : c.SampleFileName;
  if (!sampleName.empty()) b.WriteTextEvent(EvSampleFile, sampleName);
  b.WriteByteEvent(EvVolume, static_cast<uint8_t>(c.Volume));
  b.WriteByteEvent(EvPan, static_cast<uint8_t>(c.Pan));
  if (c.RootNote != 60) b.WriteLongEvent(EvRootNote, static_cast<uint32_t>(c.RootNote));
  b.WriteLongEvent(EvCutGroups, Pack(c.Sample.CutGroup, c.Sample.CutByGroup));
  if (c.Sample.Looped) b.WriteByteEvent(EvLooped, 1);
  b.WriteByteEvent(EvPingPong, static_cast<uint8_t>(c.Sample.PingPong));

  const int length = std::min(song.PatternLength(), MaxSteps);
  for (int pattern = 1; pattern <= MaxPattern; ++pattern) {
    const bool empty = c.Steps.IsPatternEmpty(pattern);
    const bool named = index == 0 && !song.PatternNames[pattern].Name.empty();
    if (!empty) {
      b.WriteWordEvent(EvPattern, Word(pattern));
      const TStepBlock* block = c.Steps.Block(pattern);
      for (int step = 0; step < length; ++step)
        for (int plane = 0; plane < StepPlaneCount; ++plane) {
          const uint8_t v = block->Get(step, plane);
          if (v != StepLanes[plane].Default) b.WriteWordEvent(StepEventIds[plane], static_cast<uint16_t>(v * 256 + step));
        }
    }
    if (named) {
      if (empty) b.WriteWordEvent(EvPattern, Word(pattern));
      b.WriteTextEvent(EvPatternName, song.PatternNames[pattern].Name);
    }
  }
}

}  // namespace

std::vector<uint8_t> BuildSongImage(const TSong& song, const SongHost& host) {
  TSongImageBuffer b;
  const bool ownVersion = !host.ProgramVersion.empty() && VersionToInt(host.ProgramVersion) >= FirstWheelScaleVersion;
  b.WriteTextEvent(EvVersion, ownVersion ? host.ProgramVersion : std::string(ProgramVersionText));
  b.WriteWordEvent(EvTempo, Word(song.BPM));
  b.WriteWordEvent(EvCurrentPattern, Word(song.CurrentPattern));
  b.WriteByteEvent(EvSongMode, song.SongModeOn ? 1 : 0);
  b.WriteByteEvent(EvShowInfo, song.Info.ShowOnOpen ? 1 : 0);
  b.WriteTextEvent(EvTitle, song.Info.Title);
  b.WriteDataEvent(EvInfoRTF, song.Info.InfoRTF.data(), song.Info.InfoRTF.size());
  if (!song.Info.WebAddress.empty()) b.WriteTextEvent(EvWebAddress, song.Info.WebAddress);
  b.WriteByteEvent(EvMasterSwing, static_cast<uint8_t>(song.MasterSwing.load()));
  b.WriteByteEvent(EvMasterVolume, static_cast<uint8_t>(song.MasterVolume.load()));
  b.WriteWordEvent(EvMasterPitch, Word(song.MasterPitch.load()));
  b.WriteLongEvent(EvMasterFilter, Pack(song.MasterResoPosition, song.MasterCutoffPosition));
  b.WriteByteEvent(EvPatternLength, static_cast<uint8_t>(song.PatternLength()));
  b.WriteByteEvent(EvStepsPerBlock, static_cast<uint8_t>(song.StepsPerBlock));
  std::vector<uint8_t> echo;
  PutInts(echo, {song.Echo.Feedback, song.Echo.Pan, song.Echo.Volume, song.Echo.Time});
  b.WriteDataEvent(EvSongEcho, echo.data(), echo.size());

  if (host.Plugins) {
    for (const SongPluginState& p : host.Plugins->LoadedPlugins()) {
      b.WriteTextEvent(EvPluginName, p.Name);
      std::vector<uint8_t> slot;
      PutInts(slot, {p.Track, p.Slot, p.EditorLeft, p.EditorTop, p.EditorOpen ? 1 : 0});
      b.WriteDataEvent(EvPluginSlot, slot.data(), slot.size());
      std::vector<uint8_t> params(p.Parameters.size() * 4);
      for (size_t i = 0; i < p.Parameters.size(); ++i) {
        uint32_t bits;
        std::memcpy(&bits, &p.Parameters[i], 4);
        PutLE(&params[i * 4], bits, 4);
      }
      b.WriteDataEvent(EvPluginParams, params.data(), params.size());
    }
  }

  for (int i = 0; i < song.ChannelCount(); ++i) WriteChannel(b, song, i, host);

  for (int bar = 0; bar < PlaylistBarCount; ++bar)
    for (int pattern : song.Playlist.PlaylistBars[bar]) b.WriteLongEvent(EvPlaylist, Pack(bar, pattern));
  b.WriteWordEvent(EvMarker, Word(song.Playlist.PlaylistMarker));
  b.WriteLongEvent(EvRackHeight, static_cast<uint32_t>(host.Frame ? host.Frame->RackHeight() : 0));
  return b.Finish(song.ChannelCount());
}

TWriteResult SaveSong(const std::string& fileName, TSong& song, const SongHost& host) {
  const std::vector<uint8_t> image = BuildSongImage(song, host);
  const TWriteResult result = WriteFileSafely(fileName, image.data(), image.size());
  if (result) song.SetModified(false);
  return result;
}

}  // namespace vs
