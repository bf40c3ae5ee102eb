#pragma once
// The sample scope and the level meter.
//
// TWAVScope draws a sample in one of two ways. Without a background it is a
// sample view: grid, centre line, the waveform of the sum of both channels
// and the loop markers, drawn with lines. Given a background picture
// (SetBackground) it is an oscilloscope of the output: it draws pixel by
// pixel into a fast bitmap over that picture, in one of five styles (lines,
// dots, columns, circle, flower), one trace of the sum or two traces of the
// channels, each pixel coloured by its row (centre colour at the middle,
// edge colour at the top and bottom), optionally leaving a fading trail.
// The sample is not owned; the owner sets it and repaints.
//
// TWAVVolumeter is a one- or two-channel level meter drawn from two images
// (unlit, lit), horizontal or vertical, moving in steps of Snap pixels.

#include <QImage>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "controls/FastBmp.h"
#include "controls/ImageList.h"
#include "controls/QuickGraphicControl.h"

namespace vs {

class TWAVSample;

enum class TScopeStyle : int { Lines = 0, Dots = 1, Columns = 2, Circle = 3, Flower = 4 };

class TWAVScope : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TWAVScope(QWidget* parent = nullptr);
  ~TWAVScope() override;

  TColor BackColor = 0;
  TColor CenterColor = 0x808080;
  // All four trace colours; rebuilds the colour table.
  void SetLineColor(TColor color);
  TColor LineColor() const { return CentreColors[0]; }
  // The right channel's centre colour (taken at the next table rebuild).
  TColor LineColorRight() const { return CentreColors[1]; }
  void SetLineColorRight(TColor color) { CentreColors[1] = color; }
  // One channel's pair (0 left or sum, 1 right); rebuilds the table.
  void SetTraceColors(int channel, TColor centre, TColor edge);

  // 0: one trace of both channels summed; 1: two traces, right then left.
  bool Stereo() const { return FStereo; }
  void SetStereo(bool stereo) { FStereo = stereo; }

  // The sample view as an overview of the whole sample: each column spans
  // the lowest to the highest value of the frames it stands for, so that a
  // long sample shows its every part (not one frame per column, which folds
  // a steady tone into slow waves).
  bool Overview = false;

  const TWAVSample* Sample() const { return FSample; }
  void SetSample(const TWAVSample* sample) { FSample = sample; }
  TScopeStyle Style() const { return FStyle; }
  void SetStyle(TScopeStyle style) { FStyle = style; }
  // 0 no trail .. 256; the old picture keeps this weight each frame.
  int TrailWeight() const { return FTrail; }
  void SetTrailWeight(int weight);

  // Makes the fast bitmap for the control's size and copies the picture
  // into its lower half (a picture of another width is copied into one as
  // wide as the control rounded up to 4 first).
  void SetBackground(const QImage& picture);
  // The off-screen bitmap (null in the sample view).
  TFastBmp* Bitmap() const { return FBitmap.get(); }
  // Colour-table entry (0xRRGGBB) of a row for a channel.
  uint32_t RowColour(int channel, int row) const;

  // The owner draws extra effects into the surface after it was cleared.
  std::function<void(TWAVScope& scope, TFastBmp& bitmap)> OnPaint;

protected:
  void Paint(TCanvas& canvas) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void MakeBitmap();
  void BuildColourTable();
  void PaintSampleView(TCanvas& canvas);
  void PaintOverview(QPainter& p, int width, int half);
  void PaintOutputScope(TCanvas& canvas);
  void DrawTrace(int channelMode, int tableChannel);
  void Run(int x, int from, int to, int tableChannel);
  void Plot(int x, int y, int tableChannel);

  std::array<TColor, 2> CentreColors{0xFFFFFF, 0xFFFFFF};
  std::array<TColor, 2> EdgeColors{0xFFFFFF, 0xFFFFFF};
  bool FStereo = false;
  const TWAVSample* FSample = nullptr;
  TScopeStyle FStyle = TScopeStyle::Lines;
  int FTrail = 0;
  std::unique_ptr<TFastBmp> FBitmap;
  QImage FShown;  // the top half of FBitmap as the screen takes it
  std::array<std::vector<uint32_t>, 2> Table;
  std::vector<int> Rows;  // per column, for the lines style
};

class TWAVVolumeter : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TWAVVolumeter(QWidget* parent = nullptr);

  bool Stereo() const { return FStereo; }
  void SetStereo(bool stereo);
  Qt::Orientation Orientation() const { return FOrientation; }
  void SetOrientation(Qt::Orientation orientation);
  int Snap() const { return FSnap; }
  // 1..255.
  void SetSnap(int snap);
  // Image 0 unlit, image 1 lit (not owned).
  void SetImages(const TImageList* images);
  // Stores the levels (0..32767); paints (at the next frame) only when the
  // lit part of a meter changes.
  void SetLevels(int left, int right);
  int LeftLevel() const { return Left; }
  int RightLevel() const { return Right; }

protected:
  void Paint(TCanvas& canvas) override;

private:
  void PaintChannel(QPainter& p, int level, int offset);
  int LitLength(int level) const;
  bool FStereo = true;
  Qt::Orientation FOrientation = Qt::Horizontal;
  int FSnap = 3;
  const TImageList* Images = nullptr;
  int Left = 0;
  int Right = 0;
};

}  // namespace vs
