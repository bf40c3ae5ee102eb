#pragma once
// The controls' drawing surface: a small canvas over QPainter that keeps the
// conventions the controls are written in. A rectangle holds Left..Right-1
// and Top..Bottom-1; a line leaves out its end point; a colour is $00BBGGRR
// (TColor), turned into a screen colour here and nowhere else. Drawing is
// pixel-exact (no anti-aliasing) except text.
//
// The "system" colours are the program's own dark instrument-panel scheme:
// a control given ClBtnFace paints in the panel's face colour.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include "controls/ControlMaps.h"
#include "toolbox/AllTools.h"

namespace vs {

// System colours: the high byte $80 and an index.
constexpr TColor ClSystemFlag = 0x80000000;
constexpr TColor ClBtnFace = 0x8000000F;
constexpr TColor ClBtnShadow = 0x80000010;
constexpr TColor ClBtnText = 0x80000012;
constexpr TColor ClBtnHighlight = 0x80000014;
constexpr TColor Cl3DDkShadow = 0x80000015;
constexpr TColor Cl3DLight = 0x80000016;
constexpr TColor ClWindow = 0x80000005;
constexpr TColor ClWindowText = 0x80000008;
constexpr TColor ClHighlight = 0x8000000D;
constexpr TColor ClHighlightText = 0x8000000E;
constexpr TColor ClGrayText = 0x80000011;

// Plain colours as the controls name them.
constexpr TColor ClBlack = 0x00000000;
constexpr TColor ClWhite = 0x00FFFFFF;
constexpr TColor ClRed = 0x000000FF;
constexpr TColor ClSilver = 0x00C0C0C0;
// The transparent key colour of every shipped bitmap (magenta).
constexpr TColor ClKey = 0x00FF00FF;

// A system colour becomes the scheme's plain RGB value; any other colour is
// returned with its high byte cleared.
TColor ColorToRGB(TColor color);
// The screen colour of a TColor (system colours resolved), opaque.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
QRect ToQRect(const TRect& r);
TRect FromQRect(const QRect& r);

class TCanvas {
public:
  // Draws through painter; the painter's device gives the full area.
  explicit TCanvas(QPainter& painter);

  QPainter& Painter() { return P; }
  // The painter was begun on another device: take its size.
  void DeviceChanged();
  int DeviceWidth() const { return W; }
  int DeviceHeight() const { return H; }

  // Pen (lines, outlines, pixels of text) and brush (fills).
  TColor PenColor = ClBlack;
  TColor BrushColor = ClWhite;
  // A clear brush: Rectangle draws its outline only, text has no background.
  bool BrushClear = false;

  void SetFont(const QFont& font);
  const QFont& Font() const { return P.font(); }
  TColor FontColor = ClBlack;

  void FillRect(const TRect& r) { FillRect(r, BrushColor); }
  void FillRect(const TRect& r, TColor color);
  // A one-pixel border just inside r.
  void FrameRect(const TRect& r, TColor color);
  // Outline in the pen colour, inside filled with the brush (unless clear).
  void Rectangle(const TRect& r);
  void MoveTo(int x, int y) {
    PenX = x;
    PenY = y;
  }
  // From the pen position to (x, y), leaving out (x, y); the pen moves there.
  void LineTo(int x, int y);
  void SetPixel(int x, int y, TColor color);
  // Rows Top..Bottom-1 blended from top to bottom colour, one colour a row
  // (BlendColors weight row * 256 div (height - 1)); no fill when the
  // rectangle is 1 pixel high or less.
  void GradientFillV(const TRect& r, TColor top, TColor bottom);

  // Images, at their own size or a part of them.
  void Draw(int x, int y, const QImage& image);
  void Draw(int x, int y, const QImage& image, const TRect& source);

  // Text in FontColor at (x, y) (top-left of its box); with a clear brush
  // the background stays, else it is filled with the brush colour.
  void TextOut(int x, int y, const QString& text);
  int TextWidth(const QString& text) const;
  int TextHeight(const QString& text) const;
  // Size of a word-broken text in a box of the given width and height; "&"
  // marks an accelerator and is not measured.
  TPoint MeasureWrapped(const QString& text, int width, int height) const;
  // Word-broken text, each line centred, "&" shown as an underline, never
  // clipped to r.
  void DrawWrapped(const TRect& r, const QString& text);

  // Clipping: Save/Restore bracket changes; Intersect narrows the clip to r;
  // Exclude removes r from it. ClipEmpty is true when nothing can be drawn.
  void Save() { P.save(); }
  void Restore() { P.restore(); }
  void IntersectClip(const TRect& r);
  void ExcludeClip(const TRect& r);
  bool ClipEmpty() const;

private:
  QPainter& P;
  int W = 0;
  int H = 0;
  int PenX = 0;
  int PenY = 0;
};

// A one-pixel frame: top and left edges in topLeft, bottom and right in
// bottomRight (the bottom-left and top-right corner pixels belong to the
// bottom and right edges).
void DrawFrame3D(TCanvas& canvas, const TRect& r, TColor topLeft, TColor bottomRight);

}  // namespace vs
