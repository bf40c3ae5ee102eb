#pragma once
// The owner-drawn tab strip and the page control built on it.
//
// TCustomTab95Control paints every tab itself: the selected tab in the
// control's own colour and font, raised by two pixels, the others in
// TabInactiveColor and TabInactiveFont, shifted one pixel away from the
// edge; an optional image and centred (or turned) text. OnDrawTab replaces
// the built-in drawing of a tab. The strip takes the keyboard focus: Left
// and Right (Up and Down for vertical tabs), Home and End choose tabs,
// asking OnChanging first.
//
// TTab95Control holds plain tabs (Tabs, each with an object; ImageIndexes).
// TPage95Control holds sheets (TTab95Sheet): each sheet's tab shows its
// caption, and the selected tab's sheet fills the page area; Ctrl+Tab and
// Ctrl+Shift+Tab go to the next and previous page whose tab is shown,
// wrapping.
//
// A Dragable sheet carries a grip along its GripAlign side (its contents
// margins leave room for it). Pressing the grip's hot area and moving 4
// pixels drags an outline of the sheet; releasing floats the sheet into a
// TFloatingForm at the drop point, and closing that window puts the sheet
// back among the pages by StaticPageIndex as the active page. The page
// control counts its floating sheets and tells OnFloatChange (0 floated,
// 1 back); its last sheet floats only with RemoveLastTab.
//
// The platform's own tab control and its window recreation have no
// counterpart here: the tab list lives in the control.

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/TabLayout.h"

namespace vs {

class TImageList;
class TCustomTab95Control;
class TPage95Control;
class TTab95Sheet;
class TFloatingForm;

// The misuse errors of the tab controls (fixed English texts).
class ETab95Error : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

using TTabChangingEvent = std::function<void(QWidget* sender, bool& allowChange)>;
using TTabNotifyEvent = std::function<void(QWidget* sender)>;
// A sheet floated off (state 0) or came back (state 1).
using TFloatChangeEvent = std::function<void(QWidget* sender, int state)>;
// Replaces the drawing of one tab.
using TDrawTabEvent =
    std::function<void(TCustomTab95Control* control, QPainter& painter, const QString& caption, int index,
                       const TRect& rect)>;

// The tab texts, each with an object, stored in the control; an index
// outside the list raises "Tab control access error" naming the operation.
class TTabStrings {
public:
  explicit TTabStrings(TCustomTab95Control& control) : Control(control) {}
  int Count() const;
  QString Get(int index) const;
  void Put(int index, const QString& text);
  QObject* GetObject(int index) const;
  void PutObject(int index, QObject* object);
  void Insert(int index, const QString& text, QObject* object = nullptr);
  int Add(const QString& text, QObject* object = nullptr);
  void Delete(int index);
  void Clear();
  // Several changes laid out and painted once.
  void BeginUpdate();
  void EndUpdate();

private:
  TCustomTab95Control& Control;
};

// One line per tab: its image index in decimal. Writing a line sets that
// tab's image (negative numbers become -1); Add writes the next line in
// turn (Clear starts again at the first tab).
class TImageIndexStrings {
public:
  explicit TImageIndexStrings(TCustomTab95Control& control) : Control(control) {}
  int Count() const;
  QString Get(int index) const;
  void Put(int index, const QString& text);
  void Add(const QString& text);
  void Clear();
  // Copies as many lines as both lists have.
  void Assign(const TImageIndexStrings& other);

private:
  TCustomTab95Control& Control;
  int NextLine = 0;
};

class TCustomTab95Control : public QWidget {
  Q_OBJECT

public:
  explicit TCustomTab95Control(QWidget* parent = nullptr);
  ~TCustomTab95Control() override;

