#pragma once
// Image lists and the bitmap routines the controls share.
//
// A TImageList holds frames of one size, each optionally masked: pixels of
// the mask colour are transparent. Frame strips (wheels, buttons, knobs,
// digits) are cut into lists by BitmapToImageList. Every bitmap the program
// ships uses one key colour for transparency, magenta (ClKey); it is also
// the program-wide image-list mask colour until changed.
//
// The controls' own default pictures ("NumB", "SKnobH", "SKnob", "PickNum",
// "MeroUpDown") are files AppPath + "Resources/<name>.bmp"; their top-left
// pixel is the key colour.

#include <QCursor>
#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "controls/Canvas.h"

namespace vs {

class TImageList {
public:
  TImageList() = default;
  TImageList(int width, int height) : W(width), H(height) {}

  int Width() const { return W; }
  int Height() const { return H; }
  int Count() const { return static_cast<int>(Frames.size()); }
  bool Empty() const { return Frames.empty(); }
  // Removes every frame and sets the frame size.
  void Reset(int width, int height);

  // Adds a frame (the top-left width x height part of picture), pixels of
  // mask transparent (ClNone: no mask). Returns its index.
  int Add(const QImage& picture, TColor mask = ClNone);
  // Inserts a frame before index (at the end when index is past it).
  void Insert(int index, const QImage& picture, TColor mask = ClNone);
  // Moves frame from to index to.
  void Move(int from, int to);

  // The frame as a premultiplied ARGB picture; a null picture for an index
  // outside the list.
  const QImage& Image(int index) const;
  // Draws a frame at (x, y), its masked pixels leaving what lies below.
  // With a background colour other than ClNone the frame's rectangle is
  // first filled with it. An index outside the list draws nothing.
  void Draw(TCanvas& canvas, int x, int y, int index, TColor background = ClNone) const;
  void Draw(QPainter& painter, int x, int y, int index) const;

private:
  QImage MakeFrame(const QImage& picture, TColor mask) const;
  int W = 0;
  int H = 0;
  std::vector<QImage> Frames;
};

// The program-wide mask colour of BitmapToImageList (ClKey at start; ClNone
// means lists are made without a mask).
TColor ImageListMaskColor();
void SetImageListMaskColor(TColor color);

// Makes (or refills) list from a horizontal strip: for n > 0, n frames of
// width (bitmap width div n); for n <= 0, frames of width -n (n = 0: one
// frame of the whole width); frame height = bitmap height. Masked with mask
// (the program-wide mask colour by default). False for an empty bitmap.
bool BitmapToImageList(const QImage& bitmap, TImageList& list, int n);
bool BitmapToImageList(const QImage& bitmap, TImageList& list, int n, TColor mask);
// Loads a bitmap file and cuts it as above; false when the file can't be
// read as a picture (the list is left as it was).
bool BitmapFileToImageList(const std::string& file, TImageList& list, int n);

// The colour of a pixel as TColor, and a picture's top-left pixel.
TColor PixelColor(const QImage& image, int x, int y);

// Every pixel but those of keep becomes grey of level
// (R * wr + G * wg + B * wb) div (wr + wg + wb).
void GreyBitmap(QImage& bitmap, int wr, int wg, int wb, TColor keep);

// The embossed "disabled" look of a glyph: its shape (every pixel that is
// neither white nor the top-left pixel's colour) drawn in highlight one
// pixel right and down, then in shadow in place, over a face-coloured
// picture of the same size.
QImage MakeDisabledGlyph(const QImage& glyph, TColor face, TColor highlight, TColor shadow);

// The file of a control resource (AppPath + "Resources/" + name + ".bmp").
std::string ResourceFile(const std::string& name);
// The resource picture; a null picture when it is missing.
QImage LoadResourceBitmap(const std::string& name);
// A list of the resource's frames, masked by its top-left pixel, made on
// first use and shared by every caller until the program ends. Empty when
// the resource is missing (and tried again at the next call).
TImageList& ResourceImageList(const std::string& name, int frames);
// A mouse cursor from a resource picture, its key colour see-through, with
// the hot spot given; the fallback shape when the picture is missing.
QCursor LoadResourceCursor(const std::string& name, QPoint hotSpot, Qt::CursorShape fallback);

}  // namespace vs
