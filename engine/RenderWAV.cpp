#include "engine/RenderWAV.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

#include "model/Channels.h"
#include "model/MB404Params.h"
#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/MixWorkers.h"
#include "toolbox/ThreadStart.h"
#include "engine/VSTHost.h"
#include "engine/WAVFiles.h"
#include "toolbox/PathTools.h"
#include "toolbox/RTFText.h"
#include "toolbox/TextCodec.h"

namespace vs {

namespace {

constexpr uint64_t HeaderBytes = WAVHeaderSize;
constexpr uint64_t ListHeadBytes = InfoListHeadSize;
constexpr uint64_t RIFFLimit = 0xFFFFFFFFull;  // largest RIFF size field

void Set32(uint8_t* p, uint32_t x) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(x >> (8 * i));
}

// 16-bit frames as files store them (little-endian), in place.
void ToLittleEndian(int16_t* values, int64_t count) {
  if constexpr (std::endian::native == std::endian::big) {
    for (int64_t i = 0; i < count; ++i) {
      const uint16_t v = static_cast<uint16_t>(values[i]);
      values[i] = static_cast<int16_t>((v >> 8) | (v << 8));
    }
  } else {
    (void)values;
    (void)count;
  }
}

}  // namespace

std::string RenderComment() {
  return std::string("made with ") + RenderSoftware + " (98)" + " " + "- by the VorbelSteps developers";
}

std::string RenderCreateMessage(const std::string& fileName, const std::string& reason) {
  return "Cannot create the file \"" + fileName + "\"" + (reason.empty() ? "." : ": " + reason + ".");
}

std::string RenderWriteMessage(const std::string& fileName, const std::string& reason) {
  return "Error while writing the file \"" + fileName + "\"; it was not saved" +
         (reason.empty() ? "." : ": " + reason + ".");
}

std::string RenderThreadMessage(const std::string& fileName, const std::string& why) {
  return "Cannot render the file \"" + fileName + "\": " + why;
}

// ---------------------------------------------------------------- figures

TRenderFigures RenderFigures(int patternLength, int bars, int bpm, int32_t blockFrames) {
  TRenderFigures f;
  const int64_t length = std::clamp(patternLength, 1, MaxSteps);
  f.Bars = std::max(bars, 1);
  f.Tempo = std::clamp(bpm, MinBPM, MaxBPM);
  f.Ms = length * 15000 * f.Bars / f.Tempo;
  f.LengthText = std::to_string(f.Ms / 1000) + "." + std::to_string(f.Ms / 100 % 10) + "sec";
  f.GaugeMax = MsToFrames(f.Ms) / std::max<int32_t>(blockFrames, 1);
  f.MonoBytes = length * f.Bars * 2 * FramesPerStepForBPM(f.Tempo);
  f.StereoBytes = 2 * f.MonoBytes;
  f.MonoKb = (f.MonoBytes + 1023) >> 10;
  f.StereoKb = (f.StereoBytes + 1023) >> 10;
  return f;
}

int RenderBarCount(TSong& song, bool songMode) {
  if (!songMode) return 1;
  MixerGuard lock;
  song.Playlist.ComputeSongEnd();
  return std::max(song.Playlist.SongEndBar, 0) + 1;
}

std::string RenderNFOText(int patternLength, int bars, const std::string& infoText) {
  std::string tip;
  for (const std::string& line : SplitLines(infoText)) {
    if (!tip.empty() && !line.empty()) tip += ' ';
    tip += line;
  }
  std::string t;
  t += "' length, in dots (16=1 bar)\r\n";
  t += "Length=" + std::to_string(int64_t(patternLength) * bars) + "\r\n";
  t += "\r\n";
  t += "' auto stretched to the current tempo (True or False)\r\n";
  t += "Stretched=True\r\n";
  t += "\r\n";
  t += "' tip for the samples tree\r\n";
  t += "Tip=" + Utf8ToCp1252(tip) + "\r\n";
  return t;
}

