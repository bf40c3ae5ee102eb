// The program on real devices: a private JACK server, the program started
// from its settings as a user would, and a JACK client of the test's own
// that listens to its audio and MIDI ports and sends it clocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

#include "core/MasterClock.h"
#include "core/PlayPosition.h"
#include "core/Program.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "engine/Capture.h"
#include "engine/EngineListener.h"
#include "engine/MidiDevices.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "jack/JackFixture.h"
#include "support/LiveSound.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/Song.h"

namespace vs {
namespace {

using namespace std::chrono_literals;
using testing::TJackTestClient;
using testing::TJackTestServer;
using testing::TTimedMidi;
using testing::WaitFor;
using Clock = std::chrono::steady_clock;

// The sync handler with a count of the messages it has handled whole: a
// test that sends n messages waits for the count to reach n, however late
// the server's cycles and the input's thread run on a busy machine.
std::atomic<int> HandledSyncMessages{0};
void CountingSyncHandler(uint32_t message) {
  HandleMidiSyncMessage(message);
  HandledSyncMessages.fetch_add(1);
}

class JackDevicesTest : public testing::TLiveProgramTest {
protected:
  void SetUp() override {
    Server = std::make_unique<TJackTestServer>();
    if (!Server->Running())
      GTEST_SKIP() << "No JACK server could be started here (" << Server->WhyNot()
                   << "): the tests on real devices are skipped.";
    Client = std::make_unique<TJackTestClient>();
    ASSERT_TRUE(Client->Ok());
    UseOwnFolders();
  }

  void TearDown() override {
    TLiveProgramTest::TearDown();
    Sync().Mode.store(SyncOff);
    Client.reset();
    Server.reset();
  }

  // Makes the song current at its tempo.
  static void Play(std::unique_ptr<TSong> song) {
    const int bpm = song->BPM;
    std::unique_ptr<TSong> old;
    {
      MixerGuard hold;
      StopAllVoices();
      old = ReplaceCurrentSong(std::move(song));
    }
    SetTempo(bpm);
    StartButtonClick(true, true);
  }
  static void Stop() { StartButtonClick(false, true); }

  static void SetStep(TChannel& ch, int step, int velocity) {
    ch.Steps.SetStepOn(1, step, true);
    ch.Steps.SetStepValue(1, step, uint8_t(velocity), PlaneVol);
  }

  // The last note on or off each MIDI channel received on an input of the
  // test's client.
  std::map<int, std::vector<uint8_t>> LastNotes(int input) {
    std::map<int, std::vector<uint8_t>> last;
    for (const TTimedMidi& m : Client->Received(input))
      if (m.Bytes.size() == 3 && (m.Bytes[0] & 0xE0) == 0x80) last[m.Bytes[0] & 15] = m.Bytes;
    return last;
  }
  // Note offs (release velocity 64) of the given channels' keys.
  static std::map<int, std::vector<uint8_t>> EndedNotes(const std::map<int, int>& keys) {
    std::map<int, std::vector<uint8_t>> ended;
    for (const auto& [channel, key] : keys) ended[channel] = {uint8_t(0x80 + channel), uint8_t(key), 64};
    return ended;
  }

