#include "platform/AudioDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <sndfile.h>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/SystemLibraries.h"

namespace vs {

namespace {

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void Set32(uint8_t* p, uint32_t x) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(x >> (8 * i));
}

int16_t ToInt16(float x) {
  const float v = x * 32768.0f;
  if (v >= 32767.0f) return 32767;
  if (v <= -32768.0f) return -32768;
  if (!(v == v)) return 0;  // NaN
  return int16_t(std::lrint(v));
}

// The tail shared by every sub-format GUID of WAVE_FORMAT_EXTENSIBLE.
const uint8_t GuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The values make(0), make(1) ... as an iterator: a vector assigned from a
// pair of them is allocated and written once, value by value, where a
// resize would first fill it with zeros (and take each of its pages' faults
// there).
template <class TMake>
class TMadeValues {
public:
  using iterator_category = std::random_access_iterator_tag;
  using value_type = int16_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const int16_t*;
  using reference = int16_t;

  TMadeValues(const TMake& make, size_t index) : Make(&make), Index(index) {}
  int16_t operator*() const { return (*Make)(Index); }
  int16_t operator[](difference_type n) const { return (*Make)(Index + size_t(n)); }
  TMadeValues& operator++() { ++Index; return *this; }
  TMadeValues operator++(int) { TMadeValues old = *this; ++Index; return old; }
  TMadeValues& operator--() { --Index; return *this; }
  TMadeValues operator--(int) { TMadeValues old = *this; --Index; return old; }
  TMadeValues& operator+=(difference_type n) { Index += size_t(n); return *this; }
  TMadeValues& operator-=(difference_type n) { Index -= size_t(n); return *this; }
  TMadeValues operator+(difference_type n) const { return TMadeValues(*Make, Index + size_t(n)); }
  TMadeValues operator-(difference_type n) const { return TMadeValues(*Make, Index - size_t(n)); }
  difference_type operator-(const TMadeValues& o) const { return difference_type(Index) - difference_type(o.Index); }
  bool operator==(const TMadeValues& o) const { return Index == o.Index; }
  auto operator<=>(const TMadeValues& o) const { return Index <=> o.Index; }

private:
  const TMake* Make;
  size_t Index;
};

// Makes room for count values in out, its pages mapped in one call rather
// than a fault at a time as they are first written.
void ReserveMapped(TFrames& out, size_t count) {
  out.clear();
  out.reserve(count);
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const uintptr_t from = (reinterpret_cast<uintptr_t>(out.data()) + page - 1) & ~(page - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(out.data() + count)) & ~(page - 1);
  // Older systems lack it; the pages then come as they are written.
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
}

template <class TMake>
void AssignMade(TFrames& out, size_t count, const TMake& make) {
  ReserveMapped(out, count);
  out.assign(TMadeValues<TMake>(make, 0), TMadeValues<TMake>(make, count));
}

// 8- and 16-bit PCM: our own conversion, straight into the frames.
int ConvertPCM(const TWaveFormat& f, const uint8_t* data, size_t size, TFrames& out,
               int64_t maxFrames) {
  const size_t bytes = f.BitsPerSample / 8;
  const size_t frameSize = bytes * f.Channels;
  const size_t count = size / frameSize;
  if (count == 0) return DecodeFailed;
  if (int64_t(count) > maxFrames) return DecodeTooLong;
  // Value i of the stereo frames: the left (even i) or right (odd i) value
  // of frame i / 2; mono gives both from its one channel.
  const size_t second = f.Channels > 1 ? bytes : 0;
  if (bytes == 1)
    AssignMade(out, count * 2, [=](size_t i) {
      return int16_t((int(data[(i >> 1) * frameSize + (i & 1) * second]) - 128) * 256);
    });
  else
    AssignMade(out, count * 2, [=](size_t i) { return int16_t(Get16(data + (i >> 1) * frameSize + (i & 1) * second)); });
  return DecodeOK;
}

// A RIFF image in two pieces: the headers we build and the caller's payload.
struct TMemoryImage {
  std::vector<uint8_t> Head;
  const uint8_t* Payload = nullptr;
  size_t PayloadSize = 0;
  sf_count_t Pos = 0;

