// JPEG pictures through the library: what the generator writes reads back,
// and every damaged or hostile file ends in the one "JPEG error #n" error,
// never in a crash, a made-up picture or a huge allocation.

#include <gtest/gtest.h>

#include <jerror.h>

#include <cstdlib>
#include <filesystem>

#include "controls/JPEGImage.h"
#include "support/TempDir.h"

namespace vs {
namespace {

// A picture of smooth colour ramps (JPEG keeps them within a few steps).
TRGBPicture Ramps(int w, int h) {
  TRGBPicture p;
  p.Width = w;
  p.Height = h;
  p.Pixels.resize(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* px = &p.Pixels[(size_t(y) * w + x) * 3];
      px[0] = uint8_t(x * 255 / (w - 1));
      px[1] = uint8_t(y * 255 / (h - 1));
      px[2] = 128;
    }
  return p;
}

int MaxDifference(const TRGBPicture& a, const TRGBPicture& b) {
  int worst = 0;
  for (size_t i = 0; i < a.Pixels.size(); ++i) worst = std::max(worst, std::abs(a.Pixels[i] - b.Pixels[i]));
  return worst;
}

int ErrorCode(std::string_view bytes) {
  try {
    DecodeJPEG(bytes);
  } catch (const EJPEGError& e) {
    EXPECT_EQ(std::string(e.what()), "JPEG error #" + std::to_string(e.Code()));
    return e.Code();
  }
  return 0;
}

TEST(JPEGImage, PicturesAndGreyMasksReadBackAsWritten) {
  const TRGBPicture ramps = Ramps(67, 41);  // sides that are no multiple of 8
  const TRGBPicture colour = DecodeJPEG(EncodeJPEG(ramps, 95));
  ASSERT_EQ(colour.Width, 67);
  ASSERT_EQ(colour.Height, 41);
  EXPECT_LE(MaxDifference(colour, ramps), 12);

  // A grey mask is written from the red bytes and comes back as grey RGB.
  const TRGBPicture mask = DecodeJPEG(EncodeJPEG(ramps, 95, true));
  ASSERT_EQ(mask.Pixels.size(), ramps.Pixels.size());
  for (size_t i = 0; i < mask.Pixels.size(); i += 3) {
    EXPECT_EQ(mask.Pixels[i], mask.Pixels[i + 1]);
    EXPECT_EQ(mask.Pixels[i], mask.Pixels[i + 2]);
    EXPECT_NEAR(mask.Pixels[i], ramps.Pixels[i], 12);
  }

  // The splash's own pictures, as the build made them: one size.
  const TRGBPicture title = ReadJPEGFile(VS_DATA_DIR "Artwork/Title.jpg");
  const TRGBPicture titleMask = ReadJPEGFile(VS_DATA_DIR "Artwork/Title_Mask.jpg");
  EXPECT_EQ(title.Width, titleMask.Width);
  EXPECT_EQ(title.Height, titleMask.Height);
  EXPECT_GT(title.Width, 0);
}

TEST(JPEGImage, DamagedAndHostileFilesGiveTheErrorAndNothingElse) {
  const std::string good = EncodeJPEG(Ramps(64, 48), 90);
  EXPECT_EQ(ErrorCode(""), JERR_INPUT_EMPTY);
  EXPECT_EQ(ErrorCode("BM not a jpeg at all"), JERR_NO_SOI);
  // Cut short in the middle of the picture data: the library would make up
  // grey rows; here it is the "premature end" error.
  EXPECT_EQ(ErrorCode(good.substr(0, good.size() * 2 / 3)), JWRN_JPEG_EOF);

  // A header that claims 65000 x 65000 pixels is refused before anything
  // is allocated for it.
  std::string huge = good;
  const size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = huge[sof + 7] = '\xFD';
  huge[sof + 6] = huge[sof + 8] = '\xE8';
  EXPECT_EQ(ErrorCode(huge), JERR_IMAGE_TOO_BIG);

  // Every cut and a sweep of damaged bytes: a picture of the right size or
  // the error, never a crash.
  for (size_t n = 0; n < good.size(); n += 7) {
    try {
      const TRGBPicture p = DecodeJPEG(good.substr(0, n));
      EXPECT_EQ(p.Pixels.size(), size_t(p.Width) * p.Height * 3);
    } catch (const EJPEGError&) {
    }
  }
  for (size_t i = 2; i < good.size(); i += 3) {
    std::string bad = good;
    bad[i] = char(bad[i] ^ (0x5A + i));
    try {
      const TRGBPicture p = DecodeJPEG(bad);
      EXPECT_EQ(p.Pixels.size(), size_t(p.Width) * p.Height * 3);
    } catch (const EJPEGError&) {
    }
  }

  // A file that isn't there reads as empty input.
  TTestDir tmp;
  EXPECT_THROW(ReadJPEGFile(tmp / "none.jpg"), EJPEGError);
}

// The fuzz target's seed inputs (colour and grey, sizes off the 8 x 8
// blocks) decode whole.
TEST(JPEGImage, TheShippedSeedsDecode) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VS_FUZZ_CORPUS "jpeg")) {
    const TRGBPicture p = ReadJPEGFile(entry.path().string());
    EXPECT_GT(p.Width, 0) << entry.path();
    EXPECT_EQ(p.Pixels.size(), size_t(p.Width) * p.Height * 3) << entry.path();
    ++seeds;
  }
  EXPECT_GE(seeds, 3);
}

}  // namespace
}  // namespace vs
