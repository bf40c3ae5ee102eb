#include "ui/ChannelRack.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/WAVWheel.h"
#include "core/ChannelCommands.h"
#include "core/PatternCommands.h"
#include "core/PlayPosition.h"
#include "core/Style.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "framework/MLang.h"
#include "framework/Skin.h"
#include "framework/WPControl.h"
#include "ui/MainFormMaps.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "toolbox/MLBase.h"

namespace vs {

namespace {

// The rack's face where the style gives none, and the lines between rows.
const QColor DefaultRackFace(0x1E, 0x20, 0x24);
// Above the rows, and at the left and right; below them the rack keeps the
// rest of the window's spare pixels.
constexpr int RackMargin = 4;
constexpr int ScrollerWidth = 12;
// ms: the longest the lamp waits before it looks at the sound's position
// again (a tempo change takes effect with the next step).
constexpr int FollowInterval = 1000;
// Milliseconds the follow timer waits while the output scope's frames come
// (they come every 33 ms or sooner).
constexpr int ScopeFrameWait = 50;
// The synthesizer badge at the left of a synthesizer channel's name plate.
constexpr int SynthBadgeWidth = 15;

QString ChannelTitle(const TChannel& c, int index) {
  return QString::fromStdString(c.Name.empty() ? "Channel " + std::to_string(index + 1) : c.Name);
}

}  // namespace

// ---------------------------------------------------------------- name button

TChannelNameButton::TChannelNameButton(const TImageList& images, const TImageList& collapsedImages, QWidget* parent)
    : TQuickGraphicControl(parent), Images(images), CollapsedImages(collapsedImages) {
  setObjectName("SetBtn");
  QFont f = font();
  f.setPixelSize(10);
  f.setWeight(QFont::DemiBold);
  setFont(f);
}

void TChannelNameButton::SetChannel(const QString& name, TColor color, bool synth, bool collapsed, bool selected) {
  FName = name;
  FColor = color;
  Synth = synth;
  FCollapsed = collapsed;
  Selected = selected;
  setToolTip(name);
  FitSize();
  FitCaption();
  update();
}

void TChannelNameButton::FitCaption() {
  // A collapsed row's button shows no name; an open one its name cut to the
  // button, or "SET" while the channel has none.
  if (FCollapsed) {
    FCaption.clear();
    return;
  }
  const QFontMetrics metrics(font());
  FCaption = QString::fromStdString(ShortenChannelCaption(
      FName.toStdString(), CaptionRect().width(),
      [&metrics](const std::string& text) { return metrics.horizontalAdvance(QString::fromStdString(text)); }));
}

QRect TChannelNameButton::CaptionRect() const {
  // A synthesizer channel's plate keeps its badge at the left free.
  return rect().adjusted(Synth && !FCollapsed ? SynthBadgeWidth : 0, 0, 0, 0);
}

void TChannelNameButton::FitSize() {
  const TImageList& list = FCollapsed ? CollapsedImages : Images;
  if (!list.Empty()) resize(list.Width(), list.Height());
  else resize(FCollapsed ? 80 : 120, FCollapsed ? 16 : 21);
}

void TChannelNameButton::Paint(TCanvas& canvas) {
  QPainter& p = canvas.Painter();
  const TImageList& list = FCollapsed ? CollapsedImages : Images;
  const bool pressed = Pressed || FDown;
  const int frame = FCollapsed ? (Selected ? 1 : 0) : (Synth ? 2 : 0) + (pressed ? 1 : 0);
  if (frame < list.Count()) {
    list.Draw(p, 0, 0, frame);
  } else {
    p.fillRect(rect(), QColor(0x3A, 0x3E, 0x45));
    p.fillRect(rect().adjusted(1, 1, -1, -1), pressed ? QColor(0x12, 0x13, 0x16) : QColor(0x2B, 0x2E, 0x33));
  }
  if (FCaption.isEmpty()) return;
  // The caption centred on one line: a black shadow one pixel down and
  // right, then the channel's colour (darker while pressed, and a pixel
  // lower).
  const QRect face = CaptionRect().translated(0, pressed ? 1 : 0);
  const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip;
  p.setFont(font());
  p.setPen(Qt::black);
  p.drawText(face.translated(1, 1), flags, FCaption);
  QColor ink = ToQColor(FColor);
  if (pressed) ink.setRgb(std::max(ink.red() - 32, 0), std::max(ink.green() - 32, 0), std::max(ink.blue() - 32, 0));
  p.setPen(ink);
  p.drawText(face, flags, FCaption);
}

void TChannelNameButton::SetDown(bool down) {
  if (FDown == down) return;
  FDown = down;
  QuickPaint();
}

void TChannelNameButton::MouseDown(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton) {
    Pressed = true;
    QuickPaint();
  }
  TQuickGraphicControl::MouseDown(mouse);
}

