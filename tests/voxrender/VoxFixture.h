// Shared helpers of the preset renderer tests: the library opened with
// dlopen, temporary folders and a writer of ".SYN" files.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "voxrender/VoxRender.h"

namespace voxtest {

// The library's six functions, looked up by name.
struct VoxLibrary {
  void* Handle = nullptr;
  VoxCreatePresetFn Create = nullptr;
  VoxDeletePresetFn Delete = nullptr;
  VoxLoadPresetFn Load = nullptr;
  VoxGenPresetFn Gen = nullptr;
  VoxGetLastLoadErrorFn LastError = nullptr;
  VoxTestPresetFn Test = nullptr;

  static const VoxLibrary& Get() {
    static const VoxLibrary lib;
    return lib;
  }

 private:
  VoxLibrary() {
    Handle = dlopen(VOXRENDER_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!Handle) return;
    Create = reinterpret_cast<VoxCreatePresetFn>(dlsym(Handle, "createPreset"));
    Delete = reinterpret_cast<VoxDeletePresetFn>(dlsym(Handle, "deletePreset"));
    Load = reinterpret_cast<VoxLoadPresetFn>(dlsym(Handle, "loadPreset"));
    Gen = reinterpret_cast<VoxGenPresetFn>(dlsym(Handle, "genPreset"));
    LastError = reinterpret_cast<VoxGetLastLoadErrorFn>(dlsym(Handle, "getLastLoadError"));
    Test = reinterpret_cast<VoxTestPresetFn>(dlsym(Handle, "testPreset"));
  }
};

// A holder that is deleted at the end of the scope.
class Holder {
 public:
  Holder() : H(VoxLibrary::Get().Create()) {}
  ~Holder() { VoxLibrary::Get().Delete(H); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  VoxPresetHolder* get() const { return H; }
  bool Load(const std::string& path) { return VoxLibrary::Get().Load(H, path.c_str()) == 1; }
  int32_t LastError() const { return VoxLibrary::Get().LastError(H); }
  // Renders and copies the interleaved values out; empty when it failed.
  bool Gen(std::vector<int16_t>& values, int32_t note = -1) {
    int16_t* data = nullptr;
    int32_t count = -1;
    if (VoxLibrary::Get().Gen(H, &data, &count, note) != 1) return false;
    LastData = data;
    values.assign(data, data + count);
    return true;
  }
  // The header in front of the data of the last successful Gen.
  const unsigned char* Header() const {
    return reinterpret_cast<const unsigned char*>(LastData) - 44;
  }

 private:
  VoxPresetHolder* H;
  const int16_t* LastData = nullptr;
};

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "voxtest-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    if (made) Path = made;
  }
  ~TempDir() {
    std::error_code ec;
    if (!Path.empty() && Path != "/") std::filesystem::remove_all(Path, ec);
  }
  std::string File(const std::string& name) const { return Path + "/" + name; }
  std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    std::string path = File(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string Path;
};

inline void PutWord(std::vector<unsigned char>& out, int32_t w) {
  out.push_back(static_cast<unsigned char>(w & 0xFF));
  out.push_back(static_cast<unsigned char>((w >> 8) & 0xFF));
}
inline void PutLong(std::vector<unsigned char>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void PutText(std::vector<unsigned char>& out, const char* s) {
  out.insert(out.end(), s, s + std::strlen(s));
}

struct SynOscillator {
  int16_t LFODepth = 0, Width = 50, Pitch = 0, Level = 255, EnvDepth = 0, Off = 0;
  int16_t Option1 = 0, Option2 = 0, Option3 = 0, Type = 1;
  std::array<char, 200> Name{'N', 'A'};
  void SetName(const std::string& s) {
    Name.fill(0);
    std::memcpy(Name.data(), s.data(), std::min<size_t>(s.size(), 200));
  }
};

struct SynEnvelope {
  std::array<int16_t, 5> Duration{0, 400, 0, 0, 0};
  std::array<int16_t, 5> Level{255, 0, 0, 0, 0};
  int16_t UseEnvelope0 = 0;
};

// A ".SYN" file with the reader's defaults, written field by field.
struct SynFile {
  int16_t Format = 1, Version = 3;
  std::array<SynOscillator, 4> Osc;
  std::array<SynEnvelope, 3> Env;
  int16_t Cutoff = 64, FilterEnvDepth = 64, Resonance = 0, LowHigh = -128, Band = -128;
  int16_t LFOCutoffDepth = 0, Drive = 0, Note = 12;
  int16_t FilterType = 8788, Reserved = 1, Stereo = 3097;
  int16_t Distortion = 0, HalfSpeed = 0, Normalise = 1;

  SynFile() {
    Osc[1].Off = Osc[2].Off = 1;
    Osc[3].Pitch = 12;
    Osc[3].Type = 2;
    Env[1].UseEnvelope0 = Env[2].UseEnvelope0 = 1;
  }

  std::vector<unsigned char> Bytes() const {
    std::vector<unsigned char> b;
    PutText(b, "SYNTH");
    PutWord(b, Format);
    PutWord(b, Version);
    for (const SynOscillator& o : Osc) {
      for (int16_t w : {o.LFODepth, o.Width, o.Pitch, o.Level, o.EnvDepth, o.Off, o.Option1,
                        o.Option2, o.Option3, o.Type})
        PutWord(b, w);
      b.insert(b.end(), o.Name.begin(), o.Name.end());
    }
    for (const SynEnvelope& e : Env) {
      for (int16_t d : e.Duration) PutWord(b, d);
      for (int16_t l : e.Level) PutWord(b, l);
      PutWord(b, e.UseEnvelope0);
    }
    for (int16_t w : {Cutoff, FilterEnvDepth, Resonance, LowHigh, Band, LFOCutoffDepth, Drive, Note,
                      int16_t{7}, int16_t{7}, int16_t{7}, FilterType, Reserved, Stereo})
      PutWord(b, w);
    if (Version >= 1) {
      PutWord(b, Distortion);
      PutWord(b, HalfSpeed);
    }
    if (Version >= 2) PutWord(b, Normalise);
    return b;
  }

  // Only oscillator 0 sounds, a pure sine, no filter, no LFO, no normalise.
  static SynFile Sine() {
    SynFile f;
    f.Osc[0].Type = 2;
    f.Osc[0].Width = 99;
    f.Osc[3].Off = 1;
    f.FilterType = 8787;
    f.Normalise = 0;
    return f;
  }
};

// A 16-bit PCM WAV file image.
inline std::vector<unsigned char> MakeWAV(const std::vector<int16_t>& values, int channels,
                                          uint32_t rate) {
  std::vector<unsigned char> b;
  uint32_t bytes = static_cast<uint32_t>(values.size() * 2);
  PutText(b, "RIFF");
  PutLong(b, 36 + bytes);
  PutText(b, "WAVEfmt ");
  PutLong(b, 16);
  PutWord(b, 1);
  PutWord(b, channels);
  PutLong(b, rate);
  PutLong(b, rate * channels * 2);
  PutWord(b, channels * 2);
  PutWord(b, 16);
  PutText(b, "data");
  PutLong(b, bytes);
  for (int16_t v : values) PutWord(b, v);
  return b;
}

// The left channel of interleaved values.
inline std::vector<int16_t> Left(const std::vector<int16_t>& v) {
  std::vector<int16_t> out;
  for (size_t i = 0; i < v.size(); i += 2) out.push_back(v[i]);
  return out;
}
inline std::vector<int16_t> Right(const std::vector<int16_t>& v) {
  std::vector<int16_t> out;
  for (size_t i = 1; i < v.size(); i += 2) out.push_back(v[i]);
  return out;
}

// Upward zero crossings per second between the first and the last one in
// frames [from, to), with a little hysteresis against noise.
inline double CrossingRate(const std::vector<int16_t>& mono, size_t from, size_t to) {
  long first = -1, last = -1, count = 0;
  bool below = false;
  for (size_t i = from; i < to && i < mono.size(); ++i) {
    if (mono[i] < -64) below = true;
    if (below && mono[i] >= 0) {
      below = false;
      if (first < 0) first = static_cast<long>(i);
      else ++count;
      last = static_cast<long>(i);
    }
  }
  if (count == 0) return 0.0;
  return count * 44100.0 / static_cast<double>(last - first);
}

inline int MaxAbs(const std::vector<int16_t>& v, size_t from = 0, size_t to = SIZE_MAX) {
  int m = 0;
  for (size_t i = from; i < to && i < v.size(); ++i) m = std::max(m, std::abs(int{v[i]}));
  return m;
}

}  // namespace voxtest
