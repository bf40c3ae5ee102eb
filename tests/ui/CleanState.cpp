// Each test of this suite starts from a clean program state, below the
// windows and in them: the skin with no style loaded, the pointer away.

#include "support/CleanState.h"

#include "core/SequencerState.h"
#include "framework/Skin.h"
#include "support/CleanWindows.h"

namespace {
const bool Clean = vs::testing::StartEachTestClean([] {
  vs::ResetProgramState();
  vs::ResetSkin();
  vs::testing::ParkPointer();
});
}  // namespace
