#pragma once
// The main window. Until the skinned window exists it is a plain window
// built of the program's docked tool windows: the owner-drawn menu bar
// (song commands, recent files, the hint panel, Play/Stop) in a tool window
// of the top dock, the remote panel below it, the channel rack,
// and the info bar in a tool window of the bottom dock. Each tool window can
// be dragged out to float and back; the window's height follows (a tool
// window that leaves or enters a dock takes or gives its client height).
// Hints show in the program's style and their long part in the info bar.
// Closing asks to save changes first; a Cancel there keeps the window open
// and everything as it was.

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ChannelFiles.h"
#include "core/SongCommands.h"
#include "framework/ActionTable.h"
#include "model/Preferences.h"

class QAction;
class QLabel;
class QMenu;

namespace vs {

class TBackgroundForm;
class TChannelRack;
class TDragFilesTrg;
class TMultiLang;
class TVorbelStepsMainForm;
class TMeroDock97;
class TMeroCustomToolWindow97;
class TMeroToolWindow97;
class TNewMenu;
class THint95;
class TSettingsStore;

// The song commands' window side: dialogs, cursor, info bar and caption.
class TQtSongCommandHost : public TSongCommandHost {
public:
  explicit TQtSongCommandHost(TVorbelStepsMainForm& form) : Form(form) {}

  std::optional<TSaveChoice> ChooseSaveFile(const std::string& fileName, int type) override;
  std::optional<std::string> ChooseOpenFile() override;
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& text,
                                          const std::string& startFolder) override;
  void SetBusyCursor(bool busy) override;
  void ShowInfo(const std::string& text) override;
  void SetCaptionText(const std::string& text) override;
  void RecentFilesChanged() override;
  void HideSongInfo() override;
  void SongOpened() override;
  void SongWasReset() override;
  void FitMainWindowHeight() override;
  void SetSampleCommandsEnabled(bool enabled) override;
  bool RenderWAV(const std::string& fileName) override;
  bool WriteClickMarkedSample(const TWAVSample& sample, const std::string& fileName) override;

  // The folder the open dialog starts in while no song file was opened.
  std::string OpenFolder;

private:
  TVorbelStepsMainForm& Form;
};

// The channel loading's window side: the info bar, messages, the option
// "Adjust Channel Name", and songs opened after the save-changes question.
class TQtChannelFileHost : public TChannelFileHost {
public:
  explicit TQtChannelFileHost(TVorbelStepsMainForm& form) : Form(form) {}
  void SetBusyCursor(bool busy) override;
  void ShowInfo(const std::string& text) override;
  void ShowError(const std::string& message) override;
  bool AdjustChannelName() override;
  void SetSampleCommandsEnabled(bool enabled) override;
  bool AskSaveChanges() override;
  void OpenSong(const std::string& fileName) override;

private:
  TVorbelStepsMainForm& Form;
};

class TVorbelStepsMainForm : public QMainWindow {
  Q_OBJECT

public:
  explicit TVorbelStepsMainForm(TPreferences& prefs, QWidget* parent = nullptr);
  ~TVorbelStepsMainForm() override;

  TSongCommands& Commands() { return *SongCommands; }
  TQtSongCommandHost& CommandHost() { return Host; }
  TPreferences& Prefs() { return Preferences; }
  // The window's texts (its table "VorbelStepsMainForm", which also holds
  // most of the program's free texts).
  TMultiLang& Words() { return *MultiLang1; }
  // The channel rack: a row of steps and buttons per channel.
  TChannelRack& Rack() { return *ChannelRack; }

  // Runs when a close was accepted (after the save-changes question), before
  // the window goes: the program's shut-down.
  std::function<void()> OnCloseAccepted;
  // True once a close was accepted.
  bool Closing() const { return ClosingFlag; }

  // The views of the song: caption, channel list, recent files, height.
  void SetCaptionText(const std::string& text);
  void ShowInfo(const std::string& text);
  void RebuildRecentFiles();
  void ShowSong();
  void FitMainWindowHeight();
  void SetSampleCommandsEnabled(bool enabled);
  // The height that shows every channel row.
  int FullHeight() const;

  // Places the window at the stored position (kept on a screen), and
  // stores the position it has now.
  void RestorePosition();
  void StorePosition();

  // Play / Stop of the current pattern (or the song in song mode).
  // fromButton: the play control itself (a stop rewinds to the range start).
  void TogglePlayback(bool fromButton = true);
  bool IsPlaying() const;
  // The play, loop and sync items show the transport's state.
  void ShowTransport();
  // Fills the drum-kit menu with the kit songs under the folder.
  void BuildDrumKitsMenu(const std::string& folder);

