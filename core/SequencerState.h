#pragma once
// The sequencer's program-wide objects in one place, built after the
// engine's (so that they are freed before it) and in the order they depend
// on each other: the folders, the shown play position, the transport's
// controls, the sync and master-clock state, the step clipboard, the
// pattern view and the humanize choices, then the two threads that step
// the objects above, the master clock and the step timer (freed first,
// waiting for their worker). The accessors ProgramPaths(), PlayPosition(),
// Transport(), Sync(), MasterClockState(), StepClipboard(), PatternView(),
// ProgramHumanizeOptions() and LoopTimer() reach these objects; the object
// is made at the first use of any of them.

#include <memory>

#include "core/MasterClock.h"
#include "core/PatternCommands.h"
#include "core/PlayPosition.h"
#include "core/ProgramPaths.h"
#include "core/Transport.h"
#include "toolbox/ThreadTimer.h"

namespace vs {

struct TSequencerState {
  TSequencerState();  // the step timer's tick, priority and first interval
  TSequencerState(const TSequencerState&) = delete;
  TSequencerState& operator=(const TSequencerState&) = delete;

  TProgramPaths Paths;
  TPlayPosition PlayPosition;
  TTransportState Transport;
  TSyncState Sync;
  TMasterClockState MasterClock;  // under MasterClockLock
  TStepClipboard StepClipboard;
  TPatternView PatternView;
  HumanizeOptions Humanize;
  std::unique_ptr<TMasterClockThread> MasterClockThread;
  TThreadTimer LoopTimer;
};

TSequencerState& SequencerState();

// For tests, so that each starts from a clean program state below the
// windows: the master clock and the step timer stopped, the transport's
// and the channel loader's hosts, the device lists and the clock hooks
// dropped, the starting style again (core/Style.h), the objects above
// made anew in place (references to them stay good), then the engine's
// reset (ResetEngineState). Never while holding MixerLock.
void ResetProgramState();

}  // namespace vs
