// The shipped styles as the skin loads them: every list cut into the frames
// its controls expect, the two styles interchangeable, transparency only
// where a control lets the surface show, and a damaged picture of a style
// costing nothing but that picture.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/ProgramPaths.h"
#include "framework/Skin.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

struct TExpectedList {
  const char* Name;
  TImageList TSkin::*List;
  int Frames;  // 0: at least two
  int Width, Height;  // 0: any
};

// Sizes the controls and the layout rely on (step cells 16 x 27, lamp rows
// 19, wheels 23/14/25, name buttons 140 x 21, eleven digits...).
const TExpectedList Lists[] = {
    {"NoteBtn", &TSkin::NoteBtnIL, 4, 16, 27},     {"PosLed", &TSkin::PosLedIL, 2, 16, 19},
    {"HSliderKnob", &TSkin::HSliderIL, 3, 0, 0},   {"Keyb", &TSkin::KeybIL, 2, 16, 56},
    {"404Slide", &TSkin::TSSlideIL, 2, 16, 16},    {"Keyb_Keys", &TSkin::KeybNoteIL, 8, 16, 8},
    {"PLBullet", &TSkin::PLBulletIL, 2, 10, 10},   {"SB_Item", &TSkin::BrowserItemImages, 3, 10, 14},
    {"MinClose", &TSkin::MinCloseIL, 4, 13, 13},   {"UpDown", &TSkin::UpDownIL, 2, 15, 26},
    {"FX_Btns", &TSkin::FXBtnIL, 8, 24, 18},       {"digits", &TSkin::LCDIL, 11, 12, 20},
    {"MiddleWheel", &TSkin::MiddleWheelIL, 64, 23, 23}, {"SmallWheel", &TSkin::SmallWheelIL, 64, 14, 14},
    {"404Wheel", &TSkin::MB404WheelIL, 64, 25, 25}, {"MIDISync", &TSkin::MIDISyncIL, 3, 9, 9},
    {"VolSliderKnob", &TSkin::VolSliderIL, 3, 0, 0}, {"Volumeter", &TSkin::VolumeterIL, 2, 84, 5},
    {"SetBtn", &TSkin::SetBtnIL, 4, 140, 21},      {"Zipped", &TSkin::ZippedIL, 2, 144, 16},
    {"MuteBtn", &TSkin::MuteBtnIL, 2, 13, 21},     {"SelectBtn", &TSkin::SelectBtnIL, 2, 13, 21},
    {"MenuItems", &TSkin::MenuItemsIL, 2, 0, 18},
};

bool HasTransparency(const QImage& frame) {
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x)
      if (qAlpha(frame.pixel(x, y)) == 0) return true;
  return false;
}

