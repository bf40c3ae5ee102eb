#include "framework/ActionTable.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <stdexcept>

#include "framework/MLang.h"

namespace vs {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TActionRowRef& TActionRowRef::Shortcut(const std::string& keys) {
  Row.ShortcutText = keys;
  if (Row.Action) Row.Action->setShortcut(QKeySequence(Q(keys), QKeySequence::PortableText));
  return *this;
}

TActionRowRef& TActionRowRef::Hint(const std::string& hint) {
  Row.HintText = hint;
  if (Row.Action) SetHint(Row.Action, Q(hint));
  return *this;
}

TActionRowRef& TActionRowRef::TextKey(const std::string& key) {
  Row.TextKey = key;
  return *this;
}

TActionRowRef& TActionRowRef::Checkable(bool on) {
  if (Row.Action) Row.Action->setCheckable(on);
  return *this;
}

TActionRowRef& TActionRowRef::Enabled(bool on) {
  if (Row.Action) Row.Action->setEnabled(on);
  return *this;
}

TActionRowRef& TActionRowRef::Visible(bool on) {
  if (Row.Action) Row.Action->setVisible(on);
  return *this;
}

TActionTable::TActionTable() : Root(new QMenu) { Root->setObjectName("MainMenu"); }

// The menus and actions belong to the table (the window holds the root
// menu only while both live).
TActionTable::~TActionTable() {
  delete OwnKeys.data();
  delete Root.data();
}

QMenu* TActionTable::ParentMenu(const std::string& parent) const {
  if (parent.empty()) return Root;
  QMenu* menu = Menu(parent);
  if (!menu) throw std::invalid_argument("no menu " + parent + " in the action table");
  return menu;
}

TActionRow& TActionTable::Add(std::unique_ptr<TActionRow> row) {
  if (row->TextKey.empty()) row->TextKey = row->Id;
  Items.push_back(std::move(row));
  return *Items.back();
}

TActionRowRef TActionTable::AddMenu(const std::string& id, const std::string& text, const std::string& parent) {
  auto row = std::make_unique<TActionRow>();
  row->Id = id;
  row->Text = text;
  row->Parent = parent;
  row->Kind = TActionKind::Menu;
  QMenu* holder = ParentMenu(parent);
  row->Menu = holder->addMenu(Q(text));
  row->Menu->setObjectName(Q(id));
  row->Action = row->Menu->menuAction();
  row->Action->setObjectName(Q(id));
  return Add(std::move(row));
}

TActionRowRef TActionTable::AddItem(const std::string& id, const std::string& text, const std::string& parent,
                                    std::function<void()> handler) {
  auto row = std::make_unique<TActionRow>();
  row->Id = id;
  row->Text = text;
  row->Parent = parent;
  row->Kind = TActionKind::Item;
  row->Handler = std::move(handler);
  QMenu* holder = ParentMenu(parent);
  row->Action = new QAction(Q(text), holder);
  row->Action->setObjectName(Q(id));
  holder->addAction(row->Action);
  TActionRow& added = Add(std::move(row));
  QObject::connect(added.Action, &QAction::triggered, added.Action, [&added] {
    if (added.Handler) added.Handler();
  });
  if (Window) Window->addAction(added.Action);
  return added;
}

TActionRowRef TActionTable::AddPopup(const std::string& id) {
  auto row = std::make_unique<TActionRow>();
  row->Id = id;
  row->Parent = "#popup";
  row->Kind = TActionKind::Menu;
  // Owned by the root menu, shown by itself.
  row->Menu = new QMenu(Root);
  row->Menu->setObjectName(Q(id));
  row->Action = row->Menu->menuAction();
  row->Action->setObjectName(Q(id));
  return Add(std::move(row));
}

TActionRowRef TActionTable::AddSeparator(const std::string& parent, const std::string& id) {
  auto row = std::make_unique<TActionRow>();
  row->Id = id;
  row->Parent = parent;
  row->Kind = TActionKind::Separator;
  row->Action = ParentMenu(parent)->addSeparator();
  if (!id.empty()) row->Action->setObjectName(Q(id));
  return Add(std::move(row));
}

QAction* TActionTable::Action(const std::string& id) const {
  for (const auto& row : Items)
    if (row->Id == id) return row->Action;
  return nullptr;
}

QMenu* TActionTable::Menu(const std::string& id) const {
  for (const auto& row : Items)
    if (row->Id == id && row->Menu) return row->Menu;
  return nullptr;
}

bool TActionTable::SetHandler(const std::string& id, std::function<void()> handler) {
  for (const auto& row : Items)
    if (row->Id == id && row->Kind == TActionKind::Item) {
      row->Handler = std::move(handler);
      row->Action->setEnabled(true);
      return true;
    }
  return false;
}

void TActionTable::Attach(QWidget* window) {
  Window = window;
  // Inside the window: its language table finds the rows by name.
  Root->setParent(window, Root->windowFlags());
  for (const auto& row : Items)
    if (row->Kind == TActionKind::Item) window->addAction(row->Action);
}

namespace {

// Sees the keys of the whole program before any window or shortcut does and
// keeps those of its table's window that the table carries.
class TOwnKeysFilter : public QObject {
public:
  TOwnKeysFilter(const TActionTable& table, QWidget* window) : QObject(window), Table(table), Window(window) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != Window) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QAction* item = Table.ItemForKey(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
    if (!item) return false;
    // The override taken: no shortcut runs, the key comes as a press.
    event->accept();
    if (type == QEvent::KeyPress && item->isEnabled()) item->trigger();
    return true;
  }

private:
  const TActionTable& Table;
  QWidget* Window;
};

}  // namespace

void TActionTable::TakeOwnKeys() {
  if (!Window || OwnKeys) return;
  OwnKeys = new TOwnKeysFilter(*this, Window);
  qApp->installEventFilter(OwnKeys);
}

QAction* TActionTable::ItemForKey(const QKeyCombination& key) const {
  const QKeySequence sequence(key);
  for (const auto& row : Items)
    if (row->Kind == TActionKind::Item && row->Action && row->Action->isVisible() && !row->Action->shortcut().isEmpty() &&
        row->Action->shortcut().matches(sequence) == QKeySequence::ExactMatch)
      return row->Action;
  return nullptr;
}

void TActionTable::Retext(const std::function<std::string(const std::string& key)>& word) {
  for (const auto& row : Items) {
    if (row->Kind == TActionKind::Separator) continue;
    // Rows without an English caption (lists filled at run time) keep what
    // they show unless the table has a word for them.
    const std::string text = word ? word(row->TextKey) : std::string();
    if (!text.empty() || !row->Text.empty()) row->Action->setText(Q(text.empty() ? row->Text : text));
  }
}

std::vector<TKeyBinding> TActionTable::KeyMap() const {
  std::vector<TKeyBinding> keys;
  for (const auto& row : Items)
    if (row->Kind == TActionKind::Item && row->Action->isVisible() && !row->Action->shortcut().isEmpty())
      keys.push_back({row->Action->shortcut(), row->Id});
  return keys;
}

}  // namespace vs
