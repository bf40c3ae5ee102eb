#include "platform/ZipArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"
#include "toolbox/SafeFile.h"
#include "platform/SystemLibraries.h"

namespace vs {

namespace fs = std::filesystem;

namespace {

constexpr size_t ChunkSize = 64 * 1024;
// How much an entry that inflates past its size is read on to tell damage
// from a false size.
constexpr uint64_t DamageLookahead = 16 * 1024 * 1024;
constexpr size_t MaxPasswordLength = 80;

// Reports to a record's callback; remembers a request to stop.
class TReporter {
public:
  explicit TReporter(const TZipCallback& callback) : Callback(callback) {}

  void Send(int action, int64_t size, const std::string& text = {}, int error = 0) {
    if (!Callback) return;
    TZipCallbackInfo info;
    info.Action = action;
    info.ErrorCode = error;
    info.Size = size;
    info.Text = text;
    if (Callback(info) == -1) Stopped = true;
  }
  void Message(int error, const std::string& text) { Send(ZipActionMessage, 0, text, error); }

  bool Stopped = false;

private:
  const TZipCallback& Callback;
};

std::string ZipErrorText(int code) {
  zip_error_t e;
  zip_error_init_with_code(&e, code);
  std::string text = zip_error_strerror(&e);
  zip_error_fini(&e);
  return text;
}

std::string ArchiveErrorText(zip_t* za) { return zip_strerror(za); }

bool IsWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

std::string LimitPassword(const std::string& password) { return password.substr(0, MaxPasswordLength); }

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path, struct stat* out = nullptr) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (out) *out = st;
  return true;
}

// ------------------------------------------------------------------ adding

struct TAddFile {
  std::string Path;
  std::string Stored;
  int64_t Size = 0;
  int64_t ModTime = 0;
};

std::string StoredNameFor(const std::string& path, bool dirNames) {
  if (!dirNames) return ExtractFileName(path);
  std::string stored = path;
  while (stored.rfind("./", 0) == 0) stored.erase(0, 2);
  while (!stored.empty() && stored.front() == '/') stored.erase(0, 1);
  return stored;
}

void CollectMatches(const std::string& folder, const std::string& mask, const TZipAddRecord& rec,
                    std::vector<std::string>& out) {
  std::error_code ec;
  std::vector<std::string> files, dirs;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!rec.HiddenFiles && !name.empty() && name[0] == '.') continue;
    const std::string path = AddBackslash(folder) + name;
    std::error_code ec2;
    const fs::file_status st = it->symlink_status(ec2);
    if (fs::is_directory(st)) {
      if (rec.RecurseDirs) dirs.push_back(path);
    } else if (MatchesMask(name, mask) && IsRegularFile(path)) {
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  std::sort(dirs.begin(), dirs.end());
  out.insert(out.end(), files.begin(), files.end());
  for (const std::string& d : dirs) CollectMatches(d, mask, rec, out);
}

