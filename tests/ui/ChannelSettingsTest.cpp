// The channel settings window in the running program, driven as a musician
// drives it: a name button of the rack opens it on that channel, its wheels
// change the channel and the saved song, samples load through the open
// dialog into the recent list, sample options rebuild what a render plays,
// and the synthesizer page's slots go to a ".404" file.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDrag>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QTableWidget>
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

#include "controls/Keyboard.h"
#include "controls/MyTransBtn.h"
#include "controls/PickNum.h"
#include "controls/Selector.h"
#include "controls/TrackSlider.h"
#include "controls/WAVScope.h"
#include "controls/WAVWheel.h"
#include "core/ChannelCommands.h"
#include "core/ChannelFiles.h"
#include "editors/ChannelPanel.h"
#include "editors/SettingsForm.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"
#include "engine/SoundProcs.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "files/SongReader.h"
#include "framework/DropSource.h"
#include "framework/FavOpenDialog.h"
#include "framework/MLang.h"
#include "framework/NewCaption.h"
#include "framework/Tab95.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "platform/MidiPorts.h"
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

// The same with a forward loop from start to end (a "smpl" chunk).
std::string LoopedWav(const std::string& path, int n, uint32_t start, uint32_t end) {
  FadingWav(path, n);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  auto put32 = [](std::string& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + size_t(k)] = char((v >> (8 * k)) & 0xFF);
  };
  std::string smpl = "smpl" + std::string(4 + 60, '\0');
  put32(smpl, 4, 60);
  put32(smpl, 8 + 28, 1);
  put32(smpl, 8 + 44, start);
  put32(smpl, 8 + 48, end);
  bytes += smpl;
  put32(bytes, 4, uint32_t(bytes.size() - 8));
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
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
  // The window brought to the front, as a click on its caption does (once
  // any other window's activation on its way has arrived).
  void ActivateSettings() {
    ASSERT_TRUE(QTest::qWaitFor([this] {
      if (QApplication::activeWindow() != Settings) Settings->activateWindow();
      return QApplication::activeWindow() == Settings && QApplication::focusWidget() &&
             QApplication::focusWidget()->window() == Settings;
    }));
  }
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
  // (the key goes to the window even where the note grid would scroll)
  Settings->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Settings));
  QWidget* grid = Settings->findChild<QWidget*>("NoteGrid");
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_PageDown);
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

// The window minimised by the desktop comes back at a click of its
// channel's button, or of another channel's, and the button stays down.
TEST_F(ChannelSettingsProgram, AMinimisedWindowComesBackAtItsChannelsButton) {
  for (int channel : {1, 2}) {
    ClickName(1);
    ASSERT_TRUE(Settings->isVisible());
    Settings->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(Settings->isMinimized());
    ClickName(channel);
    EXPECT_TRUE(Settings->isVisible());
    EXPECT_FALSE(Settings->isMinimized());
    EXPECT_EQ(Settings->Channel(), channel);
    EXPECT_TRUE(NameButton(channel)->Down());
    ClickName(channel);
    EXPECT_FALSE(Settings->isVisible());
  }
}

TEST_F(ChannelSettingsProgram, SpacePlaysFromTheWindowAndTheNameTypesOnlyOnceClickedInto) {
  Windows().MIDIForm->hide();  // shown for the missing sound output
  ClickName(0);
  ActivateSettings();
  QLineEdit* name = Control<QLineEdit>("NameEdit");
  auto press = [](int key) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(key)); };
  // Opened, the window plays on Space and mutes on the digits.
  press(Qt::Key_Space);
  EXPECT_TRUE(Main->IsPlaying() && Main->StartButton->Down());
  EXPECT_EQ(name->text(), "Kick");
  press(Qt::Key_2);
  EXPECT_FALSE(Chan(1).Enabled);
  QTest::keyPress(QApplication::focusWidget(), Qt::Key_Shift);  // (no step graph opens)
  EXPECT_FALSE(Windows().PianoForm->isVisible());
  QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Shift);
  // Clicked into, the name takes them; a click on the panel gives them back.
  QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(150, 10));
  QTest::keyClicks(name, " 2");
  EXPECT_EQ(Chan(0).Name, "Kick 2");
  EXPECT_TRUE(Main->IsPlaying() && !Chan(1).Enabled);
  QTest::mouseClick(Settings->findChild<QWidget*>("HeaderPanel"), Qt::LeftButton, {}, QPoint(300, 52));
  press(Qt::Key_Space);
  EXPECT_FALSE(Main->IsPlaying());
  // The synthesizer page too, with one of its selectors clicked last.
  const int synth = AddChannelOfKind(CurrentSong(), 1).Index();
  Main->Rack().RebuildRows();
  ClickName(synth);
  ActivateSettings();
  QTest::mouseClick(Control<TSelector>("Osc1TypeSelect"), Qt::LeftButton, {}, QPoint(4, 4));
  press(Qt::Key_Space);
  EXPECT_TRUE(Main->IsPlaying());
  press(Qt::Key_Return);  // the window's own key: a preview
  EXPECT_TRUE(Main->IsPlaying());
}

