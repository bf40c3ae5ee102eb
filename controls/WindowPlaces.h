#pragma once
// Where a window opens: on the usable area of its screen, and clear of the
// parts of the main window that must stay in reach (its caption and menu
// bar first, then its panel). A pure rule, tested without a screen; the
// windows go through MoveIntoPlace (controls/WindowTools.h).

#include <vector>

#include "model/Preferences.h"

namespace vs {

// A window of the wanted place and size (its frame) moved onto the work
// area: a window larger than the area keeps the area's left or top edge.
TScreenRect ClampToWorkArea(const TScreenRect& window, const TScreenRect& work);

// True when the two rectangles share a pixel.
bool RectsOverlap(const TScreenRect& a, const TScreenRect& b);

// The place a window opens at: the wanted place on the work area when it
// touches none of the areas to keep clear; else the nearest place on the
// work area below, right of, left of or above them that touches none. When
// no place keeps every area clear, the last area is given up, and so on, so
// that the first one (the caption and menu bar) stays clear wherever it
// can. The window's size never changes.
TScreenRect PlaceWindowRect(const TScreenRect& wanted, const TScreenRect& work,
                            const std::vector<TScreenRect>& keepClear);

}  // namespace vs
