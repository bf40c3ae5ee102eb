#include "controls/TimerSpeedButton.h"

#include <QPointer>
#include <QTimer>

namespace vs {

TRepeatTimer::TRepeatTimer(QObject* parent, int firstDelay, int interval)
    : QObject(parent), Timer(new QTimer(this)), FirstDelay(firstDelay), RepeatInterval(interval) {
  connect(Timer, &QTimer::timeout, this, &TRepeatTimer::Tick);
}

void TRepeatTimer::Press() {
  QPointer<TRepeatTimer> self(this);
  if (OnStep) OnStep();
  if (self) Start();
}

void TRepeatTimer::Start() { Timer->start(FirstDelay); }

void TRepeatTimer::Stop() { Timer->stop(); }

bool TRepeatTimer::Active() const { return Timer->isActive(); }

int TRepeatTimer::Interval() const { return Timer->interval(); }

void TRepeatTimer::Tick() {
  Timer->setInterval(RepeatInterval);
  if (OnStep) OnStep();
}

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent, int firstDelay)
    : TMyTransButton(parent), FRepeat(new TRepeatTimer(this, firstDelay)) {
  StayDown = false;
  FRepeat->OnStep = [this] {
    if (OnStep) OnStep(this);
  };
}

void TTimerSpeedButton::MouseDown(const TMouseInfo& mouse) {
  QPointer<TTimerSpeedButton> self(this);
  TMyTransButton::MouseDown(mouse);
  if (!self || !isEnabled() || Held() || !(StepButtons & mouse.Button)) return;
  HeldButton = mouse.Button;
  FRepeat->Press();
}

void TTimerSpeedButton::MouseUp(const TMouseInfo& mouse) {
  QPointer<TTimerSpeedButton> self(this);
  TMyTransButton::MouseUp(mouse);
  if (self && mouse.Button == HeldButton) EndSteps();
}

void TTimerSpeedButton::EnabledChanged() {
  if (!isEnabled()) EndSteps();
  TMyTransButton::EnabledChanged();
}

void TTimerSpeedButton::hideEvent(QHideEvent* event) {
  EndSteps();
  TMyTransButton::hideEvent(event);
}

void TTimerSpeedButton::EndSteps() {
  if (!Held()) return;
  HeldButton = Qt::NoButton;
  FRepeat->Stop();
  if (OnStepsEnd) OnStepsEnd(this);
}

}  // namespace vs
