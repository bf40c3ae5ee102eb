#include "files/ZipSong.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"
#include "toolbox/SafeFile.h"

namespace vs {

namespace fs = std::filesystem;

const char* const PackageFolderPrefix = "Package-";

namespace {

uint64_t ProgressCounter = 0;  // main thread only; never reset

// Points the component's progress event at the info sink for one call.
class TProgressBinding {
public:
  TProgressBinding(TZipMaster& zip, const TInfoSink& showInfo) : Zip(zip), Saved(zip.OnProgress) {
    zip.OnProgress = [&showInfo](TZipProgressType, const std::string&, int64_t) { ZipMasterProgress(showInfo); };
  }
  ~TProgressBinding() { Zip.OnProgress = Saved; }

private:
  TZipMaster& Zip;
  TZipMaster::TProgressEvent Saved;
};

std::string WithoutSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (WithoutSlash(a) == WithoutSlash(b)) return true;
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

void RemoveFolder(const std::string& folder) {
  if (folder.empty() || IsProtectedPath(folder)) return;
  std::error_code ec;
  fs::remove_all(folder, ec);  // links inside are removed, not followed
}

// Removes the package folders of the temporary folder except keep.
void ClearOldPackages(const std::string& tempFolder, const std::string& keep) {
  std::error_code ec;
  std::vector<std::string> old;
  for (fs::directory_iterator it(tempFolder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(PackageFolderPrefix, 0) != 0) continue;
    std::error_code ec2;
    if (!fs::is_directory(it->symlink_status(ec2))) continue;
    const std::string path = AddBackslash(tempFolder) + name + "/";
    if (!SameFolder(path, keep)) old.push_back(path);
  }
  for (const std::string& path : old) RemoveFolder(path);
}

// A new, empty folder for one package, ending in "/"; empty when none can
// be made.
std::string MakePackageFolder(const std::string& tempFolder) {
  for (int n = 1; n < 100000; ++n) {
    const std::string path = AddBackslash(tempFolder) + PackageFolderPrefix + std::to_string(n);
    if (::mkdir(path.c_str(), 0700) == 0) return path + "/";
    if (errno != EEXIST) break;
  }
  return {};
}

}  // namespace

TZipMaster& ProgramZipMaster() {
  static TZipMaster zip;
  static const bool setUp = [] {
    zip.AddCompLevel = 9;
    zip.AddOptions = 0;
    zip.ExtrOptions = ExtrOverWrite;
    zip.Unattended = false;
    return true;
  }();
  (void)setUp;
  return zip;
}

std::string ZipProgressText(uint64_t counter) {
  return "Processing zip file" + std::string("...").substr(0, static_cast<size_t>((counter / 4) % 4));
}

void ZipMasterProgress(const TInfoSink& showInfo) {
  ++ProgressCounter;
  if (ProgressCounter % 4 == 0 && showInfo) showInfo(ZipProgressText(ProgressCounter));
}

namespace {

// A new, empty folder for gathering a package's files, ending in "/"; empty
// when none can be made.
std::string MakeGatherFolder(const std::string& workFolder) {
  if (workFolder.empty()) return {};
  std::string pattern = AddBackslash(workFolder) + "Packing-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) return {};
  return std::string(buf.data()) + "/";
}

void CannotWrite(const TZipMaster& zip, const std::string& target, const std::string& why) {
  if (!zip.Unattended)
    HintMessageBox("Error|The zip file " + target + " could not be written." + (why.empty() ? "" : "\r" + why),
                   MbOK | MbIconError);
}

}  // namespace

bool WriteSongPackage(TZipMaster& zip, const std::string& target, const std::string& songName,
                      const std::vector<uint8_t>& songImage, const std::vector<TPackedFile>& files,
                      const std::string& workFolder, const TInfoSink& showInfo) {
  // Every file is gathered under its package name (a link to the file), so
  // that the archive stores each under that name.
  const std::string gather = MakeGatherFolder(workFolder);
  if (gather.empty()) {
    CannotWrite(zip, target, "There is no temporary folder to gather its files in.");
    return false;
  }
  struct TGatherGuard {
    std::string Folder;
    ~TGatherGuard() { RemoveFolder(Folder); }
  } guard{gather};
  const std::string songPath = gather + songName;
  if (const TWriteResult written = WriteFileSafely(songPath, songImage.data(), songImage.size()); !written) {
    CannotWrite(zip, target, written.Reason());
    return false;
  }
  std::vector<std::string> paths{songPath};
  for (const TPackedFile& file : files) {
    const std::string link = gather + file.Name;
    if (file.Path.empty() || file.Name.empty()) continue;
    if (::symlink(file.Path.c_str(), link.c_str()) != 0) {
      CannotWrite(zip, target, file.Path + ": " + std::strerror(errno));
      return false;
    }
    paths.push_back(link);
  }
  // Built beside the target and put in its place only when every file went
  // in: a package is always written new, and a failed one never costs the
  // old file.
  const std::string temp = TempNameBeside(target);
  if (temp.empty()) {
    CannotWrite(zip, target, {});
    return false;
  }
  TProgressBinding progress(zip, showInfo);
  bool listed = true;
  try {
    zip.SetZipFilename(temp);
    zip.FSpecArgs = paths;
    zip.Add();
  } catch (const EZipMaster&) {
    listed = false;  // the archive just written can't be read back
  }
  ClearFPUExceptions();
  const bool complete = listed && zip.SuccessCnt() == static_cast<int>(paths.size()) && zip.ErrCode() == 0;
  if (!complete || !CommitFinishedFile(temp, target)) {
    ::unlink(temp.c_str());
    if (complete) CannotWrite(zip, target, {});
    zip.SetZipFilename({});
    return false;
  }
  try {
    zip.SetZipFilename(target);
  } catch (const EZipMaster&) {
  }
  return true;
}

std::optional<std::string> OpenSongPackage(TZipMaster& zip, const std::string& package,
                                           const std::string& tempFolder, const std::string& keepFolder,
                                           const TInfoSink& showInfo) {
  if (tempFolder.empty()) {
    if (!zip.Unattended) HintMessageBox("Error|There is no temporary folder to unzip into.", MbOK | MbIconError);
    return std::nullopt;
  }
  ClearOldPackages(tempFolder, keepFolder);
  if (showInfo) showInfo("Unzipping: " + LowerCase(ExtractFileName(package)));
  TProgressBinding progress(zip, showInfo);
  try {
    zip.SetZipFilename(package);
  } catch (const EZipMaster& e) {
    if (!zip.Unattended) HintMessageBox("Error|" + std::string(e.what()), MbOK | MbIconError);
    return std::nullopt;
  }
  const std::string folder = MakePackageFolder(tempFolder);
  if (folder.empty()) {
    if (!zip.Unattended) HintMessageBox("Error|There is no temporary folder to unzip into.", MbOK | MbIconError);
    return std::nullopt;
  }
  zip.ExtrBaseDir = WithoutSlash(folder);
  zip.FSpecArgs.clear();
  // The private temporary folder goes with the process: nothing there
  // must outlast a crash.
  const bool sync = zip.ExtrSyncFiles;
  zip.ExtrSyncFiles = false;
  zip.Extract();
  zip.ExtrSyncFiles = sync;
  ClearFPUExceptions();
  // A package that could not be unpacked whole is not opened: a song
  // without some of its samples is not the song that was packed.
  if (zip.ErrCode() != 0) {
    RemoveFolder(folder);
    return std::nullopt;
  }
  std::string song = FindFirstFilePath(folder, "*.zmp");
  if (song.empty()) RemoveFolder(folder);
  return song;
}

}  // namespace vs
