#pragma once
// The program's preferences: sections of named string values, kept in one
// text file. Section names may name sub-sections with "\" ("ZM SETTINGS",
// "ZM SETTINGS\PlayListForm", "ZM TOOL 0"...); section and value names
// compare in any case. Values are strings, plus one DWORD kind.
//
// The file is $VORBELSTEPS_SETTINGS when that is set, else
// $XDG_CONFIG_HOME/VorbelSteps/settings.ini, else
// ~/.config/VorbelSteps/settings.ini. Saving writes a temporary file and
// renames it over the old one. A line that doesn't parse is skipped (the
// values it would have held read as their defaults) and everything else is
// kept. A file that can't be read at all (not a file, too large, binary)
// loads as empty; it stays on disk as it is until the program saves, and
// then it is kept beside the new one as "settings.ini.bad".
//
// Layout: "[section]" lines, then "name=value" lines; a DWORD is written as
// "name=dword:0000000A". Backslashes, control characters and the characters
// that would end a name or section are written as "\\" or "\xHH". Empty
// lines and lines beginning with ";" or "#" are ignored.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolbox/AllTools.h"
#include "toolbox/SafeFile.h"

namespace vs {

enum class TSettingsLoad {
  Missing,     // no file: a fresh user
  Loaded,
  Corrupt,     // the file is there but could not be read at all
};

// Where the settings are kept, or why they can't be (no home folder).
struct TSettingsLocation {
  std::string File;     // empty: nowhere
  std::string Problem;  // then what was tried, e.g. "the home folder ... does not exist"
};

class TSettingsStore {
public:
  // A store on fileName (empty: values live in memory only, Save fails).
  explicit TSettingsStore(std::string fileName = DefaultFileName());

  // The file the program uses (see above); empty when no folder is known
  // or the home folder it would lie in does not exist (the folders are made
  // only inside a home that exists; XDG_CONFIG_HOME counts when it exists
  // or lies inside the home).
  static TSettingsLocation DefaultLocation();
  static std::string DefaultFileName();

  // Replaces the values with those of the file.
  TSettingsLoad Load();
  TSettingsLoad LoadResult() const;
  // Writes every value (creating the folder); not written, with the old
  // file left as it was and the system's reason, when the write fails.
  TWriteResult Save();
  const std::string& FileName() const { return File; }
  bool Modified() const;

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view name) const;
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> ValueNames(std::string_view section) const;
  // Removes a section with its values (its sub-sections stay).
  void EraseSection(std::string_view section);
  void DeleteValue(std::string_view section, std::string_view name);

  // A string value as stored (a DWORD reads as its decimal text).
  std::optional<std::string> ReadValue(std::string_view section, std::string_view name) const;
  std::string ReadString(std::string_view section, std::string_view name, std::string_view def) const;
  // Missing, or not a number: def.
  int32_t ReadInteger(std::string_view section, std::string_view name, int32_t def) const;
  // "0" is false, any other number true; missing or not a number: def.
  bool ReadBool(std::string_view section, std::string_view name, bool def) const;
  uint32_t ReadDWORD(std::string_view section, std::string_view name, uint32_t def) const;

  void WriteString(std::string_view section, std::string_view name, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view name, int32_t value);
  void WriteBool(std::string_view section, std::string_view name, bool value);  // "0" / "1"
  void WriteDWORD(std::string_view section, std::string_view name, uint32_t value);

  // The file's text for the current values, and the parser behind Load
  // (false only for text that is no text file: too large or binary).
  std::string Serialize() const;
  bool Parse(std::string_view text);

private:
  struct TValue {
    std::string Name;
    std::string Text;
    bool IsDWORD = false;
  };
  struct TSection {
    std::string Name;
    std::vector<TValue> Values;
  };

  const TSection* FindSection(std::string_view section) const;
  TSection& SectionFor(std::string_view section);
  const TValue* FindValue(std::string_view section, std::string_view name) const;
  void Put(std::string_view section, std::string_view name, std::string value, bool isDWORD);
  std::string SerializeLocked() const;

  std::string File;
  mutable std::mutex Lock;
  std::vector<TSection> Sections;
  TSettingsLoad Result = TSettingsLoad::Missing;
  bool Dirty = false;
  bool KeepBadFile = false;  // the loaded file was corrupt: keep it at the next save
};

// Reads "Left", "Top", "Width" and "Height" (TControlBounds, toolbox/AllTools.h)
// from section + "\" + name; each missing or unreadable value keeps what
// bounds held.
void LoadControlBounds(const TSettingsStore& store, std::string_view section, std::string_view name,
                       TControlBounds& bounds);
// Writes the four values there (those that are set).
void SaveControlBounds(TSettingsStore& store, std::string_view section, std::string_view name,
                       const TControlBounds& bounds);

}  // namespace vs