// The archive being added to, as libzip sees it: the old archive (when
// there is one) is read from its file, and the new one is written through a
// safe file that replaces it only once complete, so that a failed or
// killed write leaves the old archive and no temporary file.
class TArchiveSource {
public:
  explicit TArchiveSource(const std::string& name) : Name(name) {
    zip_error_init(&Error);
    struct stat st {};
    if (IsRegularFile(name, &st)) {
      Fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
      Size = static_cast<uint64_t>(st.st_size);
      ModTime = st.st_mtime;
    }
  }
  ~TArchiveSource() {
    if (Fd >= 0) ::close(Fd);
    zip_error_fini(&Error);
  }
  bool Exists() const { return Fd >= 0; }
  // Makes a libzip source over this object, which it then owns.
  static zip_source_t* Make(const std::string& name, zip_error_t* error) {
    auto* self = new TArchiveSource(name);
    zip_source_t* src = zip_source_function_create(&TArchiveSource::Call, self, error);
    if (!src) delete self;
    return src;
  }
  static bool Existing(const std::string& name) { return IsRegularFile(name); }

private:
  static zip_int64_t Call(void* ud, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    return static_cast<TArchiveSource*>(ud)->Handle(data, len, cmd);
  }
  zip_int64_t Fail(int zipError, int systemError) {
    zip_error_set(&Error, zipError, systemError);
    return -1;
  }
  zip_int64_t Handle(void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    switch (cmd) {
      case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
      case ZIP_SOURCE_STAT: {
        if (Fd < 0) return Fail(ZIP_ER_READ, ENOENT);  // a new archive
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = Size;
        st->mtime = ModTime;
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(*st);
      }
      case ZIP_SOURCE_OPEN:
        if (Fd < 0) return Fail(ZIP_ER_OPEN, ENOENT);
        ReadAt = 0;
        return 0;
      case ZIP_SOURCE_READ: {
        const ssize_t n = ::pread(Fd, data, len, static_cast<off_t>(ReadAt));
        if (n < 0) return Fail(ZIP_ER_READ, errno);
        ReadAt += static_cast<uint64_t>(n);
        return n;
      }
      case ZIP_SOURCE_CLOSE: return 0;
      case ZIP_SOURCE_SEEK: {
        const zip_int64_t at = zip_source_seek_compute_offset(ReadAt, Size, data, len, &Error);
        if (at < 0) return -1;
        ReadAt = static_cast<uint64_t>(at);
        return 0;
      }
      case ZIP_SOURCE_TELL: return static_cast<zip_int64_t>(ReadAt);
      case ZIP_SOURCE_BEGIN_WRITE:
        WriteAt = 0;
        if (!Out.Open(Name)) return Fail(ZIP_ER_TMPOPEN, Out.Error() > 0 ? Out.Error() : EINVAL);
        return 0;
      case ZIP_SOURCE_WRITE: {
        // Within what was written the bytes are patched; past it appended.
        const auto* bytes = static_cast<const uint8_t*>(data);
        const uint64_t inside = WriteAt < Out.Size() ? std::min<uint64_t>(len, Out.Size() - WriteAt) : 0;
        if (inside > 0 && !Out.WriteAt(WriteAt, bytes, inside)) return Fail(ZIP_ER_WRITE, Out.Error());
        if (len > inside) {
          if (WriteAt + inside != Out.Size()) return Fail(ZIP_ER_SEEK, EINVAL);
          if (!Out.Write(bytes + inside, len - inside)) return Fail(ZIP_ER_WRITE, Out.Error());
        }
        WriteAt += len;
        return static_cast<zip_int64_t>(len);
      }
      case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t at = zip_source_seek_compute_offset(WriteAt, Out.Size(), data, len, &Error);
        if (at < 0) return -1;
        WriteAt = static_cast<uint64_t>(at);
        return 0;
      }
      case ZIP_SOURCE_TELL_WRITE: return static_cast<zip_int64_t>(WriteAt);
      case ZIP_SOURCE_COMMIT_WRITE:
        if (!Out.Commit()) return Fail(ZIP_ER_WRITE, Out.Error() > 0 ? Out.Error() : EIO);
        return 0;
      case ZIP_SOURCE_ROLLBACK_WRITE:
        Out.Abandon();
        return 0;
      case ZIP_SOURCE_REMOVE: return 0;  // an archive left empty keeps its old file
      case ZIP_SOURCE_ERROR: return zip_error_to_data(&Error, data, len);
      case ZIP_SOURCE_FREE:
        delete this;
        return 0;
      default: return Fail(ZIP_ER_OPNOTSUPP, 0);
    }
  }

  std::string Name;
  int Fd = -1;
  uint64_t Size = 0;
  time_t ModTime = 0;
  uint64_t ReadAt = 0;
  uint64_t WriteAt = 0;
  TSafeFile Out;
  zip_error_t Error;
};

struct TAddState {
  TReporter* Report;
  int64_t TotalSize;
  double LastProgress = 0;
};

void AddProgress(zip_t*, double progress, void* ud) {
  auto* s = static_cast<TAddState*>(ud);
  const double step = progress - s->LastProgress;
  if (step <= 0) return;
  s->LastProgress = progress;
  s->Report->Send(ZipActionProgress, static_cast<int64_t>(step * static_cast<double>(s->TotalSize)));
}

