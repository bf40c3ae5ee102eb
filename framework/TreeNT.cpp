#include "framework/TreeNT.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

#include "controls/ImageList.h"
#include "framework/DragMaps.h"

namespace vs {

namespace {

// Rows of the tree's height; an owner-painted row is handed whole to the
// tree's BeforeItemPaint.
class TTreeNTDelegate : public QStyledItemDelegate {
public:
  explicit TTreeNTDelegate(TTreeNT& tree) : QStyledItemDelegate(&tree), Tree(tree) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (Tree.ItemHeight() >= 1) size.setHeight(Tree.ItemHeight());
    return size;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    TTreeNTNode* node = Tree.Items().NodeOf(index);
    if (!node || !Tree.BeforeItemPaint) {
      // Without the focus a tree that hides its selection shows none (the
      // view marks the selected row itself, after drawRow).
      QStyleOptionViewItem item = option;
      if ((Tree.Options() & toHideSelection) && !Tree.hasFocus()) item.state &= ~QStyle::State_Selected;
      QStyledItemDelegate::paint(painter, item, index);
      return;
    }
    const TNodeStates states = Tree.NodeStates(*node);
    const TRect r = FromQRect(option.rect);
    painter->save();
    TCanvas canvas(*painter);
    Tree.BeforeItemPaint(Tree, *node, canvas, r, states);
    painter->restore();
    if (Tree.AfterItemPaint) {
      painter->save();
      TCanvas after(*painter);
      Tree.AfterItemPaint(Tree, *node, after, r, states);
      painter->restore();
    }
  }

private:
  TTreeNT& Tree;
};

bool SortsByText(TSortType t) { return t == stText || t == stBoth; }
bool SortsByData(TSortType t) { return t == stData || t == stBoth; }

}  // namespace

// ----------------------------------------------------------------- node

TTreeNTNode::~TTreeNTNode() = default;

TTreeNT* TTreeNTNode::Tree() const { return &Nodes.Tree(); }

void TTreeNTNode::SetText(const std::string& text) {
  FText = text;
  Nodes.NodeChanged(*this);
  if (SortsByText(Tree()->SortType())) Nodes.Resort(*this);
}

void TTreeNTNode::SetData(void* data) {
  FData = data;
  if (SortsByData(Tree()->SortType()) && !Deleting) Nodes.Resort(*this);
}

void TTreeNTNode::SetColor(TColor color) {
  FColor = color;
  FParentColor = false;
  Nodes.NodeChanged(*this);
}

void TTreeNTNode::SetImageIndex(int index) {
  if (FImageIndex == index) return;
  FImageIndex = index;
  Nodes.NodeChanged(*this);
}

void TTreeNTNode::SetSelectedIndex(int index) {
  if (FSelectedIndex == index) return;
  FSelectedIndex = index;
  Nodes.NodeChanged(*this);
}

void TTreeNTNode::SetOverlayIndex(int index) {
  if (FOverlayIndex == index) return;
  FOverlayIndex = index;
  Nodes.NodeChanged(*this);
}

void TTreeNTNode::SetStateIndex(int index) {
  if (FStateIndex == index) return;
  FStateIndex = index;
  Nodes.NodeChanged(*this);
}

void TTreeNTNode::SetCut(bool cut) {
  if (FCut == cut) return;
  FCut = cut;
  Nodes.NodeChanged(*this);
}

QFont& TTreeNTNode::Font() {
  if (!FFont) {
    FFont = std::make_unique<QFont>(Tree()->font());
    Nodes.NodeChanged(*this);
  }
  return *FFont;
}

void TTreeNTNode::SetFontColor(TColor color) {
  FFontColor = color;
  if (!FFont) FFont = std::make_unique<QFont>(Tree()->font());
  Nodes.NodeChanged(*this);
}

void TTreeNTNode::SetParentFont(bool parentFont) {
  if (parentFont == ParentFont()) return;
  if (parentFont)
    FFont.reset();
  else
    FFont = std::make_unique<QFont>(Tree()->font());
  Nodes.NodeChanged(*this);
}

bool TTreeNTNode::EditText() {
  TTreeNT* tree = Tree();
  tree->edit(Nodes.IndexOf(this));
  return tree->state() == QAbstractItemView::EditingState;
}

void TTreeNTNode::SetParentColor(bool parentColor) {
  if (FParentColor == parentColor) return;
  FParentColor = parentColor;
  Nodes.NodeChanged(*this);
}

void TTreeNTNode::SetHasChildren(bool has) {
  if (FHasChildren == has) return;
  FHasChildren = has;
  Nodes.NodeChanged(*this);
}

