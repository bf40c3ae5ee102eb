#pragma once
// The ZIP archive component: an archive name, the files to add or the
// entries to extract, options, and the archiver's progress and messages as
// events. Add and Extract drive the archiver (platform/ZipArchive.h) with a
// record built from the properties and keep its count of files handled;
// List reads the archive's directory.
//
// The component's own failures are messages by id (ShowZipMessage): the id
// becomes the last error code, the text the last message; unless Unattended
// the text is shown in a message box; OnMessage hears it with error code 0.
// The archiver's failures arrive as callback messages; after a call that
// had any, the first is shown in one box (unless Unattended).

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ZipArchive.h"

namespace vs {

enum TZipProgressType : int {
  ProgressNewFile = 0,
  ProgressUpdate = 1,
  ProgressEndOfBatch = 2,
  ProgressTotalFiles = 3,
  ProgressTotalSize = 4,
};

// Add options (a set: bits of these values).
enum TAddOption : uint32_t {
  AddDirNames = 1u << 0,
  AddRecurseDirs = 1u << 1,
  AddMove = 1u << 2,
  AddFreshen = 1u << 3,
  AddUpdate = 1u << 4,
  AddHiddenFiles = 1u << 5,
  AddEncrypt = 1u << 6,
  AddZipTime = 1u << 7,       // the archive dated as its newest file
  AddForceDOS = 1u << 8,      // names stored as upper-case 8.3 names
  AddSeparateDirs = 1u << 9,  // no entries of their own for folders
};

// How entry names without the UTF-8 mark are read: by their host (cpAuto:
// MS-DOS, OS/2 and older NTFS names are OEM text), never as OEM text
// (cpNone), or always (cpOEM).
enum TZipCodePage { cpAuto, cpNone, cpOEM };
// What Add with AddMove does with the files it took: into the desktop's
// trash (htdAllowUndo) or deleted for good (htdFinal).
enum TZipHowToDelete { htdFinal, htdAllowUndo };

// Extract options (a set: bits of these values).
enum TExtrOption : uint32_t {
  ExtrDirNames = 1u << 0,
  ExtrOverWrite = 1u << 1,
  ExtrFreshen = 1u << 2,
  ExtrUpdate = 1u << 3,
  ExtrTest = 1u << 4,
};

// Message ids of the component.
enum TZipMessageId : int {
  ZipMsgNoArchive = 10102,        // no archive name, or the archive is missing
  ZipMsgDamaged = 10201,          // the directory can't be read
  ZipMsgFrontData = 10203,        // data in front of the archive: the offsets are moved
  ZipMsgNothingToAdd = 10301,
  ZipMsgNoPassword = 10302,       // encryption without a password while unattended
  ZipMsgHeaderShort = 11013,      // the directory ends inside an entry's header
  ZipMsgHeaderSignature = 11015,  // an entry's header has no header signature
  ZipMsgNameShort = 11017,        // the directory ends inside an entry's name
  ZipMsgCommentShort = 11022,     // the directory ends inside an entry's comment
};

// A directory that can't be read: the message id and its text.
class EZipMaster : public std::runtime_error {
public:
  EZipMaster(int id, const std::string& message) : std::runtime_error(message), Id(id) {}
  int Id;
};

// An archive's directory as the component reads it itself, from the end of
// the file: entries with their own header fields and names converted by
// codePage; Shift is what data in front of the archive adds to every stored
// offset (0 when there is none). Error is 0, or the message id of the
// failure with a Detail. readAt reads up to size bytes at offset and returns
// how many it read.
struct TZipDirectory {
  std::vector<TZipDirEntry> Entries;
  int64_t Shift = 0;
  uint64_t FirstLocalHeader = 0;  // the smallest local-header offset
  int Error = 0;
  std::string Detail;
};
using TZipReadAt = std::function<size_t(uint64_t offset, void* buffer, size_t size)>;
TZipDirectory ReadZipDirectoryAt(uint64_t fileSize, const TZipReadAt& readAt, TZipCodePage codePage);
// An entry's name as text: marked UTF-8 names as they are; OEM names by
// the code page rule above; other names as UTF-8 when they are, else as
// Windows text.
std::string ZipEntryNameText(std::string_view raw, uint16_t versionMadeBy, uint16_t flags, TZipCodePage codePage);

// The text of a message id; an id without a text reads as the missing-text
// notice followed by the id.
std::string ZipMessageText(int id);
extern const char* const ZipMissingTextNotice;

class TZipMaster {
public:
  using TProgressEvent = std::function<void(TZipProgressType type, const std::string& fileName, int64_t size)>;
  using TMessageEvent = std::function<void(int errorCode, const std::string& message)>;

