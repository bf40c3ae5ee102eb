#include "toolbox/DIBImage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>

namespace vs {

namespace {

[[noreturn]] void Invalid() { throw EDIBError(EDIBError::InvalidGraphic, "DIB is invalid"); }
[[noreturn]] void TooLarge() { throw EDIBError(EDIBError::OutOfResources, "DIB cannot be made"); }

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

// Reads forward over untrusted bytes; a read past the end is an invalid
// picture, never a read outside the data.
class TCursor {
public:
  explicit TCursor(std::string_view data) : Data(data) {}
  const uint8_t* Take(size_t n) {
    if (n > Data.size() - Pos) Invalid();
    const uint8_t* p = reinterpret_cast<const uint8_t*>(Data.data()) + Pos;
    Pos += n;
    return p;
  }
  uint32_t U32() { return Get32(Take(4)); }
  uint16_t U16() { return Get16(Take(2)); }
  size_t Left() const { return Data.size() - Pos; }
  size_t Pos = 0;

private:
  std::string_view Data;
};

// A mask's run of set bits from its lowest set bit (bits 0 to 30 looked at).
int MaskSize(uint32_t mask) {
  int low = 0;
  while (low < 31 && !(mask >> low & 1)) ++low;
  if (low == 31) return 0;
  return std::countr_one(mask >> low);
}

// One channel of a packed pixel widened to 8 bits.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int size = std::countr_one(mask >> shift);
  const uint32_t v = (pixel & mask) >> shift;
  if (size >= 8) return (v >> (size - 8)) & 0xFF;
  // The value's bits repeated down to the last bit: 0 stays 0, full is 255.
  uint32_t c = 0;
  for (int s = 8 - size; s > -size; s -= size) c |= s >= 0 ? v << s : v >> -s;
  return c & 0xFF;
}

bool IsBitCount(int b) { return b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32; }

}  // namespace

TDIBColourTable GreyscaleColourTable() {
  TDIBColourTable t;
  for (uint32_t i = 0; i < 256; ++i) t[i] = i | i << 8 | i << 16;
  return t;
}

TDIBPixelFormat TDIBPixelFormat::FromSizes(int r, int g, int b) {
  TDIBPixelFormat f;
  f.RedSize = r;
  f.GreenSize = g;
  f.BlueSize = b;
  f.RedMask = ((1u << r) - 1) << (g + b);
  f.GreenMask = ((1u << g) - 1) << b;
  f.BlueMask = (1u << b) - 1;
  f.RedShift = b + g - (8 - r);
  f.GreenShift = b - (8 - g);
  f.BlueShift = 8 - b;
  f.RedLoss = 8 - r;
  f.GreenLoss = 8 - g;
  f.BlueLoss = 8 - b;
  return f;
}

TDIBPixelFormat TDIBPixelFormat::FromMasks(uint32_t r, uint32_t g, uint32_t b) {
  // Sizes from widths stay below 32 bits, so the shifts above are defined.
  TDIBPixelFormat f = FromSizes(std::min(MaskSize(r), 10), std::min(MaskSize(g), 10), std::min(MaskSize(b), 10));
  f.RedMask = r;
  f.GreenMask = g;
  f.BlueMask = b;
  return f;
}

const TDIBPixelFormat& DIBFormat888() {
  static const TDIBPixelFormat f = TDIBPixelFormat::FromSizes(8, 8, 8);
  return f;
}
const TDIBPixelFormat& DIBFormat555() {
  static const TDIBPixelFormat f = TDIBPixelFormat::FromSizes(5, 5, 5);
  return f;
}
const TDIBPixelFormat& DIBFormat565() {
  static const TDIBPixelFormat f = TDIBPixelFormat::FromSizes(5, 6, 5);
  return f;
}

// ---- the image -----------------------------------------------------------

TDIBImage::TDIBImage() : Colours(GreyscaleColourTable()), Format(DIBFormat888()) {}

TDIBImage::~TDIBImage() { TPaletteManager::Instance().Give(Palette); }

uint32_t TDIBImage::Compression() const { return Info.size() >= 20 ? Get32(Info.data() + 16) : 0; }

void TDIBImage::SetColourTable(const TDIBColourTable& table) {
  Colours = table;
  PaletteChanged = true;
  if (ImageSize >= 1 && PaletteCount >= 1 && Info.size() >= PalettePos + 4 * size_t(PaletteCount))
    for (int i = 0; i < PaletteCount; ++i) Put32(Info.data() + PalettePos + 4 * i, table[i]);
}