  std::unique_ptr<TJackTestServer> Server;
  std::unique_ptr<TJackTestClient> Client;
};

TEST_F(JackDevicesTest, LiveOutputOnTheStoredDeviceEqualsTheOfflineMix) {
  // The device is chosen by the name stored at an earlier close.
  Store({{"DS Driver", "0"}, {"DS Driver Name", "JACK: vstest"}});
  TProgram& program = Start();
  const std::vector<std::string>& items = program.SoundDevices.Items;
  ASSERT_GE(items.size(), 3u);
  EXPECT_EQ(items.front(), "JACK: system");  // the sound card, the system default
  EXPECT_NE(std::find(items.begin(), items.end(), "JACK: vstest"), items.end());
  EXPECT_EQ(items.back(), "(none)");
  EXPECT_EQ(items[size_t(program.SoundDevices.ItemIndex)], "JACK: vstest");
  ASSERT_TRUE(AudioOutput().OutputOpen.load());

  // The offline mix of the bar, then the same song live.
  const int64_t bar = testing::HitsBarFrames;
  const std::vector<int16_t> offline = testing::MakeCurrentAndRender(testing::HitsBar(), Tmp / "offline.wav");
  ASSERT_EQ(offline.size(), size_t(bar) * 2);

  Client->StartRecording();
  StartButtonClick(true, true);
  ASSERT_TRUE(WaitFor([&] { return Client->RecordedCount() >= size_t(44100 * 3); }, 10s));
  Stop();
  const std::vector<int16_t> live = Client->RecordedFrames();

  auto firstOnset = [](const int16_t* f, size_t frames) {
    for (size_t i = 0; i < frames; ++i)
      if (f[2 * i] != 0 || f[2 * i + 1] != 0) return i;
    return frames;
  };
  const size_t r0 = firstOnset(offline.data(), size_t(bar));
  const size_t l0 = firstOnset(live.data(), live.size() / 2);
  ASSERT_EQ(r0, 0u);
  ASSERT_LE(l0 + 2 * size_t(bar), live.size() / 2) << "the output started too late";
  int offlineMismatches = 0, loopMismatches = 0;
  for (size_t i = 0; i < size_t(bar) * 2; ++i) {
    offlineMismatches += live[l0 * 2 + i] != offline[i];
    loopMismatches += live[(l0 + size_t(bar)) * 2 + i] != live[l0 * 2 + i];
  }
  EXPECT_EQ(offlineMismatches, 0);
  EXPECT_EQ(loopMismatches, 0);

  // The choice is written back by name at the close.
  EXPECT_TRUE(program.ShutDown());
  EXPECT_EQ(Stored("DS Driver Name"), "JACK: vstest");
  EXPECT_EQ(Stored("DS Driver"), std::to_string(program.SoundDevices.ItemIndex));
}

TEST_F(JackDevicesTest, AsMasterTheClockAndTheStepNotesGoOutOnJackMidiPorts) {
  Store({{"Use WAV", "1"},
         {"Use MIDI", "1"},
         {"Sync to Input", "1"},
         {"Output Device Name", "JACK: vstest:notes_in"},
         {"Output Device", "1"},
         {"Sync Output Device Name", "JACK: vstest:sync_in"},
         {"Sync Output Device", "1"}});
  TProgram& program = Start();
  ASSERT_EQ(Sync().Mode.load(), SyncMaster);
  ASSERT_TRUE(AudioOutput().OutputOpen.load());
  ASSERT_TRUE(MidiDevices().MIDIOut.IsOpen()) << program.MidiError;
  ASSERT_TRUE(MidiDevices().MIDIOutSync.IsOpen());
  EXPECT_EQ(MidiDevices().MIDIOutSync.ProductName(), "JACK: vstest:sync_in");

  // At 125 BPM a step is 5292 frames: a clock every 882 frames.
  auto song = std::make_unique<TSong>();
  song->BPM = 125;
  song->MasterVolume.store(128);
  TChannel& drum = AddChannel(*song);
  drum.MidiNote = 36;
  drum.MidiChannel = 9;
  drum.Volume = 100;
  TChannel& quiet = AddChannel(*song);
  quiet.MidiNote = 38;
  quiet.MidiChannel = 2;
  quiet.Volume = 50;
  SetStep(drum, 0, 100);
  SetStep(drum, 4, 127);
  SetStep(drum, 8, 64);
  SetStep(quiet, 12, 100);
  // Blocks mixed late, halves the device found not ready, and cycles the
  // server could not finish.
  const auto shortfalls = [this] {
    const TStreamBuffer* buffer = AudioOutput().OutputBuffer;
    return uint64_t(AudioOutput().UnderrunCount.load()) + (buffer != nullptr ? buffer->Underruns() : 0) +
           uint64_t(Client->Xruns());
  };
  const auto clocksOut = [this] {
    const std::vector<TTimedMidi> out = Client->Received(0);
    return std::count_if(out.begin(), out.end(), [](const TTimedMidi& m) { return m.Bytes == std::vector<uint8_t>{0xF8}; });
  };
  const uint64_t starved = shortfalls();
  Play(std::move(song));
  // About three seconds of the song as it is heard, however busy the machine.
  ASSERT_TRUE(WaitFor([&] { return clocksOut() >= 150; }, 120s));
  Stop();
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<TTimedMidi> out = Client->Received(0);
    return !out.empty() && out.back().Bytes == std::vector<uint8_t>{0xFC};
  }, 10s));
  // The clock follows the song as it is heard: a machine too busy to mix
  // in time holds both back against the server's frames.
  const bool inTime = shortfalls() == starved;

  const std::vector<TTimedMidi> sync = Client->Received(0);
  ASSERT_GE(sync.size(), 3u);
  EXPECT_EQ(sync[0].Bytes, (std::vector<uint8_t>{0xF2, 0, 0}));  // song position: the start
  EXPECT_EQ(sync[1].Bytes, (std::vector<uint8_t>{0xFA}));
  EXPECT_EQ(sync.back().Bytes, (std::vector<uint8_t>{0xFC}));
  std::vector<uint64_t> clocks;
  for (const TTimedMidi& m : sync)
    if (m.Bytes == std::vector<uint8_t>{0xF8}) clocks.push_back(m.Frame);
  ASSERT_GE(clocks.size(), 100u);  // about 3 seconds of 50 a second
  // Clocks go out as the play position passes them; a busy machine may hold
  // the clock thread back and send a few late in a burst. The median span of
  // 24 clocks is a quarter note wherever such a burst fell.
  std::vector<uint64_t> quarters;
  for (size_t i = 0; i + 24 < clocks.size(); ++i) quarters.push_back(clocks[i + 24] - clocks[i]);
  std::nth_element(quarters.begin(), quarters.begin() + quarters.size() / 2, quarters.end());
  const double perQuarter = 44100.0 * 60 / 125;
  if (inTime)
    EXPECT_NEAR(double(quarters[quarters.size() / 2]) / perQuarter, 1.0, 0.01);
  else
    std::printf("The output ran short while playing: the clock's rate is not weighed.\n");

  // The notes of the first bar, each on its channel with its velocity:
  // channel volume x step velocity x master volume div 12800.
  std::vector<std::vector<uint8_t>> noteOns;
  for (const TTimedMidi& m : Client->Received(1))
    if ((m.Bytes[0] & 0xF0) == 0x90) noteOns.push_back(m.Bytes);
  ASSERT_GE(noteOns.size(), 4u);
  EXPECT_EQ(noteOns[0], (std::vector<uint8_t>{0x99, 36, 100}));
  EXPECT_EQ(noteOns[1], (std::vector<uint8_t>{0x99, 36, 127}));
  EXPECT_EQ(noteOns[2], (std::vector<uint8_t>{0x99, 36, 64}));
  EXPECT_EQ(noteOns[3], (std::vector<uint8_t>{0x92, 38, 50}));
  // A step every 6 clocks: a bar of 16 steps holds those four notes.
  EXPECT_NEAR(double(noteOns.size()), double(clocks.size()) / 96 * 4, 4.0);
  // The stop ended the note each MIDI channel was left sounding.
  EXPECT_TRUE(WaitFor([&] { return LastNotes(1) == EndedNotes({{9, 36}, {2, 38}}); }, 10s));
}

