#pragma once
// Bitmap files made by hand for the picture reader's tests: headers with any
// field, and pictures of every bit depth filled with a pattern.

#include <cstdint>
#include <string>

#include "toolbox/DIBImage.h"

namespace vs::dibtest {

inline std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }
inline std::string Le32(uint32_t v) { return Le16(v) + Le16(v >> 16); }

// A 40-byte information header.
inline std::string Header40(int32_t w, int32_t h, int bits, uint32_t compression = 0, uint32_t imageSize = 0,
                            uint32_t coloursUsed = 0) {
  return Le32(40) + Le32(uint32_t(w)) + Le32(uint32_t(h)) + Le16(1) + Le16(bits) + Le32(compression) +
         Le32(imageSize) + Le32(0) + Le32(0) + Le32(coloursUsed) + Le32(0);
}

// The 14-byte file header before data; offset 0 = right after the header
// block (bits follow the palette).
inline std::string FileOf(const std::string& data, uint32_t offset) {
  return "BM" + Le32(uint32_t(14 + data.size())) + Le32(0) + Le32(offset) + data;
}

// A picture of w x h in the given depth (16 bits: 5-5-5 or 5-6-5), its
// palette and pixels drawn from seed.
inline std::shared_ptr<TDIBImage> PatternImage(int bits, int w, int h, uint32_t seed,
                                               const TDIBPixelFormat& format = DIBFormat888()) {
  TDIBColourTable table{};
  for (int i = 0; i < 256; ++i) table[i] = (uint32_t(i) * 2654435761u + seed) & 0xFFFFFF;
  auto img = MakeDIBImage(w, h, false, table, format, bits);
  uint32_t v = seed;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = img->Row(y);
    for (int x = 0; x < w; ++x) {
      v = v * 1103515245u + 12345u;
      const uint32_t r = v >> 8;
      switch (bits) {
        case 1: row[x / 8] = uint8_t(row[x / 8] | (r & 1) << (7 - x % 8)); break;
        case 4: row[x / 2] = uint8_t(row[x / 2] | (r & 15) << (x % 2 ? 0 : 4)); break;
        case 8: row[x] = uint8_t(r); break;
        default: PutDIBPixel(*img, row + x * bits / 8, r); break;
      }
    }
  }
  return img;
}

// 9 x 5, 4 bits: runs (odd lengths), literals with and without padding, a
// delta, ends of rows and the end of the image.
inline std::string RunLength4() {
  const uint8_t rle[] = {
      5, 0x12, 0, 3, 0x34, 0x50, 1, 0x70, 0, 0,  // row 0: 1 2 1 2 1 3 4 5 7
      0, 2, 2, 1,                                // delta to x 2 of row 2 (row 1 stays 0)
      4, 0xAB, 0, 0,                             // row 2: . . A B A B
      0, 5, 0x12, 0x34, 0x50, 0, 0, 0,           // row 3: 1 2 3 4 5 (3 bytes padded)
      9, 0xCD, 0, 1};                            // row 4: C D C D C D C D C, end
  return std::string(reinterpret_cast<const char*>(rle), sizeof rle);
}
// 7 x 4, 8 bits, the same items.
inline std::string RunLength8() {
  const uint8_t rle[] = {3, 9, 0, 3, 4, 5, 6, 0, 1, 7, 0, 0,  // row 0: 9 9 9 4 5 6 7
                         0, 2, 3, 0,                          // delta to x 3 of row 1
                         2, 8, 0, 0,                          // row 1: . . . 8 8
                         0, 4, 1, 2, 3, 4, 0, 0,              // row 2: 1 2 3 4
                         7, 250, 0, 1};                       // row 3: 250 x 7
  return std::string(reinterpret_cast<const char*>(rle), sizeof rle);
}

inline std::string RunLengthFile(int bits, int w, int h, const std::string& rle) {
  std::string palette;
  for (int i = 0; i < (1 << bits); ++i) palette += Le32(uint32_t(i * 0x0B1D07 + 0x102030) & 0xFFFFFF);
  return FileOf(Header40(w, h, bits, bits == 8 ? 1 : 2, uint32_t(rle.size())) + palette + rle,
                uint32_t(54 + palette.size()));
}

}  // namespace vs::dibtest
