// The tab strip and page control, driven by mouse and keys, and the folder
// dialog run as a user runs it.

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRubberBand>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "controls/ImageList.h"
#include "framework/FolderDialog.h"
#include "framework/Tab95.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

QPoint Centre(const TRect& r) { return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

TEST(TabLayout, TabPartsAndPageOrder) {
  TTabStripShape top;
  top.Width = 300;
  top.Height = 200;
  top.TextHeight = 13;
  const std::vector<TRect> tabs = LayoutTabs(top, {30, 50}, 0);
  // Text + 9 on each side; 13 + 9 deep below the selected tab's rise.
  EXPECT_EQ(tabs[0].Left, 2);
  EXPECT_EQ(tabs[0].Width(), 48);
  EXPECT_EQ(tabs[1].Left, 50);
  EXPECT_EQ(tabs[1].Top, 2);
  EXPECT_EQ(tabs[1].Height(), 22);
  EXPECT_EQ(TabStripDepth(top, tabs), 24);
  EXPECT_EQ(PageArea(top, 24).Top, 24);
  // Tabs that are not selected move away from the edge.
  EXPECT_EQ(ShiftedTabRect(tabs[1], false, top).Top, 3);
  EXPECT_EQ(ShiftedTabRect(tabs[1], true, top).Top, 2);
  TTabStripShape bottom = top;
  bottom.Position = tpBottomRight;
  EXPECT_EQ(ShiftedTabRect(tabs[1], false, bottom).Top, 0);
  bottom.Vertical = true;
  EXPECT_EQ(ShiftedTabRect(tabs[1], false, bottom).Left, tabs[1].Left - 2);
  // A selected tab rises by 2; an image of 16 sits 5 in from the left,
  // centred + 1, and the text is centred in what is left.
  const TTabFace face = TabFace(TRect{10, 10, 70, 32}, true, 16, false, 20, 12);
  EXPECT_EQ(face.Fill.Top, 8);
  EXPECT_EQ(face.ImageX, 16);
  EXPECT_EQ(face.ImageY, 9 + 22 / 2 - 8 + 1);
  EXPECT_EQ(face.TextBox.Left, 32);
  EXPECT_EQ(face.TextX, 32 + 37 / 2 - 10);
  const TTabFace vertical = TabFace(TRect{0, 0, 22, 80}, false, 16, true, 12, 40);
  EXPECT_EQ(vertical.ImageX, 1 + 20 / 2 - 8 + 1);
  EXPECT_EQ(vertical.ImageY, 6);
  EXPECT_EQ(vertical.TextBox.Top, 22);
  // Multi-line: the selected tab's row lies next to the pages.
  top.MultiLine = true;
  top.Width = 100;
  const std::vector<TRect> rows = LayoutTabs(top, {40, 40, 40}, 0);
  EXPECT_GT(rows[0].Top, rows[2].Top);
  // Ctrl+Tab wraps and skips hidden tabs.
  EXPECT_EQ(NextShownPage({true, false, true}, 2, true), 0);
  EXPECT_EQ(NextShownPage({true, false, true}, 0, false), 2);
  EXPECT_EQ(NextShownPage({true, false, true}, 0, true), 2);
  EXPECT_EQ(NextShownPage({false, false}, 0, true), -1);
  // A right grip is grabbed at its bottom end; a short sheet's hot area
  // stays inside it.
  EXPECT_EQ(GripHotArea(gaRight, 100, 80), (TRect{93, 60, 100, 80}));
  EXPECT_EQ(GripClientRect(gaRight, 100, 80), (TRect{0, 0, 93, 80}));
  EXPECT_EQ(GripHotArea(gaLeft, 100, 12), (TRect{0, 0, 7, 12}));
}

class PageControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    testing::TestApplication();
    window.resize(400, 260);
    pages = new TPage95Control(&window);
    pages->setGeometry(0, 0, 400, 260);
    QPalette pal = pages->palette();
    pal.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    pages->setPalette(pal);
    pages->SetTabInactiveColor(QColor(0x80, 0x10, 0x10));
    for (const char* name : {"MIDI", "WAV", "General"}) {
      auto* sheet = new TTab95Sheet(pages, QString::fromLatin1(name));
      sheet->setObjectName(QString::fromLatin1(name) + "Sheet");
      auto* button = new QPushButton(QString::fromLatin1(name), sheet);
      button->setObjectName(QString::fromLatin1(name) + "Button");
      sheets.push_back(sheet);
    }
    pages->SetActivePage(sheets[0]);
    pages->OnChange = [this](QWidget*) { ++changes; };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  bool app = (testing::TestApplication(), true);
  QWidget window;
  TPage95Control* pages = nullptr;
  std::vector<TTab95Sheet*> sheets;
  int changes = 0;
};

