#include "outside/mb404/MB404.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

namespace vs {
namespace {

struct Step {
  int Note = 60;
  bool On = true;
  bool Slide = false;
  int Cutoff = 0;
};

// Plays a looping pattern into a record the way the mixer does: the slots
// are filled ahead for every step that begins within a block, the render
// position is set, and slots 0 and 1 move on afterwards.
class Player {
public:
  explicit Player(std::vector<Step> pattern, int framesPerStep = 5512, int gate = 224)
      : Pattern(std::move(pattern)), FramesPerStep(framesPerStep), Gate(gate) {}

  std::unique_ptr<MB404Params> Rec = NewMB404Params();

  std::vector<int16_t> Play(int frames, int block = 512) {
    std::vector<int16_t> out;
    std::vector<int16_t> buf(block);
    while (static_cast<int>(out.size()) < frames) {
      const int64_t end = MixPosition + block;
      int k = 1;
      int s = MixStep;
      for (int64_t f = NextStepFrame - FramesPerStep; f < end && k < MB404Slots - 1;
           f += FramesPerStep) {
        s = (s + 1) % static_cast<int>(Pattern.size());
        ++k;
        const Step& st = Pattern[s];
        Rec->Note[k] = static_cast<int16_t>(st.Note);
        Rec->On[k] = st.On;
        Rec->Slide[k] = st.Slide;
        Rec->Cutoff[k] = static_cast<uint8_t>(st.Cutoff);
      }
      Rec->StepLength = FramesPerStep;
      Rec->StepPosition = static_cast<int32_t>(FramesPerStep - (NextStepFrame - MixPosition));
      Rec->GateLength = (FramesPerStep - 1) * Gate >> 8;
      Render404(buf.data(), block, Rec.get());
      if (k >= 3) {
        Rec->Note[0] = Rec->Note[k - 2]; Rec->Note[1] = Rec->Note[k - 1];
        Rec->On[0] = Rec->On[k - 2]; Rec->On[1] = Rec->On[k - 1];
        Rec->Slide[0] = Rec->Slide[k - 2]; Rec->Slide[1] = Rec->Slide[k - 1];
        Rec->Cutoff[0] = Rec->Cutoff[k - 2]; Rec->Cutoff[1] = Rec->Cutoff[k - 1];
      }
      while (NextStepFrame < end) {
        MixStep = (MixStep + 1) % static_cast<int>(Pattern.size());
        NextStepFrame += FramesPerStep;
      }
      MixPosition = end;
      out.insert(out.end(), buf.begin(), buf.end());
    }
    out.resize(frames);
    return out;
  }

  // A clean sine through an open filter: easy to measure.
  void PlainSine() {
    Rec->Params[P404Osc1Shape] = 3;
    Rec->Params[P404Osc2Shape] = 3;
    Rec->Params[P404Cutoff] = 128;
    Rec->Params[P404EnvAmount] = 0;
    Rec->Params[P404Resonance] = 128;
    Rec->Params[P404Attack] = 5;
  }

