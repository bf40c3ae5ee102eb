#pragma once
// Everything that puts a file into a channel: one routine dispatches on the
// file's extension. Samples (".WAV", ".XI", ".DS", ".SYN") are loaded into
// LoadedSample and rebuilt into the channel's playable sample with its
// sample settings; ".404" files set a synthesizer channel's parameters;
// ".FPR" files set one step plane; other files are ignored. The same unit
// resolves stored sample names, loads samples for preview and plays
// previews.
//
// Stored sample names: a name beginning with "\" is relative to the samples
// folder (SamplesFolder()); a loaded file that lies below that folder is
// stored in that form. Every routine here runs on the main thread.

#include <string>
#include <vector>

#include "model/Song.h"
#include "model/WAVSample.h"
#include "files/SongHost.h"

namespace vs {

struct TXIInfo;

// What the loader reaches in the windows and the audio output. The program
// installs its main window's; each call has a harmless default.
class TChannelFileHost {
public:
  virtual ~TChannelFileHost() = default;
  // Holds the output for a whole load: MixerLock held and the device
  // stopped until the matching ResumeOutput (by default the engine's).
  virtual void SuspendOutput();
  virtual void ResumeOutput();
  virtual void SetBusyCursor(bool /*busy*/) {}
  // The main window's info bar.
  virtual void ShowInfo(const std::string& /*text*/) {}
  // A two-part message ("caption|text") with the error icon.
  virtual void ShowError(const std::string& /*message*/) {}
  // A channel's sample could not be rebuilt (no memory for it): the
  // channel stays silent (the windows say nothing; a batch run names it).
  // Files a song names that could not be used are told once per song by
  // the song's opening (UnusedChannelFilesMessage).
  virtual void SampleNotLoaded(const std::string& /*name*/) {}
  // The program option "Adjust Channel Name".
  virtual bool AdjustChannelName() { return true; }
  // Refreshes the channel settings window when it shows that channel.
  virtual void RefreshChannelSettings(int /*index*/) {}
  // Enables the commands that collect a song's samples.
  virtual void SetSampleCommandsEnabled(bool /*enabled*/) {}
  // Appends a channel and shows it (the rack arranged and scrolled to it).
  virtual void AddChannelAndShow(TSong& song);
  // Arranges the channel rack after a change of kinds.
  virtual void ArrangeRack() {}
  // Asks to save the changes of the open song; false = Cancel.
  virtual bool AskSaveChanges() { return true; }
  // Opens a song (".ZMP") or a zipped song package (".ZIP").
  virtual void OpenSong(const std::string& /*fileName*/) {}
};

// null = the defaults above.
void SetChannelFileHost(TChannelFileHost* host);
TChannelFileHost& ChannelFileHost();

// The sample every channel load reads a file into; ProcessSample turns it
// into the channel's sample and leaves it empty.
extern TWAVSample LoadedSample;
// The preview sample and the resolved name of the file now in it.
extern TWAVSample PreviewSample;
extern std::string PreviewFileName;

// Texts of the drum-script renderer's failures.
extern const char* const DSLibraryMissingMessage;
extern const char* const DSLibraryTooOldMessage;
extern const char* const DSScriptFaultMessage;

// A stored name to an existing file: "\..." under the samples folder, else
// the name as written; a path that does not exist as written is looked up in
// any case. When that fails ("Locating: " + the lower-cased file name goes
// to the info bar) the bare file name is looked for in the song file's
// folder (while the song has a file name), then in the whole tree of each
// search folder in order. Empty when nothing is found.
std::string ResolveSamplePath(const std::string& name);

// The name a song stores for a file: "\" + the rest of the path when it lies
// below the samples folder (compared in any case), else the path.
std::string StoredSampleName(const std::string& path);

// The WAV file that belongs to a file: the file itself for ".wav" (any
// case), else the existing file of the same name with the extension ".wav"
// in any case, else that name with ".WAV" or ".wav" as the file's own
// extension is upper or lower case.
std::string SiblingWAVPath(const std::string& name);

// Clears the sample and loads a file into it without channel processing, by
// extension: ".XI" by the instrument reader, ".SYN" rendered with the
// preset's own note, any other as the file's WAV (SiblingWAVPath); for ".DS"
// without that WAV the script is rendered into the temporary folder's
// "temp.wav" (deleted first) and that file is loaded only when the render
// succeeded. 0 = loaded; else the loader's or the renderer's code.
int LoadSampleFile(const std::string& name, TWAVSample& sample);

// Loads a file into channel index of the song by its extension (see the
// top). Nothing when the name equals the channel's stored name or the
// channel is a synthesizer channel. An empty name empties the channel. A
// sample that can't be found or read leaves the channel an empty sample and
// keeps the given name stored, so that the song still names it when saved.
// With adoptName and the option "Adjust Channel Name" the channel is named
// after the file (an instrument after its sample) in a random colour; with
// refresh the channel settings window is refreshed.
void LoadFileIntoChannel(TSong& song, int index, const std::string& name, bool adoptName, bool refresh);
void LoadFileIntoChannel(int index, const std::string& name, bool adoptName, bool refresh);
// The same for a file the user picked, dropped or handed over: one that
// can't be found or read (or a preset that can't be read) leaves the channel
// as it was, its sample, name and stored file name, and is reported with
// SampleLoadErrorMessage. False then.
bool LoadChosenFileIntoChannel(TSong& song, int index, const std::string& name, bool adoptName, bool refresh);
// Reads a sample file as a channel load reads it, by its extension: a
// synthesizer preset rendered at renderNote (-1 its own), an instrument's
// first sample (its name and loop kind into info), else a WAV (for a drum
// script its rendered WAV beside it). 0 when read, else the reader's code.
int ReadChannelFile(const std::string& resolved, int renderNote, TWAVSample& sample, TXIInfo* info = nullptr);
// "Error|..." naming the file that could not be loaded.
std::string SampleLoadErrorMessage(const std::string& name);

// Loads a file into PreviewSample (the preview voices stopped first);
// its play length is its whole length.
void LoadPreviewSample(const std::string& name);
// Loads the channel's file into PreviewSample unless it is already there;
// then LoadedSample becomes an own copy of the preview's frames, lengths and
// loop (when the preview has data).
void PrepareChannelPreview(const TChannel& channel);
// Fills LoadedSample with what a channel's sample options are applied to:
// its file through the preview (PrepareChannelPreview), except that a
// synthesizer preset with a render key of its own is rendered at that key
// (the preview holds it at the preset's own note).
void PrepareChannelSource(const TChannel& channel);
// Loads a file for preview and plays it at the mix position (pan 64, gain
// 100). Every preview voice ends the earlier ones.
void PreviewSampleFile(const std::string& name);
// Plays the channel's sample as a preview: its pan and volume, its play
// length (with a stretch: stretched to that many steps).
void PlayPreview(const TChannel& channel);
// The same with the sample's loop off for that voice.
void Preview(TChannel& channel);

// Loads files the user dropped or picked (LoadChosenFileIntoChannel) into
// consecutive channels from firstIndex on, appending channels where the
// rack ends; a readable ".404" file first turns a sample channel into a
// synthesizer channel with its automatic name.
void LoadFilesIntoChannels(TSong& song, int firstIndex, const std::vector<std::string>& files);

// True for the name of a song (".ZMP") or a song package (".ZIP").
bool IsSongFileName(const std::string& name);
// True for a song (".ZMP") or a song package (".ZIP"), which is then opened
// unless the user cancels the question to save changes.
bool TryOpenSongFile(const std::string& name);

// Previews a file picked in a dialog or the sample browser: a file other
// than the one in PreviewSample is played when it is at most
// MaxDialogPreviewBytes long; the same file again replays PreviewSample.
constexpr uint64_t MaxDialogPreviewBytes = 4194304;
void PreviewDialogFile(const std::string& name);

// A channel row of the rack as a drop sees it: its name button's rectangle
// (right and bottom edges excluded) and whether the row is collapsed.
struct TRackDropRow {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Collapsed = false;
};
// Where files dropped at (x, y) go: the row hit (-1: none) and the row the
// search stopped at (the row count when none stopped it).
struct TRackDropPlace {
  int Hit = -1;
  int Stop = 0;
};
// The search: the first row whose name button's bottom lies below the
// point and, for a collapsed row, whose right edge lies right of it; it is
// hit when the point is at or below the button's top and, for a collapsed
// row, not left of the button.
TRackDropPlace FindRackDropPlace(const std::vector<TRackDropRow>& rows, int x, int y);
// Files dropped on the channel rack: a first file that is a song opens it
// (after the save-changes question); else the files load into the row hit
// and new channels after it, or into new channels where the search stopped.
// Returns the first channel loaded (-1: none).
int DropFilesOnRack(TSong& song, const std::vector<TRackDropRow>& rows, int x, int y,
                    const std::vector<std::string>& files);

// The loader the song reader calls (LoadFileIntoChannel without adopting
// names; RebuildSample = PrepareChannelPreview and ProcessSample).
ChannelFileLoader& ProgramChannelLoader();

}  // namespace vs
