// Files and names that come from outside, met as a musician meets them in
// the running program: damaged songs and archives opened every way the
// windows offer (they leave the open song as it was and write nothing),
// damaged samples and presets dropped or picked for a channel (it keeps its
// sample), saves into a place that can't be written (a message naming the
// file, no half file, the song still modified), and hostile channel names in
// the rack, the channel settings and the browser.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <set>

#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "editors/SampleListForm.h"
#include "editors/SettingsForm.h"
#include "editors/WAVRenderForm.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "framework/TreeNT.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "support/ProgramOnCopy.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"
#include "ui/ChannelRack.h"
#include "ui/Techno16.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// Answers every modal window that opens while the guard lives.
class TModalAnswers {
public:
  explicit TModalAnswers(std::function<void(QWidget&)> answer) : Answer(std::move(answer)) {
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible() || modal == Last) return;
      Last = modal;
      Answer(*modal);
    });
    Timer.start(5);
  }

private:
  std::function<void(QWidget&)> Answer;
  QTimer Timer;
  QPointer<QWidget> Last;
};

void Accept(QWidget& modal, const std::string& file) {
  if (auto* dialog = qobject_cast<QFileDialog*>(&modal)) {
    dialog->selectFile(QString::fromStdString(file));
    static_cast<QDialog*>(dialog)->accept();
  }
}

void WriteWav(const std::string& path, int frames) {
  TWAVSample s;
  s.SetFrames(std::vector<int16_t>(size_t(frames) * 2, 700));
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(SaveWAVFile(&s, path));
}

// Every file below a folder with its size and time.
std::set<std::string> Listing(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    std::string line = e.path().string();
    if (e.is_regular_file())
      line += " " + std::to_string(e.file_size()) + " " +
              std::to_string(e.last_write_time().time_since_epoch().count());
    files.insert(line);
  }
  return files;
}

class OutsideFilesTest : public ::testing::Test {
protected:
  testing::TProgramOnCopy P;
  TTestDir& Tmp = P.Tmp;
  std::string Lib;
  std::string Song;  // the user's song, a copy of the basic kit

  void SetUp() override {
    testing::TestApplication();
    Lib = Tmp / "Lib/";
    P.Copy("[ZM SETTINGS]\nUse WAV=0\n[ZM DIRS]\n0=" + Lib + "\n");
    const std::string kit = P.App + "Samples/DrumKits/Basic/Basic.zmp";
    const std::string bytes = *ReadFileBytes(kit);
    // Damaged songs: cut in the middle of the events, and no song at all.
    Tmp.Write("Lib/cut.zmp", bytes.substr(0, bytes.size() * 2 / 3));
    Tmp.Write("Lib/noise.zmp", std::string(300, '\x5A'));
    Tmp.Write("Lib/noise.zip", "PK\x03\x04" + std::string(200, '\x11'));
    fs::copy_file(Lib + "cut.zmp", P.App + "Loops/cut.zmp");
    Tmp.Write("Lib/bad.wav", "RIFF\x10\0\0\0WAVEfmt junk");
    Tmp.Write("Lib/bad.xi", "Extended Instrument: but nothing more");
    Tmp.Write("Lib/bad.404", "404");
    WriteWav(Lib + "good.wav", 300);
    fs::create_directories(Tmp / "My songs");
    Song = Tmp / "My songs/Basic.zmp";
    fs::copy_file(kit, Song);
    P.Start();
    P.Run->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form()));
    P.Run->FirstActivation();
    ASSERT_NE(Windows().SampleListForm, nullptr);
    QTRY_COMPARE(Windows().SampleListForm->AnimStep(), 12);
    ASSERT_TRUE(Form()->Commands().OpenSong(Song));
    ASSERT_GE(CurrentSong().ChannelCount(), 4);
  }
  TVorbelStepsMainForm* Form() { return P.Form(); }
  TRecordingMessageBox& Boxes() { return *P.Messages; }
  std::string LastMessage() { return Boxes().Count() ? Boxes().Boxes().back().Message : std::string(); }
  void Trigger(const char* action) { Form()->findChild<QAction*>(action)->trigger(); }
  std::vector<std::string> ChannelNames() {
    std::vector<std::string> names;
    for (const auto& c : CurrentSong().Channels) names.push_back(c->Name);
    return names;
  }
  TTreeNT& Tree() { return *Windows().SampleListForm->FileView; }
  TTreeNTNode* Node(TTreeNTNode* parent, const std::string& text) {
    for (TTreeNTNode* n = parent ? parent->GetFirstChild() : Tree().Items().GetFirstNode(); n;
         n = n->GetNextSibling())
      if (n->Text() == text) return n;
    return nullptr;
  }
  void Press(TTreeNTNode* node, Qt::MouseButton button = Qt::LeftButton) {
    ASSERT_NE(node, nullptr);
    Tree().scrollTo(Tree().Items().IndexOf(node));
    QTest::mouseClick(Tree().viewport(), button, {}, Tree().NodeRect(node).center());
  }
  // Files dropped from a file manager on a widget of the main window.
  bool Drop(QWidget* on, QPoint at, const std::vector<std::string>& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(on, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(on, &drop);
    return drop.isAccepted();
  }
  QPoint RowCentre(int channel) {
    TChannelRack& rack = Form()->Rack();
    QWidget* name = rack.Rows()[size_t(channel)].Name;
    return name->mapTo(&rack, name->rect().center());
  }
};

