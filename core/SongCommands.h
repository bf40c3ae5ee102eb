#pragma once
// The song commands of the File menu: new song, open, the recent files, the
// drum kits, save, save as in four types (song, WAV render, Standard MIDI
// File, zipped loop package), collecting a song's samples into a folder, and
// the save-changes question that guards every command that discards the
// song.
//
// Questions and messages go through HintMessageBox (the window side installs
// the handler that shows them; tests install fakes). Dialogs, the render and
// everything that shows the song go through TSongCommandHost.
//
// Nothing here costs the open song: a file that can't be read leaves the
// song, its file name and its modified flag as they were; a save that fails
// is reported and keeps the song modified; answering Yes to the save-changes
// question and then not saving (the dialog cancelled, the save failed)
// cancels the command that asked.

#include <functional>
#include <optional>
#include <string>

#include "model/Preferences.h"
#include "engine/RenderWAV.h"
#include "model/WAVSample.h"
#include "files/SongHost.h"
#include "toolbox/SafeFile.h"

namespace vs {

class TSong;

// Save dialog types (its filter index) and their default extensions.
enum TSaveType : int { SaveTypeSong = 1, SaveTypeWAV = 2, SaveTypeMIDI = 3, SaveTypePackage = 4 };
const char* SaveTypeExtension(int type);  // "zmp", "wav", "mid", "zip"

// The name a new song has: folder "Loops/" under the program's data.
constexpr const char* UntitledSongName = "untitled.zmp";

// Texts of the commands.
extern const char* const SaveChangesQuestion;   // "Confirm|Save changes to %s?"
extern const char* const RenderQuestion;        // the render-after-save question
extern const char* const FileMissingMessage;    // "Error|The file doesn't exist or has been moved."
extern const char* const SongReadErrorMessage;  // "Error|Error while reading the ZMP file\rwhich may be corrupted."
extern const char* const CollectSamplesTitle;   // "Collect samples"
extern const char* const CollectClickTitle;     // "Save click marked samples"
extern const char* const CopySamplesText;       // "Copy the %d samples you used to..."
// "Collect samples|Other samples had the same names, ..." with the list of
// "sample -> copy (channel)".
extern const char* const CollectedAsText;
// "Error|The song could not be saved as %s.\r" + the system's reason.
std::string SongSaveErrorMessage(const std::string& fileName, const TWriteResult& result);
// "Error|The sample could not be written as %s."
std::string CollectWriteErrorMessage(const std::string& fileName);
// "Error|The song could not be saved as %s.\rThe sample %s could not be
// copied beside it as %s."
std::string SampleCopyErrorMessage(const std::string& fileName, const std::string& sample, const std::string& copy);
// The save type of a file name's extension; fallback for any other.
int SaveTypeOfName(const std::string& fileName, int fallback);
// What the info bar says after a render into fileName (without folder):
// "Rendered %s", or for a cancelled render "Render cancelled: %s holds the
// first %s sec" with the seconds the file holds; empty when nothing was
// written (the render's error was shown).
std::string RenderedInfoText(const TRenderResult& result, const std::string& fileName);

struct TSaveChoice {
  std::string FileName;
  int Type = SaveTypeSong;  // the type the user left the dialog on
};

// What the commands reach on the window side. Each call has a default that
// does what can be done without windows.
class TSongCommandHost {
public:
  virtual ~TSongCommandHost() = default;

  // The save dialog, opened on a type with a file name; the user may change
  // both. None: cancelled.
  virtual std::optional<TSaveChoice> ChooseSaveFile(const std::string& fileName, int type);
  // The open dialog. None: cancelled.
  virtual std::optional<std::string> ChooseOpenFile();
  // The folder dialog of Collect. None: cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& text,
                                                  const std::string& startFolder);

  // Holds the output around a load (by default the engine's SuspendOutput).
  virtual void SuspendOutput();
  virtual void ResumeOutput();
  virtual void SetBusyCursor(bool busy) { (void)busy; }
  virtual void ShowInfo(const std::string& text) { (void)text; }
  // The info bar painted at once, for texts shown while a long piece of
  // work runs on the main thread.
  virtual void ShowInfoNow(const std::string& text) { ShowInfo(text); }
  virtual void RecentFilesChanged() {}
  virtual void HideSongInfo() {}
  // A song was read and is current: the windows show it (playlist, wheels,
  // master sliders, song or pattern mode, the song information).
  virtual void SongOpened() {}
  // The song was made empty: the windows show it (rows arranged).
  virtual void SongWasReset() {}
  // Fits the main window and the lamp window to the channel count.
  virtual void FitMainWindowHeight() {}
  // Enables the two collect commands.
  virtual void SetSampleCommandsEnabled(bool enabled) { (void)enabled; }

