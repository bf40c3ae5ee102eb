// The owner-drawn menu bar and the styled hints as a user meets them: menus
// open under their titles by mouse and keyboard, the mouse and the arrow
// keys move between titles, a press on the open title closes it, shortcuts
// work with the bar hidden and not behind a modal dialog, hovered items and
// controls send their hints on; hints show after the pause, below the
// cursor, in each style.

#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <map>

#include "framework/ActionTable.h"
#include "framework/Hint95.h"
#include "framework/MLang.h"
#include "framework/NewMenu.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

// Runs step after the current popup (or event loop) has had time to open.
void Later(std::function<void()> step) { QTimer::singleShot(60, std::move(step)); }

// How long a hint took to show after `move`, polled every 5 ms, and the
// longest the machine held the test up meanwhile (a hint due sooner may show
// later on a busy machine, never sooner).
struct TWaited {
  bool Shown = false;
  qint64 Ms = 0, HeldMs = 0;
};
TWaited MoveAndWaitForHint(const THint95& hint, const std::function<void()>& move) {
  TWaited w;
  QElapsedTimer since;
  since.start();
  move();
  qint64 last = since.elapsed();
  while (!(w.Shown = hint.HintShowing()) && since.elapsed() < 10000) {
    QTest::qWait(5);
    w.HeldMs = std::max(w.HeldMs, since.elapsed() - last - 5);
    last = since.elapsed();
  }
  w.Ms = since.elapsed();
  return w;
}

struct TMenuWindow {
  QWidget Window;
  TActionTable Table;
  TNewMenu* Bar;
  int News = 0, Cuts = 0;
  std::vector<std::string> Hints;

  TMenuWindow() {
    Table.AddMenu("FileMenu", "&File");
    Table.AddItem("NewMenu", "&New", "FileMenu", [this] { ++News; }).Shortcut("Ctrl+N");
    Table.AddSeparator("FileMenu");
    Table.AddMenu("RecentMenu", "&Recent", "FileMenu");
    Table.AddItem("Recent1", "a.zmp", "RecentMenu", [] {});
    Table.AddMenu("EditMenu", "&Edit");
    Table.AddItem("CutMenu", "Cu&t", "EditMenu", [this] { ++Cuts; })
        .Shortcut("Ctrl+X")
        .Hint("Cut|Cuts the selected steps");
    Table.AddItem("PasteMenu", "&Paste", "EditMenu", [] {}).Enabled(false);
    Table.AddMenu("ViewMenu", "&View");
    Table.AddItem("HintpanelMenu", "&Hint panel", "ViewMenu", [] {});
    Table.Attach(&Window);
    auto* layout = new QVBoxLayout(&Window);
    Bar = new TNewMenu(&Window);
    Bar->Color = QColor(0x26, 0x29, 0x2e);
    Bar->SetMirrorMenu(Table.RootMenu());
    Bar->OnHint = [this](const std::string& h) { Hints.push_back(h); };
    layout->addWidget(Bar);
    layout->addStretch();
    Window.resize(320, 120);
    Window.show();
    Window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
  }
  QPoint Title(int i) const {
    const TNewMenuItem& t = Bar->Items()[i];
    return QPoint(t.Left + t.Width / 2, Bar->height() / 2);
  }
};

class MenuAndHintTest : public ::testing::Test {
protected:
  void SetUp() override { testing::TestApplication(); }
};

