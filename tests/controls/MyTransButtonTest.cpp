// The bitmap button driven as a user drives it: latching and momentary
// presses, a press dragged out, the pop-up menu, the fade, the automatic
// glyphs, captions and accelerators.

#include <gtest/gtest.h>

#include <QMenu>
#include <QTimer>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/MyTransBtn.h"

namespace vs {
namespace {

using testing::PixelAt;

// Two 16 x 16 frames: black at rest, white when down; the bottom-left
// pixel of each is the key colour.
QImage TwoFrames() {
  QImage glyph(32, 16, QImage::Format_RGB32);
  glyph.fill(Qt::black);
  QPainter(&glyph).fillRect(16, 0, 16, 16, Qt::white);
  glyph.setPixel(0, 15, qRgb(255, 0, 255));
  glyph.setPixel(16, 15, qRgb(255, 0, 255));
  return glyph;
}

struct TButtonRig {
  std::unique_ptr<QWidget> Panel = testing::ShownPanel();
  TMyTransButton* Button = new TMyTransButton(Panel.get());
  int Clicks = 0;
  TButtonRig() {
    Button->SetGlyph(TwoFrames());
    Button->move(10, 10);
    Button->show();
    Button->OnClick = [this](QWidget*) { ++Clicks; };
  }
};

TEST(MyTransButton, StayDownTogglesAndADragOutRestoresWithoutAClick) {
  TButtonRig rig;
  TMyTransButton& b = *rig.Button;
  EXPECT_EQ(b.size(), QSize(16, 16));  // a bitmap button takes its frame size
  EXPECT_TRUE(b.Glyph().isNull());     // the glyph went into the list
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(0, 0, 0));

  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(255, 255, 255));
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(rig.Clicks, 1);
  QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(rig.Clicks, 2);

  // Out shows the state at the press, back in the pressed look; a release
  // outside leaves the state at the press and clicks nothing.
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(8, 8));
  QTest::mouseMove(&b, QPoint(40, 8));
  EXPECT_FALSE(b.Down());
  QTest::mouseMove(&b, QPoint(4, 4));
  EXPECT_TRUE(b.Down());
  QTest::mouseMove(&b, QPoint(-5, 30));
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(-5, 30));
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(rig.Clicks, 2);

  // Momentary: down while held, up at the release.
  b.StayDown = false;
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_TRUE(b.Down());
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(rig.Clicks, 3);

  // Disabling lifts the button; a disabled button takes no clicks.
  b.SetDown(true);
  b.setEnabled(false);
  EXPECT_FALSE(b.Down());
  QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(rig.Clicks, 3);
}

TEST(MyTransButton, RightPressOpensThePopupMenuAtTheRightEdgeShownDown) {
  TButtonRig rig;
  TMyTransButton& b = *rig.Button;
  QMenu menu;
  menu.addAction("Song mode");
  b.PopupMenu = &menu;
  QPoint menuAt;
  bool downWhileOpen = false;
  QTimer::singleShot(50, &menu, [&] {
    menuAt = menu.pos();
    downWhileOpen = b.Down();
    menu.close();
  });
  QTest::mousePress(&b, Qt::RightButton, {}, QPoint(8, 8));
  EXPECT_TRUE(downWhileOpen);
  EXPECT_EQ(menuAt, b.mapToGlobal(QPoint(16, 0)));
  EXPECT_EQ(PopupComponent(&menu), &b);
  EXPECT_FALSE(b.Down());  // restored
  QTest::mouseRelease(&b, Qt::RightButton, {}, QPoint(8, 8));
  EXPECT_EQ(rig.Clicks, 0);

  // The left button opening it under the bottom edge: a latched button
  // stays latched, and the press ends in no click.
  b.PopupButton = Qt::LeftButton;
  b.PopupAlign = TPopupAlign::Popup_Bottom;
  b.SetDown(true);
  QTimer::singleShot(50, &menu, [&] {
    menuAt = menu.pos();
    menu.close();
  });
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(menuAt, b.mapToGlobal(QPoint(0, 16)));
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(rig.Clicks, 0);
}

