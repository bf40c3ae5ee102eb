#include <gtest/gtest.h>

#include "core/ProgramPaths.h"
#include "core/Style.h"
#include "model/StepStore.h"
#include "support/TempDir.h"

using namespace vs;

namespace {

const char* const DefaultConfig =
    "' the default style\r\n"
    "Hint=Welcome\r\n"
    "MenuSep=40,92,150\r\n"
    "TitleFont=DejaVu Sans,16777215,13\r\n"
    "HintFont=Mono,255\r\n"
    "ScopeCol=1,2,3,4\r\n"
    "GraphCol=10,11,12,13,14,15,16,17\r\n"
    "ChanBtns=100,0,4,2,30,6,44,6,60,4\r\n"
    "StartButton=10,20\r\n"
    "MainVolSlider=300,8,18,64\r\n"
    "nNotesShown=16\r\n";

}  // namespace

TEST(Styles, ConfigurationKeysAndTheirRanges) {
  TStyle s;
  LoadSkinConfig(s, DefaultConfig);
  EXPECT_EQ(s.Hint, "Welcome");
  EXPECT_EQ(s.TitleFont, (TStyleFont{"DejaVu Sans", 0xFFFFFF, 13}));
  EXPECT_EQ(s.HintFont.Name, "Mono");
  EXPECT_EQ(s.HintFont.Color, 255u);
  EXPECT_EQ(s.HintFont.Height, TStyle().HintFont.Height);  // missing part: kept
  EXPECT_EQ(s.ScopeCol, (std::array<TColor, 4>{1, 2, 3, 4}));
  EXPECT_EQ(s.GraphCol[7], 17u);
  EXPECT_EQ(s.ChanBtns[ChanBtnSteps], (TStylePoint{100, 0}));
  EXPECT_EQ(s.ChanBtns[ChanBtnName], (TStylePoint{60, 4}));
  ASSERT_NE(s.Place("startbutton"), nullptr);  // control names in any case
  EXPECT_EQ(*s.Place("StartButton")->Left, 10);
  EXPECT_FALSE(s.Place("StartButton")->Width.has_value());
  EXPECT_EQ(*s.Place("MainVolSlider")->Height, 64);
  EXPECT_FALSE(s.ScopeFX);
  EXPECT_TRUE(s.DefHole.empty());

  LoadSkinConfig(s,
                 "nNotesShown=eight\n"
                 "'nNotesShown=4\n"                 // a comment, even with a key after it
                 "StartButton=x,30,-5,12\n"         // not a number keeps; negative size refused
                 "TitleFont=,abc,-3\n"              // nothing readable: all kept
                 "ScopeCol=5,-1,x\n"
                 "DefHole=0,0,10\n"                 // odd count: ignored
                 "DefHole=0,0,10,0\n"               // two points: ignored
                 "ScopeFX=\n"
                 "MenuSep=10,20,30,40,50\n");
  EXPECT_EQ(s.MaxVisibleSteps, DefaultVisibleSteps);
  EXPECT_EQ(*s.Place("StartButton")->Left, 10);
  EXPECT_EQ(*s.Place("StartButton")->Top, 30);
  EXPECT_FALSE(s.Place("StartButton")->Width.has_value());
  EXPECT_EQ(*s.Place("StartButton")->Height, 12);
  EXPECT_EQ(s.TitleFont, (TStyleFont{"DejaVu Sans", 0xFFFFFF, 13}));
  EXPECT_EQ(s.ScopeCol, (std::array<TColor, 4>{5, 2, 3, 4}));
  EXPECT_TRUE(s.DefHole.empty());
  EXPECT_TRUE(s.ScopeFX);
  // Four menu titles have three separators: the rest is ignored.
  EXPECT_EQ(s.MenuSepFor(4), (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(s.MenuSepFor(1), std::vector<int>{});

  LoadSkinConfig(s, "nNotesShown=0\n");
  EXPECT_EQ(s.MaxVisibleSteps, 1);
  LoadSkinConfig(s, "nNotesShown=200\n");
  EXPECT_EQ(s.MaxVisibleSteps, MaxShownSteps);
  LoadSkinConfig(s, "DefHole=0,0,40,0,0,40\nDefHole=100,0,140,0,140,40,100,40\n");
  ASSERT_EQ(s.DefHole.size(), 2u);
  EXPECT_EQ(s.DefHole[0].size(), 3u);
  EXPECT_EQ(s.DefHole[1][2], (TStylePoint{140, 40}));
}

TEST(Styles, AStyleHoldsOnlyWhatDiffersFromTheDefault) {
  TTestDir app;
  app.Write("Styles/Default/config.txt", DefaultConfig);
  app.Write("Styles/Default/back.bmp", "default picture");
  app.Write("Styles/Default/StartSnd.WAV", "sound");
  app.Write("Styles/Light/config.txt", "nNotesShown=8\r\nDefHole=0,0,30,0,0,30\r\n");
  app.Write("Styles/Light/Back.BMP", "own picture");
  app.Write("Styles/Empty/.keep", "");
  app.Write("Styles/aqua/.keep", "");
  const std::string appPath = app.Dir() + "/";

  // Listed by name in any case, the default chosen when nothing (or an
  // index past the list) is stored.
  const std::vector<std::string> styles = ListStyles(appPath);
  EXPECT_EQ(styles, (std::vector<std::string>{"aqua", "Default", "Empty", "Light"}));
  EXPECT_EQ(ChooseStyleIndex(styles, std::nullopt), 1);
  EXPECT_EQ(ChooseStyleIndex(styles, 9), 1);
  EXPECT_EQ(ChooseStyleIndex(styles, 3), 3);
  EXPECT_EQ(ChooseStyleIndex({}, 0), -1);

  const TStyle light = LoadStyle(appPath, "Light");
  EXPECT_EQ(light.MaxVisibleSteps, 8);
  EXPECT_EQ(light.Hint, "Welcome");  // the rest from the default style
  EXPECT_EQ(*light.Place("MainVolSlider")->Left, 300);
  EXPECT_EQ(light.ChanBtns[ChanBtnSteps], (TStylePoint{100, 0}));
  ASSERT_EQ(light.DefHole.size(), 1u);
  EXPECT_EQ(light.FilePath("back.bmp"), appPath + "Styles/Light/Back.BMP");  // any case
  EXPECT_EQ(light.FilePath("StartSnd.WAV"), appPath + "Styles/Default/StartSnd.WAV");

  const TStyle empty = LoadStyle(appPath, "Empty");
  EXPECT_EQ(empty.MaxVisibleSteps, 16);
  EXPECT_EQ(empty.FilePath("back.bmp"), appPath + "Styles/Default/back.bmp");
  EXPECT_TRUE(empty.DefHole.empty());

  // Without any configuration: the built-in values, a rectangular window.
  TTestDir bare;
  const TStyle none = LoadStyle(bare.Dir() + "/", "Gone");
  EXPECT_EQ(none.MaxVisibleSteps, 16);
  EXPECT_TRUE(none.DefHole.empty());
  EXPECT_EQ(none.GraphCol[0], TStyle().GraphCol[0]);

  // The program's current style answers StyleFilePath; graph colours reach
  // the step lanes and come back with a style that doesn't set them.
  const std::string savedApp = ProgramPaths().AppPath;
  const TColor panColour = StepLanes[0].Color;
  ProgramPaths().AppPath = appPath;
  CurrentStyle() = light;
  EXPECT_EQ(StyleFolder(), appPath + "Styles/Light/");
  EXPECT_EQ(StyleFilePath("back.bmp"), appPath + "Styles/Light/Back.BMP");
  ApplyGraphColours(light);
  EXPECT_EQ(StepLanes[1].Color, 11u);
  ApplyGraphColours(none);
  EXPECT_EQ(StepLanes[0].Color, panColour);
  CurrentStyle() = TStyle();
  ProgramPaths().AppPath = savedApp;
}
