// Each test of this suite starts with the pointer outside every window.

#include "support/CleanState.h"

#include "support/CleanWindows.h"

namespace {
const bool Clean = vs::testing::StartEachTestClean(&vs::testing::ParkPointer);
}  // namespace