TEST(SkinPictures, EveryListOfBothStylesHasItsControlsFramesAndLooks) {
  testing::TestApplication();
  const std::string app = VS_DATA_DIR;
  ProgramPaths().AppPath = app;
  TSkin dark, light;
  dark.ChangeStyle(app, "Default");
  const TStyle darkStyle = CurrentStyle();
  light.ChangeStyle(app, "Light");

  for (const TExpectedList& e : Lists) {
    for (const TSkin* skin : {&dark, &light}) {
      const TImageList& list = skin->*e.List;
      EXPECT_EQ(list.Count(), e.Frames) << e.Name;
      if (e.Width) EXPECT_EQ(list.Width(), e.Width) << e.Name;
      if (e.Height) EXPECT_EQ(list.Height(), e.Height) << e.Name;
    }
    // A light style may redraw a list, never change its geometry.
    EXPECT_EQ((light.*e.List).Width(), (dark.*e.List).Width()) << e.Name;
  }
  // Step cells and digits paint whole cells; wheels and channel buttons let
  // the rack show around them.
  EXPECT_FALSE(HasTransparency(dark.NoteBtnIL.Image(1)));
  EXPECT_FALSE(HasTransparency(dark.LCDIL.Image(5)));
  EXPECT_TRUE(HasTransparency(dark.MiddleWheelIL.Image(0)));
  EXPECT_TRUE(HasTransparency(dark.SetBtnIL.Image(0)));
  EXPECT_EQ(qAlpha(dark.MiddleWheelIL.Image(32).pixel(11, 11)), 255);  // the knob itself is opaque
  // Each wheel frame turns the pointer: neighbours differ, and the digits
  // are eleven different pictures.
  EXPECT_NE(dark.MiddleWheelIL.Image(10), dark.MiddleWheelIL.Image(11));
  for (int i = 1; i < dark.LCDIL.Count(); ++i) EXPECT_NE(dark.LCDIL.Image(i), dark.LCDIL.Image(i - 1)) << i;
  // Channel names are written in the channels' colours: in both styles, the
  // name button and the collapsed row put a dark window under the name.
  for (const TSkin* skin : {&dark, &light}) {
    EXPECT_LT(qGray(skin->SetBtnIL.Image(0).pixel(40, 10)), 60);
    for (int frame = 0; frame < 2; ++frame)
      for (int x : {10, 60, 120}) EXPECT_LT(qGray(skin->ZippedIL.Image(frame).pixel(x, 8)), 60) << frame << "," << x;
  }

  // The surfaces: the panel is the window's width, carries no key colour,
  // and every control of the panel lies on it.
  ASSERT_FALSE(dark.MenuPic.isNull());
  EXPECT_EQ(light.MenuPic.size(), dark.MenuPic.size());
  EXPECT_EQ(dark.MenuLine.width(), dark.MenuPic.width());
  EXPECT_EQ(dark.BottomLine.width(), dark.MenuPic.width());
  EXPECT_EQ(dark.TitleBar.size(), dark.TitleBarOff.size());
  EXPECT_NE(dark.TitleBar, dark.TitleBarOff);
  for (int y = 0; y < dark.MenuPic.height(); ++y)
    for (int x = 0; x < dark.MenuPic.width(); ++x)
      ASSERT_NE(dark.MenuPic.pixel(x, y) & 0xFFFFFF, 0xFF00FFu) << x << "," << y;
  for (const char* control : {"StartButton", "MixScope", "MainCutOffSlider", "MixVolumeter"}) {
    const QImage under = dark.PanelUnder(control);
    EXPECT_FALSE(under.isNull()) << control;
    EXPECT_EQ(under.size(), QSize(*darkStyle.Place(control)->Width, *darkStyle.Place(control)->Height)) << control;
  }
  // The keys the panel holds fit its wells.
  const int keyWidth = dark.PlayBtnGlyph.width() / 2;
  EXPECT_EQ(keyWidth, *darkStyle.Place("StartButton")->Width);
  EXPECT_EQ(dark.PatPadGlyph.width() / 2, *darkStyle.Place("PatPad")->Width);
  ApplyStyle(TStyle());
  ProgramPaths() = {};
}

TEST(SkinPictures, ADamagedPictureOfAStyleFallsBackToTheDefaultOne) {
  testing::TestApplication();
  TTestDir app;
  fs::create_directories(app / "Styles");
  fs::copy(std::string(VS_DATA_DIR) + "Styles/Default", app / "Styles/Default", fs::copy_options::recursive);
  app.Write("Styles/Broken/NoteBtn.bmp", "BM this is no picture");
  app.Write("Styles/Broken/MenuBack.bmp", std::string(54, '\0'));
  app.Write("Styles/Broken/config.txt", "nNotesShown=12\r\n");
  TSkin skin;
  skin.ChangeStyle(app.Dir() + "/", "Broken");
  EXPECT_EQ(skin.Style.MaxVisibleSteps, 12);
  EXPECT_EQ(skin.NoteBtnIL.Count(), 4);
  EXPECT_FALSE(skin.MenuPic.isNull());
  EXPECT_EQ(skin.MenuPic.width(), 512);

  // A default style without a picture leaves that picture null and the
  // list empty: the controls draw their own look.
  fs::remove(app / "Styles/Default/SetBtn.bmp");
  fs::remove(app / "Styles/Default/back.bmp");
  skin.ChangeStyle(app.Dir() + "/", "Broken");
  EXPECT_TRUE(skin.SetBtnIL.Empty());
  EXPECT_TRUE(skin.BackPic.isNull());
  EXPECT_EQ(skin.MuteBtnIL.Count(), 2);
  ApplyStyle(TStyle());
}

}  // namespace
}  // namespace vs
