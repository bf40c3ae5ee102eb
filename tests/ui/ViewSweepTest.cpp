// Every view follows every change. With every window of the program open,
// each change below is made from where a user makes it, and after each one
// every control that shows a song, channel or program value must show the
// model's value, and every menu item's enabled and checked state must match
// the state it depends on. One row per control (how to read what it shows,
// which model value it shows), one row per change: a new control or command
// is one row. A failure names the control, the change and both values.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QDropEvent>
#include <QUrl>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/MyTransBtn.h"
#include "editors/BackgroundForm.h"
#include "controls/NumBar.h"
#include "controls/WAVWheel.h"
#include "controls/PickNum.h"
#include "controls/RCADigital.h"
#include "controls/TrackSlider.h"
#include "controls/ValueControl.h"
#include "controls/VekGrid.h"
#include "controls/WAVScope.h"
#include "core/ChannelCommands.h"
#include "core/ChannelSettings.h"
#include "core/CommandLine.h"
#include "core/PatternCommands.h"
#include "core/PlaylistCommands.h"
#include "core/Transport.h"
#include "editors/InfoForm.h"
#include "editors/MIDIForm.h"
#include "editors/PianoForm.h"
#include "editors/PlayListForm.h"
#include "editors/SampleListForm.h"
#include "editors/SetInfoForm.h"
#include "editors/SettingsForm.h"
#include "editors/VisualForm.h"
#include "editors/LampMaps.h"
#include "engine/Mixer.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "files/SongFile.h"
#include "framework/ActionTable.h"
#include "framework/Hint95.h"
#include "framework/MeroTB97.h"
#include "framework/MLang.h"
#include "framework/Tab95.h"
#include "framework/TreeNT.h"
#include "model/Song.h"
#include "support/CleanWindows.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/Techno16.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// A control: what it shows and the model value it shows, both as text.
// Shown is read first (a picture row redraws its widget in Model).
struct TControlRow {
  std::string Name;
  std::function<QString()> Shown;
  std::function<QString()> Model;
};

// A change and where it comes from.
struct TChangeRow {
  std::string Name;
  std::function<void()> Apply;
};

QString N(long long v) { return QString::number(v); }
QString B(bool v) { return v ? QStringLiteral("on") : QStringLiteral("off"); }
QString Q8(const std::string& s) { return QString::fromStdString(s); }

// What a control of any kind shows.
QString ShownBy(const QWidget* w) {
  if (!w) return QStringLiteral("(no such control)");
  if (auto* c = qobject_cast<const TValueControl*>(w)) return N(c->Value());
  if (auto* c = qobject_cast<const TPickNum*>(w)) return N(c->Value());
  if (auto* c = qobject_cast<const TRCADigital*>(w)) return N(c->Value());
  if (auto* c = qobject_cast<const TMyTransButton*>(w)) return B(c->Down());
  if (auto* c = qobject_cast<const QAbstractButton*>(w)) return B(c->isChecked());
  if (auto* c = qobject_cast<const QComboBox*>(w)) return N(c->currentIndex());
  if (auto* c = qobject_cast<const QLineEdit*>(w)) return c->text();
  if (auto* c = qobject_cast<const QLabel*>(w)) return c->text();
  return QStringLiteral("(unread kind)");
}

// A widget that keeps a picture of what it shows: its picture now against
// its picture drawn again from the model.
struct TPictureCheck {
  QImage Before;
  QString Take(QWidget* w) {
    Before = w->grab().toImage();
    return QStringLiteral("picture");
  }
  QString Redrawn(QWidget* w, const std::function<void()>& redraw) {
    redraw();
    const QImage after = w->grab().toImage();
    if (after.size() != Before.size()) return QStringLiteral("picture of another size");
    int other = 0;
    for (int y = 0; y < after.height(); ++y)
      for (int x = 0; x < after.width(); ++x) other += after.pixel(x, y) != Before.pixel(x, y);
    return other == 0 ? QStringLiteral("picture") : QStringLiteral("picture with %1 pixels other").arg(other);
  }
};

