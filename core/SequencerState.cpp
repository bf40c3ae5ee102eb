#include "core/SequencerState.h"

#include "core/ChannelFiles.h"
#include "core/Style.h"
#include "core/Tempo.h"
#include "engine/EngineState.h"

namespace vs {

TSequencerState::TSequencerState() {
  LoopTimer.SetThreadPriority(TThreadPriority::Highest);
  LoopTimer.SetOnTimer([](TThreadTimer&) { AdvanceStep(true); });
  LoopTimer.SetInterval(static_cast<uint32_t>(StepMilliseconds(140)));
}

TSequencerState& SequencerState() {
  // The engine is made first, so that it is freed after the clock and the
  // step timer, whose threads use it.
  static TEngineState& engine = EngineState();
  (void)engine;
  static TSequencerState state;
  return state;
}

void ResetProgramState() {
  StopMasterClock();
  LoopTimer().Stop();
  SetTransportHost(nullptr);
  SetTransportDeviceLists({});
  SetSlaveStartHook(nullptr);
  SetTempoRebaseHook(nullptr);
  SetChannelFileHost(nullptr);
  ResetStyle();
  TSequencerState& state = SequencerState();
  std::destroy_at(&state);
  std::construct_at(&state);
  ResetEngineState();
}

}  // namespace vs
