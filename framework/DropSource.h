#pragma once
// Dragging files out of the program, and dropping files onto it.
//
// tdropfilesource starts a drag of files that any program accepting
// dropped files (a file manager, another window of ours) can take: the
// paths go as a "text/uri-list". The drag type says whether the target may
// copy, move, or do either; Execute runs the drag and answers what became
// of it. When the mouse button comes up over a target, the drop is decided
// by the effect the target last reported (none cancels it), and the drop
// handler may still refuse it.
//
// TDragFilesTrg makes one widget accept dropped files: it collects their
// paths and the drop point (the widget's coordinates) and tells its owner.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "framework/DragMaps.h"

class QDrag;
class QMimeData;
class QWidget;

namespace vs {

class tdropsource : public QObject {
  Q_OBJECT

public:
  // The drag starts from source (it owns the drag while it runs).
  explicit tdropsource(QWidget* source);
  ~tdropsource() override;

  TDragType dragtype = dteither;
  // Asked when the drop is about to happen with an effect the drag type
  // allows; clearing continuedrop cancels it.
  std::function<void(tdropsource& sender, bool iscopynotmove, bool& continuedrop)> ondrop;

  // Runs the drag until it is dropped or cancelled.
  TDragResult Execute();
  // The effect the target reported last (DropEffect...).
  int LastEffect() const { return Effect; }

protected:
  // The dragged data; the drag takes it over.
  virtual QMimeData* MakeData() const = 0;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Watch();
  QPointer<QWidget> Source;
  int Effect = DropEffectNone;
  bool Vetoed = false;
  bool Watching = false;
};

class tdropfilesource : public tdropsource {
  Q_OBJECT

public:
  using tdropsource::tdropsource;
  // The full paths of the files to drag, in order.
  std::vector<std::string> FileNames;

protected:
  QMimeData* MakeData() const override;
};

// The drag loop Execute runs (by default QDrag::exec); tests put in one that
// plays the part of the target. An empty function restores the default.
using TDragLoop = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions allowed)>;
void SetDragLoop(TDragLoop loop);

// The paths of the local files in dragged data, in order.
std::vector<std::string> DroppedFiles(const QMimeData& data);

class TDragFilesTrg : public QObject {
  Q_OBJECT

public:
  explicit TDragFilesTrg(QObject* owner = nullptr);
  ~TDragFilesTrg() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  QWidget* Target() const { return FTarget; }
  // The widget that accepts the drops (null: none).
  void SetTarget(QWidget* target);

  // The last drop: its files and where they were dropped.
  int FileCount() const { return static_cast<int>(FFiles.size()); }
  const std::vector<std::string>& Files() const { return FFiles; }
  QPoint DropPoint() const { return FPoint; }

  std::function<void(TDragFilesTrg& sender)> OnDrop;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QPointer<QWidget> FTarget;
  bool FEnabled = true;
  std::vector<std::string> FFiles;
  QPoint FPoint;
};

}  // namespace vs
