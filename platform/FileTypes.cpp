#include "platform/FileTypes.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "toolbox/SafeFile.h"

extern char** environ;

namespace vs {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "zmp" from ".ZMP"; letters, digits, '-', '_' and '+' only.
std::string ExtensionKey(const std::string& extension) {
  std::string key;
  for (char c : Lower(extension.size() && extension[0] == '.' ? extension.substr(1) : extension))
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '+') key += c;
  return key;
}

std::string TypeKey(const std::string& typeName) {
  std::string key;
  for (char c : Lower(typeName)) key += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
  return key.empty() ? "file" : key;
}

std::string EnvFolder(const char* variable, const char* homeRelative) {
  if (const char* v = std::getenv(variable); v && *v == '/') return v;
  if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/" + homeRelative;
  return {};
}
std::string DataHome() { return EnvFolder("XDG_DATA_HOME", ".local/share"); }
std::string ConfigHome() { return EnvFolder("XDG_CONFIG_HOME", ".config"); }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// One line of a desktop file's string value (no line breaks).
std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) out += (c == '\n' || c == '\r') ? ' ' : c;
  return out;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  return static_cast<bool>(WriteFileSafely(path, text));
}

// Runs a tool by name with its arguments, waits for it; nothing when it
// is not installed.
void RunTool(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}

void RefreshMimeDatabase(const std::string& dataHome) { RunTool({"update-mime-database", dataHome + "/mime"}); }

// The MIME type the user's packages give files "*.<ext>" ("" none): the
// first <mime-type> element holding a glob of that pattern, in any case.
std::string MimeTypeOf(const std::string& ext) {
  const std::string folder = DataHome() + "/mime/packages";
  std::error_code ec;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".xml") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  const std::string pattern = "pattern=\"*." + ext + "\"";
  for (const fs::path& file : files) {
    const std::string text = ReadText(file.string());
    const std::string lower = Lower(text);
    for (size_t at = lower.find("<mime-type"); at != std::string::npos; at = lower.find("<mime-type", at + 1)) {
      const size_t end = lower.find("</mime-type>", at);
      if (end == std::string::npos) break;
      if (lower.substr(at, end - at).find(pattern) == std::string::npos) continue;
      const size_t q = text.find("type=\"", at);
      if (q == std::string::npos || q > end) continue;
      const size_t close = text.find('"', q + 6);
      if (close == std::string::npos) continue;
      return text.substr(q + 6, close - q - 6);
    }
  }
  return {};
}

// The section's entries of a key-file's lines: [begin, end) line indexes.
void FindSection(const std::vector<std::string>& lines, const std::string& section, size_t& begin, size_t& end) {
  begin = end = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "[" + section + "]") continue;
    begin = i + 1;
    end = begin;
    while (end < lines.size() && !(lines[end].size() && lines[end][0] == '[')) ++end;
    return;
  }
}

std::string MimeAppsFile() { return ConfigHome() + "/mimeapps.list"; }

// The first desktop id mimeapps.list makes the type's default.
std::string DefaultDesktopId(const std::string& mimeType) {
  for (const std::string& file : {MimeAppsFile(), DataHome() + "/applications/mimeapps.list"}) {
    const std::vector<std::string> lines = Lines(ReadText(file));
    size_t b, e;
    FindSection(lines, "Default Applications", b, e);
    for (size_t i = b; i < e; ++i) {
      if (lines[i].rfind(mimeType + "=", 0) != 0) continue;
      std::string ids = lines[i].substr(mimeType.size() + 1);
      return ids.substr(0, ids.find(';'));
    }
  }
  return {};
}

// Sets (or with an empty id removes) the type's default entry, keeping every
// other line. Only an entry naming ownId is removed.
bool SetDefaultDesktopId(const std::string& mimeType, const std::string& id, const std::string& ownId) {
  const std::string file = MimeAppsFile();
  std::vector<std::string> lines = Lines(ReadText(file));
  size_t b, e;
  FindSection(lines, "Default Applications", b, e);
  if (b == lines.size() && id.empty()) return true;
  if (b == lines.size()) {
    if (!lines.empty() && !lines.back().empty()) lines.push_back("");
    lines.push_back("[Default Applications]");
    b = e = lines.size();
  }
  bool changed = false;
  for (size_t i = b; i < e; ++i) {
    if (lines[i].rfind(mimeType + "=", 0) != 0) continue;
    if (id.empty()) {
      if (lines[i] != mimeType + "=" + ownId + ";") return true;  // someone else's choice
      lines.erase(lines.begin() + long(i));
    } else {
      lines[i] = mimeType + "=" + id + ";";
    }
    changed = true;
    break;
  }
  if (!changed && !id.empty()) lines.insert(lines.begin() + long(e), mimeType + "=" + id + ";");
  if (!changed && id.empty()) return true;
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return WriteText(file, text);
}

std::string DesktopFileOf(const std::string& id) {
  std::vector<std::string> folders{DataHome()};
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::istringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
  for (std::string d; std::getline(list, d, ':');)
    if (!d.empty() && d[0] == '/') folders.push_back(d);
  for (const std::string& f : folders) {
    const std::string path = f + "/applications/" + id;
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) return path;
  }
  return {};
}

}  // namespace

