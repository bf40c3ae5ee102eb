#include "editors/PluginSlotsPage.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "controls/ImageList.h"
#include "controls/WAVWheel.h"
#include "editors/PanelStyle.h"
#include "framework/MLang.h"
#include "framework/Skin.h"
#include "framework/Tab95.h"
#include "model/MixerLock.h"
#include "toolbox/AllTools.h"

namespace vs {

namespace {

QColor Rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

constexpr int PickWidth = 14;
constexpr int TopRowHeight = EmptyStripHeight;
constexpr int ParamRowHeight = 40;
// The tracks' boxes start this tall (client height) and grow with their
// strips up to the room there is.
constexpr int TrackBoxHeight = 84;

QFont LabelFont(int pixels, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

}  // namespace

// ------------------------------------------------------------ strip buttons

TStripButton::TStripButton(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

void TStripButton::SetLook(const QString& text, uint32_t face, uint32_t textColour) {
  FText = text;
  Face = face;
  TextColour = textColour;
  setAccessibleName(text);
  update();
}

void TStripButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor face = Rgb(Face);
  p.fillRect(rect(), face);
  // A raised key: light top and left, dark bottom and right.
  p.setPen(face.lighter(130));
  p.drawLine(0, 0, width() - 1, 0);
  p.drawLine(0, 0, 0, height() - 1);
  p.setPen(face.darker(170));
  p.drawLine(0, height() - 1, width() - 1, height() - 1);
  p.drawLine(width() - 1, 0, width() - 1, height() - 1);
  p.setPen(Rgb(TextColour));
  p.setFont(LabelFont(11, true));
  if (FText.isEmpty()) {
    // The pick button: a small arrow.
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Rgb(TextColour));
    const QPointF c(width() / 2.0, height() / 2.0 + 1);
    p.drawPolygon(QPolygonF({c + QPointF(-3.5, -2), c + QPointF(3.5, -2), c + QPointF(0, 2.5)}));
    return;
  }
  p.drawText(rect().adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
             p.fontMetrics().elidedText(FText, Qt::ElideRight, width() - 10));
}

void TStripButton::mousePressEvent(QMouseEvent* event) {
  if (OnPress) OnPress(event->button(), event->globalPosition().toPoint());
}

// ------------------------------------------------------------ strips

TStripLabel::TStripLabel(const QString& text, const QFont& font, uint32_t colour, QWidget* parent)
    : QWidget(parent), FText(text), Colour(colour) {
  setFont(font);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TStripLabel::SetText(const QString& text) {
  if (text == FText) return;
  FText = text;
  update();
}

void TStripLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  p.setPen(Rgb(Colour));
  p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(FText, Qt::ElideRight, width()));
}

TPluginSlotPanel::TPluginSlotPanel(TPluginRack& rack, const TImageList& wheels, QWidget* parent)
    : QWidget(parent), FRack(&rack), WheelImages(wheels) {
  setObjectName("PluginRack");
  setAttribute(Qt::WA_OpaquePaintEvent);
  FPick = new TStripButton(this);
  FPick->setObjectName("PickBtn");
  FName = new TStripButton(this);
  FName->setObjectName("NameBtn");
  FPick->OnPress = [this](Qt::MouseButton, QPoint at) {
    if (OnMenu) OnMenu(*this, at);
  };
  FName->OnPress = [this](Qt::MouseButton button, QPoint at) {
    if (button == Qt::RightButton) {
      if (OnMenu) OnMenu(*this, at);
      return;
    }
    if (button != Qt::LeftButton) return;
    FRack->ToggleBypass();
    UpdateCaption();
  };
  setFixedHeight(TopRowHeight);
  UpdateSize();
}

void TPluginSlotPanel::SetRack(TPluginRack& rack) {
  FRack = &rack;
  UpdateSize();
}

void TPluginSlotPanel::UpdateCaption() {
  const TPluginRack& r = *FRack;
  if (r.Plugin.Loaded()) {
    FName->SetLook(QString::fromStdString(r.Caption()), r.ButtonColour(), r.TextColour());
    FPick->SetLook(QString(), r.Colour, r.TextColour());
  } else {
    // Empty: the strip's silver as the writing on a dark recess.
    FName->SetLook(NoneText, 0x24272C, r.Colour);
    FPick->SetLook(QString(), 0x2E3137, r.Colour);
  }
  setAccessibleName(QString::fromStdString(PluginTrackName(r.Track) + " slot " + std::to_string(r.Slot + 1) +
                                           ": " + r.Plugin.Name));
  update();
}

