#pragma once
// The window side of the engine listener: worker threads post, and the
// posts arrive on the main thread as queued events that emit the signals
// below. After a step-position or async-update signal has been handled the
// kind's armed flag is set again, so at most one event of a kind is pending
// and its handler shows the latest state. Installed for its lifetime.

#include <QObject>
#include <atomic>
#include <cstdint>

#include "engine/EngineListener.h"

namespace vs {

class TQtEngineListener : public QObject, public TEngineListener {
  Q_OBJECT

public:
  explicit TQtEngineListener(QObject* parent = nullptr);
  ~TQtEngineListener() override;

  // From any thread.
  void StepPosition() override;
  void AsyncUpdate(int kind, int64_t value) override;
  void SyncStartStop(bool started) override;
  void ParameterAutomated(int slot, int index, float value) override;
  void RenderProgress(int percent) override;
  void RenderDone(bool ok) override;

  // Drops every event still pending and every later post (the close does
  // this before the scope and the samples go away).
  void DropPending();

signals:
  void stepPositionChanged();
  void asyncUpdate(int kind, qint64 value);
  void syncStartStop(bool started);
  void parameterAutomated(int slot, int index, float value);
  void renderProgress(int percent);
  void renderDone(bool ok);

private:
  template <class F>
  void Post(F&& handler);
  std::atomic<bool> Dropping{false};
};

}  // namespace vs
