#include "platform/SettingsStore.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"
#include "toolbox/SafeFile.h"
#include "toolbox/TextCodec.h"

namespace vs {

namespace {

constexpr size_t MaxSettingsFileSize = 16 * 1024 * 1024;
constexpr std::string_view DwordPrefix = "dword:";

enum class TField { Section, Name, Value };

void AppendHex(std::string& out, unsigned char c) {
  static const char Digits[] = "0123456789ABCDEF";
  out += "\\x";
  out += Digits[c >> 4];
  out += Digits[c & 15];
}

std::string Escape(std::string_view s, TField field) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    bool edge = i == 0 || i + 1 == s.size();
    bool hex = c < 0x20 || c == 0x7F;
    if (field == TField::Name) {
      hex = hex || c == '=' || (edge && c == ' ') || (i == 0 && (c == ';' || c == '#' || c == '['));
    } else if (field == TField::Section) {
      hex = hex || c == ']' || (edge && c == ' ');
    } else if (i == 0 && s.substr(0, DwordPrefix.size()) == DwordPrefix) {
      hex = true;  // a string that would read as a DWORD
    }
    if (c == '\\') out += "\\\\";
    else if (hex) AppendHex(out, c);
    else out += static_cast<char>(c);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Unknown escapes are kept as they are, so a hand-edited "C:\Kits" survives.
std::string Unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      if (s[i + 1] == '\\') {
        out += '\\';
        ++i;
        continue;
      }
      if (s[i + 1] == 'x' && i + 3 < s.size()) {
        int h = HexDigit(s[i + 2]), l = HexDigit(s[i + 3]);
        if (h >= 0 && l >= 0) {
          out += static_cast<char>(h * 16 + l);
          i += 3;
          continue;
        }
      }
    }
    out += s[i];
  }
  return out;
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<uint32_t> ParseDword(std::string_view hex) {
  hex = TrimView(hex);
  if (hex.empty() || hex.size() > 8) return std::nullopt;
  uint32_t v = 0;
  for (char c : hex) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

std::string DwordText(uint32_t v) {
  static const char Digits[] = "0123456789abcdef";
  std::string s(8, '0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[i] = Digits[v & 15];
  return s;
}

}  // namespace

TSettingsStore::TSettingsStore(std::string fileName) : File(std::move(fileName)) {}

namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Inside(const std::string& path, const std::string& folder) {
  const std::string f = AddBackslash(folder);
  return path.compare(0, f.size(), f) == 0;
}

}  // namespace

TSettingsLocation TSettingsStore::DefaultLocation() {
  if (const char* f = std::getenv("VORBELSTEPS_SETTINGS"); f && *f) return {f, {}};
  const char* h = std::getenv("HOME");
  const std::string home = h && *h ? h : "";
  const std::string file = "VorbelSteps/settings.ini";
  // The program's folders are made only inside a home that exists.
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') {
    if (IsFolder(x) || (IsFolder(home) && Inside(x, home))) return {AddBackslash(x) + file, {}};
    return {{}, "the folder \"" + std::string(x) + "\" (XDG_CONFIG_HOME) does not exist"};
  }
  if (home.empty()) return {{}, "neither HOME nor XDG_CONFIG_HOME is set"};
  if (!IsFolder(home)) return {{}, "the home folder \"" + home + "\" (HOME) does not exist"};
  return {AddBackslash(home) + ".config/" + file, {}};
}

std::string TSettingsStore::DefaultFileName() { return DefaultLocation().File; }

const TSettingsStore::TSection* TSettingsStore::FindSection(std::string_view section) const {
  for (const TSection& s : Sections)
    if (SameText(s.Name, section)) return &s;
  return nullptr;
}

TSettingsStore::TSection& TSettingsStore::SectionFor(std::string_view section) {
  for (TSection& s : Sections)
    if (SameText(s.Name, section)) return s;
  Sections.push_back({std::string(section), {}});
  return Sections.back();
}

const TSettingsStore::TValue* TSettingsStore::FindValue(std::string_view section, std::string_view name) const {
  const TSection* s = FindSection(section);
  if (!s) return nullptr;
  for (const TValue& v : s->Values)
    if (SameText(v.Name, name)) return &v;
  return nullptr;
}

void TSettingsStore::Put(std::string_view section, std::string_view name, std::string value, bool isDWORD) {
  TSection& s = SectionFor(section);
  Dirty = true;
  for (TValue& v : s.Values) {
    if (SameText(v.Name, name)) {
      v.Text = std::move(value);
      v.IsDWORD = isDWORD;
      return;
    }
  }
  s.Values.push_back({std::string(name), std::move(value), isDWORD});
}