void TPluginSlotPanel::UpdateSize() {
  for (TParamWidgets& w : Params) {
    delete w.Name;
    delete w.Wheel;
    delete w.Display;
    delete w.Unit;
  }
  Params.clear();
  FWheels.clear();
  TVSTPlugin& plugin = FRack->Plugin;
  int bottom = TopRowHeight;
  for (size_t i = 0; i < plugin.ParamControls.size(); ++i) {
    const TPlugParamControl& c = *plugin.ParamControls[i];
    TParamWidgets w;
    const uint32_t text = FRack->TextColour();
    w.Name = new TStripLabel(QString::fromStdString(c.Name), LabelFont(10, true), text, this);
    w.Name->setGeometry(c.Left, c.Top, 91, 14);
    w.Wheel = new TWAVWheel(this);
    w.Wheel->setObjectName("ParamWheel");
    w.Wheel->SetBorder(false);
    w.Wheel->SetWheelIL(const_cast<TImageList*>(&WheelImages));
    w.Wheel->SetMin(0);
    w.Wheel->SetMax(ParamWheelMax);
    w.Wheel->MoveSpeed = ParamWheelMax / 64;
    w.Wheel->move(c.Left, c.Top + 15);
    w.Wheel->SetValue(c.Wheel.load());
    w.Wheel->setAccessibleName(QString::fromStdString(c.Name));
    const int index = int(i);
    w.Wheel->OnChange = [this, index](QWidget* sender) {
      FRack->Plugin.ParamWheelChange(index, static_cast<TWAVWheel*>(sender)->Value());
      const TPlugParamControl& pc = *FRack->Plugin.ParamControls[size_t(index)];
      Params[size_t(index)].Display->SetText(QString::fromStdString(pc.Display));
    };
    const int x = c.Left + std::max(24, w.Wheel->width() + 3);
    w.Display = new TStripLabel(QString::fromStdString(c.Display), LabelFont(10), text, this);
    w.Display->setGeometry(x, c.Top + 15, 91 - (x - c.Left), 13);
    w.Unit = new TStripLabel(QString::fromStdString(c.Unit), LabelFont(9), text, this);
    w.Unit->setGeometry(x, c.Top + 27, 91 - (x - c.Left), 12);
    for (QWidget* widget : {static_cast<QWidget*>(w.Name), static_cast<QWidget*>(w.Wheel),
                            static_cast<QWidget*>(w.Display), static_cast<QWidget*>(w.Unit)})
      widget->show();
    FWheels.push_back(w.Wheel);
    Params.push_back(w);
    bottom = std::max(bottom, c.Top + ParamRowHeight);
  }
  if (plugin.Loaded() && Params.empty()) bottom = TopRowHeight + 4;
  setFixedHeight(bottom);
  UpdateCaption();
}

void TPluginSlotPanel::RefreshParams() {
  TVSTPlugin& plugin = FRack->Plugin;
  for (size_t i = 0; i < Params.size() && i < plugin.ParamControls.size(); ++i) {
    const TPlugParamControl& c = *plugin.ParamControls[i];
    Params[i].Wheel->SetValue(c.Wheel.load());
    Params[i].Display->SetText(QString::fromStdString(c.Display));
  }
}

void TPluginSlotPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!FRack->Plugin.Loaded()) {
    // An empty slot: a dark recess in the panel.
    p.fillRect(rect(), QColor(0x1E, 0x20, 0x24));
    return;
  }
  const QColor face = Rgb(FRack->Colour);
  p.fillRect(rect(), face);
  p.setPen(face.darker(200));
  p.drawLine(0, height() - 1, width() - 1, height() - 1);
  if (height() > TopRowHeight) {
    // The parameter panel: a slightly deeper face under the top row.
    p.fillRect(QRect(0, TopRowHeight, width(), height() - TopRowHeight - 1), face.darker(108));
    p.setPen(face.lighter(125));
    p.drawLine(0, TopRowHeight, width() - 1, TopRowHeight);
  }
}

void TPluginSlotPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && OnMenu) OnMenu(*this, event->globalPosition().toPoint());
}

void TPluginSlotPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FPick->setGeometry(0, 0, PickWidth, TopRowHeight - 1);
  FName->setGeometry(PickWidth, 0, width() - PickWidth, TopRowHeight - 1);
  FRack->PanelWidth = width();
}

