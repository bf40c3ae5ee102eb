#pragma once
// The zipped song package: a flat ZIP archive holding a song file and the
// sample files its channels name, each under its bare file name. There is
// no manifest: the song refers to its samples by the names it stores, and
// the sample search finds them again in the song's own folder, which for an
// opened package is the folder it was unpacked into.
//
// Packages are unpacked into a fresh folder "Package-N/" of the program's
// temporary folder. The folders of earlier packages are removed before, all
// but the one the open song was read from: a package that turns out to be
// damaged never takes the files of the open song with it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/ZipMstr.h"

namespace vs {

using TInfoSink = std::function<void(const std::string& text)>;

// The program's one archive component: best compression, files stored
// without folders, extraction replaces existing files.
TZipMaster& ProgramZipMaster();

// The progress handler of package writing and opening: a counter that is
// never reset grows by one per call; on every fourth call the info bar
// shows "Processing zip file" and (counter div 4) mod 4 dots.
void ZipMasterProgress(const TInfoSink& showInfo);
// The info text of progress call number counter (a multiple of 4).
std::string ZipProgressText(uint64_t counter);

// A file that goes into a package under a name of its own.
struct TPackedFile {
  std::string Path;  // the file on disk
  std::string Name;  // its bare name in the package
};

// Writes a package: the song image under songName and each file under its
// name (the names differ in more than letter case), into target. The files
// are gathered under their names in a folder made for the purpose in
// workFolder and removed with it afterwards. The old target is replaced
// only by a complete package, and only when every file went in; otherwise
// the archiver's message was shown, nothing is left beside the target, and
// false is returned.
bool WriteSongPackage(TZipMaster& zip, const std::string& target, const std::string& songName,
                      const std::vector<uint8_t>& songImage, const std::vector<TPackedFile>& files,
                      const std::string& workFolder, const TInfoSink& showInfo);

// Unpacks a package into a new folder under tempFolder (ending in "/")
// after removing the folders of earlier packages except keepFolder. The
// first ".zmp" file in it (name order), or an empty name when it holds none
// (the song reader then reports the file). No value when the archive can't
// be read or not every file in it could be unpacked (full disk, damaged
// entry); a message was shown then and the folder is removed.
std::optional<std::string> OpenSongPackage(TZipMaster& zip, const std::string& package,
                                           const std::string& tempFolder, const std::string& keepFolder,
                                           const TInfoSink& showInfo);

// The prefix of the package folders in the temporary folder.
extern const char* const PackageFolderPrefix;  // "Package-"

}  // namespace vs
