// The channel settings window's synthesizer, pitch, delay and mix pages.

#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "controls/Keyboard.h"
#include "controls/MyTransBtn.h"
#include "controls/PickNum.h"
#include "controls/Selector.h"
#include "controls/TrackSlider.h"
#include "controls/WAVWheel.h"
#include "core/ChannelFiles.h"
#include "editors/ChannelPanel.h"
#include "editors/SettingsForm.h"
#include "engine/Mixer.h"
#include "framework/HintLayout.h"
#include "framework/MLang.h"
#include "framework/Tab95.h"
#include "toolbox/MLBase.h"

namespace vs {

namespace {

// Where a control of the synthesizer page sits, with its label.
struct TSynthPlace {
  int Slot;
  int X, Y;
  const char* Label;
};

constexpr int RowA = 4, RowB = 82, RowC = 160;
constexpr int Body = 22;  // wheels below a well's title row

const TSynthPlace SynthPlaces[] = {
    // Oscillators: shape in the title row, then coarse, fine, pulse width.
    {11, 4 + 48, RowA + 4, nullptr}, {3, 4 + 12, RowA + Body, "COARSE"}, {5, 4 + 62, RowA + Body, "FINE"},
    {7, 4 + 112, RowA + Body, "PW"},
    {12, 160 + 48, RowA + 4, nullptr}, {4, 160 + 12, RowA + Body, "COARSE"}, {6, 160 + 62, RowA + Body, "FINE"},
    {8, 160 + 112, RowA + Body, "PW"},
    // Modulation: the sync switch in the title row, mix, FM, ring.
    {9, 316 + 98, RowA + 5, nullptr}, {14, 316 + 10, RowA + Body, "MIX"}, {29, 316 + 58, RowA + Body, "FM"},
    {30, 316 + 106, RowA + Body, "RING"},
    // Filter: type, cutoff, resonance, envelope.
    {13, 4 + 94, RowB + 4, nullptr}, {18, 4 + 12, RowB + Body, "CUTOFF"}, {19, 4 + 62, RowB + Body, "RESO"},
    {20, 4 + 112, RowB + Body, "ENV"},
    // Distortion: type, amount, threshold.
    {15, 160 + 80, RowB + 4, nullptr}, {16, 160 + 24, RowB + Body, "AMOUNT"}, {17, 160 + 90, RowB + Body, "THRESH"},
    // LFO: target, amount, speed, shape.
    {23, 316 + 44, RowB + 4, nullptr}, {21, 316 + 8, RowB + Body, "AMOUNT"}, {22, 316 + 57, RowB + Body, "SPEED"},
    {24, 316 + 94, RowB + 24, "SHAPE"},
    // Envelope and step.
    {31, 4 + 18, RowC + Body, "ATTACK"}, {32, 4 + 78, RowC + Body, "DECAY"}, {33, 4 + 138, RowC + Body, "RELEASE"},
    {34, 4 + 198, RowC + Body, "SUSTAIN"}, {35, 4 + 258, RowC + Body, "LEVEL"},
    {36, 316 + 26, RowC + Body, "GATE"}, {37, 316 + 92, RowC + Body, "DELAY"},
};

struct TSynthWell {
  QRect Box;
  const char* Name;
  const char* Title;
};
const TSynthWell SynthWells[] = {
    {{4, RowA, 152, 74}, "Osc1Title", "OSC 1"},    {{160, RowA, 152, 74}, "Osc2Title", "OSC 2"},
    {{316, RowA, 144, 74}, "ModTitle", "MOD"},      {{4, RowB, 152, 74}, "FilterTitle", "FILTER"},
    {{160, RowB, 152, 74}, "DistTitle", "DRIVE"},   {{316, RowB, 144, 74}, "LFOTitle", "LFO"},
    {{4, RowC, 308, 74}, "EnvTitle", "ENVELOPE"},   {{316, RowC, 144, 74}, "StepTitle", "STEP"},
};

const char* SelectorGlyph(int slot, int& cols, int& rows) {
  rows = 1;
  switch (slot) {
    case 11:
    case 12: cols = 5; return "OscShape";
    case 13: cols = 2; return "FilterType";
    case 15: cols = 3; return "DistType";
    case 23: cols = 4; return "LFOTarget";
    default: cols = 2; rows = 2; return "LFOShape";
  }
}

}  // namespace

// ---------------------------------------------------------------- MB404

void TSettingsForm::BuildSynthPage(TTab95Sheet* sheet) {
  TPanelFace* face = PageFace(sheet);
  for (const TSynthWell& w : SynthWells) {
    face->AddWell(w.Box);
    PanelLabel(face, w.Name, w.Title, QRect(w.Box.left() + 8, w.Box.top() + 6, w.Box.width() - 16, 12),
               Qt::AlignLeft | Qt::AlignTop,
               true);
  }
  for (const TSynthPlace& place : SynthPlaces) {
    const TSynthSlotSpec* spec = nullptr;
    for (const TSynthSlotSpec& s : SynthSlotSpecs())
      if (s.Slot == place.Slot) spec = &s;
    if (!spec) continue;
    QWidget* control = nullptr;
    if (spec->Kind == TSynthControl::Wheel) {
      TWAVWheel* w = MakeWheel(face, spec->Name, spec->Hint, spec->Min, spec->Max, spec->Default, SynthWheels);
      w->move(place.X, place.Y);
      w->OnChange = [this, w, spec](QWidget*) {
        const int v = w->Value();
        Apply([v, spec](TSong& s, int i) { SetSynthControl(s, i, *spec, v); });
        // Named by its hint in the program's language.
        const QString caption = w->statusTip().isEmpty() ? w->Hint() : w->statusTip();
        Info(SynthWheelInfo(*spec, v, LongHint(caption.toStdString())));
      };
      control = w;
    } else if (spec->Kind == TSynthControl::Selector) {
      int cols = 1, rows = 1;
      const char* glyph = SelectorGlyph(spec->Slot, cols, rows);
      TSelector* s = MakeSelector(face, spec->Name, glyph, cols, rows);
      s->SetHint(spec->Hint);
      s->move(place.X, place.Y);
      s->SetValue(spec->Default);
      s->OnChange = [this, s, spec](QWidget*) {
        const int v = s->Value();
        Apply([v, spec](TSong& song, int i) { SetSynthControl(song, i, *spec, v); });
      };
      control = s;
    } else {
      TMyTransButton* b = MakeButton(face, spec->Name, "SYNC", QRect(place.X, place.Y, 38, 14), 8);
      b->StayDown = true;
      b->SetHint(QString::fromUtf8(spec->Hint).replace("&&", "&"));
      b->OnClick = [this, b, spec](QWidget*) {
        const int v = b->Down() ? 1 : 0;
        Apply([v, spec](TSong& s, int i) { SetSynthControl(s, i, *spec, v); });
      };
      control = b;
    }
    SynthControls.push_back({control, spec});
    if (place.Label) {
      const QRect box = control->geometry();
      const std::string name = std::string(spec->Name) + "Label";
      QLabel* label = PanelLabel(face, "", place.Label, QRect(box.center().x() - 29, box.bottom() + 3, 59, 12));
      label->setObjectName(QString::fromStdString(name));
    }
  }
}

void TSettingsForm::FillSynthPage(const TChannel& c) {
  for (auto& [control, spec] : SynthControls) {
    const int v = SynthControlValue(*c.Synth, *spec);
    if (auto* value = qobject_cast<TValueControl*>(control))
      value->SetValue(v);
    else if (auto* button = qobject_cast<TMyTransButton*>(control))
      button->SetDown(v != 0);
  }
}

// ---------------------------------------------------------------- PITCH

void TSettingsForm::BuildPitchPage(TTab95Sheet* sheet) {
  TPanelFace* face = PageFace(sheet);
  face->AddWell(QRect(4, 4, 456, 206));
  MakeFlagBox(face, "PitchableBox", "Pitchable", QRect(14, 12, 150, 15))->setToolTip("Modified by the main pitch?");

  KeybTab = new TTab95Control(face);
  KeybTab->setObjectName("KeybTab");
  KeybTab->Tabs().Add("Middle note");
  KeybTab->SetTabIndex(0);
  KeybTab->setGeometry(10, 34, 444, 150);
  KeybTab->SetTabInactiveColor(panel::InactiveTab);
  QPalette tabs = KeybTab->palette();
  tabs.setColor(QPalette::Highlight, panel::Amber);
  KeybTab->setPalette(tabs);
  KeybTab->SetTabInactiveFontColor(panel::Label);
  KeybTab->OnChange = [this](QWidget*) { UpdatePitchPage(); };

  // The keyboard in the tab's page area, scrolled to where the middle keys
  // are.
  auto* scroll = new QScrollArea(KeybTab);
  scroll->setObjectName("KeyboardScroll");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const TRect area = KeybTab->DisplayRect();
  scroll->setGeometry(area.Left + 3, area.Top + 3, area.Right - area.Left - 6, area.Bottom - area.Top - 6);
  MIDIKeyboard = new TKeys;
  MIDIKeyboard->setObjectName("MIDIKeyboard");
  MIDIKeyboard->setAccessibleName("Keyboard");
  MIDIKeyboard->SetBaseOctave(0);
  MIDIKeyboard->SetNoteWidth(10);
  MIDIKeyboard->SetWhiteBrush(0xE8ECEE);
  MIDIKeyboard->SetBlackBrush(0x1E1B19);
  MIDIKeyboard->SetPen(0x2A2522);
  MIDIKeyboard->resize(75 * 10 + 1, scroll->height() - scroll->horizontalScrollBar()->sizeHint().height());
  scroll->setWidget(MIDIKeyboard);
  scroll->horizontalScrollBar()->setValue(250);
  MIDIKeyboard->OnNoteOn = [this](QWidget*, int note, int velocity) {
    if (const TChannel* c = Shown()) PreviewChannelKey(*c, note, velocity);
  };
  MIDIKeyboard->OnNoteOff = [](QWidget*, int, int) { StopLoopedPreviews(); };
  // A right press sets the key of the tab.
  MIDIKeyboard->installEventFilter(this);

  MiddleNoteLabel = PanelLabel(face, "MiddleNoteLabel", "C5", QRect(14, 188, 200, 16), Qt::AlignLeft | Qt::AlignVCenter,
                               true);
  DefNoteBtn = MakeButton(face, "DefNoteBtn", "Default", QRect(380, 187, 72, 19));
  DefNoteBtn->OnClick = [this](QWidget*) {
    const bool render = KeybTab->TabIndex() == 1;
    PitchKeyDown(render ? -1 : 60, true);
  };
}

void TSettingsForm::UpdatePitchPage() {
  const TChannel* c = Shown();
  if (!c || !MIDIKeyboard) return;
  const int key = KeybTab->TabIndex() == 1 ? c->RenderNote : c->RootNote;
  MIDIKeyboard->MiddleNote = key;
  MIDIKeyboard->update();
  MiddleNoteLabel->setText(key < 0 ? Word("DefNoteBtn", "Default") : QString::fromStdString(NoteName(key)));
}

void TSettingsForm::PitchKeyDown(int note, bool) {
  const bool render = KeybTab->TabIndex() == 1;
  bool changed = false;
  Apply([&](TSong& s, int i) { changed = SetChannelKey(s, i, render, note); });
  if (!changed) return;
  UpdatePitchPage();
  if (render) ReloadSample();
}

bool TSettingsForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    auto* e = static_cast<QKeyEvent*>(event);
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier))
      if (WindowKey(target, e->key())) return true;
    // The main window's keys (Space plays, the digits mute...) work here
    // too, except where the user is typing; Shift and Ctrl stay with the
    // lists they extend (held in the main window they open the step graph).
    const bool modifier = e->key() == Qt::Key_Shift || e->key() == Qt::Key_Control;
    if (!modifier && !TypesText(target) && OnMainKey && OnMainKey(e)) return true;
    return QWidget::eventFilter(watched, event);
  }
  if (watched == MIDIKeyboard && event->type() == QEvent::MouseButtonPress) {
    auto* e = static_cast<QMouseEvent*>(event);
    if (e->button() == Qt::RightButton) {
      const TKeyHit hit = MIDIKeyboard->PointToNote(int(e->position().x()), int(e->position().y()));
      if (hit.Note >= 0 && hit.Note <= 127) PitchKeyDown(hit.Note, true);
      return true;
    }
  }
  if (ChanList_Rand && watched == ChanList_Rand->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* e = static_cast<QMouseEvent*>(event);
    if (e->button() == Qt::RightButton) {
      if (QListWidgetItem* item = ChanList_Rand->itemAt(e->position().toPoint())) {
        item->setSelected(!item->isSelected());  // applies the list through the selection's change
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- DELAY

void TSettingsForm::BuildDelayPage(TTab95Sheet* sheet) {
  TPanelFace* face = PageFace(sheet);
  face->AddWell(QRect(4, 4, 456, 80));
  face->AddWell(QRect(4, 88, 456, 60));
  face->AddWell(QRect(4, 152, 456, 58));
  PanelLabel(face, "EchoTitle", "ECHO", QRect(12, 10, 80, 12), Qt::AlignLeft | Qt::AlignTop, true);

  const char* labels[] = {"FEEDBACK", "PAN", "PITCH", "RESO", "CUTOFF"};
  const char* labelNames[] = {"DelayFeedLabel", "DelayPanLabel", "DelayPitchLabel", "DelayResoLabel", "DelayCutOffLabel"};
  for (int k = 0; k < 5; ++k) {
    const TChannelValueSpec& spec = ChannelValueSpecs()[size_t(11 + k)];
    TWAVWheel* w = MakeWheel(face, spec.Name, spec.Hint, spec.Min, spec.Max, spec.Default, MiddleWheels);
    const int x = 20 + k * 64;
    w->setGeometry(x + 14, 28, 24, 24);
    PanelLabel(face, labelNames[k], labels[k], QRect(x - 6, 56, 64, 12));
    ValueControls.push_back({w, &spec});
  }
  PanelLabel(face, "EchoLabel", "ECHOES", QRect(322, 18, 92, 12));
  EchoSelect = MakeSpin(face, "EchoSelect", 1, 9, QRect(346, 32, 44, 22));
  SetHint(EchoSelect, "Delay number of echoes");
  EchoSelect->OnChange = [this](QWidget*) {
    const int v = std::clamp(EchoSelect->Value(), 1, 9);
    Apply([v](TSong& s, int i) { SetChannelEchoCount(s, i, v); });
  };
  MakeFlagBox(face, "ShuffleBox", "Shuffled", QRect(346, 62, 100, 15))->setToolTip("Delay will follow the shuffle too");

  // The two sliders: echo time and start shift, each with its reading.
  auto slider = [this, face](const TChannelValueSpec& spec, int y, QLabel*& reading, const char* readingName) {
    auto* s = new TTrackSlider(face);
    s->setObjectName(spec.Name);
    s->SetOrientation(Qt::Horizontal);
    s->SetTickMarks(TTickMark::tmBottomRight);
    s->SetMin(spec.Min);
    s->SetMax(spec.Max);
    s->SetFrequency(16);
    s->LineSize = 1;
    s->PageSize = 16;
    s->SetDefaultPosition(spec.Default);
    s->SetPosition(spec.Default);
    s->SetHint(spec.Hint);
    s->setGeometry(10, y + 18, 444, 30);
    reading = PanelLabel(face, readingName, "", QRect(12, y + 5, 300, 13), Qt::AlignLeft | Qt::AlignTop, true);
    ValueControls.push_back({s, &spec});
    return s;
  };
  DelayDelaySlider = slider(*FindChannelValueSpec("DelayDelaySlider"), 88, DelayTimeLabel, "DelayTimeLabel");
  ShiftSlider = slider(*FindChannelValueSpec("ShiftSlider"), 152, ShiftLabel, "ShiftLabel");
  ShowSliderReadings();
  for (auto [s, reading] : {std::pair{DelayDelaySlider, DelayTimeLabel}, std::pair{ShiftSlider, ShiftLabel}}) {
    const TChannelValueSpec* spec = FindChannelValueSpec(s->objectName().toStdString());
    s->OnChange = [this, s = s, reading = reading, spec](QWidget*) {
      const int v = s->Position();
      Apply([v, spec](TSong& song, int i) { SetChannelValue(song, i, *spec, v); });
      ShowSliderReadings();
      Info(reading->text().toStdString());
    };
  }
}

void TSettingsForm::ShowSliderReadings() {
  DelayTimeLabel->setText(QString::fromStdString(
      FormatText(Word("@Delay", "Delay time (%s notes)").toStdString(), {FixedInfo(DelayDelaySlider->Position(), 16, 2)})));
  ShiftLabel->setText(QString::fromStdString(
      FormatText(Word("@Shift", "Shift %s note").toStdString(), {FixedInfo(ShiftSlider->Position(), 256, 2)})));
}

// ---------------------------------------------------------------- MIX

void TSettingsForm::BuildMixPage(TTab95Sheet* sheet) {
  TPanelFace* face = PageFace(sheet);
  face->AddWell(QRect(4, 4, 226, 206));
  face->AddWell(QRect(234, 4, 226, 206));
  QLabel* mix = PanelLabel(face, "MixWithLabel", "Mix with", QRect(12, 9, 200, 13), Qt::AlignLeft | Qt::AlignTop, true);
  mix->setToolTip("Channel to mix with");
  QLabel* rand =
      PanelLabel(face, "RandomWithLabel", "Random with", QRect(242, 9, 200, 13), Qt::AlignLeft | Qt::AlignTop, true);
  rand->setToolTip("Channel to random with");
  ChanList_Mix = new QListWidget(face);
  ChanList_Mix->setObjectName("ChanList_Mix");
  ChanList_Mix->setAccessibleName("Mix with");
  ChanList_Mix->setGeometry(10, 26, 214, 178);
  ChanList_Rand = new QListWidget(face);
  ChanList_Rand->setObjectName("ChanList_Rand");
  ChanList_Rand->setAccessibleName("Random with");
  ChanList_Rand->setSelectionMode(QAbstractItemView::MultiSelection);
  ChanList_Rand->setGeometry(240, 26, 214, 178);
  ChanList_Rand->viewport()->installEventFilter(this);
  connect(ChanList_Mix, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    Apply([row](TSong& s, int i) { SetChannelMixTarget(s, i, row); });
  });
  connect(ChanList_Rand, &QListWidget::itemSelectionChanged, this, [this] { ApplyRandomList(); });
}

void TSettingsForm::ApplyRandomList() {
  std::vector<int> chosen;
  for (int i = 0; i < ChanList_Rand->count(); ++i)
    if (ChanList_Rand->item(i)->isSelected()) chosen.push_back(i);
  Apply([&chosen](TSong& s, int i) { SetChannelRandomChoice(s, i, chosen); });
  // The channel itself stays in its list, unselected or not.
  if (const TChannel* c = Shown()) ShowRandomList(*c);
}

void TSettingsForm::ShowRandomList(const TChannel& c) {
  const QSignalBlocker quiet(ChanList_Rand);
  for (int i = 0; i < ChanList_Rand->count(); ++i)
    ChanList_Rand->item(i)->setSelected(std::find(c.RandomChoice.begin(), c.RandomChoice.end(), i) !=
                                        c.RandomChoice.end());
}

}  // namespace vs