// ------------------------------------------------------------ the page

TPluginSlotsPage::TPluginSlotsPage(TPluginHost& host, const std::string& folder, QWidget* parent)
    : QWidget(parent), Host(host), Folder(folder) {
  setObjectName("PluginSlotsPage");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  FFXPageControl = new TPage95Control(this);
  FFXPageControl->setObjectName("FXPageControl");
  panel::ApplyTabLook(FFXPageControl);
  layout->addWidget(FFXPageControl);
  const char* const sheetNames[PluginTracks] = {"MasterSheet", "FX1Sheet", "FX2Sheet", "FX3Sheet", "FX4Sheet"};
  const TImageList& wheels = Skin().MiddleWheelIL;
  // The tracks' sheets in their order, then the strips of each, last to
  // first (each strip lies below the ones before it).
  for (int t = 0; t < PluginTracks; ++t) {
    auto* sheet = new TTab95Sheet(FFXPageControl, QString::fromStdString(PluginTrackName(t)));
    sheet->setObjectName(sheetNames[t]);
    Sheets[size_t(t)] = sheet;
  }
  for (int t = PluginTracks - 1; t >= 0; --t) {
    auto* box = new QScrollArea(Sheets[size_t(t)]);
    box->setObjectName("TrackBox");
    box->setFrameShape(QFrame::NoFrame);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setWidgetResizable(true);
    auto* column = new QWidget(box);
    column->setObjectName("TrackColumn");
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(1);
    for (int s = 0; s < PluginSlotsPerTrack; ++s) {
      auto* panel = new TPluginSlotPanel(Host.Slot(t, s), wheels, column);
      panel->OnMenu = [this](TPluginSlotPanel& p, QPoint at) { Popup(p, at); };
      Slots[size_t(t)][size_t(s)] = panel;
      stack->addWidget(panel);
    }
    stack->addStretch(1);
    box->setWidget(column);
    Sheets[size_t(t)]->installEventFilter(this);
    Boxes[size_t(t)] = box;
    Columns[size_t(t)] = column;
  }
  FFXPageControl->SetActivePage(Sheets[0]);

  FPluginMenu = new QMenu(this);
  FPluginMenu->setObjectName("PluginMenu");
  FChoosePluginMenu = FPluginMenu->addMenu(QStringLiteral("Plugin"));
  FChoosePluginMenu->setObjectName("ChoosePluginMenu");
  FChooseProgramMenu = FPluginMenu->addMenu(QStringLiteral("Program"));
  FChooseProgramMenu->setObjectName("ChooseProgramMenu");
  FPluginMenu->addSeparator();
  FViewEditorMenu = FPluginMenu->addAction(QStringLiteral("&Editor"), this, [this] { ViewEditor(); });
  FViewEditorMenu->setObjectName("ViewEditorMenu");
  FViewEditorMenu->setCheckable(true);
  SetHint(FViewEditorMenu, QStringLiteral("Open plugin own editor (if any)"));
  FPluginMenu->addSeparator();
  FMoveUpMenu = FPluginMenu->addAction(QStringLiteral("Move &up"), this, [this] {
    if (FPopupSlot) MovePluginSlot(FPopupSlot->Rack().Slot - 1);
  });
  FMoveUpMenu->setObjectName("MoveUpMenu");
  FMoveDownMenu = FPluginMenu->addAction(QStringLiteral("Move &down"), this, [this] {
    if (FPopupSlot) MovePluginSlot(FPopupSlot->Rack().Slot + 1);
  });
  FMoveDownMenu->setObjectName("MoveDownMenu");
}

void TPluginSlotsPage::BuildPluginMenu() {
  FChoosePluginMenu->clear();
  for (const std::string& name : PluginFileNames(Folder)) {
    const QString caption = QString::fromStdString(name);
    QAction* item = FChoosePluginMenu->addAction(
        name == PluginNoneEntry ? Slots[0][0]->NoneText : QString::fromStdString(DoubleAmpersands(name)));
    connect(item, &QAction::triggered, this, [this, caption] { PluginSelect(caption); });
  }
}

void TPluginSlotsPage::InvalidatePluginMenu() { FChoosePluginMenu->clear(); }