  sf_count_t Size() const { return sf_count_t(Head.size() + PayloadSize); }
};

sf_count_t VLength(void* user) { return static_cast<TMemoryImage*>(user)->Size(); }

sf_count_t VSeek(sf_count_t offset, int whence, void* user) {
  auto* m = static_cast<TMemoryImage*>(user);
  sf_count_t base = whence == SEEK_CUR ? m->Pos : whence == SEEK_END ? m->Size() : 0;
  sf_count_t pos = base + offset;
  if (pos < 0) pos = 0;
  if (pos > m->Size()) pos = m->Size();
  m->Pos = pos;
  return pos;
}

sf_count_t VRead(void* ptr, sf_count_t count, void* user) {
  auto* m = static_cast<TMemoryImage*>(user);
  if (count <= 0 || m->Pos >= m->Size()) return 0;
  count = std::min(count, m->Size() - m->Pos);
  uint8_t* dst = static_cast<uint8_t*>(ptr);
  sf_count_t done = 0;
  const sf_count_t head = sf_count_t(m->Head.size());
  if (m->Pos < head) {
    sf_count_t n = std::min(count, head - m->Pos);
    std::memcpy(dst, m->Head.data() + m->Pos, size_t(n));
    done += n;
  }
  if (done < count) {
    sf_count_t from = m->Pos + done - head;
    std::memcpy(dst + done, m->Payload + from, size_t(count - done));
    done = count;
  }
  m->Pos += done;
  return done;
}

sf_count_t VWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t VTell(void* user) { return static_cast<TMemoryImage*>(user)->Pos; }

int DecodeWithSndfile(const TWaveFormat& f, const uint8_t* fmt, size_t fmtSize, const uint8_t* data, size_t dataSize,
                      TFrames& out, int64_t maxFrames) {
  // Block codecs convert whole blocks only; a partial last block is dropped.
  if (f.BlockAlign > 1) dataSize -= dataSize % f.BlockAlign;
  if (dataSize == 0) return DecodeFailed;
  if (!LoadSndfile()) return DecodeUnsupported;
  TMemoryImage image;
  const size_t fmtPadded = fmtSize + (fmtSize & 1);
  const uint64_t riffSize = 4 + 8 + fmtPadded + 8 + uint64_t(dataSize);
  if (riffSize > 0xFFFFFFFFu) return DecodeTooLong;
  std::vector<uint8_t>& h = image.Head;
  h.assign(12 + 8 + fmtPadded + 8, 0);
  std::memcpy(h.data(), "RIFF", 4);
  Set32(h.data() + 4, uint32_t(riffSize));
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  Set32(h.data() + 16, uint32_t(fmtSize));
  std::memcpy(h.data() + 20, fmt, fmtSize);
  std::memcpy(h.data() + 20 + fmtPadded, "data", 4);
  Set32(h.data() + 24 + fmtPadded, uint32_t(dataSize));
  image.Payload = data;
  image.PayloadSize = dataSize;

  SF_VIRTUAL_IO io = {VLength, VSeek, VRead, VWrite, VTell};
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &image);
  if (!sf) return DecodeUnsupported;
  const int major = info.format & SF_FORMAT_TYPEMASK;
  if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || info.channels < 1) {
    sf_close(sf);
    return DecodeUnsupported;
  }
  // Frames come as normalised floats (integer data is divided by its full
  // scale, so 16-bit sources come back exactly) and are scaled to 16 bits
  // here, rounding and clipping.
  sf_command(sf, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);

  // Block codecs hold a fixed number of frames a block; decoding stops after
  // the last whole block (libsndfile may add one more).
  int64_t limit = INT64_MAX;
  const uint16_t tag = f.EffectiveTag;
  if ((tag == WaveFormatIMAADPCM || tag == WaveFormatMSADPCM || tag == WaveFormatGSM610) && f.ExtraSize >= 2 &&
      fmtSize >= 20 && f.BlockAlign > 0)
    limit = int64_t(dataSize / f.BlockAlign) * Get16(fmt + 18);

  const int channels = info.channels;
  const int second = channels > 1 ? 1 : 0;
  constexpr sf_count_t Block = 4096;
  std::vector<float> buf(size_t(Block) * size_t(channels));
  if (info.frames > 0) ReserveMapped(out, size_t(std::min({info.frames, limit, maxFrames})) * 2);
  int result = DecodeOK;
  int64_t have = 0;
  while (have < limit) {
    sf_count_t n = sf_readf_float(sf, buf.data(), Block);
    if (n <= 0) break;
    n = std::min<sf_count_t>(n, limit - have);
    if (have + n > maxFrames) {
      result = DecodeTooLong;
      break;
    }
    for (sf_count_t i = 0; i < n; ++i) {
      const float* fr = buf.data() + size_t(i) * size_t(channels);
      out.push_back(ToInt16(fr[0]));
      out.push_back(ToInt16(fr[second]));
    }
    have += n;
  }
  if (result == DecodeOK && out.empty()) result = DecodeFailed;
  sf_close(sf);
  return result;
}

}  // namespace

bool ReadWaveFormat(const uint8_t* fmt, size_t size, TWaveFormat& out) {
  out = TWaveFormat();
  if (!fmt || size < 16) return false;
  out.FormatTag = Get16(fmt);
  out.Channels = Get16(fmt + 2);
  out.SamplesPerSec = Get32(fmt + 4);
  out.AvgBytesPerSec = Get32(fmt + 8);
  out.BlockAlign = Get16(fmt + 12);
  out.BitsPerSample = Get16(fmt + 14);
  out.ExtraSize = size >= 18 ? Get16(fmt + 16) : 0;
  out.EffectiveTag = out.FormatTag;
  if (out.FormatTag == WaveFormatPCM) {
    out.ExtraSize = 0;  // PCM carries no extra bytes; a stray count is ignored
    return true;
  }
  if (size_t(18) + out.ExtraSize > size && out.ExtraSize > 0) return false;
  if (out.FormatTag == WaveFormatExtensible) {
    if (out.ExtraSize < 22) return false;
    const uint8_t* guid = fmt + 24;
    if (std::memcmp(guid + 4, GuidTail, sizeof GuidTail) == 0 && Get16(guid + 2) == 0)
      out.EffectiveTag = Get16(guid);
  }
  return true;
}

int DecodeToStereo16(const uint8_t* fmt, size_t fmtSize, const uint8_t* data, size_t dataSize,
                     TFrames& frames, int64_t maxFrames) {
  frames.clear();
  TWaveFormat f;
  if (!ReadWaveFormat(fmt, fmtSize, f) || f.Channels == 0 || f.SamplesPerSec == 0) return DecodeBadFormat;
  if (!data || dataSize == 0) return DecodeFailed;
  int result;
  if (f.EffectiveTag == WaveFormatPCM && (f.BitsPerSample == 8 || f.BitsPerSample == 16))
    result = ConvertPCM(f, data, dataSize, frames, maxFrames);
  else
    result = DecodeWithSndfile(f, fmt, fmtSize, data, dataSize, frames, maxFrames);
  if (result != DecodeOK) TFrames().swap(frames);
  return result;
}

}  // namespace vs
