#include "framework/Tab95.h"

#include <QLayout>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/ImageList.h"

namespace vs {

namespace {

QString AccessError(const char* operation) {
  return QStringLiteral("Tab control access error\r\nViolation occured in ") + QLatin1String(operation);
}

QRect Q(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// The first control of a page that takes the focus by tabbing.
QWidget* FirstFocusable(QWidget* page) {
  for (QWidget* w : page->findChildren<QWidget*>())
    if (w->isEnabled() && w->isVisibleTo(page) && (w->focusPolicy() & Qt::TabFocus)) return w;
  return nullptr;
}

}  // namespace

// ------------------------------------------------------------ tab strings

int TTabStrings::Count() const { return Control.TabCount(); }

QString TTabStrings::Get(int index) const {
  Control.CheckIndex(index, Count(), "TTabStrings.Get");
  return Control.Items[size_t(index)].Text;
}

void TTabStrings::Put(int index, const QString& text) {
  Control.CheckIndex(index, Count(), "TTabStrings.Put");
  Control.Items[size_t(index)].Text = text;
  Control.TabsChanged();
}

QObject* TTabStrings::GetObject(int index) const {
  Control.CheckIndex(index, Count(), "TTabStrings.GetObject");
  return Control.Items[size_t(index)].Object;
}

void TTabStrings::PutObject(int index, QObject* object) {
  Control.CheckIndex(index, Count(), "TTabStrings.PutObject");
  Control.Items[size_t(index)].Object = object;
}

void TTabStrings::Insert(int index, const QString& text, QObject* object) {
  Control.CheckIndex(index, Count() + 1, "TTabStrings.Insert");
  Control.Items.insert(Control.Items.begin() + index, {text, object, -1, false});
  if (Control.FTabIndex >= index) ++Control.FTabIndex;
  Control.TabsChanged();
}

int TTabStrings::Add(const QString& text, QObject* object) {
  Insert(Count(), text, object);
  return Count() - 1;
}

void TTabStrings::Delete(int index) {
  Control.CheckIndex(index, Count(), "TTabStrings.Delete");
  Control.Items.erase(Control.Items.begin() + index);
  if (Control.FTabIndex == index)
    Control.FTabIndex = -1;
  else if (Control.FTabIndex > index)
    --Control.FTabIndex;
  Control.TabsChanged();
}

void TTabStrings::Clear() {
  Control.Items.clear();
  Control.FTabIndex = -1;
  Control.TabsChanged();
}

void TTabStrings::BeginUpdate() { ++Control.UpdateDepth; }

void TTabStrings::EndUpdate() {
  if (Control.UpdateDepth > 0 && --Control.UpdateDepth == 0) Control.TabsChanged();
}

// ------------------------------------------------------------ image indexes

int TImageIndexStrings::Count() const { return Control.TabCount(); }

QString TImageIndexStrings::Get(int index) const {
  Control.CheckIndex(index, Count(), "TImageIndexStrings.Get");
  return QString::number(Control.TabImage(index));
}

void TImageIndexStrings::Put(int index, const QString& text) {
  if (index < 0 || index >= Count()) return;
  bool number = false;
  const int image = text.trimmed().toInt(&number);
  // A line that is no number changes nothing and says so.
  if (!number) throw ETab95Error("'" + text.toStdString() + "' is not a valid integer value");
  Control.SetTabImage(index, image);
}

void TImageIndexStrings::Add(const QString& text) { Put(NextLine++, text); }

void TImageIndexStrings::Clear() { NextLine = 0; }

void TImageIndexStrings::Assign(const TImageIndexStrings& other) {
  const int n = std::min(Count(), other.Count());
  for (int i = 0; i < n; ++i) Put(i, other.Get(i));
}

// ------------------------------------------------------------ the strip

TCustomTab95Control::TCustomTab95Control(QWidget* parent) : QWidget(parent) {
  resize(289, 193);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  FInactiveFont = font();
  FInactiveFontColor = palette().color(QPalette::WindowText);
}

TCustomTab95Control::~TCustomTab95Control() = default;

void TCustomTab95Control::CheckIndex(int index, int count, const char* operation) const {
  if (index < 0 || index >= count) throw ETab95Error(AccessError(operation).toStdString());
}

void TCustomTab95Control::SetFlatButtons(bool on) {
  FFlatButtons = on;
  update();
}

void TCustomTab95Control::SetFlatSeperators(bool on) {
  FFlatSeperators = on;
  update();
}

void TCustomTab95Control::SetMultiSelect(bool on) {
  FMultiSelect = on;
  if (!on)
    for (TItem& item : Items) item.Marked = false;
  update();
}

bool TCustomTab95Control::TabMarked(int index) const {
  return index >= 0 && index < TabCount() && Items[size_t(index)].Marked;
}

void TCustomTab95Control::SetButtonStyle(bool on) {
  if (on == FButtonStyle) return;
  FButtonStyle = on;
  FPosition = tpTopLeft;
  FVertical = false;
  TabsChanged();
}

void TCustomTab95Control::SetHotTrack(bool on) {
  FHotTrack = on;
  setMouseTracking(on);
  if (!on) SetHot(-1);
}

void TCustomTab95Control::SetImages(TImageList* images) {
  FImages = images;
  TabsChanged();
}

void TCustomTab95Control::SetTabInactiveColor(const QColor& colour) {
  FInactiveColor = colour;
  update();
}

void TCustomTab95Control::SetTabInactiveFont(const QFont& font) {
  FInactiveFont = font;
  update();
}

void TCustomTab95Control::SetTabInactiveFontColor(const QColor& colour) {
  FInactiveFontColor = colour;
  update();
}

void TCustomTab95Control::SetMultiLine(bool on) {
  FMultiLine = on;
  if (!on) FScrollOpposite = false;
  TabsChanged();
}

void TCustomTab95Control::SetScrollOpposite(bool on) {
  FScrollOpposite = on;
  if (on) FMultiLine = true;
  TabsChanged();
}

void TCustomTab95Control::SetTabHeight(int height) {
  if (height < 0) throw ETab95Error("Property out of range (" + std::string(metaObject()->className()) + ")");
  FTabHeight = height;
  TabsChanged();
}

void TCustomTab95Control::SetTabWidth(int width) {
  if (width < 0) throw ETab95Error("Property out of range (" + std::string(metaObject()->className()) + ")");
  FTabWidth = width;
  TabsChanged();
}

void TCustomTab95Control::SetTabIndex(int index) {
  if (index < -1 || index >= TabCount()) return;
  FTabIndex = index;
  update();
}

void TCustomTab95Control::SetTextRotation(TTextRotation rotation) {
  FRotation = rotation;
  TabsChanged();
}

void TCustomTab95Control::SetTabPosition(TTab95Position position) {
  if (FButtonStyle) throw ETab95Error("Buttons are only supported when aligned along the top");
  FPosition = position;
  TabsChanged();
}

void TCustomTab95Control::SetVerticalTabs(bool on) {
  if (FButtonStyle) throw ETab95Error("Buttons are only supported when aligned along the top");
  FVertical = on;
  TabsChanged();
}

int TCustomTab95Control::TabImage(int index) const {
  return index >= 0 && index < TabCount() ? Items[size_t(index)].Image : -1;
}

void TCustomTab95Control::SetTabImage(int index, int image) {
  if (index < 0 || index >= TabCount()) return;
  Items[size_t(index)].Image = std::max(-1, image);
  TabsChanged();
}

TTabStripShape TCustomTab95Control::Shape() const {
  TTabStripShape s;
  s.Width = width();
  s.Height = height();
  s.TabWidth = FTabWidth;
  s.TabHeight = FTabHeight;
  s.TextHeight = std::max(QFontMetrics(font()).height(), QFontMetrics(FInactiveFont).height());
  s.ImageWidth = FImages ? FImages->Width() : 0;
  s.Vertical = FVertical;
  s.Position = FPosition;
  s.MultiLine = FMultiLine;
  s.ButtonStyle = FButtonStyle;
  return s;
}

std::vector<TRect> TCustomTab95Control::TabRects() const {
  const QFontMetrics own(font()), inactive(FInactiveFont);
  std::vector<int> widths;
  for (const TItem& item : Items) {
    const QString text = item.Text.trimmed();
    widths.push_back(std::max(own.horizontalAdvance(text), inactive.horizontalAdvance(text)));
  }
  return LayoutTabs(Shape(), widths, FTabIndex);
}

TRect TCustomTab95Control::DisplayRect() const {
  const TTabStripShape s = Shape();
  // The page area keeps a frame of two pixels.
  return PageArea(s, TabStripDepth(s, TabRects())).Inflated(-2, -2);
}

bool TCustomTab95Control::SelectTab(int index) {
  if (index < 0 || index >= TabCount() || index == FTabIndex) return false;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return false;
  FTabIndex = index;
  update();
  Change();
  return true;
}

void TCustomTab95Control::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTab95Control::TabsChanged() {
  if (UpdateDepth > 0) return;
  updateGeometry();
  Relayout();
  update();
}

void TCustomTab95Control::SetHot(int index) {
  if (index == FHotTab) return;
  FHotTab = index;
  update();
}

QSize TCustomTab95Control::sizeHint() const {
  const std::vector<TRect> tabs = TabRects();
  int along = 0;
  for (const TRect& t : tabs) along = std::max(along, FVertical ? t.Bottom : t.Right);
  const int depth = TabStripDepth(Shape(), tabs);
  return FVertical ? QSize(depth + 100, along + 4) : QSize(along + 4, depth + 100);
}

QSize TCustomTab95Control::minimumSizeHint() const { return QSize(40, 30); }

void TCustomTab95Control::PaintPageFrame(QPainter& p, const TRect& area) {
  if (area.IsEmpty()) return;
  const QColor face = palette().color(QPalette::Window);
  p.fillRect(Q(area), face);
  // A raised panel: light top and left, dark bottom and right.
  const QRect r = Q(area);
  p.setPen(face.lighter(140));
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(face.darker(190));
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

void TCustomTab95Control::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // The strip lies in a well a little darker than the panel.
  const QColor face = palette().color(QPalette::Window);
  p.fillRect(rect(), face.darker(125));
  const TTabStripShape shape = Shape();
  const std::vector<TRect> tabs = TabRects();
  // Buttons stand over a page without a frame.
  const TRect pages = PageArea(shape, TabStripDepth(shape, tabs));
  if (FButtonStyle)
    p.fillRect(Q(pages), face);
  else
    PaintPageFrame(p, pages);
  // The selected tab last: it overlaps its neighbours and the frame.
  std::vector<int> order;
  for (int i = 0; i < TabCount(); ++i)
    if (i != FTabIndex) order.push_back(i);
  if (FTabIndex >= 0 && FTabIndex < TabCount()) order.push_back(FTabIndex);
  for (int i : order) {
    const TRect r = ShiftedTabRect(tabs[size_t(i)], i == FTabIndex, shape);
    p.save();
    p.setFont(font());
    if (OnDrawTab)
      OnDrawTab(this, p, Items[size_t(i)].Text, i, r);
    else
      DrawTab(p, Items[size_t(i)].Text, i, r);
    p.restore();
  }
}

void TCustomTab95Control::DrawTab(QPainter& p, const QString& caption, int index, TRect rect) {
  const bool selected = index == FTabIndex;
  const QString text = caption.trimmed();
  const QFont& f = selected ? font() : FInactiveFont;
  QColor textColour = selected ? palette().color(QPalette::WindowText) : FInactiveFontColor;
  if (FHotTrack && index == FHotTab) textColour = palette().color(QPalette::Highlight);
  const QColor fill = selected ? palette().color(QPalette::Window) : FInactiveColor;
  p.setFont(f);
  const QFontMetrics fm(f);
  const int image = FImages && TabImage(index) >= 0 ? FImages->Height() : 0;
  const bool turned = FRotation == trVertical;
  const int tw = fm.horizontalAdvance(text), th = fm.height();
  const TTabFace face = TabFace(rect, selected, image, FVertical, turned ? th : tw, turned ? tw : th);
  const QRect fillRect = Q(face.Fill);
  p.fillRect(fillRect, fill);
  const bool horizontal = !FVertical;
  const bool nearStart = FPosition == tpTopLeft;
  if (FButtonStyle) {
    DrawButtonEdges(p, Q(rect), selected || Items[size_t(index)].Marked, fill);
  } else {
    // Edges: light on the outer side and the leading edge, dark on the
    // trailing one; the selected tab carries the accent along its outer edge
    // and opens into the page.
    p.setPen(fill.lighter(selected ? 135 : 120));
    if (horizontal) {
      const int outer = nearStart ? fillRect.top() : fillRect.bottom();
      p.drawLine(fillRect.left(), outer, fillRect.right(), outer);
      p.drawLine(fillRect.left(), fillRect.top(), fillRect.left(), fillRect.bottom());
      p.setPen(fill.darker(180));
      p.drawLine(fillRect.right(), fillRect.top(), fillRect.right(), fillRect.bottom());
      if (selected) p.fillRect(QRect(fillRect.left() + 1, outer - (nearStart ? 0 : 1), fillRect.width() - 2, 2),
                               palette().color(QPalette::Highlight));
    } else {
      const int outer = nearStart ? fillRect.left() : fillRect.right();
      p.drawLine(outer, fillRect.top(), outer, fillRect.bottom());
      p.drawLine(fillRect.left(), fillRect.top(), fillRect.right(), fillRect.top());
      p.setPen(fill.darker(180));
      p.drawLine(fillRect.left(), fillRect.bottom(), fillRect.right(), fillRect.bottom());
      if (selected) p.fillRect(QRect(outer - (nearStart ? 0 : 1), fillRect.top() + 1, 2, fillRect.height() - 2),
                               palette().color(QPalette::Highlight));
    }
  }
  if (face.HasImage) FImages->Draw(p, face.ImageX, face.ImageY, TabImage(index));
  p.setPen(textColour);
  const QRect box = Q(face.TextBox);
  p.setClipRect(box);
  if (!turned) {
    p.drawText(face.TextX, face.TextY + fm.ascent(), text);
    return;
  }
  // Turned text: 90 degrees (reading upwards) for top/left tabs, 270 for
  // bottom/right ones, centred on the tab.
  const QPointF centre(box.left() + box.width() / 2.0, box.top() + box.height() / 2.0);
  p.translate(centre);
  p.rotate(nearStart ? -90 : 90);
  p.drawText(QPointF(-tw / 2.0, -th / 2.0 + fm.ascent()), text);
}

// A button tab: raised, or flat with FlatButtons; pressed (sunken) when
// selected or marked. Flat buttons with FlatSeperators get an etched line
// after them.
void TCustomTab95Control::DrawButtonEdges(QPainter& p, const QRect& r, bool pressed, const QColor& face) {
  const QColor light = face.lighter(150), dark = face.darker(200);
  if (pressed || !FFlatButtons) {
    p.setPen(pressed ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(pressed ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  }
  if (FFlatButtons && FFlatSeperators) {
    const QRect line = FVertical ? QRect(r.left(), r.bottom() + 2, r.width(), 2) : QRect(r.right() + 2, r.top(), 2, r.height());
    p.fillRect(FVertical ? QRect(line.left(), line.top(), line.width(), 1) : QRect(line.left(), line.top(), 1, line.height()),
               dark);
    p.fillRect(FVertical ? QRect(line.left(), line.top() + 1, line.width(), 1)
                         : QRect(line.left() + 1, line.top(), 1, line.height()),
               light);
  }
}

void TCustomTab95Control::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  const int tab = TabAt(TabRects(), at.x(), at.y());
  if (tab < 0) return QWidget::mousePressEvent(event);
  if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
  if (FButtonStyle && FMultiSelect) {
    if (event->modifiers() & Qt::ControlModifier) {
      if (tab != FTabIndex) Items[size_t(tab)].Marked = !Items[size_t(tab)].Marked;
      update();
      return;
    }
    for (TItem& item : Items) item.Marked = false;
    update();
  }
  SelectTab(tab);
}

void TCustomTab95Control::mouseMoveEvent(QMouseEvent* event) {
  if (FHotTrack) {
    const QPoint at = event->position().toPoint();
    SetHot(TabAt(TabRects(), at.x(), at.y()));
  }
  QWidget::mouseMoveEvent(event);
}

void TCustomTab95Control::leaveEvent(QEvent* event) {
  SetHot(-1);
  QWidget::leaveEvent(event);
}

void TCustomTab95Control::keyPressEvent(QKeyEvent* event) {
  const int n = TabCount();
  int target = -1;
  const bool back = FVertical ? event->key() == Qt::Key_Up : event->key() == Qt::Key_Left;
  const bool forth = FVertical ? event->key() == Qt::Key_Down : event->key() == Qt::Key_Right;
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return QWidget::keyPressEvent(event);
  if (back && n > 0)
    target = std::max(0, FTabIndex - 1);
  else if (forth && n > 0)
    target = std::min(n - 1, FTabIndex + 1);
  else if (event->key() == Qt::Key_Home && n > 0)
    target = 0;
  else if (event->key() == Qt::Key_End && n > 0)
    target = n - 1;
  else
    return QWidget::keyPressEvent(event);
  SelectTab(target);
}

void TCustomTab95Control::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}

void TCustomTab95Control::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) TabsChanged();
}

