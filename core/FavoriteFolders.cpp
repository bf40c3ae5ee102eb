#include "core/FavoriteFolders.h"

#include <filesystem>

#include "toolbox/AllTools.h"

namespace vs {

namespace {

std::string WithoutTrailingSeparator(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

}  // namespace

bool SameFolder(const std::string& a, const std::string& b) {
  const std::string x = WithoutTrailingSeparator(a), y = WithoutTrailingSeparator(b);
  if (x == y) return true;
  if (!SameText(x, y)) return false;
  std::error_code e1, e2;
  const bool both = std::filesystem::is_directory(x, e1) && std::filesystem::is_directory(y, e2);
  if (!both) return true;
  std::error_code ec;
  return std::filesystem::equivalent(x, y, ec);
}

int FindFavoriteFolder(const std::vector<std::string>& list, const std::string& folder) {
  for (size_t i = 0; i < list.size(); ++i)
    if (SameFolder(list[i], folder)) return int(i);
  return -1;
}

void AddFavoriteFolder(std::vector<std::string>& list, std::string folder, int maxCount, bool atTop) {
  folder = WithoutTrailingSeparator(std::move(folder));
  for (size_t i = list.size(); i-- > 0;)
    if (SameFolder(list[i], folder)) list.erase(list.begin() + i);
  while (!list.empty() && int(list.size()) >= maxCount) list.pop_back();
  if (maxCount <= 0) return;
  if (atTop)
    list.insert(list.begin(), folder);
  else
    list.push_back(folder);
}

std::string FavoriteDisplayName(const std::string& folder, bool fullPath) {
  const std::string plain = WithoutTrailingSeparator(folder);
  const std::string withSlash = plain == "/" ? plain : plain + "/";
  if (fullPath && withSlash.size() >= 4) return withSlash;
  if (plain == "/" || plain.empty()) return withSlash;
  const size_t cut = plain.find_last_of("/\\");
  return cut == std::string::npos ? plain : plain.substr(cut + 1);
}

}  // namespace vs
