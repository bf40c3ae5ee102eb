#include "core/StepEdits.h"

#include <algorithm>

#include "engine/Mixer.h"
#include "engine/SoundProcs.h"
#include "model/MixerLock.h"

namespace vs {

namespace {

// The channels an edit reaches: selected or the given one, last first.
template <class F>
void ForEditedChannels(TSong& song, int shown, F&& f) {
  for (int i = song.ChannelCount() - 1; i >= 0; --i) {
    TChannel& c = *song.Channels[i];
    if (c.Selected || i == shown) f(i, c);
  }
}

}  // namespace

void PreviewChannelNote(TChannel& channel, int key, int velocity) {
  TWAVSample& s = channel.Sample;
  if (s.Empty()) return;
  MixerGuard lock;
  TMixer& mixer = Mixer();
  const int cents = (key - channel.RootNote) * 100;
  const float gain = std::min(12700, velocity * channel.Volume) / 12700.0f * MasterGain;
  const bool looped = s.Looped;
  s.Looped = false;
  mixer.AddVoice(&s, mixer.MixPosition, channel.Pan, PitchedLength(s.PlayLength, cents), -1, -1, gain);
  s.Looped = looped;
}

TPianoEditResult PianoKeyEdit(TSong& song, const TPianoKeyEdit& edit) {
  TPianoEditResult result;
  const int pattern = song.CurrentPattern;
  if (edit.Step < 0 || edit.Step >= song.PatternLength()) return result;
  const int key = std::clamp(edit.Key, 0, MaxPianoKey);
  ForEditedChannels(song, edit.Shown, [&](int index, TChannel& c) {
    TStepStore& steps = c.Steps;
    bool changed = (steps.IsStepOn(pattern, edit.Step) != 0) != edit.On;
    if (!edit.Transpose) {
      if (changed) steps.SetStepOn(pattern, edit.Step, edit.On);
      if (edit.Preview && edit.On && !c.Sample.Empty())
        PreviewChannelNote(c, key, steps.GetStepValue(pattern, edit.Step, PlaneVol));
    } else {
      changed = false;  // a transposing drag leaves the flags
    }
    const int old = steps.GetStepValue(pattern, edit.Step, PlaneNote);
    if (old == key && !changed) {
      if (index == edit.Shown) result.StepChanged |= changed;
      return;
    }
    {
      MixerGuard lock;
      steps.SetStepValue(pattern, edit.Step, static_cast<uint8_t>(key), PlaneNote);
      if (edit.Transpose) {
        const int delta = key - old;
        for (int s = 0; s < song.PatternLength(); ++s) {
          if (s == edit.Step) continue;
          const int moved = std::clamp(steps.GetStepValue(pattern, s, PlaneNote) + delta, 0, MaxPianoKey);
          steps.SetStepValue(pattern, s, static_cast<uint8_t>(moved), PlaneNote);
        }
      }
    }
    if (index == edit.Shown) {
      result.StepChanged = true;
      result.AllSteps |= edit.Transpose;
    }
  });
  return result;
}

bool PianoSlideEdit(TSong& song, int shown, int step, bool slide) {
  const int pattern = song.CurrentPattern;
  if (step < 0 || step >= song.PatternLength()) return false;
  bool shownChanged = false;
  ForEditedChannels(song, shown, [&](int index, TChannel& c) {
    const uint8_t flags = c.Steps.GetStepValue(pattern, step, PlaneFlags);
    if (((flags & StepFlagSlide) != 0) == slide) return;
    {
      MixerGuard lock;
      c.Steps.SetStepValue(pattern, step, static_cast<uint8_t>(slide ? flags | StepFlagSlide : flags & ~StepFlagSlide),
                           PlaneFlags);
    }
    if (index == shown) shownChanged = true;
  });
  return shownChanged;
}

int ChangeStepValue(TSong& song, int row, int step, int lane, int value, bool allSteps) {
  TChannel* edited = song.Channel(row);
  if (!edited || !TStepStore::ValidStep(step) || !TStepStore::ValidPlane(lane)) return 0;
  const int pattern = song.CurrentPattern;
  const int max = StepLanes[lane].Max;
  edited->Steps.AllocPattern(pattern);
  const int delta = std::clamp(value, 0, max) - edited->Steps.GetStepValue(pattern, step, lane);
  if (delta != 0) {
    ForEditedChannels(song, row, [&](int, TChannel& c) {
      for (int s = allSteps ? 0 : step; s <= (allSteps ? MaxSteps - 1 : step); ++s) {
        MixerGuard lock;
        const int v = std::clamp(c.Steps.GetStepValue(pattern, s, lane) + delta, 0, max);
        c.Steps.SetStepValue(pattern, s, static_cast<uint8_t>(v), lane);
      }
    });
    song.SetModified();
  }
  return edited->Steps.GetStepValue(pattern, step, lane);
}

}  // namespace vs