TTab95Control::TTab95Control(QWidget* parent) : TCustomTab95Control(parent), FTabs(*this), FImageIndexes(*this) {}

// ------------------------------------------------------------ sheets

TTab95Sheet::TTab95Sheet(TPage95Control* pageControl, const QString& caption, const char* objectName)
    : FCaption(caption) {
  if (objectName) setObjectName(QString::fromUtf8(objectName));
  setAutoFillBackground(true);
  hide();
  SetPageControl(pageControl);
}

TTab95Sheet::~TTab95Sheet() {
  if (FPageControl) FPageControl->RemoveSheet(this);
  if (FFloating && FHome) --FHome->FFloatingCount;
  // A window left empty goes too (unless it is what is freeing the sheet).
  if (FForm) FForm->deleteLater();
}

void TTab95Sheet::setVisible(bool visible) {
  if (visible && FPageControl && !FFloating && FPageControl->FActivePage != this) {
    FPageControl->SetActivePage(this);
    return;
  }
  QWidget::setVisible(visible);
}

void TTab95Sheet::SetDragable(bool on) {
  FDragable = on;
  UpdateGripMargins();
}

void TTab95Sheet::SetGripAlign(TGripAlign align) {
  FGripAlign = align;
  UpdateGripMargins();
}

void TTab95Sheet::UpdateGripMargins() {
  const int left = FDragable && FGripAlign == gaLeft ? GripDepth : 0;
  const int right = FDragable && FGripAlign == gaRight ? GripDepth : 0;
  const int top = FDragable && FGripAlign == gaTop ? GripDepth : 0;
  const int bottom = FDragable && FGripAlign == gaBottom ? GripDepth : 0;
  setContentsMargins(left, top, right, bottom);
  update();
}