void TChannelNameButton::contextMenuEvent(QContextMenuEvent* event) {
  if (SkipPopup) {
    SkipPopup = false;
    event->accept();
    return;
  }
  TQuickGraphicControl::contextMenuEvent(event);
}

void TChannelNameButton::MouseUp(const TMouseInfo& mouse) {
  if (Pressed) {
    Pressed = false;
    QuickPaint();
  }
  TQuickGraphicControl::MouseUp(mouse);
}

// ---------------------------------------------------------------- the rack

TChannelRack::TChannelRack(TPreferences& prefs, QWidget* parent) : QWidget(parent), Prefs(prefs) {
  setObjectName("ChannelRack");
  FShared.Images = &StepImages;
  FShared.SetStepEditMode = [this](int mode) { SetStepEditMode(mode); };
  FAllLamps = !Prefs.Minimized;

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FGridsBox = new TSmoothScrollBox(this);
  layout->addWidget(FGridsBox, 1);
  FGridsBox->setObjectName("GridsBox");
  FGridsBox->setWidgetResizable(false);
  FGridsBox->setMinimumHeight(0);
  FGridsBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The rack's own scroller moves the rows.
  FGridsBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FGridsBox->verticalScrollBar()->setSingleStep(StepCellHeight);
  FGridsBox->viewport()->setAutoFillBackground(true);
  Panel = new TWPControl;
  Panel->setObjectName("BackWP");
  Panel->OnPaint = [this](QWidget*, TCanvas& canvas) { PaintBackground(canvas); };
  FGridsBox->setWidget(Panel);
  FGridsBox->OnResize = [this](QWidget*) {
    ArrangeChannels();
    UpdateScroller();
  };
  FGridsScroller = new TNumBar(this);
  FGridsScroller->setObjectName("GridsScroller");
  FGridsScroller->SetOrientation(Qt::Vertical);
  FGridsScroller->SetShowNumber(false);
  FGridsScroller->SetArrowsWidth(ScrollerWidth);
  FGridsScroller->setFixedWidth(ScrollerWidth);
  FGridsScroller->LineSize = StepCellHeight;
  FGridsScroller->PageSize = 30;
  FGridsScroller->hide();
  StyleMainScroller(*FGridsScroller, RackKnobMinimum, [this] {
    return std::pair(FGridsBox->viewport()->height(), Panel->height());
  });
  // Over the right edge of the rows' area, which the rows leave free.
  FGridsScroller->raise();
  FGridsScroller->OnChange = [this](QWidget*) { FGridsBox->verticalScrollBar()->setValue(FGridsScroller->Position()); };
  connect(FGridsBox->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (FGridsScroller->Position() != value) FGridsScroller->SetPosition(value);
  });
  setMinimumHeight(0);

  // Woken when the heard step changes next, not polling.
  FollowTimer.setSingleShot(true);
  FollowTimer.setTimerType(Qt::PreciseTimer);
  connect(&FollowTimer, &QTimer::timeout, this, [this] {
    TFramePaint frame;
    FollowPlayback();
  });

  LoadImages();
  // Another style: its pictures, the rows laid out again.
  connect(&Skin(), &TSkin::changed, this, [this] {
    LoadImages();
    RebuildRows();
  });
  CurrentSong().AddListener(this);
  RebuildRows();
}

TChannelRack::~TChannelRack() { CurrentSong().RemoveListener(this); }

TTechno16* TChannelRack::StepRow(int channel) const {
  return channel >= 0 && channel < static_cast<int>(FRows.size()) ? FRows[channel].Steps : nullptr;
}

