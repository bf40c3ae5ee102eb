#pragma once
// Reading a song file (format: files/SongFile.h). The file is read into a
// song built apart; the current song is replaced only when the whole file
// was read, so a missing, foreign, truncated or malformed file leaves the
// open song as it was. What the file holds beyond the song model (plug-in
// slots, the rack height) is handed to the host after the swap.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/SongHost.h"

namespace vs {

class TSong;

enum SongLoadResult : int {
  SongLoaded = 0,
  SongCannotOpen = 1,    // the file can't be opened or read
  SongNotASongFile = 2,  // no "ZMhd", or no "ZMdt" where the header says
  SongDamaged = 3,       // the event data ends inside an event or is malformed
};

constexpr int MaxSongChannels = 999;
// Larger files are not taken for songs (a song of 999 full channels stays
// far below).
constexpr size_t MaxSongFileSize = size_t(256) << 20;

struct SongReadOptions {
  // Cleared while a template song (the drum kit of New) is read: the song
  // then keeps KeptPatternLength and ignores the stored pattern length.
  bool TrackSongFileName = true;
  int KeptPatternLength = 16;
  // Loads each channel's sample file into the song being read (may be null:
  // the stored names are kept and the samples stay empty).
  ChannelFileLoader* Loader = nullptr;
};

// A song read apart, with what the host must apply after the swap.
// A channel whose stored file could not be used (the channel stays silent).
struct TUnusedChannelFile {
  int Channel = 0;
  std::string File;  // as the song stores it
};

struct TSongFileContent {
  std::unique_ptr<TSong> Song;
  std::vector<SongPluginState> Plugins;  // in file order
  bool HasRackHeight = false;
  int32_t RackHeight = 0;
  // In file order; only with a loader.
  std::vector<TUnusedChannelFile> UnusedFiles;
  // Why the file could not be opened or read (the system's error number),
  // with SongCannotOpen.
  int ReadError = 0;
};

// What a song load says of the files it could not use, as a two-part
// warning ("caption|text"): each channel of the song read by number and
// name, with its file. Empty when there are none.
std::string UnusedChannelFilesMessage(const std::vector<TUnusedChannelFile>& unused, const TSong& song);

// True for a plug-in name that is a bare file name (no folder part, not
// "." or ".."). A song names plug-ins only inside the plug-in folder; a name
// with a path would load a library from anywhere, so it counts as missing.
bool IsBarePluginName(const std::string& name);

// The plug-in warning, as a two-part message text.
std::string MissingPluginMessage(const std::string& name);

// Applies the events of a data chunk to content.Song (which the caller has
// reset). False when the data ends inside an event or a length is
// malformed; what was applied stays in content (the caller drops it).
// Afterwards every mix target and random-choice entry names a channel.
bool ReadSongEvents(const uint8_t* data, size_t size, TSongFileContent& content,
                    const SongReadOptions& options = {});

// Checks the chunks of a whole file image and reads it into a fresh, reset
// song in content. Returns a SongLoadResult.
int ReadSongImage(const uint8_t* image, size_t size, TSongFileContent& content,
                  const SongReadOptions& options = {});

// Reads a whole song file into content, apart from the current song and
// without MixerLock (the channels' sample files are loaded by the options'
// loader into the new song). Returns a SongLoadResult.
int ReadSongFile(const std::string& fileName, TSongFileContent& content, const SongReadOptions& options = {});
// What a song file holds beyond the model, for the host, after the song is
// current: the plug-in slots are emptied and the file's plug-ins loaded,
// each that can't be found warned of once; the window gets the stored rack
// height.
void ApplySongFileHost(const TSongFileContent& content, const SongHost& host);

// Reads a song file. On success (0) the song replaces the current song
// (MixerLock is held only for the swap and the stop of every voice; the old
// song is freed after it), unmodified, and ApplySongFileHost follows. Any
// other result changes nothing.
int LoadSong(const std::string& fileName, const SongHost& host = {},
             const SongReadOptions& options = {});

// Event 71 and 83 values of files before version 1.3.61 (0..255 scale) on
// the 0..1024 scale of the wheels.
int ConvertOldCutoff(int value);
int ConvertOldResonance(int value);

}  // namespace vs
