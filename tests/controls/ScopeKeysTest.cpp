// The scope, the level meter, the keyboard, the transparent images and the
// draw grid, driven and read back as a user sees them: pixels of the
// painted controls, the notes the keyboard sends, the cell the grid shows.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>
#include <utility>
#include <vector>

#include "controls/DisplayMaps.h"
#include "controls/Keyboard.h"
#include "controls/TransImages.h"
#include "controls/VekGrid.h"
#include "controls/WAVScope.h"
#include "model/WAVSample.h"
#include "ControlsTestSupport.h"

namespace vs {
namespace {

using testing::PixelAt;
using testing::ShownPanel;

QRgb Rgb(TColor c) { return ToQColor(c).rgb(); }

// A meter's two lamps, 50 x 4: unlit grey, lit green.
void AddMeterLamps(TImageList& images) {
  QImage unlit(50, 4, QImage::Format_RGB32), lit(50, 4, QImage::Format_RGB32);
  unlit.fill(Qt::darkGray);
  lit.fill(Qt::green);
  images.Add(unlit);
  images.Add(lit);
}

// A meter of those lamps, 50 x 8 at the given top, lit in steps of 7
// pixels, shown at full level on the left.
void ShowFullMeter(TWAVVolumeter& meter, TImageList& images, int top) {
  AddMeterLamps(images);
  meter.setGeometry(0, top, 50, 8);
  meter.SetImages(&images);
  meter.SetSnap(7);
  meter.show();
  meter.SetLevels(32767, 0);
}

TEST(WAVScopeTest, SampleViewOfALongSampleDrawsItsEndAndLoopMarkers) {
  auto panel = ShownPanel(1100, 200);
  TWAVScope scope(panel.get());
  scope.setGeometry(0, 0, 1000, 101);
  scope.CenterColor = 0x808080;
  scope.SetLineColor(0xFFFFFF);
  scope.show();
  // Grid and centre line only, without a sample.
  EXPECT_EQ(PixelAt(scope, 500, 50), Rgb(0x808080));
  EXPECT_EQ(PixelAt(scope, 500, 20), Rgb(0x000000));
  EXPECT_EQ(PixelAt(scope, 0, 20), Rgb(0x101010));

  // Three million frames, silent but for the last tenth at full level: the
  // frame index of the last columns passes 2^31 before the division.
  TWAVSample sample;
  std::vector<int16_t> frames(2 * 3000000, 0);
  std::fill(frames.begin() + 2 * 2700000, frames.end(), int16_t(32767));
  sample.SetFrames(std::move(frames));
  scope.SetSample(&sample);
  scope.update();
  const QImage view = scope.grab().toImage();
  EXPECT_EQ(view.pixel(950, ScopeRow(65534, 50)) | 0xFF000000, Rgb(0xFFFFFF));
  EXPECT_EQ(view.pixel(400, 50) | 0xFF000000, Rgb(0xFFFFFF));
  EXPECT_EQ(view.pixel(950, 50) | 0xFF000000, Rgb(0x808080));
  // No loop: no markers; a loop: red columns at its start and end.
  EXPECT_NE(view.pixel(800, 20) | 0xFF000000, Rgb(0x0000FF));
  sample.SetLoop(2400000, 2850000);
  scope.update();
  const QImage looped = scope.grab().toImage();
  for (int x : {800, 950}) EXPECT_EQ(looped.pixel(x, 20) | 0xFF000000, Rgb(0x0000FF)) << x;
  EXPECT_EQ(LoopMarkerX(2850000, 1000, 3000000), 950);
  EXPECT_EQ(SampleViewFrame(3000000, 999, 1000), 2994005);
}

TEST(WAVScopeTest, OutputScopeDrawsEachStyleOverItsBackgroundWithTrails) {
  auto panel = ShownPanel(200, 100);
  TWAVScope scope(panel.get());
  scope.setGeometry(0, 0, 64, 33);
  scope.show();
  scope.SetTraceColors(0, 0x00FF00, 0x0000FF);  // green centre, red edge
  QImage back(64, 33, QImage::Format_RGB32);
  back.fill(QColor(0x10, 0x20, 0x30));
  scope.SetBackground(back);
  // The colour table runs from the centre colour to the edge colour.
  EXPECT_EQ(scope.RowColour(0, 16), 0x00FF00u);
  EXPECT_EQ(scope.RowColour(0, 0), 0xFF0000u);
  EXPECT_EQ(scope.RowColour(0, 32), 0xFF0000u);
  // Without a sample only the background.
  EXPECT_EQ(PixelAt(scope, 30, 16), qRgb(0x10, 0x20, 0x30));

  // Half level on both channels: the sum is +32767, a quarter of the way
  // up from the centre.
  TWAVSample sample;
  sample.SetFrames(std::vector<int16_t>(2 * 1000, 16384));
  scope.SetSample(&sample);
  const int y = ScopeRow(32768, 16);
  EXPECT_EQ(y, 8);
  for (TScopeStyle style : {TScopeStyle::Lines, TScopeStyle::Dots}) {
    scope.SetStyle(style);
    const QImage shot = scope.grab().toImage();
    EXPECT_EQ(shot.pixel(30, y) | 0xFF000000, qRgb(0x7F, 0x7F, 0)) << int(style);
    EXPECT_EQ(shot.pixel(30, 20) | 0xFF000000, qRgb(0x10, 0x20, 0x30)) << int(style);
  }
  scope.SetStyle(TScopeStyle::Columns);
  QImage shot = scope.grab().toImage();
  for (int row = 8; row <= 16; ++row) EXPECT_NE(shot.pixel(30, row) | 0xFF000000, qRgb(0x10, 0x20, 0x30)) << row;
  EXPECT_EQ(shot.pixel(30, 7) | 0xFF000000, qRgb(0x10, 0x20, 0x30));
  // Circle and flower: a constant half level puts every point on a ring of
  // half the radius.
  scope.SetStyle(TScopeStyle::Flower);
  shot = scope.grab().toImage();
  EXPECT_NE(shot.pixel(31 + 16, 16) | 0xFF000000, qRgb(0x10, 0x20, 0x30));
  // A trail keeps part of the last picture: silence now, the old trace fades.
  scope.SetStyle(TScopeStyle::Dots);
  (void)scope.grab();
  scope.SetTrailWeight(192);
  TWAVSample silence;
  silence.SetFrames(std::vector<int16_t>(2 * 1000, 0));
  scope.SetSample(&silence);
  shot = scope.grab().toImage();
  const QRgb faded = shot.pixel(30, y);
  EXPECT_NE(faded | 0xFF000000, qRgb(0x10, 0x20, 0x30));
  EXPECT_NE(faded | 0xFF000000, qRgb(0x7F, 0x7F, 0));
  // Stereo: the right channel's trace at its own doubled value.
  scope.SetTrailWeight(0);
  std::vector<int16_t> right(2 * 1000, 0);
  for (int i = 0; i < 1000; ++i) right[2 * i + 1] = 16384;
  TWAVSample panned;
  panned.SetFrames(std::move(right));
  scope.SetSample(&panned);
  scope.SetStereo(true);
  scope.SetTraceColors(1, 0xFFFFFF, 0xFFFFFF);
  shot = scope.grab().toImage();
  EXPECT_EQ(shot.pixel(30, y) | 0xFF000000, qRgb(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(shot.pixel(30, 16) | 0xFF000000, qRgb(0, 0xFF, 0));
}

// The part of a widget its paint events repainted since the last Take.
class TPaintedRegion : public QObject {
public:
  explicit TPaintedRegion(QWidget& widget) { widget.installEventFilter(this); }
  QRect Take() {
    QCoreApplication::processEvents();
    return std::exchange(Painted, QRect());
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) Painted |= static_cast<QPaintEvent*>(event)->rect();
    return false;
  }

private:
  QRect Painted;
};

TEST(WAVScopeTest, AFrameRepaintsOnlyTheRowsOfItsOldAndNewTracesAndTheMeterOnlyItsChange) {
  auto panel = ShownPanel(200, 100);
  TWAVScope scope(panel.get());
  scope.setGeometry(0, 0, 64, 33);
  scope.show();
  QImage back(64, 33, QImage::Format_RGB32);
  back.fill(QColor(0x10, 0x20, 0x30));
  scope.SetBackground(back);
  TPaintedRegion painted(scope);
  TWAVSample silence, half;
  silence.SetFrames(std::vector<int16_t>(2 * 1000, 0));
  half.SetFrames(std::vector<int16_t>(2 * 1000, 16384));
  // The first frame over a new background is whole; silence then redraws
  // the centre row only, a trace at a quarter height the rows between.
  scope.SetSample(&silence);
  scope.NextFrame();
  EXPECT_EQ(painted.Take(), QRect(0, 0, 64, 33));
  scope.NextFrame();
  EXPECT_EQ(painted.Take(), QRect(0, 16, 64, 1));
  scope.SetSample(&half);
  scope.NextFrame();
  EXPECT_EQ(painted.Take(), QRect(0, 8, 64, 9));
  scope.SetSample(&silence);
  scope.NextFrame();
  EXPECT_EQ(painted.Take(), QRect(0, 8, 64, 9));
  // The picture shown is the whole frame: the old trace is gone.
  EXPECT_EQ(PixelAt(scope, 30, 8), qRgb(0x10, 0x20, 0x30));
  EXPECT_NE(PixelAt(scope, 30, 16), qRgb(0x10, 0x20, 0x30));

  TImageList images(50, 4);
  TWAVVolumeter meter(panel.get());
  ShowFullMeter(meter, images, 40);
  TPaintedRegion lamps(meter);
  (void)lamps.Take();  // the first, whole paint
  // Left falls from full to 21 pixels; right stays dark: only that part.
  meter.SetLevels(16384, 0);
  EXPECT_EQ(lamps.Take(), QRect(21, 0, 29, 4));
  meter.SetLevels(16384, 0);
  EXPECT_EQ(lamps.Take(), QRect());
}

TEST(WAVVolumeterTest, FullLevelLightsAllWhateverTheSnapAndZeroNothing) {
  auto panel = ShownPanel();
  TImageList images(50, 4);
  TWAVVolumeter meter(panel.get());
  ShowFullMeter(meter, images, 0);
  QImage shot = meter.grab().toImage();
  EXPECT_EQ(shot.pixel(49, 1) | 0xFF000000, QColor(Qt::green).rgb());
  EXPECT_EQ(shot.pixel(0, 5) | 0xFF000000, QColor(Qt::darkGray).rgb());
  // Half level: lit in steps of 7 pixels.
  meter.SetLevels(16384, 16384);
  shot = meter.grab().toImage();
  const int lit7 = MeterLitLength(16384, 50, 7);
  EXPECT_EQ(lit7 % 7, 0);
  EXPECT_EQ(lit7, 21);
  EXPECT_EQ(shot.pixel(lit7 - 1, 5) | 0xFF000000, QColor(Qt::green).rgb());
  EXPECT_EQ(shot.pixel(lit7, 5) | 0xFF000000, QColor(Qt::darkGray).rgb());
  // Vertical: rises from the bottom.
  EXPECT_EQ(MeterLitLength(32767, 30, 200), 30);
  EXPECT_EQ(MeterLitLength(0, 30, 1), 0);
  EXPECT_EQ(MeterLitLength(-5, 30, 1), 0);
}

TEST(KeysTest, PlayingTheKeyboardSendsNotesWithVelocityByPosition) {
  auto panel = ShownPanel(300, 120);
  TKeys keys(panel.get());
  keys.SetBaseOctave(0);
  keys.resize(210, 50);
  keys.show();
  std::vector<std::pair<int, int>> events;  // (note or -note - 1 for offs, velocity)
  keys.OnNoteOn = [&](QWidget*, int n, int v) { events.push_back({n, v}); };
  keys.OnNoteOff = [&](QWidget*, int n, int) { events.push_back({-n - 1, 0}); };

  // Far left, low on the key: note 0, almost full velocity; at the top:
  // almost none.
  QTest::mousePress(&keys, Qt::LeftButton, {}, QPoint(1, 48));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].first, 0);
  EXPECT_GE(events[0].second, 120);
  EXPECT_TRUE(keys.Held(0));
  EXPECT_EQ(PixelAt(keys, 4, 45), qRgb(0xC0, 0xC0, 0xC0));
  // Dragging within the key sends nothing; onto D: the off first.
  QTest::mouseMove(&keys, QPoint(3, 47));
  EXPECT_EQ(events.size(), 1u);
  QTest::mouseMove(&keys, QPoint(15, 47));
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].first, -1);
  EXPECT_EQ(events[2].first, 2);
  // Released far outside: the off of the last note all the same.
  QTest::mouseRelease(&keys, Qt::LeftButton, {}, QPoint(500, 500));
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[3].first, -3);
  EXPECT_FALSE(keys.Held(2));
  events.clear();
  QTest::mouseClick(&keys, Qt::LeftButton, {}, QPoint(15, 0));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_LE(events[0].second, 2);
  // The black keys: C# straddles the border of C and D near the top.
  EXPECT_EQ(keys.PointToNote(9, 5).Note, 1);
  EXPECT_EQ(keys.PointToNote(11, 5).Note, 1);
  EXPECT_EQ(keys.PointToNote(11, 40).Note, 2);
  EXPECT_EQ(keys.PointToNote(25, 5).Note, 4);  // E: no black key after it
  EXPECT_EQ(keys.PointToNote(75, 5).Note, 12);

  // Held notes from code: a second note on is not drawn again but still
  // reported; notes outside 0..127 are never held.
  events.clear();
  keys.NoteOn(24, 100, true);
  keys.NoteOn(24, 90, true);
  EXPECT_EQ(events.size(), 2u);
  EXPECT_TRUE(keys.Held(24));
  keys.NoteOn(200, 100, true);
  keys.NoteOn(-1, 100, true);
  EXPECT_FALSE(keys.Held(200));
  EXPECT_EQ(events.size(), 2u);
  keys.NoteOff(24, false);
  EXPECT_FALSE(keys.Held(24));
  // A keyboard with a high base octave plays nothing past note 127.
  keys.SetBaseOctave(10);
  events.clear();
  QTest::mouseClick(&keys, Qt::LeftButton, {}, QPoint(205, 45));
  EXPECT_TRUE(events.empty());
}

