#pragma once
// Reading and writing the program's preferences in the settings store.
//
// Sections: "ZM SETTINGS" (the options, with the sub-sections
// "PlayListForm" and "VisualForm" for window bounds), "ZM TOOL 0".."ZM TOOL
// 4", "ZM DIRS" (values "0".."9") and "ZM FAVORITES" ("Count" as a DWORD and
// one value per folder). Booleans are "0" / "1", integers decimal text; a
// missing value or text that is not a number reads as its default. The
// tool-window layout has sub-sections of its own, which the windows keep.

#include <string>
#include <string_view>
#include <vector>

#include "model/Preferences.h"
#include "toolbox/SafeFile.h"

namespace vs {

class TSettingsStore;

extern const char* const SettingsSection;   // "ZM SETTINGS"
extern const char* const DirsSection;       // "ZM DIRS"
extern const char* const FavoritesSection;  // "ZM FAVORITES"
std::string ToolSection(int index);         // "ZM TOOL " + index

// Reads every value into prefs (what is not stored keeps the value prefs
// already holds, except those whose default comes from appPath), then
// clamps them (ClampPreferences). An empty or missing drum-kit file falls
// back to the basic kit under appPath; an empty plug-in folder to
// appPath + "Plugins/VST/".
void LoadSettings(const TSettingsStore& store, TPreferences& prefs, const std::string& appPath);

// Writes every value into the store in the store's order and saves the
// store. Recent-file entries that are empty are not written (an earlier
// value of that number stays); "SmpList" and "SmpList_Width" only when the
// sample browser was created. Not written: the system's reason.
TWriteResult SaveSettings(TSettingsStore& store, const TPreferences& prefs);

// A favourites list in a section: "Count" (a DWORD) and one value per
// folder named by its index. Reading happens only when "Count" exists
// (false otherwise, the list untouched): the entries below the count that
// are there, in index order, at most maxCount of them. Writing leaves
// values beyond the new count as they are.
bool ReadFavoriteFolders(const TSettingsStore& store, std::string_view section, std::vector<std::string>& favorites,
                         int maxCount);
void WriteFavoriteFolders(TSettingsStore& store, std::string_view section, const std::vector<std::string>& favorites);

// Writes the values without saving the file (SaveSettings without the save).
void WriteSettings(TSettingsStore& store, const TPreferences& prefs);

}  // namespace vs
