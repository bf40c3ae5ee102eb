// Each test of this suite starts from a clean program state below the
// windows.

#include "support/CleanState.h"

#include "core/SequencerState.h"

namespace {
const bool Clean = vs::testing::StartEachTestClean(&vs::ResetProgramState);
}  // namespace
