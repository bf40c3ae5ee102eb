#pragma once
// Pictures drawn over what lies behind them.
//
// TSSImage shows a picture whose pixels of TransparentColor are left out
// while Transparent is set, and knows whether the mouse is over an opaque
// pixel (MouseOverOpaque).
//
// TTransImage blends its picture over the parent's drawing under it
// through a mask picture of the same size, byte by byte: mask 255 shows
// (almost) only the picture, 0 only the background.

#include <QImage>
#include <stdexcept>

#include "controls/QuickGraphicControl.h"

namespace vs {

class TSSImage : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TSSImage(QWidget* parent = nullptr);

  const QImage& Picture() const { return FPicture; }
  // Copies the picture; with AutoSize the control takes its size.
  void SetPicture(const QImage& picture);
  bool AutoSize = true;
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool transparent);
  TColor TransparentColor = ClKey;

  // The pixel under the mouse at its last move was not transparent.
  bool MouseOverOpaque() const { return OverOpaque; }

protected:
  void Paint(TCanvas& canvas) override;
  void MouseMove(const TMouseInfo& mouse) override;

private:
  QImage FPicture;
  QImage Masked;  // the picture with its transparent pixels cleared
  TColor MaskedFor = ClNone;
  bool FTransparent = true;
  bool OverOpaque = false;
};

class ETransImage : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Blends picture into work through mask, each byte of the first min(w)
// pixels of the first min(h) rows: (work * (256 - m) + picture * m) shr 8.
// All three are Format_RGB888.
void BlendThroughMask(QImage& work, const QImage& picture, const QImage& mask);

class TTransImage : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TTransImage(QWidget* parent = nullptr);

  const QImage& Picture() const { return FPicture; }
  const QImage& PictureMask() const { return FMask; }
  // Takes the picture (24 bits) and its size; the mask becomes empty.
  void SetPicture(const QImage& picture);
  // Throws ETransImage "Picture Not Assigned" without a picture and
  // "PictureMask size mismatch" for a mask of another size; the old mask
  // then stays.
  void SetPictureMask(const QImage& mask);

protected:
  void Paint(TCanvas& canvas) override;

private:
  QImage FPicture;
  QImage FMask;
};

}  // namespace vs
