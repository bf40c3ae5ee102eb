#include "core/Program.h"

#include <clocale>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <ostream>

#include "core/ChannelFiles.h"
#include "core/MasterClock.h"
#include "core/ProgramPaths.h"
#include "core/ProgramVersion.h"
#include "core/SequencerState.h"
#include "core/Settings.h"
#include "core/Style.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/RenderOptions.h"
#include "model/Song.h"
#include "engine/EngineListener.h"
#include "engine/MidiDevices.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/OutsideRenderers.h"
#include "engine/RenderWAV.h"
#include "engine/SoundProcs.h"
#include "engine/VSTHost.h"
#include "engine/WAVFiles.h"
#include "outside/mb404/MB404.h"
#include "toolbox/MLBase.h"
#include "platform/MidiPorts.h"
#include "platform/SettingsStore.h"
#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"

namespace vs {

const char* const WAVCommentText = "edited with VorbelSteps (98,99) - free drum machine and step sequencer";

namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HoldsData(const std::string& folder) {
  return IsFolder(folder + "Samples") || IsFolder(folder + "Styles");
}

// The render's link to the sequencer: the name of the song file for the
// "INAM" item of an untitled song, and the sync mode held at "rendering"
// for the render, so that MIDI clock coming in (a slave's Stop or clocks)
// can neither stop nor step the render's clock, and no master clock counts
// from it.
class TProgramRenderHost : public TRenderHost {
public:
  std::string SongFileName() override { return ProgramPaths().SongFileName; }
  void BeginRenderSync() override {
    SavedSyncMode = Sync().Mode.exchange(SyncRender);
    Held = true;
  }
  void EndRenderSync() override {
    if (Held) Sync().Mode.store(SavedSyncMode);
    Held = false;
  }

private:
  int SavedSyncMode = SyncOff;
  bool Held = false;
};
TProgramRenderHost ProgramRenderHost;

}  // namespace

TProgramOptions ProgramOptionsFor(const std::string& exeFolder) {
  TProgramOptions options;
  options.AppPath = FindDataFolder(exeFolder);
  options.LibraryFolder = AddBackslash(exeFolder);
  return options;
}

std::string FindDataFolder(const std::string& exeFolder) {
  if (const char* env = std::getenv("VORBELSTEPS_DATA"); env && *env) return AddBackslash(env);
  const std::string exe = exeFolder.empty() ? std::string("./") : AddBackslash(exeFolder);
  for (const std::string& candidate : {exe + "data/", exe + "../data/", exe})
    if (HoldsData(candidate)) return candidate;
  return exe + "data/";
}

void CreateDataFolders(const std::string& appPath) {
  if (appPath.empty()) return;
  for (const char* folder : {"Styles/", "Samples/DrumKits/", "Loops/", "MB404/", "Plugins/VST/", "Texts/"})
    ForceDirectory(appPath + folder);
}

void RebuildSampleSearchPaths(const TPreferences& prefs) {
  std::vector<std::string>& paths = ProgramPaths().SampleSearchPaths;
  paths.clear();
  paths.push_back(SamplesFolder());
  for (const std::string& folder : prefs.SearchFolders)
    if (!folder.empty()) paths.push_back(folder);
}

// ----------------------------------------------------------------- program

TProgram::TProgram() = default;

TProgram::~TProgram() {
  if (Started && !Down) ShutDown();
}

void TProgram::Open(const TProgramOptions& options) {
  // Past a file-size limit a write fails (EFBIG), is reported and leaves
  // no temporary file, instead of ending the program half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  // The program's objects below the windows, engine first; they are freed
  // in the reverse order when the program ends.
  SequencerState();
  Options = options;
  Options.AppPath = AddBackslash(options.AppPath);
  ProgramPaths().AppPath = Options.AppPath;
  SetLangFolder(Options.AppPath + "lang/");
  TSettingsLocation settings{options.SettingsFile, {}};
  if (settings.File.empty()) settings = TSettingsStore::DefaultLocation();
  SettingsNotKept = settings.File.empty() ? "The settings are not kept: " + settings.Problem + "." : "";
  if (!SettingsNotKept.empty() && !Batch) std::cerr << "VorbelSteps: " << SettingsNotKept << std::endl;
  SettingsStore = std::make_unique<TSettingsStore>(settings.File);
  // What killed runs left: half-written settings and private temporary
  // folders whose process is gone.
  RemoveStaleTempFiles(SettingsStore->FileName());
  RemoveStaleTempDirectories();
  SettingsStore->Load();
}

