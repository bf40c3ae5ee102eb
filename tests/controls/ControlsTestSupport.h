#pragma once
// Shared by the control tests: a shown panel to hold controls, frame strips
// whose frames can be told apart by a pixel, and pixel reading.

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <memory>

#include "controls/ImageList.h"
#include "core/ProgramPaths.h"
#include "support/TestApplication.h"

namespace vs::testing {

// A shown top-level panel; controls are its children.
inline std::unique_ptr<QWidget> ShownPanel(int width = 240, int height = 160) {
  TestApplication();
  if (ProgramPaths().AppPath.empty()) ProgramPaths().AppPath = VS_DATA_DIR;
  auto panel = std::make_unique<QWidget>();
  panel->resize(width, height);
  panel->show();
  (void)QTest::qWaitForWindowExposed(panel.get());
  return panel;
}

// The colour frame i of a test strip is filled with.
inline QRgb FrameColour(int i) { return qRgb(i, 100, 200); }

// A strip of frames of size x size pixels, frame i filled with FrameColour(i).
inline QImage FrameStrip(int frames, int size) {
  QImage strip(frames * size, size, QImage::Format_RGB32);
  QPainter p(&strip);
  for (int i = 0; i < frames; ++i) p.fillRect(i * size, 0, size, size, QColor(FrameColour(i)));
  return strip;
}

inline QRgb PixelAt(QWidget& widget, int x, int y) { return widget.grab().toImage().pixel(x, y) | 0xFF000000; }

}  // namespace vs::testing
