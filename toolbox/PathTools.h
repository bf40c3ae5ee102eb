#pragma once
// File names as songs store them and as the file system wants them.
//
// A stored sample name that begins with "\" is relative to the samples
// folder; its "\" become "/" here. Any other stored name is a path as written.
// When the file-name part of a name is taken, both "\" and "/" separate.
// A path that does not exist as written is looked up in any case, folder by
// folder.

#include <string>
#include <string_view>

namespace vs {

// Every "\" replaced by "/".
std::string BackslashesToSlashes(std::string_view name);

// The part after the last "\" or "/".
std::string ExtractFileName(std::string_view name);
// Everything up to and including the last "\" or "/" (empty without one).
std::string ExtractFilePath(std::string_view name);
// The extension of the file-name part including its ".", or empty.
std::string ExtractFileExt(std::string_view name);
// name with its extension replaced by ext (ext includes the ".", may be empty).
std::string ChangeFileExt(std::string_view name, std::string_view ext);
// True when the extension of name equals ext (with its "."), in any case.
bool HasExtension(std::string_view name, std::string_view ext);

// A stored name to a path: "\Kits\kick.wav" -> samplesFolder + "Kits/kick.wav";
// any other name unchanged.
std::string StoredNameToPath(std::string_view stored, std::string_view samplesFolder);
// A path to the name a song stores: inside samplesFolder it becomes "\" plus
// the rest with "\" separators; any other path is stored as it is.
std::string PathToStoredName(std::string_view path, std::string_view samplesFolder);

// The path of an existing file or folder: path itself when it exists, else
// the first match found by comparing each component in any case; empty when
// there is none.
std::string FindPathCaseInsensitive(std::string_view path);

}  // namespace vs
