// The tree view as a user and its owner meet it: siblings sorted by text as
// they come and when renamed, folders read when first opened (and only
// then), clicks, keys and the node buttons opening and closing, owner
// painting of whole rows, misuse errors, and the drag scrolling that speeds
// up near an edge.

#include <gtest/gtest.h>

#include <QDragMoveEvent>
#include <QLineEdit>
#include <QPainter>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "controls/ImageList.h"
#include "framework/DragMaps.h"
#include "framework/TreeNT.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

std::vector<std::string> Texts(TTreeNTNode* first) {
  std::vector<std::string> t;
  for (TTreeNTNode* n = first; n; n = n->GetNextSibling()) t.push_back(n->Text());
  return t;
}

struct TFolderTree {
  TTreeNT Tree;
  int Reads = 0;
  std::vector<std::string> Changes;

  TFolderTree() {
    Tree.SetSortType(stText);
    Tree.SetItemHeight(14);
    Tree.SetIndent(16);
    Tree.resize(200, 140);
    // Folders say they have children; opening one reads three files.
    Tree.OnExpanding = [this](TTreeNT& t, TTreeNTNode* node, bool& allow) {
      if (node->Text() == " Locked") {
        allow = false;
        return;
      }
      if (node->Count() > 0) return;
      ++Reads;
      for (const char* f : {"snare", "Kick", "hat"}) t.Items().AddChild(node, f);
    };
    Tree.OnChange = [this](TTreeNT&, TTreeNTNode* n) { Changes.push_back(n ? n->Text() : "-"); };
  }
  TTreeNTNode* Folder(const std::string& text) {
    TTreeNTNode* n = Tree.Items().Add(nullptr, text);
    n->SetHasChildren(true);
    return n;
  }
  QPoint At(TTreeNTNode* n) const { return Tree.NodeRect(n).center(); }
};