// A sample dropped on a step of a row loads into that row and clicks the
// step as the mouse would: the empty step under the drop point is on.
TEST_F(OutsideFilesTest, ASampleDroppedOnAStepLoadsItsRowAndClicksTheStep) {
  TSong& song = CurrentSong();
  const int count = song.ChannelCount();
  TChannelRack& rack = Form()->Rack();
  TTechno16* steps = rack.Rows()[1].Steps;
  const int step = 6;
  ASSERT_EQ(song.Channel(1)->Steps.IsStepOn(song.CurrentPattern, step), 0);
  const QPoint at = steps->mapTo(&rack, QPoint(step * 16 + 8, steps->CellTop() + 10));
  Drop(&rack, at, {Lib + "good.wav"});
  EXPECT_EQ(song.Channel(1)->Steps.IsStepOn(song.CurrentPattern, step), 1);
  EXPECT_EQ(song.Channel(1)->SampleFileName, Lib + "good.wav");
  EXPECT_EQ(song.Channel(1)->Name, "good");
  EXPECT_EQ(song.ChannelCount(), count);
  // On the name button it loads without a click on any step.
  const uint8_t before = song.Channel(2)->Steps.GetStepValue(song.CurrentPattern, 0, PlaneFlags);
  Drop(&rack, RowCentre(2), {Lib + "good.wav"});
  EXPECT_EQ(song.Channel(2)->SampleFileName, Lib + "good.wav");
  EXPECT_EQ(song.Channel(2)->Steps.GetStepValue(song.CurrentPattern, 0, PlaneFlags), before);
}

TEST_F(OutsideFilesTest, DamagedSongsAndArchivesLeaveTheOpenSongAndTheDisk) {
  const std::vector<std::string> names = ChannelNames();
  const std::set<std::string> before = Listing(Tmp.Dir());
  auto untouched = [&](const std::string& how) {
    SCOPED_TRACE(how);
    EXPECT_FALSE(CurrentSong().Modified());
    EXPECT_EQ(ChannelNames(), names);
    EXPECT_EQ(Form()->Commands().OpenedFileName, Song);
    EXPECT_EQ(ProgramPaths().SongFileName, Song);
    EXPECT_EQ(CurrentSong().Channel(0)->Sample.Length > 0, true);
  };

  // File > Open: the truncated song.
  {
    TModalAnswers answers([&](QWidget& w) { Accept(w, Lib + "cut.zmp"); });
    Trigger("Open1");
  }
  ASSERT_EQ(Boxes().Count(), 1u);
  EXPECT_EQ(LastMessage(), "Error while reading the ZMP file\rwhich may be corrupted.");
  untouched("open dialog");

  // Dropped on the window: noise named as a song, then a broken archive.
  EXPECT_TRUE(Drop(Form(), QPoint(40, 10), {Lib + "noise.zmp"}));
  ASSERT_EQ(Boxes().Count(), 2u);
  EXPECT_EQ(LastMessage(), "Error while reading the ZMP file\rwhich may be corrupted.");
  untouched("dropped song");
  Drop(Form(), QPoint(40, 10), {Lib + "noise.zip"});
  EXPECT_EQ(Boxes().Count(), 3u);
  EXPECT_EQ(LastMessage().rfind("The zip file is damaged or is not a zip file:\r" + Lib + "noise.zip", 0), 0u)
      << LastMessage();
  untouched("dropped archive");
  // Dropped on the rack, a song opens too (and fails the same way).
  Drop(&Form()->Rack(), RowCentre(1), {Lib + "cut.zmp", Lib + "good.wav"});
  EXPECT_EQ(Boxes().Count(), 4u);
  untouched("dropped on the rack");

  // A recent file that went bad since, and one that went away.
  Form()->Prefs().RecentFiles[1] = Lib + "noise.zmp";
  Form()->Prefs().RecentFiles[2] = Lib + "gone.zmp";
  Form()->RebuildRecentFiles();
  Trigger("LastFile2");
  EXPECT_EQ(Boxes().Count(), 5u);
  untouched("recent file");
  Trigger("LastFile3");
  EXPECT_EQ(Boxes().Count(), 6u);
  EXPECT_EQ(LastMessage(), "The file doesn't exist or has been moved.");
  untouched("missing recent file");

  // A right press on the song in the browser.
  TTreeNTNode* songs = Node(nullptr, " ZMP loop files");
  Press(songs);
  Press(Node(songs, "cut.zmp"), Qt::RightButton);
  EXPECT_EQ(Boxes().Count(), 7u);
  untouched("browser");

  // Nothing was written beside the files or the song (the archive unpacks
  // into the temporary folder only).
  EXPECT_EQ(Listing(Tmp.Dir()), before);
}

