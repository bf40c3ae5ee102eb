#pragma once
// The owner-drawn menu bar. It mirrors the top-level items of a menu (one
// title each, as wide as its caption plus 10), draws the titles itself (or
// each title's slice of an image list's picture 0, or picture 1 while the
// title is highlighted; OnPaint may then write the captions over it) and
// opens a title's submenu as a popup under it when the mouse is pressed on
// it. While a popup is open, moving onto another title opens that one, and
// pressing on the open title closes it. Alt with a title's underlined
// letter opens it from the keyboard, Left and Right then move between
// titles. The hovered item's hint (its "hint" property, "short|long", or
// else its statusTip) goes to OnHint, and so does the opened title's; an
// item without one, and the popup closing, send an empty text. The popups take the program's dark
// panel colours. The items' own shortcuts belong to the window (see TActionTable),
// so they work whether the bar is shown or not.

#include <QColor>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "controls/ImageList.h"

class QAction;
class QMenu;
class QShortcut;

namespace vs {

// Titles as the bar lays them out, and the title under a point: the last
// one whose left edge is not right of x (-1 before the first).
struct TMenuTitleSpan {
  int Left = 0;
  int Width = 0;
};
std::vector<TMenuTitleSpan> LayoutMenuTitles(const std::vector<int>& captionWidths);
int MenuTitleAt(const std::vector<TMenuTitleSpan>& titles, int x);
// Title i starts at x and title i - 1 ends there (i may be the count: the
// last title then ends at x).
void SetMenuTitleLeft(std::vector<TMenuTitleSpan>& titles, int index, int x);
// Titles whose captions need more room than their slots (needs: each
// title's least width) take it, first from titles with room to spare (in
// proportion to what each can spare), then by widening the whole up to
// maxWidth; the titles stay in order, each beginning where the one before
// ends. Titles that all fit are returned as they are.
std::vector<TMenuTitleSpan> FitMenuTitles(const std::vector<TMenuTitleSpan>& titles, const std::vector<int>& needs,
                                          int maxWidth);

// Gives a popup and its sub-menus the program's menu look (a dark panel,
// light text, the highlighted item lit in amber), as the bar's popups wear.
void WearMenuLook(QMenu* menu);

enum TNewMenuStyle { CS_Normal, CS_OwnerDraw };

class TNewMenu;

struct TNewMenuItem {
  QAction* MenuItem = nullptr;
  int Left = 0;
  int Width = 0;
  TNewMenu* Owner = nullptr;
  bool Selected = false;
  // The column of the image list's pictures this title shows, when it was
  // fitted to a caption wider than the picture's slot (-1: its own column).
  int PicLeft = -1;
  int PicWidth = -1;
};

class TNewMenu : public QWidget {
  Q_OBJECT

public:
  explicit TNewMenu(QWidget* parent = nullptr);
  ~TNewMenu() override;

  // The menu whose top-level items become the titles (rebuilt whole).
  void SetMirrorMenu(QMenu* menu);
  QMenu* MirrorMenu() const { return Mirror; }
  // Draws the bar from the list's pictures and takes their size; nullptr
  // (or an empty list) goes back to the built-in titles.
  void SetImList(const TImageList* list);
  bool HasImList() const { return !ImList.Empty(); }
  void SetItemLeft(int index, int x);
  // Gives every title at least its caption's width + 10 (the language shown
  // may need more than the picture's slots), the bar growing to at most
  // maxWidth; titles drawn from the image list show their own slot of the
  // picture stretched into the new column.
  void FitTitlesToCaptions(int maxWidth);

  TNewMenuStyle Style = CS_Normal;
  // The bar's colour (black by default) and the titles' text colour.
  QColor Color{Qt::black};
  QColor FontColor{0xdc, 0xe0, 0xe4};

  // After each title is drawn.
  std::function<void(TNewMenuItem& item, QPainter& canvas)> OnPaint;
  // The hovered item's hint text (empty when it has none, and when the
  // popup closes).
  std::function<void(const std::string& hint)> OnHint;

  const std::vector<TNewMenuItem>& Items() const { return Titles; }
  // The open title (-1: none) and its popup.
  int OpenIndex() const { return Open; }
  QMenu* OpenMenu() const;
  // Opens title index as a press on it does; from the keyboard the first
  // item is highlighted. Returns when the popup (and any title the mouse or
  // the keys moved on to) has closed.
  void OpenTitle(int index, bool byKeyboard = false);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
  void ItemHovered(QAction* action);

private:
  void Select(int index, bool selected);
  void CloseAllPopups(int next, bool byKeyboard);
  void ConnectHints(QMenu* menu);
  QWidget* ShortcutWindow() const;

  QPointer<QMenu> Mirror;
  std::vector<TNewMenuItem> Titles;
  std::vector<QShortcut*> TitleKeys;
  TImageList ImList;
  int Open = -1;
  int Pending = -1;
  bool PendingByKeyboard = false;
};

}  // namespace vs
