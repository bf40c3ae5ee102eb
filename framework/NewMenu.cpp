#include "framework/NewMenu.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <algorithm>
#include <functional>
#include <QTimer>

#include "framework/PanelLook.h"
#include "toolbox/AllTools.h"

namespace vs {

std::vector<TMenuTitleSpan> LayoutMenuTitles(const std::vector<int>& captionWidths) {
  std::vector<TMenuTitleSpan> titles;
  int x = 0;
  for (int w : captionWidths) {
    titles.push_back({x, w + 10});
    x += w + 10;
  }
  return titles;
}

int MenuTitleAt(const std::vector<TMenuTitleSpan>& titles, int x) {
  int found = -1;
  for (size_t i = 0; i < titles.size(); ++i)
    if (titles[i].Left <= x) found = static_cast<int>(i);
  return found;
}

void SetMenuTitleLeft(std::vector<TMenuTitleSpan>& titles, int index, int x) {
  const int count = static_cast<int>(titles.size());
  if (index < 0 || index > count) return;
  if (index < count) titles[index].Left = x;
  if (index >= 1) titles[index - 1].Width = x - titles[index - 1].Left;
}

std::vector<TMenuTitleSpan> FitMenuTitles(const std::vector<TMenuTitleSpan>& titles, const std::vector<int>& needs,
                                          int maxWidth) {
  const size_t n = std::min(titles.size(), needs.size());
  long long deficit = 0, spare = 0, total = 0;
  for (size_t i = 0; i < titles.size(); ++i) {
    total += titles[i].Width;
    if (i >= n) continue;
    deficit += std::max(0, needs[i] - titles[i].Width);
    spare += std::max(0, titles[i].Width - needs[i]);
  }
  if (deficit == 0) return titles;
  const long long taken = std::min(deficit, spare);
  const long long wider = std::min(deficit - taken, std::max(0LL, maxWidth - total));
  const long long gained = taken + wider;
  std::vector<int> widths;
  long long sum = 0;
  for (size_t i = 0; i < titles.size(); ++i) {
    long long w = titles[i].Width;
    if (i < n && needs[i] > w) w += (needs[i] - w) * gained / deficit;
    else if (i < n && spare > 0) w -= (w - needs[i]) * taken / spare;
    widths.push_back(static_cast<int>(w));
    sum += w;
  }
  // What the rounding left goes to the last title.
  if (!widths.empty()) widths.back() += static_cast<int>(total + wider - sum);
  std::vector<TMenuTitleSpan> fitted;
  int x = titles.empty() ? 0 : titles.front().Left;
  for (int w : widths) {
    fitted.push_back({x, w});
    x += w;
  }
  return fitted;
}

namespace {

QColor Shifted(const QColor& c, int delta) {
  const TColor shifted = ShiftColor(RGBColor(c.red(), c.green(), c.blue()), delta);
  return QColor(GetRValue(shifted), GetGValue(shifted), GetBValue(shifted));
}

// The popups in the program's colours: a dark panel, light text, the
// highlighted item lit in amber.
QPalette MenuPalette() {
  QPalette pal;
  pal.setColor(QPalette::Window, look::Panel);
  pal.setColor(QPalette::Base, look::Panel);
  pal.setColor(QPalette::Button, look::Panel);
  pal.setColor(QPalette::WindowText, look::Text);
  pal.setColor(QPalette::Text, look::Text);
  pal.setColor(QPalette::ButtonText, look::Text);
  pal.setColor(QPalette::Highlight, look::Accent);
  pal.setColor(QPalette::HighlightedText, look::PanelDeep);
  pal.setColor(QPalette::Light, look::PanelLight);
  pal.setColor(QPalette::Midlight, look::PanelLight);
  pal.setColor(QPalette::Mid, look::PanelShadow);
  pal.setColor(QPalette::Dark, look::PanelShadow);
  pal.setColor(QPalette::Shadow, Qt::black);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    pal.setColor(QPalette::Disabled, role, look::TextDim.darker(130));
  return pal;
}

QAction* FirstEnabled(QMenu* menu) {
  for (QAction* a : menu->actions())
    if (a->isVisible() && a->isEnabled() && !a->isSeparator()) return a;
  return nullptr;
}

}  // namespace

TNewMenu::TNewMenu(QWidget* parent) : QWidget(parent) {
  setObjectName("NewMenu");
  setAttribute(Qt::WA_OpaquePaintEvent);
  QFont f = font();
  f.setPixelSize(12);
  setFont(f);
  setFixedHeight(fontMetrics().height() + 6);
}

TNewMenu::~TNewMenu() {
  qApp->removeEventFilter(this);
  for (QShortcut* s : TitleKeys) delete s;
}

QWidget* TNewMenu::ShortcutWindow() const {
  // A bar in a floating tool window still answers in the window that owns it.
  QWidget* w = window();
  while (w->parentWidget()) w = w->parentWidget()->window();
  return w;
}

void TNewMenu::SetMirrorMenu(QMenu* menu) {
  for (QShortcut* s : TitleKeys) delete s;
  TitleKeys.clear();
  Titles.clear();
  Mirror = menu;
  if (menu) {
    // The items' own shortcuts win over the titles' mnemonics (Alt+H of an
    // item leaves "&Help" to the mouse and the bar's keyboard walk).
    std::vector<QKeySequence> itemKeys;
    std::function<void(const QMenu*)> collect = [&](const QMenu* m) {
      for (const QAction* a : m->actions()) {
        if (!a->shortcut().isEmpty()) itemKeys.push_back(a->shortcut());
        if (const QMenu* sub = a->menu()) collect(sub);
      }
    };
    collect(menu);
    std::vector<int> widths;
    std::vector<QAction*> items;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator() || !a->isVisible()) continue;
      // The caption as it stands, "&" included.
      widths.push_back(fontMetrics().horizontalAdvance(a->text()));
      items.push_back(a);
    }
    const std::vector<TMenuTitleSpan> spans = LayoutMenuTitles(widths);
    for (size_t i = 0; i < items.size(); ++i) {
      Titles.push_back({items[i], spans[i].Left, spans[i].Width, this, false});
      if (QMenu* sub = items[i]->menu()) ConnectHints(sub);
      const QKeySequence mnemonic = QKeySequence::mnemonic(items[i]->text());
      if (!mnemonic.isEmpty() && std::find(itemKeys.begin(), itemKeys.end(), mnemonic) == itemKeys.end()) {
        auto* key = new QShortcut(mnemonic, ShortcutWindow());
        const int index = static_cast<int>(i);
        connect(key, &QShortcut::activated, this, [this, index] { OpenTitle(index, true); });
        TitleKeys.push_back(key);
      }
    }
    if (ImList.Empty()) setFixedWidth(spans.empty() ? 0 : spans.back().Left + spans.back().Width);
    else setFixedWidth(ImList.Width());
  }
  update();
}