int TDIBImage::PaletteHandle() const {
  if (PaletteCount < 1) return 0;
  if (PaletteChanged) {
    PaletteChanged = false;
    TPaletteManager::Instance().Give(Palette);
    Palette = TPaletteManager::Instance().Take(Colours, PaletteCount);
  }
  return Palette;
}

const std::shared_ptr<TDIBImage>& EmptyDIBImage() {
  static const std::shared_ptr<TDIBImage> empty = std::make_shared<TDIBImage>();
  return empty;
}

std::shared_ptr<TDIBImage> MakeDIBImage(int width, int height, bool compressed, const TDIBColourTable& colours,
                                        const TDIBPixelFormat& format, int bitCount) {
  if (!IsBitCount(bitCount))
    throw EDIBError(EDIBError::InvalidOperation, "Bitcount in invalid (" + std::to_string(bitCount) + ")");
  const bool formatOk = bitCount == 16 ? format.SameMasks(DIBFormat555()) || format.SameMasks(DIBFormat565())
                                       : format.SameMasks(DIBFormat888());
  if (!formatOk) throw EDIBError(EDIBError::InvalidOperation, "PixelFormat in invalid");
  if (width < 0 || height < 0 || width > MaxDIBSide || height > MaxDIBSide ||
      int64_t(width) * height > MaxDIBPixels)
    TooLarge();
  auto img = std::make_shared<TDIBImage>();
  img->BitCount = bitCount;
  img->Width = width;
  img->Height = height;
  img->RowBytes = ((int64_t(width) * bitCount + 31) >> 5) * 4;
  img->ImageSize = uint64_t(img->RowBytes) * uint64_t(height);
  if (img->ImageSize > MaxDIBImageBytes) TooLarge();
  img->Format = format;
  img->PaletteCount = bitCount <= 8 ? 1 << bitCount : 0;
  const bool masks = bitCount == 16 || bitCount == 32;
  img->PalettePos = masks ? 52 : 40;
  img->Info.assign(img->PalettePos + 4 * size_t(img->PaletteCount), 0);
  uint8_t* h = img->Info.data();
  const uint32_t compression = masks                            ? DIBCompressionBitFields
                               : compressed && bitCount == 4 ? DIBCompressionRLE4
                               : compressed && bitCount == 8 ? DIBCompressionRLE8
                                                             : DIBCompressionRGB;
  Put32(h, 40);
  Put32(h + 4, uint32_t(width));
  Put32(h + 8, uint32_t(height));
  Put16(h + 12, 1);
  Put16(h + 14, uint16_t(bitCount));
  Put32(h + 16, compression);
  Put32(h + 20, uint32_t(img->ImageSize));
  if (masks) {
    Put32(h + 40, format.RedMask);
    Put32(h + 44, format.GreenMask);
    Put32(h + 48, format.BlueMask);
  }
  img->Colours = colours;
  for (int i = 0; i < img->PaletteCount; ++i) Put32(h + img->PalettePos + 4 * i, colours[i]);
  img->Compressed = compression == DIBCompressionRLE8 || compression == DIBCompressionRLE4;
  if (!img->Compressed) img->Bits.assign(img->ImageSize, 0);
  return img;
}

std::shared_ptr<TDIBImage> DuplicateDIBImage(const TDIBImage& source) {
  if (source.Empty()) return std::make_shared<TDIBImage>();
  auto n = MakeDIBImage(source.Width, source.Height, false, source.Colours, source.Format, source.BitCount);
  if (source.Compressed) {
    DecodeDIBRunLength(std::string_view(reinterpret_cast<const char*>(source.Bits.data()), source.Bits.size()),
                       source.BitCount, source.Width, source.Height, n->RowBytes, n->Bits.data());
  } else {
    std::memcpy(n->Bits.data(), source.Bits.data(), std::min(n->Bits.size(), source.Bits.size()));
  }
  return n;
}

// ---- run-length data -----------------------------------------------------

