#include "engine/EngineState.h"

#include <memory>

#include "engine/Capture.h"
#include "engine/EngineListener.h"
#include "engine/MB404Channels.h"
#include "engine/RenderWAV.h"
#include "model/Channels.h"
#include "model/RenderOptions.h"
#include "model/Song.h"
#include "platform/MidiPorts.h"

namespace vs {

TEngineState::TEngineState() { Mixer.SetSynthRenderHook(&MB404RenderHook()); }

TEngineState& EngineState() {
  static TEngineState state;
  return state;
}

void ResetEngineState() {
  if (RenderRunning()) RenderCancelled.store(true);
  WaitForRender();
  RenderCancelled.store(false);
  CloseCapture();
  StopScopeThread();
  StopMixThread();
  CloseOutputDevice();
  SetEngineListener(nullptr);
  SetRenderHost(nullptr);
  SetMIDIOut(nullptr);
  SetMIDIOutSync(nullptr);
  SetChannelFreeHook(nullptr);
  TEngineState& state = EngineState();
  std::destroy_at(&state);
  std::construct_at(&state);
  ReplaceCurrentSong(nullptr);
  RenderOptions() = {};
}

}  // namespace vs
