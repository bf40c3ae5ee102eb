#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "support/TempDir.h"
#include "toolbox/DIBImage.h"
#include "toolbox/DIBTestFiles.h"

namespace vs {
namespace {

using namespace dibtest;

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const EDIBError& e) {
    return e.what();
  }
  return "";
}

TEST(DIBImage, EveryDepthWrittenReadsBackEqual) {
  struct TCase {
    int Bits;
    TDIBPixelFormat Format;
    uint32_t Offset;
  };
  const TCase cases[] = {{1, DIBFormat888(), 54 + 8},    {4, DIBFormat888(), 54 + 64},  {8, DIBFormat888(), 1078},
                         {16, DIBFormat555(), 66},       {16, DIBFormat565(), 66},      {24, DIBFormat888(), 54},
                         {32, DIBFormat888(), 66}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Bits);
    // 13 x 7: every row is padded to four bytes.
    auto img = PatternImage(c.Bits, 13, 7, 99, c.Format);
    const std::string file = WriteDIBFile(*img);
    ASSERT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(uint8_t(file[10]) | uint8_t(file[11]) << 8, c.Offset);
    EXPECT_EQ(file.size(), c.Offset + img->ImageSize);
    auto back = ReadDIBFile(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->BitCount, c.Bits);
    EXPECT_TRUE(back->Format.SameMasks(c.Format));
    EXPECT_EQ(back->Bits, img->Bits);
    EXPECT_EQ(DIBToARGB32(*back), DIBToARGB32(*img));
    EXPECT_EQ(WriteDIBFile(*back), file);
    // The data form (no file header) reads the same.
    size_t used = 0;
    auto data = ReadDIBData(file.substr(14), &used);
    EXPECT_EQ(used, file.size() - 14);
    EXPECT_EQ(data->Bits, img->Bits);
  }
}

TEST(DIBImage, ColoursOfEachDepthAreExact) {
  // Colours survive the round trip exactly where the depth holds them.
  auto img = MakeDIBImage(3, 1, false, GreyscaleColourTable(), DIBFormat565(), 16);
  PutDIBPixel(*img, img->Row(0), 0xFF0000);
  PutDIBPixel(*img, img->Row(0) + 2, 0x00FF00);
  PutDIBPixel(*img, img->Row(0) + 4, 0x842008);
  EXPECT_EQ(DIBToARGB32(*img), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF842008}));
  auto rgb = MakeDIBImage(2, 2, false, GreyscaleColourTable(), DIBFormat888(), 24);
  PutDIBPixel(*rgb, rgb->Row(0), 0x123456);
  PutDIBPixel(*rgb, rgb->Row(1) + 3, 0xABCDEF);
  EXPECT_EQ(rgb->Bits[0 + 3], 0xEF);  // the bottom row comes first
  EXPECT_EQ(DIBToARGB32(*rgb), (std::vector<uint32_t>{0xFF123456, 0xFF000000, 0xFF000000, 0xFFABCDEF}));
}

