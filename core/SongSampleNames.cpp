#include "core/SongSampleNames.h"

#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"
#include "toolbox/TextCodec.h"

namespace vs {

namespace fs = std::filesystem;

namespace {

// The path made absolute with its links resolved as far as they exist.
std::string Canonical(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? path : p.string();
}

bool InsideFolder(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty()) return false;
  const std::string base = AddBackslash(Canonical(folder));
  return Canonical(path).rfind(base, 0) == 0;
}

bool SameBytes(const std::string& a, const std::string& b) {
  const std::optional<std::string> x = ReadFileBytes(a);
  const std::optional<std::string> y = x ? ReadFileBytes(b) : std::nullopt;
  return x && y && *x == *y;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

std::string HoldableFileName(const std::string& name) { return Cp1252ToUtf8(Utf8ToCp1252(name, '_')); }

std::string FreeFileName(const std::string& wanted, const std::function<bool(const std::string&)>& taken) {
  if (!taken(wanted)) return wanted;
  const std::string ext = ExtractFileExt(wanted);
  const std::string stem = wanted.substr(0, wanted.size() - ext.size());
  for (int n = 2;; ++n) {
    const std::string name = stem + "-" + std::to_string(n) + ext;
    if (!taken(name)) return name;
  }
}

TSongSampleNames CopySamplesBesideSong(const TSong& song, const std::string& songFile,
                                       const std::string& tempFolder) {
  TSongSampleNames names;
  const std::string folder = AddBackslash(ExtractFilePath(Canonical(songFile)));
  const bool songInTemp = InsideFolder(songFile, tempFolder);
  // A folder the song can't name is left out: the copy is found beside the
  // song by its bare name.
  const bool nameFolder = FitsCp1252(folder);
  // A name outside the temporary folder can lead into it only through the
  // song's folder (a sample not where it was named, found beside the song).
  const bool songFromTemp = !songInTemp && InsideFolder(ProgramPaths().SongFileName, tempFolder);
  std::map<std::string, std::string> copyOf;  // source -> stored name of its copy
  std::set<std::string> newNames;             // copies this save names
  for (int i = 0; i < song.ChannelCount(); ++i) {
    const std::string& own = song.Channels[size_t(i)]->SampleFileName;
    names.Stored.push_back(own);
    if (own.empty()) continue;
    if (FitsCp1252(own) && !songFromTemp && (songInTemp || !InsideFolder(own, tempFolder))) continue;
    const std::string path = ResolveSamplePath(own);
    if (path.empty()) continue;  // nothing to copy: the name stays as it was
    const bool temporary = !songInTemp && InsideFolder(path, tempFolder);
    if (!temporary && FitsCp1252(own)) continue;
    if (auto it = copyOf.find(path); it != copyOf.end()) {
      names.Stored.back() = it->second;
      continue;
    }
    TSampleCopy copy;
    copy.Source = path;
    const std::string name = FreeFileName(HoldableFileName(ExtractFileName(path)), [&](const std::string& n) {
      if (newNames.count(n)) return true;
      const std::string target = folder + n;
      return Exists(target) && !SameBytes(target, path);
    });
    copy.Copy = folder + name;
    if (!Exists(copy.Copy)) {
      if (!CopyFileNoOverwrite(path, copy.Copy)) {
        names.FailedSource = path;
        names.FailedCopy = copy.Copy;
        RemoveMadeCopies(names);
        return names;
      }
      copy.Made = true;
    }
    newNames.insert(name);
    const std::string stored = nameFolder ? StoredSampleName(copy.Copy) : name;
    copyOf[path] = stored;
    names.Stored.back() = stored;
    names.Copies.push_back(std::move(copy));
  }
  return names;
}

void RemoveMadeCopies(const TSongSampleNames& names) {
  for (const TSampleCopy& copy : names.Copies)
    if (copy.Made) ::unlink(copy.Copy.c_str());
}

std::string CopiedSamplesInfo(const TSongSampleNames& names) {
  if (names.Copies.empty()) return {};
  std::string list;
  for (const TSampleCopy& copy : names.Copies) {
    if (!list.empty()) list += ", ";
    list += ExtractFileName(copy.Copy);
  }
  return "Samples copied beside the song: " + list;
}

TPackagePlan PlanSongPackage(const TSong& song, const std::string& package) {
  TPackagePlan plan;
  plan.SongName = HoldableFileName(ChangeFileExt(ExtractFileName(package), ".zmp"));
  std::set<std::string> taken{LowerCase(plan.SongName)};  // the archive tells names apart in no case
  std::map<std::string, std::string> packedAs;             // sample path -> its name in the package
  for (int i = 0; i < song.ChannelCount(); ++i) {
    const std::string& own = song.Channels[size_t(i)]->SampleFileName;
    plan.Stored.push_back(own);
    if (own.empty()) continue;
    const std::string path = ResolveSamplePath(own);
    if (path.empty()) continue;
    auto it = packedAs.find(path);
    if (it == packedAs.end()) {
      const std::string name = FreeFileName(HoldableFileName(ExtractFileName(path)),
                                            [&](const std::string& n) { return taken.count(LowerCase(n)) > 0; });
      taken.insert(LowerCase(name));
      plan.Files.push_back({path, name});
      it = packedAs.emplace(path, name).first;
    }
    plan.Stored.back() = it->second;
  }
  return plan;
}

}  // namespace vs
