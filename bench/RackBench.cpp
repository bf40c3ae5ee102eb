// Painting the channel rack: a frame of 64 channel rows (the whole rack
// rendered as the screen shows it), a frame in which every row redraws all
// its cells (a pattern change), and the play lamp moving one step in every
// row. Each frame must stay well under 4 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <random>

#include "core/PatternCommands.h"
#include "bench/QtBenchMain.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "ui/ChannelRack.h"

namespace vs {
namespace {

struct TRackFixture {
  TPreferences Prefs;
  std::unique_ptr<TChannelRack> Rack;
  QImage Frame;

  TRackFixture() {
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    song->Channels.clear();
    std::mt19937 random(7);
    for (int c = 0; c < 64; ++c) {
      song->Channels.push_back(std::make_unique<TChannel>(song.get()));
      song->Channels.back()->Name = "Channel " + std::to_string(c + 1);
      for (int s = 0; s < 16; ++s)
        if (random() % 3 == 0) song->Channels.back()->Steps.SetStepOn(1, s, true);
    }
    ReplaceCurrentSong(std::move(song));
    Prefs.Minimized = false;  // every row shows its lamps
    Rack = std::make_unique<TChannelRack>(Prefs);
    const QSize full = Rack->FullSize();
    Rack->resize(full.width() + 20, full.height());
    Rack->show();
    QApplication::processEvents();
    Frame = QImage(Rack->size(), QImage::Format_RGB32);
  }
};

TRackFixture& Fixture() {
  static TRackFixture fixture;
  return fixture;
}

void BM_RackFrame64Rows(benchmark::State& state) {
  TRackFixture& f = Fixture();
  for (auto _ : state) {
    QPainter p(&f.Frame);
    f.Rack->render(&p);
    benchmark::DoNotOptimize(f.Frame.constBits());
  }
  state.counters["rows"] = double(f.Rack->Rows().size());
}
BENCHMARK(BM_RackFrame64Rows)->Unit(benchmark::kMillisecond);

void BM_RackRedrawAllCells64Rows(benchmark::State& state) {
  TRackFixture& f = Fixture();
  for (auto _ : state) {
    f.Rack->ShowPattern();
    QPainter p(&f.Frame);
    f.Rack->render(&p);
    benchmark::DoNotOptimize(f.Frame.constBits());
  }
}
BENCHMARK(BM_RackRedrawAllCells64Rows)->Unit(benchmark::kMillisecond);

void BM_RackLampStep64Rows(benchmark::State& state) {
  TRackFixture& f = Fixture();
  f.Rack->Shared().PatternPlaying = true;
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 16;
    for (const TRackRowWidgets& row : f.Rack->Rows()) row.Steps->SetPlayStep(step);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_RackLampStep64Rows)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vs

int main(int argc, char** argv) { return vs::RunQtBenchmarks(argc, argv); }
