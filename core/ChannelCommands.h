#pragma once
// What the channel rack's row buttons, the Channels menu and a channel's line
// menu do to the channel model: selection, mute and solo, volume / pan,
// collapsing rows, adding, inserting, deleting and cloning channels and the
// per-channel sample commands. Each is a plain function the windows call;
// the rows follow through the song's notifications (ChannelChanged,
// ChannelListChanged). Arranging the rack and fitting the window are left to
// the caller.

#include <string>

#include "model/Preferences.h"
#include "model/Song.h"

namespace vs {

// The question before deleting channels ("caption|text").
extern const char* const ConfirmDeleteChannelsText;

// Selects channel index alone (nothing when it is collapsed or out of
// range). True when the channel was not selected before (the piano window
// then switches to it).
bool SelectChannel(TSong& song, int index);
// Every expanded channel becomes selected; collapsed ones keep their state.
void SelectAllChannels(TSong& song);
// Select button, right click: the channel's selected flag toggles.
void ToggleChannelSelected(TSong& song, int index);
// Select button, left click: when the channel is already selected and some
// channel is neither selected nor collapsed, all are selected; otherwise
// only this one.
void SelectButtonLeftClick(TSong& song, int index);
// A command from a channel's line menu makes that channel the selected one
// first; then it acts on every selected channel.
inline void ApplyLineMenuRule(TSong& song, int lineMenuChannel) { SelectChannel(song, lineMenuChannel); }

// Name button, mouse down. With Ctrl the channel's sample is previewed and
// the click does nothing; a right button on a collapsed channel expands it
// and cancels the click (the caller arranges the rows); otherwise the click
// goes on to open the channel settings.
enum TNameClick : int { NameClickAllowed, NameClickPreviewed, NameClickExpanded };
TNameClick NameButtonMouseDown(TSong& song, int index, bool ctrl, bool rightButton);

// Mute button: enabled := not muted; the song is modified.
void SetChannelMuted(TSong& song, int index, bool muted);
// Mute button, right click: when every other channel is muted already all
// become enabled, otherwise only this one. The song is not modified.
void SoloChannel(TSong& song, int index);

// What the front wheels show: 0 volume, 1 pan.
enum TVolPanMode : int { VolPanVolume = 0, VolPanPan = 1 };
// which >= 1: pan := value, else volume := value (both clamped to 0..127);
// the song is modified.
void SetChannelVolPan(TSong& song, int index, int value, int which);
// A row's front wheel turned: SetChannelVolPan in the shown mode, then the
// channel is selected.
void FrontWheelChange(TSong& song, int index, int value, int mode);
// The setting's 0 and 1 swap; every row hears of it (its wheel changes
// meaning). Returns the new mode.
int ToggleVolPanMode(TSong& song, TPreferences& prefs);

// Toggles the collapsed flag of every selected channel.
void ZipSelectedChannels(TSong& song);
// Expands every channel.
void UnzipAllChannels(TSong& song);

// Appends a channel (kind > 0: a synthesizer channel with its own name).
TChannel& AddChannelOfKind(TSong& song, int kind);
// Inserts a channel at index (the line-menu channel), shifting the others.
TChannel& InsertChannelOfKind(TSong& song, int index, int kind);

// Asks ConfirmDeleteChannelsText (OK / Cancel); on OK deletes every selected
// channel from the last to the first. Then, OK or not, channels are appended
// until there are at least MinChannelCount. True when OK was pressed.
constexpr int MinChannelCount = 4;
bool DeleteSelectedChannels(TSong& song);

// Copies source's settings (and, for a synthesizer channel, its parameters)
// over target's under MixerLock. Name, steps, sample, selection and
// collapsed state are not copied.
void CopyChannelSettings(const TChannel& source, TChannel& target);
// The name of a clone of a channel named name: the part before the first
// " #" (all of it when there is none) + " #" + the smallest k >= 2 that no
// channel of the song has.
std::string CloneName(const TSong& song, const std::string& name);
// Inserts a clone after every selected channel (settings, sample loaded from
// the source's file, a new name; no steps). SelectOnExpand is off meanwhile.
// Returns the number of clones.
int CloneSelectedChannels(TSong& song);

// The line menu's "Load sample..." item shows for a sample channel, judged
// on SelectedChannelIndex.
bool LineMenuShowsLoadSample(const TSong& song);
// "Cut itself" on SelectedChannelIndex: a sample cut by its own group stops
// being so (both 0); otherwise both become the first free group.
void ToggleCutItself(TSong& song);
// "Stretch to 1 bar" on SelectedChannelIndex: stretch := pattern length,
// or 0 when it already is.
void ToggleStretchToBar(TSong& song);

}  // namespace vs