TEST_F(ChannelSettingsProgram, SamplesLoadThroughTheDialogIntoTheRecentList) {
  std::vector<std::string> files;
  for (int i = 1; i <= 6; ++i) files.push_back(FadingWav(Tmp / ("hit" + std::to_string(i) + ".wav"), 500 * i));
  ClickName(2);
  QComboBox* recent = Control<QComboBox>("FileNameBox");
  // The channel's own sample, then "(none)".
  ASSERT_EQ(recent->count(), 2);
  EXPECT_EQ(recent->itemText(0), "Clap.wav");
  EXPECT_EQ(recent->itemText(1), "(none)");
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

  // "Load sample..." of channel 4's line menu: the same dialog, for that
  // channel.
  WhenDialogShows([&](QFileDialog& d) { Accept(d, files[0]); });
  QTimer::singleShot(50, [&] {
    QMenu* line = Main->LineMenu();
    QTest::mouseClick(line, Qt::LeftButton, {}, line->actionGeometry(Main->Actions().Action("Openwave1")).center());
  });
  QTest::mouseClick(NameButton(4), Qt::RightButton, {}, QPoint(20, 8));
  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(20, 8), NameButton(4)->mapToGlobal(QPoint(20, 8)));
  QApplication::sendEvent(NameButton(4), &menu);
  EXPECT_EQ(Chan(4).SampleFileName, files[0]);
  EXPECT_EQ(Chan(4).Sample.Length, 500);
  EXPECT_TRUE(Chan(2).SampleFileName.empty());
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
  // The info bar names what the wheel turns: a share of its range, or the
  // semitones of a coarse tune; in the program's language.
  EXPECT_EQ(Main->InfoLabel->text(), "56% Filter resonance");
  Turn("Osc1CoarseWheel", -2);
  const int coarse = Control<TWAVWheel>("Osc1CoarseWheel")->Value();
  EXPECT_LT(coarse, 0);
  EXPECT_EQ(Chan(index).Synth->Params[P404Osc1Coarse], coarse);
  EXPECT_EQ(Main->InfoLabel->text(), QString::number(coarse) + " Osc 1 coarse");
  ChooseLanguage(Run->Program().Prefs, LangDutch);
  Turn("OscMixWheel", 4);
  EXPECT_EQ(Main->InfoLabel->text(),
            QString::number(Control<TWAVWheel>("OscMixWheel")->Value() * 100 / 256) + "% Osc-mix");
  ChooseLanguage(Run->Program().Prefs, LangEnglish);

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

