#pragma once
// Snow that falls over a picture and piles up at its bottom: 128 flakes of
// pale colours, each falling at its own speed and drifting sideways now and
// then, sliding off a pile onto a lower neighbour, and settling; the pile of
// each column rises until it nearly reaches the top. The skin switches it on
// for the main window's scope.
//
// Positions are 24.8 fixed point: a flake's y is biased by $400000, so its
// pixel row is (y >> 8) - 16384 and a y below the bias lies above the top.
// A column's levels count from H: level H + r is row r, so a new column
// lands flakes at 2H (just below the picture) and draws down to 2H - 1.
//
// No flake, drift or slide ever leaves the picture: a flake at the left or
// right edge slides only inward, and every pixel written is inside.

#include <cstdint>
#include <functional>
#include <vector>

#include "toolbox/AllTools.h"

namespace vs {

// The picture the snow draws on: pixels as 0xRRGGBB.
class TSnowCanvas {
public:
  virtual ~TSnowCanvas() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual uint32_t GetPixel(int x, int y) const = 0;
  virtual void SetPixel(int x, int y, uint32_t rgb) = 0;
};

class TSnow {
public:
  static constexpr int FlakeCount = 128;
  static constexpr int32_t Bias = 0x400000;
  static constexpr int32_t Settled = int32_t(0x80000001);

  struct TFlake {
    int X = 0;
    int32_t Y = Settled;
    TColor Color = 0;
    int Speed = 0;  // 1/256 pixel a tick
    int Row() const { return (Y >> 8) - (Bias >> 8); }
  };

  // random(k): a whole number 0..k-1.
  explicit TSnow(std::function<int(int)> random);

  // Every column empty, every flake above the top. A picture without
  // pixels has no snow.
  void InitSnow(int width, int height);
  // One tick: settled flakes start again, falling ones drift, fall, slide
  // and land.
  void MoveSnow();
  // The flakes on the picture: falling ones as a pixel each, landed ones
  // filling their column down to the pile (and kept in the pile).
  void DrawSnow(TSnowCanvas& bitmap);
  // The pile as it stands, laid on a picture drawn afresh each time.
  void DrawPile(TSnowCanvas& bitmap) const;

  int Width() const { return W; }
  int Height() const { return H; }
  int Tick() const { return FTick; }
  const std::vector<TFlake>& Flakes() const { return FFlakes; }
  int LandingLevel(int x) const { return Landing[x]; }
  int DrawnLevel(int x) const { return Drawn[x]; }

private:
  void Start(TFlake& flake);
  void PilePixel(TSnowCanvas& bitmap, int x, int y, TColor color, int weight);

  std::function<int(int)> Random;
  int W = 0, H = 0;
  int FTick = 0;
  std::vector<TFlake> FFlakes;
  std::vector<int> Landing, Drawn;
  // The pile: per pixel the flake's colour and its weight (0 none, 96 the
  // blended edge, 256 snow).
  std::vector<TColor> PileColor;
  std::vector<int16_t> PileWeight;
};

}  // namespace vs
