#pragma once
// Step edits of the piano roll and the floating step-value wheel, without a
// window: they act on the shown (or edited) channel and on every selected
// channel, as the main window's editors do.

#include "model/Song.h"

namespace vs {

constexpr int MaxPianoKey = 124;

// One point of a keyboard drag in the piano roll: step on (left button) or
// off (right button) with the key under the pointer; with transpose (Ctrl)
// the on flags stay and the whole pattern moves by the key's change.
struct TPianoKeyEdit {
  int Shown = 0;  // the piano roll's channel
  int Step = 0;
  int Key = 60;
  bool On = true;
  bool Transpose = false;
  // Play the key (playback stopped and the key or the step is new).
  bool Preview = false;
};

// What an edit changed in the shown channel.
struct TPianoEditResult {
  bool StepChanged = false;  // the step's flag or key
  bool AllSteps = false;     // every key of the pattern moved
};

// For every channel from the last to the first that is selected or shown,
// with the step inside the pattern length: unless transposing, the on flag
// is set when it differs (and the note previewed for an on step of a
// channel with a sample); the key (plane 7) is written under MixerLock when
// it differs or the flag changed, and with transpose every other step of
// the pattern moves by the same difference, clamped to 0..124.
TPianoEditResult PianoKeyEdit(TSong& song, const TPianoKeyEdit& edit);

// The slide mark (flags bit 6) of a synthesizer step: set (left button) or
// cleared, on every selected or shown channel, under MixerLock. True when
// the shown channel's mark changed.
bool PianoSlideEdit(TSong& song, int shown, int step, bool slide);

// The floating step-value wheel's change: the difference between value and
// the edited step's present value in the lane is added, clamped to the
// lane's range, to that step (or, with allSteps, to all 64 steps) of every
// selected channel and of the edited row, under MixerLock step by step; the
// song is modified. Returns the edited row's new value.
int ChangeStepValue(TSong& song, int row, int step, int lane, int value, bool allSteps = false);

// Plays a channel's sample at a key: pitch (key - root key) x 100 cents,
// gain min(12700, velocity x channel volume) / 12700, the channel's pan, at
// the mix position, without the sample's loop.
void PreviewChannelNote(TChannel& channel, int key, int velocity);

}  // namespace vs
