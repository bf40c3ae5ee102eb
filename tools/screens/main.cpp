// vs_screens <out folder> [page...]: renders the registered pages (all, or
// those named) to <out folder>/<page>.png on the offscreen platform.

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"

namespace vs::screens {

std::vector<TScreenPage>& ScreenPages() {
  static std::vector<TScreenPage> pages;
  return pages;
}

TProgramRun& TScreenContext::Program() {
  if (!Run) {
    Run = std::make_unique<TProgramRun>(std::vector<std::string>{}, std::string());
    Run->StartUp();
    Run->ShowMainWindow();
    Run->FirstActivation();
  }
  return *Run;
}

void TScreenContext::Settle(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

void PaintDesk(QPainter& p, const QImage& page) {
  QLinearGradient desk(0, 0, 0, page.height());
  desk.setColorAt(0, QColor(0x3d, 0x4a, 0x5a));
  desk.setColorAt(1, QColor(0x1e, 0x25, 0x2e));
  p.fillRect(page.rect(), desk);
}

void PaintShadowed(QPainter& p, const QImage& window, QPoint at) {
  p.fillRect(QRect(at + QPoint(4, 5), window.size()), QColor(0, 0, 0, 90));
  p.drawImage(at, window);
}

QImage TScreenContext::Grab(QWidget* widget) {
  widget->show();
  Settle(5);
  return widget->grab().toImage();
}

}  // namespace vs::screens

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vs_screens <out folder> [page...]\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir work;
  const QString workDir = work.path() + "/";
  const std::string settings = (workDir + "settings.ini").toStdString();
  // A user's first start, without a sound device.
  if (FILE* f = std::fopen(settings.c_str(), "w")) {
    std::fputs("[ZM SETTINGS]\nUse WAV=0\n", f);
    std::fclose(f);
  }
  setenv("VORBELSTEPS_SETTINGS", settings.c_str(), 1);
#ifdef VS_DATA_DIR
  setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 0);
#endif
  QApplication app(argc, argv);
  QApplication::setApplicationName("VorbelSteps");

  vs::screens::TScreenContext context;
  context.DataDir = QString::fromLocal8Bit(std::getenv("VORBELSTEPS_DATA"));
  context.WorkDir = workDir;
  const QString outDir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(outDir);
  std::vector<QString> wanted;
  for (int i = 2; i < argc; ++i) wanted.push_back(QString::fromLocal8Bit(argv[i]));

  int failures = 0;
  for (const auto& page : vs::screens::ScreenPages()) {
    const QString name = QString::fromLatin1(page.Name);
    if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), name) == wanted.end()) continue;
    const QImage image = page.Paint(context);
    const QString file = outDir + "/" + name + ".png";
    if (image.isNull() || !image.save(file, "PNG")) {
      std::fprintf(stderr, "vs_screens: page %s gave no picture\n", page.Name);
      ++failures;
      continue;
    }
    std::printf("%s\n", qPrintable(file));
  }
  if (context.Run) context.Run->ShutDown();
  return failures == 0 ? 0 : 1;
}
