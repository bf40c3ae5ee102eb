#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "AllocCounter.h"
#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "engine/Mixer.h"
#include "engine/VSTHost.h"
#include "support/TestPlugins.h"

namespace vs {
namespace {

using test::PluginPath;
using test::PluginsDir;
using test::TPluginLog;

// A float stereo block with distinct left and right values.
std::vector<float> Ramp(int frames) {
  std::vector<float> bus(size_t(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    bus[size_t(2 * i)] = 0.25f + i / 256.0f;
    bus[size_t(2 * i + 1)] = -0.5f + i / 512.0f;
  }
  return bus;
}

class AutomationRecorder : public TEngineListener {
public:
  void ParameterAutomated(int slot, int index, float value) override {
    std::lock_guard<std::mutex> hold(Lock);
    Posts.push_back({slot, index, value});
  }
  struct Post {
    int Slot, Index;
    float Value;
  };
  std::mutex Lock;
  std::vector<Post> Posts;
};

class PluginHostTest : public ::testing::Test {
protected:
  void SetUp() override {
    Host.Folder = PluginsDir();
    Host.SetBlockFrames(64);
  }
  TPluginRack& Load(int track, int slot, const std::string& name) {
    TPluginRack& rack = Host.Slot(track, slot);
    EXPECT_TRUE(rack.LoadPlugin(Host.Folder, name)) << name;
    return rack;
  }
  TPluginHost Host;
};

// ------------------------------------------------------------ record, calls

TEST(VSTDeclarations, FourCharactersAndHostAnswers) {
  EXPECT_EQ(PackFourChars('V', 's', 't', 'P'), 0x56737450);
  EXPECT_EQ(VSTHostID, 0x4E764566);
  EXPECT_EQ(HostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 2);
  EXPECT_EQ(HostCallback(nullptr, audioMasterCurrentId, 0, 0, nullptr, 0), 0x4E764566);
  EXPECT_EQ(HostCallback(nullptr, audioMasterPinConnected, 0, 0, nullptr, 0), 1);
  EXPECT_EQ(HostCallback(nullptr, audioMasterAutomate, 0, 0, nullptr, 0.5f), 0);
  for (int op : {3, 5, 6, 42, -1}) EXPECT_EQ(HostCallback(nullptr, op, 0, 0, nullptr, 0), 0) << op;
  EXPECT_EQ(ParamToWheel(0.25f), 16384);
  EXPECT_EQ(ParamToWheel(1.0f), 65536);
  EXPECT_EQ(ParamToWheel(2.0f), 65536);
  EXPECT_EQ(ParamToWheel(-1.0f), 0);
  EXPECT_EQ(ParamToWheel(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(VSTPlugin, LoadAndUnloadCallTheDispatcherInOrder) {
  TPluginLog log("TestGain");
  ASSERT_TRUE(log.Ok());
  const int before = *log.Instances;
  {
    TVSTPlugin plugin;
    EXPECT_EQ(plugin.Name, "(none)");
    EXPECT_EQ(plugin.EditorX, 4);
    EXPECT_EQ(plugin.EditorY, 4);
    ASSERT_EQ(plugin.Load(PluginPath("TestGain"), 512), TPluginLoadResult::Loaded);
    EXPECT_EQ(plugin.Name, "TestGain");
    EXPECT_TRUE(plugin.Active.load());
    EXPECT_EQ(*log.Host, &HostCallback);
    using C = std::pair<int32_t, intptr_t>;
    EXPECT_EQ(log.Calls(), (std::vector<C>{{effOpen, 0}, {effSetSampleRate, 0}, {effSetBlockSize, 512},
                                           {effMainsChanged, 1}}));
    EXPECT_EQ(log.Opts[1], 44100.0f);
    EXPECT_EQ(*log.Instances, before + 1);

    log.Clear();
    plugin.Reset();
    plugin.SetBlockSize(300);
    EXPECT_EQ(log.Calls(), (std::vector<C>{{effMainsChanged, 0}, {effMainsChanged, 1}, {effSetBlockSize, 300}}));

    log.Clear();
    plugin.SetActive(false);
    plugin.Reset();  // inactive: nothing
    EXPECT_EQ(log.Calls(), (std::vector<C>{{effMainsChanged, 0}}));

    log.Clear();
    plugin.Unload();
    EXPECT_EQ(log.Calls(), (std::vector<C>{{effMainsChanged, 0}, {effClose, 0}}));
    EXPECT_FALSE(plugin.Loaded());
    EXPECT_EQ(plugin.Name, "(none)");
    EXPECT_EQ(*log.Instances, before);
    log.Clear();
    plugin.Unload();  // nothing loaded: nothing called
    plugin.SetBlockSize(64);
    EXPECT_EQ(*log.Count, 0);
  }
}

TEST(VSTPlugin, EntryFallsBackToVSTPluginMain) {
  TVSTPlugin plugin;
  EXPECT_EQ(plugin.Load(PluginPath("TestAltEntry"), 64), TPluginLoadResult::Loaded);
  EXPECT_EQ(plugin.Name, "TestAltEntry");
}

// A record that is missing or unusable is never called, and nothing stays
// loaded.
TEST(VSTPlugin, MisbehavingPluginsAreRefusedWhole) {
  struct Case {
    const char* Name;
    TPluginLoadResult Result;
  };
  for (const Case& c : {Case{"TestBadMagic", TPluginLoadResult::BadEffect},
                        Case{"TestHugeIO", TPluginLoadResult::BadEffect},
                        Case{"TestHugeParams", TPluginLoadResult::BadEffect},
                        Case{"TestNegPrograms", TPluginLoadResult::BadEffect},
                        Case{"TestNullProc", TPluginLoadResult::BadEffect}}) {
    TPluginLog log(c.Name);
    ASSERT_TRUE(log.Ok()) << c.Name;
    TVSTPlugin plugin;
    EXPECT_EQ(plugin.Load(PluginPath(c.Name), 64), c.Result) << c.Name;
    EXPECT_FALSE(plugin.Loaded()) << c.Name;
    EXPECT_FALSE(plugin.Active.load()) << c.Name;
    EXPECT_EQ(plugin.Name, "(none)") << c.Name;
    EXPECT_EQ(*log.Count, 0) << c.Name << ": the refused record was called";
  }
  for (const Case& c : {Case{"TestNullRecord", TPluginLoadResult::NoEffect},
                        Case{"TestNoEntry", TPluginLoadResult::NoEntry},
                        Case{"NoSuchPlugin", TPluginLoadResult::NoLibrary}}) {
    TVSTPlugin plugin;
    EXPECT_EQ(plugin.Load(PluginPath(c.Name), 64), c.Result) << c.Name;
    EXPECT_FALSE(plugin.Loaded());
    EXPECT_FALSE(test::PluginLibraryLoaded(c.Name)) << c.Name << " stayed loaded";
  }
  // A file that is not a library at all.
  TVSTPlugin plugin;
  EXPECT_EQ(plugin.Load(PluginsDir(), 64), TPluginLoadResult::NoLibrary);
}

TEST_F(PluginHostTest, StripLoadsByBareNameOnly) {
  TPluginRack& rack = Host.Slot(1, 2);
  for (const char* bad : {"", ".", "..", "../plugins/TestGain", "TestGain/", "a:b", "sub\\TestGain"}) {
    EXPECT_FALSE(rack.LoadPlugin(Host.Folder, bad)) << bad;
    EXPECT_FALSE(rack.Plugin.Loaded());
  }
  EXPECT_FALSE(rack.LoadPlugin("", "TestGain"));
  // Found in any case; named after the file.
  ASSERT_TRUE(rack.LoadPlugin(Host.Folder, "testgain"));
  EXPECT_EQ(rack.Plugin.Name, "TestGain");
  EXPECT_EQ(rack.Caption(), "TestGain");
  // A refused plug-in leaves the slot empty, also when one was loaded.
  EXPECT_FALSE(rack.LoadPlugin(Host.Folder, "TestBadMagic"));
  EXPECT_EQ(rack.LastLoadResult, TPluginLoadResult::BadEffect);
  EXPECT_FALSE(rack.Plugin.Loaded());
  EXPECT_EQ(rack.Caption(), "(none)");
  EXPECT_EQ(rack.Colour, EmptyStripColour);
}

TEST_F(PluginHostTest, ProgramNamesAndParameterControls) {
  TPluginLog log("TestGain");
  TPluginRack& rack = Load(0, 0, "TestGain");
  // Long names are cut to 24 characters; program 0 is set last.
  EXPECT_EQ(rack.Plugin.ProgramNames,
            (std::vector<std::string>{"Default", "Unity", "AProgramNameFarLongerTha"}));
  ASSERT_EQ(rack.Plugin.ParamControls.size(), 2u);
  const TPlugParamControl& gain = *rack.Plugin.ParamControls[0];
  const TPlugParamControl& other = *rack.Plugin.ParamControls[1];
  EXPECT_EQ(gain.Name, "Gain");
  EXPECT_EQ(gain.Unit, "x");
  EXPECT_EQ(gain.Wheel.load(), 32768);
  EXPECT_EQ(gain.Display, "0.500");
  EXPECT_EQ(other.Name, "Parameter number 1 with ");
  EXPECT_EQ(other.Wheel.load(), 16384);

  rack.SetProgram(1);
  EXPECT_EQ(gain.Wheel.load(), 65536);
  EXPECT_EQ(gain.Display, "1.000");

  rack.Plugin.ParamWheelChange(0, 16384);
  EXPECT_EQ(rack.Plugin.GetParameter(0), 0.25f);
  EXPECT_EQ(gain.Display, "0.250");
  rack.Plugin.SetParameter(0, 1.5f);
  EXPECT_EQ(rack.Plugin.GetParameter(0), 1.0f);
  rack.Plugin.SetParameter(0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(rack.Plugin.GetParameter(0), 1.0f);
  rack.Plugin.SetParameter(7, 0.5f);  // no such parameter
  EXPECT_EQ(rack.Plugin.GetParameter(7), 0.0f);
}

TEST_F(PluginHostTest, ParameterControlsWrapIntoRows) {
  TPluginRack& rack = Host.Slot(2, 0);
  rack.PanelWidth = 200;
  Load(2, 0, "TestParams100");
  const auto& c = rack.Plugin.ParamControls;
  ASSERT_EQ(c.size(), 100u);
  EXPECT_EQ(std::make_pair(c[0]->Left, c[0]->Top), std::make_pair(4, 25));
  EXPECT_EQ(std::make_pair(c[1]->Left, c[1]->Top), std::make_pair(97, 25));
  EXPECT_EQ(std::make_pair(c[2]->Left, c[2]->Top), std::make_pair(4, 65));
  EXPECT_EQ(std::make_pair(c[99]->Left, c[99]->Top), std::make_pair(97, 25 + 49 * 40));
  // 4 + 93 + 66 = 163 still fits a 163-pixel panel.
  rack.Plugin.BuildParamControls(163);
  EXPECT_EQ(c[1]->Top, 25);
  EXPECT_EQ(c[2]->Top, 65);
  rack.Plugin.BuildParamControls(162);
  EXPECT_EQ(c[1]->Top, 65);
  // Narrower than one control: one a row, the first on the first row.
  rack.Plugin.BuildParamControls(30);
  EXPECT_EQ(c[0]->Top, 25);
  EXPECT_EQ(c[1]->Top, 65);
  EXPECT_EQ(c[1]->Left, 4);
}

TEST_F(PluginHostTest, AutomationMovesTheWheelAndTellsTheWindows) {
  TPluginLog log("TestGain");
  AutomationRecorder recorder;
  SetEngineListener(&recorder);
  TPluginRack& rack = Load(3, 1, "TestGain");
  TVSTEffect* effect = rack.Plugin.Effect;
  TVSTHostCallback host = *log.Host;
  EXPECT_EQ(host(effect, audioMasterAutomate, 1, 0, nullptr, 0.75f), 0);
  EXPECT_EQ(rack.Plugin.ParamControls[1]->Wheel.load(), 49152);
  host(effect, audioMasterAutomate, 2, 0, nullptr, 0.5f);   // beyond the controls
  host(effect, audioMasterAutomate, -1, 0, nullptr, 0.5f);
  TVSTEffect stranger{};
  host(&stranger, audioMasterAutomate, 0, 0, nullptr, 0.5f);  // no plug-in of ours
  EXPECT_EQ(rack.Plugin.ParamControls[0]->Wheel.load(), 32768);
  SetEngineListener(nullptr);
  ASSERT_EQ(recorder.Posts.size(), 1u);
  EXPECT_EQ(recorder.Posts[0].Slot, 3 * 4 + 1);
  EXPECT_EQ(recorder.Posts[0].Index, 1);
  EXPECT_EQ(recorder.Posts[0].Value, 0.75f);
  rack.UnloadPlugin();
  host(effect, audioMasterAutomate, 0, 0, nullptr, 0.5f);  // after unloading: ignored
}

// --------------------------------------------------------------- captions

TEST_F(PluginHostTest, CaptionsAndColours) {
  EXPECT_EQ(Load(1, 0, "TestMono").Caption(), "TestMono (mono to stereo)");
  EXPECT_EQ(Load(1, 1, "TestDownmix").Caption(), "TestDownmix (stereo to mono)");
  EXPECT_EQ(Load(1, 2, "TestAccum").Caption(), "TestAccum  (no replacing)");
  EXPECT_EQ(Load(1, 3, "TestFour").Caption(), "TestFour (4 channels to 4 channels)");
  EXPECT_EQ(ChannelCountWord(0), "");

  // Hue = (sum of codes x 4) mod 361 at saturation 0.5, lightness 0.6.
  EXPECT_EQ(PluginNameColour(""), 0xCC6666u);                 // hue 0
  EXPECT_EQ(PluginNameColour(std::string(1, '\x1e')), 0x66CC66u);  // 120
  EXPECT_EQ(PluginNameColour(std::string(1, '\x3c')), 0x6666CCu);  // 240
  EXPECT_EQ(PluginNameColour("Z"), PluginNameColour(""));          // 360 of 361: red again
  TPluginRack& rack = Host.Slot(1, 0);
  EXPECT_EQ(rack.Colour, PluginNameColour("TestMono"));
  EXPECT_EQ(rack.ButtonColour(), LighterShade(rack.Colour));
  rack.ToggleBypass();
  EXPECT_FALSE(rack.Plugin.Active.load());
  EXPECT_EQ(rack.ButtonColour(), rack.Colour);
  EXPECT_EQ(rack.TextColour(), DarkerShade(rack.Colour));
  EXPECT_EQ(LighterShade(0x204060), 0x8F9FAFu);
  EXPECT_EQ(DarkerShade(0x306090), 0x102030u);
  rack.UnloadPlugin();
  EXPECT_EQ(rack.Colour, EmptyStripColour);
}

// ------------------------------------------------------------- processing

TEST_F(PluginHostTest, EmptyOrBypassedTrackLeavesTheBusUntouched) {
  auto bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 1, 64);
  EXPECT_EQ(bus, original);
  TPluginRack& rack = Load(1, 2, "TestGain");
  rack.ToggleBypass();
  Host.RunEffectSlots(bus.data(), 1, 64);
  EXPECT_EQ(bus, original);
  Host.RunEffectSlots(bus.data(), 2, 64);  // another track
  EXPECT_EQ(bus, original);
}

TEST_F(PluginHostTest, StereoGainInPlace) {
  Load(0, 1, "TestGain");
  auto bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 0, 64);
  for (size_t i = 0; i < bus.size(); ++i) ASSERT_EQ(bus[i], original[i] * 0.5f) << i;
}

TEST_F(PluginHostTest, MonoInAfterStereoIsMixedDownAndWrittenBackAsStereo) {
  Load(2, 0, "TestGain");
  Load(2, 3, "TestMono");
  auto bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 2, 64);
  for (int i = 0; i < 64; ++i) {
    const float m = (original[size_t(2 * i)] * 0.5f + original[size_t(2 * i + 1)] * 0.5f) * 0.5f;
    ASSERT_EQ(bus[size_t(2 * i)], m) << i;
    ASSERT_EQ(bus[size_t(2 * i + 1)], m * 0.25f) << i;
  }
}

// A side without channels: no inputs are fed silence, no outputs leave
// the signal as it came.
TEST_F(PluginHostTest, PluginsWithNoInputsOrNoOutputsAreHosted) {
  TPluginRack& in = Load(1, 0, "TestZeroIn");
  EXPECT_TRUE(in.Plugin.Loaded());
  EXPECT_EQ(in.Caption(), "TestZeroIn ( to stereo)");
  auto bus = Ramp(64);
  Host.RunEffectSlots(bus.data(), 1, 64);
  for (float v : bus) ASSERT_EQ(v, 0.0f);
  in.UnloadPlugin();

  Load(3, 0, "TestGain");
  TPluginRack& out = Load(3, 1, "TestZeroOut");
  EXPECT_EQ(out.Caption(), "TestZeroOut (stereo to )");
  bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 3, 64);
  for (size_t i = 0; i < bus.size(); ++i) ASSERT_EQ(bus[i], original[i] * 0.5f) << i;
}

TEST_F(PluginHostTest, MonoOutIsWrittenToBothSides) {
  Load(4, 0, "TestDownmix");
  auto bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 4, 64);
  for (int i = 0; i < 64; ++i) {
    const float d = original[size_t(2 * i)] - original[size_t(2 * i + 1)];
    ASSERT_EQ(bus[size_t(2 * i)], d);
    ASSERT_EQ(bus[size_t(2 * i + 1)], d);
  }
}

TEST_F(PluginHostTest, WithoutReplacingTheSignalMovesToZeroedBuffers) {
  // Accumulating x 2 into zeroed buffers, then x 0.5 in place there, then
  // accumulating again into the first set (zeroed again, not stale).
  Load(3, 0, "TestAccum");
  Load(3, 1, "TestGain");
  Load(3, 2, "TestAccum");
  auto bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 3, 64);
  for (size_t i = 0; i < bus.size(); ++i) ASSERT_EQ(bus[i], original[i] * 2.0f) << i;
  Host.RunEffectSlots(bus.data(), 3, 64);
  for (size_t i = 0; i < bus.size(); ++i) ASSERT_EQ(bus[i], original[i] * 4.0f) << i;
}

TEST_F(PluginHostTest, ExtraChannelsGetSilenceAndAreDropped) {
  Load(1, 0, "TestFour");
  auto bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 1, 64);
  EXPECT_EQ(bus, original);
}