TEST_F(ChannelSettingsProgram, MidiPageAndMixListsWriteTheChannel) {
  TRecordingMidiOut port;
  SetMIDIOut(&port);
  ClickName(0);
  Control<TPage95Control>("SettingsPageControl")->SetActivePage(Control<TTab95Sheet>("MIDISheet"));
  Control<QComboBox>("ChanSelect")->setCurrentIndex(2);
  EXPECT_EQ(Chan(0).MidiChannel, 2);
  const uint8_t vol = uint8_t(Chan(0).Volume);
  // A note clicked in the grid: the note box, its label and the preview.
  auto* grid = Control<QTableWidget>("NoteGrid");
  auto clickNote = [grid](int note) {
    const QRect cell = grid->visualItemRect(grid->item(note / 8, note % 8));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  };
  // The kit's kick plays General MIDI's bass drum, 36.
  EXPECT_EQ(Control<TPickNum>("NoteSelect")->Value(), 36);
  clickNote(40);
  EXPECT_EQ(Chan(0).MidiNote, 40);
  EXPECT_EQ(Control<TPickNum>("NoteSelect")->Value(), 40);
  EXPECT_EQ(Control<QLabel>("NoteLabel")->text(), "Note (E3)");
  clickNote(38);
  EXPECT_EQ(port.Messages(), (std::vector<std::vector<uint8_t>>{{0x92, 40, vol}, {0x82, 40, vol}, {0x92, 38, vol}}));
  // Typing changes the note at every key; a note outside the range changes
  // nothing but the modified flag.
  auto* note = Control<TPickNum>("NoteSelect");
  note->selectAll();
  QTest::keyClicks(note, "20");
  EXPECT_EQ(Chan(0).MidiNote, 20);
  CurrentSong().SetModified(false);
  QTest::keyClicks(note, "0");
  EXPECT_EQ(Chan(0).MidiNote, 20);
  EXPECT_TRUE(CurrentSong().Modified());
  port.Clear();
  auto type = [this](const char* box, const char* text) {
    auto* edit = Control<TPickNum>(box);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  };
  type("PatchSelect", "5");
  EXPECT_EQ(Chan(0).MidiProgram, 5);
  EXPECT_EQ(port.Messages(), (std::vector<std::vector<uint8_t>>{{0xC2, 5}}));
  type("CtrlNumSelect", "7");
  type("CtrlValSelect", "100");
  EXPECT_EQ(Chan(0).ControllerStart[7], 100);
  type("CtrlNumSelect", "8");
  EXPECT_EQ(Control<TPickNum>("CtrlValSelect")->Value(), -1);
  type("CtrlNumSelect", "7");
  EXPECT_EQ(Control<TPickNum>("CtrlValSelect")->Value(), 100);
  SetMIDIOut(nullptr);

  // The mix target and the random choice, clicked in their lists.
  Control<TPage95Control>("SettingsPageControl")->SetActivePage(Control<TTab95Sheet>("MixSheet"));
  auto* mix = Control<QListWidget>("ChanList_Mix");
  auto* rand = Control<QListWidget>("ChanList_Rand");
  ASSERT_EQ(mix->count(), CurrentSong().ChannelCount());
  EXPECT_EQ(mix->item(1)->text(), "Snare");
  CurrentSong().SetModified(false);
  QTest::mouseClick(mix->viewport(), Qt::LeftButton, {}, mix->visualItemRect(mix->item(3)).center());
  EXPECT_EQ(Chan(0).MixTarget, 3);
  EXPECT_TRUE(CurrentSong().Modified());
  for (int row : {2, 4}) QTest::mouseClick(rand->viewport(), Qt::LeftButton, {}, rand->visualItemRect(rand->item(row)).center());
  EXPECT_EQ(Chan(0).RandomChoice, (std::vector<int32_t>{0, 2, 4}));
  QTest::mouseClick(rand->viewport(), Qt::RightButton, {}, rand->visualItemRect(rand->item(2)).center());
  EXPECT_EQ(Chan(0).RandomChoice, (std::vector<int32_t>{0, 4}));
  // A renamed channel shows in the lists at once.
  SetChannelName(CurrentSong(), 4, "Open");
  EXPECT_EQ(mix->item(4)->text(), "Open");
  // An unnamed channel is numbered as the rack numbers it, from 1.
  SetChannelName(CurrentSong(), 5, "");
  EXPECT_EQ(mix->item(5)->text(), "Channel 6");
  EXPECT_EQ(rand->item(5)->text(), "Channel 6");
}

