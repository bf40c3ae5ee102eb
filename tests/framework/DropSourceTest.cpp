// File drags out of the program and file drops into it: what the drag
// carries, how the target's last effect and the drop handler decide the
// result for each drag type, and a widget that takes dropped files.

#include <gtest/gtest.h>

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "framework/DropSource.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

TEST(DropSource, TheDropIsDecidedByTheTargetsLastEffectAndTheDragType) {
  EXPECT_EQ(AllowedDropEffects(dteither), DropEffectCopy | DropEffectMove);
  EXPECT_EQ(AllowedDropEffects(dtcopy), DropEffectCopy);
  EXPECT_EQ(AllowedDropEffects(dtmove), DropEffectMove);
  // No effect: no drop. Copy wins over move. The handler is asked for an
  // effect its type agrees with.
  EXPECT_FALSE(DecideDrop(DropEffectNone, dteither).Drop);
  const TDropDecision both = DecideDrop(DropEffectCopy | DropEffectMove, dtmove);
  EXPECT_TRUE(both.Drop && both.IsCopy && !both.AskHandler);
  EXPECT_TRUE(DecideDrop(DropEffectMove, dtmove).AskHandler);
  EXPECT_FALSE(DecideDrop(DropEffectMove, dtcopy).AskHandler);
  EXPECT_TRUE(DecideDrop(DropEffectCopy, dteither).AskHandler);
  // Results: cancelled, an effect outside the type, copy before move.
  EXPECT_EQ(DragResultOf(false, DropEffectCopy, dteither), drCancel);
  EXPECT_EQ(DragResultOf(true, DropEffectMove, dtcopy), drCancel);
  EXPECT_EQ(DragResultOf(true, DropEffectMove, dteither), drMove);
  EXPECT_EQ(DragResultOf(true, DropEffectCopy | DropEffectMove, dteither), drCopy);
  EXPECT_EQ(DragResultOf(true, DropEffectNone, dteither), drCancel);
}

// Where the drag starts; it counts the releases that reach it (a drag the
// source calls off keeps the release from the drag loop).
struct TSource : QWidget {
  int Releases = 0;
  void mouseReleaseEvent(QMouseEvent*) override { ++Releases; }
};

TEST(DropSource, FilesDraggedToATargetThatDropsOrRefuses) {
  testing::TestApplication();
  TSource source;
  QWidget target;
  source.resize(50, 50);
  target.resize(100, 100);
  source.show();
  target.show();
  TDragFilesTrg trg;
  trg.SetTarget(&target);
  int drops = 0;
  trg.OnDrop = [&](TDragFilesTrg&) { ++drops; };
  EXPECT_TRUE(target.acceptDrops());

  tdropfilesource drag(&source);
  drag.FileNames = {"/samples/kick one.wav", "/samples/snare.wav"};
  // The stand-in target: it reports an effect, the button comes up over it,
  // and it takes the drop when it still runs.
  Qt::DropAction report = Qt::CopyAction;
  Qt::DropActions allowedSeen;
  SetDragLoop([&](QDrag& d, Qt::DropActions allowed) -> Qt::DropAction {
    allowedSeen = allowed;
    emit d.actionChanged(report);
    const int releases = source.Releases;
    QTest::mouseRelease(&source, Qt::LeftButton, {}, QPoint(10, 10));
    if (source.Releases == releases || drag.LastEffect() == DropEffectNone) return Qt::IgnoreAction;
    QDragEnterEvent enter(QPoint(30, 40), allowed, d.mimeData(), Qt::LeftButton, {});
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(30, 40), allowed, d.mimeData(), Qt::LeftButton, {});
    QApplication::sendEvent(&target, &drop);
    return drop.isAccepted() ? report : Qt::IgnoreAction;
  });

  EXPECT_EQ(drag.Execute(), drCopy);
  EXPECT_EQ(allowedSeen, Qt::CopyAction | Qt::MoveAction);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(trg.FileCount(), 2);
  EXPECT_EQ(trg.Files(), drag.FileNames);
  EXPECT_EQ(trg.DropPoint(), QPoint(30, 40));

  // A move-only drag: the handler may refuse.
  drag.dragtype = dtmove;
  report = Qt::MoveAction;
  bool asked = false;
  drag.ondrop = [&](tdropsource&, bool isCopy, bool& go) {
    asked = true;
    EXPECT_FALSE(isCopy);
    go = false;
  };
  EXPECT_EQ(drag.Execute(), drCancel);
  EXPECT_TRUE(asked);
  drag.ondrop = nullptr;
  EXPECT_EQ(drag.Execute(), drMove);
  // A target that reports no effect.
  report = Qt::IgnoreAction;
  EXPECT_EQ(drag.Execute(), drCancel);
  EXPECT_EQ(drops, 2);

  // A disabled target takes nothing; an empty list still drags.
  trg.SetEnabled(false);
  EXPECT_FALSE(target.acceptDrops());
  drag.FileNames.clear();
  report = Qt::CopyAction;
  drag.dragtype = dteither;
  EXPECT_EQ(drag.Execute(), drCancel);
  EXPECT_EQ(drops, 2);
  SetDragLoop(nullptr);

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/a/b.wav"), QUrl("https://example.org/c.wav")});
  EXPECT_EQ(DroppedFiles(data), std::vector<std::string>{"/a/b.wav"});
}

}  // namespace
}  // namespace vs
