// The snow on pictures of any size: every flake and pixel stays inside,
// each column piles up to H + 1 and no further, and the pile can be laid
// again on a picture drawn afresh.

#include <gtest/gtest.h>

#include <random>

#include "editors/Snow.h"

namespace vs {
namespace {

// A picture that counts writes outside it instead of making them.
class TCheckedCanvas : public TSnowCanvas {
public:
  TCheckedCanvas(int w, int h, uint32_t fill = 0x102030) : W(w), H(h), Pixels(size_t(w) * h, fill) {}
  int Width() const override { return W; }
  int Height() const override { return H; }
  uint32_t GetPixel(int x, int y) const override {
    if (!Inside(x, y)) {
      ++Outside;
      return 0;
    }
    return Pixels[size_t(y) * W + x];
  }
  void SetPixel(int x, int y, uint32_t rgb) override {
    if (!Inside(x, y)) {
      ++Outside;
      return;
    }
    Pixels[size_t(y) * W + x] = rgb;
  }
  bool Inside(int x, int y) const { return x >= 0 && x < W && y >= 0 && y < H; }
  int W, H;
  std::vector<uint32_t> Pixels;
  mutable int Outside = 0;
};

TEST(Snow, FlakesStayInsideAndEveryColumnPilesUpToItsLimit) {
  std::mt19937 generator(29);
  auto random = [&generator](int k) { return k > 0 ? int(generator() % unsigned(k)) : 0; };
  // One column (no neighbour on either side), a few, and a scope's size.
  for (const auto [w, h] : {std::pair{1, 6}, std::pair{3, 10}, std::pair{112, 58}}) {
    TSnow snow(random);
    snow.InitSnow(w, h);
    EXPECT_EQ(snow.Flakes().size(), 128u);
    for (const TSnow::TFlake& f : snow.Flakes()) {
      EXPECT_LT(f.Row(), 1);  // every flake starts above the top
      EXPECT_GE(f.Speed, 128);
      EXPECT_LE(f.Speed, 256);
    }
    EXPECT_EQ(snow.LandingLevel(0), 2 * h);
    EXPECT_EQ(snow.DrawnLevel(0), 2 * h - 1);
    TCheckedCanvas canvas(w, h);
    for (int tick = 0; tick < 20000; ++tick) {
      snow.MoveSnow();
      snow.DrawSnow(canvas);
      for (const TSnow::TFlake& f : snow.Flakes()) ASSERT_TRUE(f.X >= 0 && f.X < w);
    }
    EXPECT_EQ(canvas.Outside, 0) << w;
    EXPECT_EQ(snow.Tick(), 20000);
    // Full: each column rose to H + 1 and stays there.
    for (int x = 0; x < w; ++x) {
      EXPECT_EQ(snow.LandingLevel(x), h + 1) << w << " " << x;
      for (int y = 1; y < h; ++y) EXPECT_NE(canvas.Pixels[size_t(y) * w + x], 0x102030u) << x << "," << y;
    }

    // A picture drawn afresh gets the pile again.
    TCheckedCanvas fresh(w, h);
    snow.DrawPile(fresh);
    for (int y = 1; y < h; ++y)
      for (int x = 0; x < w; ++x) EXPECT_NE(fresh.Pixels[size_t(y) * w + x], 0x102030u);
    EXPECT_EQ(fresh.Outside, 0);
  }

  // No picture: no flakes, and nothing breaks.
  TSnow none(random);
  none.InitSnow(0, 40);
  none.MoveSnow();
  TCheckedCanvas empty(0, 0);
  none.DrawSnow(empty);
  EXPECT_TRUE(none.Flakes().empty());
}

TEST(Snow, FlakesAreThePalePeachToWhiteOfTheBlend) {
  // Every draw at its largest: blend weight 256 gives white, speed 256.
  TSnow snow([](int k) { return k - 1; });
  snow.InitSnow(20, 10);
  for (const TSnow::TFlake& f : snow.Flakes()) {
    EXPECT_EQ(f.Color, 0xFFFFFFu);
    EXPECT_EQ(f.Speed, 256);
    EXPECT_EQ(f.X, 19);
    EXPECT_EQ(f.Row(), -9);
  }
  TSnow peach([](int) { return 0; });
  peach.InitSnow(20, 10);
  EXPECT_EQ(peach.Flakes()[0].Color, 0xC0D0EFu);
  EXPECT_EQ(peach.Flakes()[0].Row(), 0);
}

}  // namespace
}  // namespace vs