TEST_F(ChannelSettingsProgram, PitchPageSetsTheKeysAndPlaysTheSampleAtAKey) {
  ClickName(1);
  Control<TPage95Control>("SettingsPageControl")->SetActivePage(Control<TTab95Sheet>("PitchSheet"));
  auto* keys = Control<TKeys>("MIDIKeyboard");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Settings));
  auto keyAt = [keys](int note) {
    for (int x = 0; x < keys->width(); ++x)
      if (keys->PointToNote(x, keys->height() - 4).Note == note) return QPoint(x + 2, keys->height() - 4);
    return QPoint(-1, -1);
  };
  // A right click sets the root key.
  CurrentSong().SetModified(false);
  QTest::mouseClick(keys, Qt::RightButton, {}, keyAt(48));
  EXPECT_EQ(Chan(1).RootNote, 48);
  EXPECT_EQ(keys->MiddleNote, 48);
  EXPECT_EQ(Control<QLabel>("MiddleNoteLabel")->text(), "C4");
  EXPECT_TRUE(CurrentSong().Modified());
  // A left press an octave up plays the sample at half its length.
  StopAllVoices();
  QTest::mousePress(keys, Qt::LeftButton, {}, keyAt(60));
  {
    MixerGuard lock;
    ASSERT_EQ(Mixer().VoiceCount, 1);
    EXPECT_EQ(Mixer().Voices[0].Stretched, PitchedLength(Chan(1).Sample.PlayLength, 1200));
    EXPECT_EQ(Mixer().Voices[0].Tag, -1);
  }
  QTest::mouseRelease(keys, Qt::LeftButton, {}, keyAt(60));
  QTest::mouseClick(Control<TMyTransButton>("DefNoteBtn"), Qt::LeftButton, {}, QPoint(10, 8));
  EXPECT_EQ(Chan(1).RootNote, 60);
  // Enter previews the channel's sample.
  StopAllVoices();
  Settings->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Settings));
  QTest::keyClick(keys, Qt::Key_Return);
  MixerGuard lock;
  EXPECT_EQ(Mixer().VoiceCount, 1);
}

TEST_F(ChannelSettingsProgram, LanguageSwitchKeepsTheValuesAndRetextsTheWindow) {
  ClickName(0);
  Control<TPickNum>("CutSelect")->SetValue(7);
  ChooseLanguage(Run->Program().Prefs, LangFrench);
  EXPECT_EQ(Settings->windowTitle(), QString::fromUtf8("Kick - Réglages du canal"));
  EXPECT_EQ(Control<TTab95Sheet>("SampleSheet")->Caption(), QString::fromUtf8("ÉCHANTILLON"));
  EXPECT_EQ(Control<TMyTransButton>("OpenBtn")->Caption(), "Charger...");
  EXPECT_EQ(Control<TPickNum>("CutSelect")->Value(), 7);
  EXPECT_EQ(Control<TPickNum>("CutSelect")->toolTip(), QString::fromUtf8("Coupe quel groupe ?"));
  EXPECT_EQ(Control<TMyTransButton>("StretchBtn")->Caption(), QString(QChar(0x25BC)));
  ChooseLanguage(Run->Program().Prefs, LangEnglish);
  EXPECT_EQ(Settings->windowTitle(), "Kick - Channel settings");
}

TEST_F(ChannelSettingsProgram, SampleMenuSavesReloadsAndDragsTheSampleOut) {
  const std::string fade = FadingWav(Tmp / "fade.wav", 3000);
  ClickName(2);
  Settings->LoadSampleIntoChannel(fade);
  Turn("DecayWheel", 4);
  EXPECT_EQ(Chan(2).Decay, 64);
  // The modified sample goes beside its file under the next free name.
  WhenDialogShows([&](QFileDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Save modified sample");
    static_cast<QDialog&>(d).accept();
  });
  Settings->SampleMenu()->findChild<QAction*>("SaveSampleMenu")->trigger();
  TWAVSample saved;
  ASSERT_EQ(LoadWAVSample(Tmp / "fade_2.wav", saved), 0);
  EXPECT_EQ(saved.Data, Chan(2).Sample.Data);

  // Reloading reads the file from disk again.
  FadingWav(fade, 1000);
  Settings->SampleMenu()->findChild<QAction*>("ReloadMenu")->trigger();
  EXPECT_EQ(Chan(2).Sample.Length, 1000);

  // Dragging out of the sample view hands the file to the drop target.
  std::vector<QUrl> dragged;
  SetDragLoop([&](QDrag& d, Qt::DropActions) {
    for (const QUrl& u : d.mimeData()->urls()) dragged.push_back(u);
    return Qt::CopyAction;
  });
  auto* scope = Control<TWAVScope>("WAVScope");
  QTest::mousePress(scope, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseMove(scope, QPoint(20, -30));
  QTest::mouseRelease(scope, Qt::LeftButton, {}, QPoint(20, -30));
  SetDragLoop(nullptr);
  ASSERT_EQ(dragged.size(), 1u);
  EXPECT_EQ(dragged[0].toLocalFile().toStdString(), fade);

  // Files dropped on the window load into this channel and the next.
  const std::string second = FadingWav(Tmp / "second.wav", 700);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(fade)), QUrl::fromLocalFile(QString::fromStdString(second))});
  QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(Settings, &enter);
  QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(Settings, &drop);
  EXPECT_EQ(Chan(3).SampleFileName, second);
  EXPECT_EQ(Chan(3).Sample.Length, 700);
  EXPECT_EQ(Control<QComboBox>("FileNameBox")->itemText(0), "second.wav");

  // The colour chosen in the dialog is the channel's.
  auto* colour = Control<TMyTransButton>("ColorSample");
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->setCurrentColor(QColor(0x20, 0x40, 0x60));
    dialog->accept();
  });
  QTest::mouseClick(colour, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Chan(2).Color, 0x604020u);
}