  bool ButtonStyle() const { return FButtonStyle; }
  // Turning it on or off puts TabPosition and VerticalTabs back to their
  // first values.
  void SetButtonStyle(bool on);
  // With ButtonStyle: buttons that are flat until selected, and etched
  // separators between flat buttons. Each repaints.
  bool FlatButtons() const { return FFlatButtons; }
  void SetFlatButtons(bool on);
  bool FlatSeperators() const { return FFlatSeperators; }
  void SetFlatSeperators(bool on);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool on);
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* images);  // not owned
  QColor TabInactiveColor() const { return FInactiveColor; }
  void SetTabInactiveColor(const QColor& colour);
  QFont TabInactiveFont() const { return FInactiveFont; }
  void SetTabInactiveFont(const QFont& font);
  QColor TabInactiveFontColor() const { return FInactiveFontColor; }
  void SetTabInactiveFontColor(const QColor& colour);
  bool MultiLine() const { return FMultiLine; }
  // Off also turns ScrollOpposite off.
  void SetMultiLine(bool on);
  // With ButtonStyle: Ctrl+click marks further tabs as pressed, beside the
  // selected one; a plain click clears the marks.
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool on);
  bool TabMarked(int index) const;
  bool ScrollOpposite() const { return FScrollOpposite; }
  // On also turns MultiLine on.
  void SetScrollOpposite(bool on);
  int TabHeight() const { return FTabHeight; }
  int TabWidth() const { return FTabWidth; }
  // Negative sizes are refused (ETab95Error "Property out of range").
  void SetTabHeight(int height);
  void SetTabWidth(int width);
  int TabIndex() const { return FTabIndex; }
  // -1 deselects; a tab outside the list is ignored. No change events.
  void SetTabIndex(int index);
  TTab95Position TabPosition() const { return FPosition; }
  TTextRotation TextRotation() const { return FRotation; }
  void SetTextRotation(TTextRotation rotation);
  bool VerticalTabs() const { return FVertical; }
  // Refused while ButtonStyle is on ("Buttons are only supported when
  // aligned along the top").
  void SetTabPosition(TTab95Position position);
  void SetVerticalTabs(bool on);

  // The tab under the mouse while HotTrack is on (-1 none).
  int HotTab() const { return FHotTab; }
  // Where each tab lies now (client coordinates), and the page area.
  std::vector<TRect> TabRects() const;
  TRect DisplayRect() const;
  // The tab's image index (-1 none).
  int TabImage(int index) const;
  void SetTabImage(int index, int image);
  int TabCount() const { return int(Items.size()); }

  // The selection as the user changes it: OnChanging may refuse, then the
  // change step runs (OnChange). True when the tab changed.
  bool SelectTab(int index);

  TTabChangingEvent OnChanging;
  TTabNotifyEvent OnChange;
  TDrawTabEvent OnDrawTab;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  // The built-in drawing of a tab: text, index and its rectangle.
  virtual void DrawTab(QPainter& painter, const QString& caption, int index, TRect rect);
  // After the selection changed (OnChange).
  virtual void Change();
  // The page area moved or resized.
  virtual void Relayout() {}
  // Tabs were added, removed or renamed.
  void TabsChanged();
  // Paints the page area's frame (the page control fills it with a sheet).
  virtual void PaintPageFrame(QPainter& painter, const TRect& area);

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  friend class TTabStrings;
  friend class TImageIndexStrings;
  friend class TPage95Control;
  struct TItem {
    QString Text;
    QObject* Object = nullptr;
    int Image = -1;
    bool Marked = false;  // pressed by a Ctrl+click (MultiSelect)
  };
  TTabStripShape Shape() const;
  void DrawButtonEdges(QPainter& painter, const QRect& rect, bool pressed, const QColor& face);
  void CheckIndex(int index, int count, const char* operation) const;
  void SetHot(int index);

  std::vector<TItem> Items;
  int UpdateDepth = 0;
  bool FButtonStyle = false;
  bool FFlatButtons = false;
  bool FFlatSeperators = true;
  bool FMultiSelect = false;
  bool FHotTrack = false;
  TImageList* FImages = nullptr;
  QColor FInactiveColor{0xA0, 0xA0, 0xA4};  // $A4A0A0
  QFont FInactiveFont;
  QColor FInactiveFontColor;
  bool FMultiLine = false;
  bool FScrollOpposite = false;
  int FTabHeight = 0;
  int FTabWidth = 0;
  int FTabIndex = -1;
  TTab95Position FPosition = tpTopLeft;
  TTextRotation FRotation = trHorizontal;
  bool FVertical = false;
  int FHotTab = -1;
};

// A plain tab strip.
class TTab95Control : public TCustomTab95Control {
  Q_OBJECT

public:
  explicit TTab95Control(QWidget* parent = nullptr);
  TTabStrings& Tabs() { return FTabs; }
  TImageIndexStrings& ImageIndexes() { return FImageIndexes; }

private:
  TTabStrings FTabs;
  TImageIndexStrings FImageIndexes;
};

// A page of a page control. Its caption is the tab's text ("caption"
// property, which the language tables set).
class TTab95Sheet : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString caption READ Caption WRITE SetCaption)

