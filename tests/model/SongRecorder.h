#pragma once
// A listener that writes down every notification it hears.

#include <string>
#include <vector>

#include "model/SongListener.h"

namespace vs {

class SongRecorder : public SongListener {
public:
  std::vector<std::string> Events;

  void ChannelListChanged() override { Events.push_back("list"); }
  void ChannelChanged(int index) override { Events.push_back("channel " + std::to_string(index)); }
  void StepsChanged(int index) override { Events.push_back("steps " + std::to_string(index)); }
  void PlaylistCellChanged(int pattern, int bar) override {
    Events.push_back("cell " + std::to_string(pattern) + " " + std::to_string(bar));
  }
  void PlaylistCleared() override { Events.push_back("cleared"); }
  void SongReplaced(TSong&) override { Events.push_back("replaced"); }
};

}  // namespace vs
