#pragma once
// The program's version, made from the project's version numbers.

#include <string>

namespace vs {

// "major.minor.patch", e.g. "1.3.61" (each part in full, however many
// digits it has).
std::string ProgramVersion();
// The same from given numbers.
std::string FormatProgramVersion(int major, int minor, int patch);

}  // namespace vs
