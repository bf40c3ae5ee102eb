// Saves and packages as a musician makes them in the running program, each
// checked by a fresh open of what is on disk: a package of samples that
// share a bare name, or whose names a song can't hold; a package saved over
// itself after an edit; a song from a package saved as a song file (its
// samples copied beside it, never named in the temporary folder); a package
// of a song never saved; a package that can't be written.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>

#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "engine/WAVFiles.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "support/ProgramOnCopy.h"
#include "support/TestApplication.h"
#include "support/ZipFixtures.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// Answers each modal window that opens while the guard lives: the save or
// open dialog takes the file (in the given filter), the replace question Yes.
class TDialogAnswers {
public:
  TDialogAnswers(std::string file, QString filter = {}) : File(std::move(file)), Filter(std::move(filter)) {
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible() || modal == Last) return;
      Last = modal;
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        ++Replaced;
        box->button(QMessageBox::Yes)->click();
      } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        ++Dialogs;
        StartFilter = dialog->selectedNameFilter();
        if (!Filter.isEmpty()) dialog->selectNameFilter(Filter);
        dialog->selectFile(QString::fromStdString(File));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
      }
    });
    Timer.start(5);
  }
  int Dialogs = 0;
  int Replaced = 0;
  QString StartFilter;

private:
  std::string File;
  QString Filter;
  QTimer Timer;
  QPointer<QWidget> Last;
};

// Every text the info bar showed on the screen (painted), in order.
class TPaintedInfo : public QObject {
public:
  explicit TPaintedInfo(QLabel* label) : Label(label) { label->installEventFilter(this); }
  ~TPaintedInfo() override {
    if (Label) Label->removeEventFilter(this);
  }
  bool Painted(const std::string& prefix) const {
    for (const std::string& t : Texts)
      if (t.rfind(prefix, 0) == 0) return true;
    return false;
  }
  std::vector<std::string> Texts;

protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) Texts.push_back(Label->text().toStdString());
    return false;
  }

private:
  QPointer<QLabel> Label;
};

const QString PackageFilter = "Zipped loop package (*.zip)";

class SavedSongsTest : public ::testing::Test {
protected:
  testing::TProgramOnCopy P;
  TTestDir& Tmp = P.Tmp;
  std::string Lib, Out;

  void SetUp() override {
    testing::TestApplication();
    Lib = Tmp / "Lib/";
    Out = Tmp / "Out/";
    fs::create_directories(Out);
    P.Copy("[ZM SETTINGS]\nUse WAV=0\n[ZM DIRS]\n0=" + Lib + "\n");
    // Two different kicks of one bare name, and a name a song can't hold.
    Wav(Lib + "a/Kick.wav", 300);
    Wav(Lib + "b/Kick.wav", 500);
    Wav(Lib + "ドラム.wav", 700);
    Wav(Lib + "hat.wav", 900);
    P.Start();
    P.Run->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form()));
    P.Run->FirstActivation();
  }
  TVorbelStepsMainForm* Form() { return P.Form(); }
  TSongCommands& Commands() { return Form()->Commands(); }
  TRecordingMessageBox& Boxes() { return *P.Messages; }
  void Trigger(const char* action) { Form()->findChild<QAction*>(action)->trigger(); }
  std::string Info() { return Form()->InfoLabel->text().toStdString(); }

  static void Wav(const std::string& path, int frames) {
    TWAVSample s;
    s.SetFrames(std::vector<int16_t>(size_t(frames) * 2, int16_t(frames)));
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(SaveWAVFile(&s, path));
  }
  // A file dropped from a file manager on a channel's row.
  void DropOnRow(int channel, const std::string& file) {
    TChannelRack& rack = Form()->Rack();
    QWidget* name = rack.Rows()[size_t(channel)].Name;
    const QPoint at = name->mapTo(&rack, name->rect().center());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rack, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&rack, &drop);
  }
  // The kit with the four test samples on its first four rows.
  void FourSamples() {
    Trigger("New1");
    ASSERT_GE(CurrentSong().ChannelCount(), 4);
    DropOnRow(0, Lib + "a/Kick.wav");
    DropOnRow(1, Lib + "b/Kick.wav");
    DropOnRow(2, Lib + "ドラム.wav");
    DropOnRow(3, Lib + "hat.wav");
    ASSERT_EQ(Lengths(4), (std::vector<int>{300, 500, 700, 900}));
  }
  std::vector<int> Lengths(int count) {
    std::vector<int> lengths;
    for (int i = 0; i < count && i < CurrentSong().ChannelCount(); ++i)
      lengths.push_back(CurrentSong().Channels[size_t(i)]->Sample.Length);
    return lengths;
  }
  // A fresh start of the file: the song made new, then the file opened.
  void Reopen(const std::string& file) {
    CurrentSong().SetModified(false);
    Trigger("New1");
    ASSERT_TRUE(Commands().OpenSong(file)) << file;
  }
  std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
      if (e.path().filename().string().find(".tmp-") != std::string::npos) names.push_back(e.path());
    return names;
  }
};