// ---------------------------------------------------------------- writer

bool TRenderWriter::Open(const std::string& target, int channels) {
  Data = 0;
  Oversized = false;
  if (!File.Open(target)) return false;
  TWaveFormatRecord format;
  MakeWaveFormat(format, SampleRate, 16, channels);
  uint8_t head[HeaderBytes];
  StoreWAVHeader(format, 0, 0, head);
  if (!File.Write(head, sizeof head)) {
    File.Abandon();
    return false;
  }
  return true;
}

uint64_t TRenderWriter::MaxDataBytes() const {
  const uint64_t fixed = HeaderBytes - 8 + ListHeadBytes + InfoBytes;
  return fixed >= RIFFLimit ? 0 : RIFFLimit - fixed;
}

bool TRenderWriter::Append(const void* data, uint64_t bytes) {
  if (bytes > MaxDataBytes() - std::min(Data, MaxDataBytes())) {
    Oversized = true;
    return false;
  }
  if (!File.Write(data, size_t(bytes))) return false;
  Data += bytes;
  return true;
}

bool TRenderWriter::Finish(const std::vector<uint8_t>& infoItems) {
  const uint64_t listLength = 4 + infoItems.size();
  const uint64_t riffSize = HeaderBytes - 8 + Data + 8 + listLength;
  if (Data > RIFFLimit || riffSize > RIFFLimit) {
    Oversized = true;
    File.Abandon();
    return false;
  }
  uint8_t list[ListHeadBytes];
  StoreInfoListHead(uint32_t(listLength), list);
  File.Write(list, sizeof list);
  if (!infoItems.empty()) File.Write(infoItems.data(), infoItems.size());
  uint8_t size[4];
  Set32(size, uint32_t(Data));
  File.WriteAt(42, size, 4);
  Set32(size, uint32_t(riffSize));
  File.WriteAt(4, size, 4);
  return File.Commit();
}

std::vector<uint8_t> RenderInfoItems(const std::string& title, const std::string& songFileName) {
  std::string name = title;
  if (name.empty()) name = ChangeFileExt(ExtractFileName(songFileName), "");
  std::vector<uint8_t> items;
  WriteInfoChunk("ICMT", Utf8ToCp1252(RenderComment()), items);
  WriteInfoChunk("INAM", Utf8ToCp1252(name), items);
  WriteInfoChunk("ISFT", RenderSoftware, items);
  return items;
}

// ---------------------------------------------------------------- host

void TRenderHost::SuspendOutput() { vs::SuspendOutput(); }
void TRenderHost::ResumeOutput() { vs::ResumeOutput(); }

void TRenderHost::StopPlayback() {
  MixerGuard lock;
  Mixer().Playing.store(false);
}

void TRenderHost::SilenceAll() {
  MixerGuard lock;
  TMixer& mixer = Mixer();
  mixer.StopAllVoices();
  TSong& song = mixer.Song();
  for (int i = static_cast<int>(song.MB404Channels.size()) - 1; i >= 0; --i)
    if (song.MB404Channels[i] && song.MB404Channels[i]->Synth) ClearMB404Sequence(*song.MB404Channels[i]->Synth);
  mixer.Echo.Clear();
  PluginHost().ResetAllPlugins();
}

namespace {

TRenderHost DefaultHost;
std::atomic<TRenderHost*> Host{&DefaultHost};

}  // namespace

void SetRenderHost(TRenderHost* host) { Host.store(host ? host : &DefaultHost); }
TRenderHost& RenderHost() { return *Host.load(); }

// ---------------------------------------------------------------- program state

std::atomic<bool> RenderCancelled{false};