int AddCancel(zip_t*, void* ud) { return static_cast<TAddState*>(ud)->Report->Stopped ? 1 : 0; }

// --------------------------------------------------------------- extracting

// A folder descriptor that closes itself.
class TDirFd {
public:
  explicit TDirFd(int fd = -1) : Fd(fd) {}
  TDirFd(TDirFd&& o) noexcept : Fd(o.Fd) { o.Fd = -1; }
  TDirFd& operator=(TDirFd&& o) noexcept {
    if (this != &o) {
      Close();
      Fd = o.Fd;
      o.Fd = -1;
    }
    return *this;
  }
  ~TDirFd() { Close(); }
  void Close() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }
  int Fd;
};

// Opens (making it when asked) each folder of rel below base without
// following links. The folder of the last component, or -1.
TDirFd OpenParentFolder(int base, const std::string& rel, bool make, std::string& leaf) {
  TDirFd dir(::dup(base));
  size_t start = 0;
  for (;;) {
    const size_t slash = rel.find('/', start);
    if (slash == std::string::npos) {
      leaf = rel.substr(start);
      return dir;
    }
    const std::string part = rel.substr(start, slash - start);
    if (make && ::mkdirat(dir.Fd, part.c_str(), 0755) != 0 && errno != EEXIST) return TDirFd();
    TDirFd next(::openat(dir.Fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.Fd < 0) return TDirFd();
    dir = std::move(next);
    start = slash + 1;
  }
}

bool WriteAllFd(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool MatchesSpecs(const std::string& name, const std::vector<std::string>& specs) {
  if (specs.empty()) return true;
  const std::string bare = ExtractFileName(name);
  for (const std::string& spec : specs)
    if (MatchesMask(name, spec) || MatchesMask(bare, spec)) return true;
  return false;
}

bool IsSpecialEntry(zip_t* za, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(za, index, 0, &system, &attributes) != 0) return false;
  if (system != ZIP_OPSYS_UNIX) return false;
  const mode_t mode = static_cast<mode_t>(attributes >> 16);
  const mode_t type = mode & S_IFMT;
  return type != 0 && type != S_IFREG && type != S_IFDIR;
}

}  // namespace

// -------------------------------------------------------------- entry names

std::string SafeEntryPath(std::string_view name, bool dirNames) {
  if (name.empty()) return {};
  if (name[0] == '/' || name[0] == '\\') return {};
  if (name.size() >= 2 && name[1] == ':') return {};  // a drive
  std::vector<std::string> parts;
  std::string part;
  auto finish = [&]() -> bool {
    if (part == "..") return false;
    if (part.size() > ZipMaxNameLength) return false;
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
    return true;
  };
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return {};
    if (c == '/' || c == '\\') {
      if (!finish()) return {};
    } else {
      part += c;
    }
  }
  if (!finish() || parts.empty()) return {};
  if (!dirNames) return parts.back();
  std::string joined;
  for (const std::string& p : parts) {
    if (!joined.empty()) joined += '/';
    joined += p;
  }
  return joined;
}

// ------------------------------------------------------------------ directory

