// The channel settings window in the running program, driven as a musician
// drives it: a name button of the rack opens it on that channel, its wheels
// change the channel and the saved song, samples load through the open
// dialog into the recent list, sample options rebuild what a render plays,
// and the synthesizer page's slots go to a ".404" file.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "controls/MyTransBtn.h"
#include "controls/WAVWheel.h"
#include "core/ChannelCommands.h"
#include "editors/ChannelPanel.h"
#include "editors/SettingsForm.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "files/SongReader.h"
#include "framework/FavOpenDialog.h"
#include "framework/NewCaption.h"
#include "framework/Tab95.h"
#include "model/Song.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// Answers the next file dialog that opens modally.
void WhenDialogShows(std::function<void(QFileDialog&)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    answer(*dialog);
  });
  timer->start();
}

void Accept(QFileDialog& dialog, const std::string& file) {
  dialog.selectFile(QString::fromStdString(file));
  static_cast<QDialog&>(dialog).accept();
}

// A stereo sample that starts loud and fades out: n frames.
std::string FadingWav(const std::string& path, int n) {
  TWAVSample s;
  std::vector<int16_t> frames(size_t(2 * n));
  for (int i = 0; i < n; ++i) {
    const int v = int(int64_t(30000) * (n - i) / n) * (i % 2 ? 1 : -1);
    frames[size_t(2 * i)] = frames[size_t(2 * i + 1)] = int16_t(v);
  }
  s.SetFrames(std::move(frames));
  EXPECT_TRUE(SaveWAVFile(&s, path));
  return path;
}

class ChannelSettingsProgram : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::string Data;
  std::unique_ptr<TProgramRun> Run;
  TVorbelStepsMainForm* Main = nullptr;
  TSettingsForm* Settings = nullptr;

  void SetUp() override {
    testing::TestApplication();
    // The program's data, its own samples folder made here (the test
    // writes presets into it).
    Data = Tmp / "data";
    fs::create_directories(Data + "/Samples");
    for (const auto& e : fs::directory_iterator(VS_DATA_DIR))
      if (e.path().filename() != "Samples") fs::create_symlink(e.path(), Data + "/" + e.path().filename().string());
    for (const auto& e : fs::directory_iterator(std::string(VS_DATA_DIR) + "Samples"))
      fs::create_symlink(e.path(), Data + "/Samples/" + e.path().filename().string());
    Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\nAuto Arrange=1\n");
    setenv("VORBELSTEPS_SETTINGS", (Tmp / "settings.ini").c_str(), 1);
    setenv("VORBELSTEPS_DATA", (Data + "/").c_str(), 1);
    Run = std::make_unique<TProgramRun>(std::vector<std::string>{}, Tmp.Dir());
    Run->StartUp();
    Run->ShowMainWindow();
    Main = Windows().VorbelStepsMainForm;
    Settings = Windows().SettingsForm;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main));
  }
  void TearDown() override {
    CurrentSong().SetModified(false);
    Main->close();
    Run->ShutDown();
    Run.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }

  TChannelNameButton* NameButton(int channel) { return Main->Rack().Rows()[size_t(channel)].Name; }
  void ClickName(int channel) { QTest::mouseClick(NameButton(channel), Qt::LeftButton, {}, QPoint(20, 8)); }
  template <class T>
  T* Control(const char* name) {
    T* c = Settings->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  // Turns a wheel by dragging it up by pixels.
  void Turn(const char* name, int pixels) {
    TWAVWheel* w = Control<TWAVWheel>(name);
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseMove(w, QPoint(10, 20 - pixels));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(10, 20 - pixels));
  }
  TChannel& Chan(int i) { return *CurrentSong().Channel(i); }
};

