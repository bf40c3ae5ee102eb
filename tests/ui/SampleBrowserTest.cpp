// The sample browser in the running program, on a samples folder the test
// makes: it slides open beside the main window at the first activation and
// lists folders, samples and songs in the tree's order; a press previews a
// sample, a right press loads it into the selected channel (and a saved
// song names it), dragging a sample onto a channel row loads it there; a
// long folder read stops on Escape with "Search canceled"; a folder that
// links back to itself is read once; the program settings' folders rebuild
// the tree.

#include <gtest/gtest.h>

#include <QDrag>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "controls/NumBar.h"
#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "editors/MIDIForm.h"
#include "editors/SampleListForm.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "framework/DropSource.h"
#include "framework/TreeNT.h"
#include "model/Song.h"
#include "support/CleanWindows.h"
#include "support/ProgramOnCopy.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Texts(TTreeNTNode* first) {
  std::vector<std::string> t;
  for (TTreeNTNode* n = first; n; n = n->GetNextSibling()) t.push_back(n->Text());
  return t;
}

TTreeNTNode* Child(TTreeNTNode* parent, TTreeNTNodes& items, const std::string& text) {
  for (TTreeNTNode* n = parent ? parent->GetFirstChild() : items.GetFirstNode(); n; n = n->GetNextSibling())
    if (n->Text() == text) return n;
  return nullptr;
}

void WriteWav(const std::string& path, int frames) {
  TWAVSample s;
  std::vector<int16_t> f(size_t(frames) * 2, 1000);
  s.SetFrames(std::move(f));
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(SaveWAVFile(&s, path));
}

class SampleBrowserTest : public ::testing::Test {
protected:
  testing::TProgramOnCopy P;
  TTestDir& Tmp = P.Tmp;
  std::unique_ptr<TProgramRun>& Run = P.Run;
  std::string App;

  void SetUp() override {
    testing::TestApplication();
    // The program's data, with samples and a folder of the test's own.
    const std::string lib = Tmp / "Lib/";
    P.Copy("[ZM SETTINGS]\nUse WAV=0\n[ZM DIRS]\n0=" + lib + "\n");
    App = P.App;
    // The samples folder holds the drum kits and what the test puts there,
    // whatever a run of the program left in the folder it was copied from.
    for (const auto& entry : fs::directory_iterator(App + "Samples"))
      if (entry.path().filename() != "DrumKits") fs::remove_all(entry.path());
    WriteWav(App + "Samples/Kick.wav", 400);
    WriteWav(App + "Samples/hat.wav", 400);
    WriteWav(lib + "snare.wav", 400);
    WriteWav(lib + "snare.ds", 1);  // the script hides its WAV
    WriteWav(lib + "Breaks/amen.wav", 400);
    WriteWav(lib + "Breaks/think.wav", 400);
    Tmp.Write("Lib/Breaks.nfo", "Tip=Drum breaks\nName_0=Breakbeats\nColIndex=3\n");
    Tmp.Write("Lib/bass.xi", "x");
    Tmp.Write("Lib/readme.txt", "x");
    fs::create_directory_symlink(lib, lib + "Breaks/again");  // a loop
    for (int i = 0; i < 1500; ++i) Tmp.Write("Lib/Big/s" + std::to_string(1000 + i) + ".wav", "");
    fs::copy_file(App + "Samples/DrumKits/Basic/Basic.zmp", App + "Loops/Groove.zmp");
    P.Start();
    Run->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form()));
    Run->FirstActivation();
    // The browser slides open (its tree shows once it is wide enough).
    ASSERT_NE(Windows().SampleListForm, nullptr);
    QTRY_COMPARE(Browser().AnimStep(), 12);
  }
  void TearDown() override { SetDragLoop(nullptr); }
  TVorbelStepsMainForm* Form() { return Windows().VorbelStepsMainForm; }
  TSampleListForm& Browser() { return *Windows().SampleListForm; }
  TTreeNT& Tree() { return *Browser().FileView; }
  TTreeNTNodes& Items() { return Tree().Items(); }
  QString InfoText() { return Form()->findChild<QLabel*>("InfoLabel")->text(); }
  // A user's press and release on a node.
  void Click(TTreeNTNode* node, Qt::MouseButton button = Qt::LeftButton) {
    Tree().scrollTo(Items().IndexOf(node));
    QTest::mouseClick(Tree().viewport(), button, {}, Tree().NodeRect(node).center());
  }
};