bool TTreeNTNode::Expanded() const { return Tree()->isExpanded(Nodes.IndexOf(this)); }

void TTreeNTNode::SetExpanded(bool expanded) {
  if (expanded)
    Expand(false);
  else
    Collapse(false);
}

void TTreeNTNode::Expand(bool recursive) {
  Tree()->ExpandNode(*this);
  if (recursive)
    for (size_t i = 0; i < Children.size(); ++i) Children[i]->Expand(true);
}

void TTreeNTNode::Collapse(bool recursive) {
  if (recursive)
    for (size_t i = 0; i < Children.size(); ++i) Children[i]->Collapse(true);
  Tree()->CollapseNode(*this);
}

bool TTreeNTNode::Selected() const {
  const QItemSelectionModel* s = Tree()->selectionModel();
  return s && s->isSelected(Nodes.IndexOf(this));
}

void TTreeNTNode::SetSelected(bool selected) {
  if (selected)
    Tree()->SetSelected(this);
  else if (Tree()->Selected() == this)
    Tree()->SetSelected(nullptr);
}

bool TTreeNTNode::Focused() const { return Tree()->currentIndex() == Nodes.IndexOf(this); }
bool TTreeNTNode::DropTarget() const { return Tree()->DropTarget() == this; }

int TTreeNTNode::Level() const {
  int level = 0;
  for (const TTreeNTNode* p = FParent; p && p->FParent; p = p->FParent) ++level;
  return level;
}

TTreeNTNode* TTreeNTNode::Item(int index) const {
  if (index < 0 || index >= Count())
    throw ETreeNTError("List index out of bounds (" + std::to_string(index) + ")");
  return Children[size_t(index)].get();
}

int TTreeNTNode::IndexOf(const TTreeNTNode* child) const {
  for (size_t i = 0; i < Children.size(); ++i)
    if (Children[i].get() == child) return static_cast<int>(i);
  return -1;
}

int TTreeNTNode::Index() const { return FParent ? FParent->IndexOf(this) : -1; }

TTreeNTNode* TTreeNTNode::GetFirstChild() const { return Children.empty() ? nullptr : Children.front().get(); }
TTreeNTNode* TTreeNTNode::GetLastChild() const { return Children.empty() ? nullptr : Children.back().get(); }

TTreeNTNode* TTreeNTNode::GetNextSibling() const {
  if (!FParent) return nullptr;
  const int i = Index();
  return i + 1 < FParent->Count() ? FParent->Children[size_t(i + 1)].get() : nullptr;
}

TTreeNTNode* TTreeNTNode::GetPrevSibling() const {
  if (!FParent) return nullptr;
  const int i = Index();
  return i > 0 ? FParent->Children[size_t(i - 1)].get() : nullptr;
}

TTreeNTNode* TTreeNTNode::GetNextChild(const TTreeNTNode* child) const {
  const int i = IndexOf(child);
  return i >= 0 && i + 1 < Count() ? Children[size_t(i + 1)].get() : nullptr;
}

