#pragma once
// The main of a benchmark that paints widgets: Qt's offscreen platform
// (unless the environment names one), the program's data folder for the
// style's pictures, one application object, then the benchmarks.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "core/ProgramPaths.h"

namespace vs {

inline int RunQtBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
#ifdef VS_DATA_DIR
  ProgramPaths().AppPath = VS_DATA_DIR;
#endif
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace vs