int ZipReadDirectory(const std::string& archiveName, std::vector<TZipDirEntry>& entries, std::string& error) {
  entries.clear();
  error.clear();
  if (!LoadLibZip(&error)) return ZipErrOpenArchive;
  int err = 0;
  zip_t* za = zip_open(archiveName.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!za) {
    error = ZipErrorText(err);
    return ZipErrOpenArchive;
  }
  const zip_int64_t count = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
      error = ArchiveErrorText(za);
      entries.clear();
      zip_discard(za);
      return ZipErrOpenArchive;
    }
    TZipDirEntry e;
    if (st.valid & ZIP_STAT_NAME) e.Name = st.name;
    zip_uint32_t commentLength = 0;
    if (const char* c = zip_file_get_comment(za, static_cast<zip_uint64_t>(i), &commentLength, 0))
      e.Comment.assign(c, commentLength);
    if (st.valid & ZIP_STAT_COMP_SIZE) e.CompressedSize = st.comp_size;
    if (st.valid & ZIP_STAT_SIZE) e.UncompressedSize = st.size;
    if (st.valid & ZIP_STAT_CRC) e.CRC32 = st.crc;
    if (st.valid & ZIP_STAT_COMP_METHOD) e.Method = st.comp_method;
    if (st.valid & ZIP_STAT_MTIME) e.ModTime = static_cast<int64_t>(st.mtime);
    e.Encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(za, static_cast<zip_uint64_t>(i), 0, &system, &attributes) == 0) {
      e.HostSystem = system;
      e.ExternalAttributes = attributes;
    }
    entries.push_back(std::move(e));
  }
  zip_discard(za);
  return ZipErrNone;
}

// ------------------------------------------------------------------ adding