void TProgram::StartUp() {
  if (!SettingsStore) Open(Options);
  const std::string& app = Options.AppPath;
  LoadSettings(*SettingsStore, Prefs, app);
  CreateDataFolders(app);
  RebuildSampleSearchPaths(Prefs);
  // The stored language re-texts the windows made so far; the styles are
  // listed and the chosen one's configuration read (its pictures are the
  // window side's).
  SetGlobalLanguage(Prefs.Language);
  StyleNames = ListStyles(app);
  const int style = ChooseStyleIndex(StyleNames, Prefs.Style);
  Prefs.Style = style;  // the selection, written back at every close
  ApplyStyle(LoadStyle(app, style < 0 ? std::string(DefaultStyleName) : StyleNames[style]));

  // 1. The private temporary folder (a batch run makes it only when it
  // needs it, for a zipped song).
  if (!Batch) GetTempDirectory();
  // 2. The synthesizer's folder, and where the outside libraries are found.
  PassPath((app + "MB404/").c_str());
  SetOutsideLibraryFolder(Options.LibraryFolder.empty() ? app : Options.LibraryFolder);
  // 5. Posts may go out; the mixer moves the shown step; a channel that
  // leaves its song takes its voices with it.
  ArmEnginePosts();
  ConnectStepAdvance();
  SetChannelFreeHook([](TSong&, TChannel& channel) { StopSampleVoices(&channel.Sample); });
  // 13, 14. Random seed; numbers are written and read with a "." whatever
  // the user's locale (the window library takes the user's at its start);
  // the master filter open.
  std::setlocale(LC_NUMERIC, "C");
  {
    MixerGuard lock;
    TMixer& mixer = Mixer();
    mixer.SeedRandom(static_cast<uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFFFFu));
    mixer.SetMasterFilter(1.0f, 0.0f);
    ClearFilterState(mixer.MasterFilter);
  }
  // 17. The channels: a song of one channel until New makes the real one.
  {
    auto song = std::make_unique<TSong>();
    AddChannel(*song);
    song->SetModified(false);
    std::unique_ptr<TSong> old;
    {
      MixerGuard lock;
      StopAllVoices();
      old = SwapCurrentSong(std::move(song));
    }
    old.reset();
    NotifySongReplaced();
  }
  // 19. The mixer and the sound output.
  TMixSettings& mix = MixSettings();
  mix.Interpolation.store(Prefs.Interpolation ? 1 : 0);
  mix.ClickRemoval.store(Prefs.ClickRemoval ? 1 : 0);
  mix.Surround.store(Prefs.Surround);
  // The sound devices: the output opens on the selection ("(none)": the
  // system default).
  TAudioOutputState& output = AudioOutput();
  if (Options.OpenAudio) {
    SoundDevices = ListSoundDevices(Prefs);
    StoreSoundDeviceSelection(SoundDevices, Prefs);
    output.SoundDeviceName = SoundDevices.SelectedDevice();
  } else {
    output.SoundDeviceName = Prefs.DSDriverName == SoundDeviceNoneEntry ? "" : Prefs.DSDriverName;
  }
  {
    MixerGuard lock;
    Mixer().SetBlockFrames(Prefs.BufferLength);
    // The effect plug-in slots run in the mixer; plug-ins load from the
    // settings' folder.
    PluginHost().Folder = Prefs.VSTPluginFolder;
    Mixer().SetPluginHook(&PluginHost());
  }
  SetLatencyOffset(int64_t(Prefs.AheadLength) * 4);
  OutputError.clear();
  // 20. Output modes.
  output.UseWAV.store(Prefs.UseWAV);
  mix.UseMIDI.store(Prefs.UseMIDI);
  if (Options.OpenAudio && Prefs.UseWAV)
    if (const TCommandResult opened = OpenAudioOutput(); !opened) OutputError = opened.Message;
  // 15, 20. The MIDI devices: the ports the steps and the clock go to, the
  // input's messages to the sync handler, the device lists, and the note
  // output opened when MIDI output is on.
  Sync().Delay.store(Prefs.SyncDelay);
  TMidiDevices& midi = MidiDevices();
  midi.MidiIn.SetHandler(&HandleMidiSyncMessage);
  SetMIDIOut(&midi.MIDIOut);
  SetMIDIOutSync(&midi.MIDIOutSync);
  MidiError.clear();
  if (Options.OpenAudio) {
    MidiLists = ListMidiDevices(Prefs);
    StoreMidiSelections(MidiLists, Prefs);
    if (Prefs.UseMIDI)
      OpenMidiOutput(midi.MIDIOut, MidiLists.Output, MidiLists.OutputIndex, MidiError);
    // The sync item: one click from the other state restores the stored
    // one and applies its mode.
    SetTransportDeviceLists(MidiLists);
    Transport().SyncCaption = Prefs.UseWAV ? MasterSyncCaption : SlaveSyncCaption;
    Transport().SyncChecked = !Prefs.SyncToInput;
    const TCommandResult sync = SyncOptionClick();
    if (!sync && MidiError.empty()) MidiError = sync.Message;
  }
  // 21. The tempo (frames per step, echo delay, step timer).
  SetTempo(CurrentSong().BPM);
  // 24, 26. Version texts.
  WAVComment = WAVCommentText;
  WAVSoftware = "VorbelSteps";
  // The render window's choices.
  TRenderOptions& render = RenderOptions();
  render.Remainder = Prefs.RenderingRemainder;
  render.SaveNFO = Prefs.SaveNFO;
  render.Mono = Prefs.MonoRender;
  SetRenderHost(&ProgramRenderHost);
  Started = true;
  Down = false;
}

