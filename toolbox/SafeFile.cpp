#include "toolbox/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "toolbox/AllTools.h"

namespace vs {

namespace {

std::atomic<unsigned> TempCounter{0};
std::atomic<bool> UnnamedAllowed{true};

constexpr std::string_view TempMark = ".tmp-";

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write of `target` replaces or creates: symbolic links are
// followed to their end, also when that end does not exist yet. Empty, with
// the error number, when the target can't be written as a file.
std::string ResolveTarget(const std::string& target, int* error) {
  std::string path = target;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) return path;  // created (its folder must exist)
      if (error) *error = errno;
      return {};
    }
    if (S_ISREG(st.st_mode)) return path;
    if (!S_ISLNK(st.st_mode)) {
      if (error) *error = S_ISDIR(st.st_mode) ? EISDIR : NotRegularFileError;
      return {};
    }
    char buf[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) {
      if (error) *error = n < 0 ? errno : ENOENT;
      return {};
    }
    const std::string link(buf, size_t(n));
    path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  if (error) *error = ELOOP;
  return {};
}

// The start of a temporary name for `real` in its folder: hidden, the file's
// name, the process id. A long name is cut so that the whole temporary name
// stays within what a folder entry may hold (255 bytes).
std::string TempBase(const std::string& real) {
  constexpr size_t MaxNameBytes = 200;
  const std::string name = NameOf(real);
  return FolderOf(real) + "/." + name.substr(0, MaxNameBytes) + std::string(TempMark) + std::to_string(getpid()) +
         "-";
}

// 64 bits from the system's random source (the clock and the counter where
// it has none to give).
uint64_t RandomBits() {
  uint64_t bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == ssize_t(sizeof bits)) return bits;
  return uint64_t(time(nullptr)) * 6364136223846793005ull ^ (uint64_t(getpid()) << 32) ^ TempCounter.load();
}

// A counter and a random part after the base, new for every attempt.
std::string NewTempName(const std::string& base) {
  static const char Hex[] = "0123456789abcdef";
  uint64_t bits = RandomBits();
  std::string random(16, '0');
  for (char& c : random) {
    c = Hex[bits & 15];
    bits >>= 4;
  }
  return base + std::to_string(TempCounter.fetch_add(1)) + "-" + random;
}

bool AllOf(const std::string& s, const char* chars) {
  return !s.empty() && s.find_first_not_of(chars) == std::string::npos;
}

// The process id in one of our temporary names; 0 when it is none.
long TempNamePid(const std::string& name) {
  if (name.size() < 2 || name[0] != '.') return 0;
  const size_t mark = name.rfind(TempMark);
  if (mark == std::string::npos || mark < 2) return 0;
  const std::string rest = name.substr(mark + TempMark.size());
  const size_t first = rest.find('-');
  const size_t second = first == std::string::npos ? first : rest.find('-', first + 1);
  if (second == std::string::npos) return 0;
  const std::string pid = rest.substr(0, first), counter = rest.substr(first + 1, second - first - 1),
                    random = rest.substr(second + 1);
  if (pid.size() > 9 || !AllOf(pid, "0123456789") || !AllOf(counter, "0123456789") ||
      !AllOf(random, "0123456789abcdef"))
    return 0;
  return std::stol(pid);
}

// Removes one leftover when it is ours, stale and not being written.
bool RemoveIfStale(const std::string& path, long pid) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) return false;
  if (ProcessRuns(pid)) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  // A writer holds its temporary file locked (a process of another pid
  // namespace may show an id that does not run here).
  const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
  const bool removed = free && unlink(path.c_str()) == 0;
  close(fd);
  return removed;
}

// 0 when written, else the error number.
int WriteAll(int fd, const void* data, size_t size, off_t offset) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = pwrite(fd, p, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno ? errno : EIO;
    }
    if (n == 0) return EIO;
    p += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return 0;
}

void SyncFolder(const std::string& folder) {
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

}  // namespace

std::string WriteErrorText(int error) {
  if (error == 0) return {};
  if (error == NotRegularFileError) return "It exists and is not a regular file";
  return std::strerror(error);
}

std::string TWriteResult::Reason() const { return WriteErrorText(SystemError); }

void SetUnnamedTempFiles(bool allowed) { UnnamedAllowed.store(allowed); }

TSafeFile::~TSafeFile() { Abandon(); }

void TSafeFile::Fail(int error) {
  if (!Failed_) Error_ = error ? error : EIO;
  Failed_ = true;
}

bool TSafeFile::Open(const std::string& target) {
  Abandon();
  Failed_ = false;
  Error_ = 0;
  Size_ = 0;
  Unnamed_ = false;
  if (target.empty() || target.back() == '/') {
    Fail(EISDIR);
    return false;
  }
  int error = 0;
  Target_ = ResolveTarget(target, &error);
  if (Target_.empty()) {
    Target_ = target;
    Fail(error);
    return false;
  }
  const std::string folder = FolderOf(Target_);
  RemoveStaleTempFilesIn(folder);
  int fd = -1;
  if (UnnamedAllowed.load()) {
    fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    Unnamed_ = fd >= 0;
  }
  if (fd < 0) {
    const std::string base = TempBase(Target_);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = NewTempName(base);
      fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        Temp_ = name;
        break;
      }
      if (errno != EEXIST) break;
    }
  }
  if (fd < 0) {
    Fail(errno);
    return false;
  }
  Fd_ = fd;
  // Marks the file as being written for whoever clears leftovers.
  flock(fd, LOCK_EX | LOCK_NB);
  // Keep the permissions of the file being replaced.
  struct stat st;
  if (stat(Target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) fchmod(fd, st.st_mode & 07777);
  return true;
}

