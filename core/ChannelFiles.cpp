#include "core/ChannelFiles.h"

#include <filesystem>
#include <new>
#include <optional>

#include "core/ChannelCommands.h"
#include "core/ProgramPaths.h"
#include "model/Channels.h"
#include "model/MB404Params.h"
#include "model/MixerLock.h"
#include "engine/ChannelSample.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/OutsideRenderers.h"
#include "engine/WAVFiles.h"
#include "files/XIFiles.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"
#include "toolbox/PathTools.h"

namespace fs = std::filesystem;

namespace vs {

TWAVSample LoadedSample;
TWAVSample PreviewSample;
std::string PreviewFileName;

const char* const DSLibraryMissingMessage = "Error|Sorry you need the ds2wav.dll in order to render this loop.";
const char* const DSLibraryTooOldMessage =
    "Error|Sorry your ds2wav.dll is too old to render this loop.\rPlease install a newer version.";
const char* const DSScriptFaultMessage = "Error|Sorry could not render this DS script due to a problem with the file...";

void TChannelFileHost::SuspendOutput() { vs::SuspendOutput(); }
void TChannelFileHost::ResumeOutput() { vs::ResumeOutput(); }
void TChannelFileHost::AddChannelAndShow(TSong& song) { AddChannel(song); }

namespace {

TChannelFileHost DefaultHost;
TChannelFileHost* Host = &DefaultHost;

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

// path when it is a file, else the file that matches it in any case, else empty.
std::string ExistingFile(const std::string& path) {
  if (IsFile(path)) return path;
  std::string found = FindPathCaseInsensitive(path);
  return IsFile(found) ? found : std::string();
}

bool IsSampleExtension(const std::string& upperExt) {
  return upperExt == ".WAV" || upperExt == ".XI" || upperExt == ".DS" || upperExt == ".SYN";
}

// Holds the output for the lifetime of the object.
class TOutputHold {
public:
  TOutputHold() { Host->SuspendOutput(); }
  ~TOutputHold() { Host->ResumeOutput(); }
  TOutputHold(const TOutputHold&) = delete;
  TOutputHold& operator=(const TOutputHold&) = delete;
};

class TBusyCursor {
public:
  TBusyCursor() { Host->SetBusyCursor(true); }
  ~TBusyCursor() { Host->SetBusyCursor(false); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Renders a drum script into its WAV file, telling the user of failures.
// False when a failure was told.
bool RenderDrumScript(const std::string& script, const std::string& wav) {
  Host->ShowInfo(FormatText(WindowText(MainWindowTable, "@RenderingFile", "Rendering: %s"),
                            {LowerCase(ExtractFileName(script))}));
  const int result = RenderDSFile(script, wav, nullptr);
  if (result == LibraryMissing)
    Host->ShowError(DSLibraryMissingMessage);
  else if (result == 1)
    Host->ShowError(DSLibraryTooOldMessage);
  else if (result == 2 || result == 3)
    Host->ShowError(DSScriptFaultMessage);
  else
    return true;
  return false;
}

void UpdateSampleCommands(const TSong& song) {
  bool any = false;
  for (const auto& c : song.Channels) any = any || !c->SampleFileName.empty();
  Host->SetSampleCommandsEnabled(any);
}

bool LoadIntoChannel(TSong& song, int index, const std::string& name, bool adoptName, bool refresh,
                     bool keepOnFailure, bool* used);

class TProgramChannelLoader : public ChannelFileLoader {
public:
  bool LoadFileIntoChannel(TSong& song, int index, const std::string& name) override {
    bool used = false;
    LoadIntoChannel(song, index, name, false, false, false, &used);
    return used;
  }
  void RebuildSample(TSong& song, int index) override {
    TChannel* channel = song.Channel(index);
    if (!channel) return;
    try {
      PrepareChannelSource(*channel);
      ProcessSample(*channel, LoadedSample);
    } catch (const std::bad_alloc&) {
      LoadedSample.Clear();
      channel->Sample.Clear();
      if (!channel->SampleFileName.empty()) Host->SampleNotLoaded(channel->SampleFileName);
    }
  }
};

}  // namespace

void SetChannelFileHost(TChannelFileHost* host) { Host = host ? host : &DefaultHost; }
TChannelFileHost& ChannelFileHost() { return *Host; }

std::string ResolveSamplePath(const std::string& name) {
  const std::string path = StoredNameToPath(name, SamplesFolder());
  if (path.empty()) return {};
  // A name without a folder (as a package's song stores) means the song's
  // own folder, never the folder the program happens to run in.
  const bool bare = path.find('/') == std::string::npos && path.find('\\') == std::string::npos;
  if (!bare)
    if (std::string found = ExistingFile(path); !found.empty()) return found;
  const std::string file = ExtractFileName(name);
  if (!bare) Host->ShowInfo(FormatText(WindowText(MainWindowTable, "@Locating", "Locating: %s"), {LowerCase(file)}));
  if (file.empty() || file == "." || file == "..") return {};
  const std::string& song = ProgramPaths().SongFileName;
  if (!song.empty())
    if (std::string found = ExistingFile(ExtractFilePath(song) + file); !found.empty()) return found;
  for (const std::string& folder : ProgramPaths().SampleSearchPaths)
    if (std::string found = FindInSubDirs(file, folder); IsFile(found)) return found;
  return {};
}

std::string StoredSampleName(const std::string& path) {
  const std::string base = SamplesFolder();
  if (path.size() > base.size() && SameText(std::string_view(path).substr(0, base.size()), base))
    return PathToStoredName(base + path.substr(base.size()), base);
  return path;
}

std::string SiblingWAVPath(const std::string& name) {
  if (name.empty() || HasExtension(name, ".WAV")) return name;
  const std::string ext = ExtractFileExt(name);
  const bool lower = !ext.empty() && LowerCase(ext) == ext && UpperCase(ext) != ext;
  const std::string wav = ChangeFileExt(name, lower ? ".wav" : ".WAV");
  if (std::string found = ExistingFile(wav); !found.empty()) return found;
  return wav;
}

int LoadSampleFile(const std::string& name, TWAVSample& sample) {
  sample.Clear();
  if (name.empty()) return WAVCannotOpen;
  const std::string ext = UpperCase(ExtractFileExt(name));
  if (ext == ".XI") return LoadXIFile(name, sample);
  if (ext == ".SYN") return LoadSynthPreset(name, sample, -1);
  std::string wav = SiblingWAVPath(name);
  if (ext == ".DS" && !IsFile(wav)) {
    const std::string temp = GetTempDirectory();
    if (temp.empty()) return WAVCannotOpen;
    wav = temp + "temp.wav";
    std::error_code ec;
    fs::remove(wav, ec);  // never load what an earlier render left
    if (const int rendered = RenderDSFile(name, wav, nullptr); rendered != 0) return rendered;
  }
  return LoadWAVSample(wav, sample);
}

namespace {

// A preset file that holds a whole parameter block.
bool ReadableMB404Preset(const std::string& name) {
  std::error_code ec;
  const std::string file = ExistingFile(name);
  const uintmax_t size = fs::file_size(file.empty() ? name : file, ec);
  return !ec && size >= MB404ParamBytes;
}

// With keepOnFailure a file that can't be loaded leaves the channel as it
// was and is reported; false then. used (when given) tells whether the file
// was taken: a sample loaded, a preset or step text read (or the channel
// does not play samples, and a sample name means nothing to it).
bool LoadIntoChannel(TSong& song, int index, const std::string& name, bool adoptName, bool refresh,
                     bool keepOnFailure, bool* used = nullptr) {
  TChannel* ch = song.Channel(index);
  if (used) *used = false;
  if (!ch) return false;
  const std::string ext = UpperCase(ExtractFileExt(name));
  if (!name.empty() && !IsSampleExtension(ext)) {
    bool loaded = true;
    // Any other kind of file does nothing.
    if (used) *used = ext == ".404" || ext == ".FPR";
    if (ext == ".404") {
      std::string file = ExistingFile(name);
      loaded = ch->LoadMB404Preset(file.empty() ? name : file);
      if (loaded) {
        Host->RefreshChannelSettings(index);
        song.SetModified();
      }
    } else if (ext == ".FPR") {
      std::string file = ExistingFile(name);
      loaded = ch->LoadFXText(file.empty() ? name : file);
      if (loaded) song.SetModified();
    }
    if (used) *used = *used && loaded;
    // A good preset on a sample channel is passed over as ever.
    if (!loaded && keepOnFailure && (ch->Kind == 1 || ext != ".404" || !ReadableMB404Preset(name)))
      Host->ShowError(SampleLoadErrorMessage(name));
    return loaded;
  }
  if (name == ch->SampleFileName || ch->Kind == 1) {
    if (used) *used = ch->Kind == 1 || !ch->Sample.Empty() || name.empty();
    return true;
  }

  std::string adopted = ChangeFileExt(ExtractFileName(name), "");
  bool reported = false;  // the drum renderer told of its failure
  int result = WAVCannotOpen;
  {
    TBusyCursor busy;
    // A song read apart (an opening song file) is not the mixer's: nothing
    // plays it, so its loads neither hold the output nor stop voices.
    std::optional<TOutputHold> hold;
    if (&song == &Mixer().Song()) {
      hold.emplace();
      StopSampleVoices(&ch->Sample);
    }
    const std::string resolved = ResolveSamplePath(name);
    if (ext == ".DS" && !resolved.empty()) {
      const std::string wav = SiblingWAVPath(resolved);
      if (!IsFile(wav)) reported = !RenderDrumScript(resolved, wav);
    }
    // The channel's frames wait aside until the new ones are there.
    TWAVSample kept;
    kept.AssignData(ch->Sample);
    LoadedSample.Clear();

    // A sample too large for the memory at hand fails its load like any
    // other that can't be read.
    try {
      if (!resolved.empty()) {
        Host->ShowInfo(FormatText(WindowText(MainWindowTable, "@Loading", "Loading: %s"),
                                  {LowerCase(ExtractFileName(resolved))}));
        TXIInfo info;
        result = ReadChannelFile(resolved, ch->RenderNote, LoadedSample, &info);
        if (ext == ".XI" && result == XILoaded) {
          if (!info.XISampleName.empty()) adopted = info.XISampleName;
          ch->Sample.Looped = info.LoopKind != 0;
          ch->Sample.PingPong = (info.LoopKind & 2) ? 1 : 0;
          if (ch->Sample.Looped) {
            const int group = FirstFreeCutGroup(song, index);
            ch->Sample.CutGroup = group;
            ch->Sample.CutByGroup = group;
          }
          Host->RefreshChannelSettings(index);
        }
      }
      if (result == 0) ProcessSample(*ch, LoadedSample);
    } catch (const std::bad_alloc&) {
      result = WAVCannotConvert;
      ch->Sample.Clear();
    }
    if (used) *used = result == 0 || name.empty();
    if (result != 0) {
      LoadedSample.Clear();
      if (keepOnFailure && !name.empty())
        ch->Sample.AssignData(kept);
      else
        result = 0;  // the name is kept below with an empty sample
    }
    if (result == 0) ch->SampleFileName = resolved.empty() ? name : StoredSampleName(resolved);
  }
  if (result != 0) {
    // Outside the output hold: the box waits for the user.
    if (!reported) Host->ShowError(SampleLoadErrorMessage(name));
    return false;
  }
  // Named after the output is resumed: views hear of it outside MixerLock.
  if (adoptName && Host->AdjustChannelName()) {
    ch->SetColor(RandomChannelColor(0.87));
    SetChannelName(song, index, adopted);
  }
  if (refresh) Host->RefreshChannelSettings(index);
  song.SetModified();
  song.Notify(&SongListener::ChannelChanged, index);
  UpdateSampleCommands(song);
  return true;
}

}  // namespace

int ReadChannelFile(const std::string& resolved, int renderNote, TWAVSample& sample, TXIInfo* info) {
  const std::string ext = UpperCase(ExtractFileExt(resolved));
  if (ext == ".SYN") return LoadSynthPreset(resolved, sample, renderNote);
  if (ext == ".XI") return LoadXIFile(resolved, sample, info);
  return LoadWAVSample(SiblingWAVPath(resolved), sample);
}

std::string SampleLoadErrorMessage(const std::string& name) {
  return "Error|The file " + name + " could not be loaded.\rIt is missing or is no sample the program can read.";
}

void LoadFileIntoChannel(TSong& song, int index, const std::string& name, bool adoptName, bool refresh) {
  LoadIntoChannel(song, index, name, adoptName, refresh, false);
}

bool LoadChosenFileIntoChannel(TSong& song, int index, const std::string& name, bool adoptName, bool refresh) {
  return LoadIntoChannel(song, index, name, adoptName, refresh, true);
}

void LoadFileIntoChannel(int index, const std::string& name, bool adoptName, bool refresh) {
  LoadFileIntoChannel(CurrentSong(), index, name, adoptName, refresh);
}

namespace {

void LoadPreviewResolved(const std::string& resolved) {
  StopSampleVoices(&PreviewSample);
  TBusyCursor busy;
  LoadSampleFile(resolved, PreviewSample);
  PreviewSample.PlayLength = PreviewSample.Length;
  PreviewFileName = resolved;
}

}  // namespace

void LoadPreviewSample(const std::string& name) {
  LoadPreviewResolved(ResolveSamplePath(name));
}

void PrepareChannelPreview(const TChannel& channel) {
  const std::string resolved = ResolveSamplePath(channel.SampleFileName);
  if (resolved != PreviewFileName) LoadPreviewResolved(resolved);
  if (PreviewSample.Empty()) return;
  LoadedSample.Clear();
  LoadedSample.Data = PreviewSample.Data;
  LoadedSample.Length = PreviewSample.Length;
  LoadedSample.PlayLength = PreviewSample.PlayLength;
  LoadedSample.NominalLength = PreviewSample.NominalLength;
  LoadedSample.FormatWord = PreviewSample.FormatWord;
  LoadedSample.SetLoop(PreviewSample.LoopStart, PreviewSample.LoopEnd);
}

void PrepareChannelSource(const TChannel& channel) {
  if (channel.RenderNote < 0 || !HasExtension(channel.SampleFileName, ".SYN")) {
    PrepareChannelPreview(channel);
    return;
  }
  LoadedSample.Clear();
  const std::string resolved = ResolveSamplePath(channel.SampleFileName);
  if (resolved.empty() || LoadSynthPreset(resolved, LoadedSample, channel.RenderNote) != 0) LoadedSample.Clear();
}

void PreviewSampleFile(const std::string& name) {
  LoadPreviewSample(name);
  if (PreviewSample.Empty()) return;
  MixerGuard lock;
  TMixer& mixer = Mixer();
  mixer.AddVoice(&PreviewSample, mixer.MixPosition, 64, PreviewSample.PlayLength, -1, -1, 100 * PreviewGain);
}

void PlayPreview(const TChannel& channel) {
  const TWAVSample& s = channel.Sample;
  if (s.Empty()) return;
  MixerGuard lock;
  TMixer& mixer = Mixer();
  int64_t length = s.PlayLength;
  if (channel.Stretch != 0 && s.NominalLength > 0)
    length = int64_t(mixer.FramesPerStep) * channel.Stretch * s.PlayLength / s.NominalLength;
  mixer.AddVoice(&s, mixer.MixPosition, channel.Pan, length, -1, -1, channel.Volume * PreviewGain);
}

void Preview(TChannel& channel) {
  MixerGuard lock;
  const bool looped = channel.Sample.Looped;
  channel.Sample.Looped = false;
  PlayPreview(channel);
  channel.Sample.Looped = looped;
}

void LoadFilesIntoChannels(TSong& song, int firstIndex, const std::vector<std::string>& files) {
  int index = std::max(firstIndex, 0);
  for (const std::string& file : files) {
    while (index >= song.ChannelCount()) {
      const int before = song.ChannelCount();
      Host->AddChannelAndShow(song);
      if (song.ChannelCount() <= before) return;  // no channel could be added
    }
    TChannel& ch = *song.Channel(index);
    // A preset that can't be read leaves a sample channel a sample channel.
    if (HasExtension(file, ".404") && ch.Kind != 1 && ReadableMB404Preset(file)) {
      ch.MakeMB404(true);
      Host->ArrangeRack();
    }
    LoadChosenFileIntoChannel(song, index, file, true, true);
    ++index;
  }
}

bool IsSongFileName(const std::string& name) { return HasExtension(name, ".ZMP") || HasExtension(name, ".ZIP"); }

bool TryOpenSongFile(const std::string& name) {
  if (!IsSongFileName(name)) return false;
  if (Host->AskSaveChanges()) Host->OpenSong(name);
  return true;
}

void PreviewDialogFile(const std::string& name) {
  if (name.empty()) return;
  if (name != PreviewFileName) {
    std::error_code ec;
    const uint64_t size = fs::file_size(name, ec);
    if (!ec && size <= MaxDialogPreviewBytes) PreviewSampleFile(name);
    return;
  }
  if (PreviewSample.Empty()) return;
  MixerGuard lock;
  TMixer& mixer = Mixer();
  mixer.AddVoice(&PreviewSample, mixer.MixPosition, 64, PreviewSample.PlayLength, -1, -1, 100 * PreviewGain);
}

TRackDropPlace FindRackDropPlace(const std::vector<TRackDropRow>& rows, int x, int y) {
  TRackDropPlace place;
  place.Stop = static_cast<int>(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const TRackDropRow& r = rows[i];
    if (r.Bottom <= y || (r.Collapsed && r.Right <= x)) continue;
    place.Stop = static_cast<int>(i);
    if (y >= r.Top && (!r.Collapsed || x >= r.Left)) place.Hit = static_cast<int>(i);
    break;
  }
  return place;
}

int DropFilesOnRack(TSong& song, const std::vector<TRackDropRow>& rows, int x, int y,
                    const std::vector<std::string>& files) {
  if (files.empty() || TryOpenSongFile(files.front())) return -1;
  const TRackDropPlace place = FindRackDropPlace(rows, x, y);
  int first = place.Hit;
  int inserts = static_cast<int>(files.size()) - 1;
  int at = place.Hit + 1;
  if (place.Hit < 0) {
    first = at = std::min(place.Stop, song.ChannelCount());
    inserts = static_cast<int>(files.size());
  }
  for (int i = 0; i < inserts; ++i) InsertChannelOfKind(song, at, 0);
  LoadFilesIntoChannels(song, first, files);
  return first;
}

ChannelFileLoader& ProgramChannelLoader() {
  static TProgramChannelLoader loader;
  return loader;
}

}  // namespace vs