TEST_F(OutsideFilesTest, DamagedSamplesAndPresetsLeaveTheChannelItsSample) {
  TSong& song = CurrentSong();
  const int count = song.ChannelCount();
  struct TKept {
    std::string Name, File;
    TFrames Data;
    int Kind;
  };
  auto keep = [&](int i) {
    const TChannel& c = *song.Channel(i);
    return TKept{c.Name, c.SampleFileName, c.Sample.Data, c.Kind};
  };
  auto same = [&](int i, const TKept& k) {
    SCOPED_TRACE(i);
    const TChannel& c = *song.Channel(i);
    EXPECT_EQ(c.Name, k.Name);
    EXPECT_EQ(c.SampleFileName, k.File);
    EXPECT_EQ(c.Sample.Data, k.Data);
    EXPECT_EQ(c.Kind, k.Kind);
    EXPECT_FALSE(c.Sample.Empty());
  };
  const TKept first = keep(0), second = keep(1), third = keep(2);

  // A damaged WAV and a short preset dropped on their rows.
  Drop(&Form()->Rack(), RowCentre(0), {Lib + "bad.wav"});
  ASSERT_EQ(Boxes().Count(), 1u);
  EXPECT_EQ(LastMessage(), "The file " + Lib + "bad.wav could not be loaded.\rIt is missing or is no sample the "
                           "program can read.");
  same(0, first);
  Drop(&Form()->Rack(), RowCentre(1), {Lib + "bad.404"});
  EXPECT_EQ(Boxes().Count(), 2u);
  same(1, second);
  EXPECT_EQ(song.ChannelCount(), count);
  EXPECT_FALSE(song.Modified());

  // A damaged instrument by a right press in the browser, into the selected
  // channel.
  for (int i = 0; i < count; ++i) song.Channel(i)->Selected = i == 2;
  TTreeNTNode* lib = Node(nullptr, " Lib");
  Press(lib);
  Press(Node(lib, "bad.xi"), Qt::RightButton);
  EXPECT_EQ(Boxes().Count(), 3u);
  same(2, third);

  // Through the channel settings' sample dialog: the damaged file is
  // refused, a good one then loads as ever.
  QTest::mouseClick(Form()->Rack().Rows()[0].Name, Qt::LeftButton, {}, QPoint(20, 8));
  TSettingsForm& settings = *Windows().SettingsForm;
  {
    TModalAnswers answers([&](QWidget& w) { Accept(w, Lib + "bad.wav"); });
    settings.OpenSampleForChannel(0);
  }
  EXPECT_EQ(Boxes().Count(), 4u);
  same(0, first);
  EXPECT_FALSE(song.Modified());
  {
    TModalAnswers answers([&](QWidget& w) { Accept(w, Lib + "good.wav"); });
    settings.OpenSampleForChannel(0);
  }
  EXPECT_EQ(Boxes().Count(), 4u);
  EXPECT_EQ(song.Channel(0)->SampleFileName, Lib + "good.wav");
  EXPECT_EQ(song.Channel(0)->Sample.Length, 300);
  EXPECT_EQ(song.Channel(0)->Name, "good");
  EXPECT_TRUE(song.Modified());
}