namespace {

class TProgramCommandTarget : public TCommandLineTarget {
public:
  TProgramCommandTarget(TProgram& program, TSongCommands& commands, std::ostream* errors)
      : Program(program), Commands(commands), Errors(errors) {}

  // A relative name is taken from the folder the program was started in,
  // and kept whole (the recent files must still find it).
  bool OpenSong(const std::string& fileName) override {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(fileName, ec);
    return Commands.OpenSong(ec ? fileName : path.lexically_normal().string());
  }
  void SetPatternMode() override {
    LoopButtonClick(false);
  }
  void SetTempo(int bpm) override { vs::SetTempo(bpm); }
  void SetMonoRender() override {
    RenderOptions().Mono = true;
    Program.MonoForThisRun = true;
  }
  void SetMasterPitch(int semitones) override { CurrentSong().SetMasterPitch(semitones * 100); }
  void SetMasterVolume(int volume) override { CurrentSong().SetMasterVolume(volume); }
  bool RenderToFile(const std::string& fileName) override {
    Commands.RenderFileName = fileName;
    const TRenderResult result = RenderSongToFile(fileName);
    CurrentSong().SetModified(false);
    if (!result.Ok) {
      if (Errors) *Errors << "VorbelSteps: " << result.Error << std::endl;
      return false;
    }
    return true;
  }

private:
  TProgram& Program;
  TSongCommands& Commands;
  std::ostream* Errors;
};

}  // namespace

bool TProgram::ApplyCommandLine(const TCommandLine& line, TSongCommands& commands, std::ostream* errors) {
  commands.RenderAfterSave = line.RenderAfterSave;
  if (line.Batch()) Batch = true;
  TProgramCommandTarget target(*this, commands, errors);
  return vs::ApplyCommandLine(line, target);
}

void TProgram::CollectPreferences() {
  const TMixSettings& mix = MixSettings();
  Prefs.Interpolation = mix.Interpolation.load() != 0;
  Prefs.ClickRemoval = mix.ClickRemoval.load() != 0;
  Prefs.Surround = mix.Surround.load();
  Prefs.UseWAV = AudioOutput().UseWAV.load();
  Prefs.UseMIDI = mix.UseMIDI.load();
  Prefs.SyncDelay = Sync().Delay.load();
  if (Options.OpenAudio) Prefs.SyncToInput = Transport().SyncChecked;
  const TRenderOptions& render = RenderOptions();
  Prefs.RenderingRemainder = render.Remainder;
  Prefs.SaveNFO = render.SaveNFO;
  if (!PluginHost().Folder.empty()) Prefs.VSTPluginFolder = PluginHost().Folder;
  if (!MonoForThisRun) Prefs.MonoRender = render.Mono;
  ClampPreferences(Prefs);
}