  // The menus and their shortcuts, one table (the bar mirrors its root).
  TActionTable& Actions() { return MenuActions; }
  // The docks, the three tool windows, the menu bar and the hints.
  TMeroDock97* TopDock = nullptr;
  TMeroDock97* BottomDock = nullptr;
  TMeroToolWindow97* MainMenuToolWindow = nullptr;  // the menu bar
  TMeroToolWindow97* MenuToolWindow = nullptr;      // the remote panel
  TMeroToolWindow97* BottomToolWindow = nullptr;    // the info bar
  TNewMenu* NewMainMenu = nullptr;
  THint95* Hint95 = nullptr;
  // Where the tool windows were left, restored and stored under the
  // program's key (one section per tool window).
  void LoadToolWindows(TSettingsStore& store);
  void SaveToolWindows(TSettingsStore& store);
  // The hint panel item: shows or hides the info bar's tool window.
  void HintpanelMenuClick();
  // The View menu's windows: the playlist (placed flush left of this
  // window when "Auto Arrange" is on), the lamp window and the backdrop
  // (made at first use, screen-sized, behind this window). Each item's
  // check follows its window.
  void PlayListMenuClick();
  void VisualMenuClick();
  void BackgroundMenuClick();
  TBackgroundForm* BackgroundForm() const { return FBackgroundForm; }
  // The piano roll for the first selected channel in a view (0 keys, 1
  // graph), under that channel's row; Close hides it.
  void ShowPianoForm(int viewMode);
  void ClosePianoForm();
  // The humanize dialog (made on first use), then the selected channels'
  // steps moved at random as it says.
  void HumanizeMenuClick();
  // The menu bar takes the current style's menu picture ("MenuItems.bmp":
  // the titles' plates at rest and lit), lines its titles up with the
  // style's "MenuSep" and writes the captions over the plates; without a
  // picture it draws its own titles.
  void ApplyMenuPicture();
  // Takes the program's style (Skin()): the tool windows' pictures and
  // sizes, the menu bar's titles, the info bar's font, the window's width
  // and shape, the steps shown. Runs whenever the style changes.
  void ApplySkin();

  // The sample browser: made on first use beside the window (it slides
  // open), shown or hidden. The browser asks the engine to preview its
  // selected sample; the post comes back here (BrowserSampleSelected).
  void SampleBrowserMenuClick();
  void BrowserSampleSelected();
  // The recording box for a channel, modal; prepare may set it up first.
  void ShowRecordForm(int channel, const std::function<void(class TRecordForm&)>& prepare = {});
  // Files dropped on the channel rack: a song opens, samples load into the
  // row under the drop point and new rows after it.
  TDragFilesTrg* WAVDragTrg = nullptr;
  void WAVDragTrgDrop();

protected:
  void closeEvent(QCloseEvent* event) override;
  // K (piano roll) and Shift (step graph) while held; F the graph's lane.
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

private:
  void BuildMenus();
  void BuildToolWindows(QWidget* central);
  void ToolWindowDockChanging(TMeroCustomToolWindow97& window);
  void ToolWindowDockChanged(TMeroCustomToolWindow97& window);
  void FitToolWindowWidths(TMeroDock97& dock);
  // The bar mirrors the action table again (after a language change).
  void MirrorMainMenu();
  // The hint window in the program's colours.
  static void Hint95PaintHint(QImage& picture);
  // A text of the window's table; english when the table lacks the key.
  QString WordOr(std::string_view key, std::string_view english) const;

  TPreferences& Preferences;
  TQtSongCommandHost Host;
  TQtChannelFileHost FileHost;
  TActionTable MenuActions;
  bool WasDocked = false;  // of the tool window changing docks
  std::unique_ptr<TSongCommands> SongCommands;
  QMenu* FileMenu = nullptr;
  QAction* LastFilesMenu = nullptr;  // marker before the recent files
  std::array<QAction*, RecentFileCount> RecentActions{};
  QAction* CollectMenuItem = nullptr;
  QAction* ClickSamplesMenuItem = nullptr;
  QAction* PlayAction = nullptr;
  QMenu* DrumKitsMenu = nullptr;
  std::vector<std::string> DrumKitFiles;  // by the kit items' tags
  QAction* LoopAction = nullptr;
  QAction* SyncAction = nullptr;
  QAction* WAVonlyAction = nullptr;
  QAction* MidiOnlyAction = nullptr;
  TChannelRack* ChannelRack = nullptr;
  QLabel* InfoLabel = nullptr;
  TMultiLang* MultiLang1 = nullptr;
  TBackgroundForm* FBackgroundForm = nullptr;
  bool ClosingFlag = false;
};

}  // namespace vs
