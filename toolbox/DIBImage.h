#pragma once
// Device-independent bitmaps without a screen: the image a picture holds
// (information block, colour table, pixel format and bits), read from and
// written to the bitmap file form (14-byte file header) and the data form
// (no file header: clipboard, embedded pictures), with the 8-bit and 4-bit
// run-length encodings. Rows are kept bottom-up, the top row last, whatever
// order the file had.
//
// Everything read is untrusted: sizes are checked in 64 bits against fixed
// limits before anything is allocated, a short stream is reported and never
// read past its end, and run-length data can't write outside the image.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vs {

// A colour-table entry as stored: blue in the low byte, then green, red and a
// reserved byte (0). Read as a 32-bit value it is 0x00RRGGBB.
using TDIBColourTable = std::array<uint32_t, 256>;

// Entry i = grey i: the table of a fresh image.
TDIBColourTable GreyscaleColourTable();

// Header compression values.
enum : uint32_t { DIBCompressionRGB = 0, DIBCompressionRLE8 = 1, DIBCompressionRLE4 = 2, DIBCompressionBitFields = 3 };

// What a picture may hold: each side at most MaxDIBSide pixels, at most
// MaxDIBPixels pixels (so that its colours fit in 256 MiB too) and at most
// MaxDIBImageBytes of bits (plain or run-length).
constexpr int64_t MaxDIBSide = 65535;
constexpr int64_t MaxDIBPixels = int64_t(1) << 26;
constexpr uint64_t MaxDIBImageBytes = uint64_t(256) << 20;

// How 16- and 32-bit pixels hold their colours.
struct TDIBPixelFormat {
  uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
  int RedSize = 0, GreenSize = 0, BlueSize = 0;    // bits
  int RedShift = 0, GreenShift = 0, BlueShift = 0;  // see FromSizes
  int RedLoss = 0, GreenLoss = 0, BlueLoss = 0;     // 8 - size

  // Red above green above blue, packed from bit 0.
  static TDIBPixelFormat FromSizes(int r, int g, int b);
  // Sizes are the runs of set bits from each mask's lowest set bit; the masks
  // are kept as given (so a format whose masks are not packed red over green
  // over blue is not mistaken for one that is).
  static TDIBPixelFormat FromMasks(uint32_t r, uint32_t g, uint32_t b);
  bool SameMasks(const TDIBPixelFormat& o) const {
    return RedMask == o.RedMask && GreenMask == o.GreenMask && BlueMask == o.BlueMask;
  }
};
const TDIBPixelFormat& DIBFormat888();
const TDIBPixelFormat& DIBFormat555();
const TDIBPixelFormat& DIBFormat565();

// A failure with the picture's own message.
class EDIBError : public std::runtime_error {
public:
  enum TKind {
    InvalidGraphic,    // "DIB is invalid"
    InvalidOperation,  // "PixelFormat in invalid", "Bitcount in invalid (%d)"
    OutOfResources,    // "DIB cannot be made" (larger than the limits)
  };
  EDIBError(TKind kind, const std::string& message) : std::runtime_error(message), Kind(kind) {}
  TKind Kind;
};

// The image data shared by pictures. Made by MakeDIBImage or a reader and
// held through std::shared_ptr; an image held by more than one picture is
// copied before it changes (see TDIB).
class TDIBImage {
public:
  TDIBImage();  // a fresh empty image: greyscale table, 8-8-8, no bits
  ~TDIBImage();
  TDIBImage(const TDIBImage&) = delete;
  TDIBImage& operator=(const TDIBImage&) = delete;

  int BitCount = 0;
  int Width = 0, Height = 0;
  int64_t RowBytes = 0;
  uint64_t ImageSize = 0;  // bytes of Bits (run-length data for a compressed image)
  // Header (40 bytes), for 16 and 32 bits the three masks, then the palette.
  std::vector<uint8_t> Info;
  size_t PalettePos = 40;
  int PaletteCount = 0;
  TDIBColourTable Colours{};
  bool Compressed = false;  // Bits hold run-length data
  TDIBPixelFormat Format;
  std::vector<uint8_t> Bits;  // bottom row first

