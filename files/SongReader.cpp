#include "files/SongReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <numbers>

#include "model/Channels.h"
#include "model/MB404Params.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "engine/Mixer.h"
#include "files/SongFile.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"
#include "toolbox/TextCodec.h"

namespace vs {

namespace {

constexpr uint32_t MissingSampleColor = 0x020000FF;
constexpr int MaxLengthGroups = 5;

uint32_t LE(const uint8_t* p, size_t n) {
  uint32_t v = 0;
  for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

// Reads up to `count` signed 32-bit values from a payload, as far as it
// goes; returns how many were there.
int ReadInts(const uint8_t* p, size_t size, int32_t* out, int count) {
  int n = 0;
  for (; n < count && size >= 4 * size_t(n + 1); ++n) out[n] = static_cast<int32_t>(LE(p + 4 * n, 4));
  return n;
}

// A plain text of older files as rich text: the model keeps RTF only.
std::string PlainTextToRTF(const std::string& bytes) {
  std::string out = "{\\rtf1\\ansi ";
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (c == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      out += "\\par\n";
    } else if (c == '\n') {
      out += "\\par\n";
    } else {
      out += c;
    }
  }
  out += '}';
  return out;
}

class TEventReader {
public:
  TEventReader(TSongFileContent& content, const SongReadOptions& options)
      : Content(content), Song(*content.Song), Options(options) {}

  bool Run(const uint8_t* data, size_t size);

private:
  void Apply(uint8_t id, uint32_t v, const uint8_t* p, size_t size);
  void ApplyText(uint8_t id, const uint8_t* p, size_t size);
  void ApplyData(uint8_t id, const uint8_t* p, size_t size);
  void ApplyChannelValue(TChannel& c, uint8_t id, uint32_t v);
  void SelectChannel(uint32_t index);
  void SetStep(int plane, uint32_t v);
  void Finish();
  TChannel* Current() { return Song.Channel(ChannelIndex); }