TTreeNTNode* TTreeNTNode::GetNext() const {
  if (TTreeNTNode* c = GetFirstChild()) return c;
  for (const TTreeNTNode* n = this; n && n->FParent; n = n->FParent)
    if (TTreeNTNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

TTreeNTNode* TTreeNTNode::GetPrev() const {
  TTreeNTNode* p = GetPrevSibling();
  if (!p) return FParent && FParent->FParent ? FParent : nullptr;
  while (TTreeNTNode* last = p->GetLastChild()) p = last;
  return p;
}

int TTreeNTNode::AbsoluteIndex() const {
  int i = 0;
  for (TTreeNTNode* n = Nodes.GetFirstNode(); n; n = n->GetNext(), ++i)
    if (n == this) return i;
  return -1;
}

void TTreeNTNode::Delete() { Nodes.Remove(*this); }

void TTreeNTNode::DeleteChildren() {
  while (!Children.empty()) Nodes.Remove(*Children.back());
}

// ----------------------------------------------------------------- nodes

TTreeNTNodes::TTreeNTNodes(TTreeNT& tree) : QAbstractItemModel(&tree), Owner(tree), Root(*this, nullptr) {}

TTreeNTNodes::~TTreeNTNodes() = default;

int TTreeNTNodes::Count() const {
  int n = 0;
  for (TTreeNTNode* node = GetFirstNode(); node; node = node->GetNext()) ++n;
  return n;
}

void TTreeNTNodes::Clear() {
  FClearing = true;
  BeginUpdate();
  beginResetModel();
  if (Owner.OnDeletion)
    for (TTreeNTNode* n = GetFirstNode(); n; n = n->GetNext()) Owner.OnDeletion(Owner, n);
  Owner.FDropTarget = Owner.HotNode = nullptr;
  Root.Children.clear();
  endResetModel();
  EndUpdate();
  FClearing = false;
}

TTreeNTNode* TTreeNTNodes::Add(TTreeNTNode* sibling, const std::string& text) {
  return AddObject(sibling, text, nullptr);
}

TTreeNTNode* TTreeNTNodes::AddObject(TTreeNTNode* sibling, const std::string& text, void* data) {
  TTreeNTNode* parent = sibling ? sibling->FParent : &Root;
  return Insert(parent, parent->Count(), text, data);
}

TTreeNTNode* TTreeNTNodes::AddChild(TTreeNTNode* parent, const std::string& text) {
  return AddChildObject(parent, text, nullptr);
}

TTreeNTNode* TTreeNTNodes::AddChildObject(TTreeNTNode* parent, const std::string& text, void* data) {
  TTreeNTNode* p = parent ? parent : &Root;
  return Insert(p, p->Count(), text, data);
}

TTreeNTNode* TTreeNTNodes::AddChildFirst(TTreeNTNode* parent, const std::string& text) {
  return Insert(parent ? parent : &Root, 0, text, nullptr);
}

TTreeNTNode* TTreeNTNodes::Insert(TTreeNTNode* parent, int row, const std::string& text, void* data) {
  std::unique_ptr<TTreeNTNode> node(new TTreeNTNode(*this, parent));
  node->FText = text;
  node->FData = data;
  row = SortedRow(parent, *node, row);
  TTreeNTNode* n = node.get();
  beginInsertRows(IndexOf(parent), row, row);
  parent->Children.insert(parent->Children.begin() + row, std::move(node));
  endInsertRows();
  return n;
}

int TTreeNTNodes::SortedRow(TTreeNTNode* parent, const TTreeNTNode& node, int row) const {
  if (!SortsByText(Owner.SortType())) return row;
  // After the last sibling that does not come after it.
  auto& c = parent->Children;
  auto at = std::upper_bound(c.begin(), c.end(), &node, [this](const TTreeNTNode* a, const auto& b) {
    return Owner.CompareNodes(const_cast<TTreeNTNode*>(a), b.get()) < 0;
  });
  return static_cast<int>(at - c.begin());
}

void TTreeNTNodes::Resort(TTreeNTNode& node) {
  TTreeNTNode* parent = node.FParent;
  if (!parent) return;
  const int from = node.Index();
  auto& c = parent->Children;
  std::unique_ptr<TTreeNTNode> held = std::move(c[size_t(from)]);
  c.erase(c.begin() + from);
  auto at = std::upper_bound(c.begin(), c.end(), &node, [this](const TTreeNTNode* a, const auto& b) {
    return Owner.CompareNodes(const_cast<TTreeNTNode*>(a), b.get()) < 0;
  });
  const int to = static_cast<int>(at - c.begin());
  c.insert(c.begin() + from, std::move(held));
  if (to == from) return;
  const QModelIndex p = IndexOf(parent);
  beginMoveRows(p, from, from, p, to > from ? to + 1 : to);
  std::unique_ptr<TTreeNTNode> moving = std::move(c[size_t(from)]);
  c.erase(c.begin() + from);
  c.insert(c.begin() + to, std::move(moving));
  endMoveRows();
}

void TTreeNTNodes::Remove(TTreeNTNode& node) {
  TTreeNTNode* parent = node.FParent;
  if (!parent) return;
  node.Deleting = true;
  // The last child of an open node closes it first.
  if (parent != &Root && parent->Count() == 1 && parent->Expanded()) Owner.collapse(IndexOf(parent));
  if (Owner.OnDeletion) {
    std::vector<TTreeNTNode*> gone{&node};
    for (size_t i = 0; i < gone.size(); ++i)
      for (auto& c : gone[i]->Children) gone.push_back(c.get());
    for (TTreeNTNode* n : gone) Owner.OnDeletion(Owner, n);
  }
  for (TTreeNTNode* n = Owner.FDropTarget; n; n = n->FParent)
    if (n == &node) Owner.FDropTarget = nullptr;
  for (TTreeNTNode* n = Owner.HotNode; n; n = n->FParent)
    if (n == &node) Owner.HotNode = nullptr;
  const int row = node.Index();
  beginRemoveRows(IndexOf(parent), row, row);
  parent->Children.erase(parent->Children.begin() + row);
  endRemoveRows();
}

void TTreeNTNodes::NodeChanged(TTreeNTNode& node) {
  if (!node.FParent) return;
  const QModelIndex i = IndexOf(&node);
  emit dataChanged(i, i);
}

TTreeNTNode* TTreeNTNodes::Item(int index) const {
  TTreeNTNode* n = GetFirstNode();
  for (int i = 0; n && i < index; ++i) n = n->GetNext();
  if (index < 0 || !n) throw ETreeNTError("Invalid index");
  return n;
}

TTreeNTNode* TTreeNTNodes::GetFirstNode() const { return Root.GetFirstChild(); }

void TTreeNTNodes::BeginUpdate() {
  if (UpdateCount++ == 0) Owner.setUpdatesEnabled(false);
}

void TTreeNTNodes::EndUpdate() {
  if (UpdateCount == 0) return;
  if (--UpdateCount == 0) Owner.setUpdatesEnabled(true);
}

QModelIndex TTreeNTNodes::IndexOf(const TTreeNTNode* node) const {
  if (!node || node == &Root || !node->FParent) return {};
  return createIndex(node->Index(), 0, const_cast<TTreeNTNode*>(node));
}

TTreeNTNode* TTreeNTNodes::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TTreeNTNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TTreeNTNodes::index(int row, int column, const QModelIndex& parent) const {
  const TTreeNTNode* p = parent.isValid() ? NodeOf(parent) : &Root;
  if (column != 0 || row < 0 || row >= p->Count()) return {};
  return createIndex(row, 0, p->Children[size_t(row)].get());
}

QModelIndex TTreeNTNodes::parent(const QModelIndex& child) const {
  const TTreeNTNode* n = NodeOf(child);
  return n ? IndexOf(n->FParent) : QModelIndex();
}

int TTreeNTNodes::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  const TTreeNTNode* p = parent.isValid() ? NodeOf(parent) : &Root;
  return p->Count();
}

int TTreeNTNodes::columnCount(const QModelIndex&) const { return 1; }

bool TTreeNTNodes::hasChildren(const QModelIndex& parent) const {
  const TTreeNTNode* p = parent.isValid() ? NodeOf(parent) : &Root;
  return p->HasChildren();
}

QVariant TTreeNTNodes::data(const QModelIndex& index, int role) const {
  TTreeNTNode* n = NodeOf(index);
  if (!n) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(n->Text());
    case Qt::DecorationRole: {
      const QPixmap image = Owner.NodeImage(*n);
      return image.isNull() ? QVariant() : QVariant(image);
    }
    case Qt::BackgroundRole:
      return n->ParentColor() ? QVariant() : QVariant(ToQColor(n->Color()));
    case Qt::FontRole:
      return n->ParentFont() ? QVariant() : QVariant(*n->FFont);
    case Qt::ForegroundRole:
      return n->ParentFont() ? QVariant() : QVariant(ToQColor(n->FontColor()));
    case Qt::CheckStateRole:
      if (!(Owner.Options() & toCheckBoxes)) return {};
      return n->Checked() ? Qt::Checked : Qt::Unchecked;
    default:
      return {};
  }
}

