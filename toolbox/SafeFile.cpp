#include "toolbox/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "toolbox/AllTools.h"

namespace vs {

namespace {

std::atomic<unsigned> TempCounter{0};

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

// A symbolic link is written through: the file it points to is replaced.
std::string ResolveTarget(const std::string& target) {
  struct stat st;
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char buf[PATH_MAX];
    if (realpath(target.c_str(), buf)) return buf;
  }
  return target;
}

// The start of a temporary name for `real` in its folder: hidden, the file's
// name, the process id. A long name is cut so that the whole temporary name
// stays within what a folder entry may hold (255 bytes).
std::string TempBase(const std::string& real) {
  constexpr size_t MaxNameBytes = 200;
  const std::string name = NameOf(real);
  return FolderOf(real) + "/." + name.substr(0, MaxNameBytes) + ".tmp-" + std::to_string(getpid()) + "-";
}

// A counter and a random part after the base, new for every attempt.
std::string NewTempName(const std::string& base) {
  return base + std::to_string(TempCounter.fetch_add(1)) + "-" + std::to_string(rand() & 0xFFFF);
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

}  // namespace

std::string TWriteResult::Reason() const { return SystemError == 0 ? std::string() : std::strerror(SystemError); }

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
  if (target.empty() || target.back() == '/') {
    Fail(EISDIR);
    return false;
  }
  Target_ = ResolveTarget(target);
  const std::string base = TempBase(Target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = NewTempName(base);
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      Fd_ = fd;
      Temp_ = name;
      // Keep the permissions of the file being replaced.
      struct stat st;
      if (stat(Target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) fchmod(fd, st.st_mode & 07777);
      return true;
    }
    if (errno != EEXIST) break;
  }
  Fail(errno);
  return false;
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

bool TSafeFile::Commit() {
  if (Fd_ < 0 || Failed_) {
    Abandon();
    return false;
  }
  int error = fsync(Fd_) == 0 ? 0 : errno;
  if (close(Fd_) != 0 && error == 0) error = errno;
  Fd_ = -1;
  if (error == 0 && rename(Temp_.c_str(), Target_.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(Temp_.c_str());
    Temp_.clear();
    Fail(error);
    return false;
  }
  Temp_.clear();
  int dir = open(FolderOf(Target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
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
  if (finished.empty() || target.empty() || target.back() == '/') {
    if (!finished.empty()) unlink(finished.c_str());
    return false;
  }
  const std::string real = ResolveTarget(target);
  bool ok = false;
  const int fd = open(finished.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd >= 0) {
    struct stat st;
    ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
  }
  if (ok) ok = rename(finished.c_str(), real.c_str()) == 0;
  if (!ok) {
    unlink(finished.c_str());
    return false;
  }
  int dir = open(FolderOf(real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

int RemoveStaleTempFiles(const std::string& target) {
  if (target.empty() || target.back() == '/') return 0;
  const std::string real = ResolveTarget(target);
  const std::string folder = FolderOf(real);
  // "." + name (cut as TempBase cuts it) + ".tmp-" <pid> "-" <counter> "-" <random>
  const std::string start = NameOf(TempBase(real));
  const std::string prefix = start.substr(0, start.rfind(".tmp-") + 5);
  int removed = 0;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = name.substr(prefix.size());
    const size_t first = rest.find('-');
    const size_t second = first == std::string::npos ? first : rest.find('-', first + 1);
    if (second == std::string::npos || first == 0 || first > 9) continue;
    bool digits = second + 1 < rest.size();
    for (size_t i = 0; i < rest.size() && digits; ++i)
      if (i != first && i != second && (rest[i] < '0' || rest[i] > '9')) digits = false;
    if (!digits) continue;
    const std::string path = folder + "/" + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) continue;
    if (ProcessRuns(std::stol(rest.substr(0, first)))) continue;
    if (unlink(path.c_str()) == 0) ++removed;
  }
  closedir(dir);
  return removed;
}

std::string TempNameBeside(const std::string& target) {
  if (target.empty() || target.back() == '/') return {};
  const std::string base = TempBase(ResolveTarget(target));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = NewTempName(base);
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
  }
  return {};
}

}  // namespace vs