TEST_F(PageControlTest, MouseAndKeysChooseThePagesAndTheSelectedTabStandsOut) {
  EXPECT_TRUE(sheets[0]->isVisible());
  EXPECT_FALSE(sheets[1]->isVisible());
  std::vector<TRect> tabs = pages->TabRects();
  ASSERT_EQ(tabs.size(), 3u);
  // The selected tab in the control's colour, the others in the inactive
  // colour.
  QImage shot = pages->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(Centre(tabs[0]).x(), tabs[0].Bottom - 3)), QColor(0x30, 0x30, 0x30));
  EXPECT_EQ(QColor(shot.pixel(Centre(tabs[1]).x(), tabs[1].Bottom - 3)), QColor(0x80, 0x10, 0x10));

  QTest::mouseClick(pages, Qt::LeftButton, {}, Centre(tabs[1]));
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_TRUE(sheets[1]->isVisible());
  EXPECT_FALSE(sheets[0]->isVisible());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(sheets[1]->geometry(), QRect(2, tabs[1].Bottom + 2, 396, 260 - tabs[1].Bottom - 4));
  shot = pages->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(Centre(tabs[0]).x(), tabs[0].Bottom - 3)), QColor(0x80, 0x10, 0x10));

  // A refusal keeps the page.
  pages->OnChanging = [](QWidget*, bool& allow) { allow = false; };
  QTest::mouseClick(pages, Qt::LeftButton, {}, Centre(tabs[2]));
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  pages->OnChanging = nullptr;

  // Ctrl+Tab from a page's button: on to the last page, then round to the
  // first; Ctrl+Shift+Tab back; the focus goes with the page.
  sheets[1]->findChild<QPushButton*>()->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "GeneralButton");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  // With the strip focused, the arrows move between tabs.
  pages->setFocus();
  QTest::keyClick(pages, Qt::Key_Left);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  QTest::keyClick(pages, Qt::Key_Home);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);

  // Hiding the active sheet's tab moves to the next shown page; Ctrl+Tab
  // skips the hidden one.
  sheets[1]->SetTabVisible(false);
  EXPECT_EQ(pages->TabCount(), 2);
  pages->SetActivePage(sheets[2]);
  sheets[2]->SetTabVisible(false);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  sheets[2]->SetTabVisible(true);
  pages->SelectNextPage(true);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(sheets[2]->TabIndex(), 1);
  // Moving a sheet moves its tab; a page index beyond the last is refused.
  sheets[2]->SetPageIndex(0);
  EXPECT_EQ(pages->Page(0), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 0);
  EXPECT_THROW(sheets[2]->SetPageIndex(3), ETab95Error);
  // A caption set by the language tables renames the tab.
  sheets[0]->setProperty("caption", "Réglages");
  EXPECT_EQ(sheets[0]->Caption(), "Réglages");
  delete sheets[0];
  EXPECT_EQ(pages->PageCount(), 2);
}

// The outline a sheet drag shows, if any.
QWidget* DragOutline() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QRubberBand*>(w) && w->isVisible()) return w;
  return nullptr;
}

// Presses a sheet at a point, moves a little, then to a global point, and
// releases there; the outline seen on the way is kept.
QSize DragSheet(TTab95Sheet* sheet, QPoint press, QPoint globalTo) {
  QTest::mousePress(sheet, Qt::LeftButton, {}, press);
  QTest::mouseMove(sheet, press + QPoint(3, -3));
  EXPECT_EQ(DragOutline(), nullptr);
  QTest::mouseMove(sheet, sheet->mapFromGlobal(globalTo));
  const QSize outline = DragOutline() ? DragOutline()->size() : QSize();
  QTest::mouseRelease(sheet, Qt::LeftButton, {}, sheet->mapFromGlobal(globalTo));
  EXPECT_EQ(DragOutline(), nullptr);
  return outline;
}