bool TTreeNTNodes::setData(const QModelIndex& index, const QVariant& value, int role) {
  TTreeNTNode* n = NodeOf(index);
  if (!n) return false;
  if (role == Qt::EditRole) {
    std::string text = value.toString().toStdString();
    if (Owner.OnEdited) Owner.OnEdited(Owner, n, text);
    n->SetText(text);
    return true;
  }
  if (role == Qt::CheckStateRole && (Owner.Options() & toCheckBoxes)) {
    n->SetChecked(value.toInt() == Qt::Checked);
    return true;
  }
  return false;
}

Qt::ItemFlags TTreeNTNodes::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!(Owner.Options() & toReadOnly)) f |= Qt::ItemIsEditable;
  if (Owner.Options() & toCheckBoxes) f |= Qt::ItemIsUserCheckable;
  return f;
}

// ----------------------------------------------------------------- tree

TTreeNT::TTreeNT(QWidget* parent) : QTreeView(parent), Nodes(new TTreeNTNodes(*this)) {
  setModel(Nodes);
  setItemDelegate(new TTreeNTDelegate(*this));
  setHeaderHidden(true);
  header()->setStretchLastSection(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Opening and closing are the tree's own (they ask OnExpanding first).
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  // The drag scrolling is the tree's own too.
  QTreeView::setAutoScroll(false);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setMouseTracking(true);
  ScrollTimer.setSingleShot(false);
  connect(&ScrollTimer, &QTimer::timeout, this, [this] { DragScrollTick(); });
  SetOptions(FOptions);
}

TTreeNT::~TTreeNT() {
  ScrollTimer.stop();
  // The handlers see no deletions while the tree goes.
  OnDeletion = nullptr;
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TTreeNT::SetOptions(TTreeNTOptions options) {
  const bool checks = (FOptions ^ options) & toCheckBoxes;
  FOptions = options;
  setRootIsDecorated((options & toShowRoot) && (options & (toShowButtons | toShowLines)));
  setAllColumnsShowFocus(options & toFullRowSelect);
  const auto policy = (options & toNoScroll) ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
  setVerticalScrollBarPolicy(policy);
  setHorizontalScrollBarPolicy(policy);
  // Labels are edited by F2 or a click on the selected node.
  setEditTriggers((options & toReadOnly) ? QAbstractItemView::NoEditTriggers
                                         : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  // Check boxes change what the nodes show.
  if (checks && Nodes->rowCount() > 0) emit Nodes->layoutChanged();
  viewport()->update();
}

QPixmap TTreeNT::NodeImage(TTreeNTNode& node) const {
  if (OnGetImageIndex) OnGetImageIndex(const_cast<TTreeNT&>(*this), &node);
  const bool selected = node.Selected();
  if (selected && OnGetSelectedIndex) OnGetSelectedIndex(const_cast<TTreeNT&>(*this), &node);
  const int image = selected && node.SelectedIndex() >= 0 ? node.SelectedIndex() : node.ImageIndex();
  const bool hasImage = Images && image >= 0 && image < Images->Count();
  const bool hasOverlay = hasImage && node.OverlayIndex() >= 0 && node.OverlayIndex() < Images->Count();
  const bool hasState = !(FOptions & toCheckBoxes) && StateImages && node.StateIndex() > 0 &&
                        node.StateIndex() < StateImages->Count();
  if (!hasImage && !hasState) return {};
  const int sw = hasState ? StateImages->Width() : 0;
  const int iw = hasImage ? Images->Width() : 0;
  const int h = std::max(hasState ? StateImages->Height() : 0, hasImage ? Images->Height() : 0);
  QPixmap picture(sw + iw, h);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  if (hasState) p.drawImage(0, 0, StateImages->Image(node.StateIndex()));
  // A node marked cut shows its image faded.
  if (node.Cut()) p.setOpacity(0.45);
  if (hasImage) p.drawImage(sw, 0, Images->Image(image));
  if (hasOverlay) p.drawImage(sw, 0, Images->Image(node.OverlayIndex()));
  return picture;
}

bool TTreeNT::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  TTreeNTNode* node = Nodes->NodeOf(index);
  if (!node || (FOptions & toReadOnly) || Dragging) return false;
  bool allow = true;
  if (OnEditing) OnEditing(*this, node, allow);
  if (!allow) return false;
  return QTreeView::edit(index, trigger, event);
}

void TTreeNT::focusInEvent(QFocusEvent* event) {
  QTreeView::focusInEvent(event);
  if (FOptions & toHideSelection) viewport()->update();
}

void TTreeNT::focusOutEvent(QFocusEvent* event) {
  QTreeView::focusOutEvent(event);
  if (FOptions & toHideSelection) viewport()->update();
}

void TTreeNT::SetSortType(TSortType type) {
  FSortType = type;
  if (!SortsByText(type)) return;
  std::vector<TTreeNTNode*> parents{&Nodes->Root};
  while (!parents.empty()) {
    TTreeNTNode* p = parents.back();
    parents.pop_back();
    // Re-sorting each child in turn leaves the list sorted (stable).
    std::vector<TTreeNTNode*> kids;
    for (auto& c : p->Children) kids.push_back(c.get());
    for (TTreeNTNode* c : kids) {
      Nodes->Resort(*c);
      parents.push_back(c);
    }
  }
}

void TTreeNT::SetItemHeight(int height) {
  FItemHeight = height;
  doItemsLayout();
}

TTreeNTNode* TTreeNT::Selected() const { return Nodes->NodeOf(currentIndex()); }

void TTreeNT::SetSelected(TTreeNTNode* node) {
  if (!node) {
    selectionModel()->clear();
    return;
  }
  setCurrentIndex(Nodes->IndexOf(node));
}

TTreeNTNode* TTreeNT::GetNodeAt(int x, int y) const { return Nodes->NodeOf(indexAt(QPoint(x, y))); }

void TTreeNT::FullCollapse() {
  for (TTreeNTNode* n = Nodes->GetFirstNode(); n; n = n->GetNextSibling()) n->Collapse(true);
}

QRect TTreeNT::NodeRect(const TTreeNTNode* node) const { return visualRect(Nodes->IndexOf(node)); }

int TTreeNT::CompareNodes(TTreeNTNode* a, TTreeNTNode* b) {
  if (OnCompare) {
    int compare = 0;
    OnCompare(*this, a, b, compare);
    return compare;
  }
  return a->Text().compare(b->Text());
}

TNodeStates TTreeNT::NodeStates(const TTreeNTNode& node) const {
  TNodeStates s = 0;
  const QModelIndex i = Nodes->IndexOf(&node);
  if (selectionModel() && selectionModel()->isSelected(i)) s |= nsSelected;
  if (isExpanded(i)) s |= nsExpanded;
  if (node.FExpandedOnce) s |= nsExpandedOnce;
  if (currentIndex() == i && hasFocus()) s |= nsFocused;
  if (HotNode == &node) s |= nsHot;
  if (FDropTarget == &node) s |= nsDropHilited;
  if (node.Checked()) s |= nsChecked;
  if (node.Cut()) s |= nsCut;
  return s;
}

bool TTreeNT::ExpandNode(TTreeNTNode& node) {
  const QModelIndex i = Nodes->IndexOf(&node);
  if (!i.isValid() || isExpanded(i) || !node.HasChildren()) return false;
  bool allow = true;
  if (OnExpanding) OnExpanding(*this, &node, allow);
  if (!allow) return false;
  // The handler may have read the node's children.
  setExpanded(Nodes->IndexOf(&node), true);
  node.FExpandedOnce = true;
  if (OnExpanded) OnExpanded(*this, &node);
  return true;
}

bool TTreeNT::CollapseNode(TTreeNTNode& node) {
  const QModelIndex i = Nodes->IndexOf(&node);
  if (!i.isValid() || !isExpanded(i)) return false;
  bool allow = true;
  if (OnCollapsing) OnCollapsing(*this, &node, allow);
  if (!allow) return false;
  setExpanded(i, false);
  if (OnCollapsed) OnCollapsed(*this, &node);
  return true;
}

bool TTreeNT::OnButton(const TTreeNTNode& node, const QPoint& pos) const {
  if (!(FOptions & toShowButtons) || !node.HasChildren()) return false;
  const QRect r = NodeRect(&node);
  return pos.x() < r.left() && pos.x() >= r.left() - indentation();
}

void TTreeNT::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTreeView::currentChanged(current, previous);
  if (Refusing) return;
  TTreeNTNode* node = Nodes->NodeOf(current);
  if (OnChanging) {
    bool allow = true;
    OnChanging(*this, node, allow);
    if (!allow) {
      Refusing = true;
      setCurrentIndex(previous);
      Refusing = false;
      return;
    }
  }
  if (OnChange) OnChange(*this, node);
  if ((FOptions & toSingleExpand) && node) {
    bool autoCollapse = true;
    if (OnSingleExpanded) OnSingleExpanded(*this, node, autoCollapse);
    TTreeNTNode* before = Nodes->NodeOf(previous);
    ExpandNode(*node);
    bool above = false;
    for (TTreeNTNode* p = node->Parent(); p; p = p->Parent()) above = above || p == before;
    if (autoCollapse && before && before != node && !above) CollapseNode(*before);
  }
}

void TTreeNT::paintEvent(QPaintEvent* event) {
  if (BeforePaint) {
    QPainter p(viewport());
    TCanvas canvas(p);
    BeforePaint(*this, canvas);
  }
  QTreeView::paintEvent(event);
  if (AfterPaint) {
    QPainter p(viewport());
    TCanvas canvas(p);
    AfterPaint(*this, canvas);
  }
}

void TTreeNT::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (!BeforeItemPaint) {
    QTreeView::drawRow(painter, option, index);
    return;
  }
  // The handler paints the whole row; it is told where the row lies.
  QStyleOptionViewItem row = option;
  row.rect = QRect(0, option.rect.y(), viewport()->width(), option.rect.height());
  itemDelegate()->paint(painter, row, index);
}

