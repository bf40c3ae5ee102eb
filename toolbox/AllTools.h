#pragma once
// Shared routines: integers, strings, colours, files and folders.

#include <cstdint>

namespace vs {

inline int IntSign(int64_t x) { return (x > 0) - (x < 0); }

}  // namespace vs