  // The render into a WAV file (the render window). True when written.
  virtual bool RenderWAV(const std::string& fileName);
  // The zipped package of the song as it is now with every sample file its
  // channels name, each under a name of its own; true when written
  // (files/ZipSong.h).
  virtual bool WritePackage(const std::string& fileName);
  // Unpacks a package into the temporary folder: the song file in it (empty
  // when it holds none), or none when it could not be unpacked.
  virtual std::optional<std::string> OpenPackage(const std::string& fileName);
  // Writes a channel's sample with its click markers (Collect, click-marked).
  virtual bool WriteClickMarkedSample(const TWAVSample& sample, const std::string& fileName);

  // Plug-in slots, window frame and channel loader for song files (the
  // program's channel loader by default) and the program's version.
  virtual SongHost FileHost();
};

class TSongCommands {
public:
  TSongCommands(TPreferences& prefs, TSongCommandHost& host);

  // The file the user opened or saved, as shown (for a package the ".zip").
  // The song file read or written last is ProgramPaths().SongFileName.
  std::string OpenedFileName;
  // The title the caption shows (the song information's title, else the
  // file part of OpenedFileName; empty while New opens the kit). Each
  // change of it or of the file name is told as the song's FileName value.
  std::string SongTitle;
  // While false (inside New) SetSongFileName touches neither the title nor
  // the recent files, and a reset or read keeps the pattern length.
  bool TrackSongFileName = true;
  // "/R": after each save of a song file, offer to render it.
  bool RenderAfterSave = false;
  std::string RenderFileName;

  // IdYes, IdNo or IdCancel; callers go on unless IdCancel. An unmodified
  // song answers IdNo at once. Yes saves (Save with the window as sender);
  // when the song is still modified afterwards the answer is IdCancel.
  int AskSaveChanges();
  // Reads a song file (or a ".zip" package). True when it is now current.
  bool OpenSong(const std::string& path);
  void SetSongFileName(const std::string& file, const std::string& shown);
  // Opens a song as a new, untitled one (the tutorial's pages), as New
  // opens the drum kit: the caption cleared, the song read without entering
  // the recent files, named "untitled.zmp" in "Loops/" and left unmodified.
  // Asks nothing (the caller asks to save changes first). A song that can't
  // be read leaves the open one with its name; false then.
  bool OpenAsUntitled(const std::string& file);
  void UpdateSongTitle();
  // The caption's title := title, told to the views.
  void ShowSongTitle(const std::string& title);
  // The empty song: four channels, empty playlist and information, master
  // values reset, plug-ins unloaded, master filter state cleared.
  void ResetSong();

  // Menu commands.
  void New();
  void OpenDrumKit(const std::string& kitFileName, const std::string& caption);
  void Open();
  void OpenRecent(int index);
  // Save: "untitled.zmp" and packages go to Save as. fromWindow: started by
  // the save-changes question (no render question here). True when the song
  // file was written.
  bool Save(bool fromWindow = false);
  bool SaveAs(bool fromWindow = false);
  bool RenderWAVCommand();
  bool SaveAsMIDICommand();
  bool ZippedCommand();
  // The type the name's extension gives (".zmp", ".wav", ".mid", ".zip"),
  // else the dialog's. saving: started by Save or Save as, so that a package
  // written becomes the song's file.
  bool SaveAsType(int type, bool fromWindow = false, bool saving = false);
  // Copies every channel's sample file (or, clickMarked, writes its sample
  // with markers) into a chosen folder, never over an existing file. A
  // sample whose name another sample of the collection took goes in under a
  // free name, and its channels name that copy (which is said). The first
  // file that can't be written is reported and ends the collection.
  // Returns the files written.
  int CollectSamples(bool clickMarked);

  // Channels with a sample file name not used by a channel before them.
  static int CountDistinctSamples(const TSong& song);

private:
  void AskRender();
  // Writes the song file, first copying beside it the samples it could not
  // name otherwise; false (reported) when it could not be written.
  bool WriteSongFile(const std::string& fileName);
  void ReportSaveError(const std::string& fileName, const TWriteResult& result);

  TPreferences& Prefs;
  TSongCommandHost& Host;
};

// What opening a song applies below the windows, the same for the windowed
// program and a batch render (OpenSong calls it once the song is current;
// the song's master filter, song mode and plug-ins are taken as it is
// swapped in): the tempo, the song echo, song or pattern mode, and every
// channel's MIDI patch and controller start values on the note output.
void ApplyOpenedSong(TSong& song, int bankSelectMethod);

// Writes a new file through a temporary name in the target's folder and
// links it in only when no file of that name exists: an existing file is
// never replaced. write(tempName) makes the file. True when the target was
// created.
bool CreateFileNoOverwrite(const std::string& target, const std::function<bool(const std::string&)>& write);
// Copies a file to target unless target exists.
bool CopyFileNoOverwrite(const std::string& source, const std::string& target);

}  // namespace vs