namespace {

struct TRenderState {
  std::mutex Lock;  // guards Thread and Result
  std::thread Thread;
  TRenderResult Result;
  std::atomic<bool> Running{false};
  std::atomic<int> Bar{1};
  std::atomic<int64_t> Blocks{0};
};

TRenderState& State() {
  static TRenderState state;
  return state;
}

// The end of the render whatever happens in it: the sequencer and the
// output come back as they were.
class TRenderRestore {
public:
  TRenderRestore(TMixer& mixer, TSong& song, TRenderHost& host) : M(mixer), S(song), H(host) {}
  ~TRenderRestore() {
    H.EndRenderSync();
    M.MixStopBar = std::numeric_limits<int32_t>::max();
    M.Playing.store(false);
    H.StopPlayback();
    std::fill(M.Buses[0].begin(), M.Buses[0].end(), 0.0f);
    H.SilenceAll();
    RebuildMB404List(S);
    M.Rendering.store(false);
    H.ResumeOutput();
  }
  TRenderRestore(const TRenderRestore&) = delete;
  TRenderRestore& operator=(const TRenderRestore&) = delete;

private:
  TMixer& M;
  TSong& S;
  TRenderHost& H;
};

// The workers held and the mixer's lanes set for the render, both undone
// at its end.
class TRenderLanes {
public:
  TRenderLanes(TMixer& mixer, TMixWorkers* workers) : M(mixer), W(workers) {
    if (!W) return;
    M.SetMixLanes(RenderMixLanes, W);
    W->Hold();
  }
  ~TRenderLanes() {
    if (!W) return;
    W->Release();
    M.SetMixLanes(1, nullptr);
  }
  TRenderLanes(const TRenderLanes&) = delete;
  TRenderLanes& operator=(const TRenderLanes&) = delete;

private:
  TMixer& M;
  TMixWorkers* W;
};

// Sets the mixer's patterns for a bar: the playlist's in song mode, else
// the current pattern.
void SetBarPatterns(TMixer& mixer, TSong& song, bool songMode, int bar) {
  if (songMode) {
    mixer.MixPattern = song.Playlist.PatternsAtBar(bar, mixer.MixPatterns);
  } else {
    mixer.MixPatterns.assign(1, song.CurrentPattern);
    mixer.MixPattern = song.CurrentPattern;
  }
}

// The end of the voices that start before end and still sound past it (end
// when there is none). A looped voice counts once through its sample.
int64_t RemainderEnd(const TMixer& mixer, int64_t end) {
  int64_t last = end;
  for (int i = 0; i < mixer.VoiceCount; ++i) {
    const TMixChan& v = mixer.Voices[i];
    if (v.Start >= end) continue;
    const int64_t voiceEnd = v.LoopOn ? v.Start + v.Stretched : v.Start - v.Offset + v.EndPos;
    if (voiceEnd > end) last = std::max(last, voiceEnd);
  }
  return last;
}

// The render's body (RenderToWAVFile).
TRenderResult RenderJobToFile(TRenderJob& job) {
  TRenderResult result;
  TMixer& mixer = job.Mixer ? *job.Mixer : Mixer();
  TRenderHost& host = job.Host ? *job.Host : RenderHost();
  const std::atomic<bool>& cancel = job.Cancel ? *job.Cancel : RenderCancelled;
  TRenderWriter& writer = *job.Writer;
  TRenderState& state = State();
  const bool mono = job.Options.Mono;
  const TRemainderMode remainder = job.Options.Remainder;
  bool writeFailed = false;

  host.SuspendOutput();  // MixerLock held from here to ResumeOutput
  {
    TSong& song = mixer.Song();
    mixer.Rendering.store(true);
    TRenderRestore restore(mixer, song, host);
    TRenderLanes lanes(mixer, job.Workers);
    const int32_t blockFrames = mixer.BlockFrames;
    std::vector<int16_t> block(size_t(blockFrames) * 2);
    mixer.StopAllVoices();

    const int patternLength = std::clamp(song.PatternLength(), 1, MaxSteps);
    const int64_t stepFrames = std::max<int32_t>(mixer.FramesPerStep, 1);
    const int bars = std::max(job.Bars, 1);
    mixer.MixPosition = patternLength * stepFrames;  // one pattern of lead-in
    int64_t end = mixer.MixPosition + patternLength * bars * stepFrames;
    if (song.Playlist.PlaylistSelection.Bottom >= 0) {
      song.Playlist.PlaylistSelection = TPlaylistSelection();
      host.PlaylistSelectionCancelled();
    }
    host.BeginRenderSync();
    mixer.SongMode = job.SongMode ? 1 : 0;

    if (remainder == RemainderWrap) {
      // The last bar plays silently before the lead-in ends: its voices
      // start before MixPosition, so only their tails sound in the file.
      mixer.NextStepFrame = 0;
      SetBarPatterns(mixer, song, job.SongMode, bars - 1);
      for (int step = 0; step < patternLength; ++step) {
        mixer.MixStep = step;
        for (int p = static_cast<int>(mixer.MixPatterns.size()) - 1; p >= 0; --p) {
          mixer.MixPattern = mixer.MixPatterns[p];
          mixer.TriggerStep(song);
        }
        mixer.NextStepFrame += stepFrames;
      }
    }

    mixer.NextStepFrame = mixer.MixPosition;
    mixer.MixStep = -1;
    mixer.MixBar = 0;
    SetBarPatterns(mixer, song, job.SongMode, 0);
    mixer.Playing.store(true);
    mixer.MixStopBar = bars - 1;
    state.Bar.store(1);
    state.Blocks.store(0);

    const int64_t gaugeMax = std::max<int64_t>(job.GaugeMax, 1);
    int lastPercent = -1;
    while (mixer.MixPosition < end && !cancel.load()) {
      mixer.MixBlock();
      if (remainder == RemainderLeave && mixer.MixPosition >= end) {
        mixer.Playing.store(false);
        end = RemainderEnd(mixer, end);
      }
      int64_t frames = blockFrames;
      if (mixer.MixPosition > end) frames -= mixer.MixPosition - end;
      frames = std::clamp<int64_t>(frames, 0, blockFrames);
      mixer.FloatToInt16(block.data(), frames * 4);
      uint64_t bytes = uint64_t(frames) * 4;
      if (mono) {
        for (int64_t i = 0; i < frames; ++i)
          block[i] = static_cast<int16_t>((int(block[2 * i]) + int(block[2 * i + 1])) / 2);
        bytes /= 2;
      }
      ToLittleEndian(block.data(), int64_t(bytes / 2));
      if (!writer.Append(block.data(), bytes)) {
        writeFailed = true;
        break;
      }
      result.Frames += frames;

      const int64_t blocks = state.Blocks.fetch_add(1) + 1;
      if (mixer.Playing.load()) state.Bar.store(mixer.MixBar + 1);
      const int percent = static_cast<int>(std::min<int64_t>(100, blocks * 100 / gaugeMax));
      if (percent != lastPercent) {
        lastPercent = percent;
        CallEngineListener([&](TEngineListener& l) { l.RenderProgress(percent); });
      }
    }
    result.Cancelled = !writeFailed && cancel.load() && mixer.MixPosition < end;
  }  // the sequencer and the output are restored here

  result.DataBytes = writer.DataBytes();
  if (writeFailed || !writer.Finish(job.InfoItems)) {
    writer.Abandon();
    if (job.NFO) job.NFO->Abandon();
    result.Error = writer.TooLarge() ? RenderTooLargeMessage : RenderWriteMessage(writer.Target(), writer.Reason());
    return result;
  }
  if (job.NFO && !job.NFO->Commit()) {
    result.Error = RenderWriteMessage(job.NFO->Target(), job.NFO->Reason());
    return result;
  }
  result.Ok = true;
  return result;
}

}  // namespace