void TNewMenu::FitTitlesToCaptions(int maxWidth) {
  std::vector<TMenuTitleSpan> spans;
  std::vector<int> needs;
  for (const TNewMenuItem& t : Titles) {
    spans.push_back({t.Left, t.Width});
    needs.push_back(fontMetrics().horizontalAdvance(t.MenuItem->text()) + 10);
  }
  const std::vector<TMenuTitleSpan> fitted = FitMenuTitles(spans, needs, maxWidth);
  for (size_t i = 0; i < Titles.size(); ++i) {
    TNewMenuItem& t = Titles[i];
    t.PicLeft = t.Left;
    t.PicWidth = t.Width;
    t.Left = fitted[i].Left;
    t.Width = fitted[i].Width;
  }
  if (!fitted.empty()) setFixedWidth(std::max(width(), fitted.back().Left + fitted.back().Width));
  update();
}

void TNewMenu::SetImList(const TImageList* list) {
  ImList = list ? *list : TImageList();
  if (!ImList.Empty()) setFixedSize(ImList.Width(), ImList.Height());
  update();
}

void TNewMenu::SetItemLeft(int index, int x) {
  std::vector<TMenuTitleSpan> spans;
  for (const TNewMenuItem& t : Titles) spans.push_back({t.Left, t.Width});
  SetMenuTitleLeft(spans, index, x);
  for (size_t i = 0; i < Titles.size(); ++i) {
    Titles[i].Left = spans[i].Left;
    Titles[i].Width = spans[i].Width;
  }
  update();
}