public:
  // A sheet of pageControl (null: none yet; see SetPageControl), named
  // objectName when one is given.
  explicit TTab95Sheet(TPage95Control* pageControl = nullptr, const QString& caption = QString(),
                       const char* objectName = nullptr);
  ~TTab95Sheet() override;

  TPage95Control* PageControl() const { return FPageControl; }
  void SetPageControl(TPage95Control* control);
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& caption);
  // Position among the pages; an index beyond the last page is refused
  // (ETab95Error "List index out of bounds (n)").
  int PageIndex() const;
  void SetPageIndex(int index);
  // Its tab's index: the shown tabs before it; -1 when its tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool visible);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index);
  // Where the sheet goes back among the pages when its floating window
  // closes (sheets are ordered by it). A sheet left at -1 takes its page
  // index when a sheet of its control floats off.
  int StaticPageIndex = -1;
  // Whether the user may drag the sheet off by its grip.
  bool Dragable() const { return FDragable; }
  void SetDragable(bool on);
  TGripAlign GripAlign() const { return FGripAlign; }
  void SetGripAlign(TGripAlign align);
  // Floating in a window of its own (which is null otherwise).
  bool Floating() const { return FFloating; }
  TFloatingForm* FloatingForm() const { return FForm; }
  // Leaves the page control for a floating window whose top left is at a
  // global point: what dropping a dragged sheet does.
  void FloatAt(const QPoint& globalTopLeft);
  TFloatChangeEvent OnFloatChange;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

public:
  // Shown by code while it belongs to a page control: it becomes the active
  // page.
  void setVisible(bool visible) override;

private:
  friend class TPage95Control;
  friend class TFloatingForm;
  void UpdateGripMargins();
  // Whether a press at a point of the sheet may start a drag.
  bool CanStartDrag(const QPoint& at) const;
  // Its floating window closed: back into its page control.
  void ComeBack();

  TPage95Control* FPageControl = nullptr;
  QString FCaption;
  bool FTabVisible = true;
  int FImageIndex = -1;
  bool FDragable = false;
  TGripAlign FGripAlign = gaLeft;
  // While floating: the control it came from, and its window.
  QPointer<TPage95Control> FHome;
  QPointer<TFloatingForm> FForm;
  bool FFloating = false;
  // The drag: pressed in the hot area at a point of the sheet; the outline
  // once the mouse moved far enough.
  bool FPressed = false;
  QPoint FPressAt, FPressGlobal;
  std::unique_ptr<QWidget> FOutline;
};

// The window a floated sheet lives in: a tool window with a sizeable
// border, on top, titled with the sheet's caption, the sheet filling it.
// Closing it puts the sheet back and frees the window.
class TFloatingForm : public QWidget {
  Q_OBJECT

public:
  TFloatingForm(TTab95Sheet* sheet, QWidget* owner);
  TTab95Sheet* Sheet() const { return FSheet; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QPointer<TTab95Sheet> FSheet;
};

class TPage95Control : public TCustomTab95Control {
  Q_OBJECT

public:
  explicit TPage95Control(QWidget* parent = nullptr);
  ~TPage95Control() override;

  int PageCount() const { return int(Pages.size()); }
  TTab95Sheet* Page(int index) const;
  TTab95Sheet* ActivePage() const { return FActivePage; }
  // A sheet of another control is ignored; null deselects.
  void SetActivePage(TTab95Sheet* sheet);
  // Ctrl+Tab: the next (or previous) page whose tab shows, asking
  // OnChanging first.
  void SelectNextPage(bool forward);
  // Whether the last remaining sheet may be dragged off.
  bool RemoveLastTab = false;
  // Sheets floating in windows of their own.
  int FloatingCount() const { return FFloatingCount; }
  TFloatChangeEvent OnFloatChange;

  // At least as large as the largest page needs (the pages laid out by
  // layouts of their own), so that the window gives room to its texts.
  QSize minimumSizeHint() const override;

protected:
  void Change() override;
  void Relayout() override;
  bool event(QEvent* event) override;
  // Ctrl+Tab and Ctrl+Shift+Tab, also when a control of a page has the
  // focus and leaves the key.
  void keyPressEvent(QKeyEvent* event) override;

private:
  friend class TTab95Sheet;
  void InsertSheet(TTab95Sheet* sheet);
  void RemoveSheet(TTab95Sheet* sheet);
  void MoveSheet(TTab95Sheet* sheet, int index);
  // The tabs again from the sheets that show one.
  void RebuildTabs();
  TTab95Sheet* SheetOfTab(int tab) const;
  // A sheet floated off: it leaves, the next page shows.
  void SheetFloated(TTab95Sheet* sheet);
  // A floated sheet came back: every sheet in StaticPageIndex order.
  void SheetReturned(TTab95Sheet* sheet);

  std::vector<TTab95Sheet*> Pages;
  TTab95Sheet* FActivePage = nullptr;
  int FFloatingCount = 0;
};

}  // namespace vs
