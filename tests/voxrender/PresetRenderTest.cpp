#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "VoxFixture.h"

using namespace voxtest;

namespace {

uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Loads and renders a preset file made from f.
std::vector<int16_t> Render(const SynFile& f, int32_t note = -1) {
  TempDir dir;
  Holder h;
  std::vector<int16_t> v;
  EXPECT_TRUE(h.Load(dir.Write("p.syn", f.Bytes())));
  EXPECT_TRUE(h.Gen(v, note));
  return v;
}

bool AllZero(const std::vector<int16_t>& v) {
  for (int16_t x : v)
    if (x != 0) return false;
  return true;
}

TEST(PresetRender, DefaultPresetLengthHeaderAndRepeatability) {
  TempDir dir;
  Holder h;
  ASSERT_TRUE(h.Load(dir.Write("default.syn", SynFile().Bytes())));
  std::vector<int16_t> a, b;
  ASSERT_TRUE(h.Gen(a));
  EXPECT_EQ(a.size(), 35296u);  // 17648 frames

  const unsigned char* hd = h.Header();
  EXPECT_EQ(std::memcmp(hd, "RIFF", 4), 0);
  EXPECT_EQ(Le32(hd + 4), 35296u * 2 + 36);
  EXPECT_EQ(std::memcmp(hd + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(Le32(hd + 16), 16u);
  EXPECT_EQ(Le16(hd + 20), 1);
  EXPECT_EQ(Le16(hd + 22), 2);
  EXPECT_EQ(Le32(hd + 24), 44100u);
  EXPECT_EQ(Le32(hd + 28), 176400u);
  EXPECT_EQ(Le16(hd + 32), 4);
  EXPECT_EQ(Le16(hd + 34), 16);
  EXPECT_EQ(std::memcmp(hd + 36, "data", 4), 0);
  EXPECT_EQ(Le32(hd + 40), 17648u * 4);

  // Rendering again, and in another holder, gives the same bytes.
  ASSERT_TRUE(h.Gen(b));
  EXPECT_EQ(a, b);
  Holder other;
  ASSERT_TRUE(other.Load(dir.File("default.syn")));
  ASSERT_TRUE(other.Gen(b));
  EXPECT_EQ(a, b);

  // Mono mode: both channels equal; normalised to just below full scale.
  EXPECT_EQ(Left(a), Right(a));
  EXPECT_GE(MaxAbs(a), 29000);
  EXPECT_LE(MaxAbs(a), 32513);
}

TEST(PresetRender, DefaultPresetDecaysToSilence) {
  std::vector<int16_t> left = Left(Render(SynFile()));
  ASSERT_EQ(left.size(), 17648u);
  EXPECT_GT(MaxAbs(left, 0, 2000), 20000);
  EXPECT_LT(MaxAbs(left, 17648 - 200), 40);
  // No DC: the signal's mean over the loud part is near zero.
  double sum = 0;
  for (size_t i = 0; i < 4410; ++i) sum += left[i];
  EXPECT_LT(std::abs(sum / 4410), 1500.0);
}

TEST(PresetRender, OscillatorsOffGiveSilenceOfTheEnvelopeLength) {
  SynFile f;
  f.Osc[0].Off = 1;
  f.Env[0].Duration = {10, 20, 0, 0, 0};
  f.Env[0].Level = {255, 100, 0, 0, 0};
  std::vector<int16_t> v = Render(f);
  EXPECT_EQ(v.size(), 2u * 1328);  // 441 + 882 = 1323 -> 1328
  EXPECT_TRUE(AllZero(v));

  // An oscillator that is on with level 0 gives silence too.
  f.Osc[0].Off = 0;
  f.Osc[0].Level = 0;
  v = Render(f);
  EXPECT_EQ(v.size(), 2u * 1328);
  EXPECT_TRUE(AllZero(v));
}

TEST(PresetRender, EnvelopeLengthEdges) {
  struct Case {
    std::array<int16_t, 5> Duration, Level;
    size_t Frames;
  };
  const Case cases[] = {
      {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, 16},            // all zero: a defined length
      {{-5, 400, 0, 0, 0}, {255, 0, 0, 0, 0}, 17648},    // negative durations count 0
      {{-32768, -1, -400, 0, 0}, {255, 0, 0, 0, 0}, 16},
      {{100, 100, 100, 100, 100}, {0, 0, 0, 0, 9}, 22064},  // last level set: all five
      {{100, 100, 100, 100, 100}, {0, 0, 0, 0, 0}, 22064},  // none set: all five
      {{100, 100, 100, 100, 100}, {0, 256, 0, 0, 0}, 22064}, // only the low byte counts
      {{100, 100, 100, 100, 100}, {0, 1, 0, 0, 0}, 13232},  // through segment 2
      {{100, 100, 100, 100, 100}, {255, 0, 0, 0, 0}, 8832},  // through segment 1
  };
  for (const Case& c : cases) {
    SynFile f;
    f.Osc[0].Off = 1;
    f.Env[0].Duration = c.Duration;
    f.Env[0].Level = c.Level;
    EXPECT_EQ(Render(f).size(), 2 * c.Frames) << c.Duration[0] << " " << c.Level[4];
  }
}

TEST(PresetRender, LongestEnvelopeRendersWithoutOverflow) {
  SynFile f;
  f.Env[0].Duration = {32767, 32767, 32767, 32767, 32767};
  f.Env[0].Level = {255, 255, 255, 255, 255};
  f.FilterType = 8787;
  std::vector<int16_t> v = Render(f);
  EXPECT_EQ(v.size(), 2u * ((5 * 1445024 + 16) & ~15u));
}

TEST(PresetRender, NoteReplacesThePresetsNote) {
  TempDir dir;
  Holder h;
  ASSERT_TRUE(h.Load(dir.Write("sine.syn", SynFile::Sine().Bytes())));
  std::vector<int16_t> own, high, again;
  ASSERT_TRUE(h.Gen(own));
  ASSERT_TRUE(h.Gen(high, 24));
  ASSERT_TRUE(h.Gen(again, -1));  // the preset keeps note 24
  double r12 = CrossingRate(Left(own), 0, 12000);
  double r24 = CrossingRate(Left(high), 0, 12000);
  ASSERT_GT(r12, 50.0);
  EXPECT_NEAR(r24 / r12, 2.0, 0.04);
  EXPECT_EQ(again, high);

  // The same for the default sound, a filtered saw.
  EXPECT_NEAR(CrossingRate(Left(Render(SynFile(), 24)), 0, 12000) /
                  CrossingRate(Left(Render(SynFile())), 0, 12000),
              2.0, 0.04);

  // A pitch word of 1200 cents is the same octave.
  SynFile up = SynFile::Sine();
  up.Osc[0].Pitch = 1200;
  EXPECT_NEAR(CrossingRate(Left(Render(up)), 0, 12000) / r12, 2.0, 0.04);
}

TEST(PresetRender, ExtremeNotesAndPitchesStayInRange) {
  for (int32_t note : {0, 275, 276, 1000, 32767, 100000}) {
    SynFile f = SynFile::Sine();
    f.Osc[0].Pitch = 32767;
    std::vector<int16_t> v = Render(f, note);
    EXPECT_EQ(v.size(), 35296u) << note;
  }
  SynFile f = SynFile::Sine();
  f.Note = -32768;
  f.Osc[0].Pitch = -32768;
  EXPECT_EQ(Render(f).size(), 35296u);
}

TEST(PresetRender, HalfSpeedInterleavesAverages) {
  SynFile f;
  std::vector<int16_t> plain = Render(f);
  f.HalfSpeed = 1;
  std::vector<int16_t> slow = Render(f);
  const size_t n = plain.size() / 2;
  ASSERT_EQ(slow.size() / 2, 2 * (n - 1));
  for (size_t i = 0; i + 1 < n; i += 997) {
    EXPECT_EQ(slow[4 * i], plain[2 * i]);
    EXPECT_EQ(slow[4 * i + 1], plain[2 * i + 1]);
    EXPECT_NEAR(slow[4 * i + 2], (plain[2 * i] + plain[2 * i + 2]) / 2.0, 1.0);
  }
}

TEST(PresetRender, NormaliseRaisesQuietSoundsOnly) {
  SynFile loud;  // a full-scale pulse without filter
  loud.Osc[0].Type = 0;
  loud.FilterType = 8787;
  loud.Normalise = 0;
  std::vector<int16_t> off = Render(loud);
  loud.Normalise = 1;
  EXPECT_EQ(Render(loud), off);  // factor below 1.1: unchanged
  EXPECT_GT(MaxAbs(off), 31000);

  SynFile quiet = loud;
  quiet.Env[0].Level = {40, 0, 0, 0, 0};
  quiet.Normalise = 0;
  int before = MaxAbs(Render(quiet));
  quiet.Normalise = 1;
  int after = MaxAbs(Render(quiet));
  EXPECT_LT(before, 2000);
  EXPECT_NEAR(after, 32512, 2);
}

TEST(PresetRender, StereoModes) {
  SynFile f;
  const std::vector<int16_t> mono = Left(Render(f));

  f.Stereo = 3100;  // right = left 176 frames earlier
  std::vector<int16_t> v = Render(f);
  std::vector<int16_t> l = Left(v), r = Right(v);
  EXPECT_EQ(l, mono);
  for (size_t i = 0; i < 176; ++i) ASSERT_EQ(r[i], 0);
  for (size_t i = 176; i < r.size(); ++i) ASSERT_EQ(r[i], l[i - 176]);

  f.Stereo = 1234;  // unknown: mono copy
  v = Render(f);
  EXPECT_EQ(Left(v), mono);
  EXPECT_EQ(Right(v), mono);

  // A sound shorter than the long delay: the right channel is all delay.
  SynFile shortSound;
  shortSound.Env[0].Duration = {0, 20, 0, 0, 0};
  shortSound.Stereo = 3102;
  v = Render(shortSound);
  ASSERT_EQ(v.size(), 2u * 896);
  EXPECT_GT(MaxAbs(Left(v)), 1000);
  EXPECT_TRUE(AllZero(Right(v)));

  f.Stereo = 3098;  // auto-pan: from right to left
  v = Render(f);
  EXPECT_LT(MaxAbs(Left(v), 0, 100), MaxAbs(Right(v), 0, 100) / 10 + 1);
}

TEST(PresetRender, EveryModeAndSwitchOnEveryLength) {
  const std::array<int16_t, 5> durations[] = {{0, 0, 0, 0, 0}, {0, 5, 0, 0, 0}, {0, 20, 0, 0, 0},
                                              {0, 400, 0, 0, 0}, {300, 500, 0, 0, 0}};
  for (int mode : {3097, 3098, 3099, 3100, 3101, 3102, 3103, 3104, 0, -1}) {
    for (const auto& d : durations) {
      SynFile f;
      f.Stereo = static_cast<int16_t>(mode);
      f.Env[0].Duration = d;
      f.Env[0].Level = {255, 128, 0, 0, 0};
      f.Distortion = 1;
      f.FilterType = 8789;
      std::vector<int16_t> a = Render(f);
      EXPECT_EQ(a, Render(f)) << mode;
      f.HalfSpeed = 1;
      f.Distortion = 0;
      EXPECT_FALSE(Render(f).empty()) << mode;
    }
  }
}

TEST(PresetRender, ImageIsAValidWAVForPython) {
  if (std::system("python3 -c 'import wave' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  TempDir dir;
  Holder h;
  ASSERT_TRUE(h.Load(dir.Write("p.syn", SynFile().Bytes())));
  std::vector<int16_t> v;
  ASSERT_TRUE(h.Gen(v));
  std::vector<unsigned char> image(h.Header(), h.Header() + 44 + v.size() * 2);
  std::string wav = dir.Write("out.wav", image);
  std::string out = dir.File("info.txt");
  std::string cmd = "python3 -c \"import wave,sys; w=wave.open(sys.argv[1]); "
                    "print(w.getnchannels(), w.getframerate(), w.getsampwidth(), w.getnframes())\" '" +
                    wav + "' > '" + out + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(out);
  int channels = 0, rate = 0, width = 0, frames = 0;
  in >> channels >> rate >> width >> frames;
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(rate, 44100);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(frames, 17648);
}

TEST(PresetRender, OscillatorTypesAndLinks) {
  // Each source alone, with every switch, and with LFO and envelope links.
  for (int type : {0, 1, 2, 3}) {
    for (int width : {0, 10, 49, 50, 90, 100}) {
      SynFile f;
      f.Osc[0].Type = static_cast<int16_t>(type);
      f.Osc[0].Width = static_cast<int16_t>(width);
      f.Osc[0].Option1 = f.Osc[0].Option2 = f.Osc[0].Option3 = 1;
      f.Osc[0].LFODepth = 50;
      f.Osc[0].EnvDepth = -40;
      f.Env[1].UseEnvelope0 = 0;
      f.Osc[3].EnvDepth = 20;
      f.LFOCutoffDepth = 30;
      std::vector<int16_t> v = Render(f);
      EXPECT_EQ(v.size(), 35296u);
      if (type != 0 || (width > 0 && width < 100)) {
        EXPECT_GT(MaxAbs(v), 1000) << type << " " << width;
      }
    }
  }
  // A noise LFO and an LFO of an unknown shape.
  for (int type : {3, 4, 9}) {
    SynFile f;
    f.Osc[3].Type = static_cast<int16_t>(type);
    f.Osc[0].LFODepth = 100;
    EXPECT_EQ(Render(f).size(), 35296u);
  }
}

TEST(PresetRender, ThreeOscillatorsShareTheLevel) {
  SynFile f = SynFile::Sine();
  for (int k = 0; k < 3; ++k) {
    f.Osc[k] = f.Osc[0];
    f.Osc[k].Level = 100;
  }
  // Three equal sines in phase sum to one sine of the same height.
  std::vector<int16_t> three = Render(f);
  EXPECT_NEAR(MaxAbs(three), MaxAbs(Render(SynFile::Sine())), 40);
}

}  // namespace