  TSongFileContent& Content;
  TSong& Song;
  const SongReadOptions& Options;
  int ChannelIndex = 0;
  int Pattern = 1;
  std::string PendingPlugin;
  int PopupPlugin = -1;  // index into Content.Plugins, -1 none
};

bool TEventReader::Run(const uint8_t* data, size_t size) {
  size_t pos = 0;
  bool whole = true;
  while (pos < size) {
    const uint8_t id = data[pos++];
    size_t length;
    if (id < 64) {
      length = 1;
    } else if (id < 128) {
      length = 2;
    } else if (id < 192) {
      length = 4;
    } else {
      uint64_t l = 0;
      int groups = 0;
      for (;;) {
        if (pos >= size || groups == MaxLengthGroups) {
          whole = false;
          break;
        }
        const uint8_t b = data[pos++];
        l |= uint64_t(b & 0x7F) << (7 * groups++);
        if (!(b & 0x80)) break;
      }
      if (!whole) break;
      if (l > size - pos) {
        whole = false;
        break;
      }
      length = static_cast<size_t>(l);
    }
    if (length > size - pos) {
      whole = false;
      break;
    }
    const uint8_t* p = data + pos;
    if (id < 192)
      Apply(id, LE(p, length), p, length);
    else if (id != EvInfoRTF && (id <= EvVersion || id == EvPluginName))
      ApplyText(id, p, length);
    else
      ApplyData(id, p, length);
    pos += length;
  }
  Finish();
  return whole;
}

void TEventReader::SelectChannel(uint32_t index) {
  if (index >= static_cast<uint32_t>(MaxSongChannels)) {
    ChannelIndex = -1;  // the events of this channel are dropped
    return;
  }
  while (Song.ChannelCount() <= static_cast<int>(index)) AddChannel(Song);
  ChannelIndex = static_cast<int>(index);
}

void TEventReader::SetStep(int plane, uint32_t v) {
  TChannel* c = Current();
  const int step = v & 0xFF;
  if (!c || step >= MaxSteps) return;
  int value = static_cast<int>(v >> 8);
  if (plane != PlaneFlags) value = std::min(value, StepLanes[plane].Max);
  c->Steps.SetStepValue(Pattern, step, static_cast<uint8_t>(value), plane);
}

void TEventReader::Apply(uint8_t id, uint32_t v, const uint8_t*, size_t) {
  const int iv = static_cast<int>(std::min<uint32_t>(v, INT32_MAX));
  switch (id) {
    case EvTempo: Song.BPM = std::clamp(iv, MinBPM, MaxBPM); return;
    case EvCurrentPattern: Song.CurrentPattern = std::clamp(iv, 1, MaxPattern); return;
    case EvSongMode: Song.SongModeOn = v == 1; return;
    case EvShowInfo: Song.Info.ShowOnOpen = v == 1; return;
    case EvMasterSwing: Song.MasterSwing.store(std::min(iv, 128)); return;
    case EvMasterVolume: Song.MasterVolume.store(std::min(iv, 128)); return;
    case EvMasterPitch: Song.MasterPitch.store(static_cast<int16_t>(v)); return;
    case EvMasterFilter:
      Song.MasterResoPosition = std::min<int>(v & 0xFFFF, MasterFilterSliderMax);
      Song.MasterCutoffPosition = std::min<int>(v >> 16, MasterFilterSliderMax);
      return;
    case EvPatternLength:
      if (Options.TrackSongFileName) Song.SetPatternLength(iv);
      return;
    case EvStepsPerBlock: Song.StepsPerBlock = std::clamp(iv, 1, MaxSteps); return;
    case EvPlaylist: {
      const int bar = std::min<int>(v & 0xFFFF, PlaylistBarCount - 1);
      const int pattern = static_cast<int>(v >> 16);
      if (pattern < 1 || pattern > MaxPattern) return;
      // Appended as stored: a bar may hold a pattern more than once.
      Song.Playlist.PlaylistBars[bar].push_back(pattern);
      return;
    }
    case EvMarker: Song.Playlist.PlaylistMarker = std::min(iv, PlaylistBarCount - 1); return;
    case EvRackHeight:
      Content.HasRackHeight = true;
      Content.RackHeight = static_cast<int32_t>(v);
      return;
    case EvChannel: SelectChannel(v); return;
    case EvPattern: Pattern = std::min(iv, MaxPattern); return;
    case EvOldSteps:
      if (TChannel* c = Current()) {
        c->Steps.AllocPattern(Pattern);
        if (TStepBlock* block = c->Steps.Block(Pattern))
          for (int i = 0; i < 16; ++i)
            if (v & (1u << i)) block->Set(i, PlaneFlags, 1);
      }
      return;
    default: break;
  }
  for (int plane = 0; plane < StepPlaneCount; ++plane)
    if (StepEventIds[plane] == id) {
      SetStep(plane, v);
      return;
    }
  if (TChannel* c = Current()) ApplyChannelValue(*c, id, v);
}

void TEventReader::ApplyChannelValue(TChannel& c, uint8_t id, uint32_t v) {
  const int iv = static_cast<int>(std::min<uint32_t>(v, INT32_MAX));
  const int low = static_cast<int>(v & 0xFFFF), high = static_cast<int>(v >> 16);
  const bool oldScale = Song.SongVersion < FirstWheelScaleVersion;
  switch (id) {
    case EvKind:
      if (v == 1) c.MakeMB404(false);
      break;
    case EvMidiNote: c.MidiNote = v < 128 ? static_cast<uint8_t>(v) : MidiNone; break;
    case EvMidiProgram: c.MidiProgram = v < 128 ? static_cast<uint8_t>(v) : MidiNone; break;
    case EvMidiBank: c.MidiBank = v < 128 ? static_cast<uint8_t>(v) : MidiNone; break;
    case EvMidiChannel: c.MidiChannel = std::min(iv, 15); break;
    case EvColor: c.Color = v; break;
    case EvEnabled: c.Enabled = v == 1; break;
    case EvCollapsed: c.Collapsed = true; break;
    case EvOldEcho:
      if (low != 0) {
        const int n = std::min(low, 9);
        c.EchoCount = n;
        c.EchoFeedback = (128 / (n + 1)) * n;
        c.EchoTime = std::min(high / 8, 256);
      }
      break;
    case EvEchoFilter:
      c.EchoResonance = std::min(low, 256);
      c.EchoCutoff = std::min(high, 256);
      break;
    case EvReverb:
      c.Reverb = std::min(low, 256);
      c.ReverbType = std::min(high, 1);
      break;
    case EvEchoSwing: c.EchoFollowsSwing = v == 1; break;
    case EvShift: c.Shift = std::min(iv, 256); break;
    case EvFirstEffect: c.FirstEffect = std::min(iv, 256); break;
    case EvPhaser: c.Phaser = std::min(iv, 512); break;
    case EvPreAmp: c.PreAmp = std::min(iv, 256); break;
    case EvDecay: c.Decay = std::min(iv, 1024); break;
    case EvAttack: c.Attack = std::min(iv, 1024); break;
    case EvStereoDelay: c.StereoDelay = std::min(iv, 4096); break;
    case EvCutoff: c.Cutoff = std::clamp(oldScale ? ConvertOldCutoff(iv) : iv, 0, 1020); break;
    case EvResonance: c.Resonance = std::clamp(oldScale ? ConvertOldResonance(iv) : iv, 0, 1020); break;
    case EvSecondEffect:
      c.SecondEffectMix = std::min(low, 256);
      c.SecondEffectSine = std::min(high, 256);
      break;
    case EvOptions:
      c.FadeLeftToRight = v & 1;
      c.Reversed = v & 2;
      c.ReverseStereo = v & 0x100;
      break;
    case EvStretch:
    case EvOldStretch: c.Stretch = std::min(iv, 512); break;
    case EvPitchable: c.Pitchable = v == 1; break;
    case EvMixTarget: c.MixTarget = iv; break;  // checked when all channels exist
    case EvEffectTrack: c.EffectTrack = std::min(iv, 3); break;
    case EvRandomChoice:
      if (c.RandomChoice.size() < static_cast<size_t>(MaxSongChannels)) c.RandomChoice.push_back(iv);
      break;
    case EvRenderNote: {
      const int32_t note = static_cast<int32_t>(v);
      c.RenderNote = note >= 0 && note <= 127 ? note : -1;
      break;
    }
    case EvVolume: c.Volume = std::min(iv, 127); break;
    case EvPan: c.Pan = std::min(iv, 127); break;
    case EvRootNote: c.RootNote = std::min(iv, 127); break;
    case EvCutGroups:
      c.Sample.CutGroup = std::min(low, 99);
      c.Sample.CutByGroup = std::min(high, 99);
      break;
    case EvLooped: c.Sample.Looped = c.Sample.LoopStart >= 0; break;
    case EvPingPong: {
      const int32_t pingPong = v ? 1 : 0;
      if (pingPong != c.Sample.PingPong) {
        c.Sample.PingPong = pingPong;
        if (Options.Loader) Options.Loader->RebuildSample(Song, ChannelIndex);
      }
      break;
    }
    default: break;  // ids without a meaning are skipped by their size
  }
}

void TEventReader::ApplyText(uint8_t id, const uint8_t* p, size_t size) {
  const auto* chars = reinterpret_cast<const char*>(p);
  const size_t textLength = std::find(chars, chars + size, '\0') - chars;
  switch (id) {
    case EvVersion: Song.SongVersion = VersionToInt(std::string_view(chars, textLength)); return;
    case EvTitle: Song.Info.Title = Cp1252ToUtf8(std::string_view(chars, textLength)); return;
    case EvPlainInfo: Song.Info.InfoRTF = PlainTextToRTF(std::string(chars, textLength)); return;
    case EvWebAddress: Song.Info.WebAddress = Cp1252ToUtf8(std::string_view(chars, textLength)); return;
    case EvPatternName: Song.PatternNames[Pattern].Name = Cp1252ToUtf8(std::string_view(chars, textLength)); return;
    case EvPluginName: PendingPlugin = Cp1252ToUtf8(std::string_view(chars, textLength)); return;
    default: break;
  }
  TChannel* c = Current();
  if (!c) return;
  if (id == EvChannelName) {
    c->Name = Cp1252ToUtf8(std::string_view(chars, textLength));
  } else if (id == EvSampleFile) {
    const std::string name = Cp1252ToUtf8(std::string_view(chars, textLength));
    if (Options.Loader && !Options.Loader->LoadFileIntoChannel(Song, ChannelIndex, name) && !name.empty())
      Content.UnusedFiles.push_back({ChannelIndex, name});
    // A sample that can't be found keeps its name, so that saving the song
    // keeps the reference.
    if (c->SampleFileName.empty()) c->SampleFileName = name;
    c->Sample.Looped = false;
    if (c->Sample.Empty()) c->Color = MissingSampleColor;
  }
}

void TEventReader::ApplyData(uint8_t id, const uint8_t* p, size_t size) {
  switch (id) {
    case EvInfoRTF: Song.Info.InfoRTF.assign(reinterpret_cast<const char*>(p), size); return;
    case EvSongEcho: {
      int32_t e[4] = {Song.Echo.Feedback, Song.Echo.Pan, Song.Echo.Volume, Song.Echo.Time};
      ReadInts(p, size, e, 4);
      Song.Echo.Feedback = std::clamp(e[0], 0, 127);
      Song.Echo.Pan = std::clamp(e[1], 0, 128);
      Song.Echo.Volume = std::clamp(e[2], 0, 128);
      Song.Echo.Time = std::clamp(e[3], 0, 256);
      return;
    }
    case EvPluginSlot: {
      PopupPlugin = -1;
      int32_t s[5] = {0, 0, 0, 0, 0};
      const int n = ReadInts(p, size, s, 5);
      if (n < 2 || s[0] < 0 || s[0] >= PluginTrackCount || s[1] < 0 || s[1] >= PluginSlotCount) return;
      SongPluginState state;
      state.Track = s[0];
      state.Slot = s[1];
      state.Name = PendingPlugin;
      state.EditorLeft = s[2];
      state.EditorTop = s[3];
      // Only the first byte of the open flag counts.
      state.EditorOpen = size >= 17 && p[16] != 0;
      Content.Plugins.push_back(std::move(state));
      PopupPlugin = static_cast<int>(Content.Plugins.size()) - 1;
      return;
    }
    case EvPluginParams: {
      if (PopupPlugin < 0) return;
      auto& params = Content.Plugins[PopupPlugin].Parameters;
      const size_t count = size / 4;
      if (params.size() < count) params.resize(count, 0.0f);
      for (size_t i = 0; i < count; ++i) {
        const uint32_t bits = LE(p + 4 * i, 4);
        std::memcpy(&params[i], &bits, 4);
      }
      return;
    }
    default: break;
  }
  TChannel* c = Current();
  if (!c) return;
  switch (id) {
    case EvControllers:
      for (size_t i = 0; i < std::min<size_t>(size, 128); ++i) c->ControllerStart[i] = p[i] < 128 ? p[i] : 255;
      return;
    case EvChannelEcho: {
      int32_t e[5] = {c->EchoFeedback, c->EchoPan, c->EchoPitch, c->EchoCount, c->EchoTime};
      // The stored pan is centred on 0; any 32-bit value may come.
      const bool storedPan = ReadInts(p, size, e, 5) >= 2;
      c->EchoFeedback = std::clamp(e[0], 0, 256);
      c->EchoPan = static_cast<int32_t>(std::clamp<int64_t>(int64_t(e[1]) + (storedPan ? 64 : 0), 0, 256));
      c->EchoPitch = std::clamp(e[2], 0, 240);
      c->EchoCount = std::clamp(e[3], 1, 9);
      c->EchoTime = std::clamp(e[4], 0, 256);
      return;
    }
    case EvSynthParams:
      if (c->Synth) MB404ParamsFromBytes(*c->Synth, p, size);
      return;
    default: return;
  }
}

void TEventReader::Finish() {
  const int count = Song.ChannelCount();
  for (int i = 0; i < count; ++i) {
    TChannel& c = *Song.Channels[i];
    if (c.MixTarget < 0 || c.MixTarget >= count) c.MixTarget = i;
    auto& list = c.RandomChoice;
    list.erase(std::remove_if(list.begin(), list.end(), [count](int32_t r) { return r < 0 || r >= count; }),
               list.end());
    if (list.empty()) list.push_back(i);
  }
  RebuildMB404List(Song);
}

}  // namespace

bool IsBarePluginName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\:") == std::string::npos && name.find('\0') == std::string::npos;
}

