#include "controls/ImageList.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <map>

#include "core/ProgramPaths.h"

namespace vs {

namespace {

TColor MaskColor = ClKey;

const QImage& NullImage() {
  static const QImage none;
  return none;
}

}  // namespace

void TImageList::Reset(int width, int height) {
  W = std::max(width, 0);
  H = std::max(height, 0);
  Frames.clear();
}

QImage TImageList::MakeFrame(const QImage& picture, TColor mask) const {
  QImage frame(W, H, QImage::Format_ARGB32);
  frame.fill(Qt::transparent);
  {
    QPainter p(&frame);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, picture.convertToFormat(QImage::Format_ARGB32), 0, 0, W, H);
  }
  if (mask != ClNone) {
    const QRgb key = ColorToArgb(ColorToRGB(mask)) & 0x00FFFFFF;
    for (int y = 0; y < H; ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
      for (int x = 0; x < W; ++x)
        if ((row[x] & 0x00FFFFFF) == key) row[x] = 0;
    }
  }
  return frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int TImageList::Add(const QImage& picture, TColor mask) {
  Frames.push_back(MakeFrame(picture, mask));
  return Count() - 1;
}

void TImageList::Insert(int index, const QImage& picture, TColor mask) {
  index = std::clamp(index, 0, Count());
  Frames.insert(Frames.begin() + index, MakeFrame(picture, mask));
}

void TImageList::Move(int from, int to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
  QImage frame = std::move(Frames[from]);
  Frames.erase(Frames.begin() + from);
  Frames.insert(Frames.begin() + to, std::move(frame));
}

const QImage& TImageList::Image(int index) const {
  if (index < 0 || index >= Count()) return NullImage();
  return Frames[index];
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, TColor background) const {
  if (index < 0 || index >= Count()) return;
  if (background != ClNone) canvas.FillRect(TRect::Sized(x, y, W, H), background);
  canvas.Painter().drawImage(x, y, Frames[index]);
}

void TImageList::Draw(QPainter& painter, int x, int y, int index) const {
  if (index < 0 || index >= Count()) return;
  painter.drawImage(x, y, Frames[index]);
}

TColor ImageListMaskColor() { return MaskColor; }

void SetImageListMaskColor(TColor color) { MaskColor = color; }

bool BitmapToImageList(const QImage& bitmap, TImageList& list, int n) {
  return BitmapToImageList(bitmap, list, n, MaskColor);
}

bool BitmapToImageList(const QImage& bitmap, TImageList& list, int n, TColor mask) {
  if (bitmap.isNull()) return false;
  int frameWidth;
  int frames;
  if (n > 0) {
    frameWidth = bitmap.width() / n;
    frames = frameWidth > 0 ? n : 0;
  } else if (n < 0) {
    frameWidth = -n;
    frames = bitmap.width() / frameWidth;
  } else {
    frameWidth = bitmap.width();
    frames = 1;
  }
  list.Reset(frameWidth, bitmap.height());
  for (int i = 0; i < frames; ++i) list.Add(bitmap.copy(i * frameWidth, 0, frameWidth, bitmap.height()), mask);
  return true;
}

bool BitmapFileToImageList(const std::string& file, TImageList& list, int n) {
  QImage bitmap;
  if (!bitmap.load(QString::fromStdString(file))) return false;
  return BitmapToImageList(bitmap, list, n);
}

TColor PixelColor(const QImage& image, int x, int y) {
  if (image.isNull() || !image.valid(x, y)) return ClNone;
  return ArgbToColor(image.pixel(x, y));
}

void GreyBitmap(QImage& bitmap, int wr, int wg, int wb, TColor keep) {
  if (bitmap.isNull()) return;
  const int sum = wr + wg + wb;
  if (sum <= 0) return;
  if (bitmap.format() != QImage::Format_RGB32 && bitmap.format() != QImage::Format_ARGB32)
    bitmap = bitmap.convertToFormat(bitmap.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const QRgb kept = ColorToArgb(ColorToRGB(keep)) & 0x00FFFFFF;
  for (int y = 0; y < bitmap.height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
    for (int x = 0; x < bitmap.width(); ++x) {
      const QRgb c = row[x];
      if (keep != ClNone && (c & 0x00FFFFFF) == kept) continue;
      const int level = (qRed(c) * wr + qGreen(c) * wg + qBlue(c) * wb) / sum;
      row[x] = qRgba(level, level, level, qAlpha(c));
    }
  }
}

QImage MakeDisabledGlyph(const QImage& glyph, TColor face, TColor highlight, TColor shadow) {
  if (glyph.isNull()) return {};
  const QImage source = glyph.convertToFormat(QImage::Format_RGB32);
  const int w = source.width();
  const int h = source.height();
  const QRgb corner = source.pixel(0, 0) & 0x00FFFFFF;
  std::vector<bool> shape(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const QRgb c = source.pixel(x, y) & 0x00FFFFFF;
      shape[size_t(y) * w + x] = c != 0x00FFFFFF && c != corner;
    }
  QImage out(w, h, QImage::Format_RGB32);
  out.fill(ToQColor(face));
  const QRgb light = ToQColor(highlight).rgb();
  const QRgb dark = ToQColor(shadow).rgb();
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x)
      if (shape[size_t(y) * w + x]) out.setPixel(x + 1, y + 1, light);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (shape[size_t(y) * w + x]) out.setPixel(x, y, dark);
  return out;
}

std::string ResourceFile(const std::string& name) { return ProgramPaths().AppPath + "Resources/" + name + ".bmp"; }

QImage LoadResourceBitmap(const std::string& name) {
  QImage image;
  if (!image.load(QString::fromStdString(ResourceFile(name)))) return {};
  return image;
}

TImageList& ResourceImageList(const std::string& name, int frames) {
  static std::map<std::string, TImageList> lists;
  TImageList& list = lists[name];
  if (list.Empty()) {
    const QImage bitmap = LoadResourceBitmap(name);
    if (!bitmap.isNull()) BitmapToImageList(bitmap, list, frames, PixelColor(bitmap, 0, 0));
  }
  return list;
}

QCursor LoadResourceCursor(const std::string& name, QPoint hotSpot, Qt::CursorShape fallback) {
  const QImage bitmap = LoadResourceBitmap(name);
  if (bitmap.isNull()) return QCursor(fallback);
  QImage keyed = bitmap.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ToQColor(ClKey).rgb() & 0x00FFFFFF;
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if ((line[x] & 0x00FFFFFF) == key) line[x] = 0;
  }
  return QCursor(QPixmap::fromImage(keyed), hotSpot.x(), hotSpot.y());
}

}  // namespace vs
