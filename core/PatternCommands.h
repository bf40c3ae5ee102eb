#pragma once
// The commands of the Edit menu and of a channel's line menu that act on the
// steps of the current pattern: cut, copy and paste through the step
// clipboard, random fill, fill every N steps, humanize, shift left / right;
// the pattern length, the pattern selector's pad layout and placing the
// current pattern into the playlist. Each is a plain function the windows
// call; the views follow through the song's notifications (StepsChanged for
// every rewritten row). Step writes are made under MixerLock.

#include <cstdint>
#include <functional>
#include <vector>

#include "model/Song.h"

namespace vs {

// A clipboard entry's velocity byte of step 0 (byte 64) doubles as a marker.
constexpr uint8_t ClipEntryUnused = 255;  // channel not selected at copy time
constexpr uint8_t ClipEntryEmpty = 254;   // selected, but without a block: paste clears

// The program's step clipboard: one 576-byte entry per channel from the first
// copied channel on. Replaced by every copy, kept until the next one.
struct TStepClipboard {
  std::vector<TStepBlock> Entries;
  bool Filled = false;  // a copy was made (paste is enabled)
  int Count() const { return static_cast<int>(Entries.size()); }
};
TStepClipboard& StepClipboard();

// A uniform integer 0..k-1 (0 when k <= 0).
using RandomSource = std::function<int(int)>;
// The program's random source (a seeded Mersenne twister).
int ProgramRandom(int k);

// The first selected channel; else the first that is not collapsed; else 0.
int SelectedChannelIndex(const TSong& song);

// Copies (cut: then frees) the current pattern's blocks of the selected
// channels from SelectedChannelIndex on into the clipboard.
void CopySteps(TSong& song, bool cut = false);
inline void CutSteps(TSong& song) { CopySteps(song, true); }
// Selects every expanded channel (collapsed ones stay as they are), then
// copies.
void CopyWholePattern(TSong& song);
// Writes the clipboard's entries into the channels from SelectedChannelIndex
// on and marks the song modified. Returns the number of entries applied
// (unused entries count); nothing (and -1) without a clipboard.
int PasteSteps(TSong& song);

// Every selected channel: each step below the pattern length is on with
// probability 1/4, off otherwise.
void RandomSteps(TSong& song, const RandomSource& random = ProgramRandom);
// One channel: step s (below the pattern length) on when s mod every = 0.
// every <= 0 changes nothing.
void FillEverySteps(TSong& song, int channel, int every);

// The humanize dialog's choices (the model behind its controls): 25 %,
// volume and pan.
struct HumanizeOptions {
  int Percent = 25;  // the slider position, 0..100
  bool Volume = true;
  bool Pan = true;
  bool Pitch = false;
  bool Mix = false;
};
// The program's choices, kept from one use of the dialog to the next.
HumanizeOptions& ProgramHumanizeOptions();
// Every selected channel, every step that is on below the pattern length:
// velocity, pan, pitch and mix (in that order) moved at random.
void HumanizeSteps(TSong& song, const HumanizeOptions& options,
                   const RandomSource& random = ProgramRandom);

// Rotates every plane of the selected channels' blocks inside the pattern
// length by one step: direction -1 left, +1 right. Steps beyond the length
// keep their bytes.
void ShiftSteps(TSong& song, int direction);

// What the main window shows of a pattern: the visible steps and the
// pattern scroller.
struct TPatternView {
  int MaxVisibleSteps = 16;  // set by the skin
  int FirstVisibleStep = 0;
  int VisibleSteps = 16;
  int ScrollerPosition = 0;
  int ScrollerMax = 0;
  bool ScrollerShown = false;
  int PianoWidth() const { return VisibleSteps * 16; }
};
TPatternView& PatternView();
// Sets the pattern length (8..64) under MixerLock, recomputes the view
// (first visible step 0, visible = min(length, MaxVisibleSteps), scroller
// maximum length - visible, shown when >= 1) and resets the shown and mixed
// step to -1.
void SetPatternLength(TSong& song, int length, TPatternView& view = PatternView());

// The pattern pad's cell for pattern v (patterns 7, 8, 9 on the top row);
// outside 0..8 (no cell lit) from pattern 10 on.
int PatternPadCell(int pattern);
// The pattern for pad cell k (0..8).
int PatternOfPadCell(int cell);

// The pattern selector changed to v (clamped to 1..999): the mixer's song
// moves to that pattern when it is not the current one already. Returns the
// pad cell to light (PatternPadCell). The caller invalidates the step rows
// and shows the pattern's name.
int SelectPatternFromSelector(int pattern);

// The pattern length menu: tags and captions.
struct TMenuPreset {
  int Tag;
  const char* Caption;
};
extern const TMenuPreset PatternLengthMenu[3];  // 16, 32, 64 notes per pattern
// The tempo presets of the menu: 120 to 150 BPM in steps of 5.
extern const TMenuPreset TempoPresetMenu[7];
// The tempo control changed: SetTempo(bpm) and the song is modified.
void ChangeTempo(int bpm);

// Places the current pattern at the playlist grid's row (row = bar + 1) and
// moves the row down one unless it is the last bar's. When the playlist
// window is hidden the row first goes to the bar after the last one that
// holds patterns. Marks the song modified when a bar changed.
void InsertPatternInPlaylist(TSong& song, int& gridRow, bool playlistVisible);

}  // namespace vs