TEST_F(ChannelSettingsProgram, NameButtonOpensItsChannelAndTheVolumeWheelReachesTheSavedSong) {
  ASSERT_FALSE(Settings->isVisible());
  ClickName(1);
  ASSERT_TRUE(Settings->isVisible());
  EXPECT_EQ(Settings->windowTitle(), "Snare - Channel settings");
  EXPECT_EQ(Settings->Channel(), 1);
  EXPECT_TRUE(NameButton(1)->Down());
  EXPECT_TRUE(Chan(1).Selected);
  // Auto arrange places the window beside the main window.
  EXPECT_EQ(Settings->x(), Main->x() + 96);
  EXPECT_TRUE(Settings->windowFlags() & Qt::FramelessWindowHint);

  CurrentSong().SetModified(false);
  const int volume = Chan(1).Volume + 15;  // 8 pixels up at 31 a 16 pixels
  EXPECT_EQ(Control<TWAVWheel>("VolWheel")->Value(), Chan(1).Volume);
  Turn("VolWheel", 8);
  EXPECT_EQ(Control<TWAVWheel>("VolWheel")->Value(), volume);
  EXPECT_EQ(Chan(1).Volume, volume);
  EXPECT_TRUE(CurrentSong().Modified());
  // The name typed becomes the channel's and the window's caption.
  QLineEdit* name = Control<QLineEdit>("NameEdit");
  name->selectAll();
  QTest::keyClicks(name, "Snare 2");
  EXPECT_EQ(Chan(1).Name, "Snare 2");
  EXPECT_EQ(Settings->windowTitle(), "Snare 2 - Channel settings");

  const std::string file = Tmp / "volume.zmp";
  Main->Commands().SetSongFileName(file, file);
  ASSERT_TRUE(Main->Commands().Save());
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TSongFileContent content;
  ASSERT_EQ(ReadSongImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), content), 0);
  EXPECT_EQ(content.Song->Channel(1)->Volume, volume);
  EXPECT_EQ(content.Song->Channel(1)->Name, "Snare 2");

  // Another channel's button takes the window over; PgDn on the last
  // channel shows the first, and its button goes down.
  const int last = CurrentSong().ChannelCount() - 1;
  ClickName(last);
  EXPECT_FALSE(NameButton(1)->Down());
  EXPECT_EQ(Settings->Channel(), last);
  QTest::keyClick(Settings, Qt::Key_PageDown);
  EXPECT_EQ(Settings->Channel(), 0);
  EXPECT_EQ(Settings->windowTitle(), "Kick - Channel settings");
  EXPECT_TRUE(NameButton(0)->Down());
  EXPECT_FALSE(NameButton(last)->Down());
  // The rack's front wheel shows in the window at once.
  SetChannelVolPan(CurrentSong(), 0, 40, VolPanVolume);
  EXPECT_EQ(Control<TWAVWheel>("VolWheel")->Value(), 40);
  // The button clicked again hides the window and comes up.
  ClickName(0);
  EXPECT_FALSE(Settings->isVisible());
  EXPECT_FALSE(NameButton(0)->Down());
}

TEST_F(ChannelSettingsProgram, SamplesLoadThroughTheDialogIntoTheRecentList) {
  std::vector<std::string> files;
  for (int i = 1; i <= 6; ++i) files.push_back(FadingWav(Tmp / ("hit" + std::to_string(i) + ".wav"), 500 * i));
  ClickName(2);
  QComboBox* recent = Control<QComboBox>("FileNameBox");
  ASSERT_EQ(recent->count(), 1);
  EXPECT_EQ(recent->itemText(0), "(none)");
  for (size_t k = 0; k < files.size(); ++k) {
    WhenDialogShows([&, k](QFileDialog& d) {
      if (k == 0) {  // the folder shown becomes a favourite
        auto* add = d.findChild<QToolButton*>("addfavButton");
        ASSERT_NE(add, nullptr);
        EXPECT_EQ(d.windowTitle(), "Open wave file(s)");
        d.setDirectory(QString::fromStdString(Tmp.Dir()));
        emit d.directoryEntered(QString::fromStdString(Tmp.Dir()));
        QTest::mouseClick(add, Qt::LeftButton);
      }
      Accept(d, files[k]);
    });
    QTest::mouseClick(Control<TMyTransButton>("OpenBtn"), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Chan(2).SampleFileName, files[k]);
    EXPECT_EQ(Chan(2).Sample.Length, int(500 * (k + 1)));
    EXPECT_EQ(recent->currentIndex(), 0);
    EXPECT_EQ(recent->itemText(0).toStdString(), "hit" + std::to_string(k + 1) + ".wav");
  }
  EXPECT_EQ(Run->Program().Prefs.Favorites.front(), Tmp.Dir());
  // Five files, newest first, and "(none)": the first file went.
  QStringList shown;
  for (int i = 0; i < recent->count(); ++i) shown << recent->itemText(i);
  EXPECT_EQ(shown, (QStringList{"hit6.wav", "hit5.wav", "hit4.wav", "hit3.wav", "hit2.wav", "(none)"}));
  // Choosing an entry loads it again; "(none)" empties the channel.
  emit recent->activated(3);
  EXPECT_EQ(Chan(2).SampleFileName, files[2]);
  emit recent->activated(5);
  EXPECT_TRUE(Chan(2).SampleFileName.empty());
  EXPECT_TRUE(Chan(2).Sample.Empty());
}

// The render of one hit of channel 0 at the first step: the frames of one
// side from the first that sounds.
std::vector<int> RenderHit(const std::string& file, int side) {
  const TRenderResult r = RenderSongToFile(file);
  EXPECT_TRUE(r.Ok) << r.Error;
  TWAVSample out;
  EXPECT_EQ(LoadWAVSample(file, out), 0);
  std::vector<int> v;
  bool sounding = false;
  for (int i = 0; i < out.Length && v.size() < 4000; ++i) {
    const int x = out.Data[size_t(2 * i + side)];
    sounding |= x != 0;
    if (sounding) v.push_back(x);
  }
  return v;
}

double Energy(const std::vector<int>& v, size_t from, size_t to) {
  double e = 0;
  for (size_t i = from; i < to && i < v.size(); ++i) e += double(v[i]) * v[i];
  return e;
}

