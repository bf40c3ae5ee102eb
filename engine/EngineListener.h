#pragma once
// How worker threads (mix, scope, step timer, master clock, MIDI input,
// render) tell the windows that something changed. They never touch a window
// themselves: they post through this listener, which the window side
// implements with queued events (tests with a recorder).
//
// Step-position and async-update posts are coalesced: each kind has an armed
// flag; a post clears the flag and reaches the listener only when the flag
// was set, and the window's handler sets it again once it has handled the
// message. So at most one message of a kind is pending, and the handler
// shows the latest state when it runs.

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/AutoResetEvent.h"

namespace vs {

// Kinds of async update (WM_ASYNCUPDATE's first parameter).
enum TAsyncUpdateKind : int {
  AsyncScope = 0,          // redraw the output scope
  AsyncUnderrun = 1,       // the underrun count changed (value: the count)
  AsyncBrowserSample = 2,  // hand the browser's selected sample to the channel settings
  AsyncSyncLamp = 3,       // repaint the sync lamp
};
constexpr int AsyncUpdateKinds = 4;

class TEngineListener {
public:
  virtual ~TEngineListener() = default;
  // WM_STEPPOSITION: the shown step moved (read DisplayStep when handling).
  virtual void StepPosition() {}
  // WM_ASYNCUPDATE with a kind 0..3 and a value.
  virtual void AsyncUpdate(int kind, int64_t value) { (void)kind, (void)value; }
  // WM_SYNCSTARTSTOP: a slave start (true) or stop (false).
  virtual void SyncStartStop(bool started) { (void)started; }
  // A plug-in automated one of its parameters.
  virtual void ParameterAutomated(int slot, int index, float value) {
    (void)slot, (void)index, (void)value;
  }
  // The sound device went away and the output was closed
  // (TakeOutputLostMessage says which and why).
  virtual void OutputLost() {}
  // Render progress in percent, and the end of a render.
  virtual void RenderProgress(int percent) { (void)percent; }
  virtual void RenderDone(bool ok) { (void)ok; }
};

// The listener posts go to (null: posts are dropped, flags still cleared).
// Setting one arms every flag, and returns only once no call to the one it
// replaces is under way on another thread, so that the old one may go.
void SetEngineListener(TEngineListener* listener);
TEngineListener* EngineListener();

// Counts a call to the listener for SetEngineListener.
class TEngineListenerCall {
public:
  TEngineListenerCall();
  ~TEngineListenerCall();
  TEngineListenerCall(const TEngineListenerCall&) = delete;
  TEngineListenerCall& operator=(const TEngineListenerCall&) = delete;
};

// Calls f(listener) when there is a listener. Lock-free: worker threads and
// the real-time threads call it.
template <class F>
void CallEngineListener(F&& f) {
  TEngineListenerCall call;
  if (TEngineListener* l = EngineListener()) f(*l);
}

// The armed flags; all start set.
extern std::atomic<bool> StepPositionArmed;
extern std::array<std::atomic<bool>, AsyncUpdateKinds> AsyncUpdateArmed;

// Posts WM_STEPPOSITION when armed (clearing the flag).
void PostStepPosition();
// Posts WM_ASYNCUPDATE of a kind when that kind is armed (clearing it). A
// kind outside 0..3 posts nothing.
void PostAsyncUpdate(int kind, int64_t value);
// Called by the window's handlers when they have handled a message: arms
// the flag again.
void StepPositionHandled();
void AsyncUpdateHandled(int kind);
// A handler that has no use for a kind's posts for now holds them: the
// post being handled does not arm the flag again, so the worker posts
// nothing (and wakes nobody) until the kind is released, which arms it.
void HoldAsyncUpdates(int kind);
void ReleaseAsyncUpdates(int kind);
bool AsyncUpdatesHeld(int kind);
// Signalled by each release of a kind (and ArmEnginePosts): a worker whose
// posts are held sleeps on it instead of waking for nothing.
TAutoResetEvent& AsyncUpdatesReleased(int kind);
// Arms every flag and releases every hold (start-up).
void ArmEnginePosts();

}  // namespace vs
