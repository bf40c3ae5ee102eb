#include "toolbox/AllTools.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace vs {

// ---------------------------------------------------------------- integers

int32_t MulDivInt(int32_t a, int32_t b, int32_t c) {
  const int64_t q = MulDiv64(a, b, c);  // |a * b| < 2^62: no overflow
  if (q > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (q < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(q);
}

void FastMove(const void* source, void* target, size_t bytes) {
  if (bytes == 0 || source == target || !source || !target) return;
  std::memmove(target, source, bytes);
}

void ClearFPUExceptions() { std::feclearexcept(FE_ALL_EXCEPT); }

// ----------------------------------------------------------------- strings

static char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
static char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string UpperCase(std::string_view text) {
  std::string r(text);
  for (char& c : r) c = UpperChar(c);
  return r;
}

std::string LowerCase(std::string_view text) {
  std::string r(text);
  for (char& c : r) c = LowerChar(c);
  return r;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

int32_t StrToIntDef(std::string_view text, int32_t def) {
  std::string t = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return def;
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return def;
    v = v * base + d;
    if (v > 0x100000000LL) return def;
  }
  if (negative) v = -v;
  if (base == 16 && !negative && v <= 0xFFFFFFFFLL) return static_cast<int32_t>(static_cast<uint32_t>(v));
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return def;
  return static_cast<int32_t>(v);
}

std::optional<std::string> ParseKeyValueLine(std::string_view line, std::string_view key) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.front() == '\'') return std::nullopt;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  if (!SameText(line.substr(0, eq), key)) return std::nullopt;
  return std::string(line.substr(eq + 1));
}

std::string CutToken(std::string& text, char separator) {
  size_t p = text.find(separator);
  std::string token;
  if (p == std::string::npos) {
    token.swap(text);
  } else {
    token = text.substr(0, p);
    text.erase(0, p + 1);
  }
  return token;
}

std::string IntToStrZeroPad(int64_t n, int digits) {
  // Magnitude as unsigned so that the most negative value works too.
  uint64_t m = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  std::string d = std::to_string(m);
  if (digits > 64) digits = 64;
  if (static_cast<int>(d.size()) < digits) d.insert(0, digits - d.size(), '0');
  return n < 0 ? "-" + d : d;
}

int32_t VersionToInt(std::string_view text) {
  std::string_view parts[3];
  std::string_view rest = text;
  for (int i = 0; i < 2; ++i) {
    size_t dot = rest.find('.');
    if (dot == std::string_view::npos) {
      parts[i] = rest;
      rest = {};
    } else {
      parts[i] = rest.substr(0, dot);
      rest = rest.substr(dot + 1);
    }
  }
  parts[2] = rest;
  int64_t v = 0;
  for (auto& p : parts) v = v * 1000 + StrToIntDef(p, 0);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

std::string DoubleAmpersands(std::string_view text) {
  std::string r;
  r.reserve(text.size() + 4);
  for (char c : text) {
    r += c;
    if (c == '&') r += '&';
  }
  return r;
}

std::string AddBackslash(std::string_view path) {
  std::string r(path);
  if (!r.empty() && r.back() != '/') r += '/';
  return r;
}

std::string BufToString(const char* buffer, size_t length) {
  if (!buffer) return {};
  const void* nul = std::memchr(buffer, 0, length);
  size_t n = nul ? static_cast<const char*>(nul) - buffer : length;
  return std::string(buffer, n);
}

bool IsParamPresent(std::string_view text, const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [&](const std::string& a) { return SameText(a, text); });
}

// ----------------------------------------------------------------- colours