void TTreeNT::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
  if (BeforeItemPaint) return;
  if (FOptions & toShowLines) DrawLines(painter, rect, index);
  if (FOptions & toShowButtons) QTreeView::drawBranches(painter, rect, index);
}

void TTreeNT::DrawLines(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
  const TTreeNTNode* node = Nodes->NodeOf(index);
  if (!node) return;
  const int step = indentation();
  if (step <= 0) return;
  painter->save();
  painter->setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
  const int midY = rect.top() + rect.height() / 2;
  // The node's own column is the last one; each column further left
  // belongs to an ancestor, whose line runs on while it has a sibling below.
  int column = rect.right() + 1 - step;
  const auto x = [step](int left) { return left + step / 2; };
  if (column >= rect.left()) {
    painter->drawLine(x(column), midY, column + step - 1, midY);
    const bool first = !node->GetPrevSibling() && node->Level() == 0;
    painter->drawLine(x(column), first ? midY : rect.top(), x(column), node->GetNextSibling() ? rect.bottom() : midY);
  }
  for (const TTreeNTNode* a = node->Parent(); a && a->Parent() && (column -= step) >= rect.left(); a = a->Parent())
    if (a->GetNextSibling()) painter->drawLine(x(column), rect.top(), x(column), rect.bottom());
  painter->restore();
}

