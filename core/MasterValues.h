#pragma once
// The song's master values as the main window's five faders show them:
// volume, swing, pitch, and the master filter's resonance and cutoff. The
// song holds the values; a fader is a view whose position is derived from
// them and whose move writes them back through MasterSliderMoved.
//
// Positions grow downward (the top of a fader is its minimum): volume and
// swing are max - position, pitch is -position cents, so that up is more;
// the filter faders keep their positions in the song and the engine derives
// the filter from them (the maximum turns resonance off and opens the
// cutoff).

#include "model/Song.h"

namespace vs {

enum TMasterSlider : int { MainVolSlider, ShuffleSlider, MainPitchSlider, MainResoSlider, MainCutOffSlider };
constexpr int MasterSliderCount = 5;

struct TMasterSliderRange {
  int Min = 0;
  int Max = 0;
};
// 0..128 for volume and swing, -1200..1200 cents for pitch, 0..1024 for the
// filter.
TMasterSliderRange MasterSliderRange(TMasterSlider slider);

// The position of a new song's value (the faders' reset goes there):
// full volume, no swing, no pitch, the filter open.
int MasterSliderDefault(TMasterSlider slider);

// The fader's position for the song's value (clamped into its range).
int MasterSliderPosition(const TSong& song, TMasterSlider slider);

// A fader moved to position: the song's value follows (volume, swing and
// pitch as single writes, the filter under MixerLock). A move by the user
// marks the song modified; one made by the program does not.
void MasterSliderMoved(TSong& song, TMasterSlider slider, int position, bool byUser);

// The engine's master filter from the song's filter positions, under
// MixerLock (after a song was read or reset).
void ApplyMasterFilter(const TSong& song);

}  // namespace vs
