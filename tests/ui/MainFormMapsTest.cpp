// The main window's rules without a screen: height limits, scroller knobs,
// info texts and the keyboard map at their edges.

#include <gtest/gtest.h>

#include "model/StepStore.h"
#include "ui/MainFormMaps.h"

namespace vs {
namespace {

TEST(MainFormMaps, HeightStaysBetweenTheFrameAndTheFullRack) {
  const THeightLimits limits = MainHeightLimits(160, 8 * 27 + 19);
  EXPECT_EQ(limits.Full, 160 + 235 + 14);
  EXPECT_EQ(ClampFormHeight(50, limits), 160);
  EXPECT_EQ(ClampFormHeight(1000, limits), limits.Full);
  EXPECT_EQ(ClampFormHeight(300, limits), 300);
  // A rack whose first row needs 31 pixels: never less than that shows.
  const THeightLimits rows = MainHeightLimits(160, 8 * 27 + 19, 31);
  EXPECT_EQ(ClampFormHeight(50, rows), 191);
  EXPECT_EQ(ProposedFormHeight(990, 300, 300, rows, 1000, true, false), 191);
  // Stop At Bottom: a window moved down to 900 on a work area ending at
  // 1000 keeps 100 pixels, but never less than its frame.
  EXPECT_EQ(ProposedFormHeight(700, 300, 300, limits, 1000, true, false), 300);
  EXPECT_EQ(ProposedFormHeight(800, 300, 300, limits, 1000, true, false), 200);
  EXPECT_EQ(ProposedFormHeight(900, 300, 300, limits, 1000, true, false), 160);
  // Always full height: a window that shows the whole rack keeps it, even
  // at the bottom; one that does not may shrink.
  EXPECT_EQ(ProposedFormHeight(800, limits.Full, limits.Full, limits, 1000, true, true), limits.Full);
  EXPECT_EQ(ProposedFormHeight(800, 300, 300, limits, 1000, true, true), 200);
  EXPECT_EQ(ProposedFormHeight(800, 300, 300, limits, 1000, false, false), 300);
  // 69 rows on a 1000-pixel screen: never taller than the screen; grown
  // from 400, the window stops at the screen's bottom (without Stop At
  // Bottom it may pass it); shrinking goes as asked.
  const THeightLimits tall = ScreenHeightLimits(MainHeightLimits(160, 69 * 27 + 19), 1000);
  EXPECT_EQ(tall.Full, 1000);
  EXPECT_EQ(ScreenHeightLimits(limits, 1000).Full, limits.Full);
  EXPECT_EQ(GrownFormHeight(tall.Full, 400, 0, 1000, true), 1000);
  EXPECT_EQ(GrownFormHeight(tall.Full, 400, 300, 1000, true), 700);
  EXPECT_EQ(GrownFormHeight(tall.Full, 400, 300, 1000, false), 1000);
  EXPECT_EQ(GrownFormHeight(tall.Full, 400, 800, 1000, true), 400);
  EXPECT_EQ(GrownFormHeight(300, 400, 800, 1000, true), 300);
  // The caption stays on the work area while dragged.
  EXPECT_EQ(DraggedFormTop(-40, 20, 0, 1000), 0);
  EXPECT_EQ(DraggedFormTop(995, 20, 0, 1000), 980);
  EXPECT_EQ(DraggedFormTop(500, 20, 0, 1000), 500);
}

TEST(MainFormMaps, ScrollerKnobsAreTheVisibleShareRoundedToThreeKPlusOne) {
  // Half of a 200-pixel track: 100 -> 100 (3 x 33 + 1).
  EXPECT_EQ(ScrollerKnobLength(200, 50, 100, RackKnobMinimum), 100);
  EXPECT_EQ(ScrollerKnobLength(200, 51, 100, RackKnobMinimum), 100);  // 102 -> 100
  // A small share gives the minimum, rounded down too: 31 and 46.
  EXPECT_EQ(ScrollerKnobLength(200, 1, 100, RackKnobMinimum), 31);
  EXPECT_EQ(ScrollerKnobLength(300, 16, 64, PatternKnobMinimum), 73);  // 75 -> 73
  EXPECT_EQ(ScrollerKnobLength(100, 1, 64, PatternKnobMinimum), 46);
  EXPECT_EQ(RackScrollerMax(300, 200), 100);
  EXPECT_EQ(RackScrollerMax(200, 300), 0);
  // A row below the view comes in with 3 pixels to spare, one above too.
  EXPECT_EQ(ScrollRowIntoView(0, 100, 120, 27), 50);
  EXPECT_EQ(ScrollRowIntoView(80, 100, 40, 27), 37);
  EXPECT_EQ(ScrollRowIntoView(30, 100, 40, 27), 30);
}

TEST(MainFormMaps, InfoTextsHoldTheNumbersOfTheirFormulas) {
  const TPanWords words{"gauche", "droite", "Centre"};
  EXPECT_EQ(PanInfo(64, 127, words), "Centre");  // (128 - 127) x 100 div 127 = 0
  EXPECT_EQ(PanInfo(0, 127, words), "100% gauche");
  EXPECT_EQ(PanInfo(127, 127, words), "100% droite");
  EXPECT_EQ(PanInfo(96, 127, words), "51% droite");  // 65 x 100 div 127
  EXPECT_EQ(PanInfo(63, 127, words), "Centre");  // -100 div 127 truncates to 0
  EXPECT_EQ(PercentInfo("Master volume", 100, 128), "78% Master volume");
  EXPECT_EQ(PercentInfo("x", 5, 0), "0% x");
  EXPECT_EQ(SliderPercentInfo(512, 1024), "50%");
  EXPECT_EQ(SwingInfo(32, "swing"), "%25 swing");
  EXPECT_EQ(PitchInfo(-150, "cents"), "-150 cents");
  // The floating wheel's lanes.
  TStepValueWords lanes;
  lanes.Pan = words;
  EXPECT_EQ(StepValueInfo(PlanePan, 64, lanes), "Centre");
  EXPECT_EQ(StepValueInfo(PlanePitch, 0, lanes), "Pitch -1200 cents");
  EXPECT_EQ(StepValueInfo(PlanePitch, 240, lanes), "Pitch 1200 cents");
  EXPECT_EQ(StepValueInfo(PlaneReso, 127, lanes), "100% Reso");
  EXPECT_EQ(StepValueInfo(PlaneShift, 128, lanes), "Shift 0.50 note");
}

TEST(MainFormMaps, KeyboardMapAtItsEdges) {
  using C = TMainKeyCommand;
  TMainKeyContext ten;
  ten.ChannelCount = 10;
  TMainKeyContext eight = ten;
  eight.ChannelCount = 8;
  auto key = [](int k, bool keypad = false, bool ctrl = false, bool repeat = false) {
    return TMainKeyInput{k, keypad, ctrl, repeat};
  };
  EXPECT_EQ(MainKeyDown(key('1'), ten), (TMainKeyAction{C::ToggleMute, 0}));
  EXPECT_EQ(MainKeyDown(key('0'), ten), (TMainKeyAction{C::ToggleMute, 9}));
  EXPECT_EQ(MainKeyDown(key('0'), eight), TMainKeyAction{});
  EXPECT_EQ(MainKeyDown(key('9'), eight), TMainKeyAction{});
  EXPECT_EQ(MainKeyDown(key('8'), eight), (TMainKeyAction{C::ToggleMute, 7}));
  EXPECT_EQ(MainKeyDown(key('3', false, true), ten), (TMainKeyAction{C::Solo, 2}));
  // The keypad's digits choose patterns, its + and - step them.
  EXPECT_EQ(MainKeyDown(key('7', true), ten), (TMainKeyAction{C::SetPattern, 7}));
  EXPECT_EQ(MainKeyDown(key('0', true), ten), TMainKeyAction{});
  EXPECT_EQ(MainKeyDown(key('+', true), ten), (TMainKeyAction{C::PatternStep, 1}));
  EXPECT_EQ(MainKeyDown(key('-', true), ten), (TMainKeyAction{C::PatternStep, -1}));
  EXPECT_EQ(MainKeyDown(key('+'), ten), TMainKeyAction{});
  EXPECT_EQ(MainKeyDown(key('/', true), ten), (TMainKeyAction{C::PlaylistJump, -1}));
  // Held keys and toggles take no auto-repeat; arrows do.
  EXPECT_EQ(MainKeyDown(key('V'), ten), (TMainKeyAction{C::EditModeHold, 1}));
  EXPECT_EQ(MainKeyDown(key('V', false, false, true), ten), TMainKeyAction{});
  EXPECT_EQ(MainKeyDown(key(' ', false, false, true), ten), TMainKeyAction{});
  EXPECT_EQ(MainKeyDown(key(KeyDown, false, false, true), ten), (TMainKeyAction{C::SelectChannel, 1}));
  // Arrows step the pattern, or the pattern scroller when it is shown; the
  // page keys scroll the rack; none of them while another window is active.
  EXPECT_EQ(MainKeyDown(key(KeyRight), ten), (TMainKeyAction{C::PatternStep, 1}));
  TMainKeyContext scrolled = ten;
  scrolled.PatternScrollerShown = true;
  EXPECT_EQ(MainKeyDown(key(KeyLeft), scrolled), (TMainKeyAction{C::PatternScroll, -1}));
  EXPECT_EQ(MainKeyDown(key(KeyPageDown), ten), (TMainKeyAction{C::RackScroll, 30}));
  TMainKeyContext elsewhere = ten;
  elsewhere.MainOrPianoActive = false;
  EXPECT_EQ(MainKeyDown(key(KeyUp), elsewhere), TMainKeyAction{});
  EXPECT_EQ(MainKeyDown(key('F'), ten), TMainKeyAction{});  // only with the piano window
  EXPECT_EQ(MainKeyUp(key('P'), false), TMainKeyRelease::EndEditMode2);
  EXPECT_EQ(MainKeyUp(key(KeyShift), false), TMainKeyRelease::None);
  EXPECT_EQ(MainKeyUp(key(KeyShift), true), TMainKeyRelease::ReleaseNoteButtons);
  // Up from the first channel wraps to the last, past collapsed ones.
  EXPECT_EQ(NextSelectedChannel(0, -1, {false, false, false, false}), 3);
  EXPECT_EQ(NextSelectedChannel(0, -1, {false, false, true, true}), 1);
  EXPECT_EQ(NextSelectedChannel(3, 1, {false, false, false, false}), 0);
  EXPECT_EQ(NextSelectedChannel(0, 1, {true, true}), -1);
}

}  // namespace
}  // namespace vs
