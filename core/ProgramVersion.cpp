#include "core/ProgramVersion.h"

namespace vs {

std::string FormatProgramVersion(int major, int minor, int patch) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::string ProgramVersion() {
  return FormatProgramVersion(VS_VERSION_MAJOR, VS_VERSION_MINOR, VS_VERSION_PATCH);
}

}  // namespace vs
