#pragma once
// The geometry of the owner-drawn tab strip, without a screen: where each
// tab lies, the one-pixel shift of the tabs that are not selected, where a
// tab's image and text go, which tab a point hits, which page Ctrl+Tab
// goes to, and the grip by which a sheet is dragged off. The tab strip and the page control (framework/Tab95.h) draw and
// hit-test through these.

#include <vector>

#include "controls/ControlMaps.h"

namespace vs {

enum TTab95Position { tpTopLeft, tpBottomRight };
enum TTextRotation { trHorizontal, trVertical };

// Room around a tab's text (each side) and the automatic tab height above
// the text height.
constexpr int TabTextPadding = 9;
constexpr int TabHeightPadding = 9;
// How much the selected tab stands out beyond the others.
constexpr int SelectedTabRise = 2;

struct TTabStripShape {
  int Width = 0, Height = 0;  // the control's client size
  int TabWidth = 0;           // fixed tab length along the strip (0: by the text)
  int TabHeight = 0;          // fixed tab depth (0: text height + padding)
  int TextHeight = 13;
  int ImageWidth = 0;         // width of a tab's image (0: none)
  bool Vertical = false;      // tabs along the left or right side
  TTab95Position Position = tpTopLeft;
  bool MultiLine = false;     // rows of tabs instead of one row
  bool ButtonStyle = false;
};

// The rectangles of the tabs for their text widths (the lengths along the
// strip with images and padding; text rotated for vertical tabs). One row
// from the strip's start; with MultiLine the tabs wrap into rows when the
// strip is full, the row of the selected tab lying next to the pages.
std::vector<TRect> LayoutTabs(const TTabStripShape& shape, const std::vector<int>& textWidths, int selected);
// The depth of the strip (all rows) for the rectangles.
int TabStripDepth(const TTabStripShape& shape, const std::vector<TRect>& tabs);
// The page area: the client area less the strip.
TRect PageArea(const TTabStripShape& shape, int stripDepth);

// A tab that is not selected (and not a button) moves away from the edge:
// vertical tabs 1 right (top/left) or 2 left (bottom/right); horizontal
// tabs 1 down or 2 up.
TRect ShiftedTabRect(const TRect& tab, bool selected, const TTabStripShape& shape);

// Where the parts of one tab are drawn (after the fill and the shrink by 1).
struct TTabFace {
  TRect Fill;         // the area filled with the tab's colour
  bool HasImage = false;
  int ImageX = 0, ImageY = 0;
  TRect TextBox;      // what is left for the text
  int TextX = 0, TextY = 0;  // horizontal text: its top left
};
// rect: the tab's (shifted) rectangle; selected tabs rise by 2 at the top.
// imageSize: the image list's height, 0 when the tab has no image.
TTabFace TabFace(TRect rect, bool selected, int imageSize, bool verticalTabs, int textWidth, int textHeight);

// The tab under a point, -1 for none.
int TabAt(const std::vector<TRect>& tabs, int x, int y);

// Ctrl+Tab and Ctrl+Shift+Tab: the next (or previous) page whose tab is
// shown, wrapping around; -1 when no page shows a tab.
int NextShownPage(const std::vector<bool>& shown, int current, bool forward);

// ------------------------------------------------------------ sheet grip

// The side of a draggable sheet that carries its grip.
enum TGripAlign { gaLeft, gaRight, gaTop, gaBottom };

constexpr int GripDepth = 7;        // the grip's depth; the client area shrinks by it
constexpr int GripHotLength = 20;   // length of the part of the grip that starts a drag
constexpr int SheetDragDistance = 4;  // movement in either direction that starts a drag

// The grip's strip along its side of a sheet of width x height.
TRect GripRect(TGripAlign align, int width, int height);
// The area a press must hit: 7 by 20 at one end of the grip (left grip at
// its top, right grip at its bottom, top grip at its right end, bottom grip
// at its left end).
TRect GripHotArea(TGripAlign align, int width, int height);
// The area left for the sheet's controls.
TRect GripClientRect(TGripAlign align, int width, int height);
// The dots of the grip, in the hot area: five pairs, each a 2 x 2 group in
// the shadow colour one pixel down and right of a 2 x 2 group in the
// highlight colour.
struct TGripDots {
  std::vector<TRect> Highlight, Shadow;
};
TGripDots GripDots(TGripAlign align, int width, int height);
// Whether a press moved by (dx, dy) has become a drag.
bool SheetDragStarts(int dx, int dy);

}  // namespace vs
