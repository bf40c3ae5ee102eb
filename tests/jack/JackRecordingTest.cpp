// A quick recording on a real capture device: a private JACK server, a
// JACK client of the test's own that plays a known signal, the program's
// capture taken from that client. The recording is trimmed, saved as the
// next free "Recorded_N.wav" and loaded into the channel, which then holds
// exactly the trimmed part of what was played.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/ProgramPaths.h"
#include "core/Recording.h"
#include "engine/Capture.h"
#include "engine/MixThread.h"
#include "engine/WAVFiles.h"
#include "jack/JackFixture.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "support/TempDir.h"

namespace vs {
namespace {

using namespace std::chrono_literals;

// The played signal: left climbs 1, 2, ... 1999 and starts again, right is
// its negative; every value is exact in 16 bits.
int16_t Played(uint64_t n) { return int16_t(n % 1999 + 1); }

// Plays the signal on two outputs from its first cycle on.
class TPlayingClient {
public:
  TPlayingClient() {
    jack_status_t status{};
    Client = jack_client_open("vsplay", jack_options_t(JackNoStartServer | JackUseExactName), &status);
    if (Client == nullptr) return;
    Out[0] = jack_port_register(Client, "out_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    Out[1] = jack_port_register(Client, "out_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(Client, &TPlayingClient::Process, this);
    Active = jack_activate(Client) == 0;
  }
  ~TPlayingClient() {
    if (Client != nullptr) jack_client_close(Client);
  }
  bool Ok() const { return Client != nullptr && Active; }

private:
  static int Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<TPlayingClient*>(arg);
    auto* l = static_cast<float*>(jack_port_get_buffer(self->Out[0], frames));
    auto* r = static_cast<float*>(jack_port_get_buffer(self->Out[1], frames));
    for (jack_nframes_t i = 0; i < frames; ++i, ++self->Frame) {
      l[i] = float(Played(self->Frame)) / 32768.0f;
      r[i] = -l[i];
    }
    return 0;
  }

  jack_client_t* Client = nullptr;
  jack_port_t* Out[2] = {};
  bool Active = false;
  uint64_t Frame = 0;
};

TEST(JackRecording, RecordTrimSaveAndLoadTheTrimmedPartIntoTheChannel) {
  testing::TJackTestServer server;
  if (!server.Running())
    GTEST_SKIP() << "No JACK server could be started here (" << server.WhyNot() << ").";
  TPlayingClient player;
  ASSERT_TRUE(player.Ok());
  TTestDir tmp;
  ProgramPaths() = {};
  ProgramPaths().AppPath = tmp.Dir() + "/";
  tmp.Write("Samples/Recorded/Recorded_1.wav", "x");
  AudioOutput().UseWAV = false;  // the recording alone on the device
  SetCaptureBackend(nullptr);
  SetCaptureDeviceName("JACK: vsplay");

  TRecording rec;
  ASSERT_TRUE(rec.Start(1)) << CaptureOpenError();
  const auto until = std::chrono::steady_clock::now() + 10s;
  while (rec.Poll() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(20ms);
  ASSERT_FALSE(rec.Capturing());
  ASSERT_EQ(rec.Recorded.Length, 44100);

  // What came is the played signal, frame after frame, once the ports were
  // joined (silence before that).
  const TFrames& got = rec.Recorded.Data;
  int first = 0;
  while (first < 44100 && got[2 * size_t(first)] == 0) ++first;
  ASSERT_LT(first, 22050);
  for (int i = first + 1; i < 44100; ++i) {
    const int16_t a = got[2 * size_t(i - 1)], b = got[2 * size_t(i)];
    ASSERT_TRUE(b == a + 1 || (a == 1999 && b == 1)) << "frame " << i << ": " << a << " then " << b;
    ASSERT_EQ(got[2 * size_t(i) + 1], -b);
  }

  // Trimmed to the second half of what was played.
  const int width = 441;  // 100 frames a pixel
  rec.MoveBound(0, (first + 22050) / 100 + 1, width);
  rec.MoveBound(1, 400, width);
  const int64_t start = ((first + 22050) / 100 + 1) * 100;
  ASSERT_EQ(rec.TrimStart, start);
  ASSERT_EQ(rec.TrimLength, 40000 - start);
  const std::vector<int16_t> trimmed(got.begin() + start * 2, got.begin() + 40000 * 2);

  const std::string file = NextRecordedFileName(ProgramPaths().AppPath);
  EXPECT_EQ(file, tmp / "Samples/Recorded/Recorded_2.wav");
  ASSERT_TRUE(rec.Save(file));
  TSong song;
  AddChannel(song);
  rec.Close(song, 0);
  EXPECT_EQ(song.Channel(0)->SampleFileName, "\\Recorded\\Recorded_2.wav");
  EXPECT_EQ(song.Channel(0)->Sample.Data, trimmed);

  SetCaptureDeviceName("");
  AudioOutput().UseWAV = true;
  ProgramPaths() = {};
}

}  // namespace
}  // namespace vs