void TChannelRack::LoadImages() {
  // The style's lists, loaded once per style (at first use when the
  // program has not loaded one yet).
  TSkin& skin = Skin();
  if (skin.NoteBtnIL.Empty() && skin.Style.Folder.empty()) skin.Load(CurrentStyle());
  StepImages.Steps = skin.NoteBtnIL;
  StepImages.Lamps = skin.PosLedIL;
  StepImages.Bars = skin.SmallWheelIL;
  WheelImages = skin.MiddleWheelIL;
  MuteImages = skin.MuteBtnIL;
  SelectImages = skin.SelectBtnIL;
  NameImages = skin.SetBtnIL;
  CollapsedImages = skin.ZippedIL;
  // The rack shows the style's tile, or the colour the step cells are
  // drawn on.
  RackFace = StepImages.Steps.Empty() ? DefaultRackFace : StepImages.Steps.Image(0).pixelColor(0, 0);
  Wallpaper = skin.BackPic.isNull() ? QPixmap() : QPixmap::fromImage(skin.BackPic);
  FGridsScroller->SetColor(MainScrollerFace(skin.Style.MainScrollerCol));
  QPalette pal = FGridsBox->viewport()->palette();
  pal.setColor(QPalette::Window, RackFace);
  FGridsBox->viewport()->setPalette(pal);
  for (TRackRowWidgets& row : FRows) {
    row.Wheel->SetWheelIL(&WheelImages);
    for (auto [button, images] : {std::pair{row.Mute, &MuteImages}, std::pair{row.Select, &SelectImages}}) {
      button->SetStyle(images->Empty() ? TBtnFrameStyle::FS_Vek3D : TBtnFrameStyle::FS_Bitmap);
      button->SetImList(images);
    }
  }
  ArrangeChannels();
}

void TChannelRack::MakeRow(int index) {
  TRackRowWidgets row;
  row.Steps = new TTechno16(FShared, Panel);
  row.Steps->SetTag(index);

  row.Wheel = new TWAVWheel(Panel);
  row.Wheel->setObjectName("FrontWheel");
  row.Wheel->SetBorder(false);
  row.Wheel->SetMin(0);
  row.Wheel->SetMax(127);
  row.Wheel->SetWheelIL(&WheelImages);
  row.Wheel->OnChange = [this, index](QWidget*) {
    const int value = FRows[index].Wheel->Value();
    FrontWheelChange(CurrentSong(), index, value, Prefs.VolPan);
    if (OnFrontWheelChange) OnFrontWheelChange(index, value, Prefs.VolPan);
  };

  auto makeButton = [this](const char* name, TImageList& images) {
    auto* b = new TMyTransButton(Panel);
    b->setObjectName(name);
    b->SetOptions(tbHasDownGlyph);
    b->StayDown = true;
    b->SetImList(&images);
    if (images.Empty()) {
      b->SetStyle(TBtnFrameStyle::FS_Vek3D);
      b->resize(13, 13);
    }
    return b;
  };
  row.Mute = makeButton("MuteBtn", MuteImages);
  row.Mute->OnClick = [this, index](QWidget*) { SetChannelMuted(CurrentSong(), index, FRows[index].Mute->Down()); };
  row.Mute->OnMouseDown = [index](QWidget*, const TMouseInfo& m) {
    if (m.Button == Qt::RightButton) SoloChannel(CurrentSong(), index);
  };
  row.Select = makeButton("SelectBtn", SelectImages);
  row.Select->OnClick = [index](QWidget*) { SelectButtonLeftClick(CurrentSong(), index); };
  row.Select->OnMouseDown = [index](QWidget*, const TMouseInfo& m) {
    if (m.Button == Qt::RightButton) ToggleChannelSelected(CurrentSong(), index);
  };

  row.Name = new TChannelNameButton(NameImages, CollapsedImages, Panel);
  row.Name->PopupMenu = FLineMenu;
  row.Name->OnMouseDown = [this, index](QWidget*, const TMouseInfo& m) {
    const int rowsBefore = FRowsHeight;
    const TNameClick click = NameButtonMouseDown(CurrentSong(), index, m.Shift & Qt::ControlModifier,
                                                 m.Button == Qt::RightButton);
    if (click != NameClickAllowed) FRows[index].Name->CancelPress();
    if (click == NameClickExpanded) {
      FRows[index].Name->SkipNextPopup();
      ArrangeChannels();
      if (OnRowExpanded) OnRowExpanded(rowsBefore);
    } else if (m.Button == Qt::RightButton && OnLineMenu) {
      OnLineMenu(index);
    }
  };
  // A click toggles the button; down, the channel settings show the channel.
  row.Name->OnClick = [this, index](QWidget*) {
    TChannelNameButton* button = FRows[index].Name;
    button->SetDown(!button->Down());
    if (OnNameButtonClick) OnNameButtonClick(index, button->Down());
  };
  FRows.push_back(row);
}

