#pragma once
// The tree view of the windows: a QTreeView over a node collection of our
// own (TTreeNTNodes, the view's model), with what the plain view lacks:
//
// - owner painting: BeforePaint paints the view's background, and with
//   BeforeItemPaint set every row is painted by that handler alone (through
//   the view's delegate), across the whole row;
// - nodes that say they have children before they are read (HasChildren),
//   so that a folder is read when it is first opened (OnExpanding);
// - sorting of siblings by text (or OnCompare) as nodes come and are
//   renamed;
// - hints asked from the program (OnHint, with toInfoTip);
// - Return moving to the next node (toWantReturn);
// - automatic scrolling, speeding up, while something is dragged near an
//   edge (and on mouse moves with AutoScroll), the node under a drag shown
//   as the drop target.
//
// Opening and closing go through the tree's own handling so that
// OnExpanding / OnCollapsing may refuse and are asked exactly once: a click
// on a node's button, a double click, the keys Right, Left, "+", "-" and
// "*", or the node operations below.

#include <QElapsedTimer>
#include <QFont>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/Canvas.h"
#include "controls/QuickGraphicControl.h"

namespace vs {

class TImageList;
class TTreeNT;
class TTreeNTNodes;

// A misuse of the tree (a bad index); fixed English texts.
class ETreeNTError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum TTreeNTOption : uint32_t {
  toCheckBoxes = 1 << 0,
  toFullRowSelect = 1 << 1,
  toHideSelection = 1 << 2,
  toHotTrack = 1 << 3,
  toInfoTip = 1 << 4,
  toNoScroll = 1 << 5,
  toReadOnly = 1 << 6,
  toToolTips = 1 << 7,
  toShowButtons = 1 << 8,
  toShowLines = 1 << 9,
  toShowRoot = 1 << 10,
  toSingleExpand = 1 << 11,
  toWantReturn = 1 << 12,
};
using TTreeNTOptions = uint32_t;

enum TSortType { stNone, stData, stText, stBoth };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

// The states of a node as BeforeItemPaint gets them.
enum TNodeState : uint32_t {
  nsChecked = 1 << 0,
  nsCut = 1 << 1,
  nsDisabled = 1 << 2,
  nsDropHilited = 1 << 3,
  nsExpanded = 1 << 4,
  nsExpandedOnce = 1 << 5,
  nsFocused = 1 << 6,
  nsGrayed = 1 << 7,
  nsHot = 1 << 8,
  nsIndeterminate = 1 << 9,
  nsMarked = 1 << 10,
  nsSelected = 1 << 11,
};
using TNodeStates = uint32_t;

class TTreeNTNode {
public:
  ~TTreeNTNode();
  TTreeNTNode(const TTreeNTNode&) = delete;
  TTreeNTNode& operator=(const TTreeNTNode&) = delete;

  TTreeNTNodes& Owner() const { return Nodes; }
  TTreeNT* Tree() const;

  const std::string& Text() const { return FText; }
  // Stores the text and re-sorts the siblings when the tree sorts by text.
  void SetText(const std::string& text);
  void* Data() const { return FData; }
  // Stores the pointer and re-sorts the siblings when the tree sorts by data.
  void SetData(void* data);

  // Images by index in the tree's Images (-1 none); each setter repaints
  // the node. The tree may ask OnGetImageIndex / OnGetSelectedIndex for
  // them as the node is drawn.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int index);
  // An image of Images drawn over the node's image (-1 none).
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int index);
  // The image of StateImages left of the node's image (-1 or 0: none;
  // with toCheckBoxes 1 is unchecked and 2 checked).
  int StateIndex() const { return FStateIndex; }
  void SetStateIndex(int index);
  bool Checked() const { return FStateIndex == 2; }
  void SetChecked(bool checked) { SetStateIndex(checked ? 2 : 1); }
  // Marked for a move: drawn faded.
  bool Cut() const { return FCut; }
  void SetCut(bool cut);

  // The node's own font (made on first use from the tree's, which turns
  // ParentFont off) and its colour; with ParentFont the tree's.
  QFont& Font();
  TColor FontColor() const { return FFontColor; }
  void SetFontColor(TColor color);
  bool ParentFont() const { return !FFont; }
  void SetParentFont(bool parentFont);

  // Starts editing the label (nothing with toReadOnly, or when OnEditing
  // refuses); true when the editor opened.
  bool EditText();

