// The window side of the program: the windows' creation order, the main
// window's close guarded by the save-changes question, its height and its
// position, the Qt engine listener's coalesced posts, the message box text
// and the choice of the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "core/ProgramPaths.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/QtEngineListener.h"
#include "ui/QtMessageBox.h"
#include "engine/EngineListener.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

void Pump() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

class ProgramWindowsTest : public ::testing::Test {
protected:
  TPreferences Prefs;
  void SetUp() override {
    testing::TestApplication();
    ProgramPaths() = {};
    ProgramPaths().AppPath = Tmp.Dir() + "/";
  }
  void TearDown() override {
    DestroyProgramWindows();
    ProgramPaths() = {};
  }
  TTestDir Tmp;
};

TEST_F(ProgramWindowsTest, ElevenWindowsInTheirOrderTheMainWindowFirst) {
  const std::vector<std::string> order = CreateProgramWindows(Prefs);
  const std::vector<std::string> expected = {
      "VorbelStepsMainForm", "PianoForm",   "VisualForm", "MIDIForm",      "AboutForm",  "SettingsForm",
      "PlayListForm",        "SetInfoForm", "InfoForm",   "WAVRenderForm", "AddToolForm"};
  EXPECT_EQ(order, expected);
  TProgramWindows& w = Windows();
  ASSERT_NE(w.VorbelStepsMainForm, nullptr);
  EXPECT_EQ(w.PianoForm->parentWidget(), w.VorbelStepsMainForm);
  EXPECT_TRUE(w.AddToolForm->isWindow());
  EXPECT_FALSE(w.VorbelStepsMainForm->isVisible());
  DestroyProgramWindows();
  EXPECT_EQ(Windows().VorbelStepsMainForm, nullptr);
  EXPECT_EQ(Windows().AddToolForm, nullptr);
}

TEST_F(ProgramWindowsTest, YesThenCancelledSaveDialogKeepsTheWindowAndTheSong) {
  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  bool accepted = false;
  form.OnCloseAccepted = [&] { accepted = true; };
  form.Commands().OpenedFileName = Tmp.Dir() + "/Loops/untitled.zmp";
  form.show();
  CurrentSong().SetModified(true);

  TRecordingMessageBox boxes;
  boxes.Answer(IdYes);
  // The save dialog that Yes opens (the song is untitled) is cancelled.
  int dialogs = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      ++dialogs;
      dialog->reject();
    }
  });
  closer.start(20);
  EXPECT_FALSE(form.close());
  closer.stop();

  EXPECT_EQ(dialogs, 1);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Message, "Save changes to untitled.zmp?");
  EXPECT_FALSE(accepted);
  EXPECT_FALSE(form.Closing());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(CurrentSong().Modified());

  // No: the close goes on without saving.
  boxes.Answer(IdNo);
  EXPECT_TRUE(form.close());
  EXPECT_TRUE(accepted);
  EXPECT_TRUE(form.Closing());
  CurrentSong().SetModified(false);
}

TEST_F(ProgramWindowsTest, AnUnmodifiedSongClosesWithoutAQuestion) {
  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  int accepted = 0;
  form.OnCloseAccepted = [&] { ++accepted; };
  CurrentSong().SetModified(false);
  TRecordingMessageBox boxes;
  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_EQ(boxes.Count(), 0u);
  EXPECT_EQ(accepted, 1);
}

TEST_F(ProgramWindowsTest, HeightFollowsTheChannelCount) {
  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  TSong& song = CurrentSong();
  while (song.ChannelCount() < 8) AddChannel(song);
  song.SetModified(false);
  Prefs.AlwaysFullHeight = true;
  form.resize(400, 100);
  form.FitMainWindowHeight();
  const int full8 = form.FullHeight();
  EXPECT_EQ(form.height(), full8);
  EXPECT_EQ(Windows().VisualForm->size(), QSize(775, 97));  // 8 rows of 12-pixel lamps

  // Without "Always full height" the window only shrinks.
  Prefs.AlwaysFullHeight = false;
  const int low = form.FrameHeight() + form.Rack().FirstRowHeight() + 10;
  form.resize(400, low);
  form.FitMainWindowHeight();
  EXPECT_EQ(form.height(), low);
  form.resize(400, full8 + 200);
  form.FitMainWindowHeight();
  EXPECT_EQ(form.height(), full8);
  while (song.ChannelCount() > 4) DeleteChannel(song, song.ChannelCount() - 1);
  song.SetModified(false);
}

TEST_F(ProgramWindowsTest, StoredPositionOffEveryScreenComesBackOnOne) {
  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const QRect area = screen->availableGeometry();
  Prefs.WindowX = area.right() + 5000;
  Prefs.WindowY = area.bottom() + 5000;
  form.RestorePosition();
  EXPECT_TRUE(area.contains(QPoint(form.x() + 24, form.y() + 12))) << form.x() << "," << form.y();

  // A position on the screen stays, and is stored back as it is.
  Prefs.WindowX = area.left() + 30;
  Prefs.WindowY = area.top() + 40;
  form.RestorePosition();
  Prefs.WindowX.reset();
  form.StorePosition();
  EXPECT_EQ(Prefs.WindowX, area.left() + 30);
  EXPECT_EQ(Prefs.WindowY, area.top() + 40);
}