bool DecodeDIBRunLength(std::string_view data, int bitCount, int width, int height, int64_t rowBytes,
                        uint8_t* bits) {
  const auto* src = reinterpret_cast<const uint8_t*>(data.data());
  const size_t n = data.size();
  const bool four = bitCount == 4;
  int64_t x = 0, y = 0;
  auto put = [&](int64_t px, uint32_t value) {
    if (px < 0 || px >= width) return;
    uint8_t* row = bits + y * rowBytes;
    if (!four) {
      row[px] = uint8_t(value);
    } else if (px % 2 == 0) {
      row[px / 2] = uint8_t((row[px / 2] & 0x0F) | (value & 0x0F) << 4);
    } else {
      row[px / 2] = uint8_t((row[px / 2] & 0xF0) | (value & 0x0F));
    }
  };
  size_t i = 0;
  while (i + 2 <= n && y < height) {
    const uint32_t count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {  // a run
      const int64_t end = std::min<int64_t>(x + count, width);
      for (int64_t k = 0; x + k < end; ++k) put(x + k, four ? (k % 2 == 0 ? value >> 4 : value) : value);
      x += count;
    } else if (value == 0) {  // end of row
      x = 0;
      ++y;
    } else if (value == 1) {  // end of image
      return true;
    } else if (value == 2) {  // delta
      if (i + 2 > n) return false;
      x += src[i];
      y += src[i + 1];
      i += 2;
    } else {  // literal pixels, padded to an even count of bytes
      const size_t bytes = four ? (value + 1) / 2 : value;
      const size_t have = std::min(bytes, n - i);
      for (uint32_t k = 0; k < value && (four ? k / 2 : k) < have && x + k < width; ++k) {
        const uint8_t b = src[i + (four ? k / 2 : k)];
        put(x + k, four ? (k % 2 == 0 ? b >> 4 : b) : b);
      }
      if (have < bytes) return false;
      x += value;
      i += bytes + (bytes & 1);
    }
  }
  return false;
}

// ---- reading and writing -------------------------------------------------

namespace {

// bitsAt: where the bits begin in data when a file header says so and it
// lies beyond the palette; 0 = right after the palette.
std::shared_ptr<TDIBImage> ReadData(std::string_view data, size_t* used, size_t bitsAt) {
  if (used) *used = 0;
  if (data.empty()) return nullptr;
  TCursor in(data);
  const uint32_t headerSize = in.U32();
  int64_t width = 0, height = 0;
  int bitCount = 0;
  uint32_t compression = DIBCompressionRGB, imageSize = 0, coloursUsed = 0;
  const bool core = headerSize == 12;
  if (core) {
    width = in.U16();
    height = in.U16();
    in.U16();  // planes
    bitCount = in.U16();
  } else if (headerSize == 40) {
    width = int32_t(in.U32());
    height = int32_t(in.U32());
    in.U16();  // planes
    bitCount = in.U16();
    compression = in.U32();
    imageSize = in.U32();
    in.Take(8);  // resolution
    coloursUsed = in.U32();
    in.U32();  // important colours
  } else {
    Invalid();
  }
  TDIBPixelFormat format = bitCount == 16 ? DIBFormat555() : DIBFormat888();
  if (compression == DIBCompressionBitFields) {
    const uint32_t r = in.U32(), g = in.U32(), b = in.U32();
    format = TDIBPixelFormat::FromMasks(r, g, b);
  }
  uint32_t count = coloursUsed;
  if (count == 0 && bitCount <= 8) count = 1u << bitCount;
  count = std::min<uint32_t>(count, 256);
  TDIBColourTable table{};
  const size_t entry = core ? 3 : 4;
  const uint8_t* pal = in.Take(count * entry);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* e = pal + i * entry;
    table[i] = e[0] | e[1] << 8 | e[2] << 16;
  }
  if (bitsAt > in.Pos && bitsAt <= data.size()) in.Take(bitsAt - in.Pos);