static double HueToChannel(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

static int ToByte(double x) {
  if (!(x > 0)) return 0;  // also NaN
  if (x >= 1) return 255;
  return static_cast<int>(std::lround(x * 255));
}

TColor HSLToColor(double hue, double saturation, double lightness) {
  if (!std::isfinite(hue)) hue = 0;
  hue -= std::floor(hue);
  double s = std::clamp(std::isfinite(saturation) ? saturation : 0.0, 0.0, 1.0);
  double l = std::clamp(std::isfinite(lightness) ? lightness : 0.0, 0.0, 1.0);
  double r, g, b;
  if (s == 0) {
    r = g = b = l;
  } else {
    double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    double p = 2 * l - q;
    r = HueToChannel(p, q, hue + 1.0 / 3);
    g = HueToChannel(p, q, hue);
    b = HueToChannel(p, q, hue - 1.0 / 3);
  }
  return RGBColor(ToByte(r), ToByte(g), ToByte(b));
}

TColor ShiftColor(TColor color, int delta) {
  auto ch = [&](int v) { return std::clamp(v + delta, 0, 255); };
  return (color & 0xFF000000u) | RGBColor(ch(GetRValue(color)), ch(GetGValue(color)), ch(GetBValue(color)));
}

TColor BlendColors(int weight, TColor a, TColor b) {
  weight = std::clamp(weight, 0, 256);
  auto ch = [&](int ca, int cb) { return (cb * weight + ca * (256 - weight)) >> 8; };
  return RGBColor(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)),
                  ch(GetBValue(a), GetBValue(b)));
}

TColor SwapRedBlue(TColor color) {
  return (color & 0xFF00FF00u) | ((color & 0xFF) << 16) | ((color >> 16) & 0xFF);
}