TEST_F(ProgramWindowsTest, RecentFilesMenuShowsTheFileNamesWithAmpersandsDoubled) {
  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  Prefs.RecentFiles[0] = "/songs/Rock & Roll.zmp";
  Prefs.RecentFiles[2] = "/songs/b.zmp";
  form.RebuildRecentFiles();
  QStringList shown;
  for (QAction* a : form.findChildren<QAction*>())
    if (a->isVisible() && a->text().endsWith(".zmp")) shown << a->text();
  shown.sort();
  EXPECT_EQ(shown, (QStringList{"Rock && Roll.zmp", "b.zmp"}));
}

TEST(QtEngineListenerTest, PostsArriveQueuedOnePerKindUntilHandled) {
  testing::TestApplication();
  TQtEngineListener listener;
  int steps = 0, scopes = 0, underruns = 0;
  qint64 lastUnderrun = 0;
  QObject::connect(&listener, &TQtEngineListener::stepPositionChanged, [&] { ++steps; });
  QObject::connect(&listener, &TQtEngineListener::asyncUpdate, [&](int kind, qint64 value) {
    if (kind == AsyncScope) ++scopes;
    if (kind == AsyncUnderrun) {
      ++underruns;
      lastUnderrun = value;
    }
  });
  std::thread worker([] {
    for (int i = 0; i < 10; ++i) {
      PostStepPosition();
      PostAsyncUpdate(AsyncScope, i);
      PostAsyncUpdate(AsyncUnderrun, 100 + i);
    }
  });
  worker.join();
  // Nothing reaches the window before its event loop runs.
  EXPECT_EQ(steps, 0);
  Pump();
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(scopes, 1);
  EXPECT_EQ(underruns, 1);
  EXPECT_EQ(lastUnderrun, 100);  // the first post; later ones found the flag cleared
  // Handled: the flags are armed again.
  EXPECT_TRUE(StepPositionArmed.load());
  PostStepPosition();
  Pump();
  EXPECT_EQ(steps, 2);

  // Dropped posts never arrive, also those already queued.
  PostAsyncUpdate(AsyncScope, 1);
  listener.DropPending();
  PostAsyncUpdate(AsyncSyncLamp, 1);
  Pump();
  EXPECT_EQ(scopes, 1);
  EXPECT_EQ(EngineListener(), nullptr);
  ArmEnginePosts();
}

TEST(QtMessageBoxTest, CarriageReturnsBreakLines) {
  EXPECT_EQ(MessageBoxText("Error while reading the ZMP file\rwhich may be corrupted."),
            QString("Error while reading the ZMP file\nwhich may be corrupted."));
  EXPECT_EQ(MessageBoxText("a\r\nb\rc\nd"), QString("a\nb\nc\nd"));
}

// Each kind of box shows its buttons; Escape answers with the most cautious.
TEST(QtMessageBoxTest, ButtonsOfEachKindAndTheirEscapeAnswer) {
  testing::TestApplication();
  TQtMessageBox handler;
  const std::pair<uint32_t, QMessageBox::StandardButtons> kinds[] = {
      {MbOK, QMessageBox::Ok},
      {MbOKCancel, QMessageBox::Ok | QMessageBox::Cancel},
      {MbYesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
      {MbYesNo, QMessageBox::Yes | QMessageBox::No},
      {MbCancel, QMessageBox::Cancel},
  };
  for (const auto& [flags, buttons] : kinds) {
    QMessageBox::StandardButtons shown = QMessageBox::NoButton;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      shown = box->standardButtons();
      QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(handler.ShowMessage("", "text", flags | MbIconInformation), DefaultMessageResult(flags));
    EXPECT_EQ(shown, buttons) << flags;
  }
}

TEST(SelectQtPlatformTest, OffscreenOnlyWithoutADisplayAndWithoutAChoice) {
  auto saved = [](const char* name) -> std::optional<std::string> {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
  };
  const auto platform = saved("QT_QPA_PLATFORM"), display = saved("DISPLAY"), wayland = saved("WAYLAND_DISPLAY");
  auto restore = [](const char* name, const std::optional<std::string>& v) {
    if (v)
      setenv(name, v->c_str(), 1);
    else
      unsetenv(name);
  };

  unsetenv("QT_QPA_PLATFORM");
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  SelectQtPlatform();
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen");

  unsetenv("QT_QPA_PLATFORM");
  setenv("DISPLAY", ":7", 1);
  SelectQtPlatform();
  EXPECT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr);

  unsetenv("DISPLAY");
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  SelectQtPlatform();
  EXPECT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr);

  // An empty DISPLAY is no display; a platform asked for stays.
  unsetenv("WAYLAND_DISPLAY");
  setenv("DISPLAY", "", 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  SelectQtPlatform();
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
  unsetenv("QT_QPA_PLATFORM");
  SelectQtPlatform();
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen");

  // Qt's X11 connection paints without shared memory; the setting leaves
  // the environment once the application is made, and a user's own stays.
  unsetenv("QT_XCB_NO_MITSHM");
  SelectQtPlatform();
  EXPECT_STREQ(std::getenv("QT_XCB_NO_MITSHM"), "1");
  QtPlatformSelected();
  EXPECT_EQ(std::getenv("QT_XCB_NO_MITSHM"), nullptr);
  setenv("QT_XCB_NO_MITSHM", "0", 1);
  SelectQtPlatform();
  QtPlatformSelected();
  EXPECT_STREQ(std::getenv("QT_XCB_NO_MITSHM"), "0");
  unsetenv("QT_XCB_NO_MITSHM");

  restore("QT_QPA_PLATFORM", platform);
  restore("DISPLAY", display);
  restore("WAYLAND_DISPLAY", wayland);
}

}  // namespace
}  // namespace vs
