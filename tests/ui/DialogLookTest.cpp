// The standard dialogs as a user meets them in the running program: the
// channel settings' sample dialog, the settings' folder dialog, "Save as",
// the collect dialog, the channel colour dialog and a question box all wear the dark panel, and each
// text in them reads against what is behind it (a contrast figure taken from
// the dialog's picture); the file lists show their columns whole.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <cmath>
#include <map>

#include "controls/MyTransBtn.h"
#include "editors/MIDIForm.h"
#include "editors/SettingsForm.h"
#include "support/ProgramOnCopy.h"
#include "support/TestApplication.h"
#include "toolbox/MessageBox.h"
#include "ui/ProgramWindows.h"
#include "ui/QtMessageBox.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {
namespace {

double Luminance(QRgb c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

QRgb MostCommon(const QImage& image, QRect r) {
  std::map<QRgb, int> count;
  r &= image.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) ++count[image.pixel(x, y) & 0xFFFFFF];
  QRgb best = 0;
  int most = -1;
  for (const auto& [colour, n] : count)
    if (n > most) best = colour, most = n;
  return best;
}

// The contrast of a text's ink against its background inside r: the most
// common colour is the background, the pixel farthest from it the ink.
double Contrast(const QImage& image, QRect r) {
  r &= image.rect();
  const double back = Luminance(MostCommon(image, r));
  double best = 1;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const double ink = Luminance(image.pixel(x, y));
      best = std::max(best, (std::max(ink, back) + 0.05) / (std::min(ink, back) + 0.05));
    }
  return best;
}

QString TextOf(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->pixmap().isNull() ? label->text() : QString();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  return {};
}

// Grabs the dialog and checks it: dark, every text on it reading at 4.5:1 or
// better, and the file list's columns as wide as their texts.
void CheckDialog(QDialog& dialog, const char* what) {
  SCOPED_TRACE(what);
  // The file list's folder arrives from a thread of the toolkit: its rows
  // are waited for (a folder dialog may list none).
  for (QTreeView* view : dialog.findChildren<QTreeView*>("treeView"))
    QTest::qWaitFor([view] { return view->model()->rowCount(view->rootIndex()) > 0; }, 2000);
  const QImage shot = dialog.grab().toImage();
  EXPECT_LT(Luminance(MostCommon(shot, shot.rect())), 0.05) << "not the dark panel";
  int texts = 0;
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    const QString text = TextOf(w);
    // A control that can't be used yet (Open before a name is typed or
    // the folder is read) is drawn dimmed on purpose.
    if (text.trimmed().isEmpty() || !w->isVisibleTo(&dialog) || !w->isEnabled()) continue;
    const QRect r(w->mapTo(&dialog, QPoint(0, 0)), w->size());
    EXPECT_GE(Contrast(shot, r), 4.5) << text.toStdString();
    ++texts;
  }
  EXPECT_GE(texts, 2);
  for (QTreeView* view : dialog.findChildren<QTreeView*>("treeView")) {
    const QFontMetrics fm(view->font());
    QAbstractItemModel* model = view->model();
    for (int row = 0; row < std::min(model->rowCount(view->rootIndex()), 5); ++row)
      for (int c = 1; c < model->columnCount(view->rootIndex()); ++c) {
        const QModelIndex i = model->index(row, c, view->rootIndex());
        const QString text = i.data().toString();
        EXPECT_GE(view->visualRect(i).width(), fm.horizontalAdvance(text)) << text.toStdString();
      }
  }
}

class DialogLookTest : public ::testing::Test {
protected:
  testing::TProgramOnCopy P;

  void SetUp() override {
    testing::TestApplication();
    P.Copy("[ZM SETTINGS]\nUse WAV=0\nSmpList=0\n");
    P.Start();
  }

