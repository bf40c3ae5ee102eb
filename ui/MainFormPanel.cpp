// The main window's remote panel: transport keys, the pattern and tempo
// selectors with their displays, the edit-mode keys, the scope with its
// level meter, the sync lamp and the five master faders. Each control shows
// the song or the transport and changes them through the sequencer's
// commands; the style gives them their places and pictures.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

#include "controls/MeroUpDown.h"
#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/QuickPaintBox.h"
#include "controls/RCADigital.h"
#include "controls/Selector.h"
#include "controls/TrackSlider.h"
#include "controls/WAVScope.h"
#include "core/MasterClock.h"
#include "core/MasterValues.h"
#include "core/PatternCommands.h"
#include "editors/Snow.h"
#include "engine/EngineListener.h"
#include "engine/Mixer.h"
#include "engine/MixThread.h"
#include "framework/MLang.h"
#include "framework/Skin.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "ui/SkinPic.h"
#include "ui/VorbelStepsMainForm.h"

#include <QScreen>

namespace vs {

namespace {

// Sizes the controls take where the style places none.
constexpr int DigitPlaces = 3;

TMyTransButton* PanelButton(QWidget* parent, const char* name, bool stayDown) {
  auto* b = new TMyTransButton(parent);
  b->setObjectName(name);
  b->SetOptions(tbHasDownGlyph);
  b->StayDown = stayDown;
  b->resize(24, 18);
  return b;
}

}  // namespace

void TVorbelStepsMainForm::BuildRemotePanel() {
  QWidget* panel = MenuPic;

  // The logo: the window is dragged by it.
  LogoZone = new QWidget(panel);
  LogoZone->setObjectName("LogoZone");
  LogoZone->resize(112, 26);
  LogoZone->installEventFilter(this);

  // Transport.
  StartButton = PanelButton(panel, "StartButton", true);
  StartButton->OnClick = [this](QWidget*) {
    StartButtonClick(StartButton->Down(), true);
    if (!IsPlaying()) Rack().HidePlaySteps();
    ShowTransport();
  };
  StartButton->OnMouseDown = [this](QWidget*, const TMouseInfo& m) {
    // A right click plays or stops as a program's call: a stop keeps the
    // position.
    if (m.Button == Qt::RightButton) TogglePlayback(false);
  };
  LoopButton = PanelButton(panel, "LoopButton", true);
  LoopButton->OnClick = [this](QWidget*) { LoopButtonClick(LoopButton->Down()); };
  LoopButton->OnMouseDown = [this](QWidget*, const TMouseInfo& m) {
    // A right click shows or hides the playlist, as its menu item.
    if (m.Button != Qt::RightButton) return;
    if (QAction* item = MenuActions.Action("PlayListMenu"); item && item->isEnabled()) item->trigger();
  };

  // Edit modes and the piano window's two views.
  FXVolBtn = PanelButton(panel, "FXVolBtn", true);
  FXVolBtn->OnClick = [this](QWidget*) { SetStepEditMode(FXVolBtn->Down() ? EditPanVol : EditSteps); };
  FXPitchBtn = PanelButton(panel, "FXPitchBtn", true);
  FXPitchBtn->OnClick = [this](QWidget*) { SetStepEditMode(FXPitchBtn->Down() ? EditPitchMix : EditSteps); };
  FXDrawBtn = PanelButton(panel, "FXDrawBtn", true);
  FXDrawBtn->OnClick = [this](QWidget*) { SetPianoButton(FXDrawBtn, FXDrawBtn->Down()); };
  FXNoteBtn = PanelButton(panel, "FXNoteBtn", true);
  FXNoteBtn->OnClick = [this](QWidget*) { SetPianoButton(FXNoteBtn, FXNoteBtn->Down()); };

  // The pattern: up-down, digits and pad.
  PatNumDig = new TRCADigital(panel);
  PatNumDig->setObjectName("PatNumDig");
  PatNumDig->SetFormatWidth(DigitPlaces);
  PatUpDown = new TMeroUpDown(panel);
  PatUpDown->setObjectName("PatUpDown");
  PatUpDown->resize(15, 26);
  // The window's up-downs drag slowly: 16 pixels are 4 patterns.
  PatUpDown->MoveSpeed = 4;
  PatUpDown->SetMin(1);
  PatUpDown->SetMax(MaxPattern);
  PatUpDown->ChangeValue(CurrentSong().CurrentPattern, false);
  PatUpDown->OnChange = [this](QWidget*) { PatUpDownChange(); };
  PatPad = new TSelector(panel);
  PatPad->setObjectName("PatPad");
  PatPad->resize(45, 39);
  // Patterns from 10 on light no cell.
  PatPad->SetMin(-3 * MaxPattern);
  PatPad->SetMax(8);
  PatPad->OnChange = [this](QWidget*) {
    if (PatPad->Value() >= 0) PatUpDown->SetValue(PatternOfPadCell(PatPad->Value()));
  };

  // The tempo: up-down, digits, and the tempo menu on the digits.
  BPMDig = new TRCADigital(panel);
  BPMDig->setObjectName("BPMDig");
  BPMDig->SetFormatWidth(DigitPlaces);
  BPMDig->OnMouseDown = [this](QWidget*, const TMouseInfo&) {
    TempoMenu()->popup(BPMDig->mapToGlobal(QPoint(0, BPMDig->height())));
  };
  BPMUpDown = new TMeroUpDown(panel);
  BPMUpDown->setObjectName("BPMUpDown");
  BPMUpDown->resize(15, 26);
  BPMUpDown->MoveSpeed = 4;
  BPMUpDown->SetMin(MinBPM);
  BPMUpDown->SetMax(MaxBPM);
  BPMUpDown->ChangeValue(CurrentSong().BPM, false);
  // The displays follow the song's tempo.
  BPMUpDown->OnChange = [this](QWidget*) { ChangeTempo(BPMUpDown->Value()); };

  // The sync lamp: off, beat, bar.
  MIDISyncLED = new TQuickPaintBox(panel);
  MIDISyncLED->setObjectName("MIDISyncLED");
  MIDISyncLED->resize(9, 9);
  MIDISyncLED->OnPaint = [](QWidget* lamp, TCanvas& canvas) {
    const TImageList& images = Skin().MIDISyncIL;
    const int tag = std::clamp(Sync().Led.load(), 0, 2);
    if (tag < images.Count()) {
      images.Draw(canvas, 0, 0, tag);
      return;
    }
    canvas.Painter().fillRect(lamp->rect(), tag == 2 ? QColor(255, 70, 50) : tag == 1 ? QColor(240, 168, 60)
                                                                                    : QColor(40, 30, 22));
  };

  // The output scope and its level meter.
  MixScope = new TWAVScope(panel);
  MixScope->setObjectName("MixScope");
  MixScope->resize(112, 58);
  MixScope->PopupMenu = ScopeMenu();
  MixScope->OnMouseDown = [this](QWidget*, const TMouseInfo& m) {
    // A left click moves on to the next draw style.
    if (m.Button != Qt::LeftButton) return;
    Preferences.ScopeStyle = (Preferences.ScopeStyle + 1) % (MaxScopeStyle + 1);
    ScopeUpdate();
  };
  ScopeButton = PanelButton(panel, "ScopeButton", true);
  ScopeButton->SetDown(Preferences.ScopeEnabled);
  ScopeButton->OnClick = [this](QWidget*) { ScopeButtonClick(); };
  MixVolumeter = new TWAVVolumeter(panel);
  MixVolumeter->setObjectName("MixVolumeter");
  MixVolumeter->resize(84, 10);
  MixVolumeter->SetSnap(4);

  BuildMasterSliders();
}

void TVorbelStepsMainForm::BuildMasterSliders() {
  const char* const names[] = {"MainVolSlider", "ShuffleSlider", "MainPitchSlider", "MainResoSlider",
                               "MainCutOffSlider"};
  for (int i = 0; i < MasterSliderCount; ++i) {
    const auto which = static_cast<TMasterSlider>(i);
    auto* slider = new TTrackSlider(MenuPic);
    slider->setObjectName(names[i]);
    slider->resize(20, 76);
    slider->SetOrientation(Qt::Vertical);
    slider->SetSideGap(0);
    slider->SetCanGetFocus(false);
    const TMasterSliderRange r = MasterSliderRange(which);
    // The range first: setting it is no move of the user's.
    slider->SetMin(r.Min);
    slider->SetMax(r.Max);
    slider->SetFrequency(std::max(1, (r.Max - r.Min) / 8));
    slider->LineSize = std::max(1, (r.Max - r.Min) / 64);
    slider->PageSize = std::max(1, (r.Max - r.Min) / 8);
    // The reset gesture returns to a new song's value.
    slider->SetDefaultPosition(MasterSliderDefault(which));
    slider->OnChange = [this, which](QWidget*) { MasterSliderChange(which); };
    MasterSliders[i] = slider;
  }
}

namespace {

// The scope's picture for the snow.
class TScopeSnowCanvas : public TSnowCanvas {
public:
  explicit TScopeSnowCanvas(QImage& picture) : Picture(picture) {}
  int Width() const override { return Picture.width(); }
  int Height() const override { return Picture.height(); }
  uint32_t GetPixel(int x, int y) const override {
    return reinterpret_cast<const uint32_t*>(Picture.constScanLine(y))[x] & 0xFFFFFF;
  }
  void SetPixel(int x, int y, uint32_t rgb) override {
    reinterpret_cast<uint32_t*>(Picture.scanLine(y))[x] = 0xFF000000u | rgb;
  }

private:
  QImage& Picture;
};

}  // namespace

void TVorbelStepsMainForm::MixScopePaint(QImage& picture) {
  if (!ScopeSnow) return;
  if (ScopeSnow->Width() != MixScope->width() || ScopeSnow->Height() != MixScope->height())
    ScopeSnow->InitSnow(MixScope->width(), MixScope->height());
  TScopeSnowCanvas canvas(picture);
  ScopeSnow->DrawPile(canvas);
  ScopeSnow->MoveSnow();
  ScopeSnow->DrawSnow(canvas);
}

void TVorbelStepsMainForm::ApplyPanelPictures() {
  TSkin& skin = Skin();
  // Glyphs of the style; a style without one keeps the button's own look.
  const std::pair<TMyTransButton*, const QImage*> glyphs[] = {
      {StartButton, &skin.PlayBtnGlyph}, {LoopButton, &skin.LoopBtnGlyph}, {ScopeButton, &skin.ScopeMuteGlyph}};
  for (auto [button, glyph] : glyphs) {
    if (glyph->isNull()) {
      button->SetStyle(TBtnFrameStyle::FS_Vek3D);
      continue;
    }
    button->SetStyle(TBtnFrameStyle::FS_Bitmap);
    button->SetNumGlyphs(2);
    button->SetGlyph(*glyph);
  }
  TMyTransButton* const fx[] = {FXVolBtn, FXPitchBtn, FXDrawBtn, FXNoteBtn};
  for (int i = 0; i < 4; ++i) {
    const bool bitmap = skin.FXBtnIL.Count() >= 8;
    fx[i]->SetStyle(bitmap ? TBtnFrameStyle::FS_Bitmap : TBtnFrameStyle::FS_Vek3D);
    fx[i]->SetImList(bitmap ? &skin.FXBtnIL : nullptr);
    fx[i]->SetILIndex(bitmap ? 2 * i : 0);
    if (bitmap) fx[i]->resize(skin.FXBtnIL.Width(), skin.FXBtnIL.Height());
  }
  if (!skin.PatPadGlyph.isNull()) PatPad->SetGlyph(skin.PatPadGlyph);
  for (TMeroUpDown* upDown : {PatUpDown, BPMUpDown}) upDown->SetImList(skin.UpDownIL.Empty() ? nullptr : &skin.UpDownIL);
  for (TRCADigital* digits : {PatNumDig, BPMDig}) digits->SetImList(skin.LCDIL.Empty() ? nullptr : &skin.LCDIL);
  MIDISyncLED->update();
  // The scope draws over the panel's glass; its colours are the style's.
  const TStyle& style = skin.Style;
  MixScope->SetTraceColors(0, style.ScopeCol[0], style.ScopeCol[1]);
  MixScope->SetTraceColors(1, style.ScopeCol[2], style.ScopeCol[3]);
  const QImage glass = skin.PanelUnder(QStringLiteral("MixScope"));
  MixScope->SetBackground(glass.isNull() ? QImage(MixScope->size(), QImage::Format_RGB32) : glass);
  if (style.ScopeFX) {
    ScopeSnow = std::make_unique<TSnow>(ProgramRandom);
    ScopeSnow->InitSnow(MixScope->width(), MixScope->height());
    MixScope->OnPaint = [this](TWAVScope&, QImage& picture) { MixScopePaint(picture); };
  } else {
    MixScope->OnPaint = nullptr;
    ScopeSnow.reset();
  }
  MixVolumeter->SetImages(skin.VolumeterIL.Empty() ? nullptr : &skin.VolumeterIL);
  // The faders: their caps, and the panel under them as their background.
  for (int i = 0; i < MasterSliderCount; ++i) {
    TTrackSlider* slider = MasterSliders[i];
    slider->SetKnobIL(skin.VolSliderIL.Empty() ? nullptr : &skin.VolSliderIL);
    const QImage under = skin.PanelUnder(slider->objectName());
    SliderBacks[i].Reset(under.width(), under.height());
    if (!under.isNull()) SliderBacks[i].Add(under);
    slider->SetBackIL(SliderBacks[i].Empty() ? nullptr : &SliderBacks[i]);
    slider->update();
  }
  ShowPatternNumber();
  ShowTempo();
  ScopeUpdate();
}

// ---------------------------------------------------------------- pattern

void TVorbelStepsMainForm::PatUpDownChange() {
  // The displays and the rows follow the song's current pattern.
  const int v = PatUpDown->Value();
  const bool changed = v != CurrentSong().CurrentPattern;
  SelectPatternFromSelector(v);
  if (!changed) return;
  const std::string& name = CurrentSong().PatternNames[static_cast<size_t>(v)].Name;
  ShowInfo(name);
}

void TVorbelStepsMainForm::SelectPattern(int pattern) { PatUpDown->SetValue(pattern); }

void TVorbelStepsMainForm::ShowPatternNumber() {
  const int v = CurrentSong().CurrentPattern;
  PatUpDown->ChangeValue(v, false);
  PatNumDig->SetValue(v);
  PatPad->SetValue(PatternPadCell(v));
}

void TVorbelStepsMainForm::ShowPatternView() {
  const TPatternView& view = PatternView();
  const bool wasFull = height() >= FullHeight();
  const bool shown = view.ScrollerShown;
  if (PatternScroller->isHidden() == shown) {
    PatternScroller->setVisible(shown);
    UpdateHeightLimits();
    // A window at full height grows by the scroller.
    if (shown && wasFull) SetFormHeight(FullHeight());
  }
  PatternScroller->SetRange(0, std::max(0, view.ScrollerMax));
  PatternScroller->SetPosition(view.FirstVisibleStep);
  const char* const lengthIds[] = {"N16notes1", "N16notes2", "N64notes1"};
  for (int i = 0; i < 3; ++i)
    if (QAction* item = MenuActions.Action(lengthIds[i]))
      item->setChecked(PatternLengthMenu[i].Tag == CurrentSong().PatternLength());
  Rack().ArrangeChannels();
  Rack().ShowPattern();
}

// ---------------------------------------------------------------- tempo

void TVorbelStepsMainForm::SetTempoControl(int bpm) { BPMUpDown->SetValue(bpm); }

void TVorbelStepsMainForm::ShowTempo() {
  const int bpm = CurrentSong().BPM;
  BPMUpDown->ChangeValue(bpm, false);
  BPMDig->SetValue(bpm);
}

// ---------------------------------------------------------------- master faders

void TVorbelStepsMainForm::ShowMasterValues() {
  const TSong& song = CurrentSong();
  for (int i = 0; i < MasterSliderCount; ++i)
    MasterSliders[i]->SetPosition(MasterSliderPosition(song, static_cast<TMasterSlider>(i)));
  ApplyMasterFilter(song);
}

void TVorbelStepsMainForm::MasterSliderChange(TMasterSlider slider) {
  // Only gestures and keys of the user come here: the song is modified.
  TTrackSlider* control = MasterSliders[slider];
  const int position = control->Position();
  TSong& song = CurrentSong();
  MasterSliderMoved(song, slider, position, true);
  const std::string hint = HintShort(control);
  switch (slider) {
    case MainVolSlider: ShowPercentInfo(hint, song.MasterVolume.load(), control->Max()); break;
    case ShuffleSlider: ShowInfo(SwingInfo(song.MasterSwing.load(), hint)); break;
    case MainPitchSlider: ShowInfo(PitchInfo(song.MasterPitch.load(), hint)); break;
    case MainResoSlider:
    case MainCutOffSlider: ShowSliderPercentInfo(position, control->Max()); break;
  }
}

// ---------------------------------------------------------------- scope and lamp

void TVorbelStepsMainForm::ScopeButtonClick() {
  Preferences.ScopeEnabled = ScopeButton->Down();
  const bool lamps = Windows().VisualForm && Windows().VisualForm->isVisible();
  if (Preferences.ScopeEnabled || lamps)
    StartScopeThread();
  else
    StopScopeThread();
  ScopeUpdate();
}

namespace {

// The silent frames a scope paints before it rests: one clears the trace;
// with a trail, as many as the old picture needs to fade into the
// background (its weight falls by trail/256 a frame).
int QuietFramesToClear(int trail) {
  if (trail <= 0) return 1;
  if (trail >= 256) return 1;  // a trail that never fades: nothing moves
  int frames = 1;
  for (double left = 255.0; left >= 0.5 && frames < 64; ++frames) left *= trail / 256.0;
  return frames;
}

// The display's frame, in nanoseconds.
qint64 DisplayFrameNs(const QWidget& w) {
  const QScreen* screen = w.screen();
  const double rate = screen && screen->refreshRate() >= 1.0 ? screen->refreshRate() : 60.0;
  return qint64(1e9 / std::min(rate, 240.0));
}

}  // namespace

bool TVorbelStepsMainForm::ScopeShowing() const {
  return isVisible() && !isMinimized() && MixScope->isVisible();
}

void TVorbelStepsMainForm::ScopeUpdate() {
  MixScope->SetStyle(static_cast<TScopeStyle>(std::clamp(Preferences.ScopeStyle, 0, MaxScopeStyle)));
  MixScope->SetStereo(Preferences.ScopeStereo);
  MixScope->SetTrailWeight(Preferences.ScopeShade);
  // The scope menu's marks show the settings.
  const char* const styleIds[] = {"ScopeLines1", "ScopeDots1", "ScopeColumns1", "ScopeCircle1", "ScopeFlower1"};
  for (int i = 0; i < 5; ++i)
    if (QAction* item = MenuActions.Action(styleIds[i])) item->setChecked(Preferences.ScopeStyle == i);
  if (QAction* item = MenuActions.Action("ScopeStereo1")) item->setChecked(Preferences.ScopeStereo);
  if (QAction* item = MenuActions.Action("ShadeMenu")) item->setChecked(Preferences.ScopeShade != 0);
  // The scope thread's reports count again, all of them.
  ReportAllScopeOutput();
  ReleaseAsyncUpdates(AsyncScope);
  ScopeQuietFrames = 0;
  ScopeResting = false;
  if (ScopeShowing()) ShowScopeOutput(true);
}

bool TVorbelStepsMainForm::ScopeOutputReported() {
  if (!ScopeShowing()) return false;
  // One frame of the display at most; the next report brings newer output.
  if (ScopePainted.isValid() && ScopePainted.nsecsElapsed() < DisplayFrameNs(*this)) return true;
  ShowScopeOutput(false);
  return true;
}

void TVorbelStepsMainForm::ShowScopeOutput(bool always) {
  const bool on = ScopeButton->Down() && AudioOutput().OutputOpen.load();
  int left = 0, right = 0;
  int got = 0;
  if (on) {
    // The frames being heard, from the output's buffer, into the frames the
    // scope shows (their memory made only when the output's scope grows).
    const int frames = std::max<int>(AudioOutput().ScopeSample.Length, 1);
    ScopeFrames.Data.resize(size_t(frames) * 2);
    got = ReadHeardOutput(ScopeFrames.Data.data(), frames);
    const int16_t* f = ScopeFrames.Data.data();
    for (int i = 0; i < got; ++i) {
      left = std::max(left, std::abs(int(f[2 * i])));
      right = std::max(right, std::abs(int(f[2 * i + 1])));
    }
  }
  ScopeFrames.Data.resize(size_t(got) * 2);
  ScopeFrames.Length = got;
  // The meter falls back slowly and jumps up at once.
  LevelLeft = std::max(std::min(left, 32767), LevelLeft * 7 / 8);
  LevelRight = std::max(std::min(right, 32767), LevelRight * 7 / 8);
  if (!on) LevelLeft = LevelRight = 0;
  // Only the parts of the meter and the scope that change are painted.
  MixVolumeter->SetLevels(LevelLeft, LevelRight);

  // Silence draws the same flat frame again: after the frames that clear
  // the picture, nothing changes.
  const bool cleared = ScopeQuietFrames >= QuietFramesToClear(MixScope->TrailWeight());
  ScopeResting = on && left == 0 && right == 0 && cleared && LevelLeft == 0 && LevelRight == 0;
  const bool frame = left != 0 || right != 0 || always || !cleared;
  if (frame) {
    ScopeQuietFrames = left == 0 && right == 0 ? ScopeQuietFrames + 1 : 0;
    MixScope->SetSample(got > 0 ? &ScopeFrames : nullptr);
    MixScope->NextFrame();
    ScopePainted.start();
  }
}

void TVorbelStepsMainForm::SyncLampUpdate() {
  if (!MIDISyncLED) return;
  MIDISyncLED->setVisible(Transport().SyncLedVisible);
  MIDISyncLED->QuickPaint();
}

// ---------------------------------------------------------------- edit modes

void TVorbelStepsMainForm::SetStepEditMode(int mode) {
  mode = std::clamp(mode, 0, 2);
  if (mode == StepEditMode()) return;
  Rack().SetStepEditMode(mode);
  const bool pianoShown = PianoShown && PianoShown();
  if (mode == EditSteps && !pianoShown) RestoreCursor();
  FXVolBtn->SetDown(mode == EditPanVol);
  FXPitchBtn->SetDown(mode == EditPitchMix);
}

int TVorbelStepsMainForm::StepEditMode() const { return ChannelRack->Shared().StepEditMode; }

void TVorbelStepsMainForm::SetPianoButton(TMyTransButton* button, bool down) {
  button->SetDown(down);
  if (down) {
    if (OnShowPiano) OnShowPiano(button == FXDrawBtn);
    return;
  }
  if (OnHidePiano) OnHidePiano();
  if (StepEditMode() == EditSteps) RestoreCursor();
}

void TVorbelStepsMainForm::RestoreCursor() {
  unsetCursor();
  FLineCursor = false;
}

}  // namespace vs
