// Painting the editor windows: a whole frame of the playlist window (every
// visible cell of a full-screen grid over a busy arrangement, scrolled deep
// into the song), and the piano roll redrawing every step column of its
// keyboard view and of its graph view. Each frame must stay well under 4 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <random>

#include "core/PatternCommands.h"
#include "bench/QtBenchMain.h"
#include "editors/PianoForm.h"
#include "editors/PlayListForm.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "model/SongReset.h"

namespace vs {
namespace {

struct TEditorsFixture {
  TPreferences Prefs;
  std::unique_ptr<TPlayListForm> Playlist;
  std::unique_ptr<TPianoForm> Piano;
  QImage Frame;

  TEditorsFixture() {
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    std::mt19937 random(11);
    for (int bar = 0; bar < PlaylistBarCount; ++bar)
      for (int k = 0; k < 6; ++k) song->Playlist.PlaylistBars[size_t(bar)].push_back(int(random() % 120) + 1);
    for (int p = 1; p <= 120; p += 3) song->PatternNames[size_t(p)].Name = "Part " + std::to_string(p);
    TChannel& c = *song->Channels[0];
    for (int s = 0; s < 16; ++s) {
      c.Steps.SetStepOn(1, s, random() % 2);
      c.Steps.SetStepValue(1, s, uint8_t(40 + random() % 40), PlaneNote);
    }
    ReplaceCurrentSong(std::move(song));
    SetPatternLength(CurrentSong(), 16);
    Playlist = std::make_unique<TPlayListForm>(Prefs);
    Playlist->FitPlaylistHeader();
    Playlist->resize(1280, 1000);
    Playlist->show();
    Playlist->ListGridBit().SetTopRow(300);
    Playlist->ListGridBit().SetLeftCol(20);
    Piano = std::make_unique<TPianoForm>();
    Piano->ShowForChannel(0, QRect(0, 0, 256, 27));
    QApplication::processEvents();
    Frame = QImage(Playlist->ListGridBit().viewport()->size(), QImage::Format_RGB32);
  }
};

TEditorsFixture& Fixture() {
  static TEditorsFixture fixture;
  return fixture;
}

void BM_PlaylistFrame(benchmark::State& state) {
  TEditorsFixture& f = Fixture();
  QWidget* view = f.Playlist->ListGridBit().viewport();
  for (auto _ : state) {
    QPainter p(&f.Frame);
    view->render(&p);
    benchmark::DoNotOptimize(f.Frame.constBits());
  }
  state.counters["cells"] =
      double(f.Playlist->ListGridBit().VisibleColCount()) * f.Playlist->ListGridBit().VisibleRowCount();
}
BENCHMARK(BM_PlaylistFrame)->Unit(benchmark::kMillisecond);

// Every step column of one view drawn again, and the window painted.
void PianoFrames(benchmark::State& state, int view) {
  TEditorsFixture& f = Fixture();
  f.Piano->SetViewMode(view);
  QImage frame(f.Piano->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    f.Piano->RepaintPianoForm();
    QPainter p(&frame);
    f.Piano->render(&p);
    benchmark::DoNotOptimize(frame.constBits());
  }
}
void BM_PianoKeyboardFrame(benchmark::State& state) { PianoFrames(state, PianoKeyboardView); }
BENCHMARK(BM_PianoKeyboardFrame)->Unit(benchmark::kMillisecond);
void BM_PianoGraphFrame(benchmark::State& state) { PianoFrames(state, PianoGraphView); }
BENCHMARK(BM_PianoGraphFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vs

int main(int argc, char** argv) { return vs::RunQtBenchmarks(argc, argv); }
