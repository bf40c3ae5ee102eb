#pragma once
// Rendering the current pattern or the whole song into a WAV file: the mixer
// plays it faster than real time on a render thread of its own while the
// output device is suspended, after one pattern of lead-in, and the sound
// ringing past the end is cut, left to ring out or wrapped into the start.
// Also the figures the render dialog shows, the ".nfo" description written
// beside the file, and the sample writer with marker blocks.
//
// The render reads the options (RenderOptions()) and the song's texts from
// the model when it starts. It reaches the window side only through the
// engine listener: RenderProgress(percent) whenever the percentage changes
// (a queued post, never a blocking call, although the render thread holds
// MixerLock), and RenderDone(ok) at the end; LastRenderResult() then says
// what happened. Cancelling is the flag RenderCancelled: the render stops
// after the block in hand and finishes the file with what was rendered.
//
// Byte figures are 64-bit; a file over the RIFF limit of 4 GiB is refused
// with a message. The WAV goes to a temporary name in the target's folder
// and replaces the target only once complete.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/RenderOptions.h"
#include "model/Song.h"
#include "toolbox/SafeFile.h"

namespace vs {

class TMixer;
class TMixWorkers;

// The lanes a render on worker threads mixes the voices of a busy block in:
// fixed, so that a render is the same on any number of cores.
constexpr int RenderMixLanes = 16;
// The program's renders use the workers from this many channel-frames on
// (channels x frames of the bars): about a minute of a 16-channel song.
constexpr int64_t RenderThreadsFrom = int64_t(1) << 26;

// Texts of the INFO items of a rendered file.
inline constexpr const char* RenderSoftware = "VorbelSteps";
// "made with VorbelSteps (98)" followed by a space and the author credit.
std::string RenderComment();

// Messages of a failed render (LastRenderResult().Error, StartRender).
inline constexpr const char* RenderTooLargeMessage =
    "The rendered sound would make a WAV file larger than 4 GB.";
// The file can't be made, or writing it failed; each with the system's
// reason ("No space left on device") when there is one.
std::string RenderCreateMessage(const std::string& fileName, const std::string& reason = {});
std::string RenderWriteMessage(const std::string& fileName, const std::string& reason = {});
// The render's thread could not start (why: the system's reason).
std::string RenderThreadMessage(const std::string& fileName, const std::string& why);

// What the render dialog shows before a render.
struct TRenderFigures {
  int Bars = 1;
  int Tempo = 0;
  int64_t Ms = 0;              // PatternLength x 15000 x bars div tempo
  std::string LengthText;      // e.g. "2.0sec"
  int64_t GaugeMax = 0;        // MsToFrames(ms) div the block frames
  int64_t StereoBytes = 0;     // PatternLength x bars x FramesPerStep x 4
  int64_t MonoBytes = 0;       // half of that
  int64_t StereoKb = 0;        // (bytes + 1023) shr 10
  int64_t MonoKb = 0;
};
// The tempo is clamped to 30..999, the pattern length to 1..64, bars and
// the block frames to at least 1.
TRenderFigures RenderFigures(int patternLength, int bars, int bpm, int32_t blockFrames);
// The bars a render plays: in song mode the song end is recomputed and
// bars = SongEndBar + 1; in pattern mode 1.
int RenderBarCount(TSong& song, bool songMode);

// The ".nfo" file's text (lines end in CR LF; Windows-1252 bytes). Line
// breaks of the info text become spaces, as the tip is one line.
std::string RenderNFOText(int patternLength, int bars, const std::string& infoText);

// A WAV file written progressively: the 46-byte header with the wave
// format, the data, then a LIST "INFO" chunk; lengths patched at the end.
class TRenderWriter {
public:
  // Creates the temporary file and writes the header. False when it can't.
  bool Open(const std::string& target, int channels);
  // Bytes the INFO items will take: the data may grow only as far as the
  // whole file stays within the RIFF limit.
  void ReserveInfo(uint64_t infoBytes) { InfoBytes = infoBytes; }
  // The most data bytes the file can take.
  uint64_t MaxDataBytes() const;
  // Appends data; false when writing failed or the file would pass the RIFF
  // limit (TooLarge() then).
  bool Append(const void* data, uint64_t bytes);
  // Writes "LIST", its length, "INFO" and the items, patches the lengths
  // and replaces the target. False (target untouched) on any failure.
  bool Finish(const std::vector<uint8_t>& infoItems);
  void Abandon() { File.Abandon(); }
  bool TooLarge() const { return Oversized; }
  // The system's reason of a failed write.
  std::string Reason() const { return File.Reason(); }
  uint64_t DataBytes() const { return Data; }
  const std::string& Target() const { return File.Target(); }

private:
  TSafeFile File;
  uint64_t Data = 0;
  uint64_t InfoBytes = 0;
  bool Oversized = false;
};

// The INFO items of a rendered file: "ICMT" (RenderComment), "INAM" (the
// title, else the song file's name without folder and extension), "ISFT".
// Texts are written in Windows-1252.
std::vector<uint8_t> RenderInfoItems(const std::string& title, const std::string& songFileName);

// What the render reaches on the sequencer and window side. The program
// installs its own; each call has a default that does the engine's part.
// Calls come from the render thread with MixerLock held (except
// SuspendOutput): they must not wait for the main thread.
class TRenderHost {
public:
  virtual ~TRenderHost() = default;
  // Hold the output for the whole render (by default the engine's).
  virtual void SuspendOutput();
  virtual void ResumeOutput();
  // Playback stops (by default the mixer's clock).
  virtual void StopPlayback();
  // Every sound stops (by default voices, synthesizer sequences, the echo;
  // every active plug-in is switched off and on again).
  virtual void SilenceAll();
  // The sync mode is saved and set to "rendering", then restored.
  virtual void BeginRenderSync() {}
  virtual void EndRenderSync() {}
  // The playlist's loop selection was cancelled: redraw it (post).
  virtual void PlaylistSelectionCancelled() {}
  // The song's file name ("" = untitled), for the "INAM" fallback.
  virtual std::string SongFileName() { return ""; }
};

// null = the defaults above.
void SetRenderHost(TRenderHost* host);
TRenderHost& RenderHost();

struct TRenderResult {
  bool Ok = false;         // the file was written
  bool Cancelled = false;  // ... with what was rendered before the cancel
  std::string Error;       // why it was not
  int64_t Frames = 0;      // frames in the file
  uint64_t DataBytes = 0;
};

// One render: everything is fixed before it starts.
struct TRenderJob {
  TMixer* Mixer = nullptr;  // the program's when null
  TRenderHost* Host = nullptr;  // RenderHost() when null
  TRenderOptions Options;
  int Bars = 1;
  bool SongMode = false;
  int64_t GaugeMax = 1;
  std::unique_ptr<TRenderWriter> Writer;  // open, header written
  // The ".nfo" file, written and put in place only once the WAV is (an
  // older one stays when the render fails); null: none.
  std::unique_ptr<TSafeFile> NFO;
  std::vector<uint8_t> InfoItems;
  const std::atomic<bool>* Cancel = nullptr;  // RenderCancelled when null
  // The voices of busy blocks are mixed in RenderMixLanes lanes on these
  // workers (held for the render); null: on the render thread alone.
  TMixWorkers* Workers = nullptr;
};

// The render thread's body: holds the output, renders the lead-in, the
// wrapped tails, the bars and the remainder into the writer, restores the
// sequencer and the output, then finishes the file.
TRenderResult RenderToWAVFile(TRenderJob& job);

// --- The program's render (main thread unless said otherwise) ---

extern std::atomic<bool> RenderCancelled;

// Stops playback and every sound, clears the master filter's state and
// returns the figures of the current song (mode from the mixer).
TRenderFigures PrepareRender();
// Creates the WAV (and the ".nfo" file when asked, committed after the WAV)
// and starts the render thread. False with a message (and no thread) when the file can't be made
// or would be too large, or a render runs.
bool StartRender(const std::string& fileName, std::string* error);
// True from StartRender until the render thread has finished.
bool RenderRunning();
// Waits for the render thread (never while holding MixerLock).
void WaitForRender();
// The result of the last render that finished.
TRenderResult LastRenderResult();
// The bar the dialog shows (1-based), and the blocks rendered so far.
int RenderBar();
int64_t RenderBlocksDone();

// A render without a window (command-line renders): prepares, starts and
// renders the current song on the calling thread, then posts nothing.
TRenderResult RenderSongToFile(const std::string& fileName);

// Writes a sample as a 16-bit stereo WAV between two marker blocks of 2304
// frames (the first full scale for its first 2048 frames, the second for
// its last 2048), without an INFO list. False (target untouched) on failure.
bool SaveSampleWithMarkers(const TWAVSample& sample, const std::string& fileName);

}  // namespace vs