TEST(TreeNT, SiblingsSortByTextAsTheyComeAndWhenRenamed) {
  testing::TestApplication();
  TFolderTree f;
  TTreeNTNodes& items = f.Tree.Items();
  items.Add(nullptr, "b");
  items.Add(nullptr, "A");
  f.Folder(" a");
  f.Folder(" B");
  TTreeNTNode* z = items.Add(nullptr, "z");
  // Case counts, byte by byte: blanks first, capitals before small letters.
  EXPECT_EQ(Texts(items.GetFirstNode()), (std::vector<std::string>{" B", " a", "A", "b", "z"}));
  z->SetText("0");
  EXPECT_EQ(Texts(items.GetFirstNode()), (std::vector<std::string>{" B", " a", "0", "A", "b"}));
  EXPECT_EQ(items.rowCount(), 5);
  EXPECT_EQ(items.NodeOf(items.index(2, 0)), z);
  // A comparison of the owner's takes over.
  f.Tree.OnCompare = [](TTreeNT&, TTreeNTNode* a, TTreeNTNode* b, int& c) { c = b->Text().compare(a->Text()); };
  f.Tree.SetSortType(stBoth);
  EXPECT_EQ(Texts(items.GetFirstNode()), (std::vector<std::string>{"b", "A", "0", " a", " B"}));

  EXPECT_EQ(items.Count(), 5);
  EXPECT_EQ(items.Item(4)->Text(), " B");
  try {
    items.Item(5);
    ADD_FAILURE();
  } catch (const ETreeNTError& e) {
    EXPECT_STREQ(e.what(), "Invalid index");
  }
  try {
    items.GetFirstNode()->Item(3);
    ADD_FAILURE();
  } catch (const ETreeNTError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(items.GetFirstNode(), nullptr);
}

TEST(TreeNT, FoldersAreReadWhenFirstOpenedByClickKeyOrButton) {
  testing::TestApplication();
  TFolderTree f;
  f.Tree.SetOptions(toShowButtons | toShowRoot | toReadOnly);
  TTreeNTNode* drums = f.Folder(" Drums");
  TTreeNTNode* locked = f.Folder(" Locked");
  TTreeNTNode* loose = f.Tree.Items().Add(nullptr, "loose");
  f.Tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.Tree));
  EXPECT_TRUE(drums->HasChildren());
  EXPECT_EQ(drums->Count(), 0);

  // A press selects; Right opens the folder and reads it once.
  QTest::mouseClick(f.Tree.viewport(), Qt::LeftButton, {}, f.At(drums));
  EXPECT_EQ(f.Tree.Selected(), drums);
  EXPECT_EQ(f.Changes, std::vector<std::string>{" Drums"});
  QTest::keyClick(&f.Tree, Qt::Key_Right);
  EXPECT_TRUE(drums->Expanded());
  EXPECT_TRUE(drums->ExpandedOnce());
  EXPECT_EQ(Texts(drums->GetFirstChild()), (std::vector<std::string>{"Kick", "hat", "snare"}));
  QTest::keyClick(&f.Tree, Qt::Key_Right);  // into the folder
  EXPECT_EQ(f.Tree.Selected()->Text(), "Kick");
  EXPECT_EQ(f.Tree.Selected()->Level(), 1);
  QTest::keyClick(&f.Tree, Qt::Key_Left);  // back to the folder
  QTest::keyClick(&f.Tree, Qt::Key_Left);  // closed
  EXPECT_FALSE(drums->Expanded());
  // The button left of the text opens it again: nothing read twice.
  const QRect r = f.Tree.NodeRect(drums);
  QTest::mouseClick(f.Tree.viewport(), Qt::LeftButton, {}, QPoint(r.left() - 8, r.center().y()));
  EXPECT_TRUE(drums->Expanded());
  EXPECT_EQ(f.Reads, 1);
  EXPECT_EQ(drums->Count(), 3);
  // A refused folder stays closed; a node without children has no button.
  QTest::mouseClick(f.Tree.viewport(), Qt::LeftButton, {}, f.At(locked));
  QTest::keyClick(&f.Tree, Qt::Key_Plus);
  EXPECT_FALSE(locked->Expanded());
  loose->Expand(false);
  EXPECT_FALSE(loose->Expanded());

  // Return moves on in tree order only with its option; "*" opens all.
  f.Tree.SetSelected(drums->GetLastChild());
  QTest::keyClick(&f.Tree, Qt::Key_Return);
  EXPECT_EQ(f.Tree.Selected(), drums->GetLastChild());
  f.Tree.SetOptions(f.Tree.Options() | toWantReturn);
  QTest::keyClick(&f.Tree, Qt::Key_Return);
  EXPECT_EQ(f.Tree.Selected(), locked);
  // A key the owner takes is not the tree's.
  f.Tree.OnKeyDown = [](TTreeNT&, int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Right) key = 0;
  };
  f.Tree.SetSelected(drums);
  drums->Collapse(false);
  QTest::keyClick(&f.Tree, Qt::Key_Right);
  EXPECT_FALSE(drums->Expanded());
  f.Tree.FullCollapse();
  // Tips come from the owner, with their option only.
  f.Tree.OnHint = [](TTreeNT&, TTreeNTNode* n) { return "tip of" + n->Text(); };
  auto tipAt = [&](TTreeNTNode* n) {
    const QPoint at = f.At(n);
    QHelpEvent help(QEvent::ToolTip, at, f.Tree.viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.Tree.viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
  };
  EXPECT_EQ(tipAt(drums), "");
  f.Tree.SetOptions(f.Tree.Options() | toInfoTip);
  EXPECT_EQ(tipAt(drums), "tip of Drums");
  QToolTip::hideText();
  // The last child going closes its open parent.
  drums->Expand(false);
  while (drums->Count() > 1) drums->GetFirstChild()->Delete();
  drums->GetFirstChild()->Delete();
  EXPECT_FALSE(drums->Expanded());
}

