// The default style's wheels: strips of 64 frames turning a knob from its
// left stop to its right stop, opaque over the panel face. Frame widths are
// those the skin cuts them by: 23 (middle wheels), 14 (small wheels, also
// the value bars of the step rows) and 25 (synthesizer wheels).

#include "tools/datagen/art/ArtGen.h"
#include "tools/datagen/art/PanelArt.h"

namespace vs::art {
namespace {

constexpr int WheelFrames = 64;

VS_ART("wheels", [](const TArtContext& c) {
  bool ok = c.SaveBmp(KnobStrip(23, WheelFrames), "Styles/Default/MiddleWheel.bmp");
  ok &= c.SaveBmp(KnobStrip(14, WheelFrames), "Styles/Default/SmallWheel.bmp");
  ok &= c.SaveBmp(KnobStrip(25, WheelFrames), "Styles/Default/404Wheel.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