TEST(DIBImage, TopDownCoreHeaderMasksAndGaps) {
  auto img = PatternImage(8, 5, 4, 7);
  const std::string file = WriteDIBFile(*img);
  std::string info = file.substr(14, 40 + 1024);
  // Rows top-down with a negative height read as the same bottom-up image.
  std::string topDown = Header40(5, -4, 8) + info.substr(40);
  for (int y = 0; y < 4; ++y) topDown.append(reinterpret_cast<const char*>(img->Row(y)), img->RowBytes);
  auto td = ReadDIBData(topDown);
  EXPECT_EQ(td->Bits, img->Bits);
  EXPECT_EQ(WriteDIBData(*td), file.substr(14));  // written with a positive height

  // A core header with 3-byte palette entries gives the same colour table.
  std::string core = Le32(12) + Le16(5) + Le16(4) + Le16(1) + Le16(8);
  for (int i = 0; i < 256; ++i) core += Le32(img->Colours[i]).substr(0, 3);
  core.append(reinterpret_cast<const char*>(img->Bits.data()), img->Bits.size());
  auto cr = ReadDIBData(core);
  EXPECT_EQ(cr->Colours, img->Colours);
  EXPECT_EQ(WriteDIBData(*cr), file.substr(14));

  // 16 bits: 5-6-5 and 5-5-5 masks, or none (5-5-5).
  const std::string px(8, '\x5A');
  auto masked = [&](int bits, uint32_t r, uint32_t g, uint32_t b) {
    return Header40(2, 1, bits, 3) + Le32(r) + Le32(g) + Le32(b) + px;
  };
  EXPECT_TRUE(ReadDIBData(masked(16, 0xF800, 0x7E0, 0x1F))->Format.SameMasks(DIBFormat565()));
  EXPECT_TRUE(ReadDIBData(masked(16, 0x7C00, 0x3E0, 0x1F))->Format.SameMasks(DIBFormat555()));
  EXPECT_TRUE(ReadDIBData(Header40(2, 1, 16) + px)->Format.SameMasks(DIBFormat555()));
  EXPECT_TRUE(ReadDIBData(masked(32, 0xFF0000, 0xFF00, 0xFF))->Format.SameMasks(DIBFormat888()));
  EXPECT_EQ(Message([&] { ReadDIBData(masked(16, 0xF000, 0xF00, 0xF0)); }), "PixelFormat in invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(masked(32, 0xF800, 0x7E0, 0x1F)); }), "PixelFormat in invalid");
  // Masks of the right widths in another order would swap the colours.
  EXPECT_EQ(Message([&] { ReadDIBData(masked(32, 0xFF, 0xFF00, 0xFF0000)); }), "PixelFormat in invalid");

  // Bits placed after a gap (as the file header's offset says) are found.
  const std::string data = file.substr(14);
  const std::string gapped = "BM" + Le32(uint32_t(file.size() + 6)) + Le32(0) + Le32(1078 + 6) +
                             data.substr(0, 1064) + std::string(6, '\x77') + data.substr(1064);
  EXPECT_EQ(ReadDIBFile(gapped)->Bits, img->Bits);
  // An offset that points into the palette is not believed.
  EXPECT_EQ(ReadDIBFile(FileOf(data, 20))->Bits, img->Bits);
}

TEST(DIBImage, EmptyShortAndInvalidStreams) {
  EXPECT_EQ(ReadDIBFile(""), nullptr);     // nothing read: the picture stays as it was
  EXPECT_EQ(ReadDIBData(""), nullptr);
  EXPECT_EQ(ReadDIBFile(FileOf("", 14)), EmptyDIBImage());  // only the file header
  EXPECT_TRUE(EmptyDIBImage()->Empty());
  const std::string good = Header40(1, 1, 24) + std::string(4, 0);
  EXPECT_EQ(Message([&] { ReadDIBFile("BM" + std::string(11, 0)); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBFile("XY" + std::string(12, 0) + good); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData("\x28\0\0"); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(Le32(20) + std::string(40, 0)); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(1, 1, 24, 5) + std::string(4, 0)); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(1, 1, 7) + std::string(1024, 0)); }), "Bitcount in invalid (7)");
  EXPECT_EQ(Message([&] { ReadDIBData(good.substr(0, good.size() - 1)); }), "DIB is invalid");  // short bits
  EXPECT_EQ(Message([&] { ReadDIBData(good.substr(0, 30)); }), "DIB is invalid");               // short header
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(2, 2, 8) + std::string(100, 0)); }), "DIB is invalid");  // palette
  // Run-length data only for its own depth, and never top-down.
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(2, 2, 24, 1, 2) + std::string("\0\1", 2)); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(2, 2, 4, 1, 2, 1) + Le32(0) + std::string("\0\1", 2)); }),
            "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(2, -2, 8, 1, 2, 1) + Le32(0) + std::string("\0\1", 2)); }),
            "DIB is invalid");
  // Sizes beyond the limits fail before anything is allocated.
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(0x7FFFFFFF, 1, 24)); }), "DIB cannot be made");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(65535, -65535, 32)); }), "DIB cannot be made");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(65535, 2048, 1, 0, 0, 2) + std::string(8, 0)); }), "DIB cannot be made");  // pixels
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(-5, 1, 24)); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(1, INT32_MIN, 24)); }), "DIB is invalid");
  EXPECT_EQ(Message([&] { ReadDIBData(Header40(4, 4, 8, 1, 1000, 1) + Le32(0) + std::string("\0\1", 2)); }),
            "DIB is invalid");  // run-length data said to be longer than the stream
  EXPECT_EQ(Message([&] { MakeDIBImage(4, 4, false, GreyscaleColourTable(), DIBFormat565(), 24); }),
            "PixelFormat in invalid");
  // A picture of no pixels is the empty picture.
  EXPECT_EQ(ReadDIBData(Header40(0, 5, 24)), EmptyDIBImage());
}

