#pragma once
// Random damage for the bounded fuzz runs of the file readers: bit flips,
// random bytes, interesting 16- and 32-bit values over fields, truncation,
// inserted noise, erased spans and duplicated slices.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace vs {

inline std::string NoiseBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, 0);
  for (char& c : s) c = char(rng());
  return s;
}

// One to four damages to s; interesting values go over fields at random.
inline void MutateBytes(std::string& s, std::mt19937& rng, const std::vector<uint32_t>& interesting) {
  const int steps = 1 + int(rng() % 4);
  for (int k = 0; k < steps && !s.empty(); ++k) {
    const size_t at = rng() % s.size();
    switch (rng() % 7) {
      case 0: s[at] = char(s[at] ^ (1 << (rng() % 8))); break;
      case 1: s[at] = char(rng()); break;
      case 2: {
        if (interesting.empty()) break;
        const uint32_t v = interesting[rng() % interesting.size()];
        const size_t w = rng() % 2 ? 4 : 2;
        for (size_t i = 0; i < w && at + i < s.size(); ++i) s[at + i] = char(v >> (8 * i));
        break;
      }
      case 3: s.resize(at); break;
      case 4: s.insert(at, NoiseBytes(1 + rng() % 9, rng())); break;
      case 5: s.erase(at, 1 + rng() % 9); break;
      case 6: {
        const size_t from = rng() % s.size(), len = std::min<size_t>(1 + rng() % 64, s.size() - from);
        s.insert(at, s.substr(from, len));
        break;
      }
    }
  }
}

// Iterations of a bounded fuzz run: VS_FUZZ_ITERATIONS when set.
inline int FuzzIterations(int standard) {
  const char* env = getenv("VS_FUZZ_ITERATIONS");
  return env ? atoi(env) : standard;
}

}  // namespace vs
