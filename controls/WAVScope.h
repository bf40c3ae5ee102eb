#pragma once
// The sample scope and the level meter.
//
// TWAVScope draws a sample in one of two ways. Without a background it is a
// sample view: grid, centre line, the waveform of the sum of both channels
// and the loop markers, drawn with lines. Given a background picture
// (SetBackground) it is an oscilloscope of the output: it draws pixel by
// pixel into its picture over that background, in one of five styles
// (lines, dots, columns, circle, flower), one trace of the sum or two traces
// of the channels, each pixel coloured by its row (centre colour at the
// middle, edge colour at the top and bottom), optionally leaving a fading
// trail. The picture is kept in the screen's own pixel format, and a frame
// (NextFrame) repaints only the rows the old and the new trace cover.
// The sample is not owned; the owner sets it and repaints.
//
// TWAVVolumeter is a one- or two-channel level meter drawn from two images
// (unlit, lit), horizontal or vertical, moving in steps of Snap pixels.

#include <QImage>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

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
  void SetStereo(bool stereo) {
    FStereo = stereo;
    FStale = true;
  }

  // The sample view as an overview of the whole sample: each column spans
  // the lowest to the highest value of the frames it stands for, so that a
  // long sample shows its every part (not one frame per column, which folds
  // a steady tone into slow waves).
  bool Overview = false;

  const TWAVSample* Sample() const { return FSample; }
  void SetSample(const TWAVSample* sample) {
    FSample = sample;
    FStale = true;
  }
  TScopeStyle Style() const { return FStyle; }
  void SetStyle(TScopeStyle style) {
    FStyle = style;
    FStale = true;
  }
  // 0 no trail .. 256; the old picture keeps this weight each frame.
  int TrailWeight() const { return FTrail; }
  void SetTrailWeight(int weight);

  // Makes the output scope's picture for the control's size over this
  // background (a picture of another width is copied into one as wide as
  // the control rounded up to 4 first).
  void SetBackground(const QImage& picture);
  bool IsOutputScope() const { return !FBack.isNull(); }
  // The output scope's picture as it shows (RGB32; null in the sample view).
  const QImage& Picture() const { return FPicture; }
  // Colour-table entry (0xRRGGBB) of a row for a channel.
  uint32_t RowColour(int channel, int row) const;

  // The output scope's next frame from the sample: drawn now, and only the
  // part of the control that changed is repainted. A sample view repaints.
  void NextFrame();

  // The owner draws extra effects into the picture (RGB32) after it was
  // cleared; the whole control then repaints at every frame.
  std::function<void(TWAVScope& scope, QImage& picture)> OnPaint;

protected:
  void Paint(TCanvas& canvas) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void MakePicture();
  void BuildColourTable();
  void PaintSampleView(TCanvas& canvas);
  void PaintOverview(QPainter& p, int width, int half);
  // Draws the output scope's frame; the rectangle that changed.
  QRect DrawFrame();
  void DrawTrace(int channelMode, int tableChannel);
  void Run(int x, int from, int to, int tableChannel);
  void Plot(int x, int y, int tableChannel);
  // A trace pixel (0xRRGGBB), in the picture; x and y inside it.
  void SetPixel(int x, int y, uint32_t rgb) {
    reinterpret_cast<uint32_t*>(FPicture.scanLine(y))[x] = 0xFF000000u | rgb;
  }
  // The traces cover rows from..to of column x too.
  void Cover(int x, int from, int to) {
    TraceLeft = std::min(TraceLeft, x);
    TraceRight = std::max(TraceRight, x);
    TraceTop = std::min(TraceTop, from);
    TraceBottom = std::max(TraceBottom, to);
  }

  std::array<TColor, 2> CentreColors{0xFFFFFF, 0xFFFFFF};
  std::array<TColor, 2> EdgeColors{0xFFFFFF, 0xFFFFFF};
  bool FStereo = false;
  const TWAVSample* FSample = nullptr;
  TScopeStyle FStyle = TScopeStyle::Lines;
  int FTrail = 0;
  QImage FPicture;  // the output scope as it shows
  QImage FBack;     // its background
  // What the traces of the picture cover (left > right: nothing).
  int TraceLeft = 1, TraceRight = 0, TraceTop = 0, TraceBottom = 0;
  bool FStale = true;  // the picture is not drawn from the current values
  bool FWhole = true;  // the next frame draws the whole picture again
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
