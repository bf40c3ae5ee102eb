#include "core/ProgramPaths.h"

#include <sys/stat.h>

#include "core/SequencerState.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"

namespace vs {

TProgramPaths& ProgramPaths() { return SequencerState().Paths; }

std::string SamplesFolder() {
  const std::string& app = ProgramPaths().AppPath;
  return app.empty() ? std::string("Samples/") : AddBackslash(app) + "Samples/";
}

std::string LanguageTextFile(const std::string& name, const std::string& extension) {
  const std::string folder = AddBackslash(ProgramPaths().AppPath) + "Texts/";
  const std::string own = folder + name + "_" + std::to_string(GlobalLanguage()) + extension;
  struct stat st {};
  return GlobalLanguage() > 0 && ::stat(own.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? own : folder + name + extension;
}

}  // namespace vs
