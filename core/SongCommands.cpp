#include "core/SongCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "core/ChannelFiles.h"
#include "core/ChannelSettings.h"
#include "core/MasterValues.h"
#include "core/PlayPosition.h"
#include "core/ProgramPaths.h"
#include "core/ProgramVersion.h"
#include "core/SongSampleNames.h"
#include "core/SettingsCommands.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "engine/Mixer.h"
#include "engine/MixThread.h"
#include "engine/SoundProcs.h"
#include "files/MIDIExport.h"
#include "files/SongFile.h"
#include "files/SongPlugins.h"
#include "files/SongReader.h"
#include "files/ZipSong.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"
#include "toolbox/SafeFile.h"

namespace vs {

const char* const SaveChangesQuestion = "Confirm|Save changes to %s?";
const char* const RenderQuestion =
    "Confirm|Do you want to render the modified loop to a wave file so it can be used with Quillpath?";
const char* const FileMissingMessage = "Error|The file doesn't exist or has been moved.";
const char* const SongReadErrorMessage = "Error|Error while reading the ZMP file\rwhich may be corrupted.";
const char* const CollectSamplesTitle = "Collect samples";
const char* const CollectClickTitle = "Save click marked samples";
const char* const CopySamplesText = "Copy the %d samples you used to...";

namespace {

// Where a new song lives until it is saved: "Loops/untitled.zmp".
std::string UntitledSongPath() { return AddBackslash(ProgramPaths().AppPath) + "Loops/" + UntitledSongName; }

bool FileExists(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void NotAvailable(const char* what) {
  HintMessageBox(std::string("Error|") + what + " is not available yet.", MbOK | MbIconError);
}

}  // namespace

const char* SaveTypeExtension(int type) {
  switch (type) {
    case SaveTypeWAV: return "wav";
    case SaveTypeMIDI: return "mid";
    case SaveTypePackage: return "zip";
    default: return "zmp";
  }
}

const char* const CollectedAsText =
    "Collect samples|Other samples had the same names, so these went in under free names, and their channels now "
    "name the copies:\r%s";

std::string CollectWriteErrorMessage(const std::string& fileName) {
  return "Error|The sample could not be written as " + fileName + ".";
}

std::string SampleCopyErrorMessage(const std::string& fileName, const std::string& sample, const std::string& copy) {
  return "Error|The song could not be saved as " + fileName + ".\rThe sample " + sample +
         " could not be copied beside it as " + copy + ".";
}

int SaveTypeOfName(const std::string& fileName, int fallback) {
  for (int type = SaveTypeSong; type <= SaveTypePackage; ++type)
    if (HasExtension(fileName, std::string(".") + SaveTypeExtension(type))) return type;
  return fallback;
}

std::string RenderedInfoText(const TRenderResult& result, const std::string& fileName) {
  if (!result.Ok) return {};
  if (!result.Cancelled)
    return FormatText(WindowText(MainWindowTable, "@Rendered", "Rendered %s"), {fileName});
  const int64_t tenths = std::max<int64_t>(result.Frames, 0) * 10 / 44100;
  const std::string seconds = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  return FormatText(WindowText(MainWindowTable, "@RenderCancelled", "Render cancelled: %s holds the first %s sec"),
                    {fileName, seconds});
}

std::string SongSaveErrorMessage(const std::string& fileName, const TWriteResult& result) {
  return FormatText(WindowText(MainWindowTable, "@SongSaveError", "Error|The song could not be saved as %s."),
                    {fileName}) +
         "\r" + result.Reason();
}

// ------------------------------------------------------------------ host

std::optional<TSaveChoice> TSongCommandHost::ChooseSaveFile(const std::string&, int) { return std::nullopt; }
std::optional<std::string> TSongCommandHost::ChooseOpenFile() { return std::nullopt; }
std::optional<std::string> TSongCommandHost::ChooseFolder(const std::string&, const std::string&,
                                                          const std::string&) {
  return std::nullopt;
}
void TSongCommandHost::SuspendOutput() { vs::SuspendOutput(); }
void TSongCommandHost::ResumeOutput() { vs::ResumeOutput(); }

bool TSongCommandHost::RenderWAV(const std::string&) {
  NotAvailable("Rendering");
  return false;
}
bool TSongCommandHost::WritePackage(const std::string& fileName) {
  SetBusyCursor(true);
  // The song as it is now, naming its samples by their names in the
  // package.
  const TSong& song = CurrentSong();
  const TPackagePlan plan = PlanSongPackage(song, fileName);
  SongHost files = FileHost();
  files.SampleNames = plan.Stored;
  const bool ok = WriteSongPackage(ProgramZipMaster(), fileName, plan.SongName, BuildSongImage(song, files),
                                   plan.Files, GetTempDirectory(),
                                   [this](const std::string& text) { ShowInfoNow(text); });
  SetBusyCursor(false);
  ShowInfo("");
  return ok;
}
std::optional<std::string> TSongCommandHost::OpenPackage(const std::string& fileName) {
  // The folder of the open song is kept: it may be an earlier package's.
  return OpenSongPackage(ProgramZipMaster(), fileName, GetTempDirectory(),
                         ExtractFilePath(ProgramPaths().SongFileName),
                         [this](const std::string& text) { ShowInfoNow(text); });
}
bool TSongCommandHost::WriteClickMarkedSample(const TWAVSample&, const std::string&) {
  NotAvailable("Writing click marked samples");
  return false;
}

SongHost TSongCommandHost::FileHost() {
  SongHost host;
  host.Plugins = &ProgramSongPlugins();
  host.Loader = &ProgramChannelLoader();
  host.ProgramVersion = ProgramVersion();
  return host;
}

// ---------------------------------------------------------- song opened

void ApplyOpenedSong(TSong& song, int bankSelectMethod) {
  // Outside the mixer lock: the tempo reaches the step timer.
  SetTempo(song.BPM);
  // The echo line takes the song's echo at the song's tempo.
  ApplySongEcho(song);
  LoopButtonClick(song.SongModeOn);
  // Every channel's instrument and controller start values, in channel
  // order, on the note output.
  for (const auto& channel : song.Channels) {
    SendChannelPatch(*channel, bankSelectMethod);
    SendChannelControllers(*channel);
  }
}

// ------------------------------------------------------------- no overwrite

bool CreateFileNoOverwrite(const std::string& target, const std::function<bool(const std::string&)>& write) {
  if (target.empty() || FileExists(target)) return false;
  static std::atomic<unsigned> counter{0};
  const std::string temp = target + ".vs-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  ::unlink(temp.c_str());
  if (!write(temp)) {
    ::unlink(temp.c_str());
    return false;
  }
  bool ok = ::link(temp.c_str(), target.c_str()) == 0;
  if (!ok && errno != EEXIST) {
    // A file system without hard links: make the name exclusively, then
    // move the file over that empty placeholder.
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) {
      ::close(fd);
      ok = ::rename(temp.c_str(), target.c_str()) == 0;
      if (!ok) ::unlink(target.c_str());
    }
  }
  ::unlink(temp.c_str());
  return ok;
}

bool CopyFileNoOverwrite(const std::string& source, const std::string& target) {
  return CreateFileNoOverwrite(target, [&](const std::string& temp) {
    const std::optional<std::string> bytes = ReadFileBytes(source);
    return bytes && WriteFileSafely(temp, *bytes);
  });
}

// --------------------------------------------------------------- commands

TSongCommands::TSongCommands(TPreferences& prefs, TSongCommandHost& host) : Prefs(prefs), Host(host) {}

int TSongCommands::AskSaveChanges() {
  if (!CurrentSong().Modified()) return IdNo;
  const std::string question = WindowText(MainWindowTable, "@SaveChanges", SaveChangesQuestion);
  int answer = HintMessageBox(FormatText(question, {ExtractFileName(OpenedFileName)}),
                              MbYesNoCancel | MbIconQuestion);
  if (answer == IdYes) {
    Save(true);
    // Not saved (dialog cancelled, write failed, another type chosen): the
    // command that asked must not discard the song.
    if (CurrentSong().Modified()) return IdCancel;
    if (RenderAfterSave &&
        HintMessageBox(RenderQuestion, MbYesNo | MbIconQuestion) == IdYes) {
      RenderWAVCommand();
      answer = IdCancel;
    }
  }
  return answer == IdYes || answer == IdNo ? answer : IdCancel;
}

bool TSongCommands::OpenSong(const std::string& path) {
  if (!FileExists(path)) {
    HintMessageBox(WindowText(MainWindowTable, "@FileMissing", FileMissingMessage), MbOK | MbIconError);
    return false;
  }
  Host.SetBusyCursor(true);
  std::string songFile = path;
  if (HasExtension(path, ".zip")) {
    const std::optional<std::string> unpacked = Host.OpenPackage(path);
    if (!unpacked) {
      Host.SetBusyCursor(false);
      return false;
    }
    songFile = *unpacked;
  }
  const std::string oldName = ProgramPaths().SongFileName;
  ProgramPaths().SongFileName = songFile;
  const SongHost files = Host.FileHost();
  SongReadOptions options;
  options.TrackSongFileName = TrackSongFileName;
  options.KeptPatternLength = CurrentSong().PatternLength();
  options.Loader = files.Loader;
  // The file and its samples are read into a song apart while the current
  // one plays on.
  TSongFileContent content;
  const bool loaded = ReadSongFile(songFile, content, options) == SongLoaded;
  const std::string unused = loaded ? UnusedChannelFilesMessage(content.UnusedFiles, *content.Song) : std::string();
  if (loaded) {
    // Only the swap holds the output: the old song and every voice that
    // plays its samples go together, unheard by the mixer, and the old
    // song's samples are freed after the output runs again.
    std::unique_ptr<TSong> old;
    Host.SuspendOutput();
    old = SwapCurrentSong(std::move(content.Song));
    StopAllVoices();
    ClearFilterState(Mixer().MasterFilter);
    // The song's master filter is heard (and rendered) as it was saved.
    ApplyMasterFilter(CurrentSong());
    Mixer().SongMode = CurrentSong().SongModeOn ? 1 : 0;
    CurrentSong().Playlist.ComputeSongEnd();
    Host.ResumeOutput();
    old.reset();
    NotifySongReplaced();
    ApplySongFileHost(content, files);
  }
  if (!loaded) {
    ProgramPaths().SongFileName = oldName;
    Host.SetBusyCursor(false);
    // A file that could not be read says why ("Permission denied").
    HintMessageBox(WindowText(MainWindowTable, "@SongReadError", SongReadErrorMessage) +
                       (content.ReadError != 0 && songFile == path
                            ? "\r" + path + ": " + std::strerror(content.ReadError)
                            : ""),
                   MbOK | MbIconError);
    return false;
  }
  TSong& song = CurrentSong();
  ApplyOpenedSong(song, Prefs.BankSelectMethod);
  SetSongFileName(songFile, path);
  Host.FitMainWindowHeight();
  Host.SongOpened();
  if (!SongTitle.empty())
    Host.ShowInfo(FormatText(WindowText(MainWindowTable, "@LoopLoaded", "Loop loaded... (%d patterns)"),
                             {song.Playlist.SongEndBar + 1}));
  Host.SetBusyCursor(false);
  song.SetModified(false);
  // Once per song: which channels stay silent because of their files.
  if (!unused.empty()) HintMessageBox(unused, MbOK | MbIconWarning);
  return true;
}

void TSongCommands::SetSongFileName(const std::string& file, const std::string& shown) {
  ProgramPaths().SongFileName = file;
  OpenedFileName = shown;
  if (!TrackSongFileName) {
    CurrentSong().NotifyValue(TSongValue::FileName);
    return;
  }
  UpdateSongTitle();
  AddRecentFile(Prefs.RecentFiles, shown);
  Host.RecentFilesChanged();
}

void TSongCommands::UpdateSongTitle() {
  const std::string& title = CurrentSong().Info.Title;
  ShowSongTitle(title.empty() ? ExtractFileName(OpenedFileName) : title);
}

void TSongCommands::ShowSongTitle(const std::string& title) {
  SongTitle = title;
  CurrentSong().NotifyValue(TSongValue::FileName);
}

void TSongCommands::ResetSong() {
  {
    MixerGuard lock;
    TSong& song = CurrentSong();
    StopAllVoices();  // the channels and their samples go
    ResetSongModel(song, !TrackSongFileName);
    ClearFilterState(Mixer().MasterFilter);
    ApplyMasterFilter(song);
  }
  // The empty song plays from its first bar.
  SetPlaylistPosition(CurrentSong(), 0);
  ApplySongEcho(CurrentSong());
  const SongHost files = Host.FileHost();
  if (files.Plugins) files.Plugins->UnloadAll();
  Host.SetSampleCommandsEnabled(false);
  Host.SongWasReset();
}

void TSongCommands::New() {
  if (AskSaveChanges() == IdCancel) return;
  ShowSongTitle("");
  TrackSongFileName = false;
  // A kit that is missing or can't be read gives the empty song.
  const bool kit = FileExists(Prefs.DrumKitFileName) && OpenSong(Prefs.DrumKitFileName);
  if (!kit) ResetSong();
  Host.FitMainWindowHeight();
  const std::string untitled = UntitledSongPath();
  SetSongFileName(untitled, untitled);
  TrackSongFileName = true;
  CurrentSong().SetModified(false);
}

bool TSongCommands::OpenAsUntitled(const std::string& file) {
  ShowSongTitle("");
  TrackSongFileName = false;
  const bool opened = OpenSong(file);
  if (opened) {
    Host.FitMainWindowHeight();
    const std::string untitled = UntitledSongPath();
    SetSongFileName(untitled, untitled);
  }
  TrackSongFileName = true;
  if (opened)
    CurrentSong().SetModified(false);
  else
    UpdateSongTitle();
  return opened;
}

void TSongCommands::OpenDrumKit(const std::string& kitFileName, const std::string& caption) {
  if (AskSaveChanges() == IdCancel) return;
  CurrentSong().SetModified(false);
  Prefs.DrumKitFileName = kitFileName;
  New();
  Host.ShowInfo(caption + " kit loaded");
}

void TSongCommands::Open() {
  Host.HideSongInfo();
  if (AskSaveChanges() == IdCancel) return;
  if (const std::optional<std::string> file = Host.ChooseOpenFile()) OpenSong(*file);
}

void TSongCommands::OpenRecent(int index) {
  if (index < 0 || index >= RecentFileCount || Prefs.RecentFiles[index].empty()) return;
  if (AskSaveChanges() == IdCancel) return;
  const std::string file = Prefs.RecentFiles[index];  // opening reorders the list
  OpenSong(file);
}

bool TSongCommands::Save(bool fromWindow) {
  if (SameText(ExtractFileName(OpenedFileName), UntitledSongName) || HasExtension(OpenedFileName, ".zip") ||
      ProgramPaths().SongFileName.empty())
    return SaveAs(fromWindow);
  const std::string file = ProgramPaths().SongFileName;
  if (!WriteSongFile(file)) return false;
  if (RenderAfterSave && !fromWindow) AskRender();
  return true;
}

bool TSongCommands::SaveAs(bool fromWindow) {
  return SaveAsType(HasExtension(OpenedFileName, ".zip") ? SaveTypePackage : SaveTypeSong, fromWindow, true);
}

bool TSongCommands::WriteSongFile(const std::string& fileName) {
  TSong& song = CurrentSong();
  const TSongSampleNames names = CopySamplesBesideSong(song, fileName, GetTempDirectory());
  if (names.Failed()) {
    HintMessageBox(SampleCopyErrorMessage(fileName, names.FailedSource, names.FailedCopy), MbOK | MbIconError);
    return false;
  }
  SongHost files = Host.FileHost();
  files.SampleNames = names.Stored;
  if (const TWriteResult saved = SaveSong(fileName, song, files); !saved) {
    RemoveMadeCopies(names);
    ReportSaveError(fileName, saved);
    return false;
  }
  // From now on the channels name what the file names.
  for (int i = 0; i < song.ChannelCount() && size_t(i) < names.Stored.size(); ++i)
    song.Channels[size_t(i)]->SampleFileName = names.Stored[size_t(i)];
  if (const std::string info = CopiedSamplesInfo(names); !info.empty()) Host.ShowInfo(info);
  return true;
}

bool TSongCommands::RenderWAVCommand() { return SaveAsType(SaveTypeWAV); }
bool TSongCommands::SaveAsMIDICommand() { return SaveAsType(SaveTypeMIDI); }
bool TSongCommands::ZippedCommand() { return SaveAsType(SaveTypePackage); }

bool TSongCommands::SaveAsType(int type, bool fromWindow, bool saving) {
  if (type < SaveTypeSong || type > SaveTypePackage) type = SaveTypeSong;
  const std::string start =
      type == SaveTypeSong || (type == SaveTypePackage && HasExtension(OpenedFileName, ".zip"))
          ? OpenedFileName
          : ChangeFileExt(OpenedFileName, std::string(".") + SaveTypeExtension(type));
  const std::optional<TSaveChoice> choice = Host.ChooseSaveFile(start, type);
  if (!choice || choice->FileName.empty()) return false;
  const int filter = choice->Type >= SaveTypeSong && choice->Type <= SaveTypePackage ? choice->Type : type;
  // A typed extension of one of the types is the user's choice of type.
  const int chosen = SaveTypeOfName(choice->FileName, filter);
  std::string name = choice->FileName;
  if (ExtractFileExt(name).empty()) name += std::string(".") + SaveTypeExtension(chosen);
  switch (chosen) {
    case SaveTypeSong: {
      if (!WriteSongFile(name)) return false;
      SetSongFileName(name, name);
      if (RenderAfterSave && !fromWindow) AskRender();
      return true;
    }
    case SaveTypeWAV:
      RenderFileName = name;
      return Host.RenderWAV(name);
    case SaveTypeMIDI: {
      Host.SetBusyCursor(true);
      TMIDIExportOptions options;
      options.BankSelectMethod = Prefs.BankSelectMethod;
      const TWriteResult saved = SaveSongAsMIDI(name, CurrentSong(), options);
      Host.SetBusyCursor(false);
      if (!saved) {
        ReportSaveError(name, saved);
        return false;
      }
      return true;
    }
    default: {
      if (!Host.WritePackage(name)) return false;
      // A package saved as the song (Save, Save as), or over the package
      // the song came from, holds the song as it is now.
      if (saving || name == OpenedFileName) {
        SetSongFileName(ProgramPaths().SongFileName, name);
        CurrentSong().SetModified(false);
      }
      return true;
    }
  }
}

void TSongCommands::AskRender() {
  if (HintMessageBox(RenderQuestion, MbYesNo | MbIconQuestion) == IdYes) RenderWAVCommand();
}

void TSongCommands::ReportSaveError(const std::string& fileName, const TWriteResult& result) {
  HintMessageBox(SongSaveErrorMessage(fileName, result), MbOK | MbIconError);
}

int TSongCommands::CountDistinctSamples(const TSong& song) {
  int count = 0;
  for (int i = 0; i < song.ChannelCount(); ++i) {
    const std::string& name = song.Channels[i]->SampleFileName;
    if (name.empty()) continue;
    bool earlier = false;
    for (int j = 0; j < i && !earlier; ++j) earlier = song.Channels[j]->SampleFileName == name;
    if (!earlier) ++count;
  }
  return count;
}

int TSongCommands::CollectSamples(bool clickMarked) {
  TSong& song = CurrentSong();
  const std::string text =
      FormatText(WindowText(MainWindowTable, "@CopySamples", CopySamplesText), {CountDistinctSamples(song)});
  const std::string title =
      clickMarked ? CollectClickTitle : WindowText(MainWindowTable, "@CollectSamples", CollectSamplesTitle);
  const std::optional<std::string> folder =
      Host.ChooseFolder(title, text,
                        ExtractFilePath(OpenedFileName));
  if (!folder || folder->empty()) return 0;
  Host.SetBusyCursor(true);
  int written = 0;
  std::string failed;  // the first file that could not be written
  const std::string into = AddBackslash(*folder);
  std::map<std::string, std::string> collectedAs;  // sample path -> the file it went to
  std::set<std::string> taken;                     // the files this collection went to
  std::string renamed;                             // the samples that went in under a free name
  for (int i = 0; i < song.ChannelCount() && failed.empty(); ++i) {
    TChannel& channel = *song.Channels[i];
    if (channel.SampleFileName.empty()) continue;
    const std::string path = ResolveSamplePath(channel.SampleFileName);
    if (path.empty()) continue;
    if (clickMarked && channel.Sample.Length <= 0) continue;
    std::string target = into + ExtractFileName(path);
    const auto before = collectedAs.find(path);
    if (before != collectedAs.end()) {
      target = before->second;
    } else if (taken.count(target) != 0) {
      // Another sample of this collection has the name: this one goes in
      // under a free name.
      target = into + FreeFileName(ExtractFileName(path), [&](const std::string& name) {
                 return taken.count(into + name) != 0 || FileExists(into + name);
               });
    } else if (FileExists(target)) {
      // A file of that name stays and is skipped without a word.
      collectedAs[path] = target;
      taken.insert(target);
      continue;
    }
    if (before == collectedAs.end()) {
      const bool ok = clickMarked ? CreateFileNoOverwrite(target,
                                                          [&](const std::string& temp) {
                                                            return Host.WriteClickMarkedSample(channel.Sample, temp);
                                                          })
                                  : CopyFileNoOverwrite(path, target);
      if (!ok) {
        if (!FileExists(target)) failed = target;
        continue;
      }
      ++written;
      collectedAs[path] = target;
      taken.insert(target);
    }
    // A copy under another name than its sample's: the channel names the
    // copy from now on.
    if (ExtractFileName(target) != ExtractFileName(path)) {
      channel.SampleFileName = StoredSampleName(target);
      song.SetModified();
      song.Notify(&SongListener::ChannelChanged, i);
      renamed += "\r" + ExtractFileName(path) + " -> " + ExtractFileName(target) + " (" +
                 (channel.Name.empty() ? WindowText(MainWindowTable, "@ChannelN", "Channel ") + std::to_string(i + 1)
                                       : channel.Name) +
                 ")";
    }
  }
  Host.SetBusyCursor(false);
  if (!failed.empty()) HintMessageBox(CollectWriteErrorMessage(failed), MbOK | MbIconError);
  if (!renamed.empty())
    HintMessageBox(FormatText(WindowText(MainWindowTable, "@CollectedAs", CollectedAsText), {renamed.substr(1)}),
                   MbOK | MbIconInformation);
  return written;
}

}  // namespace vs