TEST_F(PageControlTest, SheetsDragOffByTheirGripsAndComeBackToTheirPlaces) {
  QPalette pal = pages->palette();
  pal.setColor(QPalette::Light, QColor(0xf0, 0xf0, 0xf0));
  pal.setColor(QPalette::Dark, QColor(0x08, 0x08, 0x08));
  pages->setPalette(pal);
  std::vector<int> pageStates, sheetStates;
  pages->OnFloatChange = [&](QWidget* sender, int state) {
    EXPECT_EQ(sender, pages);
    pageStates.push_back(state);
  };
  for (TTab95Sheet* s : sheets) {
    s->SetDragable(true);
    s->OnFloatChange = [&, s](QWidget* sender, int state) {
      EXPECT_EQ(sender, s);
      sheetStates.push_back(state);
    };
  }
  sheets[1]->SetGripAlign(gaTop);
  sheets[2]->SetGripAlign(gaBottom);

  // The left grip: its dots in the top 20 pixels, the controls laid out 7
  // pixels in.
  TTab95Sheet* midi = sheets[0];
  auto* layout = new QVBoxLayout(midi);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(midi->findChild<QPushButton*>());
  QCoreApplication::processEvents();
  const QSize size = midi->size();
  EXPECT_EQ(midi->findChild<QPushButton*>()->geometry().left(), 7);
  EXPECT_EQ(sheets[2]->contentsRect(), QRect(0, 0, size.width(), size.height() - 7));
  const QImage grip = midi->grab().toImage();
  EXPECT_EQ(QColor(grip.pixel(2, 1)), QColor(0xf0, 0xf0, 0xf0));
  EXPECT_EQ(QColor(grip.pixel(3, 2)), QColor(0xf0, 0xf0, 0xf0));
  EXPECT_EQ(QColor(grip.pixel(4, 3)), QColor(0x08, 0x08, 0x08));
  EXPECT_EQ(QColor(grip.pixel(2, 17)), QColor(0xf0, 0xf0, 0xf0));
  EXPECT_EQ(QColor(grip.pixel(4, 19)), QColor(0x08, 0x08, 0x08));
  EXPECT_EQ(QColor(grip.pixel(2, 21)), QColor(0x30, 0x30, 0x30));
  EXPECT_EQ(QColor(grip.pixel(6, 3)), QColor(0x30, 0x30, 0x30));

  // A press below the hot area drags nothing.
  const QPoint away = window.mapToGlobal(QPoint(500, 320));
  EXPECT_EQ(DragSheet(midi, QPoint(3, 40), away), QSize());
  EXPECT_FALSE(midi->Floating());

  // Dragged off by the hot area: it floats where it was dropped, in a tool
  // window on top with its caption and its size; the next page shows.
  EXPECT_EQ(DragSheet(midi, QPoint(3, 10), away), size);
  ASSERT_TRUE(midi->Floating());
  TFloatingForm* form = midi->FloatingForm();
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->windowTitle(), "MIDI");
  EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(form->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_EQ(form->pos(), away - QPoint(3, 10));
  EXPECT_EQ(form->size(), size);
  EXPECT_EQ(midi->parentWidget(), form);
  EXPECT_TRUE(midi->isVisible());
  EXPECT_EQ(pages->FloatingCount(), 1);
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->TabCount(), 2);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_EQ(midi->TabIndex(), -1);
  EXPECT_EQ(pageStates, (std::vector<int>{0}));
  EXPECT_EQ(sheetStates, (std::vector<int>{0}));

  // The top grip's hot area is at its right end; General, the last sheet,
  // stays while RemoveLastTab is off.
  DragSheet(sheets[1], QPoint(sheets[1]->width() - 5, 3), away + QPoint(40, 40));
  ASSERT_TRUE(sheets[1]->Floating());
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(DragSheet(sheets[2], QPoint(5, sheets[2]->height() - 3), away), QSize());
  EXPECT_FALSE(sheets[2]->Floating());
  pages->RemoveLastTab = true;
  DragSheet(sheets[2], QPoint(5, sheets[2]->height() - 3), away + QPoint(80, 80));
  ASSERT_TRUE(sheets[2]->Floating());
  EXPECT_EQ(pages->PageCount(), 0);
  EXPECT_EQ(pages->ActivePage(), nullptr);
  EXPECT_EQ(pages->FloatingCount(), 3);

  // Closing the windows puts each sheet back in its own place as the
  // active page; the windows free themselves.
  QPointer<TFloatingForm> closed = form;
  form->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(closed.isNull());
  EXPECT_EQ(midi->FloatingForm(), nullptr);
  EXPECT_EQ(midi->parentWidget(), pages);
  EXPECT_EQ(pages->ActivePage(), midi);
  EXPECT_TRUE(midi->isVisible());
  sheets[2]->FloatingForm()->close();
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(sheets[2]->PageIndex(), 1);
  sheets[1]->FloatingForm()->close();
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pages->Page(i), sheets[size_t(i)]);
  EXPECT_EQ(pages->TabCount(), 3);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(pages->FloatingCount(), 0);
  EXPECT_EQ(sheets[1]->geometry(), midi->geometry());
  EXPECT_EQ(pageStates, (std::vector<int>{0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(sheetStates, pageStates);
}

TEST(TabStrip, TabListErrorsImagesAndRefusedSettings) {
  testing::TestApplication();
  TTab95Control strip;
  strip.Tabs().Add("Middle note");
  strip.Tabs().Add(" Two ");
  EXPECT_EQ(strip.Tabs().Count(), 2);
  try {
    strip.Tabs().Get(5);
    ADD_FAILURE();
  } catch (const ETab95Error& e) {
    EXPECT_STREQ(e.what(), "Tab control access error\r\nViolation occured in TTabStrings.Get");
  }
  EXPECT_THROW(strip.Tabs().Delete(2), ETab95Error);
  // Stored image lines fill the tabs in turn; negative numbers draw none.
  strip.ImageIndexes().Add("3");
  strip.ImageIndexes().Add("-7");
  strip.ImageIndexes().Add("9");  // no third tab
  EXPECT_EQ(strip.ImageIndexes().Get(0), "3");
  EXPECT_EQ(strip.ImageIndexes().Get(1), "-1");
  EXPECT_THROW(strip.SetTabHeight(-1), ETab95Error);
  strip.SetButtonStyle(true);
  try {
    strip.SetTabPosition(tpBottomRight);
    ADD_FAILURE();
  } catch (const ETab95Error& e) {
    EXPECT_STREQ(e.what(), "Buttons are only supported when aligned along the top");
  }
  EXPECT_EQ(strip.TabPosition(), tpTopLeft);
  strip.SetScrollOpposite(true);
  EXPECT_TRUE(strip.MultiLine());
  strip.SetMultiLine(false);
  EXPECT_FALSE(strip.ScrollOpposite());
}

// Tabs down the left side with images: the image above the turned text,
// the hot tab lit under the mouse, the owner's drawing when it asks for it.
TEST(TabStrip, VerticalTabsImagesHotTrackingAndTheOwnersDrawing) {
  testing::TestApplication();
  QWidget window;
  window.resize(200, 300);
  TTab95Control strip(&window);
  strip.setGeometry(0, 0, 200, 300);
  QPalette pal = strip.palette();
  pal.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
  pal.setColor(QPalette::Highlight, QColor(0xF0, 0xA0, 0x30));
  strip.setPalette(pal);
  // Two 8 x 8 images: solid green, solid blue.
  TImageList images(8, 8);
  for (const QColor& c : {QColor(0, 255, 0), QColor(0, 0, 255)}) {
    QImage frame(8, 8, QImage::Format_RGB32);
    frame.fill(c);
    images.Add(frame);
  }
  strip.SetImages(&images);
  strip.SetVerticalTabs(true);
  strip.SetTextRotation(trVertical);
  strip.Tabs().Add("First");
  strip.Tabs().Add("Second");
  strip.ImageIndexes().Add("1");
  strip.ImageIndexes().Add("-1");
  strip.SetTabIndex(0);
  strip.SetHotTrack(true);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const std::vector<TRect> tabs = strip.TabRects();
  ASSERT_EQ(tabs.size(), 2u);
  EXPECT_EQ(tabs[0].Left, 2);  // along the left edge, under the selected tab's rise
  EXPECT_GT(tabs[1].Top, tabs[0].Bottom - 1);
  // The selected tab rises 2 at the top: its image 5 below that, centred.
  const TTabFace face = TabFace(tabs[0], true, 8, true, 0, 0);
  QImage shot = strip.grab().toImage();
  EXPECT_EQ(shot.pixelColor(face.ImageX + 3, face.ImageY + 3), QColor(0, 0, 255));
  // No image on the second tab: its upper part is the inactive colour.
  const TRect second = ShiftedTabRect(tabs[1], false, TTabStripShape{200, 300, 0, 0, 13, 8, true});
  EXPECT_EQ(shot.pixelColor(second.Left + 4, second.Top + 4), strip.TabInactiveColor());
  // The mouse over the second tab makes it the hot one.
  QTest::mouseMove(&strip, QPoint((tabs[1].Left + tabs[1].Right) / 2, (tabs[1].Top + tabs[1].Bottom) / 2));
  EXPECT_EQ(strip.HotTab(), 1);
  // The owner draws the tabs itself when it wants to.
  std::vector<int> drawn;
  strip.OnDrawTab = [&](TCustomTab95Control*, QPainter& p, const QString& caption, int index, const TRect& r) {
    drawn.push_back(index);
    p.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), index == 0 ? Qt::red : Qt::white);
    EXPECT_EQ(caption, index == 0 ? "First" : "Second");
  };
  shot = strip.grab().toImage();
  EXPECT_EQ(drawn.size(), 2u);
  EXPECT_EQ(shot.pixelColor((tabs[0].Left + tabs[0].Right) / 2, (tabs[0].Top + tabs[0].Bottom) / 2), QColor(Qt::red));
}