// A tree that hides its selection shows it only while it has the focus;
// typed letters search, and the search text is what was typed so far.
TEST(TreeNT, HiddenSelectionShowsWithTheFocusAndTypingSearches) {
  testing::TestApplication();
  QWidget panel;
  panel.resize(220, 180);
  TFolderTree f;
  f.Tree.setParent(&panel);
  auto* other = new QLineEdit(&panel);
  other->move(0, 150);
  f.Tree.SetOptions(toReadOnly | toHideSelection);
  for (const char* name : {"kick", "snare", "hat", "shaker"}) f.Tree.Items().Add(nullptr, name);
  panel.show();
  panel.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
  const int interval = QApplication::keyboardInputInterval();
  QApplication::setKeyboardInputInterval(60000);
  f.Tree.setFocus();
  QTest::keyClicks(&f.Tree, "sn");
  EXPECT_EQ(f.Tree.SearchString(), "sn");
  ASSERT_EQ(f.Tree.Selected()->Text(), "snare");
  QApplication::setKeyboardInputInterval(interval);

  // Beside the text of the selected row: marked, or the tree's own colour.
  const QPoint row(f.Tree.viewport()->width() - 4, f.At(f.Tree.Selected()).y());
  const QRgb base = f.Tree.palette().color(QPalette::Base).rgb();
  const auto shown = [&] { return f.Tree.viewport()->grab().toImage().pixel(row); };
  EXPECT_NE(shown(), base);
  other->setFocus();
  ASSERT_FALSE(f.Tree.hasFocus());
  EXPECT_EQ(shown(), base);
  f.Tree.SetOptions(toReadOnly);
  EXPECT_NE(shown(), base);
}

TEST(TreeNT, AnOwnerPaintsWholeRowsAndIsToldTheirStates) {
  testing::TestApplication();
  TFolderTree f;
  f.Tree.setFrameShape(QFrame::NoFrame);
  TTreeNTNode* folder = f.Folder(" Kits");
  f.Tree.Items().AddChild(folder, "kick");
  std::map<std::string, std::pair<TRect, TNodeStates>> painted;
  int backgrounds = 0;
  f.Tree.BeforePaint = [&](TTreeNT&, TCanvas& c) {
    ++backgrounds;
    c.FillRect({0, 0, c.DeviceWidth(), c.DeviceHeight()}, 0x000000);
  };
  f.Tree.BeforeItemPaint = [&](TTreeNT&, TTreeNTNode& n, TCanvas& c, const TRect& r, TNodeStates s) {
    painted[n.Text()] = {r, s};
    c.FillRect(r, (s & nsSelected) ? 0x0000FF : 0x00FF00);
  };
  f.Tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.Tree));
  folder->Expand(false);
  f.Tree.SetSelected(folder->GetFirstChild());
  const QImage shot = f.Tree.viewport()->grab().toImage();
  EXPECT_GT(backgrounds, 0);
  ASSERT_EQ(painted.size(), 2u);
  // Rows are 14 high and span the view, the child's too (no indent).
  const auto& [kick, kickStates] = painted["kick"];
  EXPECT_EQ(kick.Left, 0);
  EXPECT_EQ(kick.Top, 14);
  EXPECT_EQ(kick.Bottom, 28);
  EXPECT_EQ(kick.Right, f.Tree.viewport()->width());
  EXPECT_TRUE(kickStates & nsSelected);
  EXPECT_TRUE(painted[" Kits"].second & nsExpanded);
  EXPECT_EQ(shot.pixelColor(1, 20), QColor(255, 0, 0));           // the selected child, from x 0
  EXPECT_EQ(shot.pixelColor(shot.width() - 2, 5), QColor(0, 255, 0));
  EXPECT_EQ(shot.pixelColor(5, 60), QColor(0, 0, 0));             // below the rows
}

