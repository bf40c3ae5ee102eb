#pragma once
// The main window's rules that need no screen: its height between the frame
// and the full rack, the scrollers' knob sizes, where a dragged window may
// go, the info bar's texts, and the keyboard map. The window calls these;
// tests check them without a display.

#include <string>
#include <vector>

namespace vs {

// ---------------------------------------------------------------- height

// FrameHeight: everything but the rack (caption, docks, pattern scroller).
// FullHeight: the frame plus every channel row plus RackSpare pixels.
// Least: the frame plus the rack's first row (firstRowHeight: the rack's
// height that shows it whole; 0 without rows), never above Full: the
// window always shows a row.
constexpr int RackSpare = 14;
struct THeightLimits {
  int Frame = 0;
  int Least = 0;
  int Full = 0;
};
THeightLimits MainHeightLimits(int frameHeight, int rowsHeight, int firstRowHeight = 0);
// SetFormHeight: clamped into Least..Full (Least wins should Full lie
// below it).
int ClampFormHeight(int height, const THeightLimits& limits);
// The height a move or resize of the window may take: with stopAtBottom the
// window may not reach below the work area's bottom (but never below the
// least height); then, with alwaysFull, a window that shows the whole rack
// now keeps that height.
int ProposedFormHeight(int top, int height, int currentHeight, const THeightLimits& limits, int workAreaBottom,
                       bool stopAtBottom, bool alwaysFull);
// The limits on a screen: the window is never taller than the work area;
// the rack scrolls instead. The least height stays.
THeightLimits ScreenHeightLimits(const THeightLimits& limits, int workHeight);
// The height a window of the given top and height takes when asked to grow
// or shrink to wanted (SetFormHeight): with stopAtBottom it grows no further
// than the work area's bottom (a window below it already stays as tall as
// it is); it shrinks as asked.
int GrownFormHeight(int wanted, int currentHeight, int top, int workAreaBottom, bool stopAtBottom);
// The window's top while it is dragged: limited so that the caption stays
// on the work area.
int DraggedFormTop(int top, int captionHeight, int workAreaTop, int workAreaBottom);

// ---------------------------------------------------------------- scrollers

// The knob of the rack scroller: the visible share of the track, at least
// 31 pixels; of the pattern scroller: at least 48. Both are rounded down to
// 3k + 1 pixels (their grip's ridges sit every 3 pixels).
constexpr int RackKnobMinimum = 31;
constexpr int PatternKnobMinimum = 48;
int ScrollerKnobLength(int trackLength, int visible, int total, int minimum);
// The rack scroller's maximum: how far the rows pass the visible rack (0:
// the scroller is hidden).
inline int RackScrollerMax(int rowsHeight, int visibleHeight) {
  return rowsHeight > visibleHeight ? rowsHeight - visibleHeight : 0;
}
// The scroller position that brings a row (top, height) into a view of
// visibleHeight scrolled to position, with 3 pixels to spare.
int ScrollRowIntoView(int position, int visibleHeight, int rowTop, int rowHeight);

// ---------------------------------------------------------------- info bar

// The words the pan texts use (the window's "@Left", "@Right", "@Centered").
struct TPanWords {
  std::string Left = "left";
  std::string Right = "right";
  std::string Centered = "Centered";
};
// ShowPercentInfo: value x 100 div max + "% " + caption.
std::string PercentInfo(const std::string& caption, int value, int max);
// ShowPanInfo: p = (2 x value - max) x 100 div max; 0 is the centred word,
// else |p| + "% " + the right word (p > 0) or the left word.
std::string PanInfo(int value, int max, const TPanWords& words);
// ShowSliderPercentInfo: position x 100 div max + "%".
std::string SliderPercentInfo(int position, int max);
// The swing fader: "%" + swing x 100 div 128 + " " + its hint.
std::string SwingInfo(int swing, const std::string& hint);
// The pitch fader: the cents and its hint.
std::string PitchInfo(int cents, const std::string& hint);
// The floating step-value wheel's text for a value of a step plane: pan in
// the pan words; Vol, Mix, Reso and Cutoff the percent of 127 and the
// plane's name; pitch "Pitch " and (value - 120) x 10 cents; shift the
// shift format ("Shift %s note") with the value in notes (255ths of a step,
// two decimals).
struct TStepValueWords {
  TPanWords Pan;
  std::string ShiftFormat = "Shift %s note";
};
std::string StepValueInfo(int plane, int value, const TStepValueWords& words);

// The floating step-value wheel turns by this many value units per 16
// pixels of travel (one a pixel; a quarter of that with the other button).
constexpr int DotVolSpeed = 16;

// ---------------------------------------------------------------- keys

// Keys as the window reads them: printable keys by their upper-case
// character, the others named here.
enum TMainKeyCode : int {
  KeyShift = 0x1000,
  KeyControl,
  KeyPageUp,
  KeyPageDown,
  KeyLeft,
  KeyRight,
  KeyUp,
  KeyDown,
};

struct TMainKeyInput {
  int Key = 0;          // a character ('0'..'9', 'L', ' ', '+' ...) or a TMainKeyCode
  bool Keypad = false;  // from the numeric keypad
  bool Ctrl = false;
  bool AutoRepeat = false;
};

// What the window and its piano window show while a key comes.
struct TMainKeyContext {
  int ChannelCount = 0;
  bool MainOrPianoActive = true;  // the main window or the piano window has the focus
  bool PianoShown = false;
  bool PatternScrollerShown = false;
};

enum class TMainKeyCommand {
  None,
  ToggleMute,      // Arg: the channel
  Solo,            // Arg: the channel
  PlayStop,
  ToggleSongMode,
  PatternStep,     // Arg: +1 / -1
  SetPattern,      // Arg: the pattern
  PlaylistJump,    // Arg: -1 back, +1 forward
  NoteButton,      // K held: the piano window's keyboard view
  DrawButton,      // Shift held: its graph view
  EditModeHold,    // Arg: 1 (V held) or 2 (P held)
  NextGraphLane,   // F
  RackScroll,      // Arg: -30 / +30 pixels
  PatternScroll,   // Arg: +1 / -1 step (the pattern scroller)
  SelectChannel,   // Arg: -1 previous / +1 next
  LineCursor,      // Ctrl went down
};

struct TMainKeyAction {
  TMainKeyCommand Command = TMainKeyCommand::None;
  int Arg = 0;
  bool operator==(const TMainKeyAction&) const = default;
};

// A key went down (FormKeyDown). Held keys (K, Shift, V, P) and the toggles
// (digits, Space, L) take no auto-repeat.
TMainKeyAction MainKeyDown(const TMainKeyInput& key, const TMainKeyContext& context);

// A key came up (FormKeyUp).
enum class TMainKeyRelease { None, EndEditMode1, EndEditMode2, ReleaseNoteButtons, RestoreCursor };
// graphView: the piano window shows its graph view (Shift ends it then).
TMainKeyRelease MainKeyUp(const TMainKeyInput& key, bool graphView);

// The channel Up / Down selects: from the selected one, wrapping, past
// collapsed channels; -1 when every channel is collapsed.
int NextSelectedChannel(int from, int direction, const std::vector<bool>& collapsed);

}  // namespace vs
