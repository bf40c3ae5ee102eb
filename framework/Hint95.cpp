#include "framework/Hint95.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace vs {

namespace {

// A standard-shape cursor has no mask to measure: the arrow of the usual
// 24-pixel cursor theme reaches this far below its tip.
constexpr int ShapeCursorExtent = 20;
// Longer hints wrap at this width.
constexpr int HintMaxWidth = 320;

QPointer<QWidget> CurrentHintControl;

TDockRect ToDockRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

int CursorExtent(const QCursor& cursor) {
  const QBitmap mask = cursor.mask();
  const QImage image = !mask.isNull() ? mask.toImage() : cursor.pixmap().toImage();
  if (image.isNull()) return ShapeCursorExtent;
  const bool fromMask = !mask.isNull();
  // The mask's opaque pixels are the black ones of the upper half.
  return CursorExtentBelowHotSpot(
      [&](int x, int y) {
        if (y >= 32 || x >= image.width() || y >= image.height()) return y < 32;
        const QRgb p = image.pixel(x, y);
        const bool opaque = fromMask ? qGray(p) < 128 : qAlpha(p) > 0;
        return !opaque;
      },
      cursor.hotSpot().y());
}

}  // namespace

std::string HintOf(const QWidget* widget, QWidget** owner) {
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    const QString hint = w->property("hint").toString();
    const QString text = hint.isEmpty() ? w->toolTip() : hint;
    if (!text.isEmpty()) {
      if (owner) *owner = const_cast<QWidget*>(w);
      return text.toStdString();
    }
    if (w->isWindow()) break;
  }
  if (owner) *owner = nullptr;
  return {};
}

// ------------------------------------------------------------ the window

THintWindow95::THintWindow95(THint95& hint)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput),
      Owner(hint) {
  setObjectName("HintWindow95");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void THintWindow95::ActivateHint(const QString& text, const THintInfo& info) {
  HintText = text;
  const QFontMetrics fm(Owner.Font);
  const QRect measured =
      fm.boundingRect(QRect(0, 0, HintMaxWidth, 0), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
  TextW = measured.width() + 1;
  TextH = measured.height() + 1;

  THintPlace place;
  place.Style = Owner.HintStyle();
  place.TextWidth = measured.width();
  place.TextHeight = measured.height();
  place.CursorX = info.CursorPos.x();
  place.CursorY = info.CursorPos.y();
  QScreen* screen = QGuiApplication::screenAt(info.CursorPos);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) place.Screen = ToDockRect(screen->geometry());
  if (QWidget* c = info.HintControl) {
    place.CursorExtent = CursorExtent(c->cursor());
    place.HasControl = true;
    place.ControlIsWindow = c->isWindow();
    place.Control = ToDockRect(QRect(c->mapToGlobal(QPoint()), c->size()));
  }
  const TDockRect r = PlaceHint(place);
  const QRect bounds(r.Left, r.Top, r.Width(), r.Height());
  setGeometry(bounds);

  // The picture starts as the screen under the hint.
  Image = QImage(bounds.size(), QImage::Format_RGB32);
  QPixmap under;
  if (screen && !isVisible()) {
    const QPoint at = bounds.topLeft() - screen->geometry().topLeft();
    under = screen->grabWindow(0, at.x(), at.y(), bounds.width(), bounds.height());
  }
  if (!under.isNull() && under.size() == bounds.size())
    Image = under.toImage().convertToFormat(QImage::Format_RGB32);
  else
    Image.fill(QColor(0x20, 0x22, 0x26));
  PaintPicture();
  show();
  raise();
  repaint();
}

void THintWindow95::PaintPicture() {
  if (Owner.OnPaintHint) {
    Owner.OnPaintHint(Image);
  } else {
    QPainter p(&Image);
    const QPalette pal = QApplication::palette();
    const int w = Image.width(), h = Image.height();
    p.fillRect(0, 0, w, h, pal.color(QPalette::ToolTipBase));
    if (Owner.HintStyle() == hsFlat) {
      p.setPen(pal.color(QPalette::WindowText));
      p.drawRect(0, 0, w - 1, h - 1);
    } else {
      // Light from the bottom-left corner up to the top-right, dark shadow
      // along the bottom and the right.
      p.setPen(pal.color(QPalette::Light));
      p.drawLine(0, h - 1, 0, 0);
      p.drawLine(0, 0, w - 1, 0);
      p.setPen(pal.color(QPalette::Shadow));
      p.drawLine(0, h - 1, w - 1, h - 1);
      p.drawLine(w - 1, h - 1, w - 1, 0);
    }
  }
  QPainter p(&Image);
  p.setFont(Owner.Font);
  p.setPen(Owner.FontColor);
  const QRect text((Image.width() - TextW) / 2, (Image.height() - TextH) / 2, TextW, TextH);
  p.drawText(text, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, HintText);
}

void THintWindow95::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, Image);
}

