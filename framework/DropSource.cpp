#include "framework/DropSource.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace vs {

namespace {

TDragLoop& DragLoop() {
  static TDragLoop loop;
  return loop;
}

int EffectOf(Qt::DropAction action) {
  switch (action & Qt::ActionMask) {
    case Qt::CopyAction:
      return DropEffectCopy;
    case Qt::MoveAction:
      return DropEffectMove;
    default:
      return DropEffectNone;
  }
}

Qt::DropActions ActionsOf(int effects) {
  Qt::DropActions actions;
  if (effects & DropEffectCopy) actions |= Qt::CopyAction;
  if (effects & DropEffectMove) actions |= Qt::MoveAction;
  return actions;
}

}  // namespace

void SetDragLoop(TDragLoop loop) { DragLoop() = std::move(loop); }

// ---------------------------------------------------------------- source

tdropsource::tdropsource(QWidget* source) : QObject(source), Source(source) {}

tdropsource::~tdropsource() {
  if (Watching) qApp->removeEventFilter(this);
}

void tdropsource::Watch() {
  // Installed once the drag runs, so that the drag loop's own filter comes
  // after this one and the drop can still be refused.
  if (Watching) return;
  qApp->installEventFilter(this);
  Watching = true;
}

TDragResult tdropsource::Execute() {
  if (!Source) return drUnknown;
  Effect = DropEffectNone;
  Vetoed = false;
  const Qt::DropActions allowed = ActionsOf(AllowedDropEffects(dragtype));
  QDrag drag(Source);
  drag.setMimeData(MakeData());
  connect(&drag, &QDrag::actionChanged, this, [this](Qt::DropAction action) {
    Watch();
    Effect = EffectOf(action);
  });
  connect(&drag, &QDrag::targetChanged, this, [this](QObject*) { Watch(); });
  const Qt::DropAction done =
      DragLoop() ? DragLoop()(drag, allowed) : drag.exec(allowed, dragtype == dtmove ? Qt::MoveAction : Qt::CopyAction);
  if (Watching) {
    qApp->removeEventFilter(this);
    Watching = false;
  }
  if (Vetoed) return drCancel;
  // Some platforms report a move the target carried out itself.
  const Qt::DropAction action = done == Qt::TargetMoveAction ? Qt::MoveAction : done;
  if (action != Qt::IgnoreAction && action != Qt::CopyAction && action != Qt::MoveAction &&
      action != Qt::LinkAction)
    return drUnknown;
  return DragResultOf(action != Qt::IgnoreAction, EffectOf(action), dragtype);
}

bool tdropsource::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonRelease ||
      static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
    return QObject::eventFilter(watched, event);
  const TDropDecision d = DecideDrop(Effect, dragtype);
  bool go = d.Drop;
  if (go && d.AskHandler && ondrop) ondrop(*this, d.IsCopy, go);
  if (go) return false;
  // The release never reaches the drag loop: the drag is called off.
  Vetoed = true;
  if (!DragLoop()) QDrag::cancel();
  return true;
}

QMimeData* tdropfilesource::MakeData() const {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const std::string& name : FileNames) urls << QUrl::fromLocalFile(QString::fromStdString(name));
  data->setUrls(urls);
  return data;
}

std::vector<std::string> DroppedFiles(const QMimeData& data) {
  std::vector<std::string> files;
  for (const QUrl& url : data.urls())
    if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
  return files;
}

// ---------------------------------------------------------------- target

TDragFilesTrg::TDragFilesTrg(QObject* owner) : QObject(owner) {}

TDragFilesTrg::~TDragFilesTrg() { SetTarget(nullptr); }

void TDragFilesTrg::SetEnabled(bool enabled) {
  FEnabled = enabled;
  if (FTarget) FTarget->setAcceptDrops(enabled);
}

void TDragFilesTrg::SetTarget(QWidget* target) {
  if (FTarget) {
    FTarget->setAcceptDrops(false);
    FTarget->removeEventFilter(this);
  }
  FTarget = target;
  if (FTarget) {
    FTarget->installEventFilter(this);
    FTarget->setAcceptDrops(FEnabled);
  }
}

bool TDragFilesTrg::eventFilter(QObject* watched, QEvent* event) {
  if (watched != FTarget) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* e = static_cast<QDropEvent*>(event);
      const bool files = FEnabled && e->mimeData() && !DroppedFiles(*e->mimeData()).empty();
      if (files)
        e->acceptProposedAction();
      else
        e->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* e = static_cast<QDropEvent*>(event);
      if (!FEnabled || !e->mimeData()) return false;
      FFiles = DroppedFiles(*e->mimeData());
      FPoint = e->position().toPoint();
      e->acceptProposedAction();
      if (OnDrop) OnDrop(*this);
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace vs