  bool Empty() const { return ImageSize == 0; }
  uint32_t Compression() const;  // from the header
  // Bytes of row y counted from the top (plain images only).
  uint8_t* Row(int y) { return Bits.data() + size_t(Height - 1 - y) * size_t(RowBytes); }
  const uint8_t* Row(int y) const { return Bits.data() + size_t(Height - 1 - y) * size_t(RowBytes); }

  // Copies the table and its first PaletteCount entries into the block.
  void SetColourTable(const TDIBColourTable& table);
  // The palette handle for this image's table (0 without a palette), taken
  // from the palette manager again after the table changed.
  int PaletteHandle() const;

private:
  mutable int Palette = 0;
  mutable bool PaletteChanged = true;
};

// The one empty image every empty picture holds.
const std::shared_ptr<TDIBImage>& EmptyDIBImage();

// A new image of width x height pixels: 1, 4, 8, 24 and 32 bits need the
// 8-8-8 format, 16 bits 5-5-5 or 5-6-5. Plain images get zeroed bits; a
// compressed one (4 or 8 bits) gets none (its reader fills them).
std::shared_ptr<TDIBImage> MakeDIBImage(int width, int height, bool compressed, const TDIBColourTable& colours,
                                        const TDIBPixelFormat& format, int bitCount);
// A plain copy of an image; run-length data is decoded into plain rows.
std::shared_ptr<TDIBImage> DuplicateDIBImage(const TDIBImage& source);

// The data form: header, masks, palette, bits. Returns nullptr when data is
// empty (nothing to read) and EmptyDIBImage() for an empty picture; throws
// EDIBError otherwise. *used (when given) receives the bytes taken.
std::shared_ptr<TDIBImage> ReadDIBData(std::string_view data, size_t* used = nullptr);
// The file form: the 14-byte file header, then the data form. nullptr when
// file is empty.
std::shared_ptr<TDIBImage> ReadDIBFile(std::string_view file);
// Nothing for an empty image.
std::string WriteDIBData(const TDIBImage& image);
std::string WriteDIBFile(const TDIBImage& image);

// Decodes 8-bit (bitCount 8) or 4-bit (bitCount 4) run-length data into
// zeroed plain bits of width x height (rows of rowBytes, bottom row first).
// Runs, literals and deltas are clipped to the image; decoding stops at the
// end-of-image mark, below the last row, or at the end of the data. True
// when the end-of-image mark was reached.
bool DecodeDIBRunLength(std::string_view data, int bitCount, int width, int height, int64_t rowBytes,
                        uint8_t* bits);

// The picture's colours, top row first, as 0xFFRRGGBB (indexes beyond the
// palette give black); run-length images are decoded on the way.
std::vector<uint32_t> DIBToARGB32(const TDIBImage& image);
// One 16-, 24- or 32-bit pixel of colour 0x??RRGGBB in the image's format,
// stored at p (little-endian).
void PutDIBPixel(const TDIBImage& image, uint8_t* p, uint32_t rgb);
// Pixel (x, y) of a plain image, counted from the top-left, set to colour
// 0x??RRGGBB: 16 bits and more in the image's format, 1, 4 and 8 bits as
// the nearest of its palette's entries (the first of equals).
void PutDIBColour(TDIBImage& image, int x, int y, uint32_t rgb);

// One palette per distinct colour table, shared by every image that uses it.
class TPaletteManager {
public:
  static TPaletteManager& Instance();
  // A handle (> 0) for the first count entries of table; an existing item
  // with the same entries is shared.
  int Take(const TDIBColourTable& table, int count);
  // Gives a handle back and sets it to 0; the palette goes with its last
  // holder. A handle that no item holds is left as it is.
  void Give(int& handle);
  // The 0xFFRRGGBB entries of a handle (empty for an unknown one).
  std::vector<uint32_t> Entries(int handle) const;
  size_t Count() const;  // palettes alive

private:
  struct TItem;
  std::vector<std::unique_ptr<TItem>> Items;
  int NextHandle = 1;
};

}  // namespace vs