// A sheet shown by code becomes the page; a control that keeps the focus
// when it is left keeps its page too.
TEST_F(PageControlTest, AShownSheetBecomesThePageAndAControlHoldingTheFocusKeepsItsOwn) {
  sheets[2]->show();
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 2);
  EXPECT_FALSE(sheets[0]->isVisible());

  auto* edit = new QLineEdit(sheets[2]);
  edit->show();
  edit->setFocus();
  ASSERT_TRUE(edit->hasFocus());
  // An entry that must be completed first takes the focus back.
  struct THold : QObject {
    QLineEdit* Edit;
    bool Hold = true;
    explicit THold(QLineEdit* e) : Edit(e) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::FocusOut && Hold) Edit->setFocus();
      return false;
    }
  } hold(edit);
  edit->installEventFilter(&hold);
  const std::vector<TRect> tabs = pages->TabRects();
  QTest::mouseClick(pages, Qt::LeftButton, {}, Centre(tabs[0]));
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 2);
  EXPECT_TRUE(sheets[2]->isVisible());
  hold.Hold = false;
  QTest::mouseClick(pages, Qt::LeftButton, {}, Centre(tabs[0]));
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_FALSE(sheets[2]->isVisible());
}

// Tabs as buttons: raised, or flat until pressed, with etched lines between
// flat ones; Ctrl+click presses further buttons with MultiSelect.
TEST(TabStrip, ButtonTabsFlatButtonsSeparatorsAndMultiSelect) {
  testing::TestApplication();
  TTab95Control strip;
  strip.resize(300, 80);
  QPalette pal = strip.palette();
  pal.setColor(QPalette::Window, QColor(0x60, 0x60, 0x60));
  strip.setPalette(pal);
  strip.SetTabInactiveColor(QColor(0x60, 0x60, 0x60));
  for (const char* t : {"One", "Two", "Three"}) strip.Tabs().Add(t);
  strip.SetTabIndex(0);
  strip.SetButtonStyle(true);
  strip.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
  const std::vector<TRect> tabs = strip.TabRects();
  const auto topEdge = [&](int i) {
    return QColor(strip.grab().toImage().pixel(Centre(tabs[size_t(i)]).x(), tabs[size_t(i)].Top)).lightness();
  };
  const int face = QColor(0x60, 0x60, 0x60).lightness();
  // Raised buttons light along the top, the selected one pressed (dark).
  EXPECT_GT(topEdge(1), face);
  EXPECT_LT(topEdge(0), face);
  strip.SetFlatButtons(true);
  EXPECT_EQ(topEdge(1), face);
  EXPECT_LT(topEdge(0), face);
  // An etched separator after a flat button, only with FlatSeperators.
  const QPoint gap(tabs[1].Right + 2, Centre(tabs[1]).y());
  EXPECT_NE(QColor(strip.grab().toImage().pixel(gap)).lightness(), face);
  strip.SetFlatSeperators(false);
  EXPECT_EQ(QColor(strip.grab().toImage().pixel(gap)).lightness(), QColor(0x60, 0x60, 0x60).darker(125).lightness());

  int changes = 0;
  strip.OnChange = [&](QWidget*) { ++changes; };
  QTest::mouseClick(&strip, Qt::LeftButton, Qt::ControlModifier, Centre(tabs[2]));
  EXPECT_FALSE(strip.TabMarked(2));  // not without MultiSelect: it selects
  EXPECT_EQ(strip.TabIndex(), 2);
  strip.SetMultiSelect(true);
  QTest::mouseClick(&strip, Qt::LeftButton, Qt::ControlModifier, Centre(tabs[0]));
  EXPECT_TRUE(strip.TabMarked(0));
  EXPECT_EQ(strip.TabIndex(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_LT(topEdge(0), face);
  QTest::mouseClick(&strip, Qt::LeftButton, {}, Centre(tabs[1]));
  EXPECT_FALSE(strip.TabMarked(0));
  EXPECT_EQ(strip.TabIndex(), 1);

  // An image line that is no number is refused and changes nothing.
  strip.ImageIndexes().Put(1, "4");
  EXPECT_THROW(strip.ImageIndexes().Put(1, "four"), ETab95Error);
  EXPECT_EQ(strip.ImageIndexes().Get(1), "4");
}

TEST(FolderDialog, OptionsStayConsistent) {
  TFolderDialogOptions o = DefaultFolderDialogOptions;
  o = ConsistentFolderOptions(o, o | bfScreenCenter);
  EXPECT_TRUE(o & bfScreenCenter);
  EXPECT_FALSE(o & bfParentCenter);
  o = ConsistentFolderOptions(o, o | bfBrowseForComputer);
  EXPECT_FALSE(o & (bfFileSysDirsOnly | bfFileSysAncestors | bfBrowseForPrinter));
  o = ConsistentFolderOptions(o, o | bfBrowseForPrinter);
  EXPECT_FALSE(o & bfBrowseForComputer);
  o = ConsistentFolderOptions(o, o & ~bfStatusText);
  EXPECT_FALSE(o & bfShowPathInStatusArea);
  o = ConsistentFolderOptions(o, o | bfShowPathInStatusArea);
  EXPECT_TRUE(o & bfStatusText);
  EXPECT_EQ(FolderDialogStart("/music/."), "/music/");
  EXPECT_EQ(FolderDialogStart("C:\\music\\."), "C:\\music\\");
}

TEST(FolderDialog, PicksAFolderShowsItsPathAndCancelLeavesNothing) {
  testing::TestApplication();
  TTestDir tmp;
  std::filesystem::create_directories(tmp / "Kits/Acoustic");
  QWidget owner;
  owner.resize(300, 200);
  owner.show();
  TFolderDialog dialog(&owner);
  dialog.Title = "Change browser directory";
  dialog.Text = "Select a directory where to browse for samples...";
  dialog.SetDirectory(QString::fromStdString(tmp / "Kits/."));
  int shown = 0, changes = 0, closed = 0;
  dialog.OnShow = [&] {
    ++shown;
    ASSERT_TRUE(dialog.Dialog());
    EXPECT_EQ(dialog.Dialog()->windowTitle(), "Change browser directory");
    EXPECT_EQ(dialog.Dialog()->findChild<QLabel*>("FolderDialogText")->text(), dialog.Text);
    // The browser starts in the folder and shows it in the status line.
    EXPECT_EQ(dialog.Browser()->directory().absolutePath(), QString::fromStdString(tmp / "Kits"));
    EXPECT_EQ(dialog.StatusLine()->text(), QString::fromStdString(tmp / "Kits"));
    dialog.SetDirectory(QString::fromStdString(tmp / "Kits/Acoustic"));
    EXPECT_EQ(dialog.StatusLine()->text(), QString::fromStdString(tmp / "Kits/Acoustic"));
    QMetaObject::invokeMethod(dialog.Browser(), "accept");
  };
  dialog.OnChange = [&] { ++changes; };
  dialog.OnClose = [&] { ++closed; };
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(shown, 1);
  EXPECT_GE(changes, 1);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(dialog.Directory(), QString::fromStdString(tmp / "Kits/Acoustic"));
  EXPECT_EQ(dialog.Dialog(), nullptr);

  dialog.OnShow = [&] { QTest::keyClick(dialog.Dialog(), Qt::Key_Escape); };
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.Directory(), "");
  // With no folder given it starts in the home folder.
  QString started;
  dialog.OnShow = [&] {
    started = dialog.Browser()->directory().absolutePath();
    QTest::keyClick(dialog.Dialog(), Qt::Key_Escape);
  };
  dialog.Execute();
  EXPECT_EQ(started, QDir::homePath());
}

}  // namespace
}  // namespace vs
