#pragma once
// The painted button frames: one painter per frame style, each drawing a
// raised or pressed face of colour c over a rectangle. Used by the buttons
// and by every control that draws a button face (number bars, spin arrows).

#include "controls/Canvas.h"

namespace vs {

enum class TBtnFrameStyle { FS_Bitmap, FS_Vek3D, FS_VekFlat, FS_Raised, FS_Engraved, FS_Plain, FS_VekGradient };

// Draws the frame and face of style over r in colour color (FS_Bitmap draws
// nothing).
void DrawBtnFrame(TBtnFrameStyle style, TCanvas& canvas, const TRect& r, TColor color, bool pressed);

}  // namespace vs
