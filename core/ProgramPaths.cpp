#include "core/ProgramPaths.h"

#include "core/SequencerState.h"
#include "toolbox/AllTools.h"

namespace vs {

TProgramPaths& ProgramPaths() { return SequencerState().Paths; }

std::string SamplesFolder() {
  const std::string& app = ProgramPaths().AppPath;
  return app.empty() ? std::string("Samples/") : AddBackslash(app) + "Samples/";
}

}  // namespace vs