void TChannelRack::ShowRow(int index) {
  const TChannel* c = CurrentSong().Channel(index);
  if (!c || index >= static_cast<int>(FRows.size())) return;
  TRackRowWidgets& row = FRows[index];
  const QString name = ChannelTitle(*c, index);
  row.Steps->setAccessibleName(name + " steps");
  row.Wheel->setAccessibleName(name + (Prefs.VolPan == VolPanPan ? " pan" : " volume"));
  row.Mute->setAccessibleName(name + " mute");
  row.Select->setAccessibleName(name + " select");
  row.Name->setAccessibleName(name + " name");
  // The hints in the language shown: the info bar shows them.
  auto word = [](const std::string& key, std::string_view english) {
    return QString::fromStdString(WindowText(MainWindowTable, key, english));
  };
  SetHint(row.Mute, word("@MuteHint", "|Mute / Solo"));
  SetHint(row.Select, word("@SelectHint", "|Select ") + QString::fromStdString(c->Name));
  SetHint(row.Wheel, word("@ChanVolHint" + std::to_string(Prefs.VolPan), Prefs.VolPan == VolPanPan
                                                                               ? "|Channel Panning"
                                                                               : "|Channel Volume"));
  row.Wheel->SetValue(Prefs.VolPan == VolPanPan ? c->Pan : c->Volume);
  row.Mute->SetDown(!c->Enabled);
  row.Select->SetDown(c->Selected);
  row.Name->SetChannel(QString::fromStdString(c->Name), c->Color & 0xFFFFFF, c->Kind == 1, c->Collapsed, c->Selected);
}

void TChannelRack::ShowRows() {
  for (int i = 0; i < static_cast<int>(FRows.size()); ++i) ShowRow(i);
}

void TChannelRack::SetNameButtonDown(int index, bool down) {
  if (index >= 0 && index < static_cast<int>(FRows.size())) FRows[index].Name->SetDown(down);
}

void TChannelRack::RebuildRows() {
  for (TRackRowWidgets& row : FRows) {
    delete row.Steps;
    delete row.Wheel;
    delete row.Mute;
    delete row.Select;
    delete row.Name;
  }
  FRows.clear();
  const TSong& song = CurrentSong();
  for (int i = 0; i < song.ChannelCount(); ++i) MakeRow(i);
  for (int i = 0; i < song.ChannelCount(); ++i) ShowRow(i);
  ArrangeChannels();
  ShowPattern();
}

