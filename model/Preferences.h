#pragma once
// The program's preferences: every value the settings store keeps, with its
// default. Start-up reads them once (core/Settings.h LoadSettings), the
// windows show and change them, and the close writes them back once. The
// program settings window, the render window and the main window are views
// of these values; the engine gets what it needs from them when they change.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/RenderOptions.h"
#include "toolbox/AllTools.h"

namespace vs {

constexpr int RecentFileCount = 8;
constexpr int ToolEntryCount = 5;
constexpr int SearchFolderCount = 10;
constexpr int MaxFavoriteFolders = 10;
constexpr int LanguageCount = 3;  // English, French, Dutch

// Mix block ("Buffer Length") and distance ahead ("Ahead Length") in frames:
// the settings window's sliders reach 500 ms; a block is at least 64 frames
// and the distance ahead never exceeds the block.
constexpr int32_t DefaultBufferFrames = 8820;
constexpr int32_t MinBufferFrames = 64;
constexpr int32_t MaxBufferFrames = 22050;
constexpr int32_t MaxSyncDelay = 500;  // ms
constexpr int MaxScopeStyle = 4;       // lines, dots, columns, circle, flower
constexpr int MaxScopeShade = 255;
constexpr int MaxSampleListWidth = 300;
constexpr int MinSampleListWidth = 50;

// Bounds of a window as stored; a missing value keeps the window's own.
using TStoredBounds = TControlBounds;

// One entry of the tools menu: an outside program (a sound editor, a
// synthesizer) that the program starts, with the samples folder or a sample
// as arguments when its flags say so.
struct TToolItem {
  std::string Name;      // menu caption; empty = a free entry
  std::string FileName;  // program to start
  int32_t Params = 0;    // flag bits below
};
constexpr int32_t ToolWithSamplesPath = 1;    // the samples folder is an argument
constexpr int32_t ToolWithChannelSample = 2;  // the current channel's sample is one
constexpr int32_t ToolStartAtLoad = 8;        // started at start-up
constexpr int32_t ToolLinkToMain = 16;        // the wave editor sits beside the main window

struct TPreferences {
  // --- General options ---
  bool EasyMove = true;
  bool AutoArrange = true;
  bool AutoMaximize = true;
  bool StopAtBottom = true;
  bool AlwaysFullHeight = true;
  bool AdjustChannelName = true;
  bool Interpolation = true;
  bool ClickRemoval = true;
  bool Surround = false;
  bool SplashScreen = true;
  int Language = 0;  // 0..LanguageCount - 1
  bool CloseDS = false;
  bool BothMouseButtons = true;
  bool LedsOver = false;
  bool PreviewWAV = true;
  bool NoDir = false;
  int BankSelectMethod = 0;  // 0: controller 0; 1: controller 0 = 0 then 32
  int SyncDelay = 0;         // ms, 0..MaxSyncDelay

  // --- Render window ---
  TRemainderMode RenderingRemainder = RemainderWrap;
  bool SaveNFO = false;
  bool MonoRender = false;

  // --- Windows ---
  int SettingsSheet = 1;  // 0: the channel settings window opens on its MIDI page
  bool BackPicTiled = true;
  std::string BackPicFileName;
  bool BackPicBox = false;
  TStoredBounds PlayListBounds;  // "ZM SETTINGS\PlayListForm"
  TStoredBounds VisualBounds;    // "ZM SETTINGS\VisualForm"
  std::optional<int32_t> WindowX, WindowY;    // main window
  std::optional<int32_t> ChanSetX, ChanSetY;  // channel settings window
  bool DotsWindow = false;  // the lamp window was visible (written, never read)

  // --- Outputs ---
  bool UseWAV = true;
  bool UseMIDI = false;
  bool SyncToInput = false;

  // --- Mixer scope ---
  int ScopeStyle = 0;
  bool ScopeStereo = false;
  int ScopeShade = 0;
  bool ScopeEnabled = true;

  bool Minimized = true;  // the "minimize" menu item shows NOT this
  int VolPan = 0;         // what the front wheels show: 0 volume, 1 pan

  std::array<std::string, RecentFileCount> RecentFiles;  // most recent first
  std::string DrumKitFileName;  // the song New loads

  int32_t BufferLength = DefaultBufferFrames;  // frames
  int32_t AheadLength = DefaultBufferFrames;   // frames

  std::array<TToolItem, ToolEntryCount> ToolList;

  // --- Lists made at start-up (core/Program.h) ---
  // An index into the style folders; none stored: the folder named
  // "DEFAULT". Start-up sets it to the selection, so it is written back.
  std::optional<int> Style;
  // Indexes into the device lists, and the names they were chosen under
  // ("(none)" included). None stored: the "(none)" entry. Start-up sets them
  // to the lists' selections, clamped. OutputDevice -1 is the MIDI mapper.
  std::optional<int> DSDriver, InputDevice, OutputDevice, SyncOutputDevice;
  std::string DSDriverName, InputDeviceName, OutputDeviceName, SyncOutputDeviceName;

  // --- Sample browser and folders ---
  bool SampleListVisible = true;
  int SampleListWidth = 150;
  // Not stored: the "SmpList" values are written only when the browser
  // window was created.
  bool SampleBrowserCreated = false;
  std::string VSTPluginFolder;
  std::array<std::string, SearchFolderCount> SearchFolders;  // "ZM DIRS"
  // The names the sample browser gives them, as the settings' folder list
  // shows and edits them; empty: the folder's own name. Not stored.
  std::array<std::string, SearchFolderCount> SearchFolderNames;
  std::vector<std::string> Favorites;  // most recent first, at most MaxFavoriteFolders
};

// Brings every value into its range: Language 0..2 (others are 0), the device and style
// indexes to >= 0 (OutputDevice >= -1), "Buffer Length" to 64..22050 frames
// and "Ahead Length" to 64..the buffer length, "Bank Select Method" and
// "Settings sheet" to 0 / 1, "Rendering Remainder" outside 0..2 to Wrap,
// scope style 0..4, shade 0..255, VolPan 0..1, sync delay 0..500, the
// browser width to 50..300, stored window sizes to at least 1, the
// favourites to their maximum count.
void ClampPreferences(TPreferences& prefs);

// The paths defaults that depend on where the program's data lives.
std::string DefaultDrumKitFileName(const std::string& appPath);  // "Samples/DrumKits/Basic/Basic.zmp"
std::string DefaultVSTPluginFolder(const std::string& appPath);  // "Plugins/VST/"

// Puts shown at the top of the recent files: looked for among entries 0..6
// (exact, case-sensitive); the entries above the match (all of 0..6 when
// none) move down one place, so the match or entry 7 drops out.
void AddRecentFile(std::array<std::string, RecentFileCount>& recent, const std::string& shown);

// Picks the entry of a list the stored values select: the entry of that name
// when the list has one, else the stored index clamped into the list, else
// def. -1 for an empty list.
int ChooseListEntry(const std::vector<std::string>& list, const std::string& storedName,
                    std::optional<int> storedIndex, int def);

// A screen's usable area.
struct TScreenRect {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// Keeps a window of the given size reachable: when its title strip (its top
// 24 pixels, at least 48 of them wide) lies on no screen, the window moves
// onto the first screen, as close to where it was as fits. No screens: the
// position stays.
void KeepOnScreen(int32_t& left, int32_t& top, int32_t width, int32_t height,
                  const std::vector<TScreenRect>& screens);

}  // namespace vs