bool TSettingsStore::Parse(std::string_view text) {
  std::vector<TSection> parsed;
  if (text.size() > MaxSettingsFileSize || text.find('\0') != std::string_view::npos) return false;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  TLineReader reader(text);
  std::string line;
  TSection* current = nullptr;
  auto sectionFor = [&](const std::string& name) -> TSection* {
    for (TSection& s : parsed)
      if (SameText(s.Name, name)) return &s;
    parsed.push_back({name, {}});
    return &parsed.back();
  };
  // A line that doesn't parse is skipped and the rest kept: each value
  // that is missing then reads as its default. Values under a section
  // header that doesn't parse are skipped with it.
  while (reader.Next(line)) {
    std::string_view l = TrimView(line);
    if (l.empty() || l.front() == ';' || l.front() == '#') continue;
    if (l.front() == '[') {
      current = l.back() == ']' && l.size() >= 2 ? sectionFor(Unescape(l.substr(1, l.size() - 2))) : nullptr;
      continue;
    }
    size_t eq = l.find('=');
    if (!current || eq == std::string_view::npos) continue;
    std::string name = Unescape(TrimView(l.substr(0, eq)));
    // The value is taken from the untrimmed line so that its blanks survive.
    std::string_view raw = std::string_view(line).substr(line.find('=') + 1);
    TValue value{name, {}, false};
    if (raw.substr(0, DwordPrefix.size()) == DwordPrefix) {
      auto d = ParseDword(raw.substr(DwordPrefix.size()));
      if (!d) continue;
      value.Text = std::to_string(*d);
      value.IsDWORD = true;
    } else {
      value.Text = Unescape(raw);
    }
    bool replaced = false;
    for (TValue& v : current->Values) {
      if (SameText(v.Name, name)) {
        v = value;
        replaced = true;
        break;
      }
    }
    if (!replaced) current->Values.push_back(std::move(value));
  }
  std::lock_guard<std::mutex> g(Lock);
  Sections = std::move(parsed);
  return true;
}

TSettingsLoad TSettingsStore::Load() {
  TSettingsLoad result;
  bool keepBad = false;
  std::optional<std::string> bytes;
  struct stat st;
  if (File.empty() || ::stat(File.c_str(), &st) != 0) {
    result = TSettingsLoad::Missing;
  } else if (!S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > MaxSettingsFileSize ||
             !(bytes = ReadFileBytes(File))) {
    result = TSettingsLoad::Corrupt;
    keepBad = true;
  } else if (!Parse(*bytes)) {
    result = TSettingsLoad::Corrupt;
    keepBad = true;
  } else {
    result = TSettingsLoad::Loaded;
  }
  std::lock_guard<std::mutex> g(Lock);
  if (result != TSettingsLoad::Loaded) Sections.clear();
  Result = result;
  KeepBadFile = keepBad;
  Dirty = false;
  return result;
}

TSettingsLoad TSettingsStore::LoadResult() const {
  std::lock_guard<std::mutex> g(Lock);
  return Result;
}

