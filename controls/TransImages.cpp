#include "controls/TransImages.h"

#include <QPainter>
#include <algorithm>

#include "controls/WindowTools.h"

namespace vs {

// ---------------------------------------------------------------- TSSImage

TSSImage::TSSImage(QWidget* parent) : TQuickGraphicControl(parent) { setObjectName("SSImage"); }

void TSSImage::SetPicture(const QImage& picture) {
  FPicture = picture.convertToFormat(QImage::Format_RGB32);
  Masked = QImage();
  if (AutoSize && !FPicture.isNull()) resize(FPicture.size());
  update();
}

void TSSImage::SetTransparent(bool transparent) {
  FTransparent = transparent;
  update();
}

void TSSImage::Paint(TCanvas& canvas) {
  if (FPicture.isNull()) return;
  if (!FTransparent) {
    canvas.Draw(0, 0, FPicture);
    return;
  }
  if (Masked.isNull() || MaskedFor != TransparentColor) {
    Masked = FPicture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(TransparentColor).rgb() & 0xFFFFFF;
    for (int y = 0; y < Masked.height(); ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(Masked.scanLine(y));
      for (int x = 0; x < Masked.width(); ++x)
        if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
    }
    MaskedFor = TransparentColor;
  }
  canvas.Draw(0, 0, Masked);
}

void TSSImage::MouseMove(const TMouseInfo& mouse) {
  if (!FTransparent) {
    OverOpaque = true;
  } else {
    const bool inside = FPicture.rect().contains(mouse.X, mouse.Y);
    OverOpaque = inside && (FPicture.pixel(mouse.X, mouse.Y) & 0xFFFFFF) != (ToQColor(TransparentColor).rgb() & 0xFFFFFF);
  }
  TQuickGraphicControl::MouseMove(mouse);
}

// ---------------------------------------------------------------- TTransImage

void BlendThroughMask(QImage& work, const QImage& picture, const QImage& mask) {
  const int h = std::min({work.height(), picture.height(), mask.height()});
  const int bytes = 3 * std::min({work.width(), picture.width(), mask.width()});
  for (int y = 0; y < h; ++y) {
    uint8_t* out = work.scanLine(y);
    const uint8_t* pic = picture.constScanLine(y);
    const uint8_t* m = mask.constScanLine(y);
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>((out[i] * (256 - m[i]) + pic[i] * m[i]) >> 8);
  }
}

TTransImage::TTransImage(QWidget* parent) : TQuickGraphicControl(parent) {
  setObjectName("TransImage");
  resize(100, 100);
}

void TTransImage::SetPicture(const QImage& picture) {
  FPicture = picture.convertToFormat(QImage::Format_RGB888);
  FMask = QImage();
  if (!FPicture.isNull()) resize(FPicture.size());
  update();
}

void TTransImage::SetPictureMask(const QImage& mask) {
  if (FPicture.width() <= 0) throw ETransImage("Picture Not Assigned");
  if (mask.size() != FPicture.size()) throw ETransImage("PictureMask size mismatch");
  FMask = mask.convertToFormat(QImage::Format_RGB888);
  update();
}

void TTransImage::Paint(TCanvas& canvas) {
  if (FPicture.width() <= 0 || FMask.width() <= 0) return;
  // What the parent draws under the control.
  QImage work(size(), QImage::Format_RGB888);
  work.fill(Qt::black);
  if (QWidget* parent = parentWidget()) {
    QPainter p(&work);
    p.translate(-x(), -y());
    CallPaintWindow(parent, p, geometry());
  }
  BlendThroughMask(work, FPicture, FMask);
  canvas.Draw(0, 0, work);
}

}  // namespace vs