void WearMenuLook(QMenu* menu) {
  if (!menu) return;
  static const QPalette palette = MenuPalette();
  if (menu->palette() != palette) menu->setPalette(palette);
  for (QAction* a : menu->actions())
    if (QMenu* sub = a->menu()) WearMenuLook(sub);
}

void TNewMenu::ConnectHints(QMenu* menu) {
  connect(menu, &QMenu::hovered, this, &TNewMenu::ItemHovered, Qt::UniqueConnection);
  WearMenuLook(menu);
  for (QAction* a : menu->actions())
    if (QMenu* sub = a->menu()) ConnectHints(sub);
}

namespace {

QString HintOfItem(const QAction* action) {
  if (!action) return {};
  const QString hint = action->property("hint").toString();
  return hint.isEmpty() ? action->statusTip() : hint;
}

}  // namespace

// An item without a hint clears the hint line.
void TNewMenu::ItemHovered(QAction* action) {
  if (OnHint) OnHint(HintOfItem(action).toStdString());
}

QMenu* TNewMenu::OpenMenu() const {
  return Open >= 0 && Open < static_cast<int>(Titles.size()) ? Titles[Open].MenuItem->menu() : nullptr;
}

void TNewMenu::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Color);
  const int h = height();
  for (int i = static_cast<int>(Titles.size()) - 1; i >= 0; --i) {
    TNewMenuItem& t = Titles[i];
    const int right = t.Left + t.Width;
    if (Style == CS_Normal) {
      if (!ImList.Empty()) {
        const int frame = t.Selected && ImList.Count() > 1 ? 1 : 0;
        if (t.PicWidth <= 0 || (t.PicLeft == t.Left && t.PicWidth == t.Width)) {
          p.save();
          p.setClipRect(QRect(t.Left, 0, t.Width, h));
          ImList.Draw(p, 0, 0, frame);
          p.restore();
        } else {
          // The title's own slot of the picture, its ends as they are and
          // its middle stretched to the title's column.
          const QImage& picture = ImList.Image(frame);
          const int edge = std::min({6, t.PicWidth / 3, t.Width / 3});
          const int ih = std::min(h, ImList.Height());
          p.drawImage(QRect(t.Left, 0, edge, ih), picture, QRect(t.PicLeft, 0, edge, ih));
          p.drawImage(QRect(t.Left + edge, 0, t.Width - 2 * edge, ih), picture,
                      QRect(t.PicLeft + edge, 0, t.PicWidth - 2 * edge, ih));
          p.drawImage(QRect(right - edge, 0, edge, ih), picture, QRect(t.PicLeft + t.PicWidth - edge, 0, edge, ih));
        }
      } else {
        const QColor c = t.Selected ? Shifted(Color, 96) : Color;
        p.fillRect(QRect(t.Left, 0, t.Width, h), c);
        p.setPen(Shifted(c, 96));
        p.drawLine(t.Left, h - 1, t.Left, 0);
        p.drawLine(t.Left, 0, right - 1, 0);
        p.setPen(Shifted(c, 48));
        p.drawLine(t.Left + 1, h - 1, right - 2, h - 1);
        p.drawLine(right - 1, h - 1, right - 1, 1);
        p.setPen(FontColor);
        p.drawText(QRect(t.Left + 5, 0, t.Width - 5, h), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic,
                   t.MenuItem->text());
      }
    }
    if (OnPaint) OnPaint(t, p);
  }
}