TEST_F(ChannelSettingsProgram, LoopCutStretchRouteAndEchoControlsWriteTheChannel) {
  TSong& song = CurrentSong();
  ClickName(3);
  Control<TPage95Control>("SettingsPageControl")->SetActivePage(Control<TTab95Sheet>("SampleSheet"));
  auto* loop = Control<TLampBox>("LoopBox");
  auto* pingPong = Control<TLampBox>("PingPongBox");
  EXPECT_FALSE(loop->isEnabled());  // the kit's hat has no loop points
  Settings->LoadSampleIntoChannel(LoopedWav(Tmp / "loop.wav", 2000, 500, 1499));
  ASSERT_EQ(Chan(3).Sample.LoopStart, 500);
  ASSERT_TRUE(loop->isEnabled());
  EXPECT_FALSE(loop->isChecked());
  // Ticking the loop gives the channel a cut group of its own.
  song.Channel(0)->Sample.CutGroup = 1;
  song.SetModified(false);
  QTest::mouseClick(loop, Qt::LeftButton, {}, QPoint(5, 7));
  EXPECT_TRUE(Chan(3).Sample.Looped);
  EXPECT_EQ(Chan(3).Sample.CutGroup, 2);
  EXPECT_EQ(Chan(3).Sample.CutByGroup, 2);
  EXPECT_EQ(Control<TPickNum>("CutSelect")->Value(), 2);
  EXPECT_TRUE(song.Modified());
  // Ping-pong unrolls the loop: the sample grows by the loop's length.
  QTest::mouseClick(pingPong, Qt::LeftButton, {}, QPoint(5, 7));
  EXPECT_EQ(Chan(3).Sample.PingPong, 1);
  EXPECT_EQ(Chan(3).Sample.Length, 3000);
  EXPECT_EQ(Chan(3).Sample.LoopEnd, 2499);
  // "cut itself" picks the first free group for both boxes.
  song.Channel(1)->Sample.CutByGroup = 3;
  Control<TPickNum>("CutSelect")->SetValue(0);
  Control<TPickNum>("CutBySelect")->SetValue(0);
  QTest::mouseClick(Control<TMyTransButton>("CutItselfBtn"), Qt::LeftButton, {}, QPoint(10, 6));
  EXPECT_EQ(Chan(3).Sample.CutGroup, 2);
  EXPECT_EQ(Chan(3).Sample.CutByGroup, 2);
  // A click into CUT BY, wherever the caret goes, and 0 typed: cut by none.
  Windows().MIDIForm->hide();
  ActivateSettings();
  QTest::mouseClick(Control<TPickNum>("CutBySelect"), Qt::LeftButton, {}, QPoint(3, 10));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_0);
  EXPECT_EQ(Chan(3).Sample.CutByGroup, 0);
  // Numbers of two and three digits typed into CUT and STRETCH make one
  // number each and show whole: the box's first digit stays in view.
  for (auto [name, typed] : {std::pair{"CutSelect", "12"}, std::pair{"StretchSelect", "512"}}) {
    auto* box = Control<TPickNum>(name);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(3, 10));
    QTest::keyClicks(QApplication::focusWidget(), typed);
    EXPECT_EQ(box->text(), typed);
    box->grab();  // (the box scrolls its text as it paints)
    EXPECT_EQ(box->cursorPositionAt(QPoint(box->textMargins().left() + 3, box->height() / 2)), 0) << name;
  }
  EXPECT_EQ(Chan(3).Sample.CutGroup, 12);
  EXPECT_EQ(Chan(3).Stretch, 512);

  // Stretch from the menu, and the effect route: both mark the song.
  song.SetModified(false);
  QMenu* stretch = Settings->findChild<QMenu*>("StretchMenu");
  QTest::mouseClick(Control<TMyTransButton>("StretchBtn"), Qt::LeftButton, {}, QPoint(10, 6));
  ASSERT_TRUE(stretch->isVisible());
  stretch->findChild<QAction*>("Stretch2PatMenu")->trigger();
  stretch->hide();
  EXPECT_EQ(Chan(3).Stretch, 2 * song.PatternLength());
  EXPECT_EQ(Control<TPickNum>("StretchSelect")->Value(), 2 * song.PatternLength());
  EXPECT_TRUE(song.Modified());
  song.SetModified(false);
  auto* route = Control<TSelector>("FXRouteSelect");
  QTest::mouseClick(route, Qt::LeftButton, {}, QPoint(10, route->height() * 5 / 8));
  EXPECT_EQ(Chan(3).EffectTrack, 2);
  EXPECT_TRUE(song.Modified());
  // Its cells are named as the tracks their buses run, "FX 1" .. "FX 4":
  // at rest they read alike up to the track's number.
  std::vector<QImage> cells(4);
  for (int lit : {3, 0}) {
    route->SetValue(lit);
    const QImage shot = route->grab().toImage();
    const int h = shot.height() / 4;
    for (int c = 0; c < 4; ++c)
      if (c != lit && cells[size_t(c)].isNull()) cells[size_t(c)] = shot.copy(0, c * h, shot.width(), h);
  }
  route->SetValue(Chan(3).EffectTrack);
  const int w = cells[0].width(), h = cells[0].height();
  int ink = w;
  for (int x = 0; x < w && ink == w; ++x)
    for (int y = 3; y < h - 3; ++y)
      if (qGray(cells[0].pixel(x, y)) > qGray(cells[0].pixel(4, y)) + 40) ink = x;
  ASSERT_LT(ink, w / 2);
  for (int a = 0; a < 4; ++a)
    for (int b = a + 1; b < 4; ++b) {
      int first = w;
      for (int x = 0; x < w && first == w; ++x)
        for (int y = 0; y < h; ++y)
          if (cells[size_t(a)].pixel(x, y) != cells[size_t(b)].pixel(x, y)) first = x;
      EXPECT_LT(first, w) << "cells " << a << " and " << b << " look the same";
      EXPECT_GE(first, ink + 10) << "cells " << a << " and " << b << " differ before their number";
    }

  // The delay page: echoes clamped to 9, the shuffle box, the time slider
  // and its reading.
  Control<TPage95Control>("SettingsPageControl")->SetActivePage(Control<TTab95Sheet>("DelaySheet"));
  auto* echoes = Control<TPickNum>("EchoSelect");
  echoes->selectAll();
  QTest::keyClicks(echoes, "12");
  EXPECT_EQ(Chan(3).EchoCount, 9);
  song.SetModified(false);
  QTest::mouseClick(Control<TLampBox>("ShuffleBox"), Qt::LeftButton, {}, QPoint(5, 7));
  EXPECT_TRUE(Chan(3).EchoFollowsSwing);
  EXPECT_TRUE(song.Modified());
  auto* time = Control<TTrackSlider>("DelayDelaySlider");
  time->setFocus();
  QTest::keyClick(time, Qt::Key_PageUp);
  EXPECT_EQ(Chan(3).EchoTime, 48 - 16);
  EXPECT_EQ(Control<QLabel>("DelayTimeLabel")->text(), "Delay time (2.00 notes)");
  QTest::keyClick(time, Qt::Key_PageDown);  // the slider keeps PgDn: the channel stays
  EXPECT_EQ(Settings->Channel(), 3);
  EXPECT_EQ(Chan(3).EchoTime, 48);
  Turn("DelayPanWheel", 1);
  EXPECT_EQ(Chan(3).EchoPan, 128 + 4);
}

