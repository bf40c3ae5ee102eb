#pragma once
// Held arrows that repeat: the arrows of number bars and spin edits, and the
// up-down's arrow zones.
//
// TRepeatTimer steps once at the press, again after a first delay and then
// every repeat interval until it is stopped. TTimerSpeedButton is a button
// that is down only while held and drives such a timer: the press steps at
// once, the release stops the steps and ends them (OnStepsEnd).

#include <QObject>
#include <functional>

#include "controls/MyTransBtn.h"

class QTimer;

namespace vs {

class TRepeatTimer : public QObject {
  Q_OBJECT

public:
  TRepeatTimer(QObject* parent, int firstDelay, int interval = 50);

  // Each step: at Press and at every tick.
  std::function<void()> OnStep;

  // One step now, the next after the first delay.
  void Press();
  // Starts the first delay without a step.
  void Start();
  void Stop();
  bool Active() const;
  // The delay to the next tick, in milliseconds.
  int Interval() const;
  // A tick, as the timer runs it: the repeat interval from now on, then a
  // step.
  void Tick();

private:
  QTimer* Timer;
  int FirstDelay;
  int RepeatInterval;
};

class TTimerSpeedButton : public TMyTransButton {
  Q_OBJECT

public:
  // firstDelay: the wait between the first and the second step.
  TTimerSpeedButton(QWidget* parent, int firstDelay);

  // The buttons whose press steps.
  Qt::MouseButtons StepButtons = Qt::LeftButton;
  // Each step, with the arrow as sender.
  TNotifyEvent OnStep;
  // The release (or the disabling or hiding) that ended a held press.
  TNotifyEvent OnStepsEnd;

  TRepeatTimer& Repeat() { return *FRepeat; }
  // A press is stepping now.
  bool Held() const { return HeldButton != Qt::NoButton; }

protected:
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;
  void EnabledChanged() override;
  void hideEvent(QHideEvent* event) override;

private:
  void EndSteps();
  TRepeatTimer* FRepeat;
  Qt::MouseButton HeldButton = Qt::NoButton;
};

}  // namespace vs