  // Runs open() and checks the first modal dialog it shows, then closes it.
  void Check(const char* what, const std::function<void()>& open,
             const std::function<void(QDialog&)>& more = {}) {
    bool seen = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (seen || !dialog || !dialog->isVisible()) return;
      seen = true;
      CheckDialog(*dialog, what);
      if (more) more(*dialog);
      dialog->reject();
    });
    timer.start(10);
    open();
    EXPECT_TRUE(seen) << what;
  }
};

TEST_F(DialogLookTest, EveryStandardDialogWearsThePanelAndItsTextReads) {
  Check("Load sample...", [] { Windows().SettingsForm->OpenSampleForChannel(0); },
        [](QDialog& d) {
          // The favourites row: label, list and button side by side, whole.
          auto* label = d.findChild<QLabel*>("favorites");
          auto* combo = d.findChild<QComboBox*>("favcombo");
          auto* add = d.findChild<QToolButton*>("addfavButton");
          ASSERT_TRUE(label && combo && add);
          const QWidget* row = label->parentWidget();
          EXPECT_TRUE(row->rect().contains(combo->geometry()));
          EXPECT_TRUE(row->rect().contains(add->geometry()));
          EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()), combo->x());
          EXPECT_LT(combo->geometry().right(), add->x());
        });
  Check("Settings: Browse...", [] { Windows().MIDIForm->ChooseSearchDir(0); },
        [](QDialog& d) {
          auto* status = d.findChild<QLabel*>("FolderDialogStatus");
          ASSERT_NE(status, nullptr);
          EXPECT_FALSE(status->text().isEmpty());
        });
  Check("Save as", [this] { P.Form()->Commands().SaveAs(); });
  // Collecting asks with the folder dialog, centred on the screen, its
  // instruction above the folders and the path in its status line.
  Check("Collect samples", [this] { P.Form()->Commands().CollectSamples(false); },
        [](QDialog& d) {
          EXPECT_EQ(d.objectName(), "FolderDialog");
          ASSERT_NE(d.findChild<QLabel*>("FolderDialogText"), nullptr);
          const QRect screen = d.screen()->geometry();
          EXPECT_NEAR(d.frameGeometry().center().x(), screen.center().x(), 2);
        });
  // Cancelled: the dialog's instruction does not stay on the info bar.
  EXPECT_EQ(P.Form()->findChild<QLabel*>("InfoLabel")->text(), "");
  TSettingsForm& channel = *Windows().SettingsForm;
  channel.SetButtonClick(0, true);
  auto* colour = channel.findChild<TMyTransButton*>("ColorSample");
  Check("Channel colour", [&] { colour->OnClick(colour); });
  channel.hide();
  // A question box keeps its text readable when another window is active.
  TQtMessageBox boxes;
  Windows().MIDIForm->show();
  Windows().MIDIForm->activateWindow();
  Check("Question", [] { HintMessageBox("Save changes|Save the song first?", MbYesNoCancel | MbIconQuestion); },
        [this](QDialog& d) {
          P.Form()->activateWindow();
          QTRY_VERIFY(!d.isActiveWindow());
          CheckDialog(d, "Question, inactive");
        });
  Windows().MIDIForm->hide();
}

TEST_F(DialogLookTest, DialogsStayAboveTheLampWindowWhileItShows) {
  TQtMessageBox boxes;
  auto onTop = [](QDialog& d) { return d.windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
  bool above = false;
  auto question = [] { HintMessageBox("Save changes|Save the song first?", MbYesNoCancel | MbIconQuestion); };
  Check("Question, lamps hidden", question, [&](QDialog& d) { above = onTop(d); });
  EXPECT_FALSE(above);
  // The lamp window stays on top of the program's windows; the question
  // and the file dialog opened while it shows stay above it.
  Windows().VisualForm->show();
  Check("Question, lamps shown", question, [&](QDialog& d) { above = onTop(d); });
  EXPECT_TRUE(above);
  above = false;
  Check("Save as, lamps shown", [this] { P.Form()->Commands().SaveAs(); }, [&](QDialog& d) { above = onTop(d); });
  EXPECT_TRUE(above);
  Windows().VisualForm->hide();
}

}  // namespace
}  // namespace vs
