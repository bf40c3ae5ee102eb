// The drawn caption bar moving its frameless window, its colours following
// the window's activation, the image and system buttons; the open dialog's
// favourites row driven as a user drives it, and the favourites kept in
// the settings store and shared with an associated dialog.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QLabel>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "framework/FavOpenDialog.h"
#include "framework/NewCaption.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

TEST(NewCaption, DragMovesTheFramelessWindowAndColoursFollowActivation) {
  testing::TestApplication();
  EXPECT_THROW(TNewCaption(nullptr), ENewCaptionError);
  auto form = std::make_unique<QWidget>();
  form->setWindowTitle("Kick - Channel settings");
  form->setGeometry(200, 150, 300, 120);
  auto* bar = new TNewCaption(form.get());
  bar->SetBarHeight(16);
  bar->SetActiveColor(QColor(0xEF, 0xEF, 0xEF));
  bar->SetInactiveColor(Qt::gray);
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  EXPECT_EQ(bar->width(), 300);
  EXPECT_EQ(bar->grab().toImage().pixelColor(295, 2), QColor(0xEF, 0xEF, 0xEF));

  // Another window takes the focus: the bar shows the inactive colour at once.
  QWidget other;
  other.setGeometry(600, 400, 100, 100);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_FALSE(bar->Active());
  EXPECT_EQ(bar->grab().toImage().pixelColor(295, 2), QColor(Qt::gray));

  // Dragging the bar moves the window by the pointer's travel.
  const QPoint start = form->pos();
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(60, 8));
  QTest::mouseMove(bar, QPoint(90, 28));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(90, 28));
  EXPECT_EQ(form->pos(), start + QPoint(30, 20));
  // ... but not while maximised.
  form->setWindowState(Qt::WindowMaximized);
  const QPoint maxed = form->pos();
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(60, 8));
  QTest::mouseMove(bar, QPoint(90, 28));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(90, 28));
  EXPECT_EQ(form->pos(), maxed);
  form->setWindowState(Qt::WindowNoState);

  // A title change shows at once.
  form->setWindowTitle("Snare - Channel settings");
  EXPECT_NE(bar->grab().toImage(), QImage());
}