TEST_F(MenuAndHintTest, MenuBarOpensByMouseAndKeyboard) {
  TMenuWindow w;
  TNewMenu& bar = *w.Bar;
  ASSERT_EQ(bar.Items().size(), 3u);
  EXPECT_EQ(bar.Items()[1].Width, bar.fontMetrics().horizontalAdvance("&Edit") + 10);
  EXPECT_EQ(bar.width(), bar.Items()[2].Left + bar.Items()[2].Width);

  // Pressed on File: its menu opens under the title, highlighted; moving
  // onto Edit opens Edit; the hovered item's hint goes on; a press on the
  // open title closes it for good.
  std::vector<int> opened;
  QColor lit;
  Later([&] {
    opened.push_back(bar.OpenIndex());
    EXPECT_EQ(bar.OpenMenu()->pos(), bar.mapToGlobal(QPoint(0, bar.height())));
    lit = bar.grab().toImage().pixelColor(bar.Items()[0].Left + 3, bar.height() / 2);
    QTest::mouseMove(&bar, w.Title(1));
    Later([&] {
      opened.push_back(bar.OpenIndex());
      QMenu* edit = bar.OpenMenu();
      QAction* cut = w.Table.Action("CutMenu");
      QTest::mouseMove(edit, edit->actionGeometry(cut).center());
      Later([&] {
        QTest::mousePress(&bar, Qt::LeftButton, {}, w.Title(1));
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, w.Title(1));
      });
    });
  });
  QTest::mousePress(&bar, Qt::LeftButton, {}, w.Title(0));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, w.Title(0));
  EXPECT_EQ(opened, (std::vector<int>{0, 1}));
  EXPECT_EQ(bar.OpenIndex(), -1);
  EXPECT_EQ(lit, QColor(0x26 + 96, 0x29 + 96, 0x2e + 96));
  EXPECT_NE(std::find(w.Hints.begin(), w.Hints.end(), "Cut|Cuts the selected steps"), w.Hints.end());
  EXPECT_EQ(bar.grab().toImage().pixelColor(bar.Items()[0].Left + 3, bar.height() / 2), QColor(0x26, 0x29, 0x2e));
  EXPECT_EQ(w.Cuts, 0);

  // Alt+E opens Edit from the keys with its first item lit; Right goes on
  // to View, Left back, Return runs the item. (The offscreen platform
  // hands the window's activation to each popup and may take it from the
  // window when the last one closes, where a window manager leaves it: the
  // window is made active again first.)
  w.Window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.Window));
  opened.clear();
  Later([&] {
    opened.push_back(bar.OpenIndex());
    EXPECT_EQ(bar.OpenMenu()->activeAction(), w.Table.Action("CutMenu"));
    QTest::keyClick(bar.OpenMenu(), Qt::Key_Right);
    Later([&] {
      opened.push_back(bar.OpenIndex());
      QTest::keyClick(bar.OpenMenu(), Qt::Key_Left);
      Later([&] {
        opened.push_back(bar.OpenIndex());
        QTest::keyClick(bar.OpenMenu(), Qt::Key_Return);
      });
    });
  });
  QTest::keyClick(&w.Window, Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(opened, (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(w.Cuts, 1);

  // A press right of the last title opens the last title.
  Later([&] {
    opened.push_back(bar.OpenIndex());
    QTest::keyClick(bar.OpenMenu(), Qt::Key_Escape);
  });
  bar.SetItemLeft(2, bar.Items()[2].Left);
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 1, 5));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 1, 5));
  EXPECT_EQ(opened.back(), 2);
}

