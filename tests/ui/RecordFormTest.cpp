// The quick recording box in the running program, on the capture layer's
// test device: record three seconds, trim the start and the end with the
// mouse on the scope, listen, save as the next free "Recorded_N.wav",
// close, and the channel plays exactly the trimmed part.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <filesystem>

#include "controls/Canvas.h"
#include "controls/MyTransBtn.h"
#include "controls/QuickPaintBox.h"
#include "controls/TrackSlider.h"
#include "controls/WAVScope.h"
#include "core/Recording.h"
#include "editors/RecordForm.h"
#include "editors/SettingsForm.h"
#include "engine/Capture.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "framework/MLang.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "platform/FedAudioCapture.h"
#include "support/ProgramOnCopy.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// A shape that never repeats within the recording: left rises, right falls.
int16_t Shape(int i) { return int16_t(i % 30000 - 15000); }

std::vector<int16_t> Input(int from, int n) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    f[2 * size_t(i)] = Shape(from + i);
    f[2 * size_t(i) + 1] = int16_t(-Shape(from + i));
  }
  return f;
}

class RecordFormTest : public ::testing::Test {
protected:
  testing::TProgramOnCopy P;
  std::unique_ptr<TProgramRun>& Run = P.Run;
  TTestDir& Tmp = P.Tmp;
  std::string App;
  TFedCaptureBackend* Capture = nullptr;

  void SetUp() override {
    testing::TestApplication();
    P.Copy("[ZM SETTINGS]\nUse WAV=0\nSmpList=0\n");
    App = P.App;
    Tmp.Write("app/Samples/Recorded/Recorded_1.wav", "x");
    Tmp.Write("app/Samples/Recorded/Recorded_2.wav", "x");
    auto capture = std::make_unique<TFedCaptureBackend>();
    Capture = capture.get();
    SetCaptureBackend(std::move(capture));
    P.Start();
  }
  void TearDown() override { SetCaptureBackend(nullptr); }
};