std::string MissingPluginMessage(const std::string& name) {
  return "Warning|This song needs the " + name + " plugin which couldn't be found...";
}

int ConvertOldCutoff(int value) {
  const double x = 256.0 - value;
  float y = static_cast<float>((1.0 - std::cos(x * std::numbers::pi / 512.0)) * 2.0);
  if (y > 1.0f) y = 1.0f;
  const double a = std::acos(std::clamp(static_cast<double>(y) - 1.0, -1.0, 1.0));
  return static_cast<int>(std::nearbyint(a * 2048.0 / std::numbers::pi)) - 1024;
}

int ConvertOldResonance(int value) {
  const double a = std::acos(std::clamp(-value / 256.0, -1.0, 1.0));
  return static_cast<int>(std::nearbyint(a * 2048.0 / std::numbers::pi)) - 1024;
}

bool ReadSongEvents(const uint8_t* data, size_t size, TSongFileContent& content, const SongReadOptions& options) {
  if (!content.Song) return false;
  TEventReader reader(content, options);
  const bool whole = reader.Run(data, size);
  content.Song->SetModified(false);
  return whole;
}

int ReadSongImage(const uint8_t* image, size_t size, TSongFileContent& content, const SongReadOptions& options) {
  if (size < 8 || std::memcmp(image, "ZMhd", 4) != 0) return SongNotASongFile;
  const uint64_t dataChunk = 8 + uint64_t(LE(image + 4, 4));
  if (dataChunk + 8 > size || std::memcmp(image + dataChunk, "ZMdt", 4) != 0) return SongNotASongFile;
  const uint64_t start = dataChunk + 8;
  const uint64_t length = LE(image + dataChunk + 4, 4);
  if (length > size - start) return SongDamaged;

  content = TSongFileContent{};
  content.Song = std::make_unique<TSong>();
  ResetSongModel(*content.Song, !options.TrackSongFileName);
  if (!options.TrackSongFileName) content.Song->SetPatternLength(options.KeptPatternLength);
  if (!ReadSongEvents(image + start, static_cast<size_t>(length), content, options)) return SongDamaged;
  return SongLoaded;
}