TEST_F(OutsideFilesTest, SavesWhereNothingCanBeWrittenKeepTheSongModified) {
  CurrentSong().SetModified(true);
  // A "folder" that is a plain file: nothing can be made in it.
  const std::string blocked = Tmp.Write("blocked", "a file, not a folder");
  const std::set<std::string> before = Listing(Tmp.Dir());
  auto refused = [&](const std::string& file, const char* how) {
    SCOPED_TRACE(how);
    ASSERT_GE(Boxes().Count(), 1u);
    EXPECT_NE(LastMessage().find(file), std::string::npos) << LastMessage();
    EXPECT_TRUE(CurrentSong().Modified());
    EXPECT_EQ(Form()->Commands().OpenedFileName, Song);
    EXPECT_EQ(Listing(Tmp.Dir()), before);
  };

  {
    TModalAnswers answers([&](QWidget& w) { Accept(w, blocked + "/song.zmp"); });
    Trigger("SaveAs1");
  }
  refused(blocked + "/song.zmp", "save as");
  {
    TModalAnswers answers([&](QWidget& w) { Accept(w, blocked + "/song.mid"); });
    Trigger("MIDIfile1");
  }
  refused(blocked + "/song.mid", "MIDI file");
  {
    TModalAnswers answers([&](QWidget& w) { Accept(w, blocked + "/song.zip"); });
    Form()->Commands().ZippedCommand();
  }
  refused(blocked + "/song.zip", "package");
  {
    // The render dialog starts and is told of the failure, then closed.
    TModalAnswers answers([&](QWidget& w) {
      if (auto* render = qobject_cast<TWAVRenderForm*>(&w)) {
        QTest::keyClick(render, Qt::Key_Return);
        render->reject();
      } else {
        Accept(w, blocked + "/song.wav");
      }
    });
    Form()->Commands().RenderWAVCommand();
  }
  refused(blocked + "/song.wav", "render");

  // Collecting into a folder where each name is taken by a folder: the first
  // sample that can't be written is named and the collection ends.
  const std::string out = Tmp / "out/";
  for (const auto& c : CurrentSong().Channels)
    if (!c->SampleFileName.empty())
      fs::create_directories(out + ExtractFileName(ResolveSamplePath(c->SampleFileName)) + "/x");
  const size_t shown = Boxes().Count();
  {
    // The folder dialog's browser, inside it.
    TModalAnswers answers([&](QWidget& w) {
      if (auto* dialog = w.findChild<QFileDialog*>("FolderBrowser")) {
        dialog->setDirectory(QString::fromStdString(Tmp.Dir()));
        dialog->selectFile("out");
        static_cast<QDialog*>(dialog)->accept();
      }
    });
    Trigger("CollectMenuItem");
  }
  ASSERT_EQ(Boxes().Count(), shown + 1);
  EXPECT_NE(LastMessage().find(out), std::string::npos) << LastMessage();
  EXPECT_TRUE(CurrentSong().Modified());
}

TEST_F(OutsideFilesTest, HostileNamesShowWithoutTouchingAnyFile) {
  TSong& song = CurrentSong();
  const std::vector<std::string> hostile = {std::string(3000, 'W'), "../../../etc/passwd", "a/b\\c",
                                            std::string("bell\a\x01\x1b[2J\ttab\r\nline"), ".."};
  for (size_t i = 0; i < hostile.size(); ++i) {
    SetChannelName(song, int(i), hostile[i]);
    song.Channel(int(i))->SampleFileName = hostile[i] + ".wav";
  }
  // Saved and opened again, the names come back as they were.
  const std::string saved = Tmp / "My songs/hostile.zmp";
  ASSERT_TRUE(SaveSong(saved, song));
  ASSERT_TRUE(Form()->Commands().OpenSong(saved));
  const std::set<std::string> before = Listing(Tmp.Dir());
  for (size_t i = 0; i < hostile.size(); ++i) EXPECT_EQ(CurrentSong().Channel(int(i))->Name, hostile[i]);
  QApplication::processEvents();
  Form()->repaint();
  for (size_t i = 0; i < hostile.size(); ++i) {
    QTest::mouseClick(Form()->Rack().Rows()[i].Name, Qt::LeftButton, {}, QPoint(20, 8));
    QApplication::processEvents();
    Windows().SettingsForm->repaint();
  }
  EXPECT_EQ(Listing(Tmp.Dir()), before);

  // Files of such names in the browser's folder are listed and previewed.
  WriteWav(Lib + std::string(250, 'L') + ".wav", 20);
  WriteWav(Lib + "esc\x1b[31m\nline.wav", 20);
  Windows().SampleListForm->RefreshTree();
  TTreeNTNode* lib = Node(nullptr, " Lib");
  Press(lib);
  Press(Node(lib, std::string(250, 'L')));
  QTRY_COMPARE(PreviewFileName, Lib + std::string(250, 'L') + ".wav");
  Press(Node(lib, "esc\x1b[31m\nline"));
  QTRY_COMPARE(PreviewFileName, Lib + "esc\x1b[31m\nline.wav");
  Windows().SampleListForm->repaint();
}

}  // namespace
}  // namespace vs