void TChannelRack::ArrangeChannels() {
  const TSong& song = CurrentSong();
  const TStyle& style = CurrentStyle();
  const auto& btn = style.ChanBtns;
  const int nameWidth = CollapsedImages.Empty() ? 80 : CollapsedImages.Width();
  const int collapsedHeight = CollapsedImages.Empty() ? 16 : CollapsedImages.Height();
  const int stepsWidth = PatternView().VisibleSteps * StepCellWidth;
  const int contentWidth = btn[ChanBtnSteps].X + stepsWidth;

  std::vector<TRackChannel> channels;
  for (int i = 0; i < song.ChannelCount() && i < static_cast<int>(FRows.size()); ++i)
    channels.push_back({song.Channel(i)->Collapsed, nameWidth});
  TRackOptions options;
  options.AllRowsShowLamps = FAllLamps;
  options.LampsOver = Prefs.LedsOver;
  options.RackWidth = contentWidth;
  options.CollapsedHeight = collapsedHeight;
  const TRackLayout layout = ArrangeRackRows(channels, options);

  for (size_t i = 0; i < channels.size(); ++i) {
    const TRackRow& r = layout.Rows[i];
    TRackRowWidgets& row = FRows[i];
    row.Collapsed = r.Collapsed;
    const int left = RackMargin + r.Left;
    const int top = RackMargin + r.Top;
    if (r.Collapsed) {
      row.Steps->hide();
      row.Wheel->hide();
      row.Mute->hide();
      row.Select->hide();
      row.Name->move(left, top);
      row.Name->show();
      continue;
    }
    const int drop = r.ButtonDrop;
    if (row.Steps->ShowsLamps() != r.ShowsLamps || row.Steps->CellTop() != r.CellTop ||
        row.Steps->LampTop() != r.LampTop || row.Steps->width() != stepsWidth)
      row.Steps->SetRowLayout(r.ShowsLamps, r.CellTop, r.LampTop);
    row.Steps->move(left + btn[ChanBtnSteps].X, top + btn[ChanBtnSteps].Y);
    row.Wheel->move(left + btn[ChanBtnWheel].X, top + btn[ChanBtnWheel].Y + drop);
    row.Mute->move(left + btn[ChanBtnMute].X, top + btn[ChanBtnMute].Y + drop);
    row.Select->move(left + btn[ChanBtnSelect].X, top + btn[ChanBtnSelect].Y + drop);
    row.Name->move(left + btn[ChanBtnName].X, top + btn[ChanBtnName].Y + drop);
    for (QWidget* w : {static_cast<QWidget*>(row.Steps), static_cast<QWidget*>(row.Wheel),
                       static_cast<QWidget*>(row.Mute), static_cast<QWidget*>(row.Select),
                       static_cast<QWidget*>(row.Name)})
      w->show();
  }
  const int viewWidth = FGridsBox->viewport()->width();
  FRowsHeight = layout.Height;
  FFirstRowHeight = layout.Rows.empty() ? 0 : RackMargin + layout.Rows[0].Top + layout.Rows[0].Height;
  Panel->resize(std::max(contentWidth + 2 * RackMargin, viewWidth), layout.Height + RackSpare);
  Panel->update();
  UpdateScroller();
  if (OnLayoutChanged) OnLayoutChanged();
}

void TChannelRack::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FGridsScroller->setGeometry(width() - ScrollerWidth, 0, ScrollerWidth, height());
}

void TChannelRack::UpdateScroller() {
  // Shown only while the rows pass the visible rack.
  const int max = RackScrollerMax(Panel->height(), FGridsBox->viewport()->height());
  FGridsScroller->SetRange(0, max);
  FGridsScroller->SetPosition(FGridsBox->verticalScrollBar()->value());
  FGridsScroller->setVisible(max > 0);
}

QWidget* TChannelRack::BackWP() const { return Panel; }

void TChannelRack::ScrollBy(int pixels) {
  QScrollBar* bar = FGridsBox->verticalScrollBar();
  bar->setValue(bar->value() + pixels);
}