TRenderResult RenderToWAVFile(TRenderJob& job) {
  try {
    return RenderJobToFile(job);
  } catch (const std::bad_alloc&) {
    // The sequencer and the output were restored on the way out; the file
    // is not written.
    job.Writer->Abandon();
    if (job.NFO) job.NFO->Abandon();
    TRenderResult result;
    result.Error = RenderWriteMessage(job.Writer->Target(), std::strerror(ENOMEM));
    return result;
  }
}

// ---------------------------------------------------------------- the program's render

TRenderFigures PrepareRender() {
  TRenderHost& host = RenderHost();
  host.StopPlayback();
  host.SilenceAll();
  TMixer& mixer = Mixer();
  TSong& song = mixer.Song();
  {
    MixerGuard lock;
    ClearFilterState(mixer.MasterFilter);
  }
  const int bars = RenderBarCount(song, mixer.SongMode != 0);
  TRenderState& state = State();
  state.Bar.store(1);
  state.Blocks.store(0);
  return RenderFigures(song.PatternLength(), bars, song.BPM, mixer.BlockFrames);
}

namespace {

// Everything StartRender fixes on the main thread: options, figures, the
// ".nfo" file and the open WAV.
bool MakeJob(const std::string& fileName, TRenderJob& job, std::string* error) {
  auto fail = [&](const std::string& message) {
    if (error) *error = message;
    return false;
  };
  TMixer& mixer = Mixer();
  TSong& song = mixer.Song();
  TRenderHost& host = RenderHost();
  job.Mixer = &mixer;
  job.Host = &host;
  job.Options = RenderOptions();
  job.SongMode = mixer.SongMode != 0;
  job.Bars = RenderBarCount(song, job.SongMode);
  const TRenderFigures figures = RenderFigures(song.PatternLength(), job.Bars, song.BPM, mixer.BlockFrames);
  job.GaugeMax = figures.GaugeMax;
  // Threads pay for their start only on renders with a lot to mix.
  const int64_t channelFrames = int64_t(song.ChannelCount()) * std::clamp(song.PatternLength(), 1, MaxSteps) *
                                job.Bars * std::max<int32_t>(mixer.FramesPerStep, 1);
  job.Workers = CoreCount() > 1 && channelFrames >= RenderThreadsFrom ? &MixWorkers() : nullptr;
  job.InfoItems = RenderInfoItems(song.Info.Title, host.SongFileName());

  auto writer = std::make_unique<TRenderWriter>();
  writer->ReserveInfo(job.InfoItems.size());
  // The bars alone (the remainder may add to them) must fit.
  const int64_t planned = int64_t(std::clamp(song.PatternLength(), 1, MaxSteps)) * job.Bars *
                          std::max<int32_t>(mixer.FramesPerStep, 1) * (job.Options.Mono ? 2 : 4);
  if (uint64_t(planned) > writer->MaxDataBytes()) return fail(RenderTooLargeMessage);
  if (!writer->Open(fileName, job.Options.Mono ? 1 : 2)) return fail(RenderCreateMessage(fileName, writer->Reason()));
  if (job.Options.SaveNFO) {
    const std::string nfo = RenderNFOText(song.PatternLength(), job.Bars, RTFToPlainText(song.Info.InfoRTF));
    const std::string nfoName = ChangeFileExt(fileName, ".nfo");
    auto file = std::make_unique<TSafeFile>();
    if (!file->Open(nfoName) || !file->Write(nfo.data(), nfo.size())) {
      writer->Abandon();
      return fail(RenderCreateMessage(nfoName, file->Reason()));
    }
    job.NFO = std::move(file);
  }
  job.Writer = std::move(writer);
  return true;
}

void JoinFinished(TRenderState& state) {
  std::thread old;
  {
    std::lock_guard<std::mutex> lock(state.Lock);
    old = std::move(state.Thread);
  }
  if (old.joinable()) old.join();
}

}  // namespace

