#include "voxrender/Renderer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "voxrender/Effects.h"
#include "voxrender/Envelope.h"
#include "voxrender/Filter.h"
#include "voxrender/Oscillators.h"
#include "voxrender/SamplePlayer.h"

namespace vs::vox {
namespace {

constexpr uint32_t RandomSeed = 666;
constexpr int32_t MaxNote = (MaxPitch - 2400) / 100;  // keeps the base pitch in range

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

// Modulation depth of a pitch depth word: trunc(word * 0.12) * 100.
int32_t PitchDepth(int16_t word) { return int32_t{word} * 12 / 100 * 100; }

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
  return true;
}

bool IsReadableFile(const std::filesystem::path& p) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(p, ec)) return false;
  std::FILE* f = std::fopen(p.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

}  // namespace

void WriteWAVHeader(void* header, uint32_t valueCount) {
  unsigned char* h = static_cast<unsigned char*>(header);
  uint32_t dataBytes = valueCount * 2;
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, dataBytes + 36);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);       // PCM
  Put16(h + 22, 2);       // channels
  Put32(h + 24, 44100);   // frames per second
  Put32(h + 28, 176400);  // bytes per second
  Put16(h + 32, 4);       // block align
  Put16(h + 34, 16);      // bits
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);
}

std::string ResolveOscillatorFile(const std::string& name, const std::string& presetPath) {
  namespace fs = std::filesystem;
  if (name.empty()) return {};
  if (IsReadableFile(name)) return name;
  if (presetPath.empty()) return {};
  size_t cut = name.find_last_of("\\/");
  std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
  if (file.empty() || file == "." || file == "..") return {};
  fs::path folder = fs::path(presetPath).parent_path();
  if (folder.empty()) folder = ".";
  fs::path direct = folder / file;
  if (IsReadableFile(direct)) return direct.string();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (SameNoCase(it->path().filename().string(), file) && IsReadableFile(it->path()))
      return it->path().string();
  return {};
}

Renderer::Renderer(const PresetRecord& record) : Record(record), Random(RandomSeed) {
  FrameCount = EnvelopeLength(Record.Envelopes[0]);
  Build();
}

Renderer::~Renderer() = default;

template <class T, class... Args>
T* Renderer::Make(Args&&... args) {
  auto unit = std::make_unique<T>(std::forward<Args>(args)...);
  T* raw = unit.get();
  Units.push_back(std::move(unit));
  return raw;
}

Unit* Renderer::BuildOscillator(const OscillatorRecord& osc, int32_t base) {
  const int32_t pitch = ClampPitch(int64_t{osc.Pitch} + base);
  auto tableWithSwitches = [&](WaveTable table) {
    ApplyOctaveAndFifth(table, osc.Option1 != 0, osc.Option2 != 0);
    return table;
  };
  switch (osc.Type) {
    case OscPulse:
    case OscSaw:
    case OscSine:
      return Make<TableOscillator>(tableWithSwitches(MakeShapeTable(osc.Type, osc.Width, Random)),
                                   pitch, osc.Option3 != 0);
    case OscNoise:
      return Make<NoiseUnit>(Random, pitch, osc.Option1 != 0, osc.Option2 != 0, osc.Option3 != 0);
    case OscFile: {
      const char* begin = osc.Name.data();
      const char* end = static_cast<const char*>(std::memchr(begin, 0, osc.Name.size()));
      if (!end) break;  // no terminator: not a usable name
      std::string name(begin, end);
      if (EndsWithNoCase(name, "WAV")) {
        std::string path = ResolveOscillatorFile(name, Record.Path);
        return Make<SamplePlayer>(path.empty() ? MonoSample{} : ReadWAVFile(path), osc.Pitch);
      }
      if (EndsWithNoCase(name, "OSC")) {
        std::string path = ResolveOscillatorFile(name, Record.Path);
        auto levels = path.empty() ? ReadHarmonicFile("") : ReadHarmonicFile(path);
        return Make<TableOscillator>(tableWithSwitches(MakeHarmonicTable(levels)), pitch,
                                     osc.Option3 != 0);
      }
      break;
    }
    default:
      break;
  }
  return Make<SilentUnit>();
}