// Pixel indexes of a decoded picture, top row first.
std::vector<int> Indexes(const TDIBImage& plain) {
  std::vector<int> out;
  for (int y = 0; y < plain.Height; ++y)
    for (int x = 0; x < plain.Width; ++x)
      out.push_back(plain.BitCount == 8 ? plain.Row(y)[x] : (plain.Row(y)[x / 2] >> (x % 2 ? 0 : 4)) & 15);
  return out;
}

TEST(DIBImage, RunLengthDecodesItemByItemAndStaysCompressedUntilWritten) {
  auto four = ReadDIBFile(RunLengthFile(4, 9, 5, RunLength4()));
  ASSERT_TRUE(four->Compressed);
  EXPECT_EQ(Indexes(*DuplicateDIBImage(*four)),
            (std::vector<int>{0xC, 0xD, 0xC, 0xD, 0xC, 0xD, 0xC, 0xD, 0xC,  // top = the last row written
                              1,   2,   3,   4,   5,   0,   0,   0,   0,  0, 0, 0xA, 0xB, 0xA, 0xB, 0, 0, 0,
                              0,   0,   0,   0,   0,   0,   0,   0,   0,  1, 2, 1,   2,   1,   3,   4, 5, 7}));
  auto eight = ReadDIBFile(RunLengthFile(8, 7, 4, RunLength8()));
  EXPECT_EQ(Indexes(*DuplicateDIBImage(*eight)),
            (std::vector<int>{250, 250, 250, 250, 250, 250, 250, 1, 2, 3, 4, 0, 0, 0,  //
                              0,   0,   0,   8,   8,   0,   0,   9, 9, 9, 4, 5, 6, 7}));
  // Saved undecoded: the run-length data and its header size as read.
  const std::string file = RunLengthFile(8, 7, 4, RunLength8());
  EXPECT_EQ(WriteDIBFile(*eight), file);
  EXPECT_EQ(eight->ImageSize, RunLength8().size());
  // Decoding for display leaves the picture compressed.
  EXPECT_EQ(DIBToARGB32(*eight).size(), 28u);
  EXPECT_TRUE(eight->Compressed);
}

TEST(DIBImage, HostileRunLengthStaysInsideTheImage) {
  // A 6 x 3 8-bit target inside guard bytes.
  const int w = 6, h = 3, rowBytes = 8;
  auto decode = [&](const std::vector<uint8_t>& rle, int bits = 8) {
    std::vector<uint8_t> buffer(16 + rowBytes * h + 16, 0xEE);
    std::fill(buffer.begin() + 16, buffer.begin() + 16 + rowBytes * h, 0);
    const bool ended = DecodeDIBRunLength(std::string_view(reinterpret_cast<const char*>(rle.data()), rle.size()),
                                          bits, w, h, rowBytes, buffer.data() + 16);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(buffer[size_t(i)], 0xEE);
      EXPECT_EQ(buffer[buffer.size() - 1 - size_t(i)], 0xEE);
    }
    // Bytes of each row beyond the width stay untouched too.
    for (int y = 0; y < h; ++y)
      for (int x = (bits == 8 ? w : (w + 1) / 2); x < rowBytes; ++x) EXPECT_EQ(buffer[size_t(16 + y * rowBytes + x)], 0);
    return std::make_pair(ended, std::vector<uint8_t>(buffer.begin() + 16, buffer.end() - 16));
  };
  // A run and a literal far longer than the row are clipped to it.
  auto [ended, bits] = decode({255, 7, 0, 0, 0, 200, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 1});
  EXPECT_FALSE(ended);  // the literal's bytes run out before its end
  EXPECT_EQ(std::vector<uint8_t>(bits.begin(), bits.begin() + 8), (std::vector<uint8_t>{7, 7, 7, 7, 7, 7, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bits.begin() + 8, bits.begin() + 16), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0}));
  // Deltas beyond the image, rows past the last one, a truncated delta.
  EXPECT_FALSE(decode({0, 2, 250, 0, 3, 9, 0, 2, 0, 250, 5, 5}).first);
  EXPECT_FALSE(decode({0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 0, 1}).first);
  EXPECT_FALSE(decode({0, 2, 1}).first);
  EXPECT_FALSE(decode({3}).first);
  EXPECT_TRUE(decode({2, 6, 0, 1}).first);
  // 4 bits: the same limits on nibbles.
  EXPECT_FALSE(decode({255, 0x77, 0, 0, 0, 255, 0x12, 0x34}, 4).first);
}

// ImageMagick from Debian: our decoding of a bitmap equals its own.
std::string ImageMagick() {
  for (const char* name : {"convert-im6.q16", "magick", "convert"}) {
    std::stringstream path(getenv("PATH") ? getenv("PATH") : "");
    std::string dir;
    while (std::getline(path, dir, ':')) {
      const std::string p = dir + "/" + name;
      if (access(p.c_str(), X_OK) == 0) return p;
    }
  }
  return {};
}

