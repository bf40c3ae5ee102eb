#include "ui/QtEngineListener.h"

#include "controls/QuickGraphicControl.h"

#include <QSocketNotifier>
#include <bit>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vs {

static_assert(std::atomic<int64_t>::is_always_lock_free && std::atomic<uint32_t>::is_always_lock_free,
              "the worker side must not lock");

TQtEngineListener::TQtEngineListener(QObject* parent) : QObject(parent) {
  WakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (WakeFd >= 0) {
    Notifier = new QSocketNotifier(WakeFd, QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, [this] { Deliver(); });
  }
  SetEngineListener(this);
}

TQtEngineListener::~TQtEngineListener() {
  if (EngineListener() == this) SetEngineListener(nullptr);
  delete Notifier;
  Notifier = nullptr;
  if (WakeFd >= 0) ::close(WakeFd);
}

void TQtEngineListener::Wake() {
  if (Dropping.load() || WakeSent.exchange(true)) return;
  const uint64_t one = 1;
  // Non-blocking; the count can't overflow with one write per delivery.
  if (WakeFd >= 0) (void)!::write(WakeFd, &one, sizeof one);
}

void TQtEngineListener::StepPosition() {
  StepPending.store(true);
  Wake();
}

void TQtEngineListener::AsyncUpdate(int kind, int64_t value) {
  if (kind < 0 || kind >= AsyncUpdateKinds) return;
  AsyncValue[size_t(kind)].store(value);
  AsyncPending[size_t(kind)].store(true);
  Wake();
}

void TQtEngineListener::SyncStartStop(bool started) {
  SyncPending.store(started ? 1 : 2);
  Wake();
}

void TQtEngineListener::ParameterAutomated(int slot, int index, float value) {
  (void)index, (void)value;
  if (slot < 0 || slot >= AutomatedSlots) return;
  AutomatedPending.fetch_or(uint32_t(1) << slot);
  Wake();
}

void TQtEngineListener::RenderProgress(int percent) {
  ProgressValue.store(percent);
  ProgressPending.store(true);
  Wake();
}

void TQtEngineListener::RenderDone(bool ok) {
  DonePending.store(ok ? 1 : 2);
  Wake();
}

void TQtEngineListener::OutputLost() {
  LostPending.store(true);
  Wake();
}

void TQtEngineListener::Deliver() {
  if (WakeFd >= 0) {
    uint64_t count = 0;
    (void)!::read(WakeFd, &count, sizeof count);
  }
  // Reports made from here on wake again.
  WakeSent.store(false);
  if (Dropping.load()) return;
  if (const int sync = SyncPending.exchange(0)) emit syncStartStop(sync == 1);
  {
    // What the step and the scope's output change shows in one frame.
    TFramePaint frame;
    if (StepPending.exchange(false)) {
      emit stepPositionChanged();
      StepPositionHandled();
    }
    DeliverAsync(AsyncScope);
  }
  for (int kind = 0; kind < AsyncUpdateKinds; ++kind)
    if (kind != AsyncScope) DeliverAsync(kind);
  for (uint32_t pending = AutomatedPending.exchange(0); pending != 0; pending &= pending - 1)
    emit parameterAutomated(std::countr_zero(pending));
  if (ProgressPending.exchange(false)) emit renderProgress(ProgressValue.load());
  if (const int done = DonePending.exchange(0)) emit renderDone(done == 1);
  if (LostPending.exchange(false)) emit outputLost();
}

void TQtEngineListener::DeliverAsync(int kind) {
  if (!AsyncPending[size_t(kind)].exchange(false)) return;
  emit asyncUpdate(kind, AsyncValue[size_t(kind)].load());
  AsyncUpdateHandled(kind);
}

void TQtEngineListener::DropPending() {
  Dropping.store(true);
  if (EngineListener() == this) SetEngineListener(nullptr);
}

}  // namespace vs