TEST(MyTransButton, FadeReachesFullLightInFourTicksAndFadesOut) {
  TButtonRig rig;
  TMyTransButton& b = *rig.Button;
  b.SetOptions(tbHasDownGlyph);  // keep the glyph for the fade strip
  b.SetGlyph(TwoFrames());
  b.SetFXType(TFXType::FX_Blend);
  std::vector<int> positions;
  b.OnPaint = [&](QWidget*) {
    if (positions.empty() || positions.back() != b.Fade().Position) positions.push_back(b.Fade().Position);
  };

  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(8, 8));
  // The first tick runs at once: 85 / 256 of white over black.
  EXPECT_EQ(b.Fade().Position, 85);
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(84, 84, 84));
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(8, 8));
  QTRY_VERIFY_WITH_TIMEOUT(!b.Fade().Running, 2000);
  EXPECT_EQ(positions, (std::vector<int>{85, 170, 255, 256}));
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(255, 255, 255));

  // Up again: the release starts from full light and loses 64 a tick.
  positions.clear();
  QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_FALSE(b.Down());
  QTRY_VERIFY_WITH_TIMEOUT(!b.Fade().Running, 2000);
  EXPECT_EQ(positions, (std::vector<int>{256, 192, 128, 64, 0}));
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(0, 0, 0));
}

TEST(MyTransButton, AutomaticGlyphsRestInGreyAndShowColourUnderTheMouse) {
  TButtonRig rig;
  TMyTransButton& b = *rig.Button;
  QImage glyph(32, 16, QImage::Format_RGB32);
  glyph.fill(qRgb(200, 100, 0));
  QPainter(&glyph).fillRect(16, 0, 16, 16, QColor(0, 0, 255));
  b.SetOptions(tbHasDownGlyph | tbAutoOnOverGlyph | tbAutoDisabledGlyph);
  b.SetGlyph(glyph);
  // Frames 0 and 1, the embossed copy, then frame 0 moved last and the
  // grey copy in front: grey, down frame, disabled, coloured frame 0.
  ASSERT_EQ(b.ListInUse()->Count(), 4);
  EXPECT_EQ(b.ImageOffsets().Down, 1);
  EXPECT_EQ(b.ImageOffsets().Disabled, 2);
  EXPECT_EQ(b.ImageOffsets().Over, 3);
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(119, 119, 119));
  QEnterEvent enter(QPointF(8, 8), QPointF(8, 8), b.mapToGlobal(QPointF(8, 8)));
  QApplication::sendEvent(&b, &enter);
  EXPECT_TRUE(b.MouseOver());
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(200, 100, 0));
  QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(PixelAt(b, 8, 8), qRgb(0, 0, 255));
  QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(8, 8));
  b.setEnabled(false);
  EXPECT_EQ(b.ImageIndex(), 2);
}

