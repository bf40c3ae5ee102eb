#pragma once
// Safe writing of files: everything goes to a temporary name in the target's
// folder and is renamed over the target only after a complete, checked and
// synced write. A failed write (full disk, I/O error) leaves an existing
// target untouched and removes the temporary file.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vs {

// What writing a file hands back: written, or not with the system's reason.
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
  const std::string& TempName() const { return Temp_; }

private:
  void Fail(int error);

  int Fd_ = -1;
  bool Failed_ = false;
  int Error_ = 0;
  uint64_t Size_ = 0;
  std::string Target_;
  std::string Temp_;
};

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
// (hidden, with the process id and a counter); empty when none was found.
std::string TempNameBeside(const std::string& target);

// Removes the temporary files of target that runs killed while writing it
// left (the names above, owned by this user, whose process no longer runs).
// Nothing else is touched. Returns the files removed.
int RemoveStaleTempFiles(const std::string& target);

}  // namespace vs
