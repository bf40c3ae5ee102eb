#pragma once
// The device-independent bitmap picture (".dib" files, bitmaps on the
// clipboard, pictures inside rich text). A TDIB holds a TDIBImage that it
// shares with the pictures it was copied to or from; an image is copied only
// when a holder is about to change a shared or run-length image, so loading,
// copying and drawing never copy pixels. Run-length images are drawn without
// being decoded into the image and saved as they were read.
//
// Readers throw EDIBError with the picture's message; a picture that fails
// to load keeps the image it had.

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>

#include "toolbox/DIBImage.h"

class QIODevice;
class QMimeData;
class QPainter;
class QRect;

namespace vs {

class TCanvas;

class TDIB {
public:
  TDIB();
  TDIB(const TDIB& other);
  TDIB& operator=(const TDIB& other);
  ~TDIB();

  bool Empty() const { return Image_->Empty(); }
  int Width() const { return Image_->Width; }
  int Height() const { return Image_->Height; }
  int BitCount() const { return Image_->BitCount; }
  const std::shared_ptr<TDIBImage>& Image() const { return Image_; }

  // The format of 16- and 32-bit images the next SetSize makes.
  const TDIBPixelFormat& PixelFormat() const { return RequestedFormat; }
  void SetPixelFormat(const TDIBPixelFormat& format) { RequestedFormat = format; }

  // Takes the shared empty image.
  void Clear();
  // Shares other's image.
  void Assign(const TDIB& other);
  // A copy of a Qt image: indexed and 1-bit images keep their colour table
  // and depth, 16-bit ones their 5-6-5 or 5-5-5 format, 32-bit ones stay 32
  // bits; any other format becomes 24 bits. A null image clears.
  void Assign(const QImage& image);

  // The file form (14-byte file header first). An empty input changes
  // nothing; a file header alone gives an empty picture.
  void LoadFromBytes(std::string_view file);
  std::string SaveToBytes() const;  // empty for an empty picture
  // The data form (no file header).
  void ReadData(std::string_view data);
  std::string WriteData() const;
  // Reads the rest of the device; writes the file form.
  void LoadFromStream(QIODevice& device);
  bool SaveToStream(QIODevice& device) const;
  // Through the safe writer; false when the file could not be written.
  void LoadFromFile(const QString& fileName);
  bool SaveToFile(const QString& fileName) const;

  // The clipboard: "image/bmp" (the file form); a bitmap without its file
  // header is read as the data form.
  void LoadFromMimeData(const QMimeData& mime);
  void SaveToMimeData(QMimeData& mime) const;

  // A new picture of width x height of bitCount bits in the requested
  // format with this picture's colour table, zeroed; nothing when all of
  // them are as they are; a side below 1 clears.
  void SetSize(int width, int height, int bitCount);
  void SetWidth(int width);
  void SetHeight(int height);
  // The plain bits for writing (bottom row first): the image is made this
  // picture's own and run-length data decoded first.
  uint8_t* Bits();

  // The picture's own colour table, applied to its image by UpdatePalette.
  const TDIBColourTable& ColourTable() const { return Colours; }
  void SetColourTable(const TDIBColourTable& table) {
    Colours = table;
    UpdatePalette();
  }
  // Up to 256 entries (0xAARRGGBB) become the colour table.
  void SetPalette(const QList<QRgb>& entries);
  void UpdatePalette();
  int PaletteHandle() const { return Image_->PaletteHandle(); }
  bool PaletteModified() const { return PaletteModified_; }
  void SetPaletteModified(bool modified) { PaletteModified_ = modified; }

  // Drawing onto the picture. The canvas is the picture's own (made on first
  // use, kept while the picture lives, following it to every image it takes);
  // what is drawn reaches the bits before the picture is next read, drawn,
  // saved, copied or written through Bits, colours of 1-, 4- and 8-bit
  // pictures becoming their nearest palette entries. An empty picture's
  // canvas draws nowhere.
  TCanvas& Canvas();

  // The picture as an opaque RGB32 image (null when empty).
  QImage ToImage() const;
  // Stretched over target; nothing when empty.
  void Draw(QPainter& painter, const QRect& target) const;

private:
  struct TDIBCanvas;
  void Take(const std::shared_ptr<TDIBImage>& image);
  void MakeUnique();
  // The canvas's drawing into the bits (const: the picture reads as drawn).
  void FlushCanvas() const;
  // The canvas's surface from the image now held.
  void AttachCanvas() const;

  std::shared_ptr<TDIBImage> Image_;
  TDIBColourTable Colours;
  TDIBPixelFormat RequestedFormat;
  bool PaletteModified_ = false;
  // ToImage's last image, of CachedOf; never trusted once the bits were
  // handed out for writing, which can happen at any time after.
  mutable QImage Cached;
  mutable const TDIBImage* CachedOf = nullptr;
  bool BitsOut = false;
  mutable std::unique_ptr<TDIBCanvas> Canvas_;
};

// The program's pictures: ".dib" files through TDIB, every other format Qt
// reads through Qt. A null image and the reason when the file can't be read.
QImage LoadPictureFile(const QString& fileName, QString* error = nullptr);
// File-dialog filters for the pictures LoadPictureFile reads, the
// device-independent bitmap among them.
QStringList PictureFileFilters(const QString& all = QStringLiteral("All pictures"),
                               const QString& dib = QStringLiteral("Device Independent Bitmap"));

}  // namespace vs