TEST_F(SampleBrowserTest, SlidesOpenBesideTheMainWindowAndListsFoldersSamplesAndSongs) {
  ASSERT_NE(Windows().SampleListForm, nullptr);
  EXPECT_TRUE(Browser().isVisible());
  // It opens from the 13-pixel strip in twelve ticks of 16 ms.
  EXPECT_EQ(Browser().AnimTimer.interval(), 16);
  QTRY_COMPARE(Browser().width(), 150);
  EXPECT_EQ(Browser().AnimStep(), 12);
  const QRect main = Form()->frameGeometry();
  EXPECT_EQ(Browser().geometry(), QRect(main.left() - 149, main.top(), 150, main.height()));
  Form()->move(main.topLeft() + QPoint(40, 30));  // it goes with the window
  QTRY_COMPARE(Browser().x(), Form()->frameGeometry().left() - 149);
  const QLabel* path = Browser().findChild<QLabel*>("PathLabel");
  EXPECT_EQ(path->toolTip().toStdString(), Tmp / "Lib/");
  EXPECT_TRUE(path->text().endsWith("/Lib/"));

  // The samples folder's contents, the folder of the settings' list and the
  // song files; folders (with their leading blank) before files, capitals
  // before small letters.
  EXPECT_EQ(Texts(Items().GetFirstNode()),
            (std::vector<std::string>{" DrumKits", " Lib", " ZMP loop files", "Kick", "hat"}));
  TTreeNTNode* lib = Child(nullptr, Items(), " Lib");
  EXPECT_EQ(lib->Count(), 0);  // read when opened
  Click(lib);
  EXPECT_TRUE(lib->Expanded());
  EXPECT_EQ(Texts(lib->GetFirstChild()), (std::vector<std::string>{" Big", " Breakbeats", "bass.xi", "snare.ds"}));
  EXPECT_EQ(InfoText(), "Found 2 files");
  TTreeNTNode* breaks = Child(lib, Items(), " Breakbeats");
  // Its tip shows while the pointer is over it.
  QTest::mouseMove(Tree().viewport(), Tree().NodeRect(breaks).center());
  EXPECT_EQ(InfoText(), "Drum breaks");
  Click(breaks);
  // The link back to the folder above is not listed again.
  EXPECT_EQ(Texts(breaks->GetFirstChild()), (std::vector<std::string>{"amen", "think"}));
  TTreeNTNode* songs = Child(nullptr, Items(), " ZMP loop files");
  Click(songs);
  // The shipped tutorial pages are a folder of songs of their own.
  EXPECT_EQ(Texts(songs->GetFirstChild()), (std::vector<std::string>{" Tutorial", "Groove.zmp"}));

  // The rows paint themselves: an open folder lit in its colour pair, the
  // selected sample with its black bar.
  Click(Child(breaks, Items(), "amen"));
  const QImage shot = Tree().viewport()->grab().toImage();
  const QRect amen = Tree().NodeRect(Tree().Selected());
  EXPECT_EQ(shot.pixelColor(11, amen.top() + 1), QColor(0, 0, 0));
  EXPECT_EQ(shot.pixelColor(40, amen.center().y() - 4), QColor(0x30, 0x30, 0x35));
  EXPECT_EQ(shot.pixelColor(40, Tree().NodeRect(breaks).center().y() - 4), QColor(0x16, 0x16, 0x16));
  // The scroller follows the tree.
  EXPECT_EQ(Browser().FileViewScroller->Max(), Tree().verticalScrollBar()->maximum());

  // A right press on the strip slides it closed; the menu command hides it.
  QWidget* strip = Browser().findChild<QWidget*>("InfoLeftBitmap");
  QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(5, 10));
  QTRY_COMPARE(Browser().width(), 13);
  EXPECT_EQ(Browser().AnimStep(), 0);
  QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(5, 10));  // closed: nothing moves
  QTest::qWait(60);
  EXPECT_EQ(Browser().width(), 13);
  // Dragged open by its strip to a width of its own.
  QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(5, 10));
  QTest::mouseMove(strip, QPoint(-195, 10));
  QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(-195, 10));
  EXPECT_EQ(Browser().width(), 213);
  EXPECT_EQ(Run->Program().Prefs.SampleListWidth, 213);
  Form()->Actions().Action("SampleBrowserMenu")->trigger();
  EXPECT_FALSE(Browser().isVisible());
}

