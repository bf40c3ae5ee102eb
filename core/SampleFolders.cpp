#include "core/SampleFolders.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>

#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

// A folder as the file system knows it, whatever path led there.
using TFolderId = std::pair<uint64_t, uint64_t>;

bool FolderId(const std::string& path, TFolderId& id) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  id = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
  return true;
}

std::string WithoutSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Reads at most limit bytes of a file.
std::string ReadHead(const std::string& file, size_t limit) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string bytes(limit, '\0');
  in.read(bytes.data(), std::streamsize(limit));
  bytes.resize(size_t(in.gcount()));
  return bytes;
}

struct TDirEntry {
  std::string Name;
  bool Folder = false;
};

// The entries of a folder in name order ("." and ".." left out); entries
// that are neither folders nor files (or broken links) are dropped.
std::vector<TDirEntry> ListFolder(const std::string& folder) {
  std::vector<TDirEntry> list;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    const auto status = it->status(ec2);  // follows links
    if (ec2) continue;
    TDirEntry e;
    e.Name = it->path().filename().string();
    if (std::filesystem::is_directory(status))
      e.Folder = true;
    else if (!std::filesystem::is_regular_file(status))
      continue;
    list.push_back(std::move(e));
  }
  std::sort(list.begin(), list.end(), [](const TDirEntry& a, const TDirEntry& b) { return a.Name < b.Name; });
  return list;
}

class TScanner {
public:
  TScanner(const TBrowserRecord& parent, int parentDepth, const TScanOptions& options)
      : Parent(parent), Depth(parentDepth), Options(options) {}

  TScanResult Result;
  std::set<TFolderId> Seen;

  void Scan(const std::string& folder) {
    const std::string base = AddBackslash(folder);
    const std::vector<TDirEntry> list = ListFolder(base);
    // Upper-cased names of the folder's files, for the ".DS" beside a ".WAV".
    std::set<std::string> upper;
    for (const TDirEntry& e : list)
      if (!e.Folder) upper.insert(UpperCase(e.Name));
    for (const TDirEntry& e : list) {
      if (Result.Canceled) return;
      if (++Entries % ScanProgressEvery == 0 && Options.Progress && !Options.Progress(Reports++)) {
        Result.Canceled = true;
        return;
      }
      const std::string path = base + e.Name;
      if (e.Folder) {
        TFolderId id;
        if (!FolderId(path, id) || Seen.count(id)) continue;
        if (Options.Flat) {
          // Every folder read into the list once.
          Seen.insert(id);
          Scan(path);
          continue;
        }
        TScanEntry entry;
        entry.Name = " " + e.Name;
        entry.Record = Inherited();
        entry.Record.Path = path;
        entry.Record.Kind = BrowserFolder;
        entry.Record.Indent = Depth < 0 ? 0 : std::min(255, (Depth + 1) * 6);
        entry.Record.PlainName = entry.Name;
        ReadFolderInfo(entry.Record, entry.Name, Options.Language);
        Result.Entries.push_back(std::move(entry));
        continue;
      }
      std::string shown;
      const std::string ext = UpperCase(ExtractFileExt(e.Name));
      if (ext == Options.Filter) {
        shown = e.Name;
      } else if (Parent.RootKind == SampleRoot) {
        if (ext == ".WAV") {
          if (upper.count(UpperCase(ChangeFileExt(e.Name, ".DS")))) continue;
          shown = ChangeFileExt(e.Name, "");
        } else if (ext == ".XI" || ext == ".SYN" || ext == ".404" || ext == ".FPR") {
          shown = e.Name;
        }
      }
      if (shown.empty()) continue;
      TScanEntry entry;
      entry.Name = shown;
      entry.Record = Inherited();
      entry.Record.Path = path;
      entry.Record.Kind = Parent.RootKind == SongRoot ? BrowserSong : BrowserSample;
      entry.Record.PlainName = entry.Name;
      ReadFolderInfo(entry.Record, entry.Name, Options.Language);
      Result.Entries.push_back(std::move(entry));
      ++Result.Found;
    }
  }

private:
  TBrowserRecord Inherited() const {
    TBrowserRecord r;
    r.ColorIndex = Parent.ColorIndex;
    r.RootKind = Parent.RootKind;
    return r;
  }

  const TBrowserRecord& Parent;
  int Depth;
  const TScanOptions& Options;
  int Entries = 0;
  int Reports = 0;
};

}  // namespace

std::string FolderInfoFile(const TBrowserRecord& record) {
  if (record.Kind == BrowserFolder) return WithoutSlash(record.Path) + ".nfo";
  return ChangeFileExt(record.Path, ".nfo");
}

void ReadFolderInfo(TBrowserRecord& record, std::string& nodeName, int language) {
  record.Hint.clear();
  const std::string text = ReadHead(FolderInfoFile(record), MaxFolderInfoBytes);
  const std::string nameKey = "Name_" + std::to_string(language);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + at, end - at);
    at = end + 1;
    if (auto tip = ParseKeyValueLine(line, "Tip")) {
      record.Hint = *tip;
    } else if (auto name = ParseKeyValueLine(line, nameKey)) {
      nodeName = record.Kind == BrowserFolder ? " " + *name : *name;
    } else if (auto colour = ParseKeyValueLine(line, "ColIndex")) {
      const int32_t index = StrToIntDef(*colour, -1);
      if (index >= 0 && index < BrowserColourCount) record.ColorIndex = index;
    }
  }
}

std::string ScanFilter(TBrowserRootKind rootKind) { return rootKind == SongRoot ? ".ZMP" : ".DS"; }

TScanResult ScanFolder(const std::string& path, const TBrowserRecord& parent, int parentDepth,
                       const std::vector<std::string>& ancestors, const TScanOptions& options) {
  TScanner scanner(parent, parentDepth, options);
  TFolderId id;
  for (const std::string& a : ancestors)
    if (FolderId(a, id)) scanner.Seen.insert(id);
  if (FolderId(path, id)) scanner.Seen.insert(id);
  scanner.Scan(path);
  return std::move(scanner.Result);
}

std::string ScanProgressText(int report, std::string_view looking) {
  return std::string(looking) + std::string(size_t(report % 17 + 1), '.');
}

std::string ScanEndText(const TScanResult& result, std::string_view canceled, std::string_view found) {
  if (result.Canceled) return std::string(canceled);
  if (result.Found > 0) return FormatText(found, {result.Found});
  return {};
}

std::string SearchFolderName(const std::string& path) { return ExtractFileName(WithoutSlash(path)); }

int SampleListSlideWidth(int fullWidth, int k) {
  const double a = std::sin(std::sin(std::abs(k) * M_PI / 24) * M_PI / 2);
  return SampleListStripWidth + int(std::lround((fullWidth - SampleListStripWidth) * a));
}

int SampleListDragWidth(int width, int pressX, int pointerX) {
  return std::clamp(width + pressX - pointerX, SampleListStripWidth, SampleListMaxWidth);
}

}  // namespace vs
