#pragma once
// The screenshot tool: every window and the control gallery rendered to PNG
// files in the default style, so that anyone can look at them. Each area
// registers its pages with VS_SCREEN; a page returns the picture to write.

#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QWidget;

namespace vs {
class TProgramRun;
}

namespace vs::screens {

struct TScreenContext {
  // The program data folder of the build (AppPath), ending in "/".
  QString DataDir;
  // A private folder for settings and files the pages make.
  QString WorkDir;
  // The program started as a user starts it (settings in WorkDir, no sound
  // device), on the default drum kit; made at first use and kept for every
  // later page.
  TProgramRun& Program();
  // Shows a widget, lets it lay out and paint, and grabs it.
  static QImage Grab(QWidget* widget);
  // Lets the event loop run a few rounds of 20 ms (layouts, timers started
  // at show, queued paints).
  static void Settle(int rounds = 3);

  std::unique_ptr<TProgramRun> Run;
};

// A page of windows composed on a desktop: the desk's gradient over the
// whole page, and a window's picture with a soft shadow below it.
void PaintDesk(QPainter& painter, const QImage& page);
void PaintShadowed(QPainter& painter, const QImage& window, QPoint at);

using TScreenPainter = std::function<QImage(TScreenContext&)>;

struct TScreenPage {
  const char* Name;
  TScreenPainter Paint;
};

std::vector<TScreenPage>& ScreenPages();

struct TScreenRegistrar {
  TScreenRegistrar(const char* name, TScreenPainter paint) { ScreenPages().push_back({name, std::move(paint)}); }
};

}  // namespace vs::screens

#define VS_SCREEN_CONCAT2(a, b) a##b
#define VS_SCREEN_CONCAT(a, b) VS_SCREEN_CONCAT2(a, b)
// VS_SCREEN("gallery-controls", [](TScreenContext& c) { ...; return image; });
#define VS_SCREEN(name, painter) \
  static ::vs::screens::TScreenRegistrar VS_SCREEN_CONCAT(vsScreenRegistrar_, __LINE__)(name, painter)