int FirstSound(const std::string& file, int side) {
  TWAVSample out;
  EXPECT_EQ(LoadWAVSample(file, out), 0);
  for (int i = 0; i < out.Length; ++i)
    if (out.Data[size_t(2 * i + side)] != 0) return i;
  return -1;
}

TEST_F(ChannelSettingsProgram, ReverseAndStereoDelayRebuildWhatARenderPlays) {
  TSong& song = CurrentSong();
  for (auto& c : song.Channels) c->Steps.FreePattern(1);
  song.Channel(0)->Steps.SetStepOn(1, 0, true);
  ClickName(0);
  Settings->LoadSampleIntoChannel(FadingWav(Tmp / "fade.wav", 4000));
  ASSERT_EQ(Chan(0).Sample.Length, 4000);
  const std::vector<int> forward = RenderHit(Tmp / "forward.wav", 0);
  EXPECT_GT(Energy(forward, 0, 2000), 4 * Energy(forward, 2000, 4000));

  // Reverse: the channel's sample is rebuilt, and the hit swells instead.
  const int16_t first = Chan(0).Sample.Data[0];
  song.SetModified(false);
  QTest::mouseClick(Control<TLampBox>("ReverseSampleBox"), Qt::LeftButton, {}, QPoint(5, 7));
  EXPECT_TRUE(Chan(0).Reversed);
  EXPECT_TRUE(song.Modified());
  EXPECT_EQ(Chan(0).Sample.Data[size_t(2 * 3999)], first);
  const std::vector<int> reversed = RenderHit(Tmp / "reversed.wav", 0);
  EXPECT_GT(Energy(reversed, 2000, 4000), 4 * Energy(reversed, 0, 2000));

  // Stereo delay turned up: the left side comes later by as many frames.
  QTest::mouseClick(Control<TLampBox>("ReverseSampleBox"), Qt::LeftButton, {}, QPoint(5, 7));
  Turn("StDelWheel", 2);
  const int delay = Control<TWAVWheel>("StDelWheel")->Value() - 2048;
  ASSERT_GT(delay, 0);
  EXPECT_EQ(Chan(0).StereoDelay, 2048 + delay);
  EXPECT_EQ(Chan(0).Sample.Length, 4000 + delay);
  const std::string delayed = Tmp / "delayed.wav";
  RenderHit(delayed, 0);
  EXPECT_EQ(FirstSound(delayed, 0) - FirstSound(delayed, 1), delay);
}

TEST_F(ChannelSettingsProgram, SynthesizerPageSlotsGoToAPresetFile) {
  TSong& song = CurrentSong();
  const int index = AddChannelOfKind(song, 1).Index();
  const int other = AddChannelOfKind(song, 1).Index();
  Main->Rack().RebuildRows();
  ClickName(index);
  auto* pages = Control<TPage95Control>("SettingsPageControl");
  EXPECT_TRUE(Control<TTab95Sheet>("MB404Sheet")->TabVisible());
  EXPECT_FALSE(Control<TTab95Sheet>("SampleSheet")->TabVisible());
  EXPECT_EQ(pages->ActivePage()->objectName(), "MB404Sheet");

  song.SetModified(false);
  Turn("TSResWheel", 4);  // 4 pixels: 8 up from 64
  EXPECT_EQ(Control<TWAVWheel>("TSResWheel")->Value(), 72);
  EXPECT_EQ(Chan(index).Synth->Params[P404Resonance], 128 - 72);
  EXPECT_TRUE(song.Modified());
  Turn("Osc1CoarseWheel", 2);
  EXPECT_EQ(Chan(index).Synth->Params[P404Osc1Coarse], Control<TWAVWheel>("Osc1CoarseWheel")->Value());

  // The sample menu offers the preset for a synthesizer channel only.
  QMenu* menu = Settings->SampleMenu();
  QTest::mouseClick(Settings->findChild<TILBtn*>("MenuBtn"), Qt::LeftButton, {}, QPoint(4, 4));
  ASSERT_TRUE(menu->isVisible());
  auto* save404 = menu->findChild<QAction*>("Save404Menu");
  EXPECT_TRUE(save404->isVisible());
  EXPECT_FALSE(menu->findChild<QAction*>("RecordMenu")->isVisible());
  menu->hide();

  const std::string folder = Data + "/Samples/MB404 Presets/";
  ASSERT_FALSE(fs::exists(folder));
  WhenDialogShows([&](QFileDialog& d) {
    EXPECT_EQ(fs::path(d.directory().absolutePath().toStdString()), fs::path(folder).parent_path());
    Accept(d, folder + "bass.404");
  });
  save404->trigger();
  ASSERT_TRUE(fs::exists(folder + "bass.404"));
  EXPECT_EQ(fs::file_size(folder + "bass.404"), 140u);
  ASSERT_TRUE(Chan(other).LoadMB404Preset(folder + "bass.404"));
  EXPECT_EQ(Chan(other).Synth->Params, Chan(index).Synth->Params);
}

}  // namespace
}  // namespace vs
