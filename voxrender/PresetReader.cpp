#include "voxrender/PresetReader.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "voxrender/VoxRender.h"

namespace vs::vox {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

int16_t WordAt(const unsigned char* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

// Reads n bytes; false when the file ends first.
bool ReadBytes(std::FILE* f, void* buffer, size_t n) {
  return std::fread(buffer, 1, n, f) == n;
}

bool ReadWord(std::FILE* f, int16_t& word) {
  unsigned char b[2];
  if (!ReadBytes(f, b, 2)) return false;
  word = WordAt(b);
  return true;
}

void DecodeOscillator(const unsigned char* p, OscillatorRecord& osc) {
  int16_t* words[10] = {&osc.LFODepth, &osc.Width,   &osc.Pitch,   &osc.Level,   &osc.EnvDepth,
                        &osc.Off,      &osc.Option1, &osc.Option2, &osc.Option3, &osc.Type};
  for (int i = 0; i < 10; ++i) *words[i] = WordAt(p + 2 * i);
  std::memcpy(osc.Name.data(), p + 20, OscillatorNameBytes);
}

void DecodeEnvelope(const unsigned char* p, EnvelopeRecord& env) {
  for (int i = 0; i < 5; ++i) {
    env.Duration[i] = WordAt(p + 2 * i);
    env.Level[i] = WordAt(p + 10 + 2 * i);
  }
  env.UseEnvelope0 = WordAt(p + 20);
}

}  // namespace

LoadResult ReadPresetFile(const char* path, PresetRecord& record) {
  LoadResult result;
  if (!path) {
    result.Error = VoxCannotOpen;
    return result;
  }
  FilePtr file(std::fopen(path, "rb"));
  if (!file) {
    result.Error = VoxCannotOpen;
    return result;
  }
  std::FILE* f = file.get();
  struct stat info;
  if (fstat(fileno(f), &info) != 0 || S_ISDIR(info.st_mode)) {
    result.Error = VoxCannotOpen;
    return result;
  }

  char magic[5];
  if (!ReadBytes(f, magic, 5)) return result;  // ends in the header: error 0
  if (std::memcmp(magic, "SYNTH", 5) != 0) {
    result.Error = VoxNotAPreset;
    return result;
  }
  int16_t format = 0, version = 0;
  if (!ReadWord(f, format) || !ReadWord(f, version) || format > 1 || version > 3) return result;

  result.Error = VoxShortBody;
  unsigned char osc[4][OscillatorBytes];
  unsigned char env[3][EnvelopeBytes];
  if (!ReadBytes(f, osc, sizeof osc) || !ReadBytes(f, env, sizeof env)) return result;
  for (int i = 0; i < 4; ++i) DecodeOscillator(osc[i], record.Oscillators[i]);
  for (int i = 0; i < 3; ++i) DecodeEnvelope(env[i], record.Envelopes[i]);

  int16_t ignored = 0;
  int16_t* body[] = {&record.Cutoff,  &record.FilterEnvDepth, &record.Resonance,
                     &record.LowHigh, &record.Band,           &record.LFOCutoffDepth,
                     &record.Drive,   &record.Note,           &ignored,
                     &ignored,        &ignored,               &record.FilterType,
                     &record.Reserved, &record.StereoMode};
  for (int16_t* word : body)
    if (!ReadWord(f, *word)) return result;

  record.Distortion = 0;
  record.HalfSpeed = 0;
  record.Normalise = 1;
  if (version >= 1 && (!ReadWord(f, record.Distortion) || !ReadWord(f, record.HalfSpeed)))
    return result;
  if (version >= 2 && !ReadWord(f, record.Normalise)) return result;

  record.Path = path;
  result.Error = VoxNoError;
  result.Ok = true;
  return result;
}

}  // namespace vs::vox
