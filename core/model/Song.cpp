#include "core/model/Song.h"

#include <algorithm>

namespace vs {

TSong::TSong() : Playlist(this) {}
TSong::~TSong() = default;

void TSong::SetPatternLength(int length) {
  StepContext.PatternLength = std::clamp(length, 8, MaxSteps);
}

bool TSong::IsPatternEmpty(int pattern) const {
  for (const auto& c : Channels)
    if (!c->Steps.IsPatternEmpty(pattern)) return false;
  return true;
}

namespace {
std::unique_ptr<TSong>& SongHolder() {
  static std::unique_ptr<TSong> song = std::make_unique<TSong>();
  return song;
}
}  // namespace

TSong& CurrentSong() { return *SongHolder(); }

std::unique_ptr<TSong> ReplaceCurrentSong(std::unique_ptr<TSong> song) {
  if (!song) song = std::make_unique<TSong>();
  std::swap(SongHolder(), song);
  return song;
}

}  // namespace vs
