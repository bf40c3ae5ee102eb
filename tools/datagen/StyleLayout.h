#pragma once
// The geometry of the styles the program ships: where every control of the
// main window sits on its pictures. The pictures (tools/datagen/art) are
// drawn around these places and the styles' "config.txt" lists them, so both
// come from this one table.

#include <string>

namespace vs::datagen {

struct TLayoutRect {
  int Left, Top, Width, Height;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
};

struct TLayoutPlace {
  const char* Name;
  TLayoutRect Rect;
};

// The main window's client width (the width of "MenuBack.bmp") and the
// heights of its bands, top to bottom.
inline constexpr int MainWidth = 512;
inline constexpr int SideWidth = 8;  // "LeftSide.bmp", "RightSide.bmp"
inline constexpr int TitleHeight = 20;
inline constexpr int MenuLineHeight = 18;
inline constexpr int PanelHeight = 104;
inline constexpr int BottomHeight = 18;
inline constexpr int RackWidth = MainWidth - 2 * SideWidth;

// Menu bar: seven titles on the menu line, each plate as wide as its
// English title needs (File, Edit, Channels, View, Options, Tools, Help).
inline constexpr int MenuTitles = 7;
inline constexpr int MenuTitleWidths[MenuTitles] = {46, 46, 82, 54, 72, 60, 56};
inline constexpr int MenuTitleLeft(int title) {
  int left = 0;
  for (int i = 0; i < title; ++i) left += MenuTitleWidths[i];
  return left;
}
inline constexpr TLayoutRect MenuBar{4, 0, MenuTitleLeft(MenuTitles), MenuLineHeight};

// Controls on the caption, the menu line, the panel and the info bar.
inline constexpr TLayoutPlace CaptionPlaces[] = {
    {"CaptionLabel", {132, 3, 300, 14}},
    {"MinBtn", {474, 4, 13, 13}},
    {"CloseBtn", {491, 4, 13, 13}},
};
inline constexpr TLayoutPlace MenuLinePlaces[] = {
    {"NewMainMenu", MenuBar},
};
inline constexpr TLayoutPlace PanelPlaces[] = {
    {"LogoZone", {10, 6, 112, 26}},
    {"StartButton", {12, 40, 40, 26}},
    {"LoopButton", {58, 40, 40, 26}},
    {"FXVolBtn", {12, 76, 24, 18}},
    {"FXPitchBtn", {39, 76, 24, 18}},
    {"FXDrawBtn", {66, 76, 24, 18}},
    {"FXNoteBtn", {93, 76, 24, 18}},
    {"PatNumDig", {136, 21, 36, 20}},
    {"PatUpDown", {175, 18, 15, 26}},
    {"PatPad", {136, 52, 45, 39}},
    {"BPMDig", {202, 21, 36, 20}},
    {"BPMUpDown", {241, 18, 15, 26}},
    {"MIDISyncLED", {204, 60, 9, 9}},
    {"MixScope", {272, 12, 112, 58}},
    {"ScopeButton", {272, 78, 22, 18}},
    {"MixVolumeter", {300, 80, 84, 10}},
    {"MainVolSlider", {396, 10, 20, 76}},
    {"ShuffleSlider", {418, 10, 20, 76}},
    {"MainPitchSlider", {440, 10, 20, 76}},
    {"MainResoSlider", {462, 10, 20, 76}},
    {"MainCutOffSlider", {484, 10, 20, 76}},
};
inline constexpr TLayoutPlace BottomPlaces[] = {
    {"InfoLabel", {10, 2, 492, 14}},
};

// Panel sections (the grooves between them) and the printed labels' rows.
inline constexpr int PanelDividers[] = {128, 262, 390};

// A channel row: step cells, front wheel, mute, select and name button,
// relative to the row (the "ChanBtns" table, in that order).
inline constexpr int RowHeight = 27;
inline constexpr int LampRowHeight = 19;
inline constexpr int StepWidth = 16;
inline constexpr TLayoutRect RowSteps{216, 0, 16 * StepWidth, RowHeight};
inline constexpr TLayoutRect RowWheel{4, 2, 23, 23};
inline constexpr TLayoutRect RowMute{32, 3, 13, 21};
inline constexpr TLayoutRect RowSelect{47, 3, 13, 21};
inline constexpr TLayoutRect RowName{63, 3, 140, 21};
inline constexpr TLayoutRect ZippedRow{0, 0, RowName.Width + 4, 16};

// The "config.txt" of the default style and of the light style (which
// holds only what differs).
std::string DefaultStyleConfig();
std::string LightStyleConfig();

}  // namespace vs::datagen
