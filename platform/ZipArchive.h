#pragma once
// The archiver under the ZIP component: one call that adds files to an
// archive and one that extracts them, each driven by a record and reporting
// through a callback, with the number of files added or extracted as its
// result. Backed by libzip.
//
// Archives come from anywhere, so extraction trusts nothing in them: an
// entry is written only below the base folder, under a name made of plain
// components (no "..", no absolute path, no drive; "\" separates like "/"),
// never through a symbolic link, never as a link or device, only up to the
// size limits (counted while inflating, not taken from the header), and
// only once per name in any letter case. A file is written to a temporary
// name in its folder and renamed into place when it is complete and its
// checksum matched. An archive is likewise written to a temporary name and
// renamed over the old one only when complete.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vs {

// What the callback reports.
enum TZipAction : int {
  ZipActionNewFile = 1,     // Text: the entry name, Size: its size
  ZipActionProgress = 2,    // Size: bytes done since the last report
  ZipActionEndOfBatch = 3,
  ZipActionMessage = 4,     // Text: the message, ErrorCode: 0 or a TZipError
  ZipActionTotalFiles = 5,  // Size: the number of files the call will handle
  ZipActionTotalSize = 6,   // Size: their total size in bytes
};

// Error codes of callback messages.
enum TZipError : int {
  ZipErrNone = 0,
  ZipErrOpenArchive = 1,     // missing, unreadable, damaged or not a ZIP archive
  ZipErrReadEntry = 2,       // an entry could not be inflated (damaged, wrong checksum)
  ZipErrWriteFile = 3,       // an extracted file could not be written
  ZipErrUnsafeName = 4,      // an entry name that would leave the base folder
  ZipErrTooLarge = 5,        // over a size or count limit
  ZipErrDuplicateName = 6,   // a second entry or file of the same name
  ZipErrSourceFile = 7,      // a file to add is missing or not a plain file
  ZipErrPassword = 8,        // encrypted without a password, or a wrong one
  ZipErrCancelled = 9,       // the callback asked to stop
  ZipErrWriteArchive = 10,   // the archive could not be written
  ZipErrLinkEntry = 11,      // a link, device or other special entry
  ZipErrTargetFolder = 12,   // the base folder (or a folder in it) can't be used
  ZipErrTargetExists = 13,   // not overwritten (overwrite off, or not newer)
};

struct TZipCallbackInfo {
  int Action = 0;
  int ErrorCode = 0;
  int64_t Size = 0;
  std::string Text;
};

// Returns -1 to stop the call, 0 to go on. Called synchronously from within
// the add and extract calls.
using TZipCallback = std::function<int(const TZipCallbackInfo&)>;

constexpr int ZipMaxCompLevel = 9;

struct TZipAddRecord {
  TZipCallback Callback;
  bool Verbose = false;  // a message for every file
  std::string Password;  // at most 80 characters are used
  bool Encrypt = false;  // AES-256 with Password
  bool HiddenFiles = false;  // wildcards also match names beginning with "."
  int CompLevel = ZipMaxCompLevel;  // 0 stores, 1..9 deflate
  bool DirNames = false;  // store each file under its path (without a leading "/")
  bool RecurseDirs = false;  // wildcard names also search sub-folders
  bool Move = false;  // delete the files once the archive is written
  bool Update = false;  // add new files, replace entries only by newer files
  bool Freshen = false;  // replace entries only by newer files, add nothing new
  bool ZipTime = false;  // the archive takes the time of its newest entry
  bool ForceDOS = false;  // names stored as upper-case 8.3 names
  bool DirEntries = true;  // with DirNames, each folder gets an entry of its own
  // Move: the files go to the desktop's trash (undoable) instead of being
  // deleted for good; a file that can't go there is kept.
  bool MoveToTrash = true;
  // The folder the archive is built in before it replaces the old one.
  // The archive is built in an unnamed file beside the old one (named only
  // once complete), which leaves nothing in this folder or beside the
  // archive, whatever it names.
  std::string TempDir;
  // Files to add: paths; the file-name part may hold "*" and "?".
  std::vector<std::string> FileSpecs;
  std::string ArchiveName;
};

