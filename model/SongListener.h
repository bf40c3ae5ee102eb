#pragma once
// How views follow the song model. A view (the channel rack, the channel
// settings window, the playlist window) implements the calls it cares about
// and registers with the song; the model calls them on the thread that made
// the change, after it has released MixerLock. Nothing here knows a widget.

namespace vs {

class TSong;

// The song-wide values, each with its own notice (SongValueChanged). The
// setter of a value sends it whatever route made the change; a view that
// shows the value reads it again from the song (or the program state that
// holds it: the step clipboard, the song file name).
enum class TSongValue : int {
  Tempo,
  PatternLength,  // also the repeat block (StepsPerBlock)
  CurrentPattern,
  SongMode,
  MasterVolume,
  MasterSwing,
  MasterPitch,
  MasterResonance,
  MasterCutoff,
  Selection,      // the channels' selected flags
  Modified,       // the song's modified flag
  StepClipboard,  // its contents (filled or not)
  FileName,       // the current song file name and the title shown
  Echo,           // the song echo (feedback, pan, volume, time)
  Info,           // the song information (title, description, address, show it on open)
  PlaylistSelection,  // the loop selected in the playlist
  PlaylistClipboard,  // the playlist's copied bars (filled or not)
  PatternNames,       // a pattern's name
};
constexpr int SongValueCount = 18;

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
  // A song-wide value was set (told after MixerLock is left).
  virtual void SongValueChanged(TSongValue /*value*/) {}
};

}  // namespace vs
