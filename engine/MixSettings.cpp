#include "engine/MixSettings.h"

#include "engine/EngineState.h"

namespace vs {

TMixSettings& MixSettings() { return EngineState().MixSettings; }

}  // namespace vs
