#include "framework/HintLayout.h"

#include "toolbox/MessageBox.h"

namespace vs {

std::string ShortHint(std::string_view hint) {
  const size_t bar = hint.find('|');
  return std::string(bar == std::string_view::npos ? hint : hint.substr(0, bar));
}

std::string LongHint(std::string_view hint) {
  std::string caption, message;
  SplitHintText(hint, caption, message);
  return message;
}

THintMargins HintMargins(THintStyle style) {
  switch (style) {
    case hsFlat: return {6, 4};
    case hsOffice97: return {6, 6};
    case hsWindows95: break;
  }
  return {8, 4};
}

int CursorExtentBelowHotSpot(const std::function<bool(int x, int y)>& white, int hotSpotY) {
  for (int y = 31; y >= 0; --y)
    for (int x = 0; x < 32; ++x)
      if (!white(x, y)) return y - hotSpotY;
  for (int y = 63; y >= 32; --y)
    for (int x = 0; x < 32; ++x)
      if (white(x, y)) return y - hotSpotY - 32;
  return 32;
}

TDockRect PlaceHint(const THintPlace& p) {
  const THintMargins m = HintMargins(p.Style);
  // The measured rectangle grows by the margins plus one.
  const int textWidth = p.TextWidth + 1;
  const int textHeight = p.TextHeight + 1;
  const int width = textWidth + m.Dx;
  const int height = textHeight + m.Dy;
  TDockRect r{p.CursorX, p.CursorY + p.CursorExtent, p.CursorX + width, p.CursorY + p.CursorExtent + height};
  if (r.Right > p.Screen.Right) {
    r.Left = p.Screen.Right - width;
    r.Right = p.Screen.Right;
  }
  if (r.Bottom > p.Screen.Bottom) {
    if (p.Style == hsOffice97 || (p.HasControl && p.ControlIsWindow)) {
      r.Bottom = p.CursorY - 2;
      r.Top = r.Bottom - textHeight - m.Dy;
    } else if (p.HasControl) {
      r.Bottom = p.Control.Top;
      r.Top = r.Bottom - height;
    }
  }
  return r;
}

}  // namespace vs
