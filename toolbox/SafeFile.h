#pragma once
// Safe writing of files: everything goes to a temporary file in the target's
// folder and is renamed over the target only after a complete, checked and
// synced write. A failed write (full disk, I/O error) leaves an existing
// target untouched and removes the temporary file.
//
// Where the file system allows it the temporary file has no name until it
// is complete (O_TMPFILE): a process killed while writing leaves nothing.
// Elsewhere it is a hidden name with the process id and a random part;
// what a killed run left that way is removed the next time a file is
// written into that folder. A symbolic link is written through: the file it
// points to is replaced, or created when the link dangles. A target that
// exists and is not a regular file (a folder, FIFO or device) is refused.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vs {

// What writing a file hands back: written, or not with the system's reason.
// The error of a target that exists and is not a regular file.
constexpr int NotRegularFileError = -1;
// The text of a write's error number ("No space left on device").
std::string WriteErrorText(int error);

struct TWriteResult {
  int SystemError = 0;  // the failure's error number; 0 when written

  operator bool() const { return SystemError == 0; }
  // Not a number to compare: the reason is for the user.
  bool operator==(int) const = delete;
  // The system's text for the failure ("No space left on device").
  std::string Reason() const;
};

class TSafeFile {
public:
  TSafeFile() = default;
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;
  ~TSafeFile();  // abandons a write that was not committed

  // Creates the temporary file beside `target`. False when it can't be made.
  bool Open(const std::string& target);
  // Appends bytes at the current end of what was written.
  bool Write(const void* data, size_t size);
  // Overwrites bytes already written (patching lengths in headers).
  bool WriteAt(uint64_t offset, const void* data, size_t size);
  // Bytes written so far (the size of the file when committed).
  uint64_t Size() const { return Size_; }
  // True once any operation failed; Commit will then fail.
  bool Failed() const { return Failed_; }
  // The error number of the first failure (0 while none failed).
  int Error() const { return Error_; }
  // Syncs the data, renames the temporary file over the target and syncs the
  // folder. False (target untouched, temporary file removed) on any failure.
  bool Commit();
  // Drops the temporary file; the target stays as it was.
  void Abandon();

  const std::string& Target() const { return Target_; }
  // The temporary file's name; empty while it has none (unnamed).
  const std::string& TempName() const { return Temp_; }
  // The system's text for the first failure.
  std::string Reason() const { return WriteErrorText(Error_); }

private:
  void Fail(int error);
  bool LinkUnnamed(std::string& name);

  int Fd_ = -1;
  bool Unnamed_ = false;
  bool Failed_ = false;
  int Error_ = 0;
  uint64_t Size_ = 0;
  std::string Target_;
  std::string Temp_;
};

// Whether temporary files may be unnamed where the file system allows it
// (true by default); false makes every write take the named way.
void SetUnnamedTempFiles(bool allowed);

// Writes a whole file at once with TSafeFile.
TWriteResult WriteFileSafely(const std::string& target, const void* data, size_t size);
inline TWriteResult WriteFileSafely(const std::string& target, const std::string& bytes) {
  return WriteFileSafely(target, bytes.data(), bytes.size());
}

// Makes a file that another writer (a library that wants a path) has
// finished at `finished` the target: syncs it, renames it over the target
// (through a symbolic link, as TSafeFile does) and syncs the folder. On any
// failure the finished file is removed and the target stays as it was.
bool CommitFinishedFile(const std::string& finished, const std::string& target);

// A name for such a file in the target's folder that does not exist yet
// (hidden, with the process id, a counter and a random part); empty when
// none was found.
std::string TempNameBeside(const std::string& target);

// Whether a folder entry's name has the form of those temporary names.
bool IsTempFileName(const std::string& name);

// Removes the temporary files of target that runs killed while writing it
// left (the names above, owned by this user, whose process no longer runs).
// Nothing else is touched. Returns the files removed.
int RemoveStaleTempFiles(const std::string& target);
// The same for every file of the folder: our temporary names, owned by
// this user, whose process no longer runs and which no writer holds.
int RemoveStaleTempFilesIn(const std::string& folder);

}  // namespace vs
