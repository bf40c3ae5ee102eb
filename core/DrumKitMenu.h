#pragma once
// The drum-kit menu: the kit songs (".zmp", any case) under the samples'
// drum-kit folder, as a tree of menu entries the window turns into menu
// items. A kit's item opens it as the new song; its tag indexes the list of
// kit files.
//
// A folder's songs go into the menu it is given. The songs of its
// sub-folders go into one sub-menu captioned with the folder's own name,
// made when the first sub-folder is met (the top folder has no name: its
// sub-folders' songs go straight into the top menu). Entries come in name
// order.

#include <string>
#include <vector>

namespace vs {

struct TDrumKitMenuEntry {
  std::string Caption;  // ampersands doubled
  int Tag = -1;         // index into the kit files; -1 for a sub-menu
  std::vector<TDrumKitMenuEntry> Children;  // a sub-menu's entries
  bool IsMenu() const { return Tag < 0; }
};

struct TDrumKitMenu {
  std::vector<TDrumKitMenuEntry> Entries;  // the top menu's entries
  std::vector<std::string> KitFiles;       // by tag
};

// Folders are searched at most this deep (a link back up ends there).
constexpr int MaxDrumKitDepth = 16;

// Builds the menu from the folder; a missing or unreadable folder gives an
// empty menu.
TDrumKitMenu BuildDrumKitMenu(const std::string& folder);


}  // namespace vs