uint32_t ColorToArgb(TColor color) {
  return 0xFF000000u | (static_cast<uint32_t>(GetRValue(color)) << 16) |
         (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

TColor ArgbToColor(uint32_t argb) {
  return RGBColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// ------------------------------------------------------- files and folders

bool CanOpenFile(const std::string& name) {
  if (name.empty()) return false;
  std::error_code ec;
  if (fs::is_directory(name, ec)) return false;
  std::ifstream f(name, std::ios::binary);
  return f.is_open();
}

static std::string FindInFolder(const fs::path& folder, std::string_view name, int depth) {
  std::error_code ec;
  fs::path exact = folder / std::string(name);
  if (fs::is_regular_file(exact, ec)) return exact.string();
  std::vector<fs::path> files, dirs;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& e = *it;
    std::error_code ec2;
    if (e.is_symlink(ec2)) {
      // A linked file counts; a linked folder is never entered.
      if (!e.is_directory(ec2) && e.is_regular_file(ec2)) files.push_back(e.path());
    } else if (e.is_directory(ec2)) {
      dirs.push_back(e.path());
    } else if (e.is_regular_file(ec2)) {
      files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  for (const auto& f : files)
    if (SameText(f.filename().string(), name)) return f.string();
  if (depth >= 64) return {};
  std::sort(dirs.begin(), dirs.end());
  for (const auto& d : dirs) {
    std::string hit = FindInFolder(d, name, depth + 1);
    if (!hit.empty()) return hit;
  }
  return {};
}

std::string FindInSubDirs(std::string_view name, std::string_view folder) {
  if (name.empty() || folder.empty() || name.find('/') != std::string_view::npos || name == "." ||
      name == "..")
    return {};
  std::error_code ec;
  if (!fs::is_directory(std::string(folder), ec)) return {};
  return FindInFolder(fs::path(std::string(folder)), name, 0);
}

bool ForceDirectory(std::string_view path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(std::string(path), ec);
  return fs::is_directory(std::string(path), ec);
}

bool IsProtectedPath(std::string_view path) {
  if (Trim(path).empty()) return true;
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(std::string(path), ec), ec);
  if (ec) return true;
  if (p.empty() || p == p.root_path()) return true;
  if (const char* home = std::getenv("HOME"); home && *home) {
    std::error_code ec2;
    fs::path h = fs::weakly_canonical(fs::path(home), ec2);
    if (!ec2) {
      // The home folder itself and every folder above it.
      auto pi = p.begin();
      auto hi = h.begin();
      for (; pi != p.end() && hi != h.end(); ++pi, ++hi)
        if (*pi != *hi) break;
      if (pi == p.end() || (pi != p.end() && pi->empty() && std::next(pi) == p.end())) return true;
    }
  }
  return false;
}

bool DeleteDirectoryTree(std::string_view folder, bool recursive) {
  if (IsProtectedPath(folder)) return false;
  std::error_code ec;
  fs::path dir(std::string{folder});
  if (!fs::is_directory(dir, ec)) return false;
  bool ok = true;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(it->path());
  if (ec) ok = false;
  for (const auto& e : entries) {
    std::error_code ec2;
    auto st = fs::symlink_status(e, ec2);
    if (ec2) {
      ok = false;
      continue;
    }
    if (fs::is_directory(st)) {
      if (!recursive) continue;
      fs::remove_all(e, ec2);  // does not follow links
    } else {
      fs::remove(e, ec2);  // a link is removed, not its target
    }
    if (ec2) ok = false;
  }
  return ok;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  // Iterative wildcard match with one backtrack point.
  size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || UpperChar(mask[m]) == UpperChar(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::string FindFirstFilePath(std::string_view folder, std::string_view mask) {
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(std::string(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    if (it->is_directory(ec2)) continue;
    std::string n = it->path().filename().string();
    if (MatchesMask(n, mask)) names.push_back(n);
  }
  if (names.empty()) return {};
  std::sort(names.begin(), names.end());
  return AddBackslash(folder) + names.front();
}

namespace {
std::mutex TempLock;
std::string TempDir;  // guarded by TempLock

std::string SystemTempBase() {
  const char* env = std::getenv("TMPDIR");
  std::error_code ec;
  if (env && *env == '/' && fs::is_directory(env, ec)) {
    std::string b(env);
    while (b.size() > 1 && b.back() == '/') b.pop_back();
    return b;
  }
  return "/tmp";
}
}  // namespace

namespace {

// Removes a folder's entries (files, and folders that are empty) and the
// folder, reading its entries into a buffer on the stack.
void RemoveFolderWithoutMemory(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    alignas(8) char buffer[4096];
    for (long n; (n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer)) > 0;)
      for (long at = 0; at < n;) {
        const auto* entry = reinterpret_cast<const struct dirent*>(buffer + at);
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 && ::unlinkat(fd, name, 0) != 0)
          ::unlinkat(fd, name, AT_REMOVEDIR);
        at += entry->d_reclen;
      }
    ::close(fd);
  }
  ::rmdir(path);
}

}  // namespace

std::string GetTempDirectory() {
  std::lock_guard<std::mutex> g(TempLock);
  if (!TempDir.empty()) {
    std::error_code ec;
    if (fs::is_directory(TempDir, ec)) return TempDir;
    TempDir.clear();
  }
  // The process id in the name tells a later run whose folder it is.
  std::string tmpl = SystemTempBase() + "/VorbelSteps-" + std::to_string(getpid()) + "-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) {
    std::fprintf(stderr, "VorbelSteps: cannot create a temporary folder: %s\n", std::strerror(errno));
    return {};
  }
  TempDir = std::string(buf.data()) + "/";
  // Gone at the exit whoever made it (the program removes it earlier).
  static const bool removedAtExit = std::atexit(RemoveTempDirectory) == 0;
  (void)removedAtExit;
  return TempDir;
}

void RemoveTempDirectory() {
  std::lock_guard<std::mutex> g(TempLock);
  if (TempDir.empty()) return;
  std::string dir = TempDir;
  TempDir.clear();
  if (IsProtectedPath(dir)) return;
  std::error_code ec;
  fs::remove_all(dir, ec);
  // Out of memory the walk itself fails: the files go by a walk that needs
  // none, then the folder.
  if (ec) RemoveFolderWithoutMemory(dir.c_str());
}

bool ProcessRuns(long pid) {
  if (pid <= 0) return false;
  if (pid == getpid()) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

int RemoveStaleTempDirectories() {
  constexpr std::string_view Prefix = "VorbelSteps-";
  const std::string base = SystemTempBase();
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // "VorbelSteps-" <pid> "-" <six characters>, a folder (not a link) of
    // this user.
    if (name.compare(0, Prefix.size(), Prefix) != 0) continue;
    const size_t dash = name.find('-', Prefix.size());
    if (dash == std::string::npos || dash == Prefix.size() || name.size() != dash + 7) continue;
    const std::string digits = name.substr(Prefix.size(), dash - Prefix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    struct stat st {};
    const std::string path = base + "/" + name;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) continue;
    if (ProcessRuns(std::stol(digits))) continue;
    std::error_code rm;
    if (fs::remove_all(path, rm) > 0 && !rm) ++removed;
  }
  return removed;
}

static constexpr std::string_view VersionKeys[] = {
    "CompanyName",    "FileDescription", "FileVersion",      "InternalName",   "LegalCopyright",
    "LegalTradeMarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

std::string_view VersionInfoKey(int keyIndex) {
  if (keyIndex < 1 || keyIndex > static_cast<int>(std::size(VersionKeys))) return {};
  return VersionKeys[keyIndex - 1];
}

namespace {

// The program's own version block, in key order. Files on Linux carry no
// version resource: only the running program answers, from this table.
std::string OwnVersionValue(int keyIndex) {
  const std::string major = std::to_string(VS_VERSION_MAJOR), minor = std::to_string(VS_VERSION_MINOR),
                    patch = std::to_string(VS_VERSION_PATCH);
  switch (keyIndex) {
    case 2: return "VorbelSteps drum machine and step sequencer";
    case 3: return major + "." + minor + ".0." + patch;
    case 4: case 7: case 8: return "VorbelSteps";
    case 9: return major + "." + minor + "." + patch;
    default: return {};
  }
}

bool IsOwnProgramFile(std::string_view file) {
  std::error_code ec;
  return !file.empty() && fs::equivalent(fs::path(std::string(file)), "/proc/self/exe", ec) && !ec;
}

}  // namespace

std::string GetVersionInfoValue(std::string_view file, int keyIndex) {
  if (VersionInfoKey(keyIndex).empty() || !IsOwnProgramFile(file)) return {};
  return OwnVersionValue(keyIndex);
}

// ------------------------------------------------------------------- icons

namespace {

// The data folders of the desktop, the user's first.
std::vector<fs::path> DataFolders() {
  std::vector<fs::path> folders;
  if (const char* home = getenv("XDG_DATA_HOME"); home && *home)
    folders.emplace_back(home);
  else if (const char* h = getenv("HOME"); h && *h)
    folders.push_back(fs::path(h) / ".local" / "share");
  const char* list = getenv("XDG_DATA_DIRS");
  std::string rest = list && *list ? list : "/usr/local/share:/usr/share";
  while (!rest.empty()) {
    const std::string folder = CutToken(rest, ':');
    if (!folder.empty() && folder[0] == '/') folders.emplace_back(folder);
  }
  return folders;
}

bool HasExtension(const fs::path& file, std::initializer_list<const char*> extensions) {
  const std::string ext = file.extension().string();
  return std::any_of(extensions.begin(), extensions.end(), [&](const char* e) { return SameText(ext, e); });
}

struct TDesktopEntry {
  std::string Exec, TryExec, Icon;
};

// The keys of a desktop entry's main group (the file read to 64 KiB).
TDesktopEntry ReadDesktopEntry(const fs::path& file) {
  TDesktopEntry entry;
  std::ifstream f(file, std::ios::binary);
  std::string line;
  bool main = false;
  size_t read = 0;
  while (read < 65536 && std::getline(f, line)) {
    read += line.size() + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      main = line == "[Desktop Entry]";
      continue;
    }
    if (!main) continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Trim(std::string_view(line).substr(0, eq));
    const std::string value = Trim(std::string_view(line).substr(eq + 1));
    if (key == "Exec") entry.Exec = value;
    else if (key == "TryExec") entry.TryExec = value;
    else if (key == "Icon") entry.Icon = value;
  }
  return entry;
}

// The program a command line starts: its first word, quoted or not.
std::string CommandProgram(std::string_view command) {
  const std::string text = Trim(command);
  if (!text.empty() && text[0] == '"') {
    const size_t end = text.find('"', 1);
    return end == std::string::npos ? std::string() : text.substr(1, end - 1);
  }
  return text.substr(0, text.find_first_of(" \t"));
}

bool NamesProgram(const std::string& word, const fs::path& program) {
  if (word.empty()) return false;
  if (word.find('/') == std::string::npos) return word == program.filename().string();
  std::error_code ec;
  return fs::equivalent(word, program, ec) && !ec;
}

bool IsPictureFile(const fs::path& file) {
  std::error_code ec;
  return fs::is_regular_file(file, ec) && !ec;
}

// The picture of an icon name (or an icon's full path).
std::string FindIconPicture(std::string_view icon) {
  if (icon.empty()) return {};
  if (icon[0] == '/') return IsPictureFile(fs::path(std::string(icon))) ? std::string(icon) : std::string();
  if (icon.find('/') != std::string_view::npos || icon == "." || icon == "..") return {};
  static constexpr const char* Sizes[] = {"48x48", "64x64", "32x32",   "96x96",   "128x128", "256x256",
                                          "24x24", "22x22", "16x16", "512x512", "scalable"};
  static constexpr const char* Types[] = {".png", ".svg", ".xpm"};
  const std::vector<fs::path> folders = DataFolders();
  const std::string name(icon);
  for (const fs::path& folder : folders)
    for (const char* size : Sizes)
      for (const char* type : Types)
        if (const fs::path p = folder / "icons" / "hicolor" / size / "apps" / (name + type); IsPictureFile(p))
          return p.string();
  for (const fs::path& folder : folders) {
    for (const char* type : Types)
      if (const fs::path p = folder / "pixmaps" / (name + type); IsPictureFile(p)) return p.string();
    if (HasExtension(name, {".png", ".svg", ".xpm"}))
      if (const fs::path p = folder / "pixmaps" / name; IsPictureFile(p)) return p.string();
  }
  return {};
}

}  // namespace

std::string ExtractIconFromFile(std::string_view file, int index) {
  if (index != 0 || file.empty()) return {};
  const fs::path path{std::string(file)};
  if (!IsPictureFile(path)) return {};
  if (HasExtension(path, {".png", ".svg", ".xpm", ".ico", ".bmp"})) return path.string();
  if (HasExtension(path, {".desktop"})) return FindIconPicture(ReadDesktopEntry(path).Icon);
  // A program: the desktop entry that starts it.
  for (const fs::path& folder : DataFolders()) {
    std::error_code ec;
    fs::recursive_directory_iterator it(folder / "applications", fs::directory_options::skip_permission_denied, ec);
    int seen = 0;
    for (const fs::recursive_directory_iterator end; !ec && it != end && ++seen < 20000; it.increment(ec)) {
      if (it.depth() > 3) it.disable_recursion_pending();
      std::error_code typeError;
      if (!it->is_regular_file(typeError) || !HasExtension(it->path(), {".desktop"})) continue;
      const TDesktopEntry entry = ReadDesktopEntry(it->path());
      if (!NamesProgram(CommandProgram(entry.Exec), path) && !NamesProgram(entry.TryExec, path)) continue;
      if (std::string icon = FindIconPicture(entry.Icon); !icon.empty()) return icon;
    }
  }
  return {};
}

std::optional<std::string> ReadFileBytes(const std::string& name) {
  std::error_code ec;
  if (name.empty() || fs::is_directory(name, ec)) return std::nullopt;
  std::ifstream f(name, std::ios::binary);
  if (!f) return std::nullopt;
  std::ostringstream ss;
  ss << f.rdbuf();
  if (f.bad()) return std::nullopt;
  return std::move(ss).str();
}

}  // namespace vs
