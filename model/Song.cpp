#include "model/Song.h"

#include <algorithm>

#include "model/MixerLock.h"

namespace vs {

TSong::TSong() : Playlist(this) {}
TSong::~TSong() = default;

void TSong::SetPatternLength(int length) {
  StepContext.PatternLength = std::clamp(length, 8, MaxSteps);
}

bool TSong::IsPatternEmpty(int pattern) const {
  for (const auto& c : Channels)
    if (!c->Steps.IsPatternEmpty(pattern)) return false;
  return true;
}

void TSong::AddListener(SongListener* listener) {
  if (listener && std::find(ListenerList.begin(), ListenerList.end(), listener) == ListenerList.end())
    ListenerList.push_back(listener);
}

void TSong::RemoveListener(SongListener* listener) {
  ListenerList.erase(std::remove(ListenerList.begin(), ListenerList.end(), listener), ListenerList.end());
}

namespace {
std::unique_ptr<TSong>& SongHolder() {
  static std::unique_ptr<TSong> song = std::make_unique<TSong>();
  return song;
}
}  // namespace

TSong& CurrentSong() { return *SongHolder(); }

std::unique_ptr<TSong> SwapCurrentSong(std::unique_ptr<TSong> song) {
  AssertMixerLockHeld("SwapCurrentSong");
  if (!song) song = std::make_unique<TSong>();
  std::swap(SongHolder(), song);
  TSong& current = *SongHolder();
  const std::vector<SongListener*> moved = song->Listeners();
  for (SongListener* l : moved) {
    song->RemoveListener(l);
    current.AddListener(l);
  }
  return song;
}

void NotifySongReplaced() {
  TSong& current = CurrentSong();
  current.Notify(&SongListener::SongReplaced, current);
}

std::unique_ptr<TSong> ReplaceCurrentSong(std::unique_ptr<TSong> song) {
  {
    MixerGuard lock;
    song = SwapCurrentSong(std::move(song));
  }
  NotifySongReplaced();
  return song;
}

}  // namespace vs