// -------------------------------------------------------- the component

THint95::THint95(QObject* owner) : QObject(owner) {
  setObjectName("Hint95");
  ReadFont();
  ShowTimer.setSingleShot(true);
  HideTimer.setSingleShot(true);
  RecentTimer.setSingleShot(true);
  connect(&ShowTimer, &QTimer::timeout, this, [this] { ShowPending(); });
  connect(&HideTimer, &QTimer::timeout, this, [this] { CancelHint(); });
  qApp->installEventFilter(this);
}

THint95::~THint95() {
  qApp->removeEventFilter(this);
  delete Window;
}

QWidget* THint95::HintControl() { return CurrentHintControl; }

void THint95::SetHintStyle(THintStyle style) {
  if (style == Style) return;
  Style = style;
  if (style == hsOffice97) ReadFont();
}

void THint95::ReadFont() {
  Font = QApplication::font("QStatusBar");
  if (Style == hsOffice97 && Font.family() == QLatin1String("MS Sans Serif") &&
      QFontDatabase::families().contains(QLatin1String("Tahoma")))
    Font.setFamily(QStringLiteral("Tahoma"));
  FontColor = QApplication::palette().color(QPalette::ToolTipText);
}

bool THint95::HintShowing() const { return Window && Window->isVisible(); }

void THint95::CancelHint() {
  ShowTimer.stop();
  HideTimer.stop();
  if (HintShowing()) {
    Window->hide();
    RecentTimer.start(HintPause);
  }
}

void THint95::ShowHintFor(QWidget* control, QPoint globalCursor) {
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = globalCursor;
  std::string text = HintOf(control);
  bool canShow = true;
  if (OnShowHint) OnShowHint(text, canShow, info);
  CurrentHintControl = info.HintControl;
  const QString shown = QString::fromStdString(ShortHint(text));
  if (!canShow || shown.isEmpty()) return;
  if (!Window) Window = new THintWindow95(*this);
  Window->ActivateHint(shown, info);
  HideTimer.start(HintHidePause);
}

void THint95::ShowPending() {
  if (Hovered && !Suppressed) ShowHintFor(Hovered, Cursor);
}

std::string THint95::HoveredHint() const { return Hovered ? HintOf(Hovered) : std::string(); }

void THint95::Hover(QWidget* widget, QPoint global) {
  QWidget* owner = nullptr;
  const std::string hint = widget ? HintOf(widget, &owner) : std::string();
  Cursor = global;
  if (owner == Hovered) return;
  const bool recent = HintShowing() || RecentTimer.isActive();
  CancelHint();
  Hovered = owner;
  Suppressed = false;
  if (OnHint) OnHint(hint);
  if (owner) ShowTimer.start(recent ? HintShortPause : HintPause);
}

bool THint95::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      // Qt's own tooltip never shows: the hints do.
      return true;
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      if (watched->isWidgetType() && m->buttons() == Qt::NoButton)
        Hover(static_cast<QWidget*>(watched), m->globalPosition().toPoint());
      break;
    }
    case QEvent::Leave:
      if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() && watched != Window)
        Hover(nullptr, Cursor);
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
      if (watched->isWidgetType()) {
        Suppressed = Hovered != nullptr;
        CancelHint();
      }
      break;
    case QEvent::ApplicationFontChange:
    case QEvent::ApplicationPaletteChange:
      if (watched == qApp) ReadFont();
      break;
    case QEvent::ApplicationDeactivate:
      CancelHint();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace vs
