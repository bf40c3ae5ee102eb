#include "model/Song.h"

#include <algorithm>

#include "model/MixerLock.h"

namespace vs {

namespace {

// Notices asked for while MixerLock was held, told once it is left (one
// per song and value).
struct TDeferredNotice {
  TSong* Song;
  TSongValue Value;
};
thread_local std::vector<TDeferredNotice> DeferredNotices;

void TellDeferredNotices() {
  std::vector<TDeferredNotice> notices;
  notices.swap(DeferredNotices);
  // A song that stopped being current meanwhile has lost its listeners
  // (and may be gone).
  for (const TDeferredNotice& n : notices)
    if (n.Song == &CurrentSong()) n.Song->Notify(&SongListener::SongValueChanged, n.Value);
}

}  // namespace

TSong::TSong() : Playlist(this) {
  StepContext.ModifiedRaised = [this] { NotifyValue(TSongValue::Modified); };
}
TSong::~TSong() = default;

void TSong::NotifyValue(TSongValue value) {
  if (!MixerLockHeldByThisThread()) {
    Notify(&SongListener::SongValueChanged, value);
    return;
  }
  for (const TDeferredNotice& n : DeferredNotices)
    if (n.Song == this && n.Value == value) return;
  if (DeferredNotices.empty()) RunAfterMixerUnlock(&TellDeferredNotices);
  DeferredNotices.push_back({this, value});
}

void TSong::SetPatternLength(int length) {
  {
    MixerGuard lock;
    StepContext.PatternLength = std::clamp(length, 8, MaxSteps);
  }
  NotifyValue(TSongValue::PatternLength);
}

void TSong::SetStepsPerBlock(int steps) {
  StepsPerBlock = std::clamp(steps, 1, MaxSteps);
  NotifyValue(TSongValue::PatternLength);
}

void TSong::SetBPM(int bpm) {
  BPM = std::clamp(bpm, MinBPM, MaxBPM);
  NotifyValue(TSongValue::Tempo);
}

void TSong::SetCurrentPattern(int pattern) {
  {
    MixerGuard lock;
    CurrentPattern = std::clamp(pattern, 1, PatternSlots - 1);
  }
  NotifyValue(TSongValue::CurrentPattern);
}

void TSong::SetSongModeOn(bool on) {
  SongModeOn = on;
  NotifyValue(TSongValue::SongMode);
}

void TSong::SetMasterVolume(int volume) {
  MasterVolume.store(std::clamp(volume, 0, 128));
  NotifyValue(TSongValue::MasterVolume);
}

void TSong::SetMasterSwing(int swing) {
  MasterSwing.store(std::clamp(swing, 0, 128));
  NotifyValue(TSongValue::MasterSwing);
}

void TSong::SetMasterPitch(int cents) {
  MasterPitch.store(cents);
  NotifyValue(TSongValue::MasterPitch);
}

void TSong::SetMasterResoPosition(int position) {
  MasterResoPosition = std::clamp(position, 0, MasterFilterSliderMax);
  NotifyValue(TSongValue::MasterResonance);
}

void TSong::SetMasterCutoffPosition(int position) {
  MasterCutoffPosition = std::clamp(position, 0, MasterFilterSliderMax);
  NotifyValue(TSongValue::MasterCutoff);
}

void TSong::SetModified(bool modified) {
  if (StepContext.SongModified.exchange(modified) != modified) NotifyValue(TSongValue::Modified);
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
