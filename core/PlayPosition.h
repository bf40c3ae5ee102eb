#pragma once
// The play position the user side shows and sends over MIDI: the shown step,
// the playlist position and the patterns playing there. The mixer keeps its
// own clock (MixStep, MixBar, MixPatterns); this one follows it through
// AdvanceStep. Everything here is changed under MixerLock.

#include <atomic>
#include <vector>

#include "model/Song.h"

namespace vs {

struct TPlayPosition {
  std::atomic<int> DisplayStep{-1};  // -1 before the first step
  int PlaylistPosition = 0;
  std::vector<int> PlayingPatterns;  // capacity reserved for every pattern
  int PlayingPattern = 1;            // the first of PlayingPatterns
  int MidiStepPattern = 1;           // the pattern whose step is being sent
  TPlayPosition();
};

TPlayPosition& PlayPosition();

// PlaylistPosition := the bar normalised by the playlist's
// NextPlaylistPosition; in song mode the patterns there
// become the playing ones.
void SetPlaylistPosition(TSong& song, int bar);

}  // namespace vs
