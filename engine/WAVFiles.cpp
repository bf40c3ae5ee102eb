#include "engine/WAVFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/Resample.h"
#include "platform/AudioDecoder.h"
#include "toolbox/SafeFile.h"

namespace vs {

TWaveFormatRecord WAVFileFormat;
std::string WAVComment;
std::string WAVSoftware;

namespace {

uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Set16(uint8_t* p, uint16_t x) {
  p[0] = uint8_t(x);
  p[1] = uint8_t(x >> 8);
}

void Set32(uint8_t* p, uint32_t x) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(x >> (8 * i));
}

bool LooksLikeChunkId(const uint8_t* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  return true;
}

// The loader's chunk handler: "data" converts the first audio data after a
// format, "smpl" takes the first loop.
class TSampleLoader {
public:
  explicit TSampleLoader(TWAVSample& sample) : Sample(sample) {}

  int operator()(TParseWAV& p) {
    if (p.IsChunk("data")) {
      // Audio too large for the memory at hand can't be converted.
      try {
        return DataStep(p);
      } catch (const std::bad_alloc&) {
        Sample.Clear();
        return WAVCannotConvert;
      }
    }
    if (p.IsChunk("smpl")) return LoopStep(p);
    return 0;
  }

private:
  TWAVSample& Sample;

  int DataStep(TParseWAV& p) {
    if (p.State != 1) return 0;  // only the first "data" after a format counts
    p.State = 2;
    Sample.Clear();
    TWaveFormat f;
    if (!ReadWaveFormat(p.Format, p.FormatLength, f) || f.SamplesPerSec == 0) return WAVCannotConvert;
    TFrames frames;
    if (DecodeToStereo16(p.Format, p.FormatLength, p.ChunkBody, size_t(p.ChunkLength), frames, MaxSampleFrames) !=
        DecodeOK)
      return WAVCannotConvert;
    const int64_t length = int64_t(frames.size() / 2);
    const uint32_t rate = f.SamplesPerSec;
    if (rate != uint32_t(SampleRate)) {
      const int64_t newLength = int64_t(SampleRate) * length / int64_t(rate);
      if (newLength <= 0 || newLength > MaxSampleFrames) return WAVCannotConvert;
      TFrames resampled(size_t(newLength) * 2);
      // Always with linear interpolation, whatever the mixer's setting.
      ResampleStereo16(frames.data(), resampled.data(), length, newLength, 0, newLength, 1);
      frames = std::move(resampled);
    }
    Sample.SetFrames(std::move(frames));
    p.SourceRate = rate;
    return 0;
  }

  int LoopStep(TParseWAV& p) {
    const uint8_t* b = p.ChunkBody;
    // A chunk cut short (by the file's end or by its writer) loses only its
    // loop: the audio stays.
    if (p.ChunkLength < 32) return 0;  // no room for the loop count
    if (int32_t(Get32(b + 28)) <= 0) return 0;
    if (p.ChunkLength < 52) return 0;  // the first loop record is cut off
    const int64_t start = Get32(b + 44);
    const int64_t end = Get32(b + 48);
    // An end past the sample is cut to its last frame after loading; a start
    // past it drops the loop then.
    if (start + 16 <= end && start <= INT32_MAX) Sample.SetLoop(int32_t(start), int32_t(std::min<int64_t>(end, INT32_MAX)));
    return 0;
  }
};

}  // namespace

void MakeWaveFormat(TWaveFormatRecord& record, int rate, int bits, int channels) {
  record.FormatTag = 1;
  record.Channels = uint16_t(channels);
  record.SamplesPerSec = uint32_t(rate);
  record.BitsPerSample = uint16_t(bits);
  record.BlockAlign = uint16_t(channels * bits / 8);
  record.AvgBytesPerSec = uint32_t(rate) * record.BlockAlign;
  record.ExtraSize = 0;
}

void StoreWaveFormat(const TWaveFormatRecord& r, uint8_t* out) {
  Set16(out, r.FormatTag);
  Set16(out + 2, r.Channels);
  Set32(out + 4, r.SamplesPerSec);
  Set32(out + 8, r.AvgBytesPerSec);
  Set16(out + 12, r.BlockAlign);
  Set16(out + 14, r.BitsPerSample);
  Set16(out + 16, r.ExtraSize);
}

void StoreWAVHeader(const TWaveFormatRecord& format, uint32_t riffSize, uint32_t dataBytes, uint8_t* out) {
  std::memcpy(out, "RIFF", 4);
  Set32(out + 4, riffSize);
  std::memcpy(out + 8, "WAVEfmt ", 8);
  Set32(out + 16, WaveFormatRecordSize);
  StoreWaveFormat(format, out + 20);
  std::memcpy(out + 38, "data", 4);
  Set32(out + 42, dataBytes);
}

void StoreInfoListHead(uint32_t listLength, uint8_t* out) {
  std::memcpy(out, "LIST", 4);
  Set32(out + 4, listLength);
  std::memcpy(out + 8, "INFO", 4);
}

bool TParseWAV::IsChunk(const char* id) const { return std::memcmp(ChunkID, id, 4) == 0; }

int TParseWAV::ParseFile(const std::string& fileName) {
  int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return WAVCannotOpen;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return WAVCannotOpen;
  }
  if (st.st_size < 12) {  // too short for "RIFF", a size and "WAVE"
    close(fd);
    return WAVNotWave;
  }
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  void* map = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (map == MAP_FAILED) return WAVCannotMap;
  if (Sample) Sample->FileTime = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  int result = ParseMemory(static_cast<const uint8_t*>(map), size_t(st.st_size));
  munmap(map, size_t(st.st_size));
  Base = nullptr;
  Format = nullptr;
  ChunkBody = nullptr;
  return result;
}

