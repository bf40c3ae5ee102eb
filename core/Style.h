#pragma once
// Styles ("skins"): a folder under AppPath + "Styles/" holding the pictures
// of the program's surfaces and a "config.txt" of KEY=value lines with
// fonts, colours, positions, the window shape and a few numbers. A style
// need only hold what differs from the "Default" style: every file is looked
// for in the style's folder first and then in the default style's
// (StyleFilePath), and the style's own "config.txt" is read over the default
// style's.
//
// TStyle is what the configuration says, without pictures; the window side
// loads the pictures once per style (framework/Skin.h) and hands both to the
// windows, which repaint when the style changes.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolbox/AllTools.h"

namespace vs {

struct TPreferences;

inline constexpr const char* DefaultStyleName = "Default";
inline constexpr int DefaultVisibleSteps = 16;
inline constexpr int MaxShownSteps = 64;
inline constexpr int ChannelButtonCount = 5;
inline constexpr int GraphColourCount = 8;

struct TStylePoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TStylePoint&) const = default;
};

// "name,colour,height": missing or unreadable parts keep the old values.
struct TStyleFont {
  std::string Name;
  TColor Color = 0;
  int Height = 11;  // pixels
  bool operator==(const TStyleFont&) const = default;
};

// A control's place: left and top, with a size when the line gave one.
// Parts that were not numbers are absent (the control keeps its own).
struct TStylePlace {
  std::optional<int> Left, Top, Width, Height;
};

// The channel-button table: where the parts of a channel row sit, relative
// to the row.
enum TChannelButton : int { ChanBtnSteps, ChanBtnWheel, ChanBtnMute, ChanBtnSelect, ChanBtnName };

struct TStyle {
  // The style's name (its folder's), its folder and the default style's
  // folder, each ending in "/".
  std::string Name;
  std::string Folder;
  std::string DefaultFolder;

  // Main window.
  std::string Hint;                 // shown in the info bar
  std::vector<int> MenuSep;         // left edges of menu titles 2..n
  TStyleFont TitleFont{"Sans", 0xE8E0D8, 11};
  TStyleFont HintFont{"Sans", 0x9CD8E8, 11};
  std::array<TColor, 4> ScopeCol{0x30D0A0, 0x104830, 0x30D0A0, 0x104830};
  bool ScopeFX = false;
  std::array<TColor, 3> SampleScopeCol{0x202020, 0x404040, 0x60E0B0};
  std::array<TColor, GraphColourCount> GraphCol{};
  TColor MainScrollerCol = 0x404040;
  // Polygons cut out of the window's shape (even-odd fill), each of at
  // least three points.
  std::vector<std::vector<TStylePoint>> DefHole;
  std::array<TStylePoint, ChannelButtonCount> ChanBtns{};
  int MaxVisibleSteps = DefaultVisibleSteps;  // "nNotesShown"

  // Sample browser.
  TStyleFont SBTitleFont{"Sans", 0xE0E0E0, 12};
  TStyleFont SBTreeFont{"Sans", 0xC8C8C8, 11};
  std::array<TColor, 8> SBCol{};
  TColor SBScrollerCol = 0x404040;

  // Every other "name=left,top[,width,height]" line, in file order (a later
  // line for the same name wins).
  std::vector<std::pair<std::string, TStylePlace>> Places;

  TStyle();

  // The place a line gave for a control (names compare in any case).
  const TStylePlace* Place(std::string_view control) const;
  // The menu titles' left edges for a bar of titleCount titles: entries
  // beyond the titles are ignored.
  std::vector<int> MenuSepFor(int titleCount) const;
  // StyleFilePath for this style.
  std::string FilePath(std::string_view name) const;
};

// Reads a configuration text into style over what it holds. Lines that are
// empty or begin with "'" are skipped; every other "key=value" line sets its
// key (names in any case). Numbers out of range are refused: nNotesShown
// keeps to 1..64 (16 when not a number), sizes and font heights must not be
// negative, colours are $00BBGGRR values, a DefHole of fewer than three
// points or with an odd count of numbers is ignored.
void LoadSkinConfig(TStyle& style, std::string_view text);

// The style folders under appPath + "Styles/", by name in any case (so that
// the stored index keeps pointing at the same folder).
std::vector<std::string> ListStyles(const std::string& appPath);
// The index a style list and the stored "Style" choose: the stored index
// when it lies in the list, else the folder named "Default" (any case),
// else 0; -1 for an empty list.
int ChooseStyleIndex(const std::vector<std::string>& styles, const std::optional<int>& stored);

// The style named name under appPath: folders set, the default style's
// "config.txt" read and then the style's own (when it has one). A style
// whose folder is missing is the default style under that name.
TStyle LoadStyle(const std::string& appPath, const std::string& name);

// The style the program shows (set by the window side's skin loading).
TStyle& CurrentStyle();
// For tests: the style the program starts with again, its folders found
// anew under the program's path at first use, and the built-in graph
// colours.
void ResetStyle();
// AppPath + "Styles/" + the current style's name + "/".
std::string StyleFolder();
// StyleFolder() + name when that file exists (in any case), else the
// default style's file of that name.
std::string StyleFilePath(std::string_view name);

// The step lanes take the style's graph colours.
void ApplyGraphColours(const TStyle& style);
// The style becomes the program's: CurrentStyle(), the graph colours, and
// the most steps the rows show (the caller sets the pattern length again to
// lay the rows out).
void ApplyStyle(const TStyle& style);

// Plays the current style's start sound ("StartSnd.WAV") as a preview.
void PlayStartSound();

}  // namespace vs