void TTreeNT::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  PressedHere = true;
  TTreeNTNode* node = GetNodeAt(pos.x(), pos.y());
  if (node && OnButton(*node, pos)) {
    if (!CollapseNode(*node)) ExpandNode(*node);
  } else if (node && pos.x() < NodeRect(node).left()) {
    // Left of the node's text, where the view would not select it.
    setFocus(Qt::MouseFocusReason);
    SetSelected(node);
  } else {
    QTreeView::mousePressEvent(event);
  }
  if (OnMouseDown) OnMouseDown(*this, MouseInfoOf(event, event->button()));
}

void TTreeNT::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  TTreeNTNode* hot = GetNodeAt(pos.x(), pos.y());
  if (hot != HotNode) {
    HotNode = hot;
    if (FOptions & toHotTrack) viewport()->update();
  }
  if (AutoScroll) TestAutoScroll(pos);
  if (OnMouseMove) OnMouseMove(*this, MouseInfoOf(event, Qt::NoButton));
  // A held button never drags the selection along (the press chose it).
  if (event->buttons() == Qt::NoButton) QTreeView::mouseMoveEvent(event);
}

void TTreeNT::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = PressedHere && event->button() == Qt::LeftButton &&
                     viewport()->rect().contains(event->position().toPoint());
  PressedHere = false;
  QTreeView::mouseReleaseEvent(event);
  if (click && OnClick) OnClick(*this);
  if (OnMouseUp) OnMouseUp(*this, MouseInfoOf(event, event->button()));
}

