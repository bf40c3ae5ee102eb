#include "outside/mb404/MB404.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vs {

namespace {

constexpr float Fs = static_cast<float>(MB404Rate);
constexpr float TwoPi = 6.28318530718f;
constexpr uint32_t ReadyMark = 0x34303442;  // "B404"
constexpr float RootHz = 65.4064f;          // note 60

// The oscillators, filter and LFO (kept in the record's renderer area).
struct VoiceState {
  float Phase1, Phase2;
  float Lp[4];
  float CutoffOct;  // smoothed cutoff in octaves above 40 Hz
  float LfoPhase;
  float DcIn, DcOut;
  uint32_t Noise;
  float Duty1, Duty2;  // smoothed pulse widths
};
static_assert(sizeof(VoiceState) <= sizeof(MB404Params::RendererArea));

enum Stage : int32_t { Idle = 0, Attack, Hold, Release };

// The note being played (kept in the sequence state, so that clearing the
// sequence silences the voice).
struct SeqState {
  uint32_t Ready;  // 0: state not yet set up
  int32_t Spare;
  float Amp;
  float FiltEnv;
  int32_t AmpStage;
  int32_t FiltStage;
  float Pitch;   // sounding note, gliding toward Target
  float Target;
  int32_t Gate;
  float StepCut;  // per-step cutoff factor of the note
};
static_assert(sizeof(SeqState) <= sizeof(MB404Params::Sequence));

// The parameters clamped and turned into what the per-frame loop needs.
struct Setup {
  float Coarse1, Coarse2;  // semitones, fine included
  float Pw1, Pw2;          // duty 0.05..0.5
  bool Sync;
  int Shape1, Shape2;
  bool TwoPole;
  float Mix, Ring, Fm;
  int DistType;
  float Drive, Thresh;
  bool Dist;
  float CutoffOct, EnvOct, Feedback;
  float LfoDepth, LfoStep;
  int LfoTarget, LfoShape;
  float AttackStep, DecayCoef, ReleaseCoef, SustainCoef, SustainLevel;
  bool Sustains;
};

int Clamp(int32_t v, int lo, int hi) { return std::clamp<int32_t>(v, lo, hi); }

float TimeCoef(float seconds) { return 1.0f - std::exp(-1.0f / (seconds * Fs)); }

float Sq(float x) { return x * x; }

const float GlideCoef = TimeCoef(0.018f);  // slides settle within about 80 ms

Setup MakeSetup(const MB404Params& p) {
  const auto& v = p.Params;
  Setup s{};
  s.Coarse1 = Clamp(v[P404Osc1Coarse], -12, 12) + Clamp(v[P404Osc1Fine], -128, 128) / 128.0f;
  s.Coarse2 = Clamp(v[P404Osc2Coarse], -12, 12) + Clamp(v[P404Osc2Fine], -128, 128) / 128.0f;
  s.Pw1 = 0.5f - 0.45f * Clamp(v[P404Osc1PW], 0, 256) / 256.0f;
  s.Pw2 = 0.5f - 0.45f * Clamp(v[P404Osc2PW], 0, 256) / 256.0f;
  s.Sync = (v[P404OscSync] & 0xFF) != 0;
  s.Shape1 = Clamp(v[P404Osc1Shape], 0, 4);
  s.Shape2 = Clamp(v[P404Osc2Shape], 0, 4);
  s.TwoPole = v[P404FilterType] != 0;
  s.Mix = Clamp(v[P404OscMix], 0, 256) / 256.0f;
  s.Ring = Clamp(v[P404RingMod], 0, 256) / 256.0f;
  s.Fm = Clamp(v[P404FMAmount], 0, 256) / 256.0f * 2.0f;
  s.DistType = Clamp(v[P404DistType], 0, 2);
  const int amount = Clamp(v[P404DistAmount], 0, 128);
  s.Dist = amount > 0;
  s.Drive = 1.0f + amount / 128.0f * 15.0f;
  s.Thresh = 1.0f - Clamp(v[P404DistThreshold], 0, 10) * 0.07f;
  s.CutoffOct = Clamp(v[P404Cutoff], 0, 128) / 128.0f * 8.5f;
  s.EnvOct = Clamp(v[P404EnvAmount], 0, 128) / 128.0f * 5.0f;
  s.Feedback = (128 - Clamp(v[P404Resonance], 0, 128)) / 128.0f * 3.8f;
  s.LfoDepth = Clamp(v[P404LFOAmount], 0, 256) / 256.0f;
  s.LfoStep = 0.1f * std::exp2(Clamp(v[P404LFOSpeed], 0, 100) / 100.0f * 7.5f) / Fs;
  s.LfoTarget = Clamp(v[P404LFOTarget], 0, 3);
  s.LfoShape = Clamp(v[P404LFOShape], 0, 3);
  s.AttackStep = 1.0f / ((0.0005f + Sq(Clamp(v[P404Attack], 0, 100) / 100.0f) * 0.4f) * Fs);
  s.DecayCoef = TimeCoef(0.03f + Sq(Clamp(v[P404Decay], 0, 100) / 100.0f) * 2.5f);
  s.ReleaseCoef = TimeCoef(0.003f + Sq(Clamp(v[P404Release], 0, 100) / 100.0f) * 1.0f);
  const int sustain = Clamp(v[P404Sustain], 0, 100);
  s.Sustains = sustain > 0;
  s.SustainCoef = TimeCoef(0.005f + Sq(sustain / 100.0f) * 2.0f);
  s.SustainLevel = Clamp(v[P404SustainLevel], 0, 100) / 100.0f;
  return s;
}

// Band-limiting correction for a step of height 1 at phase t (PolyBLEP).
float Blep(float t, float dt) {
  if (dt <= 0.0f) return 0.0f;
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0f;
  }
  if (t > 1.0f - dt) {
    t = (t - 1.0f) / dt;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

float NextNoise(uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  return static_cast<int32_t>(seed) * (1.0f / 2147483648.0f);
}

float Oscillator(int shape, float phase, float dt, float duty, uint32_t& seed) {
  switch (shape) {
    case 0:  // saw
      return 2.0f * phase - 1.0f - Blep(phase, dt);
    case 1: {  // pulse
      float t2 = phase + 1.0f - duty;
      t2 -= std::floor(t2);
      const float naive = phase < duty ? 1.0f : -1.0f;
      return naive + Blep(phase, dt) - Blep(t2, dt);
    }
    case 2:  // triangle
      return 1.0f - 4.0f * std::fabs(phase - 0.5f);
    case 3:
      return std::sin(TwoPi * phase);
    default:
      return NextNoise(seed);
  }
}

float Lfo(int shape, float phase) {
  switch (shape) {
    case 0: return std::sin(TwoPi * phase);
    case 1: return 1.0f - 4.0f * std::fabs(phase - 0.5f);
    case 2: return phase < 0.5f ? 1.0f : -1.0f;
    default: return 1.0f - 2.0f * phase;
  }
}

float SoftSat(float x) {
  // tanh-like, exact enough and cheap: odd, monotonic, bounded by 1.
  const float a = std::fabs(x);
  const float y = a < 3.0f ? a * (27.0f + a * a) / (27.0f + 9.0f * a * a) : 1.0f;
  return x < 0.0f ? -y : y;
}

float Distort(const Setup& s, float x) {
  if (!s.Dist) return x;
  const float u = x * s.Drive / s.Thresh;
  float y;
  switch (s.DistType) {
    case 0: y = SoftSat(u); break;
    case 1: y = std::clamp(u, -1.0f, 1.0f); break;
    default: {  // fold back into -1..1
      float t = (u + 1.0f) * 0.25f;
      t -= std::floor(t);
      y = 1.0f - 4.0f * std::fabs(t - 0.5f);
      break;
    }
  }
  return y * s.Thresh;
}

// Output limiter: linear up to 0.9, then a soft knee that stays below 0.999.
float Limit(float x) {
  const float a = std::fabs(x);
  if (a <= 0.9f) return x;
  const float y = 0.9f + 0.099f * SoftSat((a - 0.9f) * 10.0f);
  return x < 0.0f ? -y : y;
}

float NoteHz(float note) {
  return RootHz * std::exp2((std::clamp(note, -60.0f, 200.0f) - 60.0f) / 12.0f);
}

class Voice {
public:
  Voice(MB404Params& p) : P(p), S(MakeSetup(p)) {
    std::memcpy(&V, P.RendererArea.data(), sizeof V);
    std::memcpy(&Q, P.Sequence.data(), sizeof Q);
    if (Q.Ready != ReadyMark || !Sane()) Start();
  }
  ~Voice() {
    std::memcpy(P.RendererArea.data(), &V, sizeof V);
    std::memcpy(P.Sequence.data(), &Q, sizeof Q);
  }

  void Render(int16_t* out, int frames) {
    const int64_t stepLen = P.StepLength > 0 ? P.StepLength : INT32_MAX;
    const int64_t gateLen = std::clamp<int64_t>(P.GateLength, 0, stepLen);
    int64_t pos = std::max<int32_t>(P.StepPosition, 0);
    int slot = 1;
    for (int i = 0; i < frames; ++i) {
      while (pos >= stepLen) {
        pos -= stepLen;
        slot = std::min(slot + 1, MB404Slots - 1);
        BeginStep(slot);
      }
      if (Q.Gate && pos >= gateLen && !HeldBySlide(slot)) CloseGate();
      out[i] = Frame();
      ++pos;
    }
  }

private:
  MB404Params& P;
  Setup S;
  VoiceState V;
  SeqState Q;

  void Start() {
    std::memset(&V, 0, sizeof V);
    std::memset(&Q, 0, sizeof Q);
    Q.Ready = ReadyMark;
    Q.Pitch = Q.Target = P.Note[1];
    Q.StepCut = 1.0f;
    V.CutoffOct = S.CutoffOct;
    V.Noise = 22222;
    V.Duty1 = S.Pw1;
    V.Duty2 = S.Pw2;
  }

  bool Sane() const {
    const float vals[] = {V.Phase1, V.Phase2, V.Lp[0], V.Lp[1], V.Lp[2], V.Lp[3], V.CutoffOct,
                          V.LfoPhase, V.DcIn, V.DcOut, Q.Amp, Q.FiltEnv, Q.Pitch, Q.Target,
                          Q.StepCut, V.Duty1, V.Duty2};
    for (float f : vals)
      if (!std::isfinite(f) || std::fabs(f) > 1000.0f) return false;
    return true;
  }

  bool HeldBySlide(int slot) const {
    const int next = std::min(slot + 1, MB404Slots - 1);
    return P.Slide[slot] && P.On[next] && next != slot;
  }

  void CloseGate() {
    Q.Gate = 0;
    if (Q.AmpStage != Idle) Q.AmpStage = Release;
  }

  void BeginStep(int slot) {
    if (!P.On[slot]) {
      CloseGate();
      return;
    }
    const float note = P.Note[slot];
    const bool legato = Q.Gate && slot > 0 && P.Slide[slot - 1] && P.On[slot - 1];
    Q.Target = note;
    if (!legato) {
      Q.Pitch = note;
      Q.AmpStage = Attack;
      Q.FiltStage = Attack;
    }
    Q.Gate = 1;
    const int c = std::min<int>(P.Cutoff[slot], 127);
    Q.StepCut = c ? (128 - c) / 128.0f : 1.0f;
  }

  void Envelopes() {
    switch (Q.AmpStage) {
      case Attack:
        Q.Amp += S.AttackStep;
        if (Q.Amp >= 1.0f) {
          Q.Amp = 1.0f;
          Q.AmpStage = Hold;
        }
        break;
      case Hold:
        if (S.Sustains) Q.Amp += (S.SustainLevel - Q.Amp) * S.SustainCoef;
        break;
      case Release:
        // Aims a little below zero so that the fade ends in finite time.
        Q.Amp += (-0.02f - Q.Amp) * S.ReleaseCoef;
        if (Q.Amp <= 0.0f) {
          Q.Amp = 0.0f;
          Q.AmpStage = Idle;
        }
        break;
      default:
        Q.Amp = 0.0f;
    }
    if (Q.FiltStage == Attack) {
      Q.FiltEnv += S.AttackStep;
      if (Q.FiltEnv >= 1.0f) {
        Q.FiltEnv = 1.0f;
        Q.FiltStage = Hold;
      }
    } else {
      Q.FiltEnv -= Q.FiltEnv * S.DecayCoef;
    }
  }

  int16_t Frame() {
    Envelopes();
    Q.Pitch += (Q.Target - Q.Pitch) * GlideCoef;

    V.LfoPhase += S.LfoStep;
    V.LfoPhase -= std::floor(V.LfoPhase);
    const float lfo = Lfo(S.LfoShape, V.LfoPhase) * S.LfoDepth;

    float note = Q.Pitch;
    if (S.LfoTarget == 0) note += lfo * 2.0f;
    float duty1 = S.Pw1, duty2 = S.Pw2;
    if (S.LfoTarget == 1) {
      duty1 = std::clamp(duty1 - lfo * 0.4f, 0.05f, 0.95f);
      duty2 = std::clamp(duty2 - lfo * 0.4f, 0.05f, 0.95f);
    }
    V.Duty1 += (duty1 - V.Duty1) * 0.01f;
    V.Duty2 += (duty2 - V.Duty2) * 0.01f;

    const float maxDt = 0.45f;
    const float dt1 = std::min(NoteHz(note + S.Coarse1) / Fs, maxDt);
    float dt2 = std::min(NoteHz(note + S.Coarse2) / Fs, maxDt);

    const float o1 = Oscillator(S.Shape1, V.Phase1, dt1, V.Duty1, V.Noise);
    if (S.Fm > 0.0f) dt2 = std::clamp(dt2 * (1.0f + S.Fm * o1), -maxDt, maxDt);
    const float o2 = Oscillator(S.Shape2, V.Phase2, dt2, V.Duty2, V.Noise);

    V.Phase1 += dt1;
    const bool wrapped = V.Phase1 >= 1.0f;
    V.Phase1 -= std::floor(V.Phase1);
    V.Phase2 += dt2;
    V.Phase2 -= std::floor(V.Phase2);
    if (S.Sync && wrapped) V.Phase2 = std::min(V.Phase1 * dt2 / dt1, 0.999f);
    if (V.Phase2 < 0.0f) V.Phase2 = 0.0f;

    float x = o1 * (1.0f - S.Mix) + o2 * S.Mix;
    x = x * (1.0f - S.Ring) + o1 * o2 * S.Ring;

    // Cutoff, smoothed so that step changes and knob moves do not click.
    float oct = S.CutoffOct * Q.StepCut + Q.FiltEnv * S.EnvOct;
    if (S.LfoTarget == 2) oct += lfo * 3.0f;
    V.CutoffOct += (oct - V.CutoffOct) * 0.005f;
    const float hz = std::clamp(40.0f * std::exp2(V.CutoffOct), 20.0f, 0.42f * Fs);
    const float g = 1.0f - std::exp(-TwoPi * hz / Fs);

    // Four one-pole stages with saturated feedback: every state stays
    // within -1..1 whatever the settings.
    const float u = SoftSat(0.7f * x - S.Feedback * V.Lp[3]);
    V.Lp[0] += g * (u - V.Lp[0]);
    V.Lp[1] += g * (V.Lp[0] - V.Lp[1]);
    V.Lp[2] += g * (V.Lp[1] - V.Lp[2]);
    V.Lp[3] += g * (V.Lp[2] - V.Lp[3]);
    const float y = (S.TwoPole ? V.Lp[1] : V.Lp[3]) * (1.0f + 0.5f * S.Feedback);

    // DC blocker ahead of the amplifier, so that a closed note is silence.
    const float dc = y - V.DcIn + 0.999f * V.DcOut;
    V.DcIn = y;
    V.DcOut = dc;

    float amp = Q.Amp;
    if (S.LfoTarget == 3) amp *= 1.0f - 0.5f * S.LfoDepth + 0.5f * lfo;
    const float out = Limit(Distort(S, dc * amp) * 0.6f);
    if (!std::isfinite(out)) {
      Start();
      return 0;
    }
    return static_cast<int16_t>(std::lrint(out * 32767.0f));
  }
};

std::string& Folder() {
  static std::string folder;
  return folder;
}

}  // namespace

void PassPath(const char* folder) { Folder() = folder ? folder : ""; }

const std::string& MB404Path() { return Folder(); }

void Render404(int16_t* buffer, int frames, MB404Params* params) {
  if (!buffer || frames <= 0) return;
  if (!params) {
    std::fill_n(buffer, frames, int16_t{0});
    return;
  }
  Voice voice(*params);
  voice.Render(buffer, frames);
}

}  // namespace vs
