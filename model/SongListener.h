#pragma once
// How views follow the song model. A view (the channel rack, the channel
// settings window, the playlist window) implements the calls it cares about
// and registers with the song; the model calls them on the thread that made
// the change, after it has released MixerLock. Nothing here knows a widget.

namespace vs {

class TSong;

class SongListener {
public:
  virtual ~SongListener() = default;

  // Channels were added, inserted, deleted or renamed: channel numbers may
  // have moved, lists of channel names are stale.
  virtual void ChannelListChanged() {}
  // One channel's shown state changed (name, colour, kind, collapsed).
  virtual void ChannelChanged(int /*index*/) {}
  // One channel's steps were rewritten as a whole (a step-value file).
  virtual void StepsChanged(int /*index*/) {}
  // One step of a channel was switched on or off (SetStepOn).
  virtual void StepOnChanged(int /*channel*/, int /*pattern*/, int /*step*/) {}
  // A pattern was placed at or removed from a bar.
  virtual void PlaylistCellChanged(int /*pattern*/, int /*bar*/) {}
  // Every bar and every pattern name was cleared.
  virtual void PlaylistCleared() {}
  // Another song became current; the listener now follows it.
  virtual void SongReplaced(TSong& /*song*/) {}
};

}  // namespace vs
