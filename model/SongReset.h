#pragma once
// The empty song that New starts from and a song file is read into.

namespace vs {

class TSong;

// Makes the song empty: four default channels (channel 0 selected), an
// empty playlist with no pattern names, marker 0 and no selection, empty
// song information, the master values of a reset (volume 128, swing 0,
// pitch 0, filter sliders at their maximum), steps per block 4, the default
// song echo, pattern 1 and song version 0. The pattern length becomes 16
// unless keepPatternLength is set (a template song keeps the current one).
void ResetSongModel(TSong& song, bool keepPatternLength = false);

}  // namespace vs
