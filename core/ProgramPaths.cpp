#include "core/ProgramPaths.h"

#include "toolbox/AllTools.h"

namespace vs {

TProgramPaths& ProgramPaths() {
  static TProgramPaths paths;
  return paths;
}

std::string SamplesFolder() {
  const std::string& app = ProgramPaths().AppPath;
  return app.empty() ? std::string("Samples/") : AddBackslash(app) + "Samples/";
}

}  // namespace vs