TEST_F(RecordFormTest, RecordTrimSaveAndTheChannelPlaysTheTrimmedPart) {
  TRecordForm form(Run->Program().Prefs, 1, Windows().VorbelStepsMainForm);
  QString title;
  std::string offered;
  form.ChooseSaveFile = [&](const QString& t, const std::string& file) -> std::optional<std::string> {
    title = t;
    offered = file;
    return file;
  };
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.windowTitle(), QString("Quick recording box"));
  EXPECT_FALSE(form.SaveBtn->isEnabled());
  EXPECT_FALSE(form.EditBtn->isEnabled());
  EXPECT_EQ(form.LengthSelect->Position(), 3);

  // Record: the device's driver delivers three seconds (and more, which
  // the full buffer refuses); the box's timer notices the end.
  QTest::mouseClick(form.RecBtn, Qt::LeftButton);
  ASSERT_TRUE(form.Recording().Capturing());
  EXPECT_FALSE(form.RecBtn->isEnabled());
  EXPECT_FALSE(form.CancelButton->isEnabled());
  Capture->LastDevice->Feed(Input(0, 3 * 44100 + 500));
  QTRY_VERIFY(!form.Recording().Capturing());
  EXPECT_TRUE(form.RecBtn->isEnabled());
  EXPECT_TRUE(form.SaveBtn->isEnabled());
  EXPECT_TRUE(form.windowTitle().endsWith("(don't forget to save your sample to disk)"));
  EXPECT_EQ(form.Recording().Recorded.Length, 3 * 44100);

  // Trim on the scope (its width for 132300 frames): the start pressed
  // near the left and dragged to 100, the end pressed 92 pixels from the right.
  QWidget* box = form.BoundsPaintBox;
  const int64_t w = box->width();
  ASSERT_GE(w, 392);
  const int endX = int(w) - 92;
  QTest::mousePress(box, Qt::LeftButton, {}, QPoint(90, 50));
  QMouseEvent move(QEvent::MouseMove, QPointF(100, 50), box->mapToGlobal(QPointF(100, 50)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box, &move);
  QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(100, 50));
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(endX, 50));
  const int64_t start = 132300LL * 4 * 100 / w / 4, end = 132300LL * 4 * endX / w / 4;
  EXPECT_EQ(form.Recording().TrimStart, start);
  EXPECT_EQ(form.Recording().TrimLength, end - start);
  const std::vector<int16_t> trimmed = Input(int(start), int(end - start));
  // The marks are red, the parts left out darkened.
  const QImage marks = form.grab(box->geometry()).toImage();
  EXPECT_EQ(marks.pixelColor(int(start * w / 132300), 10), QColor(255, 0, 0));
  EXPECT_EQ(marks.pixelColor(int((end - 1) * w / 132300), 10), QColor(255, 0, 0));

  QTest::mouseClick(form.ListenBtn, Qt::LeftButton);
  ASSERT_EQ(Mixer().VoiceCount, 1);
  EXPECT_EQ(Mixer().Voices[0].Sample, &form.Recording().View);

  // Saved as the next free name, offered in the folder made for it; the
  // wave editor is the first tool that takes the channel's sample.
  Run->Program().Prefs.ToolList[1] = {"Notes", "/usr/bin/notes", 0};
  Run->Program().Prefs.ToolList[3] = {"Editor", "/usr/bin/editor", ToolWithChannelSample};
  int launched = -1;
  form.OnLaunchTool = [&](int tool) { launched = tool; };
  QTest::mouseClick(form.SaveBtn, Qt::LeftButton);
  ASSERT_TRUE(form.EditBtn->isEnabled());
  QTest::mouseClick(form.EditBtn, Qt::LeftButton);
  EXPECT_EQ(launched, 3);
  EXPECT_EQ(title, QString("Save modified sample"));
  EXPECT_EQ(offered, App + "Samples/Recorded/Recorded_3.wav");
  EXPECT_EQ(PendingRecordedFile(), offered);
  EXPECT_TRUE(form.windowTitle().endsWith("Recorded_3.wav)"));
  TWAVSample written;
  ASSERT_EQ(LoadWAVSample(offered, written), 0);
  EXPECT_EQ(written.Data, trimmed);

  // OK closes the box and loads the file into its channel.
  QTest::mouseClick(form.OkBtn, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  TSong& song = CurrentSong();
  TChannel& channel = *song.Channel(1);
  EXPECT_EQ(channel.SampleFileName, "\\Recorded\\Recorded_3.wav");
  EXPECT_EQ(channel.Sample.Data, trimmed);
  EXPECT_EQ(PendingRecordedFile(), "");

  // The channel alone on the first step: the render begins with the
  // trimmed part, in proportion, not with what was cut away.
  for (int i = 0; i < song.ChannelCount(); ++i)
    for (int s = 0; s < 64; ++s) song.Channel(i)->Steps.SetStepOn(1, s, false);
  channel.Steps.SetStepOn(1, 0, true);
  const std::string out = Tmp / "render.wav";
  ASSERT_TRUE(RenderSongToFile(out).Ok);
  TWAVSample rendered;
  ASSERT_EQ(LoadWAVSample(out, rendered), 0);
  ASSERT_GT(rendered.Length, 2000);
  const double gain = double(rendered.Data[2 * 1000]) / trimmed[2 * 1000];
  EXPECT_GT(gain, 0.05);
  for (int i = 200; i < 2000; i += 7)
    EXPECT_NEAR(rendered.Data[2 * size_t(i)], gain * trimmed[2 * size_t(i)], 3.0) << i;
}

// Three seconds of a steady 660 Hz tone at half scale.
std::vector<int16_t> Tone() {
  std::vector<int16_t> f(size_t(3 * 44100) * 2);
  for (size_t i = 0; i < f.size() / 2; ++i)
    f[2 * i] = f[2 * i + 1] = int16_t(16384 * std::sin(2 * M_PI * 660 * double(i) / 44100));
  return f;
}

