// Each test of this suite starts from a clean engine.

#include "support/CleanState.h"

#include "engine/EngineState.h"

namespace {
const bool Clean = vs::testing::StartEachTestClean(&vs::ResetEngineState);
}  // namespace