void TTreeNT::mouseDoubleClickEvent(QMouseEvent* event) {
  // The release after a double click is no click of its own.
  PressedHere = false;
  QTreeView::mousePressEvent(event);
  if (OnDblClick) OnDblClick(*this);
  // A tree whose clicks open nodes does not open them on a double click too.
  if (!OnClick && event->button() == Qt::LeftButton)
    if (TTreeNTNode* node = Selected())
      if (!CollapseNode(*node)) ExpandNode(*node);
}

void TTreeNT::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (OnKeyDown) OnKeyDown(*this, key, event->modifiers());
  if (key == 0) {
    event->accept();
    return;
  }
  TTreeNTNode* node = Selected();
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (FOptions & toWantReturn) {
        TTreeNTNode* next = node ? node->GetNext() : nullptr;
        SetSelected(next ? next : Nodes->GetFirstNode());
        event->accept();
        return;
      }
      break;
    case Qt::Key_Right:
      if (node) {
        if (!node->Expanded() && node->HasChildren())
          ExpandNode(*node);
        else if (TTreeNTNode* child = node->Expanded() ? node->GetFirstChild() : nullptr)
          SetSelected(child);
      }
      event->accept();
      return;
    case Qt::Key_Left:
      if (node && !CollapseNode(*node) && node->Parent() && node->Parent() != &Nodes->Root)
        SetSelected(node->Parent());
      event->accept();
      return;
    case Qt::Key_Plus:
      if (node) ExpandNode(*node);
      event->accept();
      return;
    case Qt::Key_Minus:
      if (node) CollapseNode(*node);
      event->accept();
      return;
    case Qt::Key_Asterisk:
      if (node) node->Expand(true);
      event->accept();
      return;
    default:
      break;
  }
  QTreeView::keyPressEvent(event);
}