TEST_F(MenuAndHintTest, ShortcutsComeFromTheTableAndWorkWithoutTheBar) {
  TMenuWindow w;
  w.Bar->hide();
  QTest::keyClick(&w.Window, Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(&w.Window, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(w.Cuts, 1);
  EXPECT_EQ(w.News, 1);

  // Behind a modal dialog the window takes no keys.
  QDialog dialog(&w.Window);
  dialog.setModal(true);
  dialog.show();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClick(&w.Window, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(w.Cuts, 1);
  dialog.hide();

  // The keyboard map and the language switch walk the same rows.
  std::map<std::string, std::string> keys;
  for (const TKeyBinding& k : w.Table.KeyMap()) keys[k.Id] = k.Keys.toString(QKeySequence::PortableText).toStdString();
  EXPECT_EQ(keys, (std::map<std::string, std::string>{{"CutMenu", "Ctrl+X"}, {"NewMenu", "Ctrl+N"}}));
  w.Table.Retext([](const std::string& key) { return key == "EditMenu" ? std::string("&Edition") : std::string(); });
  EXPECT_EQ(w.Table.Menu("EditMenu")->title(), QString("&Edition"));
  EXPECT_EQ(w.Table.Action("CutMenu")->text(), QString("Cu&t"));
  w.Bar->SetMirrorMenu(w.Table.RootMenu());
  EXPECT_EQ(w.Bar->Items()[1].MenuItem->text(), QString("&Edition"));
}

TEST_F(MenuAndHintTest, HintsShowAfterThePauseInEachStyle) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* play = new QLabel("Play", &window);
  auto* tempo = new QLabel("Tempo", &window);
  play->setMinimumSize(120, 30);
  tempo->setMinimumSize(120, 30);
  layout->addWidget(play);
  layout->addWidget(tempo);
  SetHint(play, "Play|Starts the pattern");
  SetHint(tempo, "Tempo|Beats per minute");
  EXPECT_EQ(play->toolTip(), QString("Play"));
  EXPECT_EQ(play->accessibleName(), QString("Play"));
  window.move(100, 100);
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));

  THint95 hint(&window);
  std::vector<std::string> infoBar;
  hint.OnHint = [&](const std::string& h) { infoBar.push_back(LongHint(h)); };
  const TWaited first = MoveAndWaitForHint(hint, [&] { QTest::mouseMove(play, QPoint(20, 10)); });
  EXPECT_EQ(infoBar, std::vector<std::string>{"Starts the pattern"});
  ASSERT_TRUE(first.Shown);
  EXPECT_GE(first.Ms, HintPause * 95 / 100);  // Qt's timers may fire 5% early
  THintWindow95& win = *hint.HintWindow();
  EXPECT_EQ(win.Text(), QString("Play"));
  EXPECT_EQ(THint95::HintControl(), play);
  const QPoint cursor = play->mapToGlobal(QPoint(20, 10));
  EXPECT_EQ(win.pos(), cursor + QPoint(0, 20));  // below the arrow
  const QFontMetrics fm(hint.Font);
  EXPECT_EQ(win.width(), fm.horizontalAdvance("Play") + 1 + 8);

  // The next control's hint follows quickly; a click puts it away.
  const TWaited next = MoveAndWaitForHint(hint, [&] {
    QTest::mouseMove(tempo, QPoint(20, 10));
    EXPECT_FALSE(hint.HintShowing());
  });
  ASSERT_TRUE(next.Shown);
  EXPECT_GE(next.Ms, HintShortPause * 95 / 100);
  if (next.HeldMs < 100) EXPECT_LT(next.Ms, HintPause);
  EXPECT_EQ(win.Text(), QString("Tempo"));
  QTest::mouseClick(tempo, Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_FALSE(hint.HintShowing());

  // The three built-in looks, and the owner's.
  const QPalette pal = QApplication::palette();
  hint.SetHintStyle(hsFlat);
  hint.ShowHintFor(play, cursor);
  QImage pic = win.Picture();
  EXPECT_EQ(pic.pixel(0, 0), pal.color(QPalette::WindowText).rgb());
  EXPECT_EQ(pic.pixel(pic.width() - 1, pic.height() - 1), pal.color(QPalette::WindowText).rgb());
  EXPECT_EQ(pic.pixel(2, 2), pal.color(QPalette::ToolTipBase).rgb());
  EXPECT_EQ(pic.width(), fm.horizontalAdvance("Play") + 1 + 6);
  hint.SetHintStyle(hsOffice97);
  hint.ShowHintFor(play, cursor);
  pic = win.Picture();
  EXPECT_EQ(pic.pixel(0, 0), pal.color(QPalette::Light).rgb());
  EXPECT_EQ(pic.pixel(pic.width() - 1, pic.height() - 1), pal.color(QPalette::Shadow).rgb());
  EXPECT_EQ(pic.height(), fm.height() + 1 + 6);
  hint.OnPaintHint = [](QImage& p) { p.fill(QColor(0xcc, 0xbb, 0xbb)); };
  hint.OnShowHint = [](std::string& text, bool&, THintInfo&) { text = "Stop|Stops"; };
  hint.ShowHintFor(play, cursor);
  EXPECT_EQ(win.Text(), QString("Stop"));
  EXPECT_EQ(win.Picture().pixelColor(1, 1), QColor(0xcc, 0xbb, 0xbb));
  hint.CancelHint();
}

// The hint line follows the menu: the opened title's hint (none here), the
// hovered item's, nothing for an item without one, and nothing once the
// popup closes, before the chosen item's command writes its own text.
TEST_F(MenuAndHintTest, ItemsWithoutAHintAndTheClosingPopupClearTheHintLine) {
  TMenuWindow w;
  TNewMenu& bar = *w.Bar;
  QAction* item = w.Table.Action("NewMenu");
  item->setProperty("hint", "New|Makes a new song");
  QObject::connect(item, &QAction::triggered, [&] { w.Hints.push_back("new song made"); });
  std::vector<std::string> seen;
  Later([&] {
    QMenu* file = bar.OpenMenu();
    ASSERT_NE(file, nullptr);
    seen.push_back(w.Hints.back());
    const QPoint at = file->actionGeometry(item).center();
    QTest::mouseMove(file, at);
    seen.push_back(w.Hints.back());
    QTest::mouseMove(file, file->actionGeometry(w.Table.Action("RecentMenu")).center());
    seen.push_back(w.Hints.back());
    QTest::mouseMove(file, at);
    QTest::mouseClick(file, Qt::LeftButton, {}, at);
  });
  w.Hints.clear();
  QTest::mouseClick(&bar, Qt::LeftButton, {}, w.Title(0));
  EXPECT_EQ(w.News, 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"", "New|Makes a new song", ""}));
  ASSERT_GE(w.Hints.size(), 2u);
  EXPECT_EQ(w.Hints[w.Hints.size() - 2], "");
  EXPECT_EQ(w.Hints.back(), "new song made");
}

}  // namespace
}  // namespace vs