std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* f = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    pclose(f);
  }
  return out;
}

std::string RGBBytes(const std::vector<uint32_t>& argb) {
  std::string out;
  for (uint32_t c : argb) out += {char(c >> 16), char(c >> 8), char(c)};
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST(DIBImage, RunLengthFilesReadAsImageMagickDecodesThem) {
  const std::string im = ImageMagick();
  if (im.empty()) GTEST_SKIP() << "ImageMagick is not installed (scripts/install-deps.sh)";
  TTestDir dir;
  auto decodeWithIM = [&](const std::string& bmp) {
    return RunCommand("'" + im + "' '" + bmp + "' -depth 8 rgb:-");
  };

  // ImageMagick encodes a picture of 40 colours in bands and spots as 8-bit
  // run-length data.
  const int w = 61, h = 29;
  std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  std::string source;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int c = (x * x + y * 3) % 97 < 5 ? 39 - (x + y) % 7 : (x / 12 + y / 5) % 33;
      source += {char(c * 6), char(255 - c * 5), char((c * 37) % 256)};
    }
  const std::string in = dir.Write("in.ppm", ppm + source), out = dir / "rle8.bmp";
  RunCommand("'" + im + "' '" + in + "' -type Palette -compress RLE BMP3:'" + out + "'");
  const std::string made = ReadFile(out);
  auto image = ReadDIBFile(made);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->Compression(), DIBCompressionRLE8);
  EXPECT_LT(image->ImageSize, uint64_t(w * h) * 3 / 4);  // truly run-length coded
  EXPECT_EQ(RGBBytes(DIBToARGB32(*image)), decodeWithIM(out));
  EXPECT_EQ(RGBBytes(DIBToARGB32(*image)), source);

  // Run-length files with deltas, odd literals and 4-bit nibbles.
  const std::string four = dir.Write("rle4.bmp", RunLengthFile(4, 9, 5, RunLength4()));
  const std::string eight = dir.Write("rle8b.bmp", RunLengthFile(8, 7, 4, RunLength8()));
  EXPECT_EQ(RGBBytes(DIBToARGB32(*ReadDIBFile(ReadFile(four)))), decodeWithIM(four));
  EXPECT_EQ(RGBBytes(DIBToARGB32(*ReadDIBFile(ReadFile(eight)))), decodeWithIM(eight));
  // And ImageMagick reads what we write, in every depth.
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    auto img = PatternImage(bits, 11, 6, 5, bits == 16 ? DIBFormat565() : DIBFormat888());
    const std::string path = dir.Write("ours" + std::to_string(bits) + ".bmp", WriteDIBFile(*img));
    EXPECT_EQ(decodeWithIM(path), RGBBytes(DIBToARGB32(*img)));
  }
}

TEST(DIBImage, OnePaletteServesEveryImageWithTheSameTable) {
  TPaletteManager& pm = TPaletteManager::Instance();
  const size_t before = pm.Count();
  auto a = PatternImage(8, 2, 2, 1), b = PatternImage(8, 3, 3, 1), c = PatternImage(8, 2, 2, 2);
  const int ha = a->PaletteHandle();
  EXPECT_GT(ha, 0);
  EXPECT_EQ(b->PaletteHandle(), ha);
  EXPECT_NE(c->PaletteHandle(), ha);
  EXPECT_EQ(pm.Count(), before + 2);
  EXPECT_EQ(pm.Entries(ha)[5], 0xFF000000u | a->Colours[5]);
  EXPECT_EQ(PatternImage(24, 1, 1, 1)->PaletteHandle(), 0);  // no palette above 8 bits
  a.reset();
  EXPECT_EQ(pm.Count(), before + 2);
  b.reset();  // the last holder takes the palette with it
  EXPECT_EQ(pm.Count(), before + 1);
  EXPECT_TRUE(pm.Entries(ha).empty());
  // A changed table takes a palette of its own.
  TDIBColourTable t = c->Colours;
  t[0] = 0x123456;
  const int hc = c->PaletteHandle();
  c->SetColourTable(t);
  EXPECT_NE(c->PaletteHandle(), hc);
  EXPECT_EQ(uint8_t(c->Info[40]), 0x56);
  int unknown = 9999;
  pm.Give(unknown);
  EXPECT_EQ(unknown, 9999);
}

}  // namespace
}  // namespace vs