  std::vector<Step> Pattern;
  int FramesPerStep;
  int Gate;
  int64_t MixPosition = 0;
  int64_t NextStepFrame = 0;
  int MixStep = -1;
};

double Hz(int note) { return 65.4064 * std::pow(2.0, (note - 60) / 12.0); }

// Frequency from the rising zero crossings of a segment.
double ZeroCrossingHz(const std::vector<int16_t>& x, int from, int to) {
  int first = -1, last = -1, count = 0;
  for (int i = from + 1; i < to; ++i)
    if (x[i - 1] < 0 && x[i] >= 0) {
      if (first < 0) first = i;
      last = i;
      ++count;
    }
  if (count < 2) return 0;
  return (count - 1) * 44100.0 / (last - first);
}

// Power at one frequency (Goertzel).
double Power(const std::vector<int16_t>& x, int from, int to, double hz) {
  const double w = 2 * M_PI * hz / 44100.0, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (int i = from; i < to; ++i) {
    const double s0 = x[i] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - c * s1 * s2;
}

int Peak(const std::vector<int16_t>& x, int from, int to) {
  int m = 0;
  for (int i = from; i < to; ++i) m = std::max(m, std::abs(int(x[i])));
  return m;
}

double Rms(const std::vector<int16_t>& x, int from, int to) {
  double e = 0;
  for (int i = from; i < to; ++i) e += double(x[i]) * x[i];
  return std::sqrt(e / (to - from));
}

constexpr int Fps = 5512;  // one step at 120 BPM

TEST(MB404Render, NotesSoundAtTheirPitch) {
  Player pl({{60}, {67}, {72}, {55}});
  pl.PlainSine();
  auto x = pl.Play(4 * Fps);
  const int notes[] = {60, 67, 72, 55};
  for (int i = 0; i < 4; ++i) {
    const int a = i * Fps + 1500, b = i * Fps + 4700;
    EXPECT_NEAR(ZeroCrossingHz(x, a, b) / Hz(notes[i]), 1.0, 0.02) << "step " << i;
    EXPECT_GT(Peak(x, a, b), 6000) << "step " << i;
  }
}

TEST(MB404Render, DefaultPatchHasItsEnergyAtTheNote) {
  Player pl(std::vector<Step>{{69}, {69}});  // 110 Hz saws through the default filter
  auto x = pl.Play(2 * Fps);
  const int a = Fps + 400, b = Fps + 4400;
  const double at = Power(x, a, b, Hz(69));
  EXPECT_GT(at, 10 * Power(x, a, b, Hz(66)));
  EXPECT_GT(at, 10 * Power(x, a, b, Hz(72)));
  EXPECT_GT(at, 1.5 * Power(x, a, b, 2 * Hz(69)));  // the filter tames the harmonics
  EXPECT_GT(Rms(x, a, b), 1000);
}

TEST(MB404Render, GateClosesAndAnOffStepStaysSilent) {
  Player pl({{60}, {60, false}, {60, false}, {60, false}});
  pl.PlainSine();
  auto x = pl.Play(4 * Fps);
  const int gate = (Fps - 1) * 224 >> 8;
  EXPECT_EQ(gate, 4822);
  EXPECT_GT(Peak(x, gate - 400, gate), 6000);     // sounding up to the gate
  EXPECT_LE(Peak(x, gate + 1200, 4 * Fps), 2);    // silent after a short release
  // A longer release rings on past the gate, but still ends.
  Player slow({{60}, {60, false}, {60, false}, {60, false}});
  slow.PlainSine();
  slow.Rec->Params[P404Release] = 20;
  auto y = slow.Play(4 * Fps);
  EXPECT_GT(Peak(y, gate + 1200, gate + 2000), 1000);
  EXPECT_LE(Peak(y, 3 * Fps, 4 * Fps), 2);
}

TEST(MB404Render, SlideGlidesWithoutANewAttack) {
  Player pl({{60, true, true}, {72}, {60, false}, {60, false}});
  pl.PlainSine();
  auto x = pl.Play(4 * Fps);
  // The held note never drops out at the step edge.
  EXPECT_GT(Peak(x, Fps - 700, Fps), 6000);
  EXPECT_GT(Rms(x, Fps - 200, Fps + 200), 0.8 * Rms(x, Fps - 1200, Fps - 800));
  // Still on the way early in the step; at the new pitch by its end.
  const double early = ZeroCrossingHz(x, Fps, Fps + 1200);
  EXPECT_GT(early, Hz(60) * 1.1);
  EXPECT_LT(early, Hz(72) * 0.95);
  EXPECT_NEAR(ZeroCrossingHz(x, Fps + 3400, Fps + 4800) / Hz(72), 1.0, 0.01);

  // Without the slide the first note's gate closes before the second.
  Player cut({{60}, {72}, {60, false}, {60, false}});
  cut.PlainSine();
  auto y = cut.Play(2 * Fps);
  EXPECT_LT(Peak(y, Fps - 100, Fps), 500);
  EXPECT_NEAR(ZeroCrossingHz(y, Fps + 1200, Fps + 4500) / Hz(72), 1.0, 0.02);
}

TEST(MB404Render, SlideIntoAnOffStepReleases) {
  Player pl({{60, true, true}, {72, false}});
  pl.PlainSine();
  auto x = pl.Play(2 * Fps);
  EXPECT_LE(Peak(x, Fps - 100, 2 * Fps), 2);
}

TEST(MB404Render, NoClicksAtStepEdges) {
  // Notes back to back at full gate: the steepest sample step stays what a
  // sine of the highest note can make.
  Player pl({{60}, {67}, {63}, {72}, {60, false}, {55}}, Fps, 256);
  pl.PlainSine();
  auto x = pl.Play(6 * Fps);
  int worst = 0;
  for (size_t i = 1; i < x.size(); ++i) worst = std::max(worst, std::abs(x[i] - x[i - 1]));
  const double sineSlope = 32767 * 2 * M_PI * Hz(72) / 44100;
  EXPECT_LT(worst, sineSlope * 1.2);
}

TEST(MB404Render, PerStepCutoffDarkensTheStep) {
  Player pl({{60}, {60, true, false, 120}});
  pl.Rec->Params[P404EnvAmount] = 0;
  auto x = pl.Play(2 * Fps);
  const double bright = Power(x, 1000, 4000, 8 * Hz(60));
  const double dark = Power(x, Fps + 2000, Fps + 4000 + 1000, 8 * Hz(60));
  EXPECT_GT(bright, 100 * dark);
}

TEST(MB404Render, WritesExactlyTheFramesAskedFor) {
  auto rec = NewMB404Params();
  rec->StepLength = 100;
  rec->GateLength = 80;
  rec->StepPosition = 100;
  for (int k = 0; k < MB404Slots; ++k) rec->On[k] = 1;
  std::vector<int16_t> buf(300, 12345);
  Render404(buf.data() + 10, 280, rec.get());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(buf[i], 12345);
  for (int i = 290; i < 300; ++i) EXPECT_EQ(buf[i], 12345);
  Render404(buf.data(), 0, rec.get());
  Render404(nullptr, 100, rec.get());
  Render404(buf.data(), 50, nullptr);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(buf[i], 0);
  // Steps of one frame run off the end of the slots: the last one holds.
  rec->StepLength = 1;
  rec->GateLength = 0;
  rec->StepPosition = 1;
  Render404(buf.data(), 300, rec.get());
}

TEST(MB404Render, ClearedSequenceIsSilent) {
  Player pl(std::vector<Step>{{60}});
  pl.PlainSine();
  pl.Gate = 256;
  auto x = pl.Play(3000);
  EXPECT_GT(Peak(x, 2000, 3000), 6000);
  ClearMB404Sequence(*pl.Rec);
  pl.Rec->StepPosition = 3000;
  std::vector<int16_t> buf(1000);
  pl.Rec->StepLength = 1 << 30;
  Render404(buf.data(), 1000, pl.Rec.get());
  EXPECT_EQ(Peak(buf, 0, 1000), 0);
}

// Every parameter at its extremes, including values no control can set.
TEST(MB404Render, ExtremeSettingsStayBoundedAndSound) {
  std::vector<Step> pat = {{0, true, true, 127}, {127, true, true}, {-300}, {300, true, false, 255},
                           {60}, {60, false}, {24, true, true}, {96}};
  std::mt19937 rng(404);
  const int32_t extremes[] = {std::numeric_limits<int32_t>::min(), -1, 0, 10, 100, 128, 256,
                              std::numeric_limits<int32_t>::max()};
  for (int round = 0; round < 40; ++round) {
    Player pl(pat, round % 3 == 0 ? 662 : Fps);
    for (auto& v : pl.Rec->Params) {
      if (round == 0) v = std::numeric_limits<int32_t>::min();
      else if (round == 1) v = std::numeric_limits<int32_t>::max();
      else v = extremes[rng() % 8];
    }
    auto x = pl.Play(4 * Fps);
    int rails = 0;
    double sum = 0;
    for (int16_t s : x) {
      if (std::abs(s) >= 32767) ++rails;
      sum += s;
    }
    EXPECT_EQ(rails, 0) << "round " << round;
    EXPECT_LT(std::fabs(sum / x.size()), 3000) << "round " << round;  // no stuck offset
  }
  // Loudest plausible patch: full resonance, drive and ring modulation.
  Player loud(pat);
  loud.Rec->Params[P404Resonance] = 0;
  loud.Rec->Params[P404DistAmount] = 128;
  loud.Rec->Params[P404DistType] = 1;
  loud.Rec->Params[P404RingMod] = 256;
  loud.Rec->Params[P404EnvAmount] = 128;
  auto y = loud.Play(8 * Fps);
  EXPECT_LT(Peak(y, 0, 8 * Fps), 32767);
  EXPECT_GT(Rms(y, 0, 8 * Fps), 2000);
}

TEST(MB404Render, PassPathKeepsTheFolder) {
  PassPath("/opt/vs/MB404/");
  EXPECT_EQ(MB404Path(), "/opt/vs/MB404/");
  PassPath(nullptr);
  EXPECT_EQ(MB404Path(), "");
}

}  // namespace
}  // namespace vs
