#include "editors/Snow.h"

#include <algorithm>

namespace vs {

namespace {

// The screen colour 0xRRGGBB of a colour $00BBGGRR and back.
uint32_t ToRGB(TColor c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }
TColor FromRGB(uint32_t rgb) { return RGBColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

TSnow::TSnow(std::function<int(int)> random) : Random(std::move(random)) {}

void TSnow::Start(TFlake& flake) {
  flake.X = Random(W);
  flake.Y = Bias - (Random(H) << 8);
  flake.Speed = Random(129) + 128;
  flake.Color = BlendColors(Random(257), 0xC0D0EF, 0xFFFFFF);
}

void TSnow::InitSnow(int width, int height) {
  // The levels must stay in 24.8 with the bias: pictures of sane sizes.
  W = std::clamp(width, 0, 1 << 14);
  H = std::clamp(height, 0, 1 << 14);
  if (W == 0 || H == 0) W = H = 0;
  FTick = 0;
  Landing.assign(size_t(W), 2 * H);
  Drawn.assign(size_t(W), 2 * H - 1);
  PileColor.assign(size_t(W) * H, 0);
  PileWeight.assign(size_t(W) * H, 0);
  FFlakes.assign(W ? FlakeCount : 0, TFlake());
  for (TFlake& flake : FFlakes) Start(flake);
}

void TSnow::MoveSnow() {
  const int32_t limit = (H << 8) + Bias;
  for (size_t i = 0; i < FFlakes.size(); ++i) {
    TFlake& f = FFlakes[i];
    if (f.Y == Settled) {
      Start(f);
      continue;
    }
    if (f.Y >= limit) continue;  // landed, waiting to be drawn
    if ((FTick + int(i)) % 4 == 0) {
      const int d = Random(3);
      if (d != 1) f.X = (f.X + W + d - 1) % W;
    }
    f.Y += f.Speed;
    if (f.Row() + H < Landing[f.X]) continue;
    // Down onto a lower neighbour, never past the edges.
    while (f.X > 0 && Landing[f.X - 1] > Landing[f.X]) --f.X;
    while (f.X < W - 1 && Landing[f.X + 1] > Landing[f.X]) ++f.X;
    f.Y = (Landing[f.X] << 8) + Bias;
    if (Landing[f.X] > H + 1) --Landing[f.X];
  }
  ++FTick;
}

void TSnow::PilePixel(TSnowCanvas& bitmap, int x, int y, TColor color, int weight) {
  if (x < 0 || x >= W || y < 0 || y >= H || x >= bitmap.Width() || y >= bitmap.Height()) return;
  const TColor under = FromRGB(bitmap.GetPixel(x, y));
  bitmap.SetPixel(x, y, ToRGB(weight >= 256 ? color : BlendColors(weight, under, color)));
  const size_t at = size_t(y) * W + x;
  if (weight >= PileWeight[at]) {
    PileColor[at] = color;
    PileWeight[at] = static_cast<int16_t>(weight);
  }
}

void TSnow::DrawSnow(TSnowCanvas& bitmap) {
  for (TFlake& f : FFlakes) {
    if (f.Y == Settled) continue;
    const int row = f.Row();
    if (row < 0) continue;
    if (row < H) {
      if (f.X < bitmap.Width() && row < bitmap.Height()) bitmap.SetPixel(f.X, row, ToRGB(f.Color));
      continue;
    }
    // Landed: the pixel above takes a little of its colour, the column is
    // filled down to the pile.
    PilePixel(bitmap, f.X, row - H - 1, f.Color, 96);
    for (int level = row; level <= Drawn[f.X]; ++level) PilePixel(bitmap, f.X, level - H, f.Color, 256);
    Drawn[f.X] = row - 1;
    f.Y = Settled;
  }
}

void TSnow::DrawPile(TSnowCanvas& bitmap) const {
  const int w = std::min(W, bitmap.Width()), h = std::min(H, bitmap.Height());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t at = size_t(y) * W + x;
      const int weight = PileWeight[at];
      if (weight == 0) continue;
      const TColor color = PileColor[at];
      bitmap.SetPixel(x, y, ToRGB(weight >= 256 ? color : BlendColors(weight, FromRGB(bitmap.GetPixel(x, y)), color)));
    }
}

}  // namespace vs
