#include "core/ProgramVersion.h"

#include "toolbox/AllTools.h"

namespace vs {

namespace {

constexpr int FileVersionKey = 3;

}  // namespace

std::string FormatProgramVersion(int major, int minor, int patch) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::string ProgramVersion() {
  // The file version of the program's own version block (a.b.0.c) without
  // its third part.
  const std::string file = GetVersionInfoValue("/proc/self/exe", FileVersionKey);
  const size_t second = file.find('.', file.find('.') + 1);
  const size_t third = second == std::string::npos ? second : file.find('.', second + 1);
  if (third != std::string::npos) return file.substr(0, second) + file.substr(third);
  return FormatProgramVersion(VS_VERSION_MAJOR, VS_VERSION_MINOR, VS_VERSION_PATCH);
}

}  // namespace vs