// A node drawn with its own font and colour, whatever the tree's font
// becomes; images asked as nodes are drawn, with the state image, the
// overlay and the faded look of a cut node.
TEST(TreeNT, NodesWithTheirOwnFontsAndTheImagesTheyAskFor) {
  testing::TestApplication();
  TFolderTree f;
  TTreeNT& tree = f.Tree;
  TTreeNTNode* own = tree.Items().Add(nullptr, "own");
  TTreeNTNode* plain = tree.Items().Add(nullptr, "plain");
  EXPECT_TRUE(own->ParentFont());
  own->Font().setPointSize(19);
  own->SetFontColor(0x0000FF);  // $00BBGGRR: red
  EXPECT_FALSE(own->ParentFont());
  QFont tiny = tree.font();
  tiny.setPointSize(6);
  tree.setFont(tiny);
  TTreeNTNodes& items = tree.Items();
  const QModelIndex oi = items.IndexOf(own), pi = items.IndexOf(plain);
  EXPECT_EQ(items.data(oi, Qt::FontRole).value<QFont>().pointSize(), 19);
  EXPECT_EQ(items.data(oi, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
  EXPECT_FALSE(items.data(pi, Qt::FontRole).isValid());
  own->SetParentFont(true);
  EXPECT_FALSE(items.data(oi, Qt::FontRole).isValid());

  // Three 8 x 8 images of their own colour.
  TImageList images(8, 8);
  for (int i = 0; i < 3; ++i) {
    QImage frame(8, 8, QImage::Format_RGB32);
    frame.fill(QColor(i * 100, 50, 50));
    images.Add(frame);
  }
  tree.Images = &images;
  tree.StateImages = &images;
  int asked = 0;
  tree.OnGetImageIndex = [&](TTreeNT&, TTreeNTNode* n) {
    ++asked;
    n->SetImageIndex(1);
  };
  QPixmap picture = items.data(pi, Qt::DecorationRole).value<QPixmap>();
  EXPECT_GT(asked, 0);
  EXPECT_EQ(picture.size(), QSize(8, 8));
  EXPECT_EQ(picture.toImage().pixel(2, 2), QColor(100, 50, 50).rgb());
  plain->SetStateIndex(2);
  plain->SetOverlayIndex(0);
  picture = items.data(pi, Qt::DecorationRole).value<QPixmap>();
  ASSERT_EQ(picture.size(), QSize(16, 8));
  EXPECT_EQ(picture.toImage().pixel(2, 2), QColor(200, 50, 50).rgb());  // the state image
  EXPECT_EQ(picture.toImage().pixel(10, 2), QColor(0, 50, 50).rgb());   // the overlay over the image
  plain->SetCut(true);
  EXPECT_TRUE(tree.NodeStates(*plain) & nsCut);
  EXPECT_EQ(qAlpha(items.data(pi, Qt::DecorationRole).value<QPixmap>().toImage().pixel(10, 2)) < 255, true);

  // Check boxes: a node's check state is its state image, 1 or 2.
  tree.SetOptions(tree.Options() | toCheckBoxes);
  EXPECT_EQ(items.data(pi, Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_TRUE(items.flags(pi) & Qt::ItemIsUserCheckable);
  items.setData(pi, Qt::Unchecked, Qt::CheckStateRole);
  EXPECT_EQ(plain->StateIndex(), 1);
  EXPECT_FALSE(tree.NodeStates(*plain) & nsChecked);
}

// Labels edited by the user unless the tree is read-only or the owner
// refuses; the owner may change the text; single expanding opens the new
// node and closes the one before unless the owner keeps it.
TEST(TreeNT, LabelsAreEditedAndSingleExpandingClosesTheNodeBefore) {
  testing::TestApplication();
  TFolderTree f;
  TTreeNT& tree = f.Tree;
  tree.SetOptions(toShowButtons | toShowRoot | toShowLines);
  TTreeNTNode* a = f.Folder("a");
  TTreeNTNode* b = f.Folder("b");
  tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
  bool refuse = true;
  tree.OnEditing = [&](TTreeNT&, TTreeNTNode*, bool& allow) { allow = !refuse; };
  tree.OnEdited = [](TTreeNT&, TTreeNTNode*, std::string& text) { text += "!"; };
  EXPECT_FALSE(a->EditText());
  refuse = false;
  ASSERT_TRUE(a->EditText());
  auto* editor = tree.findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "drums");
  QTest::keyClick(editor, Qt::Key_Return);
  // The editor hands its text over once the key has been handled.
  for (int i = 0; i < 50 && a->Text() != "drums!"; ++i) QTest::qWait(10);
  EXPECT_EQ(a->Text(), "drums!");
  tree.SetOptions(tree.Options() | toReadOnly);
  EXPECT_FALSE(b->EditText());
  EXPECT_FALSE(tree.Items().flags(tree.Items().IndexOf(b)) & Qt::ItemIsEditable);

  tree.SetOptions(toShowButtons | toShowRoot | toReadOnly | toSingleExpand);
  bool keepOpen = false;
  tree.OnSingleExpanded = [&](TTreeNT&, TTreeNTNode*, bool& autoCollapse) { autoCollapse = !keepOpen; };
  tree.SetSelected(nullptr);
  a->SetSelected(true);
  EXPECT_TRUE(a->Expanded());
  b->SetSelected(true);
  EXPECT_TRUE(b->Expanded());
  EXPECT_FALSE(a->Expanded());
  keepOpen = true;
  a->SetSelected(true);
  EXPECT_TRUE(a->Expanded());
  EXPECT_TRUE(b->Expanded());
  // A child of the open node leaves its parent open.
  keepOpen = false;
  a->GetFirstChild()->SetSelected(true);
  EXPECT_TRUE(a->Expanded());
}

TEST(TreeNT, DraggingNearAnEdgeScrollsFasterAndFasterUntilTheEnd) {
  testing::TestApplication();
  int counter = 0, interval = 100;
  std::vector<int> intervals;
  for (int i = 0; i < 14; ++i) {
    AutoScrollTick(counter, interval);
    intervals.push_back(interval);
  }
  EXPECT_EQ(intervals, (std::vector<int>{92, 84, 76, 68, 60, 52, 44, 36, 28, 20, 12, 4, 4, 4}));
  EXPECT_EQ(AutoScrollMargin(14, 11), 7);
  EXPECT_EQ(AutoScrollMargin(0, -11), 11);

  TFolderTree f;
  for (int i = 0; i < 40; ++i) f.Tree.Items().Add(nullptr, "s" + std::to_string(100 + i));
  f.Tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.Tree));
  QScrollBar* bar = f.Tree.verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  QMimeData data;
  data.setText("x");
  QWidget* view = f.Tree.viewport();
  auto drag = [&](QPoint at, QEvent::Type) {
    QDragMoveEvent e(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view, &e);
  };
  QDragEnterEvent enter(QPoint(50, 40), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(view, &enter);
  EXPECT_FALSE(f.Tree.DragScrolling());
  EXPECT_EQ(f.Tree.DropTarget(), nullptr);
  drag(QPoint(50, 40), QEvent::DragMove);
  EXPECT_EQ(f.Tree.DropTarget(), f.Tree.GetNodeAt(50, 40));
  // At the top nothing scrolls up; near the bottom it scrolls down.
  drag(QPoint(50, 2), QEvent::DragMove);
  EXPECT_FALSE(f.Tree.DragScrolling());
  drag(QPoint(50, view->height() - 3), QEvent::DragMove);
  ASSERT_TRUE(f.Tree.DragScrolling());
  EXPECT_EQ(f.Tree.ScrollDirections(), ScrollDown);
  EXPECT_EQ(f.Tree.DragScrollInterval(), 100);
  f.Tree.DragScrollTick();
  EXPECT_EQ(bar->value(), 1);
  EXPECT_EQ(f.Tree.DragScrollInterval(), 92);
  while (f.Tree.DragScrolling()) f.Tree.DragScrollTick();
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(f.Tree.DragScrollInterval(), 4);
  // Up again from the bottom, until the drag leaves.
  drag(QPoint(50, 1), QEvent::DragMove);
  EXPECT_EQ(f.Tree.ScrollDirections(), ScrollUp);
  QDragLeaveEvent leave;
  QApplication::sendEvent(view, &leave);
  EXPECT_FALSE(f.Tree.DragScrolling());
  EXPECT_EQ(f.Tree.DropTarget(), nullptr);
}

}  // namespace
}  // namespace vs