  // The node's own colour (ParentColor off) or the tree's.
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool parentColor);

  // Children to come: the node shows its button before it has children.
  bool HasChildren() const { return FHasChildren || !Children.empty(); }
  void SetHasChildren(bool has);

  bool Expanded() const;
  void SetExpanded(bool expanded);
  void Expand(bool recursive);
  void Collapse(bool recursive);
  bool Selected() const;
  void SetSelected(bool selected);
  bool Focused() const;
  bool DropTarget() const;
  // The node has been opened at least once.
  bool ExpandedOnce() const { return FExpandedOnce; }

  TTreeNTNode* Parent() const { return FParent; }
  int Level() const;
  int Count() const { return static_cast<int>(Children.size()); }
  // The child at index; an index outside the children raises ETreeNTError
  // "List index out of bounds (index)".
  TTreeNTNode* Item(int index) const;
  int IndexOf(const TTreeNTNode* child) const;
  int Index() const;
  TTreeNTNode* GetFirstChild() const;
  TTreeNTNode* GetLastChild() const;
  TTreeNTNode* GetNextSibling() const;
  TTreeNTNode* GetPrevSibling() const;
  TTreeNTNode* GetNextChild(const TTreeNTNode* child) const;
  // Tree order: first child, else next sibling, else the next sibling of the
  // nearest ancestor that has one.
  TTreeNTNode* GetNext() const;
  TTreeNTNode* GetPrev() const;
  int AbsoluteIndex() const;

  // Removes the node and its children (OnDeletion for each).
  void Delete();
  // Removes the children.
  void DeleteChildren();

private:
  friend class TTreeNTNodes;
  friend class TTreeNT;
  TTreeNTNode(TTreeNTNodes& nodes, TTreeNTNode* parent) : Nodes(nodes), FParent(parent) {}

  TTreeNTNodes& Nodes;
  TTreeNTNode* FParent;
  std::vector<std::unique_ptr<TTreeNTNode>> Children;
  std::string FText;
  void* FData = nullptr;
  TColor FColor = ClWindow;
  bool FParentColor = true;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  int FOverlayIndex = -1;
  int FStateIndex = -1;
  bool FCut = false;
  std::unique_ptr<QFont> FFont;
  TColor FFontColor = ClWindowText;
  bool FHasChildren = false;
  bool FExpandedOnce = false;
  bool Deleting = false;
};

// The nodes of a tree, and the view's model of them (one column).
class TTreeNTNodes : public QAbstractItemModel {
  Q_OBJECT

public:
  explicit TTreeNTNodes(TTreeNT& tree);
  ~TTreeNTNodes() override;

  TTreeNT& Tree() const { return Owner; }
  // Every node.
  int Count() const;
  // Removes every node.
  void Clear();
  // A node at the end of sibling's siblings (sibling null: the top level).
  TTreeNTNode* Add(TTreeNTNode* sibling, const std::string& text);
  TTreeNTNode* AddObject(TTreeNTNode* sibling, const std::string& text, void* data);
  // A node at the end of parent's children (parent null: the top level).
  TTreeNTNode* AddChild(TTreeNTNode* parent, const std::string& text);
  TTreeNTNode* AddChildObject(TTreeNTNode* parent, const std::string& text, void* data);
  // A node first among parent's children.
  TTreeNTNode* AddChildFirst(TTreeNTNode* parent, const std::string& text);
  // The node at an absolute index (tree order); beyond the last node raises
  // ETreeNTError "Invalid index".
  TTreeNTNode* Item(int index) const;
  TTreeNTNode* GetFirstNode() const;
  // Nested: the first level switches the view's painting off, the last on.
  void BeginUpdate();
  void EndUpdate();
  bool Clearing() const { return FClearing; }

  // Model.
  QModelIndex IndexOf(const TTreeNTNode* node) const;
  TTreeNTNode* NodeOf(const QModelIndex& index) const;
  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
  friend class TTreeNTNode;
  friend class TTreeNT;
  TTreeNTNode* Insert(TTreeNTNode* parent, int row, const std::string& text, void* data);
  // The row a node of that text would take among parent's children when
  // the tree sorts (after its equals), else row.
  int SortedRow(TTreeNTNode* parent, const TTreeNTNode& node, int row) const;
  void Resort(TTreeNTNode& node);
  void Remove(TTreeNTNode& node);
  void NodeChanged(TTreeNTNode& node);

  TTreeNT& Owner;
  TTreeNTNode Root;
  int UpdateCount = 0;
  bool FClearing = false;
};

class TTreeNT : public QTreeView {
  Q_OBJECT

public:
  explicit TTreeNT(QWidget* parent = nullptr);
  ~TTreeNT() override;

  TTreeNTNodes& Items() { return *Nodes; }
  const TTreeNTNodes& Items() const { return *Nodes; }
  using QTreeView::edit;

