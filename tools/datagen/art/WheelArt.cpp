// The default style's wheels: strips of 64 frames turning a knob from its
// left stop to its right stop, keyed so that they sit on any surface (the
// rack's, the panel's), their edges smoothed toward the rack. Frame widths are
// those the skin cuts them by: 23 (middle wheels), 14 (small wheels, also
// the value bars of the step rows) and 25 (synthesizer wheels).

#include "tools/datagen/art/ArtGen.h"
#include "tools/datagen/art/PanelArt.h"

namespace vs::art {
namespace {

constexpr int WheelFrames = 64;

VS_ART("wheels", [](const TArtContext& c) {
  bool ok = c.SaveBmp(KnobStrip(23, WheelFrames, RackFace, true), "Styles/Default/MiddleWheel.bmp");
  ok &= c.SaveBmp(KnobStrip(14, WheelFrames, RackFace, true), "Styles/Default/SmallWheel.bmp");
  ok &= c.SaveBmp(KnobStrip(25, WheelFrames, RackFace, true), "Styles/Default/404Wheel.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