int TParseWAV::ParseMemory(const uint8_t* data, size_t size) {
  Base = data;
  FileSize = size;
  Format = nullptr;
  FormatLength = 0;
  State = 0;
  if (!data || size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    return WAVNotWave;
  ScanEnd = std::min<uint64_t>(uint64_t(Get32(data + 4)) + 8, FileSize);
  Position = 12;
  while (Position + 8 <= ScanEnd) {
    std::memcpy(ChunkID, Base + Position, 4);
    const uint64_t declared = Get32(Base + Position + 4);
    ChunkBody = Base + Position + 8;
    ChunkLength = std::min(declared, ScanEnd - (Position + 8));
    if (IsChunk("fmt ") && State == 0) {
      TWaveFormat f;
      if (!ReadWaveFormat(ChunkBody, size_t(ChunkLength), f)) return WAVNotWave;
      State = 1;
      Format = ChunkBody;
      FormatLength = size_t(ChunkLength);
    }
    if (OnChunk) {
      int r = OnChunk(*this);
      if (r != 0) return r;
    }
    uint64_t next = Position + 8 + declared;
    if (declared & 1) {
      // Standard files pad odd chunks with a zero byte; some writers leave
      // it out, and then the next chunk id starts right there.
      const bool unpadded = next + 4 <= ScanEnd && Base[next] != 0 && LooksLikeChunkId(Base + next);
      if (!unpadded) ++next;
    }
    Position = next;
  }
  return State == 2 ? WAVLoaded : WAVNotWave;
}

namespace {

int FinishLoad(TParseWAV& parser, int result, TWAVSample& sample) {
  if (result != WAVLoaded) {
    if (parser.State == 2) sample.Clear();
    return result;
  }
  if (sample.LoopStart >= 0) {
    const int64_t rate = parser.SourceRate;
    const int64_t start = int64_t(SampleRate) * sample.LoopStart / rate;
    const int64_t end = std::min<int64_t>(sample.Length - 1, int64_t(SampleRate) * sample.LoopEnd / rate);
    if (start <= end && start < sample.Length)
      sample.SetLoop(int32_t(start), int32_t(end));
    else
      sample.SetLoop(-1, NoLoopEnd);
  }
  return WAVLoaded;
}

}  // namespace

int LoadWAVSample(const std::string& fileName, TWAVSample& sample) {
  TParseWAV parser;
  parser.Sample = &sample;
  parser.OnChunk = TSampleLoader(sample);
  return FinishLoad(parser, parser.ParseFile(fileName), sample);
}

int LoadWAVSampleFromMemory(const uint8_t* data, size_t size, TWAVSample& sample) {
  TParseWAV parser;
  parser.Sample = &sample;
  parser.OnChunk = TSampleLoader(sample);
  return FinishLoad(parser, parser.ParseMemory(data, size), sample);
}

uint32_t WriteInfoChunk(const char* id, const std::string& text, std::vector<uint8_t>& out) {
  const uint32_t length = uint32_t(text.size() + 1);
  uint8_t head[8];
  std::memcpy(head, id, 4);
  Set32(head + 4, length);
  out.insert(out.end(), head, head + 8);
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
  if (length & 1) out.push_back(0);
  return 8 + length + (length & 1);
}

uint32_t WriteInfoChunk(const char* id, const std::string& text, TSafeFile& file) {
  std::vector<uint8_t> bytes;
  uint32_t n = WriteInfoChunk(id, text, bytes);
  file.Write(bytes.data(), bytes.size());
  return n;
}

bool SaveWAVFile(const TWAVSample* sample, const std::string& fileName) {
  uint64_t frames = 0;
  if (sample && sample->Frames() && sample->Length > 0)
    frames = std::min<uint64_t>(uint64_t(sample->Length), sample->Data.size() / 2);
  const uint64_t dataBytes = frames * 4;

  std::vector<uint8_t> info;
  if (!WAVComment.empty()) WriteInfoChunk("ICMT", WAVComment, info);
  if (!WAVSoftware.empty()) WriteInfoChunk("ISFT", WAVSoftware, info);
  const uint64_t listLength = 4 + info.size();
  const uint64_t fileSize = WAVHeaderSize + dataBytes + 8 + listLength;
  if (fileSize - 8 > 0xFFFFFFFFu) return false;  // does not fit a RIFF file

  uint8_t head[WAVHeaderSize];
  StoreWAVHeader(WAVFileFormat, uint32_t(fileSize - 8), uint32_t(dataBytes), head);

  TSafeFile file;
  if (!file.Open(fileName)) return false;
  file.Write(head, sizeof head);
  if (frames > 0) {
    // Frames are stored little-endian, in pieces so that large samples need
    // no second copy.
    const int16_t* src = sample->Frames();
    std::vector<uint8_t> buf;
    const uint64_t piece = 16384;
    for (uint64_t done = 0; done < frames && !file.Failed(); done += piece) {
      const uint64_t n = std::min(piece, frames - done);
      buf.resize(size_t(n) * 4);
      for (uint64_t i = 0; i < n * 2; ++i) Set16(buf.data() + 2 * i, uint16_t(src[2 * done + i]));
      file.Write(buf.data(), buf.size());
    }
  }
  uint8_t list[InfoListHeadSize];
  StoreInfoListHead(uint32_t(listLength), list);
  file.Write(list, sizeof list);
  if (!info.empty()) file.Write(info.data(), info.size());
  return file.Commit();
}

}  // namespace vs