TWriteResult TSettingsStore::Save() {
  std::lock_guard<std::mutex> g(Lock);
  if (File.empty()) return {ENOENT};
  std::string folder = ExtractFilePath(File);
  errno = 0;
  if (!folder.empty() && !ForceDirectory(folder)) return {errno != 0 ? errno : EACCES};
  if (KeepBadFile) {
    // Keep what the unreadable file held before it is replaced.
    struct stat st;
    if (::stat(File.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      auto old = ReadFileBytes(File);
      if (!old) return {errno != 0 ? errno : EIO};
      if (TWriteResult kept = WriteFileSafely(File + ".bad", *old); !kept) return kept;
    }
  }
  if (TWriteResult written = WriteFileSafely(File, SerializeLocked()); !written) return written;
  KeepBadFile = false;
  Dirty = false;
  return {};
}

bool TSettingsStore::Modified() const {
  std::lock_guard<std::mutex> g(Lock);
  return Dirty;
}

std::string TSettingsStore::Serialize() const {
  std::lock_guard<std::mutex> g(Lock);
  return SerializeLocked();
}

std::string TSettingsStore::SerializeLocked() const {
  std::string out;
  for (const TSection& s : Sections) {
    if (!out.empty()) out += '\n';
    out += '[' + Escape(s.Name, TField::Section) + "]\n";
    for (const TValue& v : s.Values) {
      out += Escape(v.Name, TField::Name) + '=';
      if (v.IsDWORD) out += std::string(DwordPrefix) + DwordText(static_cast<uint32_t>(std::stoull(v.Text)));
      else out += Escape(v.Text, TField::Value);
      out += '\n';
    }
  }
  return out;
}

bool TSettingsStore::SectionExists(std::string_view section) const {
  std::lock_guard<std::mutex> g(Lock);
  return FindSection(section) != nullptr;
}

bool TSettingsStore::ValueExists(std::string_view section, std::string_view name) const {
  std::lock_guard<std::mutex> g(Lock);
  return FindValue(section, name) != nullptr;
}

std::vector<std::string> TSettingsStore::SectionNames() const {
  std::lock_guard<std::mutex> g(Lock);
  std::vector<std::string> names;
  for (const TSection& s : Sections) names.push_back(s.Name);
  return names;
}

std::vector<std::string> TSettingsStore::ValueNames(std::string_view section) const {
  std::lock_guard<std::mutex> g(Lock);
  std::vector<std::string> names;
  if (const TSection* s = FindSection(section))
    for (const TValue& v : s->Values) names.push_back(v.Name);
  return names;
}

void TSettingsStore::EraseSection(std::string_view section) {
  std::lock_guard<std::mutex> g(Lock);
  for (auto it = Sections.begin(); it != Sections.end(); ++it) {
    if (SameText(it->Name, section)) {
      Sections.erase(it);
      Dirty = true;
      return;
    }
  }
}

void TSettingsStore::DeleteValue(std::string_view section, std::string_view name) {
  std::lock_guard<std::mutex> g(Lock);
  for (TSection& s : Sections) {
    if (!SameText(s.Name, section)) continue;
    for (auto it = s.Values.begin(); it != s.Values.end(); ++it) {
      if (SameText(it->Name, name)) {
        s.Values.erase(it);
        Dirty = true;
        return;
      }
    }
  }
}

std::optional<std::string> TSettingsStore::ReadValue(std::string_view section, std::string_view name) const {
  std::lock_guard<std::mutex> g(Lock);
  const TValue* v = FindValue(section, name);
  if (!v) return std::nullopt;
  return v->Text;
}

std::string TSettingsStore::ReadString(std::string_view section, std::string_view name, std::string_view def) const {
  auto v = ReadValue(section, name);
  return v ? *v : std::string(def);
}

int32_t TSettingsStore::ReadInteger(std::string_view section, std::string_view name, int32_t def) const {
  auto v = ReadValue(section, name);
  return v ? StrToIntDef(*v, def) : def;
}

bool TSettingsStore::ReadBool(std::string_view section, std::string_view name, bool def) const {
  auto v = ReadValue(section, name);
  if (!v) return def;
  // Any number that is not 0 is true; no sentinel value can be mistaken.
  int32_t a = StrToIntDef(*v, 0), b = StrToIntDef(*v, 1);
  if (a != b) return def;
  return a != 0;
}

uint32_t TSettingsStore::ReadDWORD(std::string_view section, std::string_view name, uint32_t def) const {
  auto v = ReadValue(section, name);
  if (!v) return def;
  int32_t a = StrToIntDef(*v, 0), b = StrToIntDef(*v, 1);
  if (a != b) {
    // Values past 2^31 are kept as their unsigned text.
    auto t = Trim(*v);
    if (!t.empty() && t.size() <= 10 && t.find_first_not_of("0123456789") == std::string::npos) {
      uint64_t u = std::stoull(t);
      if (u <= 0xFFFFFFFFu) return static_cast<uint32_t>(u);
    }
    return def;
  }
  return static_cast<uint32_t>(a);
}

void TSettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value) {
  std::lock_guard<std::mutex> g(Lock);
  Put(section, name, std::string(value), false);
}

void TSettingsStore::WriteInteger(std::string_view section, std::string_view name, int32_t value) {
  std::lock_guard<std::mutex> g(Lock);
  Put(section, name, std::to_string(value), false);
}

void TSettingsStore::WriteBool(std::string_view section, std::string_view name, bool value) {
  std::lock_guard<std::mutex> g(Lock);
  Put(section, name, value ? "1" : "0", false);
}

void TSettingsStore::WriteDWORD(std::string_view section, std::string_view name, uint32_t value) {
  std::lock_guard<std::mutex> g(Lock);
  Put(section, name, std::to_string(value), true);
}

static std::string BoundsSection(std::string_view section, std::string_view name) {
  return std::string(section) + "\\" + std::string(name);
}

void LoadControlBounds(const TSettingsStore& store, std::string_view section, std::string_view name,
                       TControlBounds& bounds) {
  const std::string key = BoundsSection(section, name);
  auto read = [&](const char* value, std::optional<int32_t>& bound) {
    // Read with two defaults: they agree only when a number is stored.
    const int32_t a = store.ReadInteger(key, value, 0);
    if (a == store.ReadInteger(key, value, 1)) bound = a;
  };
  read("Left", bounds.Left);
  read("Top", bounds.Top);
  read("Width", bounds.Width);
  read("Height", bounds.Height);
}

void SaveControlBounds(TSettingsStore& store, std::string_view section, std::string_view name,
                       const TControlBounds& bounds) {
  const std::string key = BoundsSection(section, name);
  auto write = [&](const char* value, const std::optional<int32_t>& bound) {
    if (bound) store.WriteInteger(key, value, *bound);
  };
  write("Left", bounds.Left);
  write("Top", bounds.Top);
  write("Width", bounds.Width);
  write("Height", bounds.Height);
}

}  // namespace vs