void TNewMenu::Select(int index, bool selected) {
  if (index < 0 || index >= static_cast<int>(Titles.size())) return;
  Titles[index].Selected = selected;
  repaint();
}

void TNewMenu::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || Open >= 0) return;
  std::vector<TMenuTitleSpan> spans;
  for (const TNewMenuItem& t : Titles) spans.push_back({t.Left, t.Width});
  const int index = MenuTitleAt(spans, e->position().toPoint().x());
  if (index >= 0) OpenTitle(index, false);
}

void TNewMenu::OpenTitle(int index, bool byKeyboard) {
  if (Open >= 0 || !isEnabled()) return;
  int next = index;
  while (next >= 0 && next < static_cast<int>(Titles.size())) {
    const int current = next;
    next = -1;
    QAction* item = Titles[current].MenuItem;
    QMenu* menu = item->menu();
    if (!menu) {
      // A title without a submenu is a command.
      item->trigger();
      return;
    }
    Select(current, true);
    Open = current;
    Pending = -1;
    // The hook: watches the popups while one is open.
    qApp->installEventFilter(this);
    QPointer<TNewMenu> alive(this);
    if (byKeyboard)
      if (QAction* first = FirstEnabled(menu))
        QTimer::singleShot(0, menu, [menu, first] { menu->setActiveAction(first); });
    // The opened title's hint goes to the hint line; closing the popup
    // clears it, before a chosen item's command runs (which may show its
    // own text there).
    if (OnHint) OnHint(HintOfItem(item).toStdString());
    const QMetaObject::Connection closing = connect(menu, &QMenu::aboutToHide, this, [this] {
      if (OnHint) OnHint(std::string());
    });
    menu->exec(mapToGlobal(QPoint(Titles[current].Left, height())));
    if (!alive) return;
    disconnect(closing);
    qApp->removeEventFilter(this);
    Open = -1;
    Select(current, false);
    next = Pending;
    byKeyboard = PendingByKeyboard;
  }
}

void TNewMenu::CloseAllPopups(int next, bool byKeyboard) {
  Pending = next;
  PendingByKeyboard = byKeyboard;
  while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

bool TNewMenu::eventFilter(QObject* watched, QEvent* event) {
  if (Open < 0 || !watched->isWidgetType()) return false;
  // While a popup is open the mouse belongs to it; the bar still looks at
  // where it is (whichever widget is told).
  auto* menu = qobject_cast<QMenu*>(watched);
  switch (event->type()) {
    case QEvent::Show:
      if (menu) ConnectHints(menu);
      break;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(event);
      const QPoint local = mapFromGlobal(m->globalPosition().toPoint());
      if (!rect().contains(local)) break;
      std::vector<TMenuTitleSpan> spans;
      for (const TNewMenuItem& t : Titles) spans.push_back({t.Left, t.Width});
      const int over = MenuTitleAt(spans, local.x());
      if (event->type() == QEvent::MouseMove) {
        // Onto another title: that one opens.
        if (over >= 0 && over != Open) CloseAllPopups(over, false);
        return false;
      }
      // A press on the bar: on the open title it only closes, elsewhere the
      // title under it opens.
      CloseAllPopups(over == Open ? -1 : over, false);
      return true;
    }
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(event);
      if (!menu || menu != OpenMenu() || Titles.empty()) break;
      const int n = static_cast<int>(Titles.size());
      if (k->key() == Qt::Key_Left) {
        CloseAllPopups((Open + n - 1) % n, true);
        return true;
      }
      if (k->key() == Qt::Key_Right) {
        QAction* active = menu->activeAction();
        if (active && active->menu()) break;  // into the submenu
        CloseAllPopups((Open + 1) % n, true);
        return true;
      }
      break;
    }
    default:
      break;
  }
  return false;
}

}  // namespace vs
