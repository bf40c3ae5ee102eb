#include "core/Recording.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "core/ChannelFiles.h"
#include "engine/Capture.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/WAVFiles.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"

namespace vs {

const char* const CaptureSetupErrorMessage =
    "Error|An error occured while setting up the DirectSound Capture.\r"
    "Your soundcard may not meet the minimum requirements for a proper sound capture in VorbelSteps...\r"
    "Sorry for the inconvenience.";

namespace {

// The sound output comes back after a capture; when it can't, the info bar
// says why.
void ReopenOutput() {
  const TCommandResult result = OpenAudioOutput();
  if (!result)
    ChannelFileHost().ShowInfo(
        FormatText(WindowText(MainWindowTable, "@OutputClosed", "Sound output closed: %s"), {result.Message}));
}

}  // namespace

std::string& PendingRecordedFile() {
  static std::string name;
  return name;
}

std::string NextRecordedFileName(const std::string& appPath) {
  const std::string folder = AddBackslash(appPath) + "Samples/Recorded/";
  ForceDirectory(folder);
  for (int n = 1;; ++n) {
    const std::string name = folder + "Recorded_" + std::to_string(n) + ".wav";
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) return name;
  }
}

TRecording::~TRecording() {
  if (Running) {
    CloseCapture();
    Running = false;
  }
  StopSampleVoices(&View);
}

bool TRecording::Start(int seconds) {
  StopAllVoices();
  CloseAudioOutput();
  Seconds = std::clamp(seconds, 1, 10);
  CaptureBytes = uint32_t(Seconds) * SampleRate * 4;
  if (!OpenCapture(CaptureBytes)) {
    CaptureBytes = 0;
    ReopenOutput();
    return false;
  }
  try {
    StartCapture();
  } catch (const TCaptureError&) {
    CloseCapture();
    CaptureBytes = 0;
    ReopenOutput();
    return false;
  }
  Running = true;
  PendingRecordedFile().clear();
  return true;
}

uint32_t TRecording::Position() const { return Running ? GetCapturePosition() : 0; }

bool TRecording::Poll() {
  if (!Running) return false;
  if (StillCapturing()) return true;
  Stop();
  return false;
}

void TRecording::Stop() {
  if (!Running) return;
  Running = false;
  const std::vector<uint8_t> bytes = ReadCapture();
  StopSampleVoices(&View);
  {
    MixerGuard lock;
    Recorded.Clear();
    std::vector<int16_t> frames(bytes.size() / 4 * 2);
    if (!frames.empty()) std::memcpy(frames.data(), bytes.data(), frames.size() * sizeof(int16_t));
    Recorded.SetFrames(std::move(frames));
    Recorded.PlayLength = Recorded.NominalLength = Recorded.Length;
  }
  TrimStart = 0;
  TrimLength = Recorded.Length;
  UpdateBounds();
  CloseCapture();
  ReopenOutput();
}

void TRecording::UpdateBounds() {
  MixerGuard lock;
  // The bounds stay inside what was captured: at least one frame from a
  // start before the last frame.
  const int64_t total = Recorded.Length;
  TrimStart = std::clamp<int64_t>(TrimStart, 0, std::max<int64_t>(total - 1, 0));
  TrimLength = std::clamp<int64_t>(TrimLength, 1, std::max<int64_t>(total - TrimStart, 1));
  View.Clear();
  if (total <= 0) return;
  const auto from = Recorded.Data.begin() + TrimStart * 2;
  View.SetFrames(std::vector<int16_t>(from, from + TrimLength * 2));
  View.PlayLength = View.NominalLength = View.Length;
}

int64_t TRecording::FrameAt(int x, int width) const {
  if (width <= 0) return 0;
  return int64_t(CaptureBytes) * x / width / 4;
}

int TRecording::ChooseBound(int x, int width) const {
  const auto [start, end] = BoundXs(width);
  return std::abs(x - start) > std::abs(x - end) ? 1 : 0;
}

void TRecording::MoveBound(int bound, int x, int width) {
  if (bound < 0 || View.Empty()) return;
  StopSampleVoices(&View);
  const int64_t p = std::max<int64_t>(0, FrameAt(x, width));
  if (bound == 1) {
    if (p < TrimStart) TrimStart = p;
    TrimLength = p - TrimStart;
  } else {
    TrimLength -= p - TrimStart;
    TrimStart = p;
  }
  UpdateBounds();
}

std::pair<int, int> TRecording::BoundXs(int width) const {
  if (CaptureBytes == 0) return {0, 0};
  const auto at = [&](int64_t frame) { return int(frame * 4 * width / int64_t(CaptureBytes)); };
  return {at(TrimStart), at(TrimStart + TrimLength - 1)};
}

void TRecording::Listen() {
  if (View.Empty()) return;
  MixerGuard lock;
  TMixer& mixer = Mixer();
  mixer.AddVoice(&View, mixer.MixPosition, 64, View.PlayLength, -1, -1, 100 * PreviewGain);
}

bool TRecording::Save(const std::string& file) {
  if (View.Empty() || !SaveWAVFile(&View, file)) return false;
  PendingRecordedFile() = file;
  return true;
}

void TRecording::Close(TSong& song, int channel) {
  if (Running) Stop();
  StopSampleVoices(&View);
  {
    MixerGuard lock;
    Recorded.Clear();
    View.Clear();
  }
  CaptureBytes = 0;
  std::string& pending = PendingRecordedFile();
  if (pending.empty()) return;
  LoadChosenFileIntoChannel(song, channel, pending, true, true);
  pending.clear();
}

}  // namespace vs