TEST(TransImagesTest, MaskBlendsByteByByteAndRefusesAMismatch) {
  auto panel = ShownPanel();
  TTransImage image(panel.get());
  QImage picture(4, 2, QImage::Format_RGB888);
  picture.fill(QColor(255, 255, 255));
  try {
    image.SetPictureMask(picture);
    FAIL() << "no picture yet";
  } catch (const ETransImage& e) {
    EXPECT_STREQ(e.what(), "Picture Not Assigned");
  }
  image.SetPicture(picture);
  EXPECT_EQ(image.size(), QSize(4, 2));
  try {
    image.SetPictureMask(QImage(5, 2, QImage::Format_RGB888));
    FAIL() << "size mismatch";
  } catch (const ETransImage& e) {
    EXPECT_STREQ(e.what(), "PictureMask size mismatch");
  }
  EXPECT_TRUE(image.PictureMask().isNull());
  QImage work(4, 2, QImage::Format_RGB888);
  work.fill(Qt::black);
  QImage mask(4, 2, QImage::Format_RGB888);
  mask.fill(QColor(128, 0, 255));
  BlendThroughMask(work, picture, mask);
  EXPECT_EQ(QColor(work.pixel(1, 1)), QColor(127, 0, 254));

  TSSImage sprite(panel.get());
  QImage art(10, 10, QImage::Format_RGB32);
  art.fill(QColor(255, 0, 255));
  art.setPixel(2, 2, qRgb(10, 20, 30));
  sprite.SetPicture(art);
  sprite.show();
  QTest::mouseMove(&sprite, QPoint(2, 2));
  QMouseEvent over(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, {});
  QApplication::sendEvent(&sprite, &over);
  EXPECT_TRUE(sprite.MouseOverOpaque());
  QMouseEvent away(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, {});
  QApplication::sendEvent(&sprite, &away);
  EXPECT_FALSE(sprite.MouseOverOpaque());
  sprite.move(50, 50);
  EXPECT_EQ(PixelAt(*panel, 52, 52), qRgb(10, 20, 30));
  EXPECT_NE(PixelAt(*panel, 55, 55), qRgb(255, 0, 255));
}

