// Every command that changes the song marks it modified, whichever way the
// musician gives it (menus, keys, a row's line menu, the rack, the pattern
// pad, the playlist, the piano roll, the dialogs), so that closing the
// window asks to save it; the commands that only show or choose leave the
// song unmodified and the window closes without a question.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/PatternCommands.h"
#include "core/SongCommands.h"
#include "editors/PianoForm.h"
#include "editors/PianoMaps.h"
#include "editors/PlayListForm.h"
#include "controls/MeroUpDown.h"
#include "controls/MyTransBtn.h"
#include "controls/TrackSlider.h"
#include "controls/WAVWheel.h"
#include "controls/VekGrid.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "support/ProgramOnCopy.h"
#include "support/TestApplication.h"
#include "toolbox/MessageBox.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/StepRowMaps.h"
#include "ui/Techno16.h"

namespace vs {
namespace {

class ModifiedFlagTest : public ::testing::Test {
public:
  testing::TProgramOnCopy P;

  void SetUp() override {
    testing::TestApplication();
    P.Copy("[ZM SETTINGS]\nUse WAV=0\n");
    P.Start();
    P.Run->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form()));
    P.Run->FirstActivation();
  }
  TVorbelStepsMainForm* Form() { return P.Form(); }
  TSong& Song() { return CurrentSong(); }
  void Trigger(const char* action) { Form()->findChild<QAction*>(action)->trigger(); }
  void Keys(Qt::Key key, Qt::KeyboardModifiers mods) {
    // A window the case before opened takes its activation first.
    QCoreApplication::processEvents();
    Form()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form()));
    QTest::keyClick(Form(), key, mods);
  }
  // An item of a row's line menu, clicked in the open menu.
  void LineItem(int channel, const char* action) {
    QAction* item = Form()->findChild<QAction*>(action);
    QTimer::singleShot(30, [&] {
      QMenu* menu = Form()->LineMenu();
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    });
    QWidget* name = Form()->Rack().Rows()[size_t(channel)].Name;
    Form()->PopupLineMenu(channel, name->mapToGlobal(QPoint(20, 10)));
  }
  // The dialog that a command opens, answered with OK after edit(dialog).
  void WithDialog(const std::function<void()>& command, const std::function<void(QWidget&)>& edit = {}) {
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        timer.stop();
        if (edit) edit(*dialog);
        dialog->accept();
      }
    });
    timer.start(10);
    command();
  }
  // A click in the piano roll's view, opened for channel 0.
  void PianoClick(int view, QPoint at) {
    TPianoForm& piano = *Windows().PianoForm;
    piano.SetViewMode(view);
    piano.ShowForChannel(0, QRect(40, 40, 256, 27));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&piano));
    QTest::mouseClick(view == PianoGraphView ? piano.DrawBox : piano.KeybBox, Qt::LeftButton, {}, at);
    piano.hide();
    piano.SetViewMode(PianoKeyboardView);
  }
  void ClickStep(int channel, int step) {
    TTechno16& row = *Form()->Rack().StepRow(channel);
    QTest::mouseClick(&row, Qt::LeftButton, {},
                      QPoint(StepLeft(step, 0) + StepCellWidth / 2, row.CellTop() + StepCellHeight / 2));
  }
};

struct TCommandCase {
  const char* Name;
  bool Edits;  // the command changes the song
  std::function<void(ModifiedFlagTest&)> Give;
};

