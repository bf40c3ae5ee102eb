#pragma once
// A quick recording for one channel, without its window: a few seconds are
// captured from the sound input into a sample (the sound output closed
// meanwhile), the user trims its start and end, listens to the trimmed part,
// saves it as a WAV file, and when the recording box closes the saved file
// is loaded into the channel.
//
// The trimmed part ("view") is what plays and what is saved; it is rebuilt
// under MixerLock whenever a bound moves, after the voices playing it have
// been stopped. The bounds always lie inside what was captured.

#include <cstdint>
#include <string>
#include <utility>

#include "model/WAVSample.h"

namespace vs {

class TSong;

// The message shown when the capture can't be set up.
extern const char* const CaptureSetupErrorMessage;

// The recorded file saved last and not yet loaded into a channel (the tool
// launcher passes it to the wave editor); empty when none.
std::string& PendingRecordedFile();

// AppPath + "Samples/Recorded/Recorded_" + n + ".wav" for the first n from 1
// whose file does not exist. The folder "Recorded" is made first, so that
// the save dialog can open in it.
std::string NextRecordedFileName(const std::string& appPath);

class TRecording {
public:
  TRecording() = default;
  ~TRecording();
  TRecording(const TRecording&) = delete;
  TRecording& operator=(const TRecording&) = delete;

  // The whole capture and the trimmed part of it.
  TWAVSample Recorded;
  TWAVSample View;

  int Seconds = 3;            // the length asked for, 1..10
  uint32_t CaptureBytes = 0;  // size of the capture (0: nothing recorded)
  int64_t TrimStart = 0;      // frames
  int64_t TrimLength = 0;     // frames

  // Record: every voice stopped, the sound output closed, a capture of
  // seconds (1..10) opened and started; false (the output opened again)
  // when no capture could be opened. The pending recorded file is
  // forgotten.
  bool Start(int seconds);
  bool Capturing() const { return Running; }
  // Bytes captured so far.
  uint32_t Position() const;
  // The timer's look at the capture: when it no longer captures, Stop runs.
  // True while it still captures.
  bool Poll();
  // Ends the recording: the whole capture buffer (silence where nothing was
  // captured yet) becomes the recording, trimmed to all of it; the capture
  // closes and the sound output opens again.
  void Stop();
  bool HasRecording() const { return !Recorded.Empty(); }

  // Keeps the bounds inside the recording and rebuilds the view (under
  // MixerLock).
  void UpdateBounds();
  // The frame under x of a box width pixels wide.
  int64_t FrameAt(int x, int width) const;
  // The bound a press at x takes: 0 start, 1 end (the end when the press
  // lies nearer to it).
  int ChooseBound(int x, int width) const;
  // Moves a bound (0 start, 1 end) to x; the voices of the view stop first.
  // Moving the end left of the start moves the start there.
  void MoveBound(int bound, int x, int width);
  // The x of the start and end marks in a box width pixels wide.
  std::pair<int, int> BoundXs(int width) const;

  // Plays the view once at the mix position (pan 64, gain 100).
  void Listen();
  // Writes the view to file (the safe writer); on success it becomes the
  // pending recorded file.
  bool Save(const std::string& file);
  // The box closes: a running capture stops, the view's voices stop, the
  // recording is dropped, and a saved file is loaded into the channel.
  void Close(TSong& song, int channel);

private:
  bool Running = false;
};

}  // namespace vs