TEST_F(ChannelSettingsProgram, SynthesizerPageFollowsALoadedPresetAndItsSwitches) {
  TSong& song = CurrentSong();
  const int index = AddChannelOfKind(song, 1).Index();
  Main->Rack().RebuildRows();
  ClickName(index);
  // A preset loaded into the shown channel fills the page.
  MB404Params preset;
  ResetMB404Params(preset);
  preset.Params[P404Resonance] = 100;
  preset.Params[P404Osc2Shape] = 3;
  preset.Params[P404OscSync] = 1;
  preset.Params[P404Attack] = 77;
  const MB404Block block = MB404ParamsToBytes(preset);
  Tmp.Write("lead.404", std::string(block.begin(), block.end()));
  LoadFileIntoChannel(song, index, Tmp / "lead.404", false, true);
  EXPECT_EQ(Control<TWAVWheel>("TSResWheel")->Value(), 28);
  EXPECT_EQ(Control<TSelector>("Osc2TypeSelect")->Value(), 3);
  EXPECT_EQ(Control<TWAVWheel>("TSAttackWheel")->Value(), 77);
  auto* sync = Control<TMyTransButton>("SelectOscSync");
  EXPECT_TRUE(sync->Down());
  // The switch and a picker write their slots and mark the song.
  song.SetModified(false);
  QTest::mouseClick(sync, Qt::LeftButton, {}, QPoint(10, 6));
  EXPECT_EQ(Chan(index).Synth->Params[P404OscSync], 0);
  EXPECT_TRUE(song.Modified());
  auto* shape = Control<TSelector>("LFO1ShapeSelect");
  QTest::mouseClick(shape, Qt::LeftButton, {}, QPoint(shape->width() * 3 / 4, shape->height() * 3 / 4));
  EXPECT_EQ(Chan(index).Synth->Params[P404LFOShape], 3);
  // Another song replaces this one: the window shows its channel 0, whose
  // button goes down.
  song.SetModified(false);
  Main->Commands().New();
  QApplication::processEvents();
  EXPECT_EQ(Settings->Channel(), 0);
  EXPECT_EQ(Settings->windowTitle(), "Kick - Channel settings");
  EXPECT_TRUE(Control<TTab95Sheet>("SampleSheet")->TabVisible());
  EXPECT_TRUE(NameButton(0)->Down());
}

