#include "ui/QtEngineListener.h"

#include <QMetaObject>
#include <utility>

namespace vs {

TQtEngineListener::TQtEngineListener(QObject* parent) : QObject(parent) { SetEngineListener(this); }

TQtEngineListener::~TQtEngineListener() {
  if (EngineListener() == this) SetEngineListener(nullptr);
}

template <class F>
void TQtEngineListener::Post(F&& handler) {
  if (Dropping.load()) return;
  QMetaObject::invokeMethod(
      this,
      [this, h = std::forward<F>(handler)]() {
        if (!Dropping.load()) h();
      },
      Qt::QueuedConnection);
}

void TQtEngineListener::StepPosition() {
  Post([this] {
    emit stepPositionChanged();
    StepPositionHandled();
  });
}

void TQtEngineListener::AsyncUpdate(int kind, int64_t value) {
  Post([this, kind, value] {
    emit asyncUpdate(kind, value);
    AsyncUpdateHandled(kind);
  });
}

void TQtEngineListener::SyncStartStop(bool started) {
  Post([this, started] { emit syncStartStop(started); });
}

void TQtEngineListener::ParameterAutomated(int slot, int index, float value) {
  Post([this, slot, index, value] { emit parameterAutomated(slot, index, value); });
}

void TQtEngineListener::RenderProgress(int percent) {
  Post([this, percent] { emit renderProgress(percent); });
}

void TQtEngineListener::RenderDone(bool ok) {
  Post([this, ok] { emit renderDone(ok); });
}

void TQtEngineListener::DropPending() {
  Dropping.store(true);
  if (EngineListener() == this) SetEngineListener(nullptr);
}

}  // namespace vs