TEST_F(PluginHostTest, LongBlocksRunInPiecesOfTheBufferLength) {
  Load(0, 0, "TestGain");
  auto bus = Ramp(150);
  const auto original = bus;
  Host.ProcessTrack(0, bus.data(), 150);
  for (size_t i = 0; i < bus.size(); ++i) ASSERT_EQ(bus[i], original[i] * 0.5f) << i;
  Host.ProcessTrack(9, bus.data(), 150);  // no such track
  Host.ProcessTrack(-1, bus.data(), 150);
}

TEST_F(PluginHostTest, BusPluginsActiveOnlyForBusesOneToThree) {
  EXPECT_FALSE(Host.BusPluginsActive());
  Load(0, 0, "TestGain");
  Load(1, 3, "TestGain");
  EXPECT_FALSE(Host.BusPluginsActive());  // master and bus 0
  TPluginRack& rack = Load(4, 3, "TestGain");
  EXPECT_TRUE(Host.BusPluginsActive());
  rack.ToggleBypass();
  EXPECT_FALSE(Host.BusPluginsActive());
  rack.ToggleBypass();
  EXPECT_TRUE(Host.BusPluginsActive());
  Host.UnloadAll();
  EXPECT_FALSE(Host.BusPluginsActive());
  for (int t = 0; t < PluginTracks; ++t)
    for (int s = 0; s < PluginSlotsPerTrack; ++s) EXPECT_FALSE(Host.Slot(t, s).Plugin.Loaded());
}

