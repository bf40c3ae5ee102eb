#include "model/SongReset.h"

#include "model/Channels.h"
#include "model/Song.h"

namespace vs {

void ResetSongModel(TSong& song, bool keepPatternLength) {
  while (song.ChannelCount() > 0) DeleteChannel(song, song.ChannelCount() - 1);
  for (int i = 0; i < 4; ++i) AddChannel(song);
  song.Channels[0]->Selected = true;
  song.Playlist.ClearPlaylist();
  song.Playlist.PlaylistMarker = 0;
  song.Playlist.PlaylistSelection.Bottom = -1;
  song.Info = SongInfo{};
  song.SetMasterSwing(0);
  song.SetMasterVolume(128);
  song.SetMasterPitch(0);
  song.SetMasterResoPosition(MasterFilterSliderMax);
  song.SetMasterCutoffPosition(MasterFilterSliderMax);
  if (!keepPatternLength) song.SetPatternLength(16);
  song.SetStepsPerBlock(4);
  song.Echo = TSongEcho{};
  song.NotifyValue(TSongValue::Echo);
  song.NotifyValue(TSongValue::Info);
  song.NotifyValue(TSongValue::PlaylistSelection);
  song.NotifyValue(TSongValue::PatternNames);
  song.SetCurrentPattern(1);
  song.NotifyValue(TSongValue::Selection);
  song.SongVersion = 0;
}

}  // namespace vs