void TChannelRack::ScrollToEnd() {
  QScrollBar* bar = FGridsBox->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void TChannelRack::ScrollIntoView(int channel) {
  if (channel < 0 || channel >= static_cast<int>(FRows.size())) return;
  const TRackRowWidgets& row = FRows[channel];
  const QWidget* top = row.Collapsed ? static_cast<QWidget*>(row.Name) : static_cast<QWidget*>(row.Steps);
  const int rowTop = std::min(top->y(), row.Name->y());
  const int rowBottom = std::max(top->geometry().bottom(), row.Name->geometry().bottom()) + 1;
  QScrollBar* bar = FGridsBox->verticalScrollBar();
  bar->setValue(ScrollRowIntoView(bar->value(), FGridsBox->viewport()->height(), rowTop, rowBottom - rowTop));
}

void TChannelRack::SetLineMenu(QMenu* menu) {
  FLineMenu = menu;
  for (TRackRowWidgets& row : FRows) row.Name->PopupMenu = menu;
}

QSize TChannelRack::FullSize() const {
  return Panel->size() + QSize(FGridsBox->frameWidth() * 2, FGridsBox->frameWidth() * 2);
}

QSize TChannelRack::sizeHint() const { return FullSize(); }

QSize TChannelRack::minimumSizeHint() const { return {ScrollerWidth, 0}; }

void TChannelRack::ShowPattern() {
  for (TRackRowWidgets& row : FRows) row.Steps->RedrawAll();
}

void TChannelRack::SetStepEditMode(int mode) {
  FShared.StepEditMode = std::clamp(mode, 0, 2);
  if (FShared.StepEditMode == EditSteps) FShared.StepEditModeFromClick = false;
  ShowPattern();
}

void TChannelRack::SetAllRowsShowLamps(bool all) {
  FAllLamps = all;
  Prefs.Minimized = !all;
  ArrangeChannels();
}

void TChannelRack::PaintBackground(TCanvas& canvas) {
  QPainter& p = canvas.Painter();
  if (Wallpaper.isNull())
    p.fillRect(Panel->rect(), RackFace);
  else
    p.drawTiledPixmap(Panel->rect(), Wallpaper);
  // A groove under every expanded row; the selected rows' grooves lit.
  const TSong& song = CurrentSong();
  const QColor groove = RackFace.darker(135);
  const QColor lit = QColor(0xF2, 0x9A, 0x2E, 150);
  for (int i = 0; i < static_cast<int>(FRows.size()) && i < song.ChannelCount(); ++i) {
    const TRackRowWidgets& row = FRows[i];
    if (row.Collapsed) continue;
    const QRect steps = row.Steps->geometry();
    const int y = steps.bottom();
    p.fillRect(QRect(RackMargin, y, steps.right() - RackMargin + 1, 1), groove);
    if (song.Channel(i)->Selected) p.fillRect(QRect(RackMargin - 3, steps.top() + 2, 2, steps.height() - 4), lit);
  }
}

// ---------------------------------------------------------------- play lamp

void TChannelRack::StepPositionChanged() {
  bool playing;
  bool patternPlaying;
  {
    // A few values copied under the lock, nothing more.
    MixerGuard hold;
    const TMixer& mixer = Mixer();
    const TPlayPosition& pos = PlayPosition();
    ShownStep = pos.DisplayStep.load();
    playing = mixer.Playing.load();
    patternPlaying = std::find(pos.PlayingPatterns.begin(), pos.PlayingPatterns.end(),
                               CurrentSong().CurrentPattern) != pos.PlayingPatterns.end();
    AnchorFramesPerStep = mixer.FramesPerStep;
    PeriodFrames = OutputPeriodFrames();
    AnchorFrame = mixer.NextStepFrame - mixer.FramesPerStep;
  }
  FollowSound = AudioOutput().OutputOpen.load() && !MixSettings().UseMIDI.load();
  if (patternPlaying != FShared.PatternPlaying) {
    HidePlaySteps();
    FShared.PatternPlaying = patternPlaying;
  }
  if (!playing) {
    FollowTimer.stop();
    HidePlaySteps();
    return;
  }
  FollowPlayback();
}

void TChannelRack::FollowPlayback() {
  if (!Mixer().Playing.load()) {
    FollowTimer.stop();
    HidePlaySteps();
    return;
  }
  // Out of sight the rows wait: the next step the engine reports while they
  // show again brings them up to date.
  if (!isVisible() || window()->isMinimized()) {
    FollowTimer.stop();
    return;
  }
  int step = ShownStep;
  int64_t wait = -1;
  if (FollowSound) {
    const int64_t play = GetPlayPosition();
    step = HeardStep(ShownStep, AnchorFrame, AnchorFramesPerStep, play, CurrentSong().PatternLength());
    wait = FramesToNextHeardStep(AnchorFrame, AnchorFramesPerStep, play);
  }
  if (step != HeardShown) SetPlayStepOfRows(step);
  // The device's position moves a period at a time: a wake that comes
  // before it moved looks again half a period later (at least 4 ms). While
  // the scope's frames come, they follow the step and the timer waits until
  // after the next frame is due.
  if (wait >= 0) {
    const int64_t ms = (wait * 1000 + OutputRate - 1) / OutputRate + 1;
    int64_t least = std::max<int64_t>(4, int64_t(PeriodFrames) * 500 / OutputRate);
    if (SinceScopeFrame.isValid() && SinceScopeFrame.elapsed() < ScopeFrameWait) least = ScopeFrameWait;
    FollowTimer.start(static_cast<int>(std::clamp<int64_t>(ms, least, FollowInterval)));
  } else {
    FollowTimer.stop();
  }
}

void TChannelRack::FollowAtScopeFrame() {
  SinceScopeFrame.start();
  if (FollowTimer.isActive()) FollowPlayback();
}

void TChannelRack::SetPlayStepOfRows(int step) {
  HeardShown = step;
  for (TRackRowWidgets& row : FRows) row.Steps->SetPlayStep(step);
}

void TChannelRack::HidePlaySteps() {
  HeardShown = -1;
  for (TRackRowWidgets& row : FRows) row.Steps->HidePlayStep();
}

// ---------------------------------------------------------------- the song

void TChannelRack::ChannelListChanged() { RebuildRows(); }

void TChannelRack::ChannelChanged(int index) {
  const TChannel* c = CurrentSong().Channel(index);
  if (!c || index >= static_cast<int>(FRows.size())) return;
  ShowRow(index);
  if (FRows[index].Collapsed != c->Collapsed) ArrangeChannels();
  Panel->update();
}

void TChannelRack::StepsChanged(int index) {
  if (TTechno16* row = StepRow(index)) row->RedrawAll();
}

void TChannelRack::StepOnChanged(int channel, int pattern, int step) {
  if (pattern != CurrentSong().CurrentPattern) return;
  if (TTechno16* row = StepRow(channel)) row->DrawStep(step);
}

void TChannelRack::SongReplaced(TSong&) { RebuildRows(); }

void TChannelRack::SongValueChanged(TSongValue value) {
  if (value != TSongValue::Selection) return;
  const TSong& song = CurrentSong();
  for (int i = 0; i < song.ChannelCount() && i < static_cast<int>(FRows.size()); ++i) ShowRow(i);
  Panel->update();
}

// ---------------------------------------------------------------- scrollers

void PaintMainScroller(QWidget* bar, TCanvas& canvas, const TRect& rect, int drawWhat, int state) {
  QPainter& p = canvas.Painter();
  auto* numBar = static_cast<TNumBar*>(bar);
  const QColor face = ToQColor(numBar->Color());
  const QRectF r(rect.Left, rect.Top, rect.Width(), rect.Height());
  const bool vertical = numBar->Orientation() == Qt::Vertical;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  // A raised face, lit while it is held.
  const QColor top = (state ? face.lighter(150) : face.lighter(125));
  const QColor bottom = (state ? face.lighter(110) : face.darker(125));
  QLinearGradient g(r.topLeft(), vertical ? r.topRight() : r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.setPen(QPen(face.darker(220), 1));
  p.setBrush(g);
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
  if (drawWhat == 0) {
    // Ridges every 3 pixels across the middle of the knob.
    const QPointF c = r.center();
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int k = -2; k <= 2; ++k) {
      const int at = static_cast<int>(vertical ? c.y() : c.x()) + 3 * k;
      p.setPen(face.darker(200));
      if (vertical)
        p.drawLine(QPointF(r.left() + 3, at), QPointF(r.right() - 3, at));
      else
        p.drawLine(QPointF(at, r.top() + 3), QPointF(at, r.bottom() - 3));
      p.setPen(face.lighter(170));
      if (vertical)
        p.drawLine(QPointF(r.left() + 3, at + 1), QPointF(r.right() - 3, at + 1));
      else
        p.drawLine(QPointF(at + 1, r.top() + 3), QPointF(at + 1, r.bottom() - 3));
    }
  } else {
    // An arrow toward its end of the bar.
    const QPointF c = r.center() + QPointF(state ? 0.5 : 0, state ? 0.5 : 0);
    const double a = std::min(r.width(), r.height()) * 0.22;
    const bool first = drawWhat == 1;
    QPolygonF arrow;
    if (vertical)
      arrow << c + QPointF(-a, first ? a * 0.6 : -a * 0.6) << c + QPointF(a, first ? a * 0.6 : -a * 0.6)
            << c + QPointF(0, first ? -a * 0.8 : a * 0.8);
    else
      arrow << c + QPointF(first ? a * 0.6 : -a * 0.6, -a) << c + QPointF(first ? a * 0.6 : -a * 0.6, a)
            << c + QPointF(first ? -a * 0.8 : a * 0.8, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(state ? QColor(0xf0, 0xa8, 0x3c) : face.lighter(230));
    p.drawPolygon(arrow);
  }
  p.restore();
}

TColor MainScrollerFace(TColor styleColour) { return ShiftColor(styleColour, 40); }

void StyleMainScroller(TNumBar& bar, int minimum, std::function<std::pair<int, int>()> visibleOfTotal) {
  bar.OnPaintKnob = &PaintMainScroller;
  bar.OnSetKnobWidth = [minimum, visibleOfTotal](QWidget* sender, int& width) {
    const auto [visible, total] = visibleOfTotal();
    width = ScrollerKnobLength(static_cast<TNumBar*>(sender)->TrackLength(), visible, total, minimum);
  };
}

}  // namespace vs