TEST_F(PluginHostTest, ResetAllSwitchesOnlyActivePluginsOffAndOn) {
  TPluginLog log("TestGain");
  Load(0, 0, "TestGain");
  Load(2, 1, "TestGain").ToggleBypass();
  log.Clear();
  Host.ResetAllPlugins();
  using C = std::pair<int32_t, intptr_t>;
  EXPECT_EQ(log.Calls(), (std::vector<C>{{effMainsChanged, 0}, {effMainsChanged, 1}}));
}

// The mixer tells the host its block length; the block is processed
// without allocating.
TEST_F(PluginHostTest, MixerBlocksReachThePlugins) {
  TPluginLog log("TestGain");
  MixerGuard lock;
  TMixer mixer;
  Load(0, 0, "TestGain");
  Load(2, 0, "TestAccum");
  Load(2, 1, "TestMono");
  log.Clear();
  mixer.SetPluginHook(&Host);
  EXPECT_EQ(Host.BufferFrames(), MaxPluginBlockFrames);  // of the mixer's 8820
  mixer.SetBlockFrames(100);
  EXPECT_EQ(Host.BufferFrames(), 100);
  using C = std::pair<int32_t, intptr_t>;
  EXPECT_EQ(log.Calls(), (std::vector<C>{{effSetBlockSize, MaxPluginBlockFrames}, {effSetBlockSize, 100}}));
  mixer.MixBlock();  // the first block may set up the song
  for (int b = 0; b < MixBusCount; ++b) std::fill_n(mixer.Bus(b), 200, 0.5f);
  {
    testing::AllocCounter counter;
    mixer.MixBlock();
    EXPECT_EQ(counter.Count(), 0);
  }
  // Bus 1: x 2 then mono-mixed (1.0) with right x 0.25; summed into bus 0
  // (0.5 + 1.0, 0.5 + 0.25 + 0.5 + 0.5) and halved by the master gain.
  EXPECT_EQ(mixer.Bus(0)[0], (0.5f + 1.0f + 0.5f + 0.5f) * 0.5f);
  EXPECT_EQ(mixer.Bus(0)[1], (0.5f + 0.25f + 0.5f + 0.5f) * 0.5f);
  mixer.SetPluginHook(nullptr);
}