TEST(MyTransButton, FramedCaptionButtonWithAnAccelerator) {
  auto panel = testing::ShownPanel();
  auto* b = new TMyTransButton(panel.get());
  b->SetStyle(TBtnFrameStyle::FS_VekGradient);
  b->setGeometry(10, 10, 80, 24);
  b->SetCaption("&Render");
  b->StayDown = false;
  b->show();
  int clicks = 0;
  b->OnClick = [&](QWidget*) { ++clicks; };
  EXPECT_EQ(b->accessibleName(), QString("Render"));
  EXPECT_EQ(b->size(), QSize(80, 24));  // a framed button keeps its size
  // The frame's black bottom edge, and text somewhere on the face.
  QImage look = b->grab().toImage();
  EXPECT_EQ(look.pixel(40, 23) | 0xFF000000, qRgb(0, 0, 0));
  bool lightText = false;
  for (int x = 10; x < 70; ++x)
    for (int y = 6; y < 18; ++y) lightText |= qGray(look.pixel(x, y)) > 180;
  EXPECT_TRUE(lightText);

  panel->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
  QTest::keyClick(panel.get(), Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
  b->setEnabled(false);
  QTest::keyClick(panel.get(), Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
  // Disabled, the caption is drawn in the face colour darkened by 64.
  const QRgb dim = ToQColor(ShiftColor(b->Color(), -64)).rgb();
  look = b->grab().toImage();
  bool dimText = false;
  for (int x = 10; x < 70; ++x)
    for (int y = 6; y < 18; ++y) dimText |= (look.pixel(x, y) | 0xFF000000) == dim;
  EXPECT_TRUE(dimText);
}

TEST(MyTransButton, SharedListsShowTheirStateFramesAndFlatButtonsRiseUnderTheMouse) {
  auto panel = testing::ShownPanel();
  TImageList frames;  // normal, down, disabled, over
  BitmapToImageList(testing::FrameStrip(4, 16), frames, 4);
  auto* first = new TMyTransButton(panel.get());
  first->SetOptions(tbHasDownGlyph | tbHasDisabledGlyph | tbHasOnOverGlyph);
  first->SetImList(&frames);
  first->show();
  QEvent leave(QEvent::Leave);  // wherever the pointer was left by others
  QApplication::sendEvent(first, &leave);
  EXPECT_EQ(first->size(), QSize(16, 16));
  EXPECT_EQ(PixelAt(*first, 8, 8), testing::FrameColour(0));
  first->SetDown(true);
  EXPECT_EQ(PixelAt(*first, 8, 8), testing::FrameColour(1));
  first->setEnabled(false);
  EXPECT_EQ(PixelAt(*first, 8, 8), testing::FrameColour(2));

  auto* second = new TMyTransButton(panel.get());
  second->AssignGlyphsFrom(*first);
  second->setGeometry(30, 0, 16, 16);
  second->show();
  QEnterEvent enter(QPointF(8, 8), QPointF(8, 8), second->mapToGlobal(QPointF(8, 8)));
  QApplication::sendEvent(second, &enter);
  EXPECT_EQ(PixelAt(*second, 8, 8), testing::FrameColour(3));

  // tbOnOver: a plain face until the mouse comes over, then the frame.
  auto* flat = new TMyTransButton(panel.get());
  flat->SetStyle(TBtnFrameStyle::FS_Vek3D);
  flat->SetOptions(tbOnOver);
  flat->setGeometry(60, 0, 40, 20);
  flat->show();
  QApplication::sendEvent(flat, &leave);
  const QRgb face = ToQColor(flat->Color()).rgb();
  EXPECT_EQ(PixelAt(*flat, 39, 10), face);
  QApplication::sendEvent(flat, &enter);
  EXPECT_EQ(PixelAt(*flat, 39, 10), qRgb(0, 0, 0));
  QApplication::sendEvent(flat, &leave);
  EXPECT_EQ(PixelAt(*flat, 39, 10), face);
}

TEST(MyTransButton, ABlinkingFadeTurnsRoundWhileDownAndSettlesWhenUp) {
  TButtonRig rig;
  TMyTransButton& b = *rig.Button;
  b.SetOptions(tbHasDownGlyph);
  b.SetGlyph(TwoFrames());
  b.SetFXType(TFXType::FX_Blend);
  b.FXBlink = TFXBlink::FX_BlinkOnPress;
  b.FXAttack = 128;
  b.FXRelease = 128;
  std::vector<int> positions;
  b.OnPaint = [&](QWidget*) {
    if (positions.empty() || positions.back() != b.Fade().Position) positions.push_back(b.Fade().Position);
  };
  QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 8));
  ASSERT_TRUE(b.Down());
  QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 5, 2000);
  EXPECT_EQ((std::vector<int>(positions.begin(), positions.begin() + 5)), (std::vector<int>{128, 256, 128, 0, 128}));
  EXPECT_TRUE(b.Fade().Running);
  QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 8));
  ASSERT_FALSE(b.Down());
  QTRY_VERIFY_WITH_TIMEOUT(!b.Fade().Running, 2000);
  EXPECT_EQ(b.Fade().Position, 0);
}

}  // namespace
}  // namespace vs