TEST_F(JackDevicesTest, AsSlaveItStepsOncePerSixClocksFromAJackMidiPortAndStopsOnStop) {
  Store({{"Use WAV", "0"},
         {"Use MIDI", "0"},
         {"Sync to Input", "1"},
         {"Input Device Name", "JACK: vstest:clock_out"},
         {"Input Device", "0"}});
  Start();
  ASSERT_EQ(Sync().Mode.load(), SyncSlave);
  ASSERT_TRUE(MidiDevices().MidiIn.IsOpen());
  EXPECT_EQ(MidiDevices().MidiIn.ProductName(), "JACK: vstest:clock_out");
  {
    auto song = std::make_unique<TSong>();
    AddChannel(*song);
    std::unique_ptr<TSong> old;
    MixerGuard hold;
    old = ReplaceCurrentSong(std::move(song));
  }

  HandledSyncMessages.store(0);
  MidiDevices().MidiIn.SetHandler(&CountingSyncHandler);

  // Clocks 10 ms apart; the clock after Start plays the first step. The
  // step is read once the program has handled every message sent.
  uint64_t at = Client->Now() + 4410;
  int sent = 0;
  auto send = [&](uint8_t byte, int count) {
    for (int i = 0; i < count; ++i, at += 441, ++sent) Client->Send({byte}, at);
  };
  auto stepAfterSending = [&] {
    EXPECT_TRUE(WaitFor([&] { return HandledSyncMessages.load() >= sent; }, 20s));
    EXPECT_EQ(HandledSyncMessages.load(), sent);
    return PlayPosition().DisplayStep.load();
  };
  send(0xFA, 1);
  send(0xF8, 31);
  EXPECT_EQ(stepAfterSending(), 5);
  EXPECT_TRUE(Mixer().Playing.load());
  send(0xF8, 5);
  EXPECT_EQ(stepAfterSending(), 5);
  send(0xF8, 1);
  EXPECT_EQ(stepAfterSending(), 6);
  send(0xFC, 1);
  send(0xF8, 12);
  EXPECT_EQ(stepAfterSending(), 6);
  EXPECT_FALSE(Mixer().Playing.load());
}

