#include "core/MasterValues.h"

#include <algorithm>

#include "engine/Mixer.h"
#include "model/MixerLock.h"

namespace vs {

namespace {

constexpr int MasterLevelMax = 128;
constexpr int MasterPitchReach = 1200;  // cents each way

}  // namespace

TMasterSliderRange MasterSliderRange(TMasterSlider slider) {
  switch (slider) {
    case MainVolSlider:
    case ShuffleSlider: return {0, MasterLevelMax};
    case MainPitchSlider: return {-MasterPitchReach, MasterPitchReach};
    case MainResoSlider:
    case MainCutOffSlider: return {0, MasterFilterSliderMax};
  }
  return {};
}

int MasterSliderDefault(TMasterSlider slider) {
  switch (slider) {
    case MainVolSlider:
    case MainPitchSlider: return 0;
    default: return MasterSliderRange(slider).Max;
  }
}

int MasterSliderPosition(const TSong& song, TMasterSlider slider) {
  const TMasterSliderRange r = MasterSliderRange(slider);
  int position = 0;
  switch (slider) {
    case MainVolSlider: position = r.Max - song.MasterVolume.load(); break;
    case ShuffleSlider: position = r.Max - song.MasterSwing.load(); break;
    case MainPitchSlider: position = -song.MasterPitch.load(); break;
    case MainResoSlider: position = song.MasterResoPosition; break;
    case MainCutOffSlider: position = song.MasterCutoffPosition; break;
  }
  return std::clamp(position, r.Min, r.Max);
}

void ApplyMasterFilter(const TSong& song) {
  MixerGuard hold;
  Mixer().SetMasterFilter(MasterCutoffForPosition(song.MasterCutoffPosition),
                          MasterResonanceForPosition(song.MasterResoPosition));
}

void MasterSliderMoved(TSong& song, TMasterSlider slider, int position, bool byUser) {
  const TMasterSliderRange r = MasterSliderRange(slider);
  position = std::clamp(position, r.Min, r.Max);
  switch (slider) {
    case MainVolSlider: song.SetMasterVolume(r.Max - position); break;
    case ShuffleSlider: song.SetMasterSwing(r.Max - position); break;
    case MainPitchSlider: song.SetMasterPitch(-position); break;
    case MainResoSlider:
    case MainCutOffSlider: {
      MixerGuard hold;
      if (slider == MainResoSlider)
        song.SetMasterResoPosition(position);
      else
        song.SetMasterCutoffPosition(position);
      ApplyMasterFilter(song);
      break;
    }
  }
  if (byUser) song.SetModified();
}

}  // namespace vs