void TTreeNT::keyboardSearch(const QString& search) {
  // The view's own search text, kept as it builds it: keys typed within the
  // keyboard interval add up, a later one starts again.
  if (!SearchTyped.isValid() || SearchTyped.elapsed() > QApplication::keyboardInputInterval()) FSearch.clear();
  FSearch += search;
  SearchTyped.start();
  QTreeView::keyboardSearch(search);
}

std::string TTreeNT::SearchString() const {
  if (!SearchTyped.isValid() || SearchTyped.elapsed() > QApplication::keyboardInputInterval()) return {};
  return FSearch.toStdString();
}

void TTreeNT::leaveEvent(QEvent* event) {
  StopAutoScroll();
  if (HotNode) {
    HotNode = nullptr;
    if (FOptions & toHotTrack) viewport()->update();
  }
  QTreeView::leaveEvent(event);
}

void TTreeNT::dragEnterEvent(QDragEnterEvent* event) {
  // Taken so that the moves arrive: the tree scrolls and shows where the
  // drag is; it drops nothing itself.
  event->accept();
  Dragging = true;
  TestAutoScroll(event->position().toPoint());
}

void TTreeNT::dragMoveEvent(QDragMoveEvent* event) {
  const QPoint pos = event->position().toPoint();
  TestAutoScroll(pos);
  SetDropTarget(GetNodeAt(pos.x(), pos.y()));
  event->ignore();
}

void TTreeNT::dragLeaveEvent(QDragLeaveEvent* event) {
  Dragging = false;
  StopAutoScroll();
  SetDropTarget(nullptr);
  event->accept();
}

void TTreeNT::dropEvent(QDropEvent* event) {
  Dragging = false;
  StopAutoScroll();
  SetDropTarget(nullptr);
  event->ignore();
}

void TTreeNT::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  if (OnResize) OnResize(*this);
}

bool TTreeNT::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    TTreeNTNode* node = GetNodeAt(help->pos().x(), help->pos().y());
    std::string text;
    if ((FOptions & toInfoTip) && OnHint) {
      text = node ? OnHint(*this, node) : std::string();
    } else if ((FOptions & toToolTips) && node) {
      // A label cut off by the edge of the view shows whole in its tip.
      const QFont f = node->ParentFont() ? font() : *node->FFont;
      const QRect r = NodeRect(node);
      if (r.left() + QFontMetrics(f).horizontalAdvance(QString::fromStdString(node->Text())) > viewport()->width())
        text = node->Text();
    }
    if (text.empty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), QString::fromStdString(text), viewport());
    return true;
  }
  return QTreeView::viewportEvent(event);
}

void TTreeNT::SetDropTarget(TTreeNTNode* node) {
  if (node == FDropTarget) return;
  FDropTarget = node;
  viewport()->update();
}

void TTreeNT::TestAutoScroll(const QPoint& pos) {
  const QScrollBar* h = horizontalScrollBar();
  const QScrollBar* v = verticalScrollBar();
  TScrollEnds ends;
  ends.AtLeft = h->value() <= h->minimum();
  ends.AtRight = h->value() >= h->maximum();
  ends.AtTop = v->value() <= v->minimum();
  ends.AtBottom = v->value() >= v->maximum();
  const int fontSize = font().pixelSize() > 0 ? font().pixelSize() : font().pointSize();
  const QSize size = viewport()->size();
  ScrollDirs = AutoScrollDirections(pos.x(), pos.y(), size.width(), size.height(),
                                    AutoScrollMargin(FItemHeight, fontSize), ends);
  if (ScrollDirs == 0) {
    ScrollTimer.stop();
  } else if (!ScrollTimer.isActive()) {
    ScrollCounter = 0;
    ScrollTimer.start(AutoScrollFirstInterval);
  }
}

void TTreeNT::StopAutoScroll() {
  ScrollTimer.stop();
  ScrollDirs = 0;
}

void TTreeNT::DragScrollTick() {
  int interval = ScrollTimer.interval();
  AutoScrollTick(ScrollCounter, interval);
  ScrollTimer.setInterval(interval);
  auto step = [this](QScrollBar* bar, int dir, bool forward) {
    if (!(ScrollDirs & dir)) return;
    bar->triggerAction(forward ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
    if (forward ? bar->value() >= bar->maximum() : bar->value() <= bar->minimum()) ScrollDirs &= ~dir;
  };
  step(horizontalScrollBar(), ScrollLeft, false);
  step(horizontalScrollBar(), ScrollRight, true);
  step(verticalScrollBar(), ScrollUp, false);
  step(verticalScrollBar(), ScrollDown, true);
  if (ScrollDirs == 0) ScrollTimer.stop();
}

}  // namespace vs