int ZipAddExec(const TZipAddRecord& rec) {
  TReporter report(rec.Callback);
  if (rec.ArchiveName.empty()) {
    report.Message(ZipErrWriteArchive, "No archive name");
    return 0;
  }
  if (std::string why; !LoadLibZip(&why)) {
    report.Message(ZipErrWriteArchive, rec.ArchiveName + ": " + why);
    return 0;
  }
  // The files, in the order they were named; a file named twice goes in once.
  std::vector<TAddFile> files;
  std::map<std::string, std::string> byName;  // stored name in lower case -> path
  for (const std::string& spec : rec.FileSpecs) {
    std::vector<std::string> paths;
    if (IsWildcard(ExtractFileName(spec))) {
      CollectMatches(ExtractFilePath(spec), ExtractFileName(spec), rec, paths);
      if (paths.empty()) report.Message(ZipErrSourceFile, spec + ": no matching file");
    } else {
      paths.push_back(spec);
    }
    for (const std::string& path : paths) {
      struct stat st {};
      if (!IsRegularFile(path, &st)) {
        report.Message(ZipErrSourceFile, path + ": file not found or not a plain file");
        continue;
      }
      const std::string stored =
          rec.ForceDOS ? DosEntryName(StoredNameFor(path, rec.DirNames)) : StoredNameFor(path, rec.DirNames);
      if (stored.empty() || SafeEntryPath(stored, true) != stored) {
        report.Message(ZipErrUnsafeName, path + ": no usable name in the archive");
        continue;
      }
      const std::string key = LowerCase(stored);
      if (auto it = byName.find(key); it != byName.end()) {
        std::error_code ec;
        if (!fs::equivalent(it->second, path, ec))
          report.Message(ZipErrDuplicateName,
                         path + ": another file named " + stored + " is already in the archive");
        continue;
      }
      byName.emplace(key, path);
      files.push_back({path, stored, static_cast<int64_t>(st.st_size), static_cast<int64_t>(st.st_mtime)});
    }
    if (report.Stopped) break;
  }
  if (report.Stopped) {
    report.Message(ZipErrCancelled, "Cancelled");
    return 0;
  }
  if (files.empty()) return 0;

  // The old archive is read in place; the new one replaces it when done.
  if (struct stat st {}; ::stat(rec.ArchiveName.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    report.Message(ZipErrWriteArchive, rec.ArchiveName + ": " + WriteErrorText(NotRegularFileError));
    return 0;
  }
  const int openFlags = TArchiveSource::Existing(rec.ArchiveName) ? ZIP_CHECKCONS : ZIP_CREATE | ZIP_TRUNCATE;
  zip_error_t openError;
  zip_error_init(&openError);
  zip_source_t* source = TArchiveSource::Make(rec.ArchiveName, &openError);
  zip_t* za = source ? zip_open_from_source(source, openFlags, &openError) : nullptr;
  if (!za) {
    if (source) zip_source_free(source);
    const std::string why = zip_error_strerror(&openError);
    zip_error_fini(&openError);
    report.Message(ZipErrOpenArchive, rec.ArchiveName + ": " + why);
    return 0;
  }
  zip_error_fini(&openError);
  const std::string password = LimitPassword(rec.Password);
  const bool encrypt = rec.Encrypt && !password.empty() && zip_encryption_method_supported(ZIP_EM_AES_256, 1);
  if (rec.Encrypt && !encrypt) report.Message(ZipErrPassword, "Encryption needs a password; files stored plain");

  int64_t totalSize = 0;
  for (const TAddFile& f : files) totalSize += f.Size;
  report.Send(ZipActionTotalFiles, static_cast<int64_t>(files.size()));
  report.Send(ZipActionTotalSize, totalSize);

  int added = 0;
  std::vector<std::string> moved;
  for (const TAddFile& f : files) {
    if (report.Stopped) break;
    const zip_int64_t existing = zip_name_locate(za, f.Stored.c_str(), 0);
    if (rec.Freshen || rec.Update) {
      zip_stat_t st;
      const bool newer =
          existing >= 0 && zip_stat_index(za, static_cast<zip_uint64_t>(existing), 0, &st) == 0 &&
          (st.valid & ZIP_STAT_MTIME) && f.ModTime > static_cast<int64_t>(st.mtime);
      if (existing >= 0 ? !newer : !rec.Update) continue;
    }
    report.Send(ZipActionNewFile, f.Size, f.Stored);
    zip_source_t* src = zip_source_file(za, f.Path.c_str(), 0, -1);
    zip_int64_t index = -1;
    if (src) {
      index = zip_file_add(za, f.Stored.c_str(), src, ZIP_FL_ENC_GUESS | ZIP_FL_OVERWRITE);
      if (index < 0) zip_source_free(src);
    }
    if (index < 0) {
      report.Message(ZipErrSourceFile, f.Path + ": " + ArchiveErrorText(za));
      continue;
    }
    const auto idx = static_cast<zip_uint64_t>(index);
    const int level = std::clamp(rec.CompLevel, 0, ZipMaxCompLevel);
    if (level == 0)
      zip_set_file_compression(za, idx, ZIP_CM_STORE, 0);
    else
      zip_set_file_compression(za, idx, ZIP_CM_DEFLATE, static_cast<zip_uint32_t>(level));
    if (encrypt) zip_file_set_encryption(za, idx, ZIP_EM_AES_256, password.c_str());
    if (rec.Verbose) report.Message(ZipErrNone, "  adding: " + f.Stored);
    ++added;
    if (rec.Move) moved.push_back(f.Path);
  }
  // With folder names, each folder stands as an entry of its own too.
  if (rec.DirNames && rec.DirEntries && added > 0) {
    std::set<std::string> folders;
    for (const TAddFile& f : files)
      for (size_t at = f.Stored.find('/'); at != std::string::npos; at = f.Stored.find('/', at + 1))
        folders.insert(f.Stored.substr(0, at + 1));
    for (const std::string& folder : folders)
      if (zip_name_locate(za, folder.c_str(), 0) < 0) zip_dir_add(za, folder.c_str(), ZIP_FL_ENC_GUESS);
  }
  if (report.Stopped || added == 0) {
    zip_discard(za);
    if (report.Stopped) report.Message(ZipErrCancelled, "Cancelled");
    return 0;
  }
  TAddState state{&report, totalSize};
  zip_register_progress_callback_with_state(za, 0.01, AddProgress, nullptr, &state);
  zip_register_cancel_callback_with_state(za, AddCancel, nullptr, &state);
  if (zip_close(za) != 0) {
    const std::string why = report.Stopped ? std::string("Cancelled") : ArchiveErrorText(za);
    zip_discard(za);
    report.Message(report.Stopped ? ZipErrCancelled : ZipErrWriteArchive, rec.ArchiveName + ": " + why);
    return 0;
  }
  if (rec.ZipTime) {
    // The archive dated as its newest file.
    int64_t newest = 0;
    for (const TAddFile& f : files) newest = std::max(newest, f.ModTime);
    const timespec times[2] = {{static_cast<time_t>(newest), 0}, {static_cast<time_t>(newest), 0}};
    if (newest > 0) ::utimensat(AT_FDCWD, rec.ArchiveName.c_str(), times, 0);
  }
  for (const std::string& path : moved) {
    if (!rec.MoveToTrash)
      ::unlink(path.c_str());
    else if (!MoveFileToTrash(path))
      report.Message(ZipErrWriteFile, path + ": could not be moved to the trash; it is kept");
  }
  report.Send(ZipActionEndOfBatch, 0);
  return added;
}

// ---------------------------------------------------------------- extracting

int ZipExtractExec(const TZipExtractRecord& rec) {
  TReporter report(rec.Callback);
  if (std::string why; !LoadLibZip(&why)) {
    report.Message(ZipErrOpenArchive, rec.ArchiveName + ": " + why);
    return 0;
  }
  TDirFd base(::open(rec.BaseDir.empty() ? "." : rec.BaseDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (base.Fd < 0 && !rec.Test) {
    report.Message(ZipErrTargetFolder, rec.BaseDir + ": " + std::strerror(errno));
    return 0;
  }
  int err = 0;
  zip_t* za = nullptr;
  if (rec.ArchiveStart == 0) {
    za = zip_open(rec.ArchiveName.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  } else {
    // Read from where the archive begins, so that its offsets hold.
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_file_create(rec.ArchiveName.c_str(), rec.ArchiveStart, -1, &error);
    za = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (!za) {
      if (source) zip_source_free(source);
      err = zip_error_code_zip(&error);
    }
    zip_error_fini(&error);
  }
  if (!za) {
    report.Message(ZipErrOpenArchive, rec.ArchiveName + ": " + ZipErrorText(err));
    return 0;
  }
  const std::string password = LimitPassword(rec.Password);
  if (!password.empty()) zip_set_default_password(za, password.c_str());
  const zip_int64_t count = zip_get_num_entries(za, 0);
  if (count > rec.MaxEntries) {
    report.Message(ZipErrTooLarge, rec.ArchiveName + ": more than " + std::to_string(rec.MaxEntries) + " entries");
    zip_discard(za);
    return 0;
  }

  // The entries to handle, with what the directory claims about them.
  std::vector<zip_uint64_t> chosen;
  int64_t declaredTotal = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
    if (!name || !MatchesSpecs(name, rec.FileSpecs)) continue;
    chosen.push_back(static_cast<zip_uint64_t>(i));
    zip_stat_t st;
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
      declaredTotal = std::min<int64_t>(declaredTotal + static_cast<int64_t>(std::min<uint64_t>(st.size, uint64_t(1) << 61)),
                                        int64_t(1) << 61);
  }
  report.Send(ZipActionTotalFiles, static_cast<int64_t>(chosen.size()));
  report.Send(ZipActionTotalSize, declaredTotal);

  std::set<std::string> written;  // relative paths in lower case
  uint64_t total = 0;
  int done = 0;
  std::vector<char> buffer(ChunkSize);
  for (const zip_uint64_t index : chosen) {
    if (report.Stopped) break;
    zip_stat_t st;
    if (zip_stat_index(za, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
      report.Message(ZipErrReadEntry, "Entry " + std::to_string(index) + ": " + ArchiveErrorText(za));
      continue;
    }
    const std::string name = st.name;
    const bool isFolder = !name.empty() && (name.back() == '/' || name.back() == '\\');
    if (IsSpecialEntry(za, index)) {
      report.Message(ZipErrLinkEntry, name + ": a link or special file, not extracted");
      continue;
    }
    const std::string rel = SafeEntryPath(name, rec.DirNames);
    if (rel.empty()) {
      report.Message(ZipErrUnsafeName, name + ": unsafe name, not extracted");
      continue;
    }
    if (isFolder) {
      if (rec.DirNames && !rec.Test) {
        std::string leaf;
        TDirFd dir = OpenParentFolder(base.Fd, rel + "/", true, leaf);
        if (dir.Fd < 0) report.Message(ZipErrTargetFolder, name + ": the folder can't be made");
      }
      continue;
    }
    const uint64_t declared = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    if (declared > rec.MaxEntrySize || declared > rec.MaxTotalSize - std::min(total, rec.MaxTotalSize)) {
      report.Message(ZipErrTooLarge, name + ": too large to extract");
      continue;
    }
    const std::string key = LowerCase(rel);
    if (written.count(key)) {
      report.Message(ZipErrDuplicateName, name + ": a second entry of this name, not extracted");
      continue;
    }
    const int64_t entryTime = (st.valid & ZIP_STAT_MTIME) ? static_cast<int64_t>(st.mtime) : 0;

    TDirFd dir;
    std::string leaf;
    if (!rec.Test) {
      dir = OpenParentFolder(base.Fd, rel, true, leaf);
      if (dir.Fd < 0) {
        report.Message(ZipErrTargetFolder, name + ": its folder can't be made or is a link");
        continue;
      }
      struct stat old {};
      const bool exists = ::fstatat(dir.Fd, leaf.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
      if (exists && S_ISDIR(old.st_mode)) {
        report.Message(ZipErrTargetExists, name + ": a folder of this name exists");
        continue;
      }
      const bool newer = !exists || entryTime > static_cast<int64_t>(old.st_mtime);
      bool take = exists ? rec.OverWrite : !rec.Freshen;
      if (rec.Update) take = newer;
      if (rec.Freshen) take = exists && newer;
      if (!take) {
        if (rec.Verbose) report.Message(ZipErrTargetExists, name + ": exists, not overwritten");
        continue;
      }
    }

    report.Send(ZipActionNewFile, static_cast<int64_t>(declared), name);
    zip_file_t* zf = zip_fopen_index(za, index, 0);
    if (!zf) {
      const int code = zip_error_code_zip(zip_get_error(za));
      const bool pw = code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD;
      report.Message(pw ? ZipErrPassword : ZipErrReadEntry, name + ": " + ArchiveErrorText(za));
      zip_error_clear(za);
      continue;
    }
    std::string tempName;
    int fd = -1;
    if (!rec.Test) {
      for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = "." + leaf.substr(0, 200) + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::openat(dir.Fd, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
      }
      if (fd < 0) {
        report.Message(ZipErrWriteFile, name + ": " + std::strerror(errno));
        zip_fclose(zf);
        continue;
      }
    }
    // Inflate, counting what really comes out rather than what the header says.
    bool ok = true;
    int code = ZipErrNone;
    std::string why;
    uint64_t got = 0;
    const uint64_t limit = std::min(rec.MaxEntrySize, rec.MaxTotalSize - std::min(total, rec.MaxTotalSize));
    for (;;) {
      const zip_int64_t n = zip_fread(zf, buffer.data(), buffer.size());
      if (n < 0) {
        ok = false;
        code = ZipErrReadEntry;
        why = zip_file_strerror(zf);
        break;
      }
      if (n == 0) break;
      got += static_cast<uint64_t>(n);
      if (got > limit || ((st.valid & ZIP_STAT_SIZE) && got > declared)) {
        ok = false;
        code = ZipErrTooLarge;
        why = "larger than it claims or than allowed";
        // Damaged data (a changed byte) often inflates past the size too;
        // a little more of it shows the damage as the data or checksum
        // error it is. Only data that goes on inflating cleanly is taken
        // for too large.
        for (uint64_t more = 0; more < DamageLookahead;) {
          const zip_int64_t m = zip_fread(zf, buffer.data(), buffer.size());
          if (m < 0) {
            code = ZipErrReadEntry;
            why = zip_file_strerror(zf);
          }
          if (m <= 0) break;
          more += static_cast<uint64_t>(m);
        }
        break;
      }
      if (fd >= 0 && !WriteAllFd(fd, buffer.data(), static_cast<size_t>(n))) {
        ok = false;
        code = ZipErrWriteFile;
        why = std::strerror(errno);
        break;
      }
      report.Send(ZipActionProgress, n);
      if (report.Stopped) {
        ok = false;
        code = ZipErrCancelled;
        why = "cancelled";
        break;
      }
    }
    zip_fclose(zf);
    if (fd >= 0) {
      if (ok) {
        const struct timespec times[2] = {{static_cast<time_t>(entryTime), 0}, {static_cast<time_t>(entryTime), 0}};
        if (entryTime > 0) ::futimens(fd, times);
        if (rec.SyncFiles && ::fsync(fd) != 0) {
          ok = false;
          code = ZipErrWriteFile;
          why = std::strerror(errno);
        }
      }
      if (::close(fd) != 0 && ok) {
        ok = false;
        code = ZipErrWriteFile;
        why = std::strerror(errno);
      }
      // The rename replaces a link of that name, never what it points to.
      if (ok && ::renameat(dir.Fd, tempName.c_str(), dir.Fd, leaf.c_str()) != 0) {
        ok = false;
        code = ZipErrWriteFile;
        why = std::strerror(errno);
      }
      if (!ok) ::unlinkat(dir.Fd, tempName.c_str(), 0);
    }
    if (!ok) {
      report.Message(code, name + ": " + why);
      continue;
    }
    total += got;
    written.insert(key);
    if (rec.Verbose) report.Message(ZipErrNone, (rec.Test ? "  testing: " : "  inflating: ") + name);
    ++done;
  }
  zip_discard(za);
  if (report.Stopped) report.Message(ZipErrCancelled, "Cancelled");
  report.Send(ZipActionEndOfBatch, 0);
  return done;
}


// ------------------------------------------------------------------ names

std::string DosEntryName(std::string_view name) {
  const auto dosPart = [](std::string_view part, size_t most) {
    std::string out;
    for (char c : part) {
      if (out.size() == most) break;
      const unsigned char u = static_cast<unsigned char>(c);
      if (std::isalnum(u) && u < 128)
        out += static_cast<char>(std::toupper(u));
      else if (std::strchr("_!#$%&'()-@^`{}~", c) && c != '\0')
        out += c;
      else
        out += '_';
    }
    return out;
  };
  std::string result;
  size_t start = 0;
  while (start <= name.size()) {
    const size_t slash = name.find('/', start);
    const std::string_view part = name.substr(start, slash == std::string_view::npos ? name.npos : slash - start);
    const size_t dot = part.rfind('.');
    const std::string_view base = dot == std::string_view::npos ? part : part.substr(0, dot);
    std::string piece = dosPart(base, 8);
    if (dot != std::string_view::npos && dot + 1 < part.size()) piece += "." + dosPart(part.substr(dot + 1), 3);
    result += piece;
    if (slash == std::string_view::npos) break;
    result += '/';
    start = slash + 1;
  }
  return result;
}

bool MoveFileToTrash(const std::string& path) {
  std::error_code ec;
  const fs::path source = fs::absolute(path, ec);
  if (ec) return false;
  std::string data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
    data = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home == '/' && IsDirectory(home))
    data = std::string(home) + "/.local/share";
  else
    return false;
  const fs::path trash = fs::path(data) / "Trash";
  fs::create_directories(trash / "files", ec);
  fs::create_directories(trash / "info", ec);
  if (!IsDirectory((trash / "files").string()) || !IsDirectory((trash / "info").string())) return false;
  const std::string name = source.filename().string();
  for (int n = 1; n < 10000; ++n) {
    const std::string entry = n == 1 ? name : source.stem().string() + "." + std::to_string(n) + source.extension().string();
    const fs::path info = trash / "info" / (entry + ".trashinfo");
    // The information file is claimed first: its name is the entry's.
    const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    char stamp[32] = {};
    const time_t now = ::time(nullptr);
    tm local {};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    std::string text = "[Trash Info]\nPath=";
    for (unsigned char c : source.string()) {
      if (std::isalnum(c) || std::strchr("/-_.~", c))
        text += static_cast<char>(c);
      else {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        text += hex;
      }
    }
    text += "\nDeletionDate=" + std::string(stamp) + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (written && ::rename(source.c_str(), (trash / "files" / entry).c_str()) == 0) return true;
    ::unlink(info.c_str());
    return false;
  }
  return false;
}

}  // namespace vs