int ReadSongFile(const std::string& fileName, TSongFileContent& content, const SongReadOptions& options) {
  std::vector<uint8_t> image;
  {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    const auto cannot = [&content, fd](int error) {
      content.ReadError = error;
      if (fd >= 0) ::close(fd);
      return SongCannotOpen;
    };
    if (fd < 0) return cannot(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return cannot(errno);
    if (S_ISDIR(st.st_mode)) return cannot(EISDIR);
    if (!S_ISREG(st.st_mode)) return cannot(EINVAL);
    if (static_cast<uint64_t>(st.st_size) > MaxSongFileSize) {
      ::close(fd);
      return SongNotASongFile;
    }
    image.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < image.size()) {
      const ssize_t n = ::read(fd, image.data() + done, image.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return cannot(errno);
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    image.resize(done);  // a file that shrank while read is read as it is now
    ::close(fd);
  }
  return ReadSongImage(image.data(), image.size(), content, options);
}

std::string UnusedChannelFilesMessage(const std::vector<TUnusedChannelFile>& unused, const TSong& song) {
  if (unused.empty()) return {};
  constexpr size_t MostListed = 12;
  std::string text = WindowText(MainWindowTable, "@UnusedChannelFiles",
                                "Warning|The files of these channels could not be used; the channels stay silent:");
  for (size_t i = 0; i < unused.size() && i < MostListed; ++i) {
    const TChannel* channel = song.Channel(unused[i].Channel);
    text += "\r" + FormatText(WindowText(MainWindowTable, "@UnusedChannelLine", "Channel %s"),
                              {std::to_string(unused[i].Channel + 1)});
    if (channel && !channel->Name.empty()) text += " (" + channel->Name + ")";
    text += ": " + unused[i].File;
  }
  if (unused.size() > MostListed) text += "\r(and " + std::to_string(unused.size() - MostListed) + " more)";
  return text;
}

int LoadSong(const std::string& fileName, const SongHost& host, const SongReadOptions& options) {
  SongReadOptions readOptions = options;
  if (!readOptions.Loader) readOptions.Loader = host.Loader;
  TSongFileContent content;
  const int result = ReadSongFile(fileName, content, readOptions);
  if (result != SongLoaded) return result;

  std::unique_ptr<TSong> old;
  {
    MixerGuard lock;
    old = SwapCurrentSong(std::move(content.Song));
    StopAllVoices();
  }
  old.reset();
  NotifySongReplaced();
  ApplySongFileHost(content, host);
  return SongLoaded;
}

void ApplySongFileHost(const TSongFileContent& content, const SongHost& host) {
  if (host.Plugins) {
    host.Plugins->UnloadAll();
    for (const SongPluginState& plugin : content.Plugins)
      if (!IsBarePluginName(plugin.Name) || !host.Plugins->LoadPlugin(plugin))
        host.Plugins->ShowWarning(MissingPluginMessage(plugin.Name));
  }
  if (host.Frame && content.HasRackHeight) host.Frame->ApplyRackHeight(content.RackHeight);
}

}  // namespace vs