bool StartRender(const std::string& fileName, std::string* error) {
  TRenderState& state = State();
  if (state.Running.load()) {
    if (error) *error = "A render is running.";
    return false;
  }
  JoinFinished(state);
  auto job = std::make_shared<TRenderJob>();
  if (!MakeJob(fileName, *job, error)) return false;
  state.Running.store(true);
  std::lock_guard<std::mutex> lock(state.Lock);
  try {
    state.Thread = StartThread([job, &state] {
      TRenderResult result;
      try {
        result = RenderToWAVFile(*job);
      } catch (const std::exception& e) {
        result.Error = e.what();  // the sequencer and the output were restored on the way out
      }
      const bool ok = result.Ok;
      {
        std::lock_guard<std::mutex> hold(state.Lock);
        state.Result = std::move(result);
      }
      state.Running.store(false);
      CallEngineListener([&](TEngineListener& l) { l.RenderDone(ok); });
    });
  } catch (const std::system_error& e) {
    // Nothing was rendered: no file is left, and the song and the output
    // stay as they are.
    state.Running.store(false);
    job->Writer->Abandon();
    if (error) *error = RenderThreadMessage(fileName, ThreadStartMessage(e));
    return false;
  }
  return true;
}

bool RenderRunning() { return State().Running.load(); }