  TTreeNTOptions Options() const { return FOptions; }
  void SetOptions(TTreeNTOptions options);
  TSortType SortType() const { return FSortType; }
  // Sorts every level when sorting is switched on.
  void SetSortType(TSortType type);
  TListBoxStyle Style = lbStandard;
  // Rows of this height (below 1: the font's).
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int height);
  int Indent() const { return indentation(); }
  void SetIndent(int indent) { setIndentation(indent); }
  // The first interval of the drag scrolling, ms.
  int ScrollTime = 100;
  bool AutoScroll = true;
  // The tree's colour: the background of nodes with ParentColor.
  TColor Color = ClWindow;
  // Glyphs by ImageIndex / SelectedIndex (not owned).
  const TImageList* Images = nullptr;
  // Glyphs by StateIndex, left of the node's image (not owned).
  const TImageList* StateImages = nullptr;

  TTreeNTNode* Selected() const;
  // Selects a node (null: no selection).
  void SetSelected(TTreeNTNode* node);
  // The node under a point of the view (null outside the rows).
  TTreeNTNode* GetNodeAt(int x, int y) const;
  // Every top-level node closed with all below it.
  void FullCollapse();
  // The rectangle of a node's row in the view (empty when not shown).
  QRect NodeRect(const TTreeNTNode* node) const;
  // The node a drag is over (null: none).
  TTreeNTNode* DropTarget() const { return FDropTarget; }
  // The incremental-search text: what was typed within the keyboard
  // interval (empty after it).
  std::string SearchString() const;
  void keyboardSearch(const QString& search) override;

  // The drag scrolling as it runs: directions wanted (TScrollDirection),
  // its timer's interval and step counter.
  int ScrollDirections() const { return ScrollDirs; }
  bool DragScrolling() const { return ScrollTimer.isActive(); }
  int DragScrollInterval() const { return ScrollTimer.interval(); }
  // One tick of the drag scrolling (the timer calls it).
  void DragScrollTick();

  using TNodeEvent = std::function<void(TTreeNT& sender, TTreeNTNode* node)>;
  using TAllowEvent = std::function<void(TTreeNT& sender, TTreeNTNode* node, bool& allow)>;
  std::function<void(TTreeNT& sender, TCanvas& canvas)> BeforePaint;
  std::function<void(TTreeNT& sender, TCanvas& canvas)> AfterPaint;
  std::function<void(TTreeNT& sender, TTreeNTNode& node, TCanvas& canvas, const TRect& itemRect, TNodeStates states)>
      BeforeItemPaint;
  std::function<void(TTreeNT& sender, TTreeNTNode& node, TCanvas& canvas, const TRect& itemRect, TNodeStates states)>
      AfterItemPaint;
  std::function<void(TTreeNT& sender)> OnClick;
  std::function<void(TTreeNT& sender)> OnDblClick;
  std::function<void(TTreeNT& sender, const TMouseInfo& mouse)> OnMouseDown;
  std::function<void(TTreeNT& sender, const TMouseInfo& mouse)> OnMouseMove;
  std::function<void(TTreeNT& sender, const TMouseInfo& mouse)> OnMouseUp;
  // A key pressed: setting key to 0 consumes it.
  std::function<void(TTreeNT& sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
  TAllowEvent OnExpanding;
  TNodeEvent OnExpanded;
  TAllowEvent OnCollapsing;
  TNodeEvent OnCollapsed;
  TAllowEvent OnChanging;
  TNodeEvent OnChange;
  TNodeEvent OnDeletion;
  std::function<void(TTreeNT& sender, TTreeNTNode* a, TTreeNTNode* b, int& compare)> OnCompare;
  std::function<std::string(TTreeNT& sender, TTreeNTNode* node)> OnHint;
  // The images asked as the node is drawn: the handler may set the node's
  // ImageIndex / SelectedIndex.
  TNodeEvent OnGetImageIndex;
  TNodeEvent OnGetSelectedIndex;
  // Label editing (without toReadOnly): OnEditing may refuse; OnEdited may
  // change the new text before the node takes it.
  TAllowEvent OnEditing;
  std::function<void(TTreeNT& sender, TTreeNTNode* node, std::string& text)> OnEdited;
  // With toSingleExpand, a newly selected node opens and the node selected
  // before closes; clearing autoCollapse keeps that one open.
  std::function<void(TTreeNT& sender, TTreeNTNode* node, bool& autoCollapse)> OnSingleExpanded;
  std::function<void(TTreeNT& sender)> OnResize;

  // The states of a node as painted now.
  TNodeStates NodeStates(const TTreeNTNode& node) const;
  // Compares two siblings as the sorting does.
  int CompareNodes(TTreeNTNode* a, TTreeNTNode* b);

protected:
  void paintEvent(QPaintEvent* event) override;
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  friend class TTreeNTNode;
  friend class TTreeNTNodes;
  bool ExpandNode(TTreeNTNode& node);
  bool CollapseNode(TTreeNTNode& node);
  void TestAutoScroll(const QPoint& pos);
  void StopAutoScroll();
  void SetDropTarget(TTreeNTNode* node);
  // The node's button area (left of its text) holds the point.
  bool OnButton(const TTreeNTNode& node, const QPoint& pos) const;
  // The dotted lines from a node to its parent and siblings (toShowLines).
  void DrawLines(QPainter* painter, const QRect& rect, const QModelIndex& index) const;
  // A node's image (state image, image, overlay) as one picture.
  QPixmap NodeImage(TTreeNTNode& node) const;
  bool Dragging = false;

  TTreeNTNodes* Nodes;
  TTreeNTOptions FOptions = toShowLines | toShowRoot;
  TSortType FSortType = stNone;
  int FItemHeight = 0;
  QTimer ScrollTimer;
  int ScrollCounter = 0;
  int ScrollDirs = 0;
  TTreeNTNode* FDropTarget = nullptr;
  QString FSearch;
  QElapsedTimer SearchTyped;
  TTreeNTNode* HotNode = nullptr;
  bool PressedHere = false;
  bool Refusing = false;  // the selection change being refused
};

}  // namespace vs
