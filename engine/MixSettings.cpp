#include "engine/MixSettings.h"

namespace vs {

TMixSettings& MixSettings() {
  static TMixSettings settings;
  return settings;
}

}  // namespace vs