// The plug-in menu's names, and slots changing places with their plug-ins.
TEST_F(PluginHostTest, MenuNamesAndSlotsChangingPlaces) {
  const std::vector<std::string> names = PluginFileNames(PluginsDir());
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names.front(), "TestAccum");
  EXPECT_EQ(names.back(), "(none)");
  EXPECT_NE(std::find(names.begin(), names.end(), "TestGain"), names.end());
  EXPECT_EQ(PluginFileNames(PluginsDir() + "missing/"), std::vector<std::string>{"(none)"});
  EXPECT_EQ(PluginFileNames(""), std::vector<std::string>{"(none)"});

  TPluginRack& gain = Load(1, 0, "TestGain");
  Host.SwapSlots(1, 0, 2);
  EXPECT_EQ(&Host.Slot(1, 2), &gain);
  EXPECT_EQ(gain.Slot, 2);
  EXPECT_EQ(gain.Plugin.SlotNumber, 6);
  EXPECT_FALSE(Host.Slot(1, 0).Plugin.Loaded());
  EXPECT_EQ(Host.Slot(1, 0).Slot, 0);
  EXPECT_EQ(Host.Slot(1, 0).Plugin.SlotNumber, 4);
  Host.SwapSlots(1, 2, 4);  // no such slot: nothing
  EXPECT_EQ(&Host.Slot(1, 2), &gain);
  auto bus = Ramp(64);
  const auto original = bus;
  Host.RunEffectSlots(bus.data(), 1, 64);
  EXPECT_EQ(bus[10], original[10] * 0.5f);
}