void Renderer::Build() {
  const int32_t note = std::clamp<int32_t>(Record.Note, 0, MaxNote);
  const int32_t base = note * 100 + 2400;

  // Envelopes: amplitude, pitch, filter; 1 and 2 may stand for envelope 0.
  Unit* env[3];
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && Record.Envelopes[i].UseEnvelope0 != 0) {
      env[i] = env[0];
      continue;  // the same unit ticks once per frame
    }
    env[i] = Make<EnvelopeUnit>(Record.Envelopes[i]);
    Modulators.push_back(env[i]);
  }

  // The LFO.
  const OscillatorRecord& lfoRecord = Record.Oscillators[3];
  Unit* lfo = nullptr;
  if (lfoRecord.Off == 0) {
    if (lfoRecord.Type == OscNoise) {
      lfo = Make<NoiseUnit>(Random, ClampPitch(lfoRecord.Pitch), lfoRecord.Option1 != 0,
                            lfoRecord.Option2 != 0, lfoRecord.Option3 != 0);
    } else {
      WaveTable table = MakeShapeTable(lfoRecord.Type, lfoRecord.Width, Random);
      ApplyOctaveAndFifth(table, lfoRecord.Option1 != 0, lfoRecord.Option2 != 0);
      lfo = Make<LFOUnit>(table, lfoRecord.Pitch);
    }
    Modulators.push_back(lfo);
    if (lfoRecord.EnvDepth != 0) lfo->AddLink(env[1], PitchDepth(lfoRecord.EnvDepth));
  }

  // Oscillators, weighted by their share of the summed levels.
  int64_t sum = 0;
  for (int k = 0; k < 3; ++k)
    if (Record.Oscillators[k].Off == 0) sum += std::max<int16_t>(Record.Oscillators[k].Level, 0);
  if (sum <= 0) {
    Generators.push_back(Make<Amplifier>(0));
  } else {
    for (int k = 0; k < 3; ++k) {
      const OscillatorRecord& osc = Record.Oscillators[k];
      if (osc.Off != 0) continue;
      Unit* unit = BuildOscillator(osc, base);
      unit->Level = static_cast<uint16_t>(std::max<int16_t>(osc.Level, 0) * 65535 / sum);
      if (lfo && osc.LFODepth != 0) unit->AddLink(lfo, PitchDepth(osc.LFODepth));
      if (osc.EnvDepth != 0) unit->AddLink(env[1], PitchDepth(osc.EnvDepth));
      Generators.push_back(unit);
    }
  }

  // The filter and its extra stage.
  if (Record.FilterType != FilterNone) {
    auto weight = [](int16_t word) { return word == 128 ? 255 : std::clamp(word + 128, 0, 255); };
    FilterSettings s;
    s.Cutoff = Record.Cutoff;
    s.Resonance = Record.Resonance;
    int32_t balance = weight(Record.LowHigh);
    s.LowWeight = 255 - balance;
    s.HighWeight = balance;
    s.BandWeight = weight(Record.Band);
    s.Drive = Record.Drive;
    Unit* filter = Make<FilterUnit>(s);
    if (Record.FilterEnvDepth != 0) filter->AddLink(env[2], Record.FilterEnvDepth);
    if (lfo && Record.LFOCutoffDepth != 0) filter->AddLink(lfo, Record.LFOCutoffDepth);
    Processors.push_back(filter);
    if (Record.FilterType == FilterExtraStage) Processors.push_back(Make<SmoothingStage>());
  }

  // The final amplifier, driven by the amplitude envelope.
  Unit* amp = Make<Amplifier>(0xFE00);
  amp->Level = 0xFE00;
  amp->AddLink(env[0], 0x7FFF);
  Processors.push_back(amp);
}

WaveImage Renderer::Render() {
  const size_t frames = static_cast<size_t>(FrameCount);
  Random.Seed(RandomSeed);

  Channel left(frames), right;
  for (size_t i = 0; i < frames; ++i) {
    for (Unit* u : Modulators) u->Step(0);
    int64_t mix = 0;
    for (Unit* u : Generators) mix += (int64_t{u->Step(0)} - Zero) * u->Level;
    uint16_t signal = ClampSignal((mix >> 16) + Zero);
    for (Unit* u : Processors)
      signal = ClampSignal(((int64_t{u->Step(signal)} - Zero) * u->Level >> 16) + Zero);
    left[i] = signal;
  }

  ApplyStereoMode(Record.StereoMode, left, right);
  if (Record.Distortion != 0) {
    Distort(left);
    Distort(right);
  }
  if (Record.Normalise != 0) Normalise(left, right);
  if (Record.HalfSpeed != 0) {
    left = HalfSpeed(left);
    right = HalfSpeed(right);
  }

  const size_t outFrames = left.size();
  WaveImage image;
  image.Words.resize(WAVHeaderWords + 2 * outFrames);
  int16_t* data = image.Data();
  for (size_t i = 0; i < outFrames; ++i) {
    data[2 * i] = static_cast<int16_t>(int32_t{left[i]} - Zero);
    data[2 * i + 1] = static_cast<int16_t>(int32_t{right[i]} - Zero);
  }
  WriteWAVHeader(image.Words.data(), static_cast<uint32_t>(2 * outFrames));
  return image;
}

}  // namespace vs::vox