bool TProgram::ShutDown() {
  if (Down) return true;
  Down = true;
  // 3, 4. Timers, sync, playback, the scope thread.
  LoopTimer().Stop();
  // A render still running is cancelled (its file is finished as far as it
  // got) and its thread waited for: nothing may go on rendering into a
  // program that is shutting down, and a thread left unjoined ends the
  // process at exit.
  if (RenderRunning()) RenderCancelled.store(true);
  WaitForRender();
  Sync().Mode.store(SyncOff);
  StopMasterClock();
  {
    MixerGuard lock;
    Mixer().Playing.store(false);
    StopAllVoices();
  }
  StopScopeThread();
  // 8. The settings (never in a batch run).
  bool saved = true;
  if (!Batch && SettingsStore && SettingsNotKept.empty()) {
    CollectPreferences();
    const TWriteResult written = SaveSettings(*SettingsStore, Prefs);
    saved = written;
    if (!written) SettingsWriteError = written.Reason();
  }
  // 9. Outputs off (also when audio output was switched off while open).
  CloseAudioOutput();
  StopMixThread();
  CloseOutputDevice();
  MixSettings().UseMIDI.store(false);
  CloseMidiOutput(MidiDevices().MIDIOut);
  CloseMidiOutput(MidiDevices().MIDIOutSync);
  // 10. The MIDI input.
  try {
    CloseMidiInput(MidiDevices().MidiIn);
  } catch (const EMidiInputError&) {
  }
  // Every plug-in editor closed and every plug-in unloaded.
  PluginHost().UnloadAll();
  SetRenderHost(nullptr);
  // 13. Outside libraries and the temporary folder.
  UnloadOutsideRenderers();
  RemoveTempDirectory();
  return saved;
}

// ------------------------------------------------------------------- batch

void TBatchCommandHost::SuspendOutput() { vs::SuspendOutput(); }
void TBatchCommandHost::ResumeOutput() { vs::ResumeOutput(); }

bool TBatchCommandHost::RenderWAV(const std::string& fileName) {
  const TRenderResult result = RenderSongToFile(fileName);
  if (!result.Ok) Errors << "VorbelSteps: " << result.Error << std::endl;
  return result.Ok;
}

void TBatchCommandHost::ShowInfo(const std::string& text) { (void)text; }

namespace {

// Messages of a batch run: one line each on the error stream; questions get
// their most cautious answer.
class TStreamMessageBox : public IMessageBoxHandler {
public:
  explicit TStreamMessageBox(std::ostream& out) : Out(out) { Previous = SetMessageBoxHandler(this); }
  ~TStreamMessageBox() override { SetMessageBoxHandler(Previous); }
  int ShowMessage(const std::string& caption, const std::string& message, uint32_t flags) override {
    std::string text = message;
    for (char& c : text)
      if (c == '\r') c = ' ';
    Out << "VorbelSteps: " << (caption.empty() ? "" : caption + ": ") << text << std::endl;
    return DefaultMessageResult(flags);
  }

private:
  std::ostream& Out;
  IMessageBoxHandler* Previous = nullptr;
};

// A batch run names every sample a song names and it could not load.
class TBatchFileHost : public TChannelFileHost {
public:
  TBatchFileHost() { SetChannelFileHost(this); }
  ~TBatchFileHost() override { SetChannelFileHost(nullptr); }
  void SampleNotLoaded(const std::string& name) override {
    HintMessageBox(SampleLoadErrorMessage(name), MbOK | MbIconError);
  }
};

}  // namespace

int RunBatch(const TProgramOptions& options, const TCommandLine& line, std::ostream& errors) {
  TStreamMessageBox messages(errors);
  TBatchFileHost files;
  TProgramOptions batchOptions = options;
  batchOptions.OpenAudio = false;
  TProgram program;
  program.Batch = true;
  program.Open(batchOptions);
  program.StartUp();
  TBatchCommandHost host(errors);
  TSongCommands commands(program.Prefs, host);
  // The default drum kit is read only when it is the song rendered.
  if (!line.OpensSongFirst()) commands.New();
  const bool ok = program.ApplyCommandLine(line, commands, &errors);
  program.ShutDown();
  return ok ? 0 : 1;
}

int RunBatch(const TProgramOptions& options, const TCommandLine& line, std::ostream& out, std::ostream& errors) {
  const int code = RunBatch(options, line, errors);
  if (code == 0)
    for (const TCommandAction& a : line.Actions)
      if (a.Kind == TCommandKind::Render) out << "VorbelSteps: rendered " << a.Text << std::endl;
  return code;
}

}  // namespace vs