TEST(NewCaption, ImageButtonsShowTheirStateAndSystemButtonsAct) {
  testing::TestApplication();
  TImageList images(4, 4);
  for (int i = 0; i < 4; ++i) {
    QImage frame(4, 4, QImage::Format_RGB32);
    frame.fill(QColor(i * 60, 0, 0));
    images.Add(frame);
  }
  auto form = std::make_unique<QWidget>();
  form->resize(100, 60);
  auto* max = new TSysBtn(form.get());
  max->SetImList(&images);
  max->SetSysCommand(TSysCommand::scMaximize);
  EXPECT_EQ(max->Style(), TILBtnStyle::ILBtn_Switch4);
  EXPECT_EQ(max->size(), QSize(4, 4));
  auto* close = new TSysBtn(form.get());
  close->SetImList(&images);
  close->SetSysCommand(TSysCommand::scClose);
  close->move(20, 0);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

  EXPECT_EQ(max->ShownImage(), 0);
  QTest::mousePress(max, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(max->ShownImage(), 1);  // pressed
  QTest::mouseMove(max, QPoint(30, 30));
  EXPECT_EQ(max->ShownImage(), 0);  // dragged off
  QTest::mouseRelease(max, Qt::LeftButton, {}, QPoint(30, 30));
  EXPECT_FALSE(max->Down());
  QTest::mouseClick(max, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_TRUE(max->Down());  // a switch: down, and the window maximised
  EXPECT_TRUE(form->isMaximized());
  EXPECT_EQ(max->ShownImage(), 2);
  QTest::mousePress(max, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(max->ShownImage(), 3);
  QTest::mouseRelease(max, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_FALSE(form->isMaximized());
  EXPECT_EQ(images.Image(max->ShownImage()).pixelColor(0, 0), QColor(0, 0, 0));

  QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_FALSE(form->isVisible());
}

TEST(FavOpenDialog, RowAddsAndChoosesFavouritesAndTheListIsKept) {
  testing::TestApplication();
  TTestDir tmp;
  const std::string kits = tmp / "Kits", loops = tmp / "Loops";
  std::filesystem::create_directories(kits);
  std::filesystem::create_directories(loops);
  const std::string kick = tmp.Write("Kits/kick.wav", "RIFF");

  TFavOpenDialog dialog;
  TFavOpenDialog shared;
  dialog.SetAssociated(&shared);
  dialog.SetAssociated(&dialog);  // never itself
  EXPECT_EQ(dialog.Associated(), &shared);
  dialog.LabelCaption = "Favorites:";
  dialog.AllowMultiSelect = true;
  dialog.InitialDir = QString::fromStdString(kits);
  dialog.SetFavorites({loops, tmp / "gone"});
  EXPECT_EQ(shared.Favorites(), dialog.Favorites());
  std::vector<std::string> seen;
  dialog.OnShow = [&](TFavOpenDialog& d) {
    QTimer::singleShot(0, [&] {
      EXPECT_EQ(d.FavLabel()->text(), "Favorites:");
      QComboBox* combo = d.FavCombo();
      ASSERT_EQ(combo->count(), 2);
      EXPECT_EQ(combo->itemText(0), "Loops");
      // Kits is no favourite yet: the button adds it at the top.
      EXPECT_TRUE(d.AddFavButton()->isEnabled());
      QTest::mouseClick(d.AddFavButton(), Qt::LeftButton);
      EXPECT_EQ(combo->itemText(0), "Kits");
      EXPECT_FALSE(d.AddFavButton()->isEnabled());
      // Choosing Loops takes the dialog there and moves it to the top; a
      // folder that has gone does nothing.
      emit combo->activated(1);
      EXPECT_EQ(d.CurrentFolder().toStdString(), loops);
      EXPECT_EQ(combo->itemText(0), "Loops");
      emit combo->activated(2);
      EXPECT_EQ(d.CurrentFolder().toStdString(), loops);
      emit combo->activated(1);
      EXPECT_EQ(d.CurrentFolder().toStdString(), kits);
      d.Dialog()->selectFile(QString::fromStdString(kick));
      static_cast<QDialog*>(d.Dialog())->accept();
    });
  };
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Files, QStringList{QString::fromStdString(kick)});
  EXPECT_EQ(dialog.Favorites(), (std::vector<std::string>{kits, loops, tmp / "gone"}));
  EXPECT_EQ(shared.Favorites(), dialog.Favorites());

  TSettingsStore store("");
  dialog.SaveFavorites(store, "ZM FAVORITES");
  EXPECT_EQ(store.ReadDWORD("ZM FAVORITES", "Count", 0), 3u);
  TFavOpenDialog later;
  later.LoadFavorites(store, "ZM FAVORITES");
  EXPECT_EQ(later.Favorites(), dialog.Favorites());
  later.LoadFavorites(store, "ZM NOTHING");
  EXPECT_EQ(later.Favorites(), dialog.Favorites());
}

// The name of a file in a favourite folder typed first: choosing the
// folder keeps the name, and Open opens that file.
TEST(FavOpenDialog, ANameTypedFirstOpensFromTheFavouriteChosen) {
  testing::TestApplication();
  TTestDir tmp;
  std::filesystem::create_directories(tmp / "Loops");
  const std::string kick = tmp.Write("Kits/kick.wav", "RIFF");
  TFavOpenDialog dialog;
  dialog.InitialDir = QString::fromStdString(tmp / "Loops");
  dialog.SetFavorites({tmp / "Kits"});
  bool wasOff = false, isOn = false;
  dialog.OnShow = [&](TFavOpenDialog& d) {
    QTimer::singleShot(0, [&] {
      auto* name = d.Dialog()->findChild<QLineEdit*>("fileNameEdit");
      QPushButton* open = d.Dialog()->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open);
      ASSERT_TRUE(name && open);
      QTest::keyClicks(name, "kick.wav");
      wasOff = !open->isEnabled();
      emit d.FavCombo()->activated(0);
      EXPECT_EQ(name->text(), "kick.wav");
      isOn = QTest::qWaitFor([&] { return open->isEnabled(); }, 30000);
      if (isOn)
        open->click();
      else
        d.Dialog()->reject();
    });
  };
  EXPECT_TRUE(dialog.Execute());
  EXPECT_TRUE(wasOff);
  EXPECT_TRUE(isOn);
  EXPECT_EQ(dialog.Files, QStringList{QString::fromStdString(kick)});
}

}  // namespace
}  // namespace vs