std::string DesktopExecLine(const std::string& program) {
  // The argument, quoted when it holds a reserved character.
  bool quote = program.empty();
  for (char c : program)
    if (std::string(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string::npos) quote = true;
  std::string arg;
  for (char c : program) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) arg += '\\';
    arg += c;
    if (c == '%') arg += '%';
  }
  if (quote) arg = "\"" + arg + "\"";
  // The value's own escapes.
  std::string value;
  for (char c : arg) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\t': value += "\\t"; break;
      case '\r': value += "\\r"; break;
      default: value += c;
    }
  }
  return value + " %f";
}

std::string DesktopExecProgram(const std::string& exec) {
  std::string line;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] != '\\' || i + 1 == exec.size()) {
      line += exec[i];
      continue;
    }
    const char c = exec[++i];
    line += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
  }
  std::string program;
  size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    for (i = 1; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      program += line[i];
    }
    if (i >= line.size()) return {};  // no closing quote
    ++i;
  } else {
    for (; i < line.size() && line[i] != ' ' && line[i] != '\t'; ++i) program += line[i];
  }
  if (i < line.size() && line[i] != ' ' && line[i] != '\t') return {};
  std::string plain;
  for (size_t k = 0; k < program.size(); ++k) {
    plain += program[k];
    if (program[k] == '%' && k + 1 < program.size() && program[k + 1] == '%') ++k;
  }
  return plain;
}

bool RegisterFileType(const std::string& extension, const std::string& program, const std::string& typeName,
                      const std::string& description) {
  const std::string ext = ExtensionKey(extension);
  const std::string data = DataHome();
  if (ext.empty() || data.empty() || program.empty()) return false;
  // An earlier association of the extension under another type name goes.
  UnregisterFileType(extension);
  const std::string type = TypeKey(typeName);
  const std::string mime = "application/x-" + type;
  const std::string id = type + "-" + ext + ".desktop";
  const std::string package =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"" + mime + "\">\n"
      "    <comment>" + XmlText(description) + "</comment>\n"
      "    <glob pattern=\"*." + ext + "\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=" + OneLine(typeName) + "\n"
      "Comment=" + OneLine(description) + "\n"
      "Exec=" + DesktopExecLine(program) + "\n"
      "MimeType=" + mime + ";\n"
      "NoDisplay=true\n"
      "Terminal=false\n";
  if (!WriteText(data + "/mime/packages/" + type + "-" + ext + ".xml", package)) return false;
  if (!WriteText(data + "/applications/" + id, entry)) return false;
  if (!SetDefaultDesktopId(mime, id, id)) return false;
  RefreshMimeDatabase(data);
  return true;
}

bool UnregisterFileType(const std::string& extension) {
  const std::string ext = ExtensionKey(extension);
  const std::string data = DataHome();
  if (ext.empty() || data.empty()) return false;
  bool ok = true;
  bool removed = false;
  // Our packages are named "<type>-<ext>.xml" and our entries
  // "<type>-<ext>.desktop"; each package names its type.
  std::error_code ec;
  std::vector<fs::path> packages;
  for (const auto& e : fs::directory_iterator(data + "/mime/packages", ec)) {
    const std::string name = e.path().filename().string();
    const std::string tail = "-" + ext + ".xml";
    if (name.size() > tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0)
      packages.push_back(e.path());
  }
  for (const fs::path& p : packages) {
    const std::string text = ReadText(p.string());
    const std::string type = p.filename().string().substr(0, p.filename().string().size() - ext.size() - 5);
    const std::string mime = "application/x-" + type;
    if (text.find("type=\"" + mime + "\"") == std::string::npos) continue;  // not one of ours
    const std::string id = type + "-" + ext + ".desktop";
    ok = SetDefaultDesktopId(mime, "", id) && ok;
    fs::remove(data + "/applications/" + id, ec);
    if (ec) ok = false;
    fs::remove(p, ec);
    if (ec) ok = false;
    removed = true;
  }
  if (removed) RefreshMimeDatabase(data);
  return ok;
}

std::string GetFileTypeCommand(const std::string& extension) {
  const std::string ext = ExtensionKey(extension);
  if (ext.empty()) return {};
  const std::string mime = MimeTypeOf(ext);
  if (mime.empty()) return {};
  const std::string id = DefaultDesktopId(mime);
  if (id.empty() || id.find('/') != std::string::npos) return {};
  const std::string file = DesktopFileOf(id);
  if (file.empty()) return {};
  bool inEntry = false;
  for (const std::string& line : Lines(ReadText(file))) {
    if (!line.empty() && line[0] == '[') inEntry = line == "[Desktop Entry]";
    if (inEntry && line.rfind("Exec=", 0) == 0) return DesktopExecProgram(line.substr(5));
  }
  return {};
}

bool IsFileTypeRegisteredTo(const std::string& extension, const std::string& program) {
  const std::string command = GetFileTypeCommand(extension);
  return !command.empty() && command == program;
}

}  // namespace vs