void TPluginSlotsPage::PreparePluginMenu(TPluginSlotPanel& panel) {
  if (FChoosePluginMenu->isEmpty()) BuildPluginMenu();
  FPopupSlot = &panel;
  const TPluginRack& rack = panel.Rack();
  const TVSTPlugin& plugin = rack.Plugin;
  FViewEditorMenu->setEnabled(plugin.Loaded() && (plugin.Effect->Flags & VSTFlagHasEditor));
  FViewEditorMenu->setChecked(rack.EditorVisible());
  FMoveUpMenu->setEnabled(rack.Slot > 0);
  FMoveDownMenu->setEnabled(rack.Slot < PluginSlotsPerTrack - 1);
  FChooseProgramMenu->clear();
  for (size_t i = 0; i < plugin.ProgramNames.size(); ++i) {
    const int program = int(i);
    QAction* item = FChooseProgramMenu->addAction(QString::fromStdString(DoubleAmpersands(plugin.ProgramNames[i])));
    connect(item, &QAction::triggered, this, [this, program] { ProgramSelect(program); });
  }
  FChooseProgramMenu->setEnabled(plugin.Loaded());
}

void TPluginSlotsPage::Popup(TPluginSlotPanel& panel, QPoint globalPos) {
  PreparePluginMenu(panel);
  FPluginMenu->popup(globalPos);
}

void TPluginSlotsPage::PluginSelect(const QString& caption) {
  if (!FPopupSlot) return;
  TPluginRack& rack = FPopupSlot->Rack();
  rack.PanelWidth = std::max(FPopupSlot->width(), 100);
  rack.UnloadPlugin();
  if (caption != QLatin1String(PluginNoneEntry)) {
    if (rack.LoadPlugin(Folder, caption.toStdString())) rack.ShowEditor();
  }
  FPopupSlot->UpdateSize();
  ArrangeTrack(rack.Track);
}

void TPluginSlotsPage::ProgramSelect(int program) {
  if (!FPopupSlot) return;
  FPopupSlot->Rack().SetProgram(program);
  FPopupSlot->RefreshParams();
}

void TPluginSlotsPage::ViewEditor() {
  if (!FPopupSlot) return;
  FPopupSlot->Rack().ShowEditor();
}

void TPluginSlotsPage::MovePluginSlot(int target) {
  if (!FPopupSlot) return;
  const TPluginRack& rack = FPopupSlot->Rack();
  const int track = rack.Track, from = rack.Slot;
  if (target < 0 || target >= PluginSlotsPerTrack || target == from) return;
  Host.SwapSlots(track, from, target);
  // The strips stay where they are and show the racks now in their places.
  Slots[size_t(track)][size_t(from)]->SetRack(Host.Slot(track, from));
  Slots[size_t(track)][size_t(target)]->SetRack(Host.Slot(track, target));
  FPopupSlot = Slots[size_t(track)][size_t(target)];
  ArrangeTrack(track);
}

void TPluginSlotsPage::SetNoneText(const QString& text) {
  for (auto& track : Slots)
    for (TPluginSlotPanel* panel : track) {
      panel->NoneText = text;
      panel->UpdateCaption();
    }
  InvalidatePluginMenu();
}

void TPluginSlotsPage::ShowSlots() {
  for (int t = 0; t < PluginTracks; ++t) {
    for (int s = 0; s < PluginSlotsPerTrack; ++s) Slots[size_t(t)][size_t(s)]->SetRack(Host.Slot(t, s));
    ArrangeTrack(t);
  }
}

void TPluginSlotsPage::ParamsAutomated(int slot) {
  const int t = slot / PluginSlotsPerTrack, s = slot % PluginSlotsPerTrack;
  if (t < 0 || t >= PluginTracks) return;
  for (TPluginSlotPanel* panel : Slots[size_t(t)])
    if (panel->Rack().Slot == s) panel->RefreshParams();
}

void TPluginSlotsPage::ArrangeTrack(int track) {
  // The box takes its strips' height, at most the room on its sheet.
  QWidget* column = Columns[size_t(track)];
  if (QLayout* l = column->layout()) l->activate();
  const QWidget* sheet = Sheets[size_t(track)];
  const int wanted = std::max(TrackBoxHeight, column->sizeHint().height());
  Boxes[size_t(track)]->setGeometry(0, 0, sheet->width(), std::min(wanted, std::max(sheet->height(), TrackBoxHeight)));
}

bool TPluginSlotsPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize)
    for (int t = 0; t < PluginTracks; ++t)
      if (watched == Sheets[size_t(t)]) ArrangeTrack(t);
  return QWidget::eventFilter(watched, event);
}

}  // namespace vs