void TTab95Sheet::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!FDragable) return;
  QPainter p(this);
  const TGripDots dots = GripDots(FGripAlign, width(), height());
  for (const TRect& r : dots.Shadow) p.fillRect(Q(r), palette().color(QPalette::Dark));
  for (const TRect& r : dots.Highlight) p.fillRect(Q(r), palette().color(QPalette::Light));
}

bool TTab95Sheet::CanStartDrag(const QPoint& at) const {
  if (!FDragable || !FPageControl || FFloating) return false;
  if (FPageControl->PageCount() <= 1 && !FPageControl->RemoveLastTab) return false;
  return GripHotArea(FGripAlign, width(), height()).Contains(at.x(), at.y());
}

void TTab95Sheet::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton || !CanStartDrag(at)) return QWidget::mousePressEvent(event);
  FPressed = true;
  FPressAt = at;
  FPressGlobal = event->globalPosition().toPoint();
}

void TTab95Sheet::mouseMoveEvent(QMouseEvent* event) {
  if (!FPressed) return QWidget::mouseMoveEvent(event);
  const QPoint delta = event->globalPosition().toPoint() - FPressGlobal;
  if (!FOutline) {
    if (!SheetDragStarts(delta.x(), delta.y())) return;
    // An outline of the sheet's size follows the mouse, above every window.
    auto* band = new QRubberBand(QRubberBand::Rectangle);
    band->setWindowFlags(band->windowFlags() | Qt::WindowStaysOnTopHint);
    FOutline.reset(band);
  }
  FOutline->setGeometry(QRect(mapToGlobal(QPoint(0, 0)) + delta, size()));
  FOutline->show();
}

