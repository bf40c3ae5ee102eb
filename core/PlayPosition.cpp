#include "core/PlayPosition.h"

#include "core/SequencerState.h"
#include "model/MixerLock.h"
#include "engine/Mixer.h"

namespace vs {

TPlayPosition::TPlayPosition() {
  PlayingPatterns.reserve(PatternSlots + 1);
  PlayingPatterns.push_back(1);
}

TPlayPosition& PlayPosition() { return SequencerState().PlayPosition; }

void SetPlaylistPosition(TSong& song, int bar) {
  MixerGuard hold;
  TPlayPosition& pos = PlayPosition();
  song.Playlist.NextPlaylistPosition(bar);
  pos.PlaylistPosition = bar;
  if (Mixer().SongMode == 1) {
    pos.PlayingPattern = song.Playlist.PatternsAtBar(bar, pos.PlayingPatterns);
  }
}

}  // namespace vs