TEST_F(ChannelSettingsProgram, PresetChannelGetsTheRenderKeyTab) {
  ClickName(5);
  Control<TPage95Control>("SettingsPageControl")->SetActivePage(Control<TTab95Sheet>("PitchSheet"));
  auto* tabs = Control<TTab95Control>("KeybTab");
  EXPECT_EQ(tabs->TabCount(), 1);
  Chan(5).SampleFileName = Tmp / "pad.syn";
  Settings->RefreshChannelSettings(5);
  ASSERT_EQ(tabs->TabCount(), 2);
  EXPECT_EQ(tabs->Tabs().Get(1), "Render note");
  tabs->SelectTab(1);
  EXPECT_EQ(Control<QLabel>("MiddleNoteLabel")->text(), "Default");
  auto* keys = Control<TKeys>("MIDIKeyboard");
  EXPECT_EQ(keys->MiddleNote, -1);
  Chan(5).RenderNote = 36;
  Settings->UpdatePitchPage();
  EXPECT_EQ(Control<QLabel>("MiddleNoteLabel")->text(), "C3");
  QTest::mouseClick(Control<TMyTransButton>("DefNoteBtn"), Qt::LeftButton, {}, QPoint(10, 8));
  EXPECT_EQ(Chan(5).RenderNote, -1);
  EXPECT_EQ(Chan(5).RootNote, 60);
  // A plain sample again: one tab.
  Chan(5).SampleFileName = Tmp / "pad.wav";
  Settings->RefreshChannelSettings(5);
  EXPECT_EQ(tabs->TabCount(), 1);
  EXPECT_EQ(tabs->TabIndex(), 0);
}


// The sample box names the shown channel's own sample: the kit's that came
// with the song, "(none)" without one, the new song's after an open.
TEST_F(ChannelSettingsProgram, TheSampleBoxNamesTheShownChannelsSampleAfterEverySongOpened) {
  QComboBox* box = Control<QComboBox>("FileNameBox");
  ClickName(2);
  EXPECT_EQ(box->currentText(), "Clap.wav");
  TSong song;
  AddChannel(song);
  ASSERT_TRUE(SaveSong(Tmp / "first.zmp", song));
  song.Channels[0]->SampleFileName = "\\DrumKits\\Basic\\Rim.wav";
  ASSERT_TRUE(SaveSong(Tmp / "second.zmp", song));
  ASSERT_TRUE(Main->Commands().OpenSong(Tmp / "first.zmp"));
  EXPECT_EQ(box->currentText(), "(none)");
  ASSERT_TRUE(Main->Commands().OpenSong(Tmp / "second.zmp"));
  EXPECT_EQ(box->currentText(), "Rim.wav");
}

}  // namespace
}  // namespace vs