// Bounds on what one extraction may write.
constexpr uint64_t ZipDefaultMaxEntrySize = uint64_t(1) << 30;  // 1 GiB
constexpr uint64_t ZipDefaultMaxTotalSize = uint64_t(4) << 30;  // 4 GiB
constexpr int64_t ZipDefaultMaxEntries = 65535;
constexpr size_t ZipMaxNameLength = 255;  // bytes of one name component

struct TZipExtractRecord {
  TZipCallback Callback;
  bool Verbose = false;
  std::string Password;
  bool Test = false;  // inflate and check every entry, write nothing
  bool Update = false;  // write new files and replace older ones
  bool Freshen = false;  // only replace existing older files
  bool DirNames = false;  // keep the entries' folders (else bare file names)
  bool OverWrite = false;  // replace existing files
  // Entry names to extract ("*" and "?", any case, matched against the
  // whole name or its file part); empty: all.
  std::vector<std::string> FileSpecs;
  std::string ArchiveName;
  // Where the archive begins in the file: the size of any data in front of
  // it (its stored offsets count from here).
  uint64_t ArchiveStart = 0;
  std::string BaseDir;  // must be an existing folder
  uint64_t MaxEntrySize = ZipDefaultMaxEntrySize;
  uint64_t MaxTotalSize = ZipDefaultMaxTotalSize;
  int64_t MaxEntries = ZipDefaultMaxEntries;
  // Each file reaches the disk before it takes its name. A scratch folder
  // that goes with the process needs no such wait (a sync costs
  // milliseconds, for each of thousands of entries).
  bool SyncFiles = true;
};

// Adds the files; returns the number added (0 after a failure, which is
// reported as a callback message; the archive is then unchanged).
int ZipAddExec(const TZipAddRecord& record);
// Extracts the entries; returns the number written (tested, with Test).
// Entries that can't be extracted are reported one by one and skipped.
int ZipExtractExec(const TZipExtractRecord& record);

// One entry of an archive's directory.
struct TZipDirEntry {
  std::string Name;  // as UTF-8 (names without the UTF-8 flag read as code page 437)
  std::string Comment;
  uint64_t CompressedSize = 0;
  uint64_t UncompressedSize = 0;
  uint32_t CRC32 = 0;
  uint16_t Method = 0;  // 0 stored, 8 deflated ...
  int64_t ModTime = 0;  // seconds since 1970
  bool Encrypted = false;
  uint8_t HostSystem = 0;  // version-made-by host: 0 MS-DOS, 3 Unix, 11 NTFS ...
  uint32_t ExternalAttributes = 0;
  // As the directory's own header holds them (the archive component reads
  // them there).
  uint16_t VersionMadeBy = 0;
  uint16_t Flags = 0;
  uint64_t LocalHeaderOffset = 0;
  std::string Header;  // the header's 42 bytes after its signature
};

// Reads an archive's directory. 0, or ZipErrOpenArchive with the reason in
// error (entries then empty).
int ZipReadDirectory(const std::string& archiveName, std::vector<TZipDirEntry>& entries, std::string& error);

// The relative path an entry name is extracted to: its components joined by
// "/" (only the last one without dirNames). Empty when the name is unsafe:
// absolute, with a drive, with a ".." component, with control characters or
// with a component longer than ZipMaxNameLength; or when nothing is left.
std::string SafeEntryPath(std::string_view name, bool dirNames);

// A stored name as an upper-case 8.3 name, component by component:
// characters a DOS name can't hold become "_".
std::string DosEntryName(std::string_view name);

// Moves a file to the desktop's trash ($XDG_DATA_HOME/Trash, with its
// information file). False, with the file left where it is, when it can't.
bool MoveFileToTrash(const std::string& path);

}  // namespace vs