TEST_F(SampleBrowserTest, PressesPreviewRightPressesAndDropsLoadIntoChannels) {
  TSong& song = CurrentSong();
  ASSERT_GE(song.ChannelCount(), 3);
  TTreeNTNode* kick = Child(nullptr, Items(), "Kick");
  // A press previews through the engine's post to the main window.
  Click(kick);
  QTRY_COMPARE(PreviewFileName, App + "Samples/Kick.wav");

  // A right press loads into the selected channel.
  song.Channels[0]->Selected = false;
  song.Channels[1]->Selected = true;
  Click(Child(nullptr, Items(), "hat"), Qt::RightButton);
  EXPECT_EQ(Tree().Selected()->Text(), "hat");
  EXPECT_EQ(song.Channel(1)->SampleFileName, "\\hat.wav");
  EXPECT_EQ(song.Channel(1)->Name, "hat");
  EXPECT_EQ(song.Channel(1)->Sample.Length, 400);
  // Enter loads the selected one too: a script's own WAV.
  TTreeNTNode* lib = Child(nullptr, Items(), " Lib");
  Click(lib);
  Tree().SetSelected(Child(lib, Items(), "snare.ds"));
  QTest::keyClick(&Tree(), Qt::Key_Return);
  EXPECT_EQ(song.Channel(1)->SampleFileName, Tmp / "Lib/snare.ds");
  EXPECT_EQ(song.Channel(1)->Sample.Length, 400);
  // A saved song names it.
  const std::string saved = Tmp / "saved.zmp";
  ASSERT_TRUE(SaveSong(saved, song));
  EXPECT_NE(ReadFileBytes(saved)->find(Tmp / "Lib/snare.ds"), std::string::npos);

  // Dragged out onto the third channel row: the drag carries the file, the
  // rack's drop target takes it.
  std::vector<std::string> carried;
  SetDragLoop([&](QDrag& d, Qt::DropActions allowed) -> Qt::DropAction {
    carried = DroppedFiles(*d.mimeData());
    EXPECT_EQ(allowed, Qt::CopyAction);  // never a move out of the library
    TChannelRack& rack = Form()->Rack();
    QWidget* name = rack.Rows()[2].Name;
    const QPoint at = name->mapTo(&rack, name->rect().center());
    QDragEnterEvent enter(at, allowed, d.mimeData(), Qt::LeftButton, {});
    QApplication::sendEvent(&rack, &enter);
    QDropEvent drop(at, allowed, d.mimeData(), Qt::LeftButton, {});
    QApplication::sendEvent(&rack, &drop);
    return drop.isAccepted() ? Qt::CopyAction : Qt::IgnoreAction;
  });
  const QPoint at = Tree().NodeRect(kick).center();
  QTest::mousePress(Tree().viewport(), Qt::LeftButton, {}, at);
  QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 0), Tree().viewport()->mapToGlobal(at + QPoint(30, 0)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Tree().viewport(), &move);
  EXPECT_EQ(carried, std::vector<std::string>{App + "Samples/Kick.wav"});
  EXPECT_EQ(song.Channel(2)->SampleFileName, "\\Kick.wav");
  EXPECT_EQ(song.Channel(2)->Name, "Kick");

  // A right press on a song opens it (the song is saved first: no
  // question).
  song.SetModified(false);
  TTreeNTNode* songs = Child(nullptr, Items(), " ZMP loop files");
  Click(songs);
  Click(Child(songs, Items(), "Groove.zmp"), Qt::RightButton);
  EXPECT_EQ(Form()->Commands().OpenedFileName, App + "Loops/Groove.zmp");
}

