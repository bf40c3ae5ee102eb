#pragma once
// The favourite folders of the open dialog, without the dialog: the rule
// that adds a folder to a list, and how an entry is named.

#include <string>
#include <vector>

namespace vs {

// Two names of one folder: equal as written, or equal in any letter case
// unless both exist and are different folders (names on this system are
// case-sensitive; a name from elsewhere may differ in case only).
bool SameFolder(const std::string& a, const std::string& b);

// Adds a folder to a list of at most maxCount entries: a trailing "/" (or
// "\") is removed, every entry naming the same folder is deleted, the last
// entries go while the list holds maxCount or more, and the folder is put
// at the top (atTop) or at the end.
void AddFavoriteFolder(std::vector<std::string>& list, std::string folder, int maxCount, bool atTop);

// The index of the entry naming folder (-1: none).
int FindFavoriteFolder(const std::vector<std::string>& list, const std::string& folder);

// What an entry shows: its folder's own name (the root "/" as itself), or,
// with fullPath, the path with its trailing "/" when that has at least 4
// characters.
std::string FavoriteDisplayName(const std::string& folder, bool fullPath);

}  // namespace vs