  TZipMaster() = default;
  TZipMaster(const TZipMaster&) = delete;
  TZipMaster& operator=(const TZipMaster&) = delete;

  bool Verbose = false;
  bool Trace = false;  // also makes the archiver verbose
  int AddCompLevel = 9;
  uint32_t AddOptions = 0;
  std::string ExtrBaseDir;
  uint32_t ExtrOptions = 0;
  std::vector<std::string> FSpecArgs;  // files to add; entries to extract (empty: all)
  bool Unattended = false;
  std::string Password;  // at most 80 characters are used
  std::string TempDir;   // accepted; Add builds the archive in an unnamed file beside it
  TZipCodePage CodePage = cpAuto;
  TZipHowToDelete HowToDelete = htdAllowUndo;
  // Bounds of Extract.
  uint64_t MaxExtractEntrySize = ZipDefaultMaxEntrySize;
  uint64_t MaxExtractTotalSize = ZipDefaultMaxTotalSize;
  // Extract syncs each file before it takes its name (off for a scratch
  // folder).
  bool ExtrSyncFiles = true;
  std::function<void()> OnDirUpdate;
  TProgressEvent OnProgress;
  TMessageEvent OnMessage;

  // Runs the program's pending window work; the component calls it after
  // every callback of the archiver, so that windows stay painted while it
  // works. None without windows.
  static inline std::function<void()> ProcessMessages;

  const std::string& ZipFilename() const { return FileName; }
  // Stores the name and reads its directory (List).
  void SetZipFilename(const std::string& name);
  const char* VersionInfo() const { return "1.52 K"; }

  // Reads the directory of ZipFilename when the file exists, then fires
  // OnDirUpdate; a missing file gives an empty list. Data in front of the
  // archive is shown as ZipMsgFrontData and the offsets taken as moved. A
  // directory that can't be read clears the list, becomes the last error
  // and raises EZipMaster with its text; the caller reports it.
  void List();
  const std::vector<TZipDirEntry>& Entries() const { return DirEntries; }
  int Count() const { return static_cast<int>(DirEntries.size()); }

  // Adds every file of FSpecArgs to ZipFilename; FSpecArgs is cleared after.
  void Add();
  // Extracts from ZipFilename into ExtrBaseDir (when it is an existing
  // folder, else the current folder); FSpecArgs is cleared after.
  void Extract();
  // Asks a running Add or Extract to stop (from a callback).
  void Cancel() { Cancelled = true; }

  int SuccessCnt() const { return Success; }
  int ErrCode() const { return ErrorCode; }
  const std::string& Message() const { return LastMessage; }

  // Shows a message of the component by id, with detail appended.
  void ShowZipMessage(int id, const std::string& detail = {});

private:
  int Callback(const TZipCallbackInfo& info);
  void BeginCall();
  void ReportArchiverErrors();

  std::string FileName;
  std::vector<TZipDirEntry> DirEntries;
  int64_t FrontShift = 0;  // data in front of the archive, as List found it
  int Success = 0;
  int ErrorCode = 0;
  std::string LastMessage;
  bool Cancelled = false;
  bool Adding = false;
  bool Extracting = false;
  int ArchiverErrors = 0;
  std::string FirstArchiverError;
  int64_t TotalSize = 0;
  std::chrono::steady_clock::time_point LastWindowWork{};
};

}  // namespace vs
