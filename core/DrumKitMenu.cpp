#include "core/DrumKitMenu.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <cctype>

#include "toolbox/AllTools.h"

namespace vs {

namespace fs = std::filesystem;

namespace {

bool IsKitSong(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
  return ext == ".ZMP";
}

// The folder's entries in name order; none when it can't be read.
std::vector<fs::directory_entry> ReadFolder(const fs::path& folder) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  return entries;
}

void Search(const fs::path& folder, const std::string& caption, std::vector<TDrumKitMenuEntry>& parent,
            TDrumKitMenu& menu, int depth) {
  // Sub-menu entries of the parent are added while recursing: keep their
  // place by index, since the parent vector may grow.
  int subMenu = -2;  // -2: not made yet, -1: the parent itself
  for (const fs::directory_entry& entry : ReadFolder(folder)) {
    std::error_code ec;
    const std::string name = entry.path().filename().string();
    if (entry.is_directory(ec)) {
      if (depth >= MaxDrumKitDepth) continue;
      if (subMenu == -2) {
        if (caption.empty()) {
          subMenu = -1;
        } else {
          TDrumKitMenuEntry sub;
          sub.Caption = DoubleAmpersands(caption);
          parent.push_back(std::move(sub));
          subMenu = static_cast<int>(parent.size()) - 1;
        }
      }
      std::vector<TDrumKitMenuEntry> found;
      Search(entry.path(), name, found, menu, depth + 1);
      std::vector<TDrumKitMenuEntry>& target = subMenu < 0 ? parent : parent[subMenu].Children;
      for (TDrumKitMenuEntry& e : found) target.push_back(std::move(e));
    } else if (entry.is_regular_file(ec) && IsKitSong(entry.path())) {
      TDrumKitMenuEntry item;
      item.Caption = DoubleAmpersands(entry.path().stem().string());
      item.Tag = static_cast<int>(menu.KitFiles.size());
      menu.KitFiles.push_back(entry.path().string());
      parent.push_back(std::move(item));
    }
  }
}

}  // namespace

TDrumKitMenu BuildDrumKitMenu(const std::string& folder) {
  TDrumKitMenu menu;
  Search(fs::path(folder), std::string(), menu.Entries, menu, 0);
  return menu;
}

}  // namespace vs