TEST_F(JackDevicesTest, AStopReceivedAsSlaveEndsTheNoteItsStepLeftSounding) {
  Store({{"Use WAV", "0"},
         {"Use MIDI", "1"},
         {"Sync to Input", "1"},
         {"Input Device Name", "JACK: vstest:clock_out"},
         {"Input Device", "0"},
         {"Output Device Name", "JACK: vstest:notes_in"},
         {"Output Device", "1"}});
  TProgram& program = Start();
  ASSERT_EQ(Sync().Mode.load(), SyncSlave);
  ASSERT_TRUE(MidiDevices().MIDIOut.IsOpen()) << program.MidiError;
  {
    auto song = std::make_unique<TSong>();
    TChannel& bass = AddChannel(*song);
    bass.MidiNote = 40;
    bass.MidiChannel = 3;
    SetStep(bass, 0, 100);
    std::unique_ptr<TSong> old;
    MixerGuard hold;
    old = ReplaceCurrentSong(std::move(song));
  }
  // Start and the clock that plays the first step: the note sounds.
  Client->Send({0xFA}, Client->Now());
  Client->Send({0xF8}, Client->Now() + 441);
  ASSERT_TRUE(WaitFor([&] { return LastNotes(1).count(3) && LastNotes(1)[3][0] == 0x93; }, 20s));
  EXPECT_EQ(LastNotes(1)[3][1], 40);
  // Stop: it ends.
  Client->Send({0xFC}, Client->Now());
  EXPECT_TRUE(WaitFor([&] { return LastNotes(1) == EndedNotes({{3, 40}}); }, 20s));
  EXPECT_FALSE(Mixer().Playing.load());
}

TEST_F(JackDevicesTest, TheServerGoingAwayClosesTheOutputWithItsMessage) {
  Store({{"DS Driver Name", "JACK: vstest"}, {"Use MIDI", "1"}, {"Output Device Name", "JACK: vstest:notes_in"}});
  Start();
  ASSERT_TRUE(AudioOutput().OutputOpen.load());
  testing::OutputLostRecorder listener;
  SetEngineListener(&listener);
  auto song = std::make_unique<TSong>();
  AddChannel(*song);
  Play(std::move(song));
  ASSERT_TRUE(OpenCapture(44100 * 4 * 10));
  StartCapture();
  ASSERT_TRUE(WaitFor([] { return GetCapturePosition() > 0; }, 20s));

  Server->Kill();
  ASSERT_TRUE(WaitFor([] { return !AudioOutput().OutputOpen.load(); }, 5s));
  // A recording ends with what it had.
  EXPECT_TRUE(WaitFor([] { return !StillCapturing(); }, 1s));
  EXPECT_GT(GetCapturePosition(), 0u);
  CloseCapture();
  EXPECT_TRUE(WaitFor([&] { return listener.Lost.load(); }, 1s));
  const std::string message = TakeOutputLostMessage();
  EXPECT_EQ(message.rfind("The sound device \"JACK: vstest\" went away: the JACK server shut down", 0), 0u)
      << message;
  // The program goes on: it stops, plays without the device, and closes.
  Stop();
  const auto t0 = Clock::now();
  EXPECT_TRUE(Program->ShutDown());
  EXPECT_LT(Clock::now() - t0, 8s);
}

TEST_F(JackDevicesTest, ClosingNeverHangsWhenTheServerStopsGivingCycles) {
  Store({{"DS Driver Name", "JACK: system"},
         {"Use MIDI", "1"},
         {"Output Device Name", "JACK: vstest:notes_in"},
         {"Sync to Input", "1"},
         {"Sync Output Device Name", "JACK: vstest:sync_in"}});
  Start();
  ASSERT_TRUE(AudioOutput().OutputOpen.load());
  ASSERT_TRUE(MidiDevices().MIDIOut.IsOpen());
  ASSERT_TRUE(MidiDevices().MIDIOutSync.IsOpen());
  EXPECT_NE(CaptureDeviceNames().front().find("JACK: "), std::string::npos);
  ASSERT_TRUE(OpenCapture(44100 * 4));
  StartCapture();
  std::this_thread::sleep_for(200ms);

  Server->Pause();
  auto within = [](const char* what, auto close) {
    const auto t0 = Clock::now();
    close();
    EXPECT_LT(Clock::now() - t0, 4s) << what;
  };
  within("capture", [] { CloseCapture(); });
  within("sound output", [] { CloseAudioOutput(); });
  within("note output", [] { CloseMidiOutput(MidiDevices().MIDIOut); });
  within("sync output", [] { CloseMidiOutput(MidiDevices().MIDIOutSync); });
  // A stopped server has no devices to offer.
  within("device list", [] { EXPECT_EQ(ListSoundDevices(TPreferences{}).Items.size(), 1u); });
  within("shut-down", [&] { Program->ShutDown(); });
  Server->Resume();
}

}  // namespace
}  // namespace vs
