#pragma once
// JPEG pictures through libjpeg, without a screen: the splash window's
// picture and mask are read here, and the picture generator writes them.
//
// Every failure of the library (a file that is not a JPEG, damaged or cut
// short, too large, in colours it can't convert) ends in one EJPEGError
// whose text is "JPEG error #" and the library's message number. A warning
// of the library about damaged data (a file cut short among them) is a
// failure too: a half-grey picture is never shown as if it were whole.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vs {

// Pictures larger than this (in either side, or in pixels) are refused
// before anything is allocated for them.
constexpr int MaxJPEGSide = 16384;
constexpr int64_t MaxJPEGPixels = int64_t(64) << 20;

// 8-bit RGB, three bytes a pixel, rows top down without padding.
struct TRGBPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
  bool Empty() const { return Width <= 0 || Height <= 0; }
};

class EJPEGError : public std::runtime_error {
public:
  explicit EJPEGError(int code);
  // The library's message number.
  int Code() const { return FCode; }

private:
  int FCode;
};

// "JPEG error #<code>".
std::string JPEGErrorText(int code);

// Decodes a JPEG file's bytes (greyscale pictures come out as grey RGB).
TRGBPicture DecodeJPEG(std::string_view bytes);
// Reads and decodes a file; a file that can't be read is an empty input.
TRGBPicture ReadJPEGFile(const std::string& fileName);
// A baseline JPEG of a picture at a quality of 1..100; grey: one channel,
// taken from each pixel's red byte (masks).
std::string EncodeJPEG(const TRGBPicture& picture, int quality, bool grey = false);

}  // namespace vs
