#include "editors/PianoForm.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "controls/HatchBrush.h"
#include "controls/NumBar.h"
#include "core/PatternCommands.h"
#include "core/StepEdits.h"
#include "core/Style.h"
#include "engine/Mixer.h"
#include "framework/MLang.h"
#include "model/Song.h"

namespace vs {

namespace {

constexpr int PianoClientHeight = 170;
constexpr TColor KnobColour = 0x757070;
constexpr TColor KnobText = 0xDAD6D6;
constexpr TColor KnobShadow = 0x454040;

QColor C(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

// ---------------------------------------------------------------- boxes

TPianoBox::TPianoBox(const char* name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPianoBox::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.drawImage(event->rect(), Picture, event->rect());
}

void TPianoBox::resizeEvent(QResizeEvent*) {
  if (Picture.size() != size()) {
    Picture = QImage(size(), QImage::Format_RGB32);
    Picture.fill(Qt::black);
  }
}

void TPianoBox::mousePressEvent(QMouseEvent* event) {
  if (OnMouseDown) OnMouseDown(event);
}
void TPianoBox::mouseMoveEvent(QMouseEvent* event) {
  if (OnMouseMove) OnMouseMove(event);
}
void TPianoBox::mouseReleaseEvent(QMouseEvent* event) {
  if (OnMouseUp) OnMouseUp(event);
}

// ---------------------------------------------------------------- the window

TPianoForm::TPianoForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("PianoForm");
  setWindowTitle(QStringLiteral("Piano roll"));
  setAccessibleName(QStringLiteral("Piano roll"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);

  KeybPanel = new QWidget(this);
  KeybPanel->setObjectName("KeybPanel");
  KeybPanel->setGeometry(0, 0, KeybBoxWidth, KeybPanelHeight);
  KeybBox = new TPianoBox("KeybBox", KeybPanel);
  KeybBox->setGeometry(0, KeybBoxFirstTop, KeybBoxWidth, KeybBoxHeight);
  KeybBox->setAccessibleName(QStringLiteral("Keys"));
  KeybBox->OnMouseDown = [this](QMouseEvent* e) {
    Capturing = true;
    KeybDrag(e);
  };
  KeybBox->OnMouseMove = [this](QMouseEvent* e) { KeybDrag(e); };
  KeybBox->OnMouseUp = [this](QMouseEvent* e) {
    if (e->buttons() == Qt::NoButton) KeybRelease();
  };
  DrawBox = new TPianoBox("DrawBox", KeybPanel);
  DrawBox->setGeometry(0, 0, KeybBoxWidth, GraphHeight);
  DrawBox->setAccessibleName(QStringLiteral("Step graph"));
  DrawBox->OnMouseDown = [this](QMouseEvent* e) { GraphPress(e); };
  DrawBox->OnMouseMove = [this](QMouseEvent* e) { GraphMove(e); };
  DrawBox->hide();
  FXSelect = new TNumBar(KeybPanel);
  FXSelect->setObjectName("FXSelect");
  FXSelect->SetShowNumber(false);
  FXSelect->setAccessibleName(QStringLiteral("Lane"));
  FXSelect->SetArrowsWidth(23);
  FXSelect->SetColor(KnobColour);
  QFont knobFont(QStringLiteral("Sans"));
  knobFont.setPixelSize(11);
  knobFont.setBold(true);
  FXSelect->setFont(knobFont);
  FXSelect->FontColor = KnobText;
  FXSelect->SetRange(0, 5);
  FXSelect->setGeometry(0, GraphHeight, 256, KeybPanelHeight - GraphHeight);
  FXSelect->OnSetKnobWidth = [this](QWidget*, int& w) { w = std::max(48, width() / 4); };
  FXSelect->OnPaintKnob = [this](QWidget*, TCanvas& canvas, const TRect& r, int what, int state) {
    DrawBarButtonFace(canvas, r, KnobColour, state != 0);
    QPainter& p = canvas.Painter();
    p.setRenderHint(QPainter::Antialiasing);
    if (what != 0) {
      // The arrows: a triangle pointing out of the bar.
      const QPointF c(r.Left + r.Width() / 2.0 + state, r.Top + r.Height() / 2.0 + state);
      const double d = what == 1 ? 1 : -1;
      p.setPen(Qt::NoPen);
      p.setBrush(C(KnobText));
      p.drawPolygon(QPolygonF({c + QPointF(3 * d, -4), c + QPointF(3 * d, 4), c + QPointF(-3 * d, 0)}));
      return;
    }
    const int plane = std::clamp(FLane, 0, StepPlaneCount - 1);
    const QString name = QString::fromStdString(StepLanes[plane].Name);
    p.setFont(FXSelect->font());
    p.setPen(C(KnobShadow));
    p.drawText(QRect(r.Left + 1, r.Top + 1, r.Width(), r.Height()), Qt::AlignCenter, name);
    p.setPen(C(KnobText));
    p.drawText(QRect(r.Left, r.Top, r.Width(), r.Height()), Qt::AlignCenter, name);
  };
  FXSelect->OnChange = [this](QWidget*) { LaneChanged(); };
  FXSelect->hide();
  SlideBox = new TPianoBox("SlideBox", this);
  SlideBox->setGeometry(0, KeybPanelHeightWithSlides, KeybBoxWidth, SlideBoxHeight);
  SlideBox->setToolTip(QStringLiteral("MB404 slides"));
  SlideBox->setAccessibleName(QStringLiteral("MB404 slides"));
  SlideBox->OnMouseDown = [this](QMouseEvent* e) { SlideDrag(e); };
  SlideBox->OnMouseMove = [this](QMouseEvent* e) { SlideDrag(e); };
  SlideBox->hide();

  BitmapFileToImageList(StyleFilePath("Keyb.bmp"), KeybIL, 2);
  BitmapFileToImageList(StyleFilePath("Keyb_Keys.bmp"), KeybNoteIL, 8);
  BitmapFileToImageList(StyleFilePath("404Slide.bmp"), TSSlideIL, 2);

  ScrollTimer.setInterval(50);
  connect(&ScrollTimer, &QTimer::timeout, this, &TPianoForm::ScrollTimerTimer);

  resize(PatternView().PianoWidth(), PianoClientHeight);
  CurrentSong().AddListener(this);
  LaneChanged();
}

TPianoForm::~TPianoForm() { CurrentSong().RemoveListener(this); }

bool TPianoForm::Synth() const {
  const TChannel* c = CurrentSong().Channel(FChannel);
  return c && c->Kind == 1;
}

const TChannel* TPianoForm::PaintTarget(const TPianoBox& box, int step, int& x) const {
  x = (step - PatternView().FirstVisibleStep) * PianoStepWidth;
  if (x < 0 || x >= KeybBoxWidth || box.Picture.isNull()) return nullptr;
  return CurrentSong().Channel(FChannel);
}

void TPianoForm::Arrange() {
  const bool slides = FViewMode == PianoKeyboardView && Synth();
  SlideBox->setVisible(slides);
  const int panel = slides ? KeybPanelHeightWithSlides : KeybPanelHeight;
  KeybPanel->resize(KeybBoxWidth, panel);
  KeybBox->move(0, std::max(KeybBox->y(), panel - KeybBoxHeight));
  KeybBox->setVisible(FViewMode == PianoKeyboardView);
  DrawBox->setVisible(FViewMode == PianoGraphView);
  FXSelect->setVisible(FViewMode == PianoGraphView);
  const int w = PatternView().PianoWidth();
  if (width() != w) resize(w, PianoClientHeight);
  FXSelect->setGeometry(0, GraphHeight, w, KeybPanelHeight - GraphHeight);
}

void TPianoForm::ShowForChannel(int channel, const QRect& rowOnScreen) {
  FChannel = std::clamp(channel, 0, std::max(0, CurrentSong().ChannelCount() - 1));
  ShownChannel = CurrentSong().Channel(FChannel);
  LastKey = INT_MAX;
  Arrange();
  PlaceUnderChannel(rowOnScreen);
  if (Synth()) {
    FXSelect->SetRange(0, 1);
    FXSelect->SetPosition(FLane == PlanePitch ? 0 : 1);
  } else {
    FXSelect->SetRange(0, 6);
    FXSelect->SetPosition(FLane);
  }
  LaneChanged();
  show();
  RepaintPianoForm();
}

void TPianoForm::PlaceUnderChannel(const QRect& row) {
  QPoint place(row.left(), row.bottom() + 1 + 27);
  if (const QScreen* screen = QGuiApplication::screenAt(row.center())) {
    if (place.y() + height() > screen->availableGeometry().bottom()) place.ry() -= height() + 27;
  }
  move(place);
}

void TPianoForm::SetViewMode(int mode) {
  FViewMode = mode == PianoGraphView ? PianoGraphView : PianoKeyboardView;
  Arrange();
  RepaintPianoForm();
  if (OnViewModeChanged && isVisible()) OnViewModeChanged(FViewMode);
}

void TPianoForm::SelectLane(int plane) {
  FLane = std::clamp(plane, 0, StepPlaneCount - 1);
  if (isVisible()) RepaintPianoForm();
  FXSelect->Knob()->update();
}

void TPianoForm::LaneChanged() {
  const int position = FXSelect->Position();
  SelectLane(Synth() ? (position == 0 ? PlanePitch : PlaneCutoff) : position);
}

void TPianoForm::RepaintPianoForm() {
  if (!isVisible()) return;
  Arrange();
  const TPatternView& view = PatternView();
  const int last = view.FirstVisibleStep + view.VisibleSteps;
  for (int s = view.FirstVisibleStep; s < last; ++s) {
    if (FViewMode == PianoKeyboardView) {
      PaintKeybStep(s);
      if (SlideBox->isVisibleTo(this)) PaintSlideStep(s);
    } else {
      PaintGraphStep(s);
    }
  }
}

// ---------------------------------------------------------------- painting

void TPianoForm::PaintKeybStep(int step) {
  const TSong& song = CurrentSong();
  int x;
  const TChannel* c = PaintTarget(*KeybBox, step, x);
  if (!c) return;
  const bool on = c->Steps.IsStepOn(song.CurrentPattern, step);
  QPainter p(&KeybBox->Picture);
  for (int o = 0; o < PianoOctaveImages; ++o) KeybIL.Draw(p, x, KeybBoxHeight - (o + 1) * PianoOctaveHeight, on ? 1 : 0);
  const TNoteBlock block = NoteBlockOf(c->Steps.GetStepValue(song.CurrentPattern, step, PlaneNote), on);
  KeybNoteIL.Draw(p, x, block.Top, block.Image);
  KeybBox->update(x, 0, PianoStepWidth, KeybBoxHeight);
}

void TPianoForm::PaintSlideStep(int step) {
  const TSong& song = CurrentSong();
  int x;
  const TChannel* c = PaintTarget(*SlideBox, step, x);
  if (!c) return;
  const bool slide = c->Steps.GetStepValue(song.CurrentPattern, step, PlaneFlags) & StepFlagSlide;
  QPainter p(&SlideBox->Picture);
  TSSlideIL.Draw(p, x, 0, slide ? 1 : 0);
  SlideBox->update(x, 0, PianoStepWidth, SlideBoxHeight);
}

void TPianoForm::PaintGraphStep(int step) {
  const TSong& song = CurrentSong();
  int x;
  const TChannel* c = PaintTarget(*DrawBox, step, x);
  if (!c) return;
  const TFXInfo& lane = StepLanes[size_t(FLane)];
  const TGraphBar bar = GraphBarOf(c->Steps.GetStepValue(song.CurrentPattern, step, FLane), lane);
  QPainter p(&DrawBox->Picture);
  p.fillRect(x, 0, PianoStepWidth, GraphHeight, Qt::black);
  const int left = x + 1, w = PianoStepWidth - 2;
  HatchFill(p, QRect(left, 0, w, GraphHeight), GraphHatchColour, GraphGroundColour);
  p.setPen(C(GraphGridColour));
  for (int k = 1; k <= 3; ++k) {
    const int y = GraphHeight * k / 4;
    p.drawLine(left, y, left + w - 1, y);
  }
  if (bar.Bottom > bar.Top)
    HatchFill(p, QRect(left, bar.Top, w, bar.Bottom - bar.Top), bar.Colour, ShiftColor(bar.Colour, 30));
  DrawBox->update(x, 0, PianoStepWidth, GraphHeight);
}

// ---------------------------------------------------------------- keyboard view

void TPianoForm::KeybDrag(QMouseEvent* event) {
  const bool left = event->buttons() & Qt::LeftButton;
  const bool right = event->buttons() & Qt::RightButton;
  if (!left && !right) return;
  const QPoint pos = event->position().toPoint();
  const int key = KeyAtY(((pos.x() % PianoStepWidth) + PianoStepWidth) % PianoStepWidth, pos.y());
  if (OnShowInfo) OnShowInfo(PianoNoteName(key));
  if (Capturing) {
    ScrollDirection = KeybScrollDirection(pos.y() + KeybBox->y(), KeybPanel->height());
    if (ScrollDirection != 0 && !ScrollTimer.isActive()) ScrollTimer.start();
    if (ScrollDirection == 0) ScrollTimer.stop();
  }
  TSong& song = CurrentSong();
  const int step = PianoStepAtX(pos.x(), PatternView().FirstVisibleStep);
  if (step >= 0 && step < song.PatternLength()) {
    TPianoKeyEdit edit;
    edit.Shown = FChannel;
    edit.Step = step;
    edit.Key = key;
    edit.On = left;
    edit.Transpose = event->modifiers() & Qt::ControlModifier;
    edit.Preview = !Mixer().Playing.load() && (key != LastKey || step != LastStep);
    const TPianoEditResult result = PianoKeyEdit(song, edit);
    if (result.AllSteps)
      RepaintPianoForm();
    else if (result.StepChanged)
      PaintKeybStep(step);
  }
  LastKey = key;
  LastStep = step;
}

void TPianoForm::KeybRelease() {
  ScrollTimer.stop();
  Capturing = false;
  LastKey = INT_MAX;
  StopLoopedPreviews();
}

void TPianoForm::ScrollTimerTimer() {
  const int top = ScrollKeybTop(KeybBox->y(), ScrollDirection, KeybPanel->height());
  if (top == KeybBox->y()) return;
  KeybBox->move(0, top);
}

void TPianoForm::SlideDrag(QMouseEvent* event) {
  const bool left = event->buttons() & Qt::LeftButton;
  const bool right = event->buttons() & Qt::RightButton;
  if (!left && !right) return;
  const int step = PianoStepAtX(event->position().toPoint().x(), PatternView().FirstVisibleStep);
  if (PianoSlideEdit(CurrentSong(), FChannel, step, left)) PaintSlideStep(step);
}

// ---------------------------------------------------------------- graph view

void TPianoForm::WriteGraphValue(int step, int y) {
  TSong& song = CurrentSong();
  if (step < 0 || step >= song.PatternLength()) return;
  ChangeStepValue(song, FChannel, step, FLane, GraphValueAt(y, StepLanes[size_t(FLane)].Max));
  PaintGraphStep(step);
}

void TPianoForm::GraphPress(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const int step = PianoStepAtX(pos.x(), PatternView().FirstVisibleStep);
  WriteGraphValue(step, pos.y());
  if (event->button() == Qt::RightButton) {
    AnchorStep = step;
    AnchorY = pos.y();
  }
}

void TPianoForm::GraphMove(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const int step = PianoStepAtX(pos.x(), PatternView().FirstVisibleStep);
  if (event->buttons() & Qt::LeftButton) {
    WriteGraphValue(step, pos.y());
  } else if (event->buttons() & Qt::RightButton) {
    for (const auto& [s, y] : GraphRamp(AnchorStep, AnchorY, step, pos.y())) WriteGraphValue(s, y);
  }
}

// ---------------------------------------------------------------- the song

void TPianoForm::StepOnChanged(int channel, int pattern, int step) {
  if (channel != FChannel || pattern != CurrentSong().CurrentPattern || !isVisible()) return;
  if (FViewMode == PianoKeyboardView)
    PaintKeybStep(step);
  else
    PaintGraphStep(step);
}

void TPianoForm::StepsChanged(int index) {
  if (index == FChannel && isVisible()) RepaintPianoForm();
}

void TPianoForm::ChannelListChanged() {
  const TSong& song = CurrentSong();
  int index = -1;
  for (int i = 0; i < song.ChannelCount() && index < 0; ++i)
    if (song.Channel(i) == ShownChannel) index = i;
  if (index < 0) {
    // Its channel is gone: nothing of it to show, nothing to edit.
    ShownChannel = nullptr;
    hide();
    return;
  }
  if (index == FChannel) return;
  FChannel = index;
  if (!isVisible()) return;
  if (OnChannelMoved) OnChannelMoved();
  RepaintPianoForm();
}

void TPianoForm::SongReplaced(TSong&) {
  ShownChannel = nullptr;
  hide();
}

void TPianoForm::SongValueChanged(TSongValue value) {
  if ((value == TSongValue::CurrentPattern || value == TSongValue::PatternLength) && isVisible()) RepaintPianoForm();
}

void TPianoForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (OnViewModeChanged) OnViewModeChanged(FViewMode);
}

void TPianoForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (OnViewModeChanged) OnViewModeChanged(-1);
  ScrollTimer.stop();
}

}  // namespace vs