TEST(VekGridTest, CellsFocusScrollAndInvalidate) {
  auto panel = ShownPanel(400, 300);
  TVekGrid grid(panel.get());
  grid.setGeometry(0, 0, 300, 200);
  grid.SetColCount(40);
  grid.SetRowCount(20);
  grid.SetDefaultColWidth(20);
  grid.SetDefaultRowHeight(15);
  std::vector<std::pair<int, int>> asked;
  grid.OnSelectCell = [&](TVekGrid&, int c, int r, bool&) { asked.push_back({c, r}); };
  std::vector<std::pair<int, int>> drawn;
  grid.OnDrawCell = [&](TVekGrid&, int c, int r, const QRect& rect, unsigned state, QPainter& p) {
    drawn.push_back({c, r});
    p.fillRect(rect, (state & gdSelected) ? Qt::yellow : Qt::darkBlue);
  };
  grid.show();
  // A click on a cell makes it current and paints it selected.
  const QRect cell = grid.CellRect(3, 2);
  EXPECT_EQ(cell, QRect(63, 32, 20, 15));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(PixelAt(*grid.viewport(), cell.center().x(), cell.center().y()), QColor(Qt::yellow).rgb());
  // MoveTo past the end lands on the last cell, without scrolling there.
  asked.clear();
  grid.MoveTo(100, 100);
  EXPECT_EQ(grid.Col(), 39);
  EXPECT_EQ(grid.Row(), 19);
  EXPECT_EQ(grid.LeftCol(), 1);
  EXPECT_EQ(asked.size(), 1u);
  grid.MoveTo(39, 19);
  EXPECT_EQ(asked.size(), 1u);
  // The arrow keys scroll the current cell into view.
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(grid.Col(), 38);
  EXPECT_GE(grid.CellRect(38, 19).left(), 0);
  EXPECT_GT(grid.LeftCol(), 1);
  // Invalidating a column repaints that column of every shown row only.
  QApplication::processEvents();
  drawn.clear();
  grid.InvalidateCol(38);
  grid.viewport()->repaint(QRegion());
  QApplication::processEvents();
  ASSERT_FALSE(drawn.empty());
  for (const auto& d : drawn) EXPECT_EQ(d.first, 38);
  EXPECT_EQ(static_cast<int>(drawn.size()), grid.VisibleRowCount() + grid.FixedRows());
}

TEST(GridMapsTest, AxisKeepsFixedCellsAndScrollsTheRest) {
  TGridAxis a;
  a.Count = 10;
  a.Fixed = 1;
  a.DefaultSize = 24;
  a.First = 4;
  EXPECT_EQ(a.Start(0), 0);
  EXPECT_EQ(a.Start(2), -1);
  EXPECT_EQ(a.Start(4), 25);
  EXPECT_EQ(a.At(24), 0);
  EXPECT_EQ(a.At(25), 4);
  EXPECT_EQ(a.At(1000), -1);
  // A view of 100 pixels shows three scrolling cells after the fixed one.
  EXPECT_EQ(a.MaxFirst(100), 7);
  a.ScrollInView(9, 100);
  EXPECT_EQ(a.First, 7);
  a.ScrollInView(2, 100);
  EXPECT_EQ(a.First, 2);
}

}  // namespace
}  // namespace vs
