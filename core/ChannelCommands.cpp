#include "core/ChannelCommands.h"

#include <algorithm>

#include "core/ChannelFiles.h"
#include "core/PatternCommands.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "toolbox/MLBase.h"
#include "toolbox/MessageBox.h"

namespace vs {

const char* const ConfirmDeleteChannelsText = "Confirm|The selected channels are about to be deleted...";

namespace {

void SetSelected(TSong& song, int index, bool selected) {
  TChannel& c = *song.Channels[index];
  if (c.Selected == selected) return;
  c.Selected = selected;
  song.Notify(&SongListener::ChannelChanged, index);
}

void NotifyAll(TSong& song) {
  for (int i = 0; i < song.ChannelCount(); ++i) song.Notify(&SongListener::ChannelChanged, i);
}

}  // namespace

bool SelectChannel(TSong& song, int index) {
  TChannel* target = song.Channel(index);
  // A select button that toggled by itself shows the flags again.
  if (!target || target->Collapsed) {
    song.NotifyValue(TSongValue::Selection);
    return false;
  }
  const bool was = target->Selected;
  for (int i = 0; i < song.ChannelCount(); ++i) SetSelected(song, i, i == index);
  song.NotifyValue(TSongValue::Selection);
  return !was;
}

void SelectAllChannels(TSong& song) {
  for (int i = 0; i < song.ChannelCount(); ++i)
    if (!song.Channels[i]->Collapsed) SetSelected(song, i, true);
  song.NotifyValue(TSongValue::Selection);
}

void ToggleChannelSelected(TSong& song, int index) {
  if (TChannel* c = song.Channel(index)) SetSelected(song, index, !c->Selected);
  song.NotifyValue(TSongValue::Selection);
}

void SelectButtonLeftClick(TSong& song, int index) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  const bool others = std::any_of(song.Channels.begin(), song.Channels.end(),
                                  [](const auto& ch) { return !ch->Selected && !ch->Collapsed; });
  if (c->Selected && others)
    SelectAllChannels(song);
  else
    SelectChannel(song, index);
}

TNameClick NameButtonMouseDown(TSong& song, int index, bool ctrl, bool rightButton) {
  TChannel* c = song.Channel(index);
  if (!c) return NameClickAllowed;
  if (ctrl) {
    Preview(*c);
    return NameClickPreviewed;
  }
  if (c->Collapsed && rightButton) {
    c->SetZipped(false);
    return NameClickExpanded;
  }
  return NameClickAllowed;
}

void SetChannelMuted(TSong& song, int index, bool muted) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  c->Enabled = !muted;
  song.Notify(&SongListener::ChannelChanged, index);
  song.SetModified();
}

void SoloChannel(TSong& song, int index) {
  if (!song.Channel(index)) return;
  bool othersMuted = true;
  for (int i = 0; i < song.ChannelCount(); ++i)
    if (i != index && song.Channels[i]->Enabled) othersMuted = false;
  for (int i = 0; i < song.ChannelCount(); ++i) {
    TChannel& c = *song.Channels[i];
    const bool enabled = othersMuted || i == index;
    if (c.Enabled == enabled) continue;
    c.Enabled = enabled;
    song.Notify(&SongListener::ChannelChanged, i);
  }
}

void SetChannelVolPan(TSong& song, int index, int value, int which) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  value = std::clamp(value, 0, 127);
  if (which >= 1)
    c->Pan = value;
  else
    c->Volume = value;
  song.Notify(&SongListener::ChannelChanged, index);
  song.SetModified();
}

void FrontWheelChange(TSong& song, int index, int value, int mode) {
  SetChannelVolPan(song, index, value, mode);
  SelectChannel(song, index);
}

int ToggleVolPanMode(TSong& song, TPreferences& prefs) {
  prefs.VolPan = (prefs.VolPan ^ 1) & 1;
  NotifyAll(song);
  return prefs.VolPan;
}

void ZipSelectedChannels(TSong& song) {
  bool changed = false;
  for (auto& c : song.Channels)
    if (c->Selected) {
      c->SetZipped(!c->Collapsed);
      changed = true;
    }
  if (changed) song.SetModified();  // the song keeps each row's collapsed flag
}

void UnzipAllChannels(TSong& song) {
  bool changed = false;
  for (auto& c : song.Channels)
    if (c->Collapsed) {
      c->SetZipped(false);
      changed = true;
    }
  if (changed) song.SetModified();
}

TChannel& AddChannelOfKind(TSong& song, int kind) {
  TChannel& c = AddChannel(song);
  if (kind > 0) c.MakeMB404(true);
  return c;
}

TChannel& InsertChannelOfKind(TSong& song, int index, int kind) {
  TChannel& c = InsertChannel(song, index);
  if (kind > 0) c.MakeMB404(true);
  return c;
}

