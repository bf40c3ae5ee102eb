#pragma once
// WAV files: the RIFF chunk walker, the sample loader (any format the decoder
// layer reads, converted to 16-bit stereo at 44100 Hz with its "smpl" loop)
// and the writer of plain 16-bit stereo files with a LIST "INFO" chunk.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/WAVSample.h"

namespace vs {

class TSafeFile;

// Result codes of TParseWAV::ParseFile and LoadWAVSample.
enum TWAVResult : int {
  WAVLoaded = 0,
  WAVCannotOpen = 1,     // missing, unreadable or not a regular file
  WAVNotWave = 2,        // not RIFF/WAVE, a broken "fmt "/"smpl" chunk, or no audio data taken
  WAVCannotConvert = 3,  // the audio data cannot be decoded (or has no frames, or no rate)
  WAVCannotMap = 4,      // the file cannot be mapped into memory
};

// Longest sample the loader makes, before and after resampling (about 50
// minutes at 44100 Hz, 512 MiB of frames): a small file with a tiny rate
// can't ask for more.
constexpr int64_t MaxSampleFrames = int64_t(1) << 27;

// The 18-byte wave format record.
struct TWaveFormatRecord {
  uint16_t FormatTag = 1;
  uint16_t Channels = 2;
  uint32_t SamplesPerSec = 44100;
  uint32_t AvgBytesPerSec = 44100 * 4;
  uint16_t BlockAlign = 4;
  uint16_t BitsPerSample = 16;
  uint16_t ExtraSize = 0;
};
constexpr size_t WaveFormatRecordSize = 18;

// PCM record: block align = channels * bits / 8, bytes a second = rate * block align.
void MakeWaveFormat(TWaveFormatRecord& record, int rate, int bits, int channels);
// The record as files store it (little-endian, 18 bytes).
void StoreWaveFormat(const TWaveFormatRecord& record, uint8_t* out);

// What stands before the frames of every file written here: "RIFF", the RIFF
// size, "WAVE", a "fmt " chunk holding the 18-byte record, "data" and the
// data size.
constexpr size_t WAVHeaderSize = 46;
void StoreWAVHeader(const TWaveFormatRecord& format, uint32_t riffSize, uint32_t dataBytes, uint8_t* out);
// "LIST", the list length and "INFO": what stands before the INFO items.
constexpr size_t InfoListHeadSize = 12;
void StoreInfoListHead(uint32_t listLength, uint8_t* out);

// The record of every written file: PCM, 44100 Hz, 16 bits, 2 channels.
extern TWaveFormatRecord WAVFileFormat;
// Texts of the "ICMT" and "ISFT" items of saved files (empty = item left out).
extern std::string WAVComment;
extern std::string WAVSoftware;

// Walks the chunks of one RIFF/WAVE file. Chunk ids are 4 raw bytes; an
// odd-sized chunk is followed by its pad byte (a file written without pad
// bytes is recognised when a chunk id instead of a zero byte follows).
class TParseWAV {
public:
  using TChunkHandler = std::function<int(TParseWAV&)>;

  TWAVSample* Sample = nullptr;       // the sample being filled (not owned)
  const uint8_t* Format = nullptr;    // data of the first "fmt " chunk
  size_t FormatLength = 0;            // its length
  const uint8_t* Base = nullptr;      // the whole file
  const uint8_t* ChunkBody = nullptr; // data of the chunk being handled
  char ChunkID[4] = {0, 0, 0, 0};
  uint64_t Position = 0;              // offset of the chunk being handled
  uint64_t FileSize = 0;
  uint64_t ScanEnd = 0;               // min(RIFF size + 8, FileSize)
  uint64_t ChunkLength = 0;           // cut to what lies before ScanEnd
  int State = 0;                      // 0 no format yet, 1 format seen, 2 audio data taken
  uint32_t SourceRate = 0;
  TChunkHandler OnChunk;

  bool IsChunk(const char* id) const;

  // Maps the file and walks it: see TWAVResult. Sets the sample's FileTime
  // (nanoseconds since 1970) once the file is mapped.
  int ParseFile(const std::string& fileName);
  // Walks a file image already in memory.
  int ParseMemory(const uint8_t* data, size_t size);
};

// Reads a WAV file into `sample` (codes: TWAVResult). On 0 the sample holds
// 16-bit stereo frames at 44100 Hz and the file's first "smpl" loop (loops of
// fewer than 17 frames, loops starting outside the sample or starting after
// their end are dropped; an end past the sample is cut to its last frame).
// Codes 1 and 4 leave the sample as it was; from code 2 or 3 after a data
// chunk was reached the sample is empty. Looped, PlayLength and the cut
// groups are left to the caller.
int LoadWAVSample(const std::string& fileName, TWAVSample& sample);
// The same for a file image in memory (FileTime is left alone).
int LoadWAVSampleFromMemory(const uint8_t* data, size_t size, TWAVSample& sample);

// Writes `sample` (or, for nullptr, no frames) as a 16-bit stereo 44100 Hz
// WAV with a LIST "INFO" chunk holding WAVComment and WAVSoftware. The file
// goes to a temporary name and replaces `fileName` only when complete: false
// (old file intact) on any failure.
bool SaveWAVFile(const TWAVSample* sample, const std::string& fileName);

// Appends an INFO item: the id, the length text + 1, the text, a zero byte
// and, when the length is odd, a pad byte. Returns the bytes written.
uint32_t WriteInfoChunk(const char* id, const std::string& text, TSafeFile& file);
uint32_t WriteInfoChunk(const char* id, const std::string& text, std::vector<uint8_t>& out);

}  // namespace vs