class ViewSweep : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::unique_ptr<TProgramRun> Run;
  // Questions are answered as a user who goes on would: don't save the
  // song, OK to delete.
  struct TAnsweringBox : IMessageBoxHandler {
    IMessageBoxHandler* Previous = SetMessageBoxHandler(this);
    ~TAnsweringBox() override { SetMessageBoxHandler(Previous); }
    int ShowMessage(const std::string&, const std::string&, uint32_t flags) override {
      switch (flags & MbButtonMask) {
        case MbYesNoCancel:
        case MbYesNo: return IdNo;
        case MbOKCancel: return IdOK;
        default: return DefaultMessageResult(flags);
      }
    }
  };
  std::unique_ptr<TAnsweringBox> Boxes;
  TVorbelStepsMainForm* Form = nullptr;
  QTimer ModalCloser;
  struct TFailure {
    std::string Control, Text;
    int Count;
  };
  std::vector<TFailure> Failures;

  void SetUp() override {
    testing::TestApplication();
    Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\nSmpList=1\n");
    setenv("VORBELSTEPS_SETTINGS", (Tmp / "settings.ini").c_str(), 1);
    setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
    fs::copy(std::string(VS_DATA_DIR) + "Samples/DrumKits/Basic", Tmp / "Basic", fs::copy_options::recursive);
    // A modal dialog a command opens (a file dialog, a question) is
    // cancelled as soon as it shows.
    ModalCloser.setInterval(0);
    QObject::connect(&ModalCloser, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->windowModality() != Qt::NonModal) top->close();
      if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    ModalCloser.start();
  }
  void TearDown() override {
    ModalCloser.stop();
    CurrentSong().SetModified(false);
    if (Run) Run->ShutDown();
    Run.reset();
    Boxes.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }

  void Start(std::vector<std::string> args) {
    Run = std::make_unique<TProgramRun>(std::move(args), Tmp.Dir());
    Run->StartUp();
    Run->ShowMainWindow();
    Form = Windows().VorbelStepsMainForm;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form));
    Run->FirstActivation();
    Boxes = std::make_unique<TAnsweringBox>();
    Settle();
  }

  // Posted work (queued refreshes, deferred deletes) is done.
  static void Settle() {
    for (int i = 0; i < 3; ++i) {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QApplication::processEvents();
    }
  }

  TSong& Song() { return CurrentSong(); }
  TProgramWindows& W() { return Windows(); }
  QAction* Item(const char* id) { return Form->Actions().Action(id); }
  template <class T = QWidget>
  static T* Child(QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  }
  // A song unlike the kit in every value it keeps, saved and packed.
  void MakeOtherSong() {
    TSong& s = Song();
    s.SetBPM(123);
    s.SetPatternLength(24);
    s.SetStepsPerBlock(3);
    s.Echo = {30, 20, 90, 100};
    s.SetMasterVolume(77);
    s.SetMasterSwing(40);
    s.SetMasterPitch(-200);
    s.SetMasterResoPosition(600);
    s.SetMasterCutoffPosition(700);
    s.SetSongModeOn(true);
    s.Info.Title = "Other";
    s.Info.WebAddress = "https://example.org/other";
    s.PatternNames[1].Name = "Intro";
    s.Playlist.SetPlaylistCell(1, 1, true);
    TChannel& c = *s.Channels[1];
    c.Name = "Boom";
    c.Volume = 90;
    c.Pan = 30;
    c.EchoCount = 7;
    c.MidiChannel = 3;
    c.Cutoff = 500;
    c.Collapsed = true;
    ASSERT_TRUE(SaveSong(Tmp / "Other.zmp", s));
    ASSERT_TRUE(Form->Commands().OpenSong(Tmp / "Other.zmp"));
    ASSERT_TRUE(Form->CommandHost().WritePackage(Tmp / "Other.zip"));
    ASSERT_TRUE(Form->Commands().OpenSong(Tmp / "Basic/Basic.zmp"));
  }

  TChannel* SettingsChannel() { return Song().Channel(W().SettingsForm->Channel()); }

  // ------------------------------------------------------------ controls

  std::vector<TControlRow> Controls() {
    TVorbelStepsMainForm& f = *Form;
    TProgramWindows& w = W();
    std::vector<TControlRow> rows;
    auto row = [&rows](std::string name, std::function<QString()> shown, std::function<QString()> model) {
      rows.push_back({std::move(name), std::move(shown), std::move(model)});
    };
    // A control found by its name, against a model value.
    auto named = [&row](QWidget* window, const char* name, std::function<QString()> model) {
      row(window->objectName().toStdString() + "." + name, [window, name] { return ShownBy(Child(window, name)); },
          std::move(model));
    };

    // The remote panel.
    named(&f, "BPMDig", [this] { return N(Song().BPM); });
    named(&f, "BPMUpDown", [this] { return N(Song().BPM); });
    named(&f, "PatNumDig", [this] { return N(Song().CurrentPattern); });
    named(&f, "PatUpDown", [this] { return N(Song().CurrentPattern); });
    named(&f, "PatPad", [this] { return N(PatternPadCell(Song().CurrentPattern)); });
    row("VorbelStepsMainForm.StartButton", [&f] { return ShownBy(f.StartButton); },
        [] { return B(Mixer().Playing.load()); });
    row("VorbelStepsMainForm.LoopButton", [&f] { return ShownBy(f.LoopButton); },
        [] { return B(Mixer().SongMode == 1); });
    row("VorbelStepsMainForm.FXVolBtn", [&f] { return ShownBy(f.FXVolBtn); }, [&f] { return B(f.StepEditMode() == 1); });
    row("VorbelStepsMainForm.FXPitchBtn", [&f] { return ShownBy(f.FXPitchBtn); },
        [&f] { return B(f.StepEditMode() == 2); });
    row("VorbelStepsMainForm.FXNoteBtn", [&f] { return ShownBy(f.FXNoteBtn); }, [&w] {
      return B(w.PianoForm->isVisible() && w.PianoForm->ViewMode() == PianoKeyboardView);
    });
    row("VorbelStepsMainForm.FXDrawBtn", [&f] { return ShownBy(f.FXDrawBtn); },
        [&w] { return B(w.PianoForm->isVisible() && w.PianoForm->ViewMode() == PianoGraphView); });
    for (int i = 0; i < MasterSliderCount; ++i)
      row("VorbelStepsMainForm.MasterSlider" + std::to_string(i), [&f, i] { return ShownBy(f.MasterSliders[i]); },
          [this, i] { return N(MasterSliderPosition(Song(), static_cast<TMasterSlider>(i))); });
    row("VorbelStepsMainForm.PatternScroller",
        [&f] { return f.PatternScroller->isVisible() ? N(f.PatternScroller->Position()) : QStringLiteral("hidden"); },
        [] { return PatternView().ScrollerShown ? N(PatternView().FirstVisibleStep) : QStringLiteral("hidden"); });
    // The info bar: the hint of the control under the pointer, in the
    // language shown.
    row("VorbelStepsMainForm.InfoLabel",
        [&f] { return f.InfoShowsHint() ? f.InfoLabel->text() : QStringLiteral("no hint"); },
        [&f] { return f.InfoShowsHint() ? Q8(LongHint(f.Hint95->HoveredHint())) : QStringLiteral("no hint"); });
    row("VorbelStepsMainForm.CaptionLabel", [&f] { return f.CaptionLabel->text(); },
        [&f] { return Q8(f.Commands().SongTitle); });

    // The rack: one row per channel.
    auto perChannel = [this](const std::function<QString(const TRackRowWidgets&)>& shown,
                             const std::function<QString(const TChannel&, int)>& model) {
      return std::pair<std::function<QString()>, std::function<QString()>>{
          [this, shown] {
            QStringList l;
            for (const TRackRowWidgets& r : Form->Rack().Rows()) l << shown(r);
            return l.join(',');
          },
          [this, model] {
            QStringList l;
            for (int i = 0; i < Song().ChannelCount(); ++i) l << model(*Song().Channel(i), i);
            return l.join(',');
          }};
    };
    auto rack = [&row, &perChannel](std::string name, std::function<QString(const TRackRowWidgets&)> shown,
                                    std::function<QString(const TChannel&, int)> model) {
      auto [s, m] = perChannel(std::move(shown), std::move(model));
      row("Rack." + name, s, m);
    };
    rack("Names", [](const TRackRowWidgets& r) { return r.Name->Name(); },
         [](const TChannel& c, int) { return Q8(c.Name); });
    rack("Collapsed", [](const TRackRowWidgets& r) { return B(r.Name->Collapsed()); },
         [](const TChannel& c, int) { return B(c.Collapsed); });
    rack("Mute", [](const TRackRowWidgets& r) { return ShownBy(r.Mute); },
         [](const TChannel& c, int) { return B(!c.Enabled); });
    rack("Select", [](const TRackRowWidgets& r) { return ShownBy(r.Select); },
         [](const TChannel& c, int) { return B(c.Selected); });
    rack("Wheels", [](const TRackRowWidgets& r) { return ShownBy(r.Wheel); }, [&f](const TChannel& c, int) {
      return N(f.Prefs().VolPan == VolPanPan ? c.Pan : c.Volume);
    });
    rack("NameDown", [](const TRackRowWidgets& r) { return B(r.Name->Down()); }, [&w](const TChannel&, int i) {
      return B(w.SettingsForm->isVisible() && w.SettingsForm->Channel() == i);
    });
    for (size_t i = 0; i < 6; ++i) {
      auto picture = std::make_shared<TPictureCheck>();
      row("Rack.StepRow" + std::to_string(i),
          [this, picture, i] {
            TTechno16* r = Form->Rack().StepRow(int(i));
            return r ? picture->Take(r) : QStringLiteral("no row");
          },
          [this, picture, i] {
            TTechno16* r = Form->Rack().StepRow(int(i));
            return r ? picture->Redrawn(r, [r] { r->RedrawAll(); }) : QStringLiteral("no row");
          });
    }

    // The piano roll and step graph: under its channel's row, showing its
    // channel's steps.
    TPianoForm& piano = *w.PianoForm;
    row("PianoForm.Place",
        [this, &piano] {
          if (!piano.isVisible()) return QStringLiteral("hidden");
          for (int i = 0; i < Song().ChannelCount(); ++i) {
            const TTechno16* r = Form->Rack().StepRow(i);
            if (!r || !r->isVisible()) continue;
            const QPoint at = r->mapToGlobal(QPoint(0, r->height()));
            if (piano.x() == at.x() && (piano.y() == at.y() + 27 || piano.y() == at.y() - piano.height()))
              return QStringLiteral("under row %1").arg(i);
          }
          return QStringLiteral("under no row");
        },
        [this, &piano] {
          if (!piano.isVisible()) return QStringLiteral("hidden");
          const TTechno16* r = Form->Rack().StepRow(piano.Channel());
          return r && r->isVisible() ? QStringLiteral("under row %1").arg(piano.Channel())
                                     : QStringLiteral("under no row");
        });
    row("PianoForm.FXSelect", [&piano] { return piano.isVisible() ? N(piano.FXSelect->Max()) : "hidden"; },
        [this, &piano] {
          const TChannel* c = Song().Channel(piano.Channel());
          return piano.isVisible() ? N(c && c->Kind == 1 ? 1 : 6) : QStringLiteral("hidden");
        });
    row("PianoForm.SlideBox", [&piano] { return piano.isVisible() ? B(piano.SlideBox->isVisible()) : "hidden"; },
        [this, &piano] {
          const TChannel* c = Song().Channel(piano.Channel());
          return piano.isVisible() ? B(c && c->Kind == 1 && piano.ViewMode() == PianoKeyboardView)
                                   : QStringLiteral("hidden");
        });
    for (TPianoBox* box : {piano.KeybBox, piano.DrawBox}) {
      auto picture = std::make_shared<TPictureCheck>();
      row("PianoForm." + box->objectName().toStdString(),
          [box, picture] { return box->isVisible() ? picture->Take(box) : QStringLiteral("hidden"); },
          [box, picture, &piano] {
            return box->isVisible() ? picture->Redrawn(box, [&piano] { piano.RepaintPianoForm(); })
                                    : QStringLiteral("hidden");
          });
    }

    // The channel settings window, each page.
    TSettingsForm& cs = *w.SettingsForm;
    auto channel = [this, &cs, &row](const char* name, std::function<QString(const TChannel&)> model) {
      row(std::string("SettingsForm.") + name, [&cs, name] { return cs.isVisible() ? ShownBy(Child(&cs, name)) : ""; },
          [this, &cs, model] {
            const TChannel* c = SettingsChannel();
            return cs.isVisible() && c ? model(*c) : QString();
          });
    };
    row("SettingsForm.Caption", [&cs] { return cs.isVisible() ? cs.windowTitle() : QString(); },
        [this, &cs] {
          const TChannel* c = SettingsChannel();
          if (!cs.isVisible() || !c) return QString();
          const QString title = cs.Words()->Word("%Form%");
          return c->Name.empty() ? title : Q8(c->Name) + " - " + title;
        });
    channel("NameEdit", [](const TChannel& c) { return Q8(c.Name); });
    row("SettingsForm.MB404Sheet",
        [&cs] { return cs.isVisible() ? B(Child<TTab95Sheet>(&cs, "MB404Sheet")->TabVisible()) : QString(); },
        [this, &cs] {
          const TChannel* c = SettingsChannel();
          return cs.isVisible() && c ? B(c->Kind == 1) : QString();
        });
    row("SettingsForm.WAVScope",
        [&cs] { return cs.isVisible() ? N(qintptr(Child<TWAVScope>(&cs, "WAVScope")->Sample())) : QString(); },
        [this, &cs] {
          const TChannel* c = SettingsChannel();
          return cs.isVisible() && c ? N(qintptr(&c->Sample)) : QString();
        });
    channel("VolWheel", [](const TChannel& c) { return N(c.Volume); });
    channel("PanWheel", [](const TChannel& c) { return N(c.Pan); });
    channel("FXRouteSelect", [](const TChannel& c) { return N(c.EffectTrack); });
    channel("ChanSelect", [](const TChannel& c) { return N(c.MidiChannel); });
    channel("NoteSelect", [](const TChannel& c) { return N(c.MidiNote < 128 ? c.MidiNote : -1); });
    channel("PatchSelect", [](const TChannel& c) { return N(c.MidiProgram < 128 ? c.MidiProgram : -1); });
    channel("BankSelect", [](const TChannel& c) { return N(c.MidiBank < 128 ? c.MidiBank : -1); });
    channel("RevTypeSelect", [](const TChannel& c) { return N(c.ReverbType); });
    channel("CutSelect", [](const TChannel& c) { return N(c.Sample.CutGroup); });
    channel("CutBySelect", [](const TChannel& c) { return N(c.Sample.CutByGroup); });
    channel("StretchSelect", [](const TChannel& c) { return N(c.Stretch); });
    channel("LoopBox", [](const TChannel& c) { return B(c.Sample.Looped); });
    channel("PingPongBox", [](const TChannel& c) { return B(c.Sample.PingPong == 1); });
    channel("EchoSelect", [](const TChannel& c) { return N(c.EchoCount); });
    channel("CtrlValSelect", [&cs](const TChannel& c) {
      return N(ChannelControllerStart(c, Child<TPickNum>(&cs, "CtrlNumSelect")->Value()));
    });
    row("SettingsForm.ChanList_Rand",
        [&cs] {
          QStringList l;
          auto* list = Child<QListWidget>(&cs, "ChanList_Rand");
          for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected()) l << N(i);
          return cs.isVisible() ? l.join(',') : QString();
        },
        [this, &cs] {
          const TChannel* c = SettingsChannel();
          if (!cs.isVisible() || !c) return QString();
          std::set<int> chosen(c->RandomChoice.begin(), c->RandomChoice.end());
          QStringList l;
          for (int i : chosen) l << N(i);
          return l.join(',');
        });
    for (const TChannelValueSpec& spec : ChannelValueSpecs())
      channel(spec.Name, [&spec](const TChannel& c) { return N(c.*(spec.Field)); });
    for (const TChannelFlagSpec& spec : ChannelFlagSpecs())
      channel(spec.Name, [&spec](const TChannel& c) { return B(c.*(spec.Field)); });
    for (const TSynthSlotSpec& spec : SynthSlotSpecs())
      channel(spec.Name, [&spec, &cs](const TChannel& c) {
        if (c.Kind != 1 || !c.Synth) return ShownBy(Child(&cs, spec.Name));  // shown for synthesizers only
        return spec.Kind == TSynthControl::Toggle ? B(SynthControlValue(*c.Synth, spec) != 0)
                                                  : N(SynthControlValue(*c.Synth, spec));
      });
    row("SettingsForm.ChanList_Mix",
        [&cs] { return cs.isVisible() ? N(Child<QListWidget>(&cs, "ChanList_Mix")->currentRow()) : QString(); },
        [this, &cs] {
          const TChannel* c = SettingsChannel();
          return cs.isVisible() && c ? N(c->MixTarget) : QString();
        });
    row("SettingsForm.ChanList_Names",
        [&cs] {
          QStringList l;
          auto* list = Child<QListWidget>(&cs, "ChanList_Rand");
          for (int i = 0; i < list->count(); ++i) l << list->item(i)->text();
          return l.join(',');
        },
        [this, &cs] {
          QStringList l;
          for (int i = 0; i < Song().ChannelCount(); ++i)
            l << (Song().Channel(i)->Name.empty() ? cs.Words()->Word("@ChannelN") + N(i + 1)
                                                  : Q8(Song().Channel(i)->Name));
          return l.join(',');
        });

    // The program settings window, each page.
    TMIDIForm& ps = *w.MIDIForm;
    auto prog = [&named, &ps](const char* name, std::function<QString()> model) { named(&ps, name, std::move(model)); };
    prog("PatLengthSelect", [this] { return N(Song().PatternLength()); });
    prog("RepeatBlockSelect", [this] { return N(Song().StepsPerBlock); });
    prog("DelayFeedWheel", [this] { return N(Song().Echo.Feedback); });
    prog("DelayPanWheel", [this] { return N(Song().Echo.Pan); });
    prog("DelayVolWheel", [this] { return N(Song().Echo.Volume); });
    prog("DelayDelaySlider", [this] { return N(Song().Echo.Time); });
    row("MIDIForm.TitleLabel", [&ps] { return ps.TitleLabel->text(); }, [this] { return Q8(Song().Info.Title); });
    // (Its other controls show the preferences: MIDIForm.EveryControl below.)

    // The song information editor and viewer.
    TSetInfoForm& editor = *w.SetInfoForm;
    row("SetInfoForm.TitleEdit", [&editor] { return editor.TitleEdit->text(); }, [this] { return Q8(Song().Info.Title); });
    row("SetInfoForm.URLEdit", [&editor] { return editor.URLEdit->text(); },
        [this] { return Q8(Song().Info.WebAddress); });
    row("SetInfoForm.ShowInfoBox", [&editor] { return ShownBy(editor.ShowInfoBox); },
        [this] { return B(Song().Info.ShowOnOpen); });
    TInfoForm& viewer = *w.InfoForm;
    row("InfoForm.TitleLabel", [&viewer] { return viewer.isVisible() ? viewer.TitleLabel->text() : QString(); },
        [this, &viewer] { return viewer.isVisible() ? Q8(Song().Info.Title) : QString(); });

    // The lamp window: a row of lamps per channel, each in its colour.
    TVisualForm& lamps = *w.VisualForm;
    row("VisualForm.Height", [&lamps] { return N(lamps.height()); },
        [this, &lamps] { return N(LampWindowHeight(Song().ChannelCount(), lamps.CellSize())); });
    {
      auto picture = std::make_shared<TPictureCheck>();
      row("VisualForm.Picture", [&lamps, picture] { return lamps.isVisible() ? picture->Take(&lamps) : "hidden"; },
          [&lamps, picture] {
            return lamps.isVisible() ? picture->Redrawn(&lamps, [&lamps] { lamps.RedrawAll(); })
                                     : QStringLiteral("hidden");
          });
    }

    // The playlist's header, as tall as the widest pattern name.
    TPlayListForm& pl = *w.PlayListForm;
    row("PlayListForm.HeaderHeight", [&pl] { return N(pl.HeaderHeight()); }, [&pl] {
      pl.FitPlaylistHeader();
      return N(pl.HeaderHeight());
    });

    // The sample browser's song root, and the help viewer's caption.
    row("SampleListForm.LoopFilesRoot",
        [&w] {
          TSampleListForm* b = w.SampleListForm;
          if (!b) return QStringLiteral("no browser");
          for (TTreeNTNode* n = b->FileView->Items().GetFirstNode(); n; n = n->GetNextSibling())
            if (const TBrowserRecord* r = TSampleListForm::Record(n); r && r->RootKind == SongRoot)
              return Q8(n->Text());
          return QStringLiteral("no root");
        },
        [&w, &f] { return w.SampleListForm ? f.Words().Word("@LoopFiles") : QStringLiteral("no browser"); });
    row("TextViewer.Caption",
        [&f] { return f.TextViewer() ? f.TextViewer()->windowTitle() : QStringLiteral("none"); },
        [&f] { return f.TextViewer() ? f.Words().Word(f.TextViewerCaptionKey()) : QStringLiteral("none"); });
    // Last, as they fill the windows anew: every control and label of the
    // channel and program settings shows what filling it from the model
    // shows (the CPU figure aside: it moves by itself).
    auto refilled = [&row](QWidget* window, std::function<void()> fill) {
      auto texts = [window] {
        std::map<std::string, QString> m;
        for (QWidget* c : window->findChildren<QWidget*>())
          if (!c->objectName().isEmpty() && c->objectName() != "UsageLabel" && !ShownBy(c).startsWith('('))
            m[c->objectName().toStdString()] = ShownBy(c);
        return m;
      };
      auto before = std::make_shared<std::map<std::string, QString>>();
      row(window->objectName().toStdString() + ".EveryControl",
          [before, texts] { return *before = texts(), QStringLiteral("as filled"); },
          [window, fill, before, texts] {
            if (!window->isVisible()) return QStringLiteral("as filled");
            fill();
            QStringList other;
            for (const auto& [name, text] : texts())
              if (before->count(name) && before->at(name) != text)
                other << Q8(name) + " \"" + before->at(name) + "\" filled as \"" + text + "\"";
            return other.isEmpty() ? QStringLiteral("as filled") : other.join("; ");
          });
    };
    refilled(&cs, [&cs] { cs.UpdateChannelSettingsForm(); });
    refilled(&ps, [&ps] { ps.ShowSettings(); });
    return rows;
  }

  // ------------------------------------------------------------- menus

  // Each menu item's enabled and checked state, from the state it shows.
  struct TItemRule {
    const char* Id;
    std::function<bool()> Enabled;  // null: always enabled
    std::function<bool()> Checked;  // null: not checkable
  };
  std::vector<TItemRule> MainItemRules() {
    TVorbelStepsMainForm& f = *Form;
    TProgramWindows& w = W();
    auto pasteable = [] { return StepClipboard().Filled; };
    auto samples = [this] { return TSongCommands::CountDistinctSamples(Song()) > 0; };
    auto length = [this](int l) { return [this, l] { return Song().PatternLength() == l; }; };
    return {
        {"PasteMenu", pasteable, nullptr},
        {"LinePasteMenu", pasteable, nullptr},
        {"CollectMenuItem", samples, nullptr},
        {"ClickSamplesMenuItem", samples, nullptr},
        {"N16notes1", nullptr, length(16)},
        {"N16notes2", nullptr, length(32)},
        {"N64notes1", nullptr, length(64)},
        {"PanWheelsMenu", nullptr, [&f] { return f.Prefs().VolPan >= 1; }},
        {"MinimizeMenu", nullptr, [&f] { return f.Rack().AllRowsShowLamps(); }},
        {"PlayListMenu", nullptr, [&w] { return w.PlayListForm->isVisible(); }},
        {"VisualMenu", nullptr, [&w] { return w.VisualForm->isVisible(); }},
        {"SampleBrowserMenu", nullptr, [&w] { return w.SampleListForm && w.SampleListForm->isVisible(); }},
        {"HintpanelMenu", nullptr, [&f] { return !f.BottomToolWindow->isHidden(); }},
        {"BackgroundMenu", nullptr, [&f] { return f.BackgroundForm() && f.BackgroundForm()->isVisible(); }},
        {"SyncOption", nullptr, [] { return Transport().SyncChecked; }},
        {"WAVonly", nullptr, [] { return AudioOutput().UseWAV.load(); }},
        {"MidiOnly", nullptr, [] { return MixSettings().UseMIDI.load(); }},
        {"ScopeLines1", nullptr, [&f] { return f.Prefs().ScopeStyle == 0; }},
        {"ScopeDots1", nullptr, [&f] { return f.Prefs().ScopeStyle == 1; }},
        {"ScopeColumns1", nullptr, [&f] { return f.Prefs().ScopeStyle == 2; }},
        {"ScopeCircle1", nullptr, [&f] { return f.Prefs().ScopeStyle == 3; }},
        {"ScopeFlower1", nullptr, [&f] { return f.Prefs().ScopeStyle == 4; }},
        {"ScopeStereo1", nullptr, [&f] { return f.Prefs().ScopeStereo; }},
        {"ShadeMenu", nullptr, [&f] { return f.Prefs().ScopeShade != 0; }},
    };
  }
  std::vector<TItemRule> PlaylistItemRules() {
    auto selection = [this] { return Song().Playlist.PlaylistSelection.Bottom >= 0; };
    return {{"CutMenu", selection, nullptr},
            {"CopyMenu", selection, nullptr},
            {"PasteMenu", [] { return !PlaylistClipboard().Empty(); }, nullptr}};
  }

  void CheckItems(const std::string& change, const std::string& window, const TActionTable& table,
                  const std::vector<TItemRule>& rules) {
    for (const auto& r : table.Rows()) {
      if (r->Kind != TActionKind::Item || !r->Action || !r->Action->isVisible() || !r->Handler) continue;
      const TItemRule* rule = nullptr;
      for (const TItemRule& candidate : rules)
        if (r->Id == candidate.Id) rule = &candidate;
      const bool enabled = !rule || !rule->Enabled || rule->Enabled();
      Expect(change, window + "." + r->Id + " enabled", B(r->Action->isEnabled()), B(enabled));
      if (rule && rule->Checked)
        Expect(change, window + "." + r->Id + " checked", B(r->Action->isChecked()), B(rule->Checked()));
    }
  }

  // The first failure of each control, and how many changes it failed after.
  void Expect(const std::string& change, const std::string& control, const QString& shown, const QString& model) {
    if (shown == model) return;
    for (auto& [name, text, count] : Failures)
      if (name == control) {
        ++count;
        return;
      }
    Failures.push_back({control, control + " after \"" + change + "\": shows \"" + shown.toStdString() +
                                     "\", model \"" + model.toStdString() + "\"",
                        1});
  }

  void CheckAll(const std::string& change) {
    Settle();
    for (const TControlRow& r : Controls()) {
      const QString shown = r.Shown();
      Expect(change, r.Name, shown, r.Model());
    }
    CheckItems(change, "VorbelStepsMainForm", Form->Actions(), MainItemRules());
    CheckItems(change, "PlayListForm", PlaylistActions(), PlaylistItemRules());
  }
  const TActionTable& PlaylistActions() { return W().PlayListForm->Actions(); }

  // ---------------------------------------------------------- the windows

  // Every window of the program opens (again), the tabbed ones on the
  // next page each time.
  int Round = 0;
  void OpenEveryWindow() {
    TVorbelStepsMainForm& f = *Form;
    TProgramWindows& w = W();
    if (!w.PlayListForm->isVisible()) f.PlayListMenuClick();
    if (!w.VisualForm->isVisible()) f.VisualMenuClick();
    if (!w.SampleListForm || !w.SampleListForm->isVisible()) f.SampleBrowserMenuClick();
    if (f.BottomToolWindow->isHidden()) f.HintpanelMenuClick();
    if (!w.PianoForm->isVisible()) f.ShowPianoForm(Round % 2 ? PianoGraphView : PianoKeyboardView);
    TMIDIForm& ps = *w.MIDIForm;
    TTab95Sheet* const programPages[] = {ps.MIDISheet, ps.WAVSheet, ps.GeneralSheet, ps.DirsSheet, ps.PluginsSheet,
                                         ps.LoopSheet};
    ps.ShowPageInBackground(programPages[Round % 6]);
    TSettingsForm& cs = *w.SettingsForm;
    if (!cs.isVisible()) {
      const int c = std::min(2, Song().ChannelCount() - 1);
      QTest::mouseClick(f.Rack().Rows()[size_t(c)].Name, Qt::LeftButton, {}, QPoint(4, 4));
    }
    if (auto* pages = Child<TPage95Control>(&cs, "SettingsPageControl")) {
      std::vector<TTab95Sheet*> visible;
      for (int i = 0; i < pages->PageCount(); ++i)
        if (pages->Page(i)->TabVisible()) visible.push_back(pages->Page(i));
      if (!visible.empty()) pages->SetActivePage(visible[size_t(Round) % visible.size()]);
    }
    if (!w.SetInfoForm->isVisible()) w.SetInfoForm->show();
    if (!w.InfoForm->isVisible()) w.InfoForm->ShowSongInfo(Song().Info);
    if (!f.TextViewer() || !f.TextViewer()->isVisible()) f.ContentsMenuClick();
    ++Round;
    Settle();
  }

  void Sweep(const std::vector<TChangeRow>& changes) {
    CheckAll("start");
    for (const TChangeRow& change : changes) {
      OpenEveryWindow();
      const std::vector<const TChannel*> before = ChannelList();
      const TChannel* pianoChannel = W().PianoForm->isVisible() ? Song().Channel(W().PianoForm->Channel()) : nullptr;
      const TChannel* settingsChannel = W().SettingsForm->isVisible() ? SettingsChannel() : nullptr;
      const TSong* song = &Song();
      change.Apply();
      CheckAll(change.Name);
      // A window that shows a channel keeps showing it while channels come
      // and go around it, and hides when it goes.
      if (&Song() == song && ChannelList() != before) {
        CheckFollows(change.Name, "PianoForm", pianoChannel, W().PianoForm,
                     [this] { return Song().Channel(W().PianoForm->Channel()); });
        CheckFollows(change.Name, "SettingsForm", settingsChannel, W().SettingsForm,
                     [this] { return SettingsChannel(); });
      }
    }
    for (const TFailure& failure : Failures)
      ADD_FAILURE() << failure.Text << (failure.Count > 1 ? " (and after " + std::to_string(failure.Count - 1) + " more)" : "");
  }
  std::vector<const TChannel*> ChannelList() {
    std::vector<const TChannel*> l;
    for (const auto& c : Song().Channels) l.push_back(c.get());
    return l;
  }
  QString ChannelName(const TChannel* c) {
    if (!c) return QStringLiteral("none");
    for (int i = 0; i < Song().ChannelCount(); ++i)
      if (Song().Channel(i) == c) return QStringLiteral("channel %1 \"%2\"").arg(i).arg(Q8(c->Name));
    return QStringLiteral("a deleted channel");
  }
  void CheckFollows(const std::string& change, const std::string& window, const TChannel* before, QWidget* w,
                    const std::function<const TChannel*()> now) {
    if (!before) return;
    const bool kept = ChannelName(before) != QStringLiteral("a deleted channel");
    const QString shown = w->isVisible() ? ChannelName(now()) : QStringLiteral("hidden");
    if (kept && !w->isVisible()) return;  // hiding is allowed
    Expect(change, window + ".Channel", shown, kept ? ChannelName(before) : QStringLiteral("hidden"));
  }
};