  // A negative height means rows stored top-down; run-length data is always
  // bottom-up, so a top-down compressed image is not a valid picture.
  const bool topDown = height < 0;
  const bool runLength = compression == DIBCompressionRLE8 || compression == DIBCompressionRLE4;
  if (width < 0 || height == INT32_MIN) Invalid();
  if (topDown && runLength) Invalid();
  if ((compression == DIBCompressionRLE8 && bitCount != 8) || (compression == DIBCompressionRLE4 && bitCount != 4))
    Invalid();
  if (compression > DIBCompressionBitFields) Invalid();
  height = topDown ? -height : height;
  auto img = MakeDIBImage(int(width), int(height), runLength, table, format, bitCount);
  if (width == 0 || height == 0) {
    if (used) *used = in.Pos;
    return EmptyDIBImage();
  }
  if (runLength) {
    // A zero size in the header: the rest of the stream is the data.
    const uint64_t size = imageSize != 0 ? imageSize : in.Left();
    if (size > MaxDIBImageBytes) TooLarge();
    const uint8_t* p = in.Take(size);
    img->Bits.assign(p, p + size);
    img->ImageSize = size;
    Put32(img->Info.data() + 20, uint32_t(size));
  } else if (!topDown) {
    const uint8_t* p = in.Take(img->ImageSize);
    std::memcpy(img->Bits.data(), p, img->ImageSize);
  } else {
    for (int row = 0; row < img->Height; ++row) std::memcpy(img->Row(row), in.Take(img->RowBytes), img->RowBytes);
  }
  if (used) *used = in.Pos;
  return img;
}

}  // namespace

std::shared_ptr<TDIBImage> ReadDIBData(std::string_view data, size_t* used) { return ReadData(data, used, 0); }

std::shared_ptr<TDIBImage> ReadDIBFile(std::string_view file) {
  if (file.empty()) return nullptr;
  if (file.size() < 14 || file[0] != 'B' || file[1] != 'M') Invalid();
  const uint32_t offset = Get32(reinterpret_cast<const uint8_t*>(file.data()) + 10);
  auto img = ReadData(file.substr(14), nullptr, offset >= 14 ? offset - 14 : 0);
  return img ? img : EmptyDIBImage();
}

std::string WriteDIBData(const TDIBImage& image) {
  if (image.Empty()) return {};
  std::string out(reinterpret_cast<const char*>(image.Info.data()), image.Info.size());
  out.append(reinterpret_cast<const char*>(image.Bits.data()), std::min<size_t>(image.ImageSize, image.Bits.size()));
  return out;
}

std::string WriteDIBFile(const TDIBImage& image) {
  if (image.Empty()) return {};
  uint8_t head[14] = {'B', 'M'};
  const uint32_t offset = uint32_t(image.Info.size() + 14);
  Put32(head + 2, uint32_t(image.ImageSize + offset));
  Put32(head + 10, offset);
  return std::string(reinterpret_cast<const char*>(head), 14) + WriteDIBData(image);
}

// ---- colours -------------------------------------------------------------

std::vector<uint32_t> DIBToARGB32(const TDIBImage& image) {
  if (image.Empty()) return {};
  const int w = image.Width, h = image.Height;
  std::vector<uint8_t> decoded;
  const uint8_t* bits = image.Bits.data();
  if (image.Compressed) {
    decoded.assign(size_t(image.RowBytes) * size_t(h), 0);
    DecodeDIBRunLength(std::string_view(reinterpret_cast<const char*>(image.Bits.data()), image.Bits.size()),
                       image.BitCount, w, h, image.RowBytes, decoded.data());
    bits = decoded.data();
  }
  std::vector<uint32_t> out(size_t(w) * size_t(h));
  const TDIBPixelFormat& f = image.Format;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = bits + size_t(h - 1 - y) * size_t(image.RowBytes);
    uint32_t* dst = out.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) {
      uint32_t c = 0;
      switch (image.BitCount) {
        case 1: c = image.Colours[row[x / 8] >> (7 - x % 8) & 1]; break;
        case 4: c = image.Colours[x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4]; break;
        case 8: c = image.Colours[row[x]]; break;
        case 24: c = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16; break;
        case 16:
        case 32: {
          const uint32_t p = image.BitCount == 16 ? Get16(row + 2 * x) : Get32(row + 4 * x);
          c = Channel(p, f.RedMask) << 16 | Channel(p, f.GreenMask) << 8 | Channel(p, f.BlueMask);
          break;
        }
      }
      dst[x] = 0xFF000000u | (c & 0xFFFFFF);
    }
  }
  return out;
}

