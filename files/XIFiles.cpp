#include "files/XIFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/WAVFiles.h"
#include "toolbox/TextCodec.h"

namespace vs {

namespace {

constexpr char Magic[] = "Extended Instrument:";
constexpr size_t MagicSize = 20;
// Longer data is cut to the longest sample the loaders make.
constexpr int64_t MaxFrames = MaxSampleFrames;

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

std::string SampleName(const uint8_t* header) {
  const char* name = reinterpret_cast<const char*>(header + 18);
  size_t n = std::find(name, name + 22, '\0') - name;
  while (n > 0 && name[n - 1] == ' ') --n;
  return Cp1252ToUtf8(std::string_view(name, n));
}

// Reads exactly size bytes at offset; false on a read error or early end.
bool ReadAt(int fd, uint8_t* to, size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t got = pread(fd, to, size, offset);
    if (got <= 0) return false;
    to += got;
    size -= static_cast<size_t>(got);
    offset += got;
  }
  return true;
}

}  // namespace

int ReadXIImage(const uint8_t* image, size_t size, TWAVSample& sample, TXIInfo* info) {
  if (!image || size < size_t(XIHeaderSize) || std::memcmp(image, Magic, MagicSize) != 0) return XINotInstrument;
  const uint32_t count = Get16(image + 296);
  const uint64_t dataStart = uint64_t(XIHeaderSize) + uint64_t(count) * XISampleHeaderSize;
  if (count == 0 || dataStart > size) return XINotInstrument;
  const uint8_t* header = image + XIHeaderSize;
  const uint8_t type = header[14];
  const bool wide = (type & 0x10) != 0;
  const uint64_t present = std::min<uint64_t>(Get32(header), size - dataStart);
  const int64_t frames = std::min<int64_t>(static_cast<int64_t>(wide ? present / 2 : present), MaxFrames);

  sample.Clear();
  sample.FormatWord = 2;
  TFrames out(size_t(frames) * 2);
  const uint8_t* data = image + dataStart;
  uint16_t acc = 0;
  for (int64_t i = 0; i < frames; ++i) {
    if (wide)
      acc = static_cast<uint16_t>(acc + Get16(data + 2 * i));
    else
      acc = static_cast<uint16_t>(acc + static_cast<uint16_t>(static_cast<int8_t>(data[i]) * 256));
    out[2 * i] = out[2 * i + 1] = static_cast<int16_t>(acc);
  }
  sample.SetFrames(std::move(out));

  int64_t loopStart = static_cast<int32_t>(Get32(header + 4));
  int64_t loopLength = static_cast<int32_t>(Get32(header + 8));
  if (loopLength > 0) {
    if (wide) {
      loopStart /= 2;
      loopLength /= 2;
    }
    const int64_t first = std::max<int64_t>(0, loopStart);
    const int64_t last = std::min<int64_t>(frames - 1, loopStart + loopLength - 1);
    if (first < last) sample.SetLoop(static_cast<int32_t>(first), static_cast<int32_t>(last));
  }
  if (info) {
    info->XISampleName = SampleName(header);
    info->LoopKind = type & 3;
  }
  return XILoaded;
}

int LoadXIFile(const std::string& fileName, TWAVSample& sample, TXIInfo* info) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return XICannotOpen;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return XICannotOpen;
  }
  const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
  // Only the headers and the first sample's data are read.
  std::vector<uint8_t> image(static_cast<size_t>(std::min<uint64_t>(fileSize, XIHeaderSize)));
  int result = XILoaded;
  if (!ReadAt(fd, image.data(), image.size(), 0)) {
    result = XICannotMap;
  } else if (image.size() == size_t(XIHeaderSize) && std::memcmp(image.data(), Magic, MagicSize) == 0) {
    const uint64_t count = Get16(image.data() + 296);
    const uint64_t dataStart = XIHeaderSize + count * XISampleHeaderSize;
    if (count > 0 && dataStart <= fileSize) {
      image.resize(static_cast<size_t>(XIHeaderSize + XISampleHeaderSize));
      if (!ReadAt(fd, image.data() + XIHeaderSize, XISampleHeaderSize, XIHeaderSize)) {
        result = XICannotMap;
      } else {
        const uint32_t length = Get32(image.data() + XIHeaderSize);
        const bool wide = (image[XIHeaderSize + 14] & 0x10) != 0;
        const uint64_t want = std::min<uint64_t>({uint64_t(length), fileSize - dataStart,
                                                   uint64_t(MaxFrames) * (wide ? 2 : 1)});
        // The image keeps its header layout: the first header, then (in
        // place of the others) nothing but the data at dataStart.
        image.resize(static_cast<size_t>(dataStart + want));
        if (!ReadAt(fd, image.data() + dataStart, static_cast<size_t>(want), static_cast<off_t>(dataStart)))
          result = XICannotMap;
      }
    }
  }
  close(fd);
  if (result != XILoaded) return result;
  return ReadXIImage(image.data(), image.size(), sample, info);
}

}  // namespace vs