TEST_F(ViewSweep, EveryViewFollowsEveryChange) {
  Start({(Tmp / "Basic/Basic.zmp")});
  MakeOtherSong();
  TVorbelStepsMainForm& f = *Form;
  TProgramWindows& w = W();
  std::vector<TChangeRow> changes;
  auto change = [&changes](std::string name, std::function<void()> apply) {
    changes.push_back({std::move(name), std::move(apply)});
  };
  const std::string other = Tmp / "Other.zmp", package = Tmp / "Other.zip", basic = Tmp / "Basic/Basic.zmp";

  // Songs from every place they come from.
  change("open a song", [this, other] { Form->Commands().OpenSong(other); });
  change("Loop page: delay steps 256", [&w] { Child<TTrackSlider>(w.MIDIForm, "DelayDelaySlider")->ChangePosition(256); });
  change("open the kit again", [this, basic] { Form->Commands().OpenSong(basic); });
  change("open a package", [this, package] { Form->Commands().OpenSong(package); });
  change("the command line", [this, other] {
    Run->Program().ApplyCommandLine(ParseCommandLine({other, "/B177", "/P-3", "/V60", "/PAT"}), Form->Commands());
  });
  // (From here on every save asks for a render.)
  change("the command line /R", [this, other] {
    Run->Program().ApplyCommandLine(ParseCommandLine({other, "/R"}), Form->Commands());
  });
  change("File > New", [this] { Item("New1")->trigger(); });
  change("File > first recent file", [this] { Item("LastFile1")->trigger(); });
  change("File > DrumKits > first kit", [&f] {
    QMenu* kits = f.Actions().Menu("DrumKitsMenu");
    while (kits && !kits->actions().isEmpty() && kits->actions().front()->menu()) kits = kits->actions().front()->menu();
    if (kits && !kits->actions().isEmpty()) kits->actions().front()->trigger();
  });

  // Channels deleted, inserted, cloned, collapsed around the open windows.
  // (A click on a selected channel's button selects them all: Kick alone
  // is selected by way of the next one.)
  change("select Kick alone", [&f] {
    for (int row : {1, 0}) QTest::mouseClick(f.Rack().Rows()[size_t(row)].Select, Qt::LeftButton, {}, QPoint(3, 3));
  });
  change("Channels > Delete selected", [this] { Item("Deleteselected1")->trigger(); });
  change("select channel 1", [&f] { QTest::mouseClick(f.Rack().Rows()[1].Select, Qt::LeftButton, {}, QPoint(3, 3)); });
  change("Channels > Clone selected", [this] { Item("Cloneselected1")->trigger(); });
  // (The line menu selects its channel as it pops up.)
  change("line menu of channel 0", [&f] { f.PopupLineMenu(0, QPoint(0, 0)); });
  change("line menu: Insert channel > Drum", [this] { Item("Drum1")->trigger(); });
  change("line menu of channel 0 again", [&f] { f.PopupLineMenu(0, QPoint(0, 0)); });
  change("line menu: Delete channel", [this] { Item("DeleteChanMenu")->trigger(); });
  change("two samples dropped on the rack's first row", [&f, this] {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q8(Tmp / "Basic/Tom.wav")), QUrl::fromLocalFile(Q8(Tmp / "Basic/Rim.wav"))});
    QWidget* name = f.Rack().Rows()[0].Name;
    const QPoint at = name->mapTo(&f.Rack(), name->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&f.Rack(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&f.Rack(), &drop);
  });
  change("Channels > Zip selected", [this] { Item("Zipselected1")->trigger(); });
  change("Channels > Unzip all", [this] { Item("Unzipall1")->trigger(); });

  // Every other item of the main window's menus and popups, and the items
  // that show a window or a state once more to undo them.
  const std::set<std::string> special = {"ExitMenu", "Deleteselected1", "Cloneselected1", "Drum1", "DeleteChanMenu",
                                         "Zipselected1", "Unzipall1", "New1", "LastFile1", "WAVonly"};
  for (const auto& r : f.Actions().Rows()) {
    if (r->Kind != TActionKind::Item || !r->Handler || special.count(r->Id)) continue;
    const std::string id = r->Id;
    change("menu item " + id, [this, id] { Item(id.c_str())->trigger(); });
    if (r->Action->isCheckable()) change("menu item " + id + " again", [this, id] { Item(id.c_str())->trigger(); });
  }

  // The keys of the main window.
  struct TKeyRow {
    const char* Name;
    int Key;
    Qt::KeyboardModifiers Mods;
    bool Hold;  // pressed, then let go as a change of its own
  };
  const TKeyRow keys[] = {
      {"1", Qt::Key_1, {}, false},          {"Ctrl+2", Qt::Key_2, Qt::ControlModifier, false},
      {"Space", Qt::Key_Space, {}, false},  {"Space again", Qt::Key_Space, {}, false},
      {"L", Qt::Key_L, {}, false},          {"L again", Qt::Key_L, {}, false},
      {"keypad 3", Qt::Key_3, Qt::KeypadModifier, false}, {"keypad +", Qt::Key_Plus, Qt::KeypadModifier, false},
      {"keypad -", Qt::Key_Minus, Qt::KeypadModifier, false}, {"keypad *", Qt::Key_Asterisk, Qt::KeypadModifier, false},
      {"keypad /", Qt::Key_Slash, Qt::KeypadModifier, false}, {"Right", Qt::Key_Right, {}, false},
      {"Left", Qt::Key_Left, {}, false},    {"Down", Qt::Key_Down, {}, false},
      {"Up", Qt::Key_Up, {}, false},        {"Page Down", Qt::Key_PageDown, {}, false},
      {"Page Up", Qt::Key_PageUp, {}, false}, {"K", Qt::Key_K, {}, true},
      {"Shift", Qt::Key_Shift, {}, true},   {"V", Qt::Key_V, {}, true},
      {"P", Qt::Key_P, {}, true},           {"F", Qt::Key_F, {}, false},
  };
  for (const TKeyRow& k : keys) {
    change(std::string("key ") + k.Name, [&f, k] {
      QTest::keyPress(&f, Qt::Key(k.Key), k.Mods);
      if (!k.Hold) QTest::keyRelease(&f, Qt::Key(k.Key), k.Mods);
    });
    if (k.Hold) change(std::string("key ") + k.Name + " let go", [&f, k] { QTest::keyRelease(&f, Qt::Key(k.Key), k.Mods); });
  }

  // The playlist's gestures and keys.
  TPlayListForm& pl = *w.PlayListForm;
  TVekGrid& grid = pl.ListGridBit();
  auto cell = [&grid](int col, int row) { return grid.CellRect(col, row).center(); };
  auto drag = [&grid](Qt::MouseButton button, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
    QWidget* view = grid.viewport();
    QTest::mousePress(view, button, mods, from);
    QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, button, mods);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, button, mods, to);
  };
  auto playlistKey = [&pl](int key, Qt::KeyboardModifiers mods) {
    pl.activateWindow();
    if (!QTest::qWaitForWindowActive(&pl)) ADD_FAILURE() << "the playlist did not become active";
    QTest::keyClick(&pl, Qt::Key(key), mods);
  };
  change("playlist: the Edit button's menu", [&pl] { pl.InsBtn->OnClick(pl.InsBtn); });
  change("playlist: drag patterns in", [&, cell, drag] { drag(Qt::LeftButton, cell(2, 1), cell(2, 4)); });
  change("playlist: Ctrl+drag a loop", [&, cell, drag] { drag(Qt::LeftButton, cell(1, 1), cell(3, 3), Qt::ControlModifier); });
  // The keys do what their items do, in the playlist only.
  change("playlist: Ctrl+C", [this, playlistKey] {
    playlistKey(Qt::Key_C, Qt::ControlModifier);
    Expect("playlist: Ctrl+C", "PlaylistClipboard bars", N(PlaylistClipboard().Bars.size()), N(3));
  });
  change("playlist: Ctrl+V", [this, &grid, playlistKey] {
    grid.SetCol(5);
    grid.SetRow(8);
    const int steps = Form->StepEditMode();
    playlistKey(Qt::Key_V, Qt::ControlModifier);
    Expect("playlist: Ctrl+V", "bar 7 pasted", B(!Song().Playlist.PlaylistBars[7].empty()), B(true));
    Expect("playlist: Ctrl+V", "step edit mode", N(Form->StepEditMode()), N(steps));
  });
  change("playlist: Ctrl+X", [this, playlistKey] {
    playlistKey(Qt::Key_X, Qt::ControlModifier);
    Expect("playlist: Ctrl+X", "bar 0 cut", N(Song().Playlist.PlaylistBars[0].size()), N(0));
  });
  change("playlist: Insert", [playlistKey] { playlistKey(Qt::Key_Insert, {}); });
  change("playlist: Delete", [playlistKey] { playlistKey(Qt::Key_Delete, {}); });
  change("playlist: Ctrl+click the loop away", [&, cell] {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, cell(1, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, cell(1, 1));
  });
  change("playlist: header click edits pattern 4", [&, cell] { QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell(4, 0)); });
  change("playlist: right click moves the marker", [&, cell] { QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, cell(0, 3)); });
  change("a pattern named elsewhere", [this] { SetPatternName(Song(), 7, "A rather long pattern name"); });
  change("playlist: double click selects a bar", [&, cell] {
    testing::DoubleClick(grid.viewport(), Qt::LeftButton, cell(0, 2));
  });

  // The piano roll's and step graph's gestures.
  TPianoForm& piano = *w.PianoForm;
  auto pianoDrag = [](QWidget* box, Qt::MouseButton button, int from, int to, int y, Qt::KeyboardModifiers mods = {}) {
    auto at = [y](int step) { return QPoint(step * 16 + 8, y); };
    QTest::mousePress(box, button, mods, at(from));
    for (int s = from + 1; s <= to; ++s) {
      QMouseEvent move(QEvent::MouseMove, at(s), box->mapToGlobal(at(s)), Qt::NoButton, button, mods);
      QApplication::sendEvent(box, &move);
    }
    QTest::mouseRelease(box, button, mods, at(to));
  };
  change("piano: keys, left drag", [&piano, pianoDrag] {
    piano.SetViewMode(PianoKeyboardView);
    pianoDrag(piano.KeybBox, Qt::LeftButton, 1, 4, piano.KeybBox->height() - 5 * 56 - 12);
  });
  change("piano: keys, Ctrl drag", [&piano, pianoDrag] {
    pianoDrag(piano.KeybBox, Qt::LeftButton, 1, 1, piano.KeybBox->height() - 5 * 56 - 30, Qt::ControlModifier);
  });
  change("piano: keys, right drag", [&piano, pianoDrag] {
    pianoDrag(piano.KeybBox, Qt::RightButton, 2, 3, piano.KeybBox->height() - 5 * 56 - 12);
  });
  change("piano: graph, left drag", [&piano, pianoDrag] {
    piano.SetViewMode(PianoGraphView);
    pianoDrag(piano.DrawBox, Qt::LeftButton, 0, 5, 40);
  });
  change("piano: graph, right drag", [&piano, pianoDrag] { pianoDrag(piano.DrawBox, Qt::RightButton, 2, 7, 100); });
  change("piano: next lane", [&piano] { piano.FXSelect->ChangeValue(piano.FXSelect->Value() + 1, true); });

  // The channel settings window's controls.
  TSettingsForm& cs = *w.SettingsForm;
  for (const TChannelValueSpec& spec : ChannelValueSpecs())
    change(std::string("channel settings: ") + spec.Name, [&cs, &spec] {
      auto* c = Child<TValueControl>(&cs, spec.Name);
      c->ChangeValue(c->Value() == spec.Max ? spec.Min : c->Value() + (spec.Max - spec.Min) / 3 + 1, true);
    });
  for (const TChannelFlagSpec& spec : ChannelFlagSpecs())
    change(std::string("channel settings: ") + spec.Name, [&cs, &spec] { Child<QAbstractButton>(&cs, spec.Name)->click(); });
  for (const char* name : {"VolWheel", "PanWheel", "FXRouteSelect", "RevTypeSelect"})
    change(std::string("channel settings: ") + name, [&cs, name] {
      auto* c = Child<TValueControl>(&cs, name);
      c->ChangeValue(c->Value() == c->Max() ? c->Min() : c->Value() + 1, true);
    });
  for (const char* name : {"NoteSelect", "PatchSelect", "BankSelect", "CutSelect", "CutBySelect", "StretchSelect",
                           "EchoSelect", "CtrlNumSelect", "CtrlValSelect"})
    change(std::string("channel settings: ") + name, [&cs, name] { Child<TPickNum>(&cs, name)->UpClick(); });
  change("channel settings: ChanSelect", [&cs] {
    auto* box = Child<QComboBox>(&cs, "ChanSelect");
    box->setCurrentIndex((box->currentIndex() + 1) % box->count());
    emit box->activated(box->currentIndex());
  });
  change("channel settings: NameEdit", [&cs] {
    auto* edit = Child<QLineEdit>(&cs, "NameEdit");
    edit->setFocus();
    QTest::keyClicks(edit, "X");
  });
  change("channel settings: ChanList_Mix", [&cs] {
    auto* list = Child<QListWidget>(&cs, "ChanList_Mix");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  });
  change("channel settings: ChanList_Rand", [&cs] {
    auto* list = Child<QListWidget>(&cs, "ChanList_Rand");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, list->visualItemRect(list->item(2)).center());
  });
  change("rack: the shown channel's wheel", [&f, &cs] {
    TValueControl* wheel = f.Rack().Rows()[size_t(cs.Channel())].Wheel;
    wheel->ChangeValue(wheel->Value() > 20 ? wheel->Value() - 20 : 100, true);
  });
  change("channel settings: Page Down", [&cs] { QTest::keyClick(&cs, Qt::Key_PageDown); });
  change("line menu of channel 1", [&f] { f.PopupLineMenu(1, QPoint(0, 0)); });
  change("line menu: Insert channel > MB404", [this] { Item("MB4041")->trigger(); });
  change("name button of channel 1", [&f] { QTest::mouseClick(f.Rack().Rows()[1].Name, Qt::LeftButton, {}, QPoint(4, 4)); });
  for (const TSynthSlotSpec& spec : SynthSlotSpecs())
    change(std::string("channel settings: ") + spec.Name, [&cs, &spec] {
      if (auto* c = Child<TValueControl>(&cs, spec.Name))
        c->ChangeValue(c->Value() == c->Max() ? c->Min() : c->Value() + 1, true);
      else if (auto* b = Child<TMyTransButton>(&cs, spec.Name))
        b->Click();
    });

  // The program settings window's controls.
  TMIDIForm& ps = *w.MIDIForm;
  for (const char* name : {"PatLengthSelect", "RepeatBlockSelect", "DelayFeedWheel", "DelayPanWheel", "DelayVolWheel",
                           "DelayDelaySlider", "SyncDelaySelect"})
    change(std::string("program settings: ") + name, [&ps, name] {
      if (auto* c = Child<TValueControl>(&ps, name))
        c->ChangeValue(c->Value() == c->Max() ? c->Min() : c->Value() + 5, true);
      else if (auto* p = Child<TPickNum>(&ps, name))
        p->UpClick();
    });
  for (const char* name : {"Bank32Button", "Bank0Button", "SurroundBox", "IPBox", "CRBox", "EasyMoveBox", "ArrangeBox",
                           "SplashBox", "MouseBtnBox", "AutoMaximizeBox", "InvertChanBox", "StopAtBottomBox",
                           "NoDirBox", "FullHeightBox", "AdjustChanNameBox", "PreviewWAVBox"})
    change(std::string("program settings: ") + name, [&ps, name] { Child<QAbstractButton>(&ps, name)->click(); });
  change("program settings: Info", [&ps] { Child<QAbstractButton>(&ps, "InfoBtn")->click(); });

  // The song information editor.
  change("song info: title", [&w] {
    w.SetInfoForm->TitleEdit->setFocus();
    QTest::keyClicks(w.SetInfoForm->TitleEdit, " Night");
  });
  change("song info: address", [&w] { QTest::keyClicks(w.SetInfoForm->URLEdit, "https://example.org"); });
  change("song info: show it on open", [&w] { w.SetInfoForm->ShowInfoBox->click(); });

  // The language, with the pointer resting on the tempo display.
  change("hover the tempo display", [&f] {
    QTest::mouseMove(f.BPMDig, QPoint(3, 3));
    f.Hint95->ShowHintFor(f.BPMDig, f.BPMDig->mapToGlobal(QPoint(3, 3)));
  });
  for (int language : {LangFrench, LangDutch, LangEnglish})
    change("language " + std::to_string(language), [&ps, language] {
      auto* box = Child<QComboBox>(&ps, "LanguageBox");
      box->setCurrentIndex(language);
      emit box->activated(language);
    });

  Sweep(changes);
}

}  // namespace
}  // namespace vs