bool DeleteSelectedChannels(TSong& song) {
  const bool ok = HintMessageBox(WindowText(MainWindowTable, "@ConfirmDeleteChan", ConfirmDeleteChannelsText), MbOKCancel | MbIconQuestion) == IdOK;
  if (ok)
    for (int i = song.ChannelCount() - 1; i >= 0; --i)
      if (song.Channels[i]->Selected) DeleteChannel(song, i);
  while (song.ChannelCount() < MinChannelCount) AddChannel(song);
  return ok;
}

void CopyChannelSettings(const TChannel& source, TChannel& target) {
  std::unique_ptr<MB404Params> params;
  if (source.Kind == 1 && source.Synth && !target.Synth) params = NewMB404Params();
  {
    MixerGuard lock;
    target.Kind = source.Kind;
    target.Volume = source.Volume;
    target.Pan = source.Pan;
    target.MidiChannel = source.MidiChannel;
    target.MidiNote = source.MidiNote;
    target.MidiProgram = source.MidiProgram;
    target.MidiBank = source.MidiBank;
    target.ControllerStart = source.ControllerStart;
    target.EchoFeedback = source.EchoFeedback;
    target.EchoPan = source.EchoPan;
    target.EchoPitch = source.EchoPitch;
    target.EchoCount = source.EchoCount;
    target.EchoTime = source.EchoTime;
    target.EchoResonance = source.EchoResonance;
    target.EchoCutoff = source.EchoCutoff;
    target.Shift = source.Shift;
    target.FirstEffect = source.FirstEffect;
    target.SecondEffectMix = source.SecondEffectMix;
    target.SecondEffectSine = source.SecondEffectSine;
    target.Cutoff = source.Cutoff;
    target.Resonance = source.Resonance;
    target.Stretch = source.Stretch;
    target.PreAmp = source.PreAmp;
    target.Decay = source.Decay;
    target.Attack = source.Attack;
    target.StereoDelay = source.StereoDelay;
    target.Phaser = source.Phaser;
    target.Reverb = source.Reverb;
    target.ReverbType = source.ReverbType;
    target.EffectTrack = source.EffectTrack;
    target.RootNote = source.RootNote;
    target.RenderNote = source.RenderNote;
    target.Enabled = source.Enabled;
    target.ReverseStereo = source.ReverseStereo;
    target.FadeLeftToRight = source.FadeLeftToRight;
    target.Reversed = source.Reversed;
    target.Pitchable = source.Pitchable;
    target.EchoFollowsSwing = source.EchoFollowsSwing;
    if (source.Kind == 1 && source.Synth) {
      if (params) target.Synth = std::move(params);
      target.Synth->Params = source.Synth->Params;
    }
    if (target.Owner) RebuildMB404List(*target.Owner);
  }
  if (target.Owner) target.Owner->Notify(&SongListener::ChannelChanged, target.Index());
}

std::string CloneName(const TSong& song, const std::string& name) {
  const size_t mark = name.find(" #");
  const std::string base = mark == std::string::npos ? name : name.substr(0, mark);
  for (int k = 2;; ++k) {
    const std::string candidate = base + " #" + std::to_string(k);
    const bool taken = std::any_of(song.Channels.begin(), song.Channels.end(),
                                   [&](const auto& c) { return c->Name == candidate; });
    if (!taken) return candidate;
  }
}

int CloneSelectedChannels(TSong& song) {
  song.SelectOnExpand = false;
  int clones = 0;
  for (int i = 0; i < song.ChannelCount(); ++i) {
    if (!song.Channels[i]->Selected) continue;
    TChannel& clone = InsertChannel(song, i + 1);
    const TChannel& source = *song.Channels[i];
    CopyChannelSettings(source, clone);
    // A source that mixes into itself gives a clone that mixes into itself.
    if (source.MixTarget != i) clone.MixTarget = source.MixTarget;
    if (clone.Kind == 0 && !source.SampleFileName.empty())
      LoadFileIntoChannel(song, i + 1, source.SampleFileName, false, false);
    SetChannelName(song, i + 1, CloneName(song, source.Name));
    ++clones;
    ++i;  // skip the clone
  }
  song.SelectOnExpand = true;
  return clones;
}

bool LineMenuShowsLoadSample(const TSong& song) {
  const TChannel* c = song.Channel(SelectedChannelIndex(song));
  return c && c->Kind == 0;
}

void ToggleCutItself(TSong& song) {
  const int index = SelectedChannelIndex(song);
  TChannel* c = song.Channel(index);
  if (!c) return;
  {
    MixerGuard lock;
    TWAVSample& s = c->Sample;
    if (s.CutGroup == s.CutByGroup && s.CutGroup != 0) {
      s.CutGroup = 0;
      s.CutByGroup = 0;
    } else {
      const int group = FirstFreeCutGroup(song, index);
      s.CutGroup = group;
      s.CutByGroup = group;
    }
  }
  song.SetModified();
}

void ToggleStretchToBar(TSong& song) {
  TChannel* c = song.Channel(SelectedChannelIndex(song));
  if (!c) return;
  {
    MixerGuard lock;
    c->Stretch = c->Stretch == song.PatternLength() ? 0 : song.PatternLength();
  }
  song.SetModified();
}

}  // namespace vs
