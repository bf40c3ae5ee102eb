#pragma once
// The window side of the engine listener. Worker threads (the mix thread
// among them) only store what they report in atomics and wake the main
// thread through one eventfd made beforehand: no allocation, no lock, no
// Qt call on their side. On the main thread a socket notifier reads the
// eventfd and emits the signals below for what is pending, in this order:
// sync start / stop, step position, the async updates by kind, automated
// plug-in slots, render progress, render done, the sound output lost. What
// the step position and the scope's update change in the controls shows in
// one frame (TFramePaint). Each kind carries its latest value; after a
// step-position or async-update signal has been handled the kind's armed
// flag is set again, so its handler shows the latest state.
// Installed for its lifetime.

#include <QObject>
#include <array>
#include <atomic>
#include <cstdint>

#include "engine/EngineListener.h"

class QSocketNotifier;

namespace vs {

class TQtEngineListener : public QObject, public TEngineListener {
  Q_OBJECT

public:
  // Plug-in slots whose automation is reported (track x 4 + slot).
  static constexpr int AutomatedSlots = 32;

  explicit TQtEngineListener(QObject* parent = nullptr);
  ~TQtEngineListener() override;

  // From any thread; never allocate, lock or block.
  void StepPosition() override;
  void AsyncUpdate(int kind, int64_t value) override;
  void SyncStartStop(bool started) override;
  void ParameterAutomated(int slot, int index, float value) override;
  void RenderProgress(int percent) override;
  void RenderDone(bool ok) override;
  void OutputLost() override;

  // Drops every report still pending and every later one (the close does
  // this before the scope and the samples go away).
  void DropPending();

  // Main thread: emits the signals of what is pending now (the notifier
  // does this when the main thread's event loop runs).
  void Deliver();

signals:
  void stepPositionChanged();
  void asyncUpdate(int kind, qint64 value);
  void syncStartStop(bool started);
  // The slot's parameter wheels changed (read them from the slot's
  // parameter controls).
  void parameterAutomated(int slot);
  void renderProgress(int percent);
  void renderDone(bool ok);
  void outputLost();

private:
  // Wakes the main thread once until it has delivered.
  void Wake();
  void DeliverAsync(int kind);

  int WakeFd = -1;
  QSocketNotifier* Notifier = nullptr;
  std::atomic<bool> Dropping{false};
  std::atomic<bool> WakeSent{false};

  std::atomic<bool> StepPending{false};
  std::array<std::atomic<bool>, AsyncUpdateKinds> AsyncPending{};
  std::array<std::atomic<int64_t>, AsyncUpdateKinds> AsyncValue{};
  // 0 nothing, 1 started, 2 stopped: the latest of them.
  std::atomic<int> SyncPending{0};
  std::atomic<uint32_t> AutomatedPending{0};  // a bit per slot
  std::atomic<bool> ProgressPending{false};
  std::atomic<int> ProgressValue{0};
  // 0 nothing, 1 done and written, 2 done and failed.
  std::atomic<int> DonePending{0};
  std::atomic<bool> LostPending{false};
};

}  // namespace vs