// A mix block of 8820 frames reaches the plug-ins in pieces of 2048 at
// most, as effSetBlockSize tells them; a plug-in that works frame by frame
// gives the same output as over one block.
TEST_F(PluginHostTest, LongMixBlocksReachPluginsInPiecesOfAtMost2048) {
  TPluginLog log("TestGain");
  ASSERT_TRUE(log.LongestBlock);
  Load(0, 0, "TestGain");
  log.Clear();
  Host.SetBlockFrames(8820);
  EXPECT_EQ(Host.BufferFrames(), MaxPluginBlockFrames);
  using C = std::pair<int32_t, intptr_t>;
  EXPECT_EQ(log.Calls(), (std::vector<C>{{effSetBlockSize, 2048}}));
  // A plug-in loaded now is told the same.
  log.Clear();
  Load(0, 1, "TestGain");
  EXPECT_EQ(log.Calls()[2], (C{effSetBlockSize, 2048}));
  Host.Slot(0, 1).UnloadPlugin();

  *log.LongestBlock = 0;
  auto bus = Ramp(8820);
  const auto original = bus;
  Host.ProcessTrack(0, bus.data(), 8820);
  EXPECT_EQ(*log.LongestBlock, 2048);
  for (size_t i = 0; i < bus.size(); ++i) ASSERT_EQ(bus[i], original[i] * 0.5f) << i;
  // Short blocks go through whole; zero is no block.
  Host.SetBlockFrames(300);
  EXPECT_EQ(Host.BufferFrames(), 300);
  EXPECT_EQ(PluginBlockFrames(0), 1);
  EXPECT_EQ(PluginBlockFrames(2049), 2048);
}

