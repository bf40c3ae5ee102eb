#pragma once
// File associations the freedesktop way, for the current user only:
//
// - a shared-MIME package $XDG_DATA_HOME/mime/packages/<type>-<ext>.xml
//   giving the extension's files a MIME type "application/x-<type>" with
//   the type's description (the MIME database is refreshed when
//   update-mime-database is there);
// - a desktop entry $XDG_DATA_HOME/applications/<type>-<ext>.desktop that
//   opens such files with the program ("Exec=<program> %f", hidden from
//   menus);
// - that entry made the type's default application in
//   $XDG_CONFIG_HOME/mimeapps.list (the file's other lines are kept).
//
// <type> is the type name in lower case, <ext> the extension without its
// dot, in lower case. $XDG_DATA_HOME defaults to ~/.local/share and
// $XDG_CONFIG_HOME to ~/.config. Every file is written through the safe
// writer. Unregistering removes the two files this wrote and the default
// entry that names them, nothing else.

#include <string>

namespace vs {

// The extension (".ZMP" or "zmp") opens with program, under a type name and
// a description. False when a file could not be written.
bool RegisterFileType(const std::string& extension, const std::string& program, const std::string& typeName,
                      const std::string& description);
// Removes what RegisterFileType wrote for the extension (any type name).
// False when a file could not be changed.
bool UnregisterFileType(const std::string& extension);
// The program that opens the extension's files by default: the desktop
// entry that mimeapps.list names for the type the user's MIME packages
// give the extension, its command without the file argument. Empty when
// any link is missing.
std::string GetFileTypeCommand(const std::string& extension);
// GetFileTypeCommand equals program (paths compare exactly: on this system
// names differing in case are different files).
bool IsFileTypeRegisteredTo(const std::string& extension, const std::string& program);

// The desktop entry's Exec value for a program and the file argument, and
// back: the program of an Exec value (quoting and escapes undone), empty
// when the value is not well formed.
std::string DesktopExecLine(const std::string& program);
std::string DesktopExecProgram(const std::string& exec);

}  // namespace vs
