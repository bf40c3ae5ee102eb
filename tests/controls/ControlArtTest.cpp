// The pictures the controls load from the data folder: the shapes their
// loaders cut them into, the key colour where they are transparent, and
// wheel strips that turn a little with every frame.

#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "ControlsTestSupport.h"

namespace vs {
namespace {

QImage Load(const std::string& relative) {
  QImage image;
  image.load(QString::fromStdString(std::string(VS_DATA_DIR) + relative));
  return image.convertToFormat(QImage::Format_RGB32);
}

bool SameFrames(const QImage& strip, int w, int a, int b) {
  return strip.copy(a * w, 0, w, strip.height()) == strip.copy(b * w, 0, w, strip.height());
}

TEST(ControlArt, ResourcesAreKeyedPairsOfFrames) {
  const struct {
    const char* Name;
    int FrameWidth;
    int Height;
  } resources[] = {{"NumB", 9, 9}, {"SKnobH", 12, 22}, {"SKnob", 22, 12}, {"PickNum", 9, 5}, {"MeroUpDown", 8, 5}};
  for (const auto& r : resources) {
    const QImage image = Load(std::string("Resources/") + r.Name + ".bmp");
    ASSERT_FALSE(image.isNull()) << r.Name;
    EXPECT_EQ(image.size(), QSize(2 * r.FrameWidth, r.Height)) << r.Name;
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 255)) << r.Name;
    EXPECT_FALSE(SameFrames(image, r.FrameWidth, 0, 1)) << r.Name;
  }
}

TEST(ControlArt, WheelStripsTurnSmoothlyAndButtonsLightUp) {
  for (auto [file, width] : {std::pair{"MiddleWheel.bmp", 23}, {"SmallWheel.bmp", 14}, {"404Wheel.bmp", 25}}) {
    const QImage strip = Load(std::string("Styles/Default/") + file);
    ASSERT_FALSE(strip.isNull()) << file;
    EXPECT_EQ(strip.height(), width) << file;
    ASSERT_EQ(strip.width() % width, 0) << file;
    const int frames = strip.width() / width;
    EXPECT_GE(frames, 48) << file;
    // Every frame differs from the one before: the knob moves at each step.
    for (int i = 1; i < frames; ++i) EXPECT_FALSE(SameFrames(strip, width, i - 1, i)) << file << " frame " << i;
    // The knob itself is never transparent.
    for (int i = 0; i < frames; ++i)
      ASSERT_NE(strip.pixel(i * width + width / 2, width / 2), qRgb(255, 0, 255)) << file << " frame " << i;
  }
  for (const char* file : {"PlayBtn.bmp", "LoopBtn.bmp", "ScopeMute.bmp", "PatPad.bmp"}) {
    const QImage strip = Load(std::string("Styles/Default/") + file);
    ASSERT_FALSE(strip.isNull()) << file;
    ASSERT_EQ(strip.width() % 2, 0) << file;
    EXPECT_FALSE(SameFrames(strip, strip.width() / 2, 0, 1)) << file;
  }
  // The pad is three by three cells that split evenly.
  const QImage pad = Load("Styles/Default/PatPad.bmp");
  EXPECT_EQ(pad.width() / 2 % 3, 0);
  EXPECT_EQ(pad.height() % 3, 0);
}

}  // namespace
}  // namespace vs