// ---------------------------------------------------------------- editors

class FakeEditorWindow : public TPluginEditorWindow {
public:
  explicit FakeEditorWindow(int& alive) : Alive(alive) { ++Alive; }
  ~FakeEditorWindow() override { --Alive; }
  void* NativeHandle() override { return reinterpret_cast<void*>(uintptr_t(0x4711)); }
  void SetCaption(const std::string& caption) override { Caption = caption; }
  void SetBounds(int left, int top, int width, int height) override { Bounds = {left, top, width, height}; }
  void SetVisible(bool visible) override { Shown = visible; }
  bool Visible() const override { return Shown; }
  void Position(int& left, int& top) const override {
    left = 333;
    top = 222;
  }
  std::string Caption;
  std::vector<int> Bounds;
  bool Shown = false;
  int& Alive;
};

class FakeEditorFactory : public TPluginEditorFactory {
public:
  std::unique_ptr<TPluginEditorWindow> CreateEditorWindow() override {
    auto w = std::make_unique<FakeEditorWindow>(Alive);
    Last = w.get();
    return w;
  }
  int Alive = 0;
  FakeEditorWindow* Last = nullptr;
};

TEST_F(PluginHostTest, EditorOpensSizedIdlesAndCloses) {
  TPluginLog log("TestGain");
  TPluginRack& rack = Load(1, 0, "TestGain");
  rack.ShowEditor();  // no window side: nothing opens
  EXPECT_FALSE(rack.Plugin.EditorForm);

  FakeEditorFactory factory;
  SetPluginEditorFactory(&factory);
  rack.Plugin.EditorX = 50;
  rack.Plugin.EditorY = 60;
  log.Clear();
  rack.ShowEditor();
  ASSERT_TRUE(rack.Plugin.EditorForm);
  EXPECT_EQ(log.Opcodes(), (std::vector<int32_t>{effEditOpen, effEditGetRect}));
  EXPECT_EQ(log.Ptrs[0], reinterpret_cast<void*>(uintptr_t(0x4711)));
  EXPECT_EQ(factory.Last->Caption, "TestGain  (FX Track 1)");
  EXPECT_EQ(factory.Last->Bounds, (std::vector<int>{50, 60, 300, 120}));
  EXPECT_TRUE(rack.EditorVisible());
  rack.ShowEditor();
  EXPECT_FALSE(rack.EditorVisible());
  rack.ShowEditor();
  EXPECT_TRUE(rack.EditorVisible());
  EXPECT_EQ(factory.Alive, 1);

  log.Clear();
  IdleEditors();
  EXPECT_EQ(log.Opcodes(), (std::vector<int32_t>{effEditIdle}));
  log.Clear();
  rack.UnloadPlugin();  // closes the editor first
  EXPECT_EQ(log.Opcodes(), (std::vector<int32_t>{effMainsChanged, effEditClose, effClose}));
  EXPECT_EQ(factory.Alive, 0);
  EXPECT_EQ(rack.Plugin.EditorX, 4);
  EXPECT_EQ(rack.Plugin.EditorY, 4);
  log.Clear();
  IdleEditors();
  EXPECT_EQ(*log.Count, 0);

  // A plug-in without an editor opens none.
  Load(1, 1, "TestMono").ShowEditor();
  EXPECT_FALSE(Host.Slot(1, 1).Plugin.EditorForm);
  SetPluginEditorFactory(nullptr);
}

}  // namespace
}  // namespace vs