TEST_F(SampleBrowserTest, EscapeStopsALongReadAndLinkLoopsAreReadOnce) {
  TTreeNTNode* lib = Child(nullptr, Items(), " Lib");
  Click(lib);
  TTreeNTNode* big = Child(lib, Items(), " Big");
  // Escape, pressed while the folder is read, stops it.
  QCoreApplication::postEvent(&Tree(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  Click(big);
  EXPECT_EQ(InfoText(), "Search canceled");
  EXPECT_EQ(big->Count(), 255);
  EXPECT_FALSE(Browser().Scanning());
  // A double click on the panel closes everything.
  testing::DoubleClick(Browser().InfoPanel, Qt::LeftButton, QPoint(40, 10));
  EXPECT_FALSE(lib->Expanded());

  // "No dir": every file of the folder's tree in one list, the folder that
  // links back read once.
  Run->Program().Prefs.NoDir = true;
  Browser().RefreshTree();
  lib = Child(nullptr, Items(), " Lib");
  Click(lib);
  std::vector<std::string> names = Texts(lib->GetFirstChild());
  EXPECT_EQ(std::count(names.begin(), names.end(), "amen"), 1);
  EXPECT_EQ(names.size(), 1500u + 4u);
  EXPECT_EQ(InfoText(), "Found 1504 files");
}

// The program settings' folder list and "No dir" rebuild the open tree: a
// folder chosen for a row at once, a typed one when the window closes.
TEST_F(SampleBrowserTest, TheSettingsFoldersAndNoDirRebuildTheTree) {
  TMIDIForm& s = *Windows().MIDIForm;
  WriteWav(Tmp / "Kits/Acoustic/tom.wav", 400);
  WriteWav(Tmp / "Typed/rim.wav", 400);
  s.Hooks.ChooseFolder = [&](const std::string&, const std::string&, const std::string&) {
    return std::optional<std::string>(Tmp / "Kits/Acoustic");
  };
  s.ShowPage(s.DirsSheet);
  QTableWidget* grid = s.SearchDirList;
  const QPoint row3 = grid->visualItemRect(grid->item(2, 0)).center();
  QContextMenuEvent click(QContextMenuEvent::Mouse, row3, grid->viewport()->mapToGlobal(row3));
  QApplication::sendEvent(grid->viewport(), &click);
  EXPECT_EQ(Texts(Items().GetFirstNode()),
            (std::vector<std::string>{" Acoustic", " DrumKits", " Lib", " ZMP loop files", "Kick", "hat"}));
  TTreeNTNode* acoustic = Child(nullptr, Items(), " Acoustic");
  Click(acoustic);
  EXPECT_EQ(Texts(acoustic->GetFirstChild()), std::vector<std::string>{"tom"});

  grid->item(5, 0)->setText(QString::fromStdString(Tmp / "Typed/"));
  EXPECT_EQ(Child(nullptr, Items(), " Typed"), nullptr);
  s.close();
  EXPECT_NE(Child(nullptr, Items(), " Typed"), nullptr);

  // A name typed for a row survives the window's showing again, names the
  // folder in the tree from the close on, and stays in the list.
  s.ShowPage(s.DirsSheet);
  grid->item(5, 1)->setText("My rims");
  s.hide();
  s.ShowPage(s.DirsSheet);
  EXPECT_EQ(grid->item(5, 1)->text(), "My rims");
  s.close();
  EXPECT_EQ(Child(nullptr, Items(), " Typed"), nullptr);
  TTreeNTNode* rims = Child(nullptr, Items(), " My rims");
  ASSERT_NE(rims, nullptr);
  Click(rims);
  EXPECT_EQ(Texts(rims->GetFirstChild()), std::vector<std::string>{"rim"});
  s.ShowPage(s.DirsSheet);
  EXPECT_EQ(grid->item(5, 1)->text(), "My rims");
  EXPECT_EQ(grid->item(5, 0)->text().toStdString(), Tmp / "Typed/");
  // A new path typed over a row named after its folder: the name follows
  // the new folder, in the list and in the tree; a name the user typed stays.
  WriteWav(Tmp / "Kits/Electro/zap.wav", 400);
  grid->item(2, 0)->setText(QString::fromStdString(Tmp / "Kits/Electro/"));
  EXPECT_EQ(grid->item(2, 1)->text(), "Electro");
  grid->item(5, 0)->setText(QString::fromStdString(Tmp / "Kits/"));
  EXPECT_EQ(grid->item(5, 1)->text(), "My rims");
  s.close();
  EXPECT_EQ(Child(nullptr, Items(), " Acoustic"), nullptr);
  ASSERT_NE(Child(nullptr, Items(), " Electro"), nullptr);
  Click(Child(nullptr, Items(), " Electro"));
  EXPECT_EQ(Texts(Child(nullptr, Items(), " Electro")->GetFirstChild()), std::vector<std::string>{"zap"});
  EXPECT_NE(Child(nullptr, Items(), " My rims"), nullptr);

  // "No dir": the drum kits' samples in one list with the others.
  s.ShowPage(s.GeneralSheet);
  QTest::mouseClick(s.NoDirBox, Qt::LeftButton, {}, QPoint(6, s.NoDirBox->height() / 2));
  ASSERT_TRUE(Run->Program().Prefs.NoDir);
  EXPECT_EQ(Child(nullptr, Items(), " DrumKits"), nullptr);
  EXPECT_NE(Child(nullptr, Items(), "Kick"), nullptr);
}

}  // namespace
}  // namespace vs