bool TSafeFile::Write(const void* data, size_t size) {
  if (Fd_ < 0 || Failed_) return false;
  if (const int error = WriteAll(Fd_, data, size, static_cast<off_t>(Size_))) {
    Fail(error);
    return false;
  }
  Size_ += size;
  return true;
}

bool TSafeFile::WriteAt(uint64_t offset, const void* data, size_t size) {
  if (Fd_ < 0 || Failed_) return false;
  if (offset > Size_ || size > Size_ - offset) {
    Fail(EINVAL);  // patches stay inside what was written
    return false;
  }
  if (const int error = WriteAll(Fd_, data, size, static_cast<off_t>(offset))) {
    Fail(error);
    return false;
  }
  return true;
}

// Gives the complete unnamed file a fresh temporary name beside the target
// (a link can't replace a file; the rename that follows does).
bool TSafeFile::LinkUnnamed(std::string& name) {
  const std::string base = TempBase(Target_);
  const std::string self = "/proc/self/fd/" + std::to_string(Fd_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = NewTempName(base);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno == EEXIST) continue;
    // Without /proc the descriptor itself is linked (needs the privilege).
    if (errno == ENOENT && linkat(Fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno != EEXIST) break;
  }
  name.clear();
  return false;
}

bool TSafeFile::Commit() {
  if (Fd_ < 0 || Failed_) {
    Abandon();
    return false;
  }
  int error = fsync(Fd_) == 0 ? 0 : errno;
  if (error == 0 && Unnamed_ && !LinkUnnamed(Temp_)) error = errno ? errno : EIO;
  if (error == 0 && rename(Temp_.c_str(), Target_.c_str()) != 0) error = errno;
  // The descriptor, and with it the lock, is kept until the name is gone.
  if (close(Fd_) != 0 && error == 0) error = errno;
  Fd_ = -1;
  if (error != 0) {
    if (!Temp_.empty()) unlink(Temp_.c_str());
    Temp_.clear();
    Fail(error);
    return false;
  }
  Temp_.clear();
  SyncFolder(FolderOf(Target_));
  return true;
}

void TSafeFile::Abandon() {
  if (Fd_ >= 0) {
    close(Fd_);
    Fd_ = -1;
  }
  if (!Temp_.empty()) {
    unlink(Temp_.c_str());
    Temp_.clear();
  }
}

TWriteResult WriteFileSafely(const std::string& target, const void* data, size_t size) {
  TSafeFile f;
  if (f.Open(target) && f.Write(data, size) && f.Commit()) return {};
  return {f.Error()};
}

bool CommitFinishedFile(const std::string& finished, const std::string& target) {
  const std::string real = finished.empty() || target.empty() || target.back() == '/'
                               ? std::string()
                               : ResolveTarget(target, nullptr);
  if (real.empty()) {
    if (!finished.empty()) unlink(finished.c_str());
    errno = EINVAL;
    return false;
  }
  bool ok = false;
  const int fd = open(finished.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd >= 0) {
    struct stat st;
    ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
  }
  if (ok) ok = rename(finished.c_str(), real.c_str()) == 0;
  if (!ok) {
    const int error = errno;
    unlink(finished.c_str());
    errno = error;
    return false;
  }
  SyncFolder(FolderOf(real));
  return true;
}

bool IsTempFileName(const std::string& name) { return TempNamePid(name) > 0; }

int RemoveStaleTempFiles(const std::string& target) {
  if (target.empty() || target.back() == '/') return 0;
  const std::string real = ResolveTarget(target, nullptr);
  if (real.empty()) return 0;
  const std::string folder = FolderOf(real);
  // "." + name (cut as TempBase cuts it) + ".tmp-" <pid> "-" <counter> "-" <random>
  const std::string start = NameOf(TempBase(real));
  const std::string prefix = start.substr(0, start.rfind(TempMark) + TempMark.size());
  int removed = 0;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0 || name.find(TempMark, prefix.size()) != std::string::npos)
      continue;
    if (const long pid = TempNamePid(name); pid > 0 && RemoveIfStale(folder + "/" + name, pid)) ++removed;
  }
  closedir(dir);
  return removed;
}

int RemoveStaleTempFilesIn(const std::string& folder) {
  int removed = 0;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (const long pid = TempNamePid(name); pid > 0 && RemoveIfStale(folder + "/" + name, pid)) ++removed;
  }
  closedir(dir);
  return removed;
}

std::string TempNameBeside(const std::string& target) {
  if (target.empty() || target.back() == '/') return {};
  const std::string real = ResolveTarget(target, nullptr);
  if (real.empty()) return {};
  const std::string base = TempBase(real);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = NewTempName(base);
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
  }
  return {};
}

}  // namespace vs