TEST_F(SavedSongsTest, PackageOfSameNamedSamplesReopensSoundingAndSavesOverItselfWithTheEdit) {
  FourSamples();
  const std::string pack = Out + "Beat.zip";
  TPaintedInfo painted(Form()->InfoLabel);
  {
    TDialogAnswers answers(pack);
    Trigger("Zippedlooppackage1");
    EXPECT_EQ(answers.Dialogs, 1);
  }
  EXPECT_EQ(Boxes().Count(), 0u) << Boxes().Boxes()[0].Message;
  EXPECT_TRUE(painted.Painted("Processing zip file"));
  // Each sample under a free name the song can hold; the song as it is now.
  const auto held = test::ReadZip(Tmp.Dir(), pack);
  ASSERT_TRUE(held.count("Beat.zmp"));
  EXPECT_EQ(held.at("Kick.wav"), *ReadFileBytes(Lib + "a/Kick.wav"));
  EXPECT_EQ(held.at("Kick-2.wav"), *ReadFileBytes(Lib + "b/Kick.wav"));
  EXPECT_EQ(held.at("___.wav"), *ReadFileBytes(Lib + "ドラム.wav"));
  EXPECT_EQ(held.at("hat.wav"), *ReadFileBytes(Lib + "hat.wav"));
  EXPECT_EQ(held.size(), size_t(1 + TSongCommands::CountDistinctSamples(CurrentSong())));
  EXPECT_TRUE(Leftovers(Out).empty());

  // Opened in a fresh song with its samples gone from the library: every
  // channel sounds as before.
  fs::rename(Lib, Tmp / "Gone");
  painted.Texts.clear();
  Reopen(pack);
  EXPECT_TRUE(painted.Painted("Unzipping: beat.zip"));
  EXPECT_EQ(Lengths(4), (std::vector<int>{300, 500, 700, 900}));
  const int channels = CurrentSong().ChannelCount();

  // An edit, then Ctrl+S: the dialog offers the package; replacing it
  // writes the song as it is now.
  Trigger("AddDrumChannel");
  ASSERT_EQ(CurrentSong().ChannelCount(), channels + 1);
  EXPECT_TRUE(CurrentSong().Modified());
  {
    TDialogAnswers answers(pack);
    Form()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form()));
    QTest::keyClick(Form(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(answers.Dialogs, 1);
    EXPECT_EQ(answers.StartFilter, PackageFilter);
    EXPECT_EQ(answers.Replaced, 1);
  }
  EXPECT_FALSE(CurrentSong().Modified());
  EXPECT_EQ(Commands().OpenedFileName, pack);
  EXPECT_EQ(test::ReadZip(Tmp.Dir(), pack).size(), held.size());
  Reopen(pack);
  EXPECT_EQ(CurrentSong().ChannelCount(), channels + 1);
  EXPECT_EQ(Lengths(4), (std::vector<int>{300, 500, 700, 900}));
  EXPECT_EQ(Boxes().Count(), 0u);

  // Another edit, then the window closed: Yes to the question saves the
  // package over itself and the window goes.
  Trigger("AddDrumChannel");
  bool closed = false;
  Form()->OnCloseAccepted = [&] { closed = true; };
  Boxes().Answer(IdYes);
  {
    TDialogAnswers answers(pack);
    EXPECT_TRUE(Form()->close());
    EXPECT_EQ(answers.StartFilter, PackageFilter);
  }
  EXPECT_TRUE(closed);
  ASSERT_EQ(Boxes().Count(), 1u);
  EXPECT_EQ(Boxes().Boxes()[0].Message, "Save changes to Beat.zip?");
  const std::string packed = test::ReadZip(Tmp.Dir(), pack).at("Beat.zmp");
  EXPECT_EQ(uint8_t(packed[10]) + 256 * uint8_t(packed[11]), channels + 2) << "the header's channel count";
}