void WaitForRender() {
  if (MixerLockHeldByThisThread()) return;  // the render thread may wait for the lock
  JoinFinished(State());
}

TRenderResult LastRenderResult() {
  TRenderState& state = State();
  std::lock_guard<std::mutex> lock(state.Lock);
  return state.Result;
}

int RenderBar() { return State().Bar.load(); }
int64_t RenderBlocksDone() { return State().Blocks.load(); }

TRenderResult RenderSongToFile(const std::string& fileName) {
  TRenderResult result;
  TRenderState& state = State();
  if (state.Running.load()) {
    result.Error = "A render is running.";
    return result;
  }
  JoinFinished(state);
  PrepareRender();
  RenderCancelled.store(false);
  TRenderJob job;
  if (!MakeJob(fileName, job, &result.Error)) return result;
  state.Running.store(true);
  result = RenderToWAVFile(job);
  {
    std::lock_guard<std::mutex> lock(state.Lock);
    state.Result = result;
  }
  state.Running.store(false);
  return result;
}

// ---------------------------------------------------------------- marker blocks

bool SaveSampleWithMarkers(const TWAVSample& sample, const std::string& fileName) {
  constexpr int64_t MarkerFrames = 2304;
  constexpr int64_t LoudFrames = 2048;
  const int64_t frames = sample.Frames() ? std::clamp<int64_t>(sample.Length, 0, int64_t(sample.Data.size() / 2)) : 0;
  const uint64_t dataBytes = uint64_t(frames + 2 * MarkerFrames) * 4;
  if (HeaderBytes - 8 + dataBytes > RIFFLimit) return false;

  uint8_t head[HeaderBytes];
  StoreWAVHeader(WAVFileFormat, uint32_t(HeaderBytes - 8 + dataBytes), uint32_t(dataBytes), head);

  std::vector<int16_t> marker(size_t(MarkerFrames) * 2, 0);
  TSafeFile file;
  if (!file.Open(fileName)) return false;
  file.Write(head, sizeof head);
  std::fill(marker.begin(), marker.begin() + 2 * LoudFrames, int16_t(32767));
  ToLittleEndian(marker.data(), int64_t(marker.size()));
  file.Write(marker.data(), marker.size() * 2);
  std::vector<int16_t> piece;
  for (int64_t done = 0; done < frames && !file.Failed();) {
    const int64_t n = std::min<int64_t>(frames - done, 16384);
    piece.assign(sample.Frames() + 2 * done, sample.Frames() + 2 * (done + n));
    ToLittleEndian(piece.data(), int64_t(piece.size()));
    file.Write(piece.data(), piece.size() * 2);
    done += n;
  }
  std::fill(marker.begin(), marker.end(), int16_t(0));
  std::fill(marker.begin() + 2 * (MarkerFrames - LoudFrames), marker.end(), int16_t(32767));
  ToLittleEndian(marker.data(), int64_t(marker.size()));
  file.Write(marker.data(), marker.size() * 2);
  return file.Commit();
}

}  // namespace vs
