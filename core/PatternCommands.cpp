#include "core/PatternCommands.h"

#include <algorithm>
#include <random>

#include "core/SequencerState.h"
#include "core/PlayPosition.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "model/MixerLock.h"
#include "engine/Mixer.h"

namespace vs {

TStepClipboard& StepClipboard() { return SequencerState().StepClipboard; }

int ProgramRandom(int k) {
  static std::mt19937 generator{std::random_device{}()};
  if (k <= 0) return 0;
  return std::uniform_int_distribution<int>(0, k - 1)(generator);
}

int SelectedChannelIndex(const TSong& song) {
  for (int i = 0; i < song.ChannelCount(); ++i)
    if (song.Channels[i]->Selected) return i;
  for (int i = 0; i < song.ChannelCount(); ++i)
    if (!song.Channels[i]->Collapsed) return i;
  return 0;
}

namespace {

int Rand(const RandomSource& random, int k) { return k <= 0 ? 0 : random(k); }

void NotifyRows(TSong& song, const std::vector<int>& rows) {
  for (int i : rows) song.Notify(&SongListener::StepsChanged, i);
}

}  // namespace

void CopySteps(TSong& song, bool cut) {
  TStepClipboard& clip = StepClipboard();
  const int first = SelectedChannelIndex(song);
  const int count = std::max(0, song.ChannelCount() - first);
  std::vector<int> touched;
  {
    MixerGuard lock;
    clip.Entries.assign(count, TStepBlock{});
    const int pattern = song.CurrentPattern;
    for (int j = count - 1; j >= 0; --j) {
      TChannel& channel = *song.Channels[first + j];
      TStepBlock& entry = clip.Entries[j];
      if (!channel.Selected) {
        entry.Put(MaxSteps, ClipEntryUnused);
        continue;
      }
      if (const TStepBlock* block = channel.Steps.Block(pattern))
        entry = *block;
      else
        entry.Put(MaxSteps, ClipEntryEmpty);
      if (cut) {
        channel.Steps.FreePattern(pattern);
        touched.push_back(first + j);
      }
    }
    clip.Filled = true;
  }
  if (!touched.empty()) song.SetModified();
  song.NotifyValue(TSongValue::StepClipboard);
  NotifyRows(song, touched);
}

void CopyWholePattern(TSong& song) {
  // Collapsed rows stay unselected, as "Select all" leaves them: a hidden row
  // that is selected would be deleted or edited unseen by later commands.
  for (int i = 0; i < song.ChannelCount(); ++i) {
    TChannel& c = *song.Channels[i];
    if (c.Collapsed || c.Selected) continue;
    c.Selected = true;
    song.Notify(&SongListener::ChannelChanged, i);
  }
  song.NotifyValue(TSongValue::Selection);
  CopySteps(song, false);
}

int PasteSteps(TSong& song) {
  TStepClipboard& clip = StepClipboard();
  if (!clip.Filled) return -1;
  const int first = SelectedChannelIndex(song);
  const int n = std::min(clip.Count() - 1, song.ChannelCount() - 1 - first);
  std::vector<int> touched;
  {
    MixerGuard lock;
    const int pattern = song.CurrentPattern;
    for (int j = 0; j <= n; ++j) {
      const TStepBlock& entry = clip.Entries[j];
      const uint8_t marker = entry.At(MaxSteps);
      if (marker == ClipEntryUnused) continue;
      TStepStore& steps = song.Channels[first + j]->Steps;
      if (marker == ClipEntryEmpty) {
        steps.FreePattern(pattern);
      } else {
        steps.AllocPattern(pattern);
        if (TStepBlock* block = steps.Block(pattern)) *block = entry;
      }
      touched.push_back(first + j);
    }
  }
  song.SetModified();
  NotifyRows(song, touched);
  return std::max(0, n + 1);
}

void RandomSteps(TSong& song, const RandomSource& random) {
  std::vector<int> touched;
  {
    MixerGuard lock;
    const int length = song.PatternLength();
    for (int i = song.ChannelCount() - 1; i >= 0; --i) {
      TChannel& channel = *song.Channels[i];
      if (!channel.Selected) continue;
      for (int s = 0; s < length; ++s)
        channel.Steps.SetStepOn(song.CurrentPattern, s, Rand(random, 4) == 0);
      touched.push_back(i);
    }
  }
  NotifyRows(song, touched);
}

void FillEverySteps(TSong& song, int channel, int every) {
  TChannel* c = song.Channel(channel);
  if (!c || every <= 0) return;
  {
    MixerGuard lock;
    for (int s = 0; s < song.PatternLength(); ++s)
      c->Steps.SetStepOn(song.CurrentPattern, s, s % every == 0);
  }
  song.Notify(&SongListener::StepsChanged, channel);
}

void HumanizeSteps(TSong& song, const HumanizeOptions& options, const RandomSource& random) {
  const int p = std::clamp(options.Percent, 0, 100);
  const int a = p * 127 / 100;
  std::vector<int> touched;
  {
    MixerGuard lock;
    const int pattern = song.CurrentPattern;
    for (int i = song.ChannelCount() - 1; i >= 0; --i) {
      TChannel& channel = *song.Channels[i];
      if (!channel.Selected) continue;
      TStepBlock* block = channel.Steps.Block(pattern);
      if (!block) continue;  // no block: no step is on
      for (int s = 0; s < song.PatternLength(); ++s) {
        if (!channel.Steps.IsStepOn(pattern, s)) continue;
        if (options.Volume) {
          const int v = block->Get(s, PlaneVol);
          const int d = v * p / 100;
          block->Set(s, PlaneVol, static_cast<uint8_t>(std::clamp(v - d + Rand(random, 2 * d), 0, 127)));
        }
        if (options.Pan) {
          const int v = block->Get(s, PlanePan);
          block->Set(s, PlanePan, static_cast<uint8_t>(std::clamp(v - a + Rand(random, 2 * a), 0, 127)));
        }
        if (options.Pitch) {
          const int v = block->Get(s, PlanePitch);
          const int d = v * p / 100;
          block->Set(s, PlanePitch, static_cast<uint8_t>(std::clamp(v - d + Rand(random, 2 * d), 0, 240)));
        }
        if (options.Mix) {
          const int v = block->Get(s, PlaneMix);
          block->Set(s, PlaneMix, static_cast<uint8_t>(std::clamp(v - a + Rand(random, 2 * a), 0, 127)));
        }
      }
      touched.push_back(i);
    }
    song.SetModified();
  }
  NotifyRows(song, touched);
}

void ShiftSteps(TSong& song, int direction) {
  const int d = direction < 0 ? -1 : 1;
  std::vector<int> touched;
  {
    MixerGuard lock;
    const int length = song.PatternLength();
    for (int i = 0; i < song.ChannelCount(); ++i) {
      TChannel& channel = *song.Channels[i];
      if (!channel.Selected) continue;
      TStepBlock* block = channel.Steps.Block(song.CurrentPattern);
      if (!block) continue;
      const TStepBlock old = *block;
      for (int lane = StepPlaneCount - 1; lane >= 0; --lane)
        for (int s = 0; s < length; ++s)
          block->Set(s, lane, old.Get((length + s - d) % length, lane));
      touched.push_back(i);
    }
    if (!touched.empty()) song.SetModified();
  }
  NotifyRows(song, touched);
}

TPatternView& PatternView() { return SequencerState().PatternView; }
HumanizeOptions& ProgramHumanizeOptions() { return SequencerState().Humanize; }

void SetPatternLength(TSong& song, int length, TPatternView& view) {
  // The song's notice is told once the lock is left, when the pattern view
  // is set too.
  MixerGuard lock;
  song.SetPatternLength(length);
  PlayPosition().DisplayStep.store(-1);
  Mixer().MixStep = -1;
  view.FirstVisibleStep = 0;
  view.VisibleSteps = std::min(song.PatternLength(), std::max(1, view.MaxVisibleSteps));
  view.ScrollerPosition = 0;
  view.ScrollerMax = song.PatternLength() - view.VisibleSteps;
  view.ScrollerShown = view.ScrollerMax >= 1;
}

int PatternPadCell(int pattern) {
  const int v = pattern - 1;
  return (2 - v / 3) * 3 + v % 3;
}

int PatternOfPadCell(int cell) { return (2 - cell / 3) * 3 + cell % 3 + 1; }

int SelectPatternFromSelector(int pattern) {
  pattern = std::clamp(pattern, 1, MaxPattern);
  if (pattern != Mixer().Song().CurrentPattern) SetCurrentPattern(pattern);
  return PatternPadCell(pattern);
}

const TMenuPreset PatternLengthMenu[3] = {
    {16, "&16 notes per pattern"}, {32, "&32 notes per pattern"}, {64, "&64 notes per pattern"}};

const TMenuPreset TempoPresetMenu[7] = {{120, "120 BPM"}, {125, "125 BPM"}, {130, "130 BPM"},
                                        {135, "135 BPM"}, {140, "140 BPM"}, {145, "145 BPM"},
                                        {150, "150 BPM"}};

void ChangeTempo(int bpm) {
  SetTempo(bpm);
  Mixer().Song().SetModified();
}

void InsertPatternInPlaylist(TSong& song, int& gridRow, bool playlistVisible) {
  TPlaylist& playlist = song.Playlist;
  if (!playlistVisible) {
    int last = -1;
    for (int bar = PlaylistBarCount - 1; bar >= 0; --bar)
      if (!playlist.PlaylistBars[bar].empty()) { last = bar; break; }
    gridRow = std::min(last + 1, PlaylistBarCount - 1) + 1;
  }
  gridRow = std::clamp(gridRow, 1, PlaylistBarCount);
  if (playlist.SetPlaylistCell(song.CurrentPattern, gridRow, true)) song.SetModified();
  if (gridRow < PlaylistBarCount) ++gridRow;
}

}  // namespace vs