void TTab95Sheet::mouseReleaseEvent(QMouseEvent* event) {
  if (!FPressed) return QWidget::mouseReleaseEvent(event);
  FPressed = false;
  if (!FOutline) return;
  FOutline.reset();
  FloatAt(event->globalPosition().toPoint() - FPressAt);
}

void TTab95Sheet::FloatAt(const QPoint& globalTopLeft) {
  TPage95Control* home = FPageControl;
  if (!home || FFloating) return;
  const QSize sheetSize = size();
  FHome = home;
  home->SheetFloated(this);
  FFloating = true;
  if (!FForm) FForm = new TFloatingForm(this, home->window());
  FForm->setWindowTitle(FCaption);
  FForm->resize(sheetSize);
  FForm->move(globalTopLeft);
  if (OnFloatChange) OnFloatChange(this, 0);
  setParent(FForm);
  FForm->layout()->addWidget(this);
  show();
  FForm->show();
}

void TTab95Sheet::ComeBack() {
  if (!FFloating) return;
  FFloating = false;
  if (FHome) {
    FHome->SheetReturned(this);
    FHome->SetActivePage(this);
  }
  if (OnFloatChange) OnFloatChange(this, 1);
  FForm = nullptr;
}

// ------------------------------------------------------------ floating window

TFloatingForm::TFloatingForm(TTab95Sheet* sheet, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), FSheet(sheet) {
  // The sheet keeps the look of the window it came from.
  if (owner) {
    setPalette(owner->palette());
    setFont(owner->font());
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
}

void TFloatingForm::closeEvent(QCloseEvent* event) {
  event->accept();
  hide();
  if (FSheet) FSheet->ComeBack();
  deleteLater();
}

void TTab95Sheet::SetPageControl(TPage95Control* control) {
  if (control == FPageControl) return;
  if (FPageControl) FPageControl->RemoveSheet(this);
  FPageControl = control;
  if (!control) return;
  setParent(control);
  hide();
  control->InsertSheet(this);
}

void TTab95Sheet::SetCaption(const QString& caption) {
  FCaption = caption;
  if (FForm) FForm->setWindowTitle(caption);
  if (FPageControl) FPageControl->RebuildTabs();
}

int TTab95Sheet::PageIndex() const {
  if (!FPageControl) return -1;
  const auto& pages = FPageControl->Pages;
  return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTab95Sheet::SetPageIndex(int index) {
  if (!FPageControl) return;
  if (index < 0 || index >= FPageControl->PageCount())
    throw ETab95Error("List index out of bounds (" + std::to_string(index) + ")");
  FPageControl->MoveSheet(this, index);
}

int TTab95Sheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int shown = 0;
  for (TTab95Sheet* s : FPageControl->Pages) {
    if (s == this) return shown;
    if (s->FTabVisible) ++shown;
  }
  return -1;
}

void TTab95Sheet::SetTabVisible(bool visible) {
  if (visible == FTabVisible) return;
  FTabVisible = visible;
  if (FPageControl) FPageControl->RebuildTabs();
}

void TTab95Sheet::SetImageIndex(int index) {
  FImageIndex = std::max(-1, index);
  if (FPageControl) FPageControl->RebuildTabs();
}

// ------------------------------------------------------------ page control

TPage95Control::TPage95Control(QWidget* parent) : TCustomTab95Control(parent) {}

TPage95Control::~TPage95Control() {
  // The sheets go with the widget; they no longer have a page control.
  for (TTab95Sheet* s : Pages) s->FPageControl = nullptr;
  Pages.clear();
}

TTab95Sheet* TPage95Control::Page(int index) const {
  return index >= 0 && index < PageCount() ? Pages[size_t(index)] : nullptr;
}

void TPage95Control::InsertSheet(TTab95Sheet* sheet) {
  Pages.push_back(sheet);
  RebuildTabs();
}

void TPage95Control::RemoveSheet(TTab95Sheet* sheet) {
  auto it = std::find(Pages.begin(), Pages.end(), sheet);
  if (it == Pages.end()) return;
  if (FActivePage == sheet) {
    sheet->hide();
    FActivePage = nullptr;
  }
  Pages.erase(it);
  sheet->FPageControl = nullptr;
  RebuildTabs();
}

void TPage95Control::MoveSheet(TTab95Sheet* sheet, int index) {
  auto it = std::find(Pages.begin(), Pages.end(), sheet);
  if (it == Pages.end()) return;
  Pages.erase(it);
  Pages.insert(Pages.begin() + index, sheet);
  RebuildTabs();
}

TTab95Sheet* TPage95Control::SheetOfTab(int tab) const {
  if (tab < 0 || tab >= TabCount()) return nullptr;
  return static_cast<TTab95Sheet*>(Items[size_t(tab)].Object);
}

void TPage95Control::RebuildTabs() {
  Items.clear();
  for (TTab95Sheet* s : Pages)
    if (s->FTabVisible) Items.push_back({s->FCaption, s, s->FImageIndex, false});
  // The active page keeps its tab; a hidden one gives way to the next page
  // that shows a tab.
  if (FActivePage && !FActivePage->FTabVisible) {
    std::vector<bool> shown;
    for (TTab95Sheet* s : Pages) shown.push_back(s->FTabVisible);
    const int next = NextShownPage(shown, FActivePage->PageIndex(), true);
    SetActivePage(next >= 0 ? Pages[size_t(next)] : nullptr);
  }
  FTabIndex = FActivePage ? FActivePage->TabIndex() : -1;
  TabsChanged();
}

void TPage95Control::SheetFloated(TTab95Sheet* sheet) {
  for (size_t i = 0; i < Pages.size(); ++i)
    if (Pages[i]->StaticPageIndex < 0) Pages[i]->StaticPageIndex = int(i);
  const int at = sheet->PageIndex();
  const bool wasActive = FActivePage == sheet;
  RemoveSheet(sheet);
  if (wasActive) {
    std::vector<bool> shown;
    for (TTab95Sheet* s : Pages) shown.push_back(s->FTabVisible);
    // The page now at its place (or the first shown one after it); after
    // the last page, the one before it.
    const int n = int(Pages.size());
    const int next = at < n ? NextShownPage(shown, at - 1, true) : NextShownPage(shown, n, false);
    SetActivePage(next >= 0 ? Pages[size_t(next)] : nullptr);
  }
  ++FFloatingCount;
  if (OnFloatChange) OnFloatChange(this, 0);
}

void TPage95Control::SheetReturned(TTab95Sheet* sheet) {
  sheet->setParent(this);
  sheet->hide();
  sheet->FPageControl = this;
  Pages.push_back(sheet);
  std::stable_sort(Pages.begin(), Pages.end(),
                   [](TTab95Sheet* a, TTab95Sheet* b) { return a->StaticPageIndex < b->StaticPageIndex; });
  --FFloatingCount;
  RebuildTabs();
  if (OnFloatChange) OnFloatChange(this, 1);
}

void TPage95Control::SetActivePage(TTab95Sheet* sheet) {
  if (sheet && sheet->FPageControl != this) return;
  TTab95Sheet* old = FActivePage;
  if (sheet == old) {
    FTabIndex = sheet ? sheet->TabIndex() : -1;
    update();
    return;
  }
  QWidget* focus = QApplication::focusWidget();
  const bool hadFocus = old && focus && old->isAncestorOf(focus);
  if (hadFocus) {
    // The focus leaves its control for the old page first; a control that
    // keeps it (or sends it elsewhere) on leaving keeps its page too.
    old->setFocus(Qt::TabFocusReason);
    if (QApplication::focusWidget() != old) {
      FTabIndex = old->TabIndex();
      update();
      return;
    }
  }
  FActivePage = sheet;
  FTabIndex = sheet ? sheet->TabIndex() : -1;
  if (sheet) {
    const TRect r = DisplayRect();
    sheet->setGeometry(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
    sheet->raise();
    sheet->show();
    if (hadFocus) {
      if (QWidget* first = FirstFocusable(sheet))
        first->setFocus(Qt::TabFocusReason);
      else
        setFocus(Qt::TabFocusReason);
    }
  } else if (hadFocus) {
    setFocus(Qt::TabFocusReason);
  }
  if (old) old->hide();
  update();
}

void TPage95Control::SelectNextPage(bool forward) {
  std::vector<bool> shown;
  for (TTab95Sheet* s : Pages) shown.push_back(s->FTabVisible);
  const int next = NextShownPage(shown, FActivePage ? FActivePage->PageIndex() : -1, forward);
  if (next < 0 || Pages[size_t(next)] == FActivePage) return;
  SelectTab(Pages[size_t(next)]->TabIndex());
}

void TPage95Control::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (ctrl && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
    SelectNextPage(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
    return;
  }
  TCustomTab95Control::keyPressEvent(event);
}

void TPage95Control::Change() {
  SetActivePage(SheetOfTab(TabIndex()));
  TCustomTab95Control::Change();
}

QSize TPage95Control::minimumSizeHint() const {
  QSize least = TCustomTab95Control::minimumSizeHint();
  const TRect r = DisplayRect();
  const QSize frame(std::max(0, width() - r.Width()), std::max(0, height() - r.Height()));
  for (TTab95Sheet* s : Pages)
    if (s->layout()) least = least.expandedTo(s->layout()->totalMinimumSize() + frame);
  return least;
}

bool TPage95Control::event(QEvent* event) {
  // A page's layout needs another size (its texts changed).
  if (event->type() == QEvent::LayoutRequest) updateGeometry();
  return TCustomTab95Control::event(event);
}

void TPage95Control::Relayout() {
  const TRect r = DisplayRect();
  for (TTab95Sheet* s : Pages) s->setGeometry(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
}

}  // namespace vs