TEST_F(SavedSongsTest, SongFromAPackageSavedAsSongFileNamesCopiesBesideIt) {
  FourSamples();
  const std::string pack = Out + "Beat.zip";
  {
    TDialogAnswers answers(pack);
    Trigger("Zippedlooppackage1");
  }
  Reopen(pack);
  const std::string temp = GetTempDirectory();
  ASSERT_EQ(CurrentSong().Channels[1]->SampleFileName.rfind(temp, 0), 0u);

  // Save as, the package filter still chosen, the name typed with ".zmp":
  // a song file, its samples copied beside it.
  fs::create_directories(Tmp / "Songs");
  const std::string song = Tmp / "Songs/Beat.zmp";
  {
    TDialogAnswers answers(song);
    Trigger("SaveAs1");
    EXPECT_EQ(answers.StartFilter, PackageFilter);
  }
  EXPECT_EQ(Boxes().Count(), 0u);
  const std::string bytes = *ReadFileBytes(song);
  EXPECT_EQ(bytes.substr(0, 4), "ZMhd");
  EXPECT_EQ(bytes.find(temp), std::string::npos) << "the song names nothing in the temporary folder";
  for (const char* copy : {"Kick.wav", "Kick-2.wav", "___.wav", "hat.wav"})
    EXPECT_TRUE(fs::exists(Tmp / (std::string("Songs/") + copy))) << copy;
  EXPECT_EQ(Info().rfind("Samples copied beside the song: Kick.wav, Kick-2.wav", 0), 0u) << Info();
  EXPECT_EQ(Commands().OpenedFileName, song);
  EXPECT_FALSE(CurrentSong().Modified());

  // The temporary folder goes at exit; the song still finds every sample.
  Reopen(Out + "Beat.zip");  // a new package folder: the old one is removed
  Reopen(song);
  EXPECT_EQ(Lengths(4), (std::vector<int>{300, 500, 700, 900}));
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(CurrentSong().Channels[size_t(i)]->SampleFileName.rfind(Tmp / "Songs/", 0), 0u);
}

TEST_F(SavedSongsTest, NamesASongCantHoldAreCopiedAndAnUntitledSongIsPackedAsItIs) {
  FourSamples();
  // Where the copy can't be made, the song is not saved: a message names
  // the sample, and the song stays modified.
  const std::string blocked = Tmp.Write("blocked", "a file, not a folder");
  {
    TDialogAnswers answers(blocked + "/Drums.zmp");
    Trigger("SaveAs1");
  }
  ASSERT_EQ(Boxes().Count(), 1u);
  EXPECT_NE(Boxes().Boxes()[0].Message.find("ドラム.wav could not be copied beside it"), std::string::npos);
  EXPECT_TRUE(CurrentSong().Modified());

  // A song file: the one name it can't hold is copied under one it can.
  const std::string song = Out + "Drums.zmp";
  {
    TDialogAnswers answers(song);
    Trigger("SaveAs1");
  }
  EXPECT_EQ(Boxes().Count(), 1u);
  EXPECT_EQ(Info(), "Samples copied beside the song: ___.wav");
  EXPECT_EQ(*ReadFileBytes(Out + "___.wav"), *ReadFileBytes(Lib + "ドラム.wav"));
  EXPECT_NE(ReadFileBytes(song)->find(Out + "___.wav"), std::string::npos);
  Reopen(song);
  EXPECT_EQ(Lengths(4), (std::vector<int>{300, 500, 700, 900}));

  // A sample whose "smpl" chunk the file's end cuts short keeps its audio.
  {
    Wav(Lib + "cut.wav", 400);
    std::string bytes = *ReadFileBytes(Lib + "cut.wav");
    bytes += std::string("smpl\x3C\0\0\0", 8) + std::string(20, '\0');
    const uint32_t riff = uint32_t(bytes.size() - 8 + 40);
    for (int i = 0; i < 4; ++i) bytes[size_t(4 + i)] = char(riff >> (8 * i));
    Tmp.Write("Lib/cut.wav", bytes);
    DropOnRow(3, Lib + "cut.wav");
    EXPECT_EQ(Lengths(4)[3], 400);
  }

  // A new song, never saved, with one edit: exported as it is now.
  CurrentSong().SetModified(false);
  Trigger("New1");
  DropOnRow(0, Lib + "hat.wav");
  const std::string pack = Out + "Sketch.zip";
  {
    TDialogAnswers answers(pack);
    Trigger("Zippedlooppackage1");
  }
  EXPECT_EQ(Boxes().Count(), 1u);
  EXPECT_EQ(Commands().OpenedFileName, ProgramPaths().AppPath + "Loops/untitled.zmp");
  Reopen(pack);
  EXPECT_EQ(Lengths(1), (std::vector<int>{900}));

}

}  // namespace
}  // namespace vs
