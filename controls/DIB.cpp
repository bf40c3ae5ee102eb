#include "controls/DIB.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <cstring>
#include <stdexcept>

#include "controls/Canvas.h"
#include "toolbox/SafeFile.h"

namespace vs {

namespace {

constexpr const char* BitmapMime = "image/bmp";

std::string_view View(const QByteArray& bytes) { return std::string_view(bytes.constData(), size_t(bytes.size())); }

TDIBColourTable TableOf(const QList<QRgb>& entries) {
  TDIBColourTable table{};
  for (qsizetype i = 0; i < std::min<qsizetype>(entries.size(), 256); ++i) table[size_t(i)] = entries[i] & 0xFFFFFF;
  return table;
}

}  // namespace

// The canvas draws on an RGB copy of the picture; Before is that copy as it
// was last taken from or written to the bits, so that a flush writes only
// the pixels drawn since (a palette picture's other pixels keep their
// indexes).
struct TDIB::TDIBCanvas {
  QImage Surface;
  QImage Before;
  QPainter Painter;
  TCanvas View{Painter};
  bool Stale = false;  // the bits were handed out since the surface was taken
};

TDIB::TDIB() { Take(EmptyDIBImage()); }

TDIB::TDIB(const TDIB& other) {
  other.FlushCanvas();
  Take(other.Image_);
}

TDIB& TDIB::operator=(const TDIB& other) {
  Assign(other);
  return *this;
}

TDIB::~TDIB() {
  if (Canvas_) Canvas_->Painter.end();
}

void TDIB::Take(const std::shared_ptr<TDIBImage>& image) {
  if (image == Image_) return;
  Image_ = image;
  Colours = image->Colours;
  RequestedFormat = image->Format;
  CachedOf = nullptr;
  BitsOut = false;
  if (Canvas_) AttachCanvas();
}

TCanvas& TDIB::Canvas() {
  if (!Canvas_) {
    Canvas_ = std::make_unique<TDIBCanvas>();
    AttachCanvas();
  } else if (Canvas_->Stale) {
    // Pixels written through Bits since: the surface starts from them.
    FlushCanvas();
    AttachCanvas();
  }
  return Canvas_->View;
}

void TDIB::AttachCanvas() const {
  TDIBCanvas& c = *Canvas_;
  if (c.Painter.isActive()) c.Painter.end();
  CachedOf = nullptr;
  c.Surface = Empty() ? QImage(1, 1, QImage::Format_RGB32) : ToImage();
  c.Surface.detach();
  c.Before = c.Surface.copy();
  c.Stale = false;
  c.Painter.begin(&c.Surface);
  c.View.DeviceChanged();
}

void TDIB::FlushCanvas() const {
  if (!Canvas_ || Empty()) return;
  TDIBCanvas& c = *Canvas_;
  if (!c.Painter.isActive()) return;
  // The painter's state survives the pause.
  const QPen pen = c.Painter.pen();
  const QBrush brush = c.Painter.brush();
  const QFont font = c.Painter.font();
  c.Painter.end();
  bool drawn = false;
  for (int y = 0; y < Height() && !drawn; ++y)
    drawn = std::memcmp(c.Surface.constScanLine(y), c.Before.constScanLine(y), size_t(Width()) * 4) != 0;
  if (drawn) {
    auto* self = const_cast<TDIB*>(this);
    // Only the bits change: the canvas's own surface stays as it is.
    std::unique_ptr<TDIBCanvas> keep = std::move(self->Canvas_);
    self->MakeUnique();
    self->Canvas_ = std::move(keep);
    TDIBImage& img = *Image_;
    for (int y = 0; y < img.Height; ++y) {
      const auto* now = reinterpret_cast<const QRgb*>(c.Surface.constScanLine(y));
      const auto* was = reinterpret_cast<const QRgb*>(c.Before.constScanLine(y));
      for (int x = 0; x < img.Width; ++x)
        if (now[x] != was[x]) PutDIBColour(img, x, y, now[x] & 0xFFFFFF);
    }
    CachedOf = nullptr;
    // The surface shows what the bits now hold (a palette picture's nearest
    // colours).
    c.Surface = ToImage();
    c.Surface.detach();
    c.Before = c.Surface.copy();
  }
  c.Painter.begin(&c.Surface);
  c.Painter.setPen(pen);
  c.Painter.setBrush(brush);
  c.Painter.setFont(font);
  c.View.DeviceChanged();
}

void TDIB::MakeUnique() {
  if (Image_.use_count() < 2 && !Image_->Compressed) return;
  Take(DuplicateDIBImage(*Image_));
}

void TDIB::Clear() { Take(EmptyDIBImage()); }

void TDIB::Assign(const TDIB& other) {
  if (&other == this) return;
  other.FlushCanvas();
  Take(other.Image_);
}

void TDIB::Assign(const QImage& source) {
  if (source.isNull()) {
    Clear();
    return;
  }
  QImage image;
  int bits = 24;
  TDIBPixelFormat format = DIBFormat888();
  switch (source.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
      image = source.convertToFormat(QImage::Format_Mono);
      bits = 1;
      break;
    case QImage::Format_Indexed8:
      image = source;
      bits = 8;
      break;
    case QImage::Format_RGB16:
      format = DIBFormat565();
      bits = 16;
      break;
    case QImage::Format_RGB555:
      format = DIBFormat555();
      bits = 16;
      break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
      bits = 32;
      break;
    default:
      break;
  }
  TDIBColourTable table = Colours;
  if (bits <= 8)
    table = TableOf(image.colorTable());
  else
    image = source.convertToFormat(QImage::Format_RGB32);
  // Always a new image: the old one's pixels are not carried over.
  Take(MakeDIBImage(image.width(), image.height(), false, table, format, bits));
  PaletteModified_ = true;
  TDIBImage& img = *Image_;
  for (int y = 0; y < img.Height; ++y) {
    uint8_t* row = img.Row(y);
    const uchar* src = image.constScanLine(y);
    if (bits <= 8) {
      std::memcpy(row, src, std::min(size_t(img.RowBytes), size_t(image.bytesPerLine())));
      continue;
    }
    const auto* px = reinterpret_cast<const QRgb*>(src);
    for (int x = 0; x < img.Width; ++x) PutDIBPixel(img, row + x * bits / 8, px[x]);
  }
}

void TDIB::LoadFromBytes(std::string_view file) {
  if (auto image = ReadDIBFile(file)) Take(image);
}

std::string TDIB::SaveToBytes() const {
  FlushCanvas();
  return WriteDIBFile(*Image_);
}

void TDIB::ReadData(std::string_view data) {
  auto image = ReadDIBData(data);
  Take(image ? image : EmptyDIBImage());
}

std::string TDIB::WriteData() const {
  FlushCanvas();
  return WriteDIBData(*Image_);
}

void TDIB::LoadFromStream(QIODevice& device) { LoadFromBytes(View(device.readAll())); }

bool TDIB::SaveToStream(QIODevice& device) const {
  const std::string bytes = SaveToBytes();
  return device.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

void TDIB::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw std::runtime_error("Cannot open file \"" + fileName.toStdString() + "\". " + file.errorString().toStdString());
  LoadFromStream(file);
}

bool TDIB::SaveToFile(const QString& fileName) const {
  return WriteFileSafely(QFile::encodeName(fileName).toStdString(), SaveToBytes());
}

void TDIB::LoadFromMimeData(const QMimeData& mime) {
  const QByteArray bytes = mime.data(BitmapMime);
  if (bytes.startsWith("BM"))
    LoadFromBytes(View(bytes));
  else
    ReadData(View(bytes));
}

void TDIB::SaveToMimeData(QMimeData& mime) const {
  if (Empty()) return;
  const std::string bytes = SaveToBytes();
  mime.setData(BitmapMime, QByteArray(bytes.data(), qsizetype(bytes.size())));
}

void TDIB::SetSize(int width, int height, int bitCount) {
  if (width == Width() && height == Height() && bitCount == BitCount() &&
      RequestedFormat.SameMasks(Image_->Format))
    return;
  if (width < 1 || height < 1) {
    Clear();
    return;
  }
  Take(MakeDIBImage(width, height, false, Colours, RequestedFormat, bitCount));
  PaletteModified_ = true;
}

void TDIB::SetWidth(int width) {
  if (width < 1)
    Clear();
  else if (Empty())
    SetSize(width, std::max(Height(), 1), 8);
  else
    SetSize(width, Height(), BitCount());
}

void TDIB::SetHeight(int height) {
  if (height < 1)
    Clear();
  else if (Empty())
    SetSize(std::max(Width(), 1), height, 8);
  else
    SetSize(Width(), height, BitCount());
}

uint8_t* TDIB::Bits() {
  FlushCanvas();
  MakeUnique();
  CachedOf = nullptr;
  BitsOut = true;
  if (Canvas_) Canvas_->Stale = true;
  return Image_->Bits.data();
}

void TDIB::SetPalette(const QList<QRgb>& entries) { SetColourTable(TableOf(entries)); }

void TDIB::UpdatePalette() {
  if (Colours == Image_->Colours) return;
  FlushCanvas();
  const TDIBColourTable table = Colours;
  MakeUnique();
  Colours = table;
  Image_->SetColourTable(table);
  PaletteModified_ = true;
  CachedOf = nullptr;
  if (Canvas_) AttachCanvas();
}

QImage TDIB::ToImage() const {
  if (Empty()) return {};
  FlushCanvas();
  if (!BitsOut && CachedOf == Image_.get()) return Cached;
  const std::vector<uint32_t> argb = DIBToARGB32(*Image_);
  QImage image(Width(), Height(), QImage::Format_RGB32);
  for (int y = 0; y < Height(); ++y)
    std::memcpy(image.scanLine(y), argb.data() + size_t(y) * size_t(Width()), size_t(Width()) * 4);
  Cached = image;
  CachedOf = Image_.get();
  return image;
}

void TDIB::Draw(QPainter& painter, const QRect& target) const {
  if (Empty()) return;
  painter.drawImage(target, ToImage());
}

QImage LoadPictureFile(const QString& fileName, QString* error) {
  QImage image;
  QString why;
  if (QFileInfo(fileName).suffix().compare("dib", Qt::CaseInsensitive) == 0) {
    try {
      TDIB dib;
      dib.LoadFromFile(fileName);
      image = dib.ToImage();
      if (image.isNull()) why = "DIB is invalid";
    } catch (const std::exception& e) {
      why = QString::fromStdString(e.what());
    }
  } else {
    QImageReader reader(fileName);
    image = reader.read();
    if (image.isNull()) why = reader.errorString();
  }
  if (error) *error = why;
  return image;
}

QStringList PictureFileFilters(const QString& all, const QString& dib) {
  QStringList patterns{"*.dib"};
  for (const QByteArray& format : QImageReader::supportedImageFormats()) patterns << "*." + QString::fromLatin1(format);
  return {all + " (" + patterns.join(' ') + ")", dib + " (*.dib)"};
}

}  // namespace vs