TEST_F(ModifiedFlagTest, EveryEditingCommandMarksTheSongAndClosingAsksToSaveIt) {
  using T = ModifiedFlagTest;
  const std::vector<TCommandCase> cases = {
      // Menus.
      {"Edit > Cut", true, [](T& t) { t.Trigger("CutMenu"); }},
      {"Edit > Copy", false, [](T& t) { t.Trigger("CopyMenu"); }},
      {"Edit > Paste", true, [](T& t) {
         CopySteps(t.Song());
         t.Trigger("PasteMenu");
       }},
      {"Edit > Select all", false, [](T& t) { t.Trigger("SelectAll1"); }},
      {"Edit > Copy whole pattern", false, [](T& t) { t.Trigger("Copywholepattern1"); }},
      {"Edit > Shift right", true, [](T& t) { t.Trigger("ShiftRight1"); }},
      {"Edit > Random", true, [](T& t) { t.Trigger("RandomMenu"); }},
      {"Edit > Humanize...", true, [](T& t) { t.WithDialog([&] { t.Trigger("HumanizeMenu"); }); }},
      {"Edit > Insert pattern in playlist", true, [](T& t) { t.Trigger("InsertpatterninPlayList1"); }},
      {"Channels > Add one > MB404", true, [](T& t) { t.Trigger("Add404Channel"); }},
      {"Channels > Clone selected", true, [](T& t) { t.Trigger("Cloneselected1"); }},
      {"Channels > Delete selected", true, [](T& t) {
         t.P.Messages->Answer(IdOK);
         t.Trigger("Deleteselected1");
       }},
      {"Channels > Zip selected", true, [](T& t) { t.Trigger("Zipselected1"); }},
      {"Channels > Unzip all", true, [](T& t) {
         t.Song().Channels[2]->SetZipped(true);
         t.Song().SetModified(false);
         t.Trigger("Unzipall1");
       }},
      {"Options > 32 notes per pattern", true, [](T& t) { t.Trigger("N16notes2"); }},
      {"Tempo menu > 150 BPM", true, [](T& t) { t.Trigger("N150BPM1"); }},
      {"Options > Loop info... (title typed)", true, [](T& t) {
         t.WithDialog([&] { t.Trigger("LoopInfo1"); },
                      [](QWidget& d) { QTest::keyClicks(d.findChild<QLineEdit*>("TitleEdit"), "Night"); });
       }},
      {"View > Dots window", false, [](T& t) { t.Trigger("VisualMenu"); }},
      // Keys.
      {"Ctrl+X", true, [](T& t) { t.Keys(Qt::Key_X, Qt::ControlModifier); }},
      {"Alt+Right", true, [](T& t) { t.Keys(Qt::Key_Right, Qt::AltModifier); }},
      {"Alt+R", true, [](T& t) { t.Keys(Qt::Key_R, Qt::AltModifier); }},
      {"Ctrl+D", true, [](T& t) { t.Keys(Qt::Key_D, Qt::ControlModifier); }},
      // A row's line menu.
      {"line menu > Cut", true, [](T& t) { t.LineItem(1, "LineCutMenu"); }},
      {"line menu > Fill each 8 notes", true, [](T& t) { t.LineItem(2, "Filleach8notes1"); }},
      {"line menu > Random", true, [](T& t) { t.LineItem(1, "ChanRandomMenu"); }},
      {"line menu > Insert channel > Drum", true, [](T& t) { t.LineItem(1, "Drum1"); }},
      // The rack and the pattern pad.
      {"a step clicked", true, [](T& t) { t.ClickStep(3, 5); }},
      {"a mute button", true, [](T& t) {
         QWidget* mute = t.Form()->Rack().Rows()[1].Mute;
         QTest::mouseClick(mute, Qt::LeftButton, {}, mute->rect().center());
       }},
      {"tempo up arrow", true, [](T& t) {
         QWidget* up = t.Form()->BPMUpDown;
         QTest::mouseClick(up, Qt::LeftButton, {}, QPoint(up->width() / 2, 2));
       }},
      {"master volume fader", true, [](T& t) {
         TTrackSlider* fader = t.Form()->MasterSliders[MainVolSlider];
         fader->ChangePositionAndRelease(fader->Position() == 28 ? 20 : 28);
       }},
      {"a row's front wheel", true, [](T& t) {
         TWAVWheel* wheel = t.Form()->Rack().Rows()[1].Wheel;
         wheel->ChangeValue(wheel->Value() == 30 ? 40 : 30, true);
       }},
      {"pattern pad: pattern 2 chosen", false, [](T& t) {
         QWidget* pad = t.Form()->findChild<QWidget*>("PatPad");
         QTest::mouseClick(pad, Qt::LeftButton, {}, QPoint(pad->width() / 2, pad->height() - 5));
         EXPECT_EQ(t.Song().CurrentPattern, 2);
       }},
      // The playlist and the piano roll.
      {"playlist cell painted", true, [](T& t) {
         TPlayListForm& list = *Windows().PlayListForm;
         list.show();
         ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
         TVekGrid& grid = list.ListGridBit();
         QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(3, 5).center());
         list.hide();
       }},
      {"piano roll key clicked", true, [](T& t) {
         t.PianoClick(PianoKeyboardView, QPoint(6 * PianoStepWidth + 8, KeybBoxHeight - 5 * PianoOctaveHeight - 12));
       }},
      {"piano roll graph bar drawn", true, [](T& t) {
         t.PianoClick(PianoGraphView, QPoint(2 * PianoStepWidth + 8, 20));
       }},
  };

  for (const TCommandCase& c : cases) {
    SCOPED_TRACE(c.Name);
    // A fresh kit, with a step on in every row of pattern 1, channel 0
    // selected.
    Song().SetModified(false);
    Trigger("New1");
    ASSERT_GE(Song().ChannelCount(), 4);
    for (auto& channel : Song().Channels) channel->Steps.SetStepOn(1, 0, true);
    Song().SetModified(false);
    const size_t boxes = P.Messages->Count();

    c.Give(*this);
    EXPECT_EQ(Song().Modified(), c.Edits);
    if (c.Edits) {
      // Closing the window asks; Cancel keeps it open with the song.
      P.Messages->Answer(IdCancel);
      EXPECT_FALSE(Form()->close());
      ASSERT_GT(P.Messages->Count(), boxes);
      EXPECT_EQ(P.Messages->Boxes().back().Message, "Save changes to untitled.zmp?");
      EXPECT_TRUE(Form()->isVisible());
      EXPECT_TRUE(Song().Modified());
    } else {
      EXPECT_EQ(Form()->Commands().AskSaveChanges(), IdNo);
      EXPECT_EQ(P.Messages->Count(), boxes);
    }
    while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  }
}

}  // namespace
}  // namespace vs
