#pragma once
// The song model: channels, their steps, pattern names, the playlist and the
// song-wide values. One TSong is current at a time (CurrentSong()); a song
// read from a file is built apart and swapped in whole.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Channel.h"
#include "model/Playlist.h"
#include "model/SongListener.h"
#include "model/StepStore.h"

namespace vs {

// The song information texts (edited in the song information window).
struct SongInfo {
  std::string Title;
  std::string InfoRTF;  // raw RTF bytes, written back unchanged
  std::string WebAddress;
  bool ShowOnOpen = false;
};

// The song echo line's settings (the line itself lives in the engine).
struct TSongEcho {
  int32_t Feedback = 64;  // 128ths
  int32_t Pan = 64;       // 0..127
  int32_t Volume = 128;   // 128ths
  int32_t Time = 48;      // sixteenths of a step
};

constexpr int MinBPM = 30;
constexpr int MaxBPM = 999;
// Range of the master resonance and cutoff slider positions; a reset song
// has both at the maximum (filter open).
constexpr int MasterFilterSliderMax = 1024;

class TSong {
public:
  TSong();
  ~TSong();
  TSong(const TSong&) = delete;
  TSong& operator=(const TSong&) = delete;

  TStepStoreContext StepContext;  // PatternLength and SongModified
  std::vector<std::unique_ptr<TChannel>> Channels;
  std::vector<TChannel*> MB404Channels;  // kind-1 channels, last to first
  std::array<TPatInfo, PatternSlots> PatternNames;
  TPlaylist Playlist;
  int StepsPerBlock = 4;
  int CurrentPattern = 1;
  int BPM = 140;
  SongInfo Info;
  // Master values: written by the main thread without the lock, read by the
  // mixer (single aligned integers).
  std::atomic<int> MasterVolume{100};  // 0..128
  std::atomic<int> MasterPitch{0};     // cents
  std::atomic<int> MasterSwing{0};     // 0..128
  // Positions of the master resonance and cutoff sliders (0..1024); the
  // engine derives the master filter from them.
  int MasterResoPosition = MasterFilterSliderMax;
  int MasterCutoffPosition = MasterFilterSliderMax;
  // The song / pattern mode switch as stored with the song (true = song
  // mode). The transport applies it to the audio clock's SongMode.
  bool SongModeOn = false;
  TSongEcho Echo;
  // Version (a.b.c as (a * 1000 + b) * 1000 + c) of the program that wrote
  // the song last read; 0 for a new song or a file without a version.
  int32_t SongVersion = 0;

  int PatternLength() const { return StepContext.PatternLength; }
  bool Modified() const { return StepContext.SongModified.load(); }

  // The setters of the song-wide values: each stores the value (clamped
  // where a range is given) and sends its notice (SongValueChanged; while
  // the caller holds MixerLock, once the lock is left). The engine's side
  // of a value (frames per step, the mixer's pattern, the filter) is the
  // sequencer's; these only keep the song and tell its views.
  void SetPatternLength(int length);  // clamped to 8..64, under MixerLock
  void SetStepsPerBlock(int steps);   // clamped to 1..64
  void SetBPM(int bpm);               // clamped to MinBPM..MaxBPM
  void SetCurrentPattern(int pattern);  // clamped to 1..999, under MixerLock
  void SetSongModeOn(bool on);
  void SetMasterVolume(int volume);  // 0..128
  void SetMasterSwing(int swing);    // 0..128
  void SetMasterPitch(int cents);
  void SetMasterResoPosition(int position);    // 0..MasterFilterSliderMax
  void SetMasterCutoffPosition(int position);  // 0..MasterFilterSliderMax
  // Told only when the flag changes (also when a step write raises it).
  void SetModified(bool modified = true);
  // A value kept outside these fields changed: the channels' selected
  // flags (set by the channel commands), the step clipboard, the song
  // file name, the echo, the song information, the playlist's loop and
  // clipboard, a pattern's name.
  void NotifyValue(TSongValue value);

  // Whether expanding a collapsed channel selects it (off while channels
  // are cloned).
  bool SelectOnExpand = true;

  int ChannelCount() const { return static_cast<int>(Channels.size()); }
  TChannel* Channel(int index) const {
    return index >= 0 && index < ChannelCount() ? Channels[index].get() : nullptr;
  }
  // True when no channel has a step on in the pattern.
  bool IsPatternEmpty(int pattern) const;

  // Views that follow this song (not owned). Notifications run on the
  // calling thread; a listener may remove itself while being called.
  void AddListener(SongListener* listener);
  void RemoveListener(SongListener* listener);
  const std::vector<SongListener*>& Listeners() const { return ListenerList; }
  template <class... Params, class... Args>
  void Notify(void (SongListener::*call)(Params...), Args&&... args) {
    const std::vector<SongListener*> listeners = ListenerList;
    for (SongListener* l : listeners)
      if (std::find(ListenerList.begin(), ListenerList.end(), l) != ListenerList.end())
        (l->*call)(args...);
  }

private:
  std::vector<SongListener*> ListenerList;
};

// The current song. Replacing it hands the old one back to the caller, who
// frees it outside the mixer lock; the old song's listeners move to the new
// one and hear SongReplaced.
TSong& CurrentSong();
// Takes MixerLock for the swap; the listeners hear of it after the lock is
// left.
std::unique_ptr<TSong> ReplaceCurrentSong(std::unique_ptr<TSong> song);
// The swap alone, for a caller that holds MixerLock (asserted) while it also
// stops the old song's voices: it tells the listeners afterwards, outside
// the lock, with NotifySongReplaced.
std::unique_ptr<TSong> SwapCurrentSong(std::unique_ptr<TSong> song);
void NotifySongReplaced();

}  // namespace vs