TEST_F(RecordFormTest, TheBoxShowsTheWholeRecordingUnderItsWholeCaptionInEachLanguage) {
  for (int language : {LangEnglish, LangFrench, LangDutch}) {
    SCOPED_TRACE(language);
    ChooseLanguage(Run->Program().Prefs, language);
    TRecordForm form(Run->Program().Prefs, 0, Windows().VorbelStepsMainForm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.RecBtn, Qt::LeftButton);
    Capture->LastDevice->Feed(Tone());
    QTRY_VERIFY(!form.Recording().Capturing());

    // The caption with its note fits the title bar of the box: its text in
    // the bold title font and the room of the icon and the buttons.
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_LE(QFontMetrics(bold).horizontalAdvance(form.windowTitle()) + 100, form.width())
        << form.windowTitle().toStdString();

    // Every column of the scope spans the tone's whole swing (half scale on
    // both channels: the full height between the quarter lines), not a
    // slow wave folded out of 1980 cycles.
    const QImage scope = form.RecScope->grab().toImage();
    const QColor trace = ToQColor(form.RecScope->LineColor());
    const int h = scope.height();
    for (int x = 2; x < scope.width() - 2; x += 3) {
      int top = h, bottom = -1;
      for (int y = 0; y < h; ++y)
        if (scope.pixelColor(x, y) == trace) top = std::min(top, y), bottom = std::max(bottom, y);
      ASSERT_GE(bottom - top, h / 2 - 4) << "column " << x;
    }

    // The save dialog speaks the box's language.
    QString title;
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
      title = QApplication::activeModalWidget()->windowTitle();
      static_cast<QDialog*>(QApplication::activeModalWidget())->reject();
    });
    form.SaveBtnClick();
    const char* expected[] = {"Save modified sample", "Enregistrer l'échantillon modifié", "Gewijzigde sample opslaan"};
    EXPECT_EQ(title, QString::fromUtf8(expected[language]));
    form.close();
  }
  ChooseLanguage(Run->Program().Prefs, LangEnglish);
}

TEST_F(RecordFormTest, CancelDuringACaptureKeepsItAndAFailingDeviceIsReported) {
  TRecordingMessageBox messages;
  TRecordForm form(Run->Program().Prefs, 0, Windows().VorbelStepsMainForm);
  form.show();
  form.LengthSelect->ChangePosition(2);
  QTest::mouseClick(form.RecBtn, Qt::LeftButton);
  ASSERT_TRUE(form.Recording().Capturing());
  Capture->LastDevice->Feed(Input(0, 1000));
  // OK stops the capture and the box stays open with what came.
  QTest::mouseClick(form.OkBtn, Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.Recording().Capturing());
  ASSERT_EQ(form.Recording().Recorded.Length, 2 * 44100);
  EXPECT_EQ(form.Recording().Recorded.Data[2 * 999], Shape(999));
  EXPECT_EQ(form.Recording().Recorded.Data[2 * 1000], 0);

  Capture->FailOpen = true;
  QTest::mouseClick(form.RecBtn, Qt::LeftButton);
  EXPECT_FALSE(form.Recording().Capturing());
  ASSERT_EQ(messages.Count(), 1u);
  EXPECT_NE(messages.Boxes()[0].Message.find("An error occured while setting up the DirectSound Capture."),
            std::string::npos);
  // Closed without a save: nothing goes into the channel.
  const std::string before = CurrentSong().Channel(0)->SampleFileName;
  form.close();
  EXPECT_EQ(CurrentSong().Channel(0)->SampleFileName, before);
}

TEST_F(RecordFormTest, TheChannelSettingsRecordItemOpensTheBoxForItsChannel) {
  TSettingsForm& settings = *Windows().SettingsForm;
  settings.SetButtonClick(2, true);
  QAction* record = settings.findChild<QAction*>("RecordMenu");
  ASSERT_NE(record, nullptr);
  int channel = -1;
  QTimer::singleShot(50, [&] {
    if (auto* box = qobject_cast<TRecordForm*>(QApplication::activeModalWidget())) {
      channel = box->Tag;
      box->reject();
    }
  });
  record->trigger();
  EXPECT_EQ(channel, 2);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace vs
