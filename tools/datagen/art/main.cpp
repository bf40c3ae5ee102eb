// vs_artgen <data folder>: draws every shipped picture into the data folder.

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "tools/datagen/art/ArtGen.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vs_artgen <data folder>\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  vs::art::TArtContext context;
  context.DataDir = QString::fromLocal8Bit(argv[1]);
  if (!context.DataDir.endsWith('/')) context.DataDir += '/';
  bool ok = true;
  for (const auto& family : vs::art::ArtFamilies()) {
    if (!family.Paint(context)) {
      std::fprintf(stderr, "vs_artgen: %s failed\n", family.Name);
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
