#pragma once
// The one table of a window's commands. Every menu, submenu, item and
// separator is a row: id (the component name: the QAction's or QMenu's
// objectName), text key (the key of its caption in the window's language
// table; by default the id), the English caption, shortcut, hint
// ("short|long") and handler. The menu bar mirrors the table's root menu,
// the language switch re-texts every row (Retext), and the keyboard map is
// KeyMap(): all three walk the same rows.
//
// Each row's hint is set as SetHint (framework/MLang.h) sets hints. The
// items' shortcuts live on the window given to Attach, so they work
// while the window is active and enabled, whether or not its menu bar is
// shown; while a modal dialog is open they do nothing.
//
// For the windows to come: build the table once in the window's
// constructor, in menu order:
//
//   TActionTable& t = Actions;                  // a member of the window
//   t.AddMenu("FileMenu", "&File");             // a title of the bar
//   t.AddItem("OpenMenu", "&Open...", "FileMenu", [this] { Open(); })
//       .Shortcut("Ctrl+O").Hint("Open|Opens a song");
//   t.AddSeparator("FileMenu");
//   t.Attach(this);                             // shortcuts on the window
//   bar->SetMirrorMenu(t.RootMenu());           // the owner-drawn bar
//
// and reach rows later by id (t.Action("OpenMenu"), t.Menu("FileMenu")).
// Lists that change at run time (recent files, kits) add rows or plain
// actions into a menu of the table; only rows are re-texted.

#include <QKeySequence>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace vs {

enum class TActionKind { Menu, Item, Separator };

struct TActionRow {
  std::string Id;
  std::string TextKey;
  std::string Text;  // the English caption, "&" marking the accelerator
  std::string ShortcutText;
  std::string HintText;
  std::string Parent;  // the id of the menu that holds it ("" = the root)
  TActionKind Kind = TActionKind::Item;
  std::function<void()> Handler;
  QAction* Action = nullptr;  // the item, separator or submenu's action
  QMenu* Menu = nullptr;      // for a menu
};

// Refers to a row while it is being described.
class TActionRowRef {
public:
  TActionRowRef(TActionRow& row) : Row(row) {}
  TActionRowRef& Shortcut(const std::string& keys);
  TActionRowRef& Hint(const std::string& hint);
  TActionRowRef& TextKey(const std::string& key);
  TActionRowRef& Checkable(bool on = true);
  TActionRowRef& Enabled(bool on);
  TActionRowRef& Visible(bool on);
  QAction* Action() const { return Row.Action; }
  QMenu* Menu() const { return Row.Menu; }

private:
  TActionRow& Row;
};

// One key of the keyboard map: which row a key sequence runs.
struct TKeyBinding {
  QKeySequence Keys;
  std::string Id;
};

class TActionTable {
public:
  TActionTable();
  ~TActionTable();
  TActionTable(const TActionTable&) = delete;
  TActionTable& operator=(const TActionTable&) = delete;

  // A menu under parent ("" = a title of the root menu).
  TActionRowRef AddMenu(const std::string& id, const std::string& text, const std::string& parent = "");
  TActionRowRef AddItem(const std::string& id, const std::string& text, const std::string& parent,
                        std::function<void()> handler);
  TActionRowRef AddSeparator(const std::string& parent, const std::string& id = "");
  // A menu that is no title of the bar: a control's popup. Its rows are
  // added as any menu's.
  TActionRowRef AddPopup(const std::string& id);

  // The root menu: its submenus are the bar's titles.
  QMenu* RootMenu() const { return Root; }
  QAction* Action(const std::string& id) const;
  QMenu* Menu(const std::string& id) const;
  // Gives an item its command (a window that comes later takes over an
  // item that waited for it) and enables it. False when there is no such
  // item.
  bool SetHandler(const std::string& id, std::function<void()> handler);
  const std::vector<std::unique_ptr<TActionRow>>& Rows() const { return Items; }

  // Puts every item's shortcut on the window (call once the rows are in;
  // rows added later are attached as they come).
  void Attach(QWidget* window);
  // The table's keys come first while its window has the keyboard: a key
  // that one of its visible items carries runs that item (when it is
  // enabled) and nothing else hears it, neither the owner window's items
  // with the same key (which would make the key do nothing at all) nor the
  // key handlers the window hands its keys to. For a tool window whose
  // owner's menus carry the same keys (the playlist's Edit items).
  void TakeOwnKeys();
  // The visible item whose shortcut is the key (null: none).
  QAction* ItemForKey(const QKeyCombination& key) const;
  // The language switch: each row's caption := word(text key), or its
  // English caption when word gives nothing.
  void Retext(const std::function<std::string(const std::string& key)>& word);
  // The keyboard map: every visible row that has a shortcut.
  std::vector<TKeyBinding> KeyMap() const;

private:
  TActionRow& Add(std::unique_ptr<TActionRow> row);
  QMenu* ParentMenu(const std::string& parent) const;

  QPointer<QMenu> Root;
  std::vector<std::unique_ptr<TActionRow>> Items;
  QPointer<QWidget> Window;
  QPointer<QObject> OwnKeys;
};

}  // namespace vs
