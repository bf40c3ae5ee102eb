#pragma once
// The engine's program-wide objects in one place, built in the order they
// depend on each other and freed in the reverse order: the mix settings,
// the mixer (which renders the synthesizer channels), the plug-in slots it
// runs, and last the audio output, whose mix thread mixes the mixer (so it
// is stopped before the mixer goes). The accessors Mixer(), MixSettings(),
// PluginHost() and AudioOutput() reach these objects; the object is made at
// the first use of any of them.

#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/VSTHost.h"

namespace vs {

struct TEngineState {
  TEngineState();
  TEngineState(const TEngineState&) = delete;
  TEngineState& operator=(const TEngineState&) = delete;

  TMixSettings MixSettings;
  TMixer Mixer;
  TPluginHost Plugins;
  TAudioOutputState AudioOutput;
};

TEngineState& EngineState();

// For tests, so that each starts from a clean engine: a render running is
// cancelled and waited for, the scope and mix threads stopped, the output
// device and the capture closed, the note and sync ports unset, the
// listener, the render host and the channel-free hook dropped, the objects
// above made anew in place (references to them stay good), an empty current
// song and the default render options. Never while holding MixerLock.
void ResetEngineState();

}  // namespace vs