void PutDIBPixel(const TDIBImage& image, uint8_t* p, uint32_t rgb) {
  const uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  if (image.BitCount == 24) {
    p[0] = uint8_t(b);
    p[1] = uint8_t(g);
    p[2] = uint8_t(r);
    return;
  }
  const TDIBPixelFormat& f = image.Format;
  const uint32_t v = (r >> f.RedLoss) << (f.GreenSize + f.BlueSize) | (g >> f.GreenLoss) << f.BlueSize | b >> f.BlueLoss;
  if (image.BitCount == 16)
    Put16(p, uint16_t(v));
  else if (image.BitCount == 32)
    Put32(p, v);
}

void PutDIBColour(TDIBImage& image, int x, int y, uint32_t rgb) {
  if (x < 0 || y < 0 || x >= image.Width || y >= image.Height || image.Compressed || image.Empty()) return;
  uint8_t* row = image.Row(y);
  if (image.BitCount > 8) {
    PutDIBPixel(image, row + size_t(x) * size_t(image.BitCount / 8), rgb);
    return;
  }
  const int r = int(rgb >> 16 & 0xFF), g = int(rgb >> 8 & 0xFF), b = int(rgb & 0xFF);
  int best = 0;
  int64_t bestDistance = INT64_MAX;
  for (int i = 0; i < std::max(image.PaletteCount, 1); ++i) {
    const uint32_t e = image.Colours[size_t(i)];
    const int dr = int(e >> 16 & 0xFF) - r, dg = int(e >> 8 & 0xFF) - g, db = int(e & 0xFF) - b;
    const int64_t d = int64_t(dr) * dr + int64_t(dg) * dg + int64_t(db) * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  switch (image.BitCount) {
    case 8: row[x] = uint8_t(best); break;
    case 4: {
      uint8_t& byte = row[x / 2];
      byte = x % 2 == 0 ? uint8_t((byte & 0x0F) | best << 4) : uint8_t((byte & 0xF0) | (best & 0x0F));
      break;
    }
    case 1: {
      const uint8_t bit = uint8_t(0x80 >> (x % 8));
      row[x / 8] = best ? uint8_t(row[x / 8] | bit) : uint8_t(row[x / 8] & ~bit);
      break;
    }
    default: break;
  }
}

// ---- palettes ------------------------------------------------------------

struct TPaletteManager::TItem {
  uint32_t Checksum = 0;
  int Handle = 0;
  int References = 1;
  std::vector<uint32_t> Entries;  // as stored in the colour table
};

namespace {
std::mutex& PaletteLock() {
  static std::mutex* m = new std::mutex;  // outlives every image freed at exit
  return *m;
}
}  // namespace

TPaletteManager& TPaletteManager::Instance() {
  static TPaletteManager* manager = new TPaletteManager;  // outlives every image freed at exit
  return *manager;
}

int TPaletteManager::Take(const TDIBColourTable& table, int count) {
  count = std::clamp(count, 0, 256);
  uint32_t sum = uint32_t(count);
  for (int i = 0; i < count; ++i) sum += (table[i] & 0xFF) + (table[i] >> 8 & 0xFF) + (table[i] >> 16 & 0xFF);
  std::lock_guard lock(PaletteLock());
  for (auto& item : Items) {
    if (item->Checksum == sum && item->Entries.size() == size_t(count) &&
        std::equal(item->Entries.begin(), item->Entries.end(), table.begin())) {
      ++item->References;
      return item->Handle;
    }
  }
  auto item = std::make_unique<TItem>();
  item->Checksum = sum;
  item->Handle = NextHandle++;
  item->Entries.assign(table.begin(), table.begin() + count);
  Items.push_back(std::move(item));
  return Items.back()->Handle;
}

void TPaletteManager::Give(int& handle) {
  if (handle == 0) return;
  std::lock_guard lock(PaletteLock());
  for (size_t i = 0; i < Items.size(); ++i) {
    if (Items[i]->Handle != handle) continue;
    handle = 0;
    if (--Items[i]->References < 1) Items.erase(Items.begin() + ptrdiff_t(i));
    return;
  }
}

std::vector<uint32_t> TPaletteManager::Entries(int handle) const {
  std::lock_guard lock(PaletteLock());
  for (const auto& item : Items) {
    if (item->Handle != handle) continue;
    std::vector<uint32_t> out;
    for (uint32_t e : item->Entries) out.push_back(0xFF000000u | (e & 0xFFFFFF));
    return out;
  }
  return {};
}

size_t TPaletteManager::Count() const {
  std::lock_guard lock(PaletteLock());
  return Items.size();
}

}  // namespace vs
