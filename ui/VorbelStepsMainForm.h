#pragma once
// The main window: a skinned, frameless instrument of fixed width whose
// height follows the channel rack. From top to bottom: the caption picture
// (with the song's name, minimise and close), the top dock with the menu
// bar's tool window and the remote panel's (transport, pattern and tempo
// displays, edit-mode keys, scope and level meter, the five master faders),
// the rack between its side strips with its scrollers, and the bottom dock
// with the info bar. The tool windows can be dragged out to float and back;
// the window's height follows.
//
// The window is dragged by its background, caption, logo and side strips
// ("Easy Move"), sized by a right-button drag on a side strip or a double
// click on the background, and never taller than the rack nor shorter than
// its frame. Keys pressed in it (and in the piano, playlist and lamp
// windows) run the keyboard map (ui/MainFormMaps.h).
//
// Every control is a view: the panel shows the song and the transport and
// changes them only through the sequencer's commands and the song's
// setters; it follows the song's values through the song's listener
// (tempo, pattern, length, mode, master values, selection, clipboard,
// title), whatever route changed them. Closing asks to save changes first; a Cancel keeps the window
// open and everything as it was.

#include <QCursor>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/ImageList.h"
#include "core/MasterValues.h"
#include "core/ChannelFiles.h"
#include "core/SongCommands.h"
#include "core/Transport.h"
#include "framework/ActionTable.h"
#include "model/Preferences.h"
#include "model/SongListener.h"
#include "model/WAVSample.h"
#include "ui/MainFormMaps.h"

class QAction;
class QLabel;
class QMenu;
class QKeyEvent;

namespace vs {

class TAMTipDialog;
class TWaveEditorServer;
class TInfoForm;
class TBackgroundForm;
class TTutorialForm;
class TChannelRack;
class TDragFilesTrg;
class TMultiLang;
class TVorbelStepsMainForm;
class TMeroDock97;
class TMeroCustomToolWindow97;
class TMeroToolWindow97;
class TMyTransButton;
class TMeroUpDown;
class TNewMenu;
class THint95;
class TNumBar;
class TRCADigital;
class TSelector;
class TSettingsStore;
class TSkinPic;
class TTrackSlider;
class TWAVScope;
class TSnow;
class TWAVVolumeter;
class TWAVWheel;
struct TValueEditRequest;
class TQuickPaintBox;

// The song commands' window side: dialogs, cursor, info bar and caption.
class TQtSongCommandHost : public TSongCommandHost, public SongWindowFrame {
public:
  explicit TQtSongCommandHost(TVorbelStepsMainForm& form) : Form(form) {}

  std::optional<TSaveChoice> ChooseSaveFile(const std::string& fileName, int type) override;
  std::optional<std::string> ChooseOpenFile() override;
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& text,
                                          const std::string& startFolder) override;
  void SetBusyCursor(bool busy) override;
  void ShowInfo(const std::string& text) override;
  void ShowInfoNow(const std::string& text) override;
  void RecentFilesChanged() override;
  void HideSongInfo() override;
  void SongOpened() override;
  void SongWasReset() override;
  void FitMainWindowHeight() override;
  void SetSampleCommandsEnabled(bool enabled) override;
  bool RenderWAV(const std::string& fileName) override;
  bool WriteClickMarkedSample(const TWAVSample& sample, const std::string& fileName) override;
  // Song files keep the rack's height: the window's height less its frame.
  SongHost FileHost() override;
  int32_t RackHeight() override;
  void ApplyRackHeight(int32_t height) override;

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

// What the transport tells the window by itself (a slave's start and stop,
// the sync lamp, the output items).
class TQtTransportHost : public TTransportHost {
public:
  explicit TQtTransportHost(TVorbelStepsMainForm& form) : Form(form) {}
  void HidePlaySteps() override;
  void ShowStepPositions() override;
  void StartButtonChanged(bool down) override;
  void OutputItemsChanged() override;
  void SyncLedChanged(int tag, bool visible) override;
  // The output opened or closed: the scope follows its button again.
  TCommandResult OpenAudio() override;
  void CloseAudio() override;

private:
  TVorbelStepsMainForm& Form;
};

class TVorbelStepsMainForm : public QMainWindow, public SongListener {
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

  // The song's values as they change: each view that shows one follows.
  void SongValueChanged(TSongValue value) override;
  void SongReplaced(TSong& song) override;
  void ChannelListChanged() override { ShowSampleItems(); }
  void ChannelChanged(int) override { ShowSampleItems(); }

  // The views of the song: caption, channel list, recent files, height.
  void SetCaptionText(const std::string& text);
  void RebuildRecentFiles();
  void ShowSong();
  void FitMainWindowHeight();
  // "Collect samples" and "Click marked samples" are enabled while a
  // channel has a sample file.
  void ShowSampleItems();

  // --- Info bar ---
  // The long part of a hint text ("short|long"; the whole text without
  // "|"); ShowInfoNow also repaints at once.
  void ShowInfo(const std::string& text);
  void ShowInfoNow(const std::string& text);
  // The hint of the control under the pointer: shown again in the new
  // language after a switch.
  void ShowHintInfo(const std::string& hint);
  bool InfoShowsHint() const { return InfoShowsHintFlag; }
  void ShowPercentInfo(const std::string& caption, int value, int max);
  void ShowPanInfo(int value, int max);
  void ShowSliderPercentInfo(int position, int max);
  // "@Left", "@Right" and "@Centered" of the chosen language.
  TPanWords PanWords() const;

  // --- Height and place ---
  // Everything but the rack; the height that shows every row, or the
  // screen's when that is less: the rack scrolls then.
  int FrameHeight() const;
  int FullHeight() const;
  // Clamped to FrameHeight..FullHeight; only the height changes. Growing,
  // the window stops at the screen's bottom with "Stop At Bottom".
  void SetFormHeight(int height);
  // Full height, or back to the height before (a double click on the
  // background).
  void ToggleFullHeight();
  // Places the window at the stored position (kept on a screen), and
  // stores the position it has now. Never placed, it opens at the top of
  // the screen with room on its left for the sample browser.
  void RestorePosition();
  // On the screen: the caption with the menu bar (when docked under it),
  // and the caption with the whole top dock. Other windows open clear of
  // them (MoveIntoPlace).
  QRect CaptionAndMenuArea() const;
  QRect CaptionAndPanelArea() const;
  void StorePosition();
  // The sample browser to keep flush against the window's left edge, with
  // its top and height (the browser's window sets itself here).
  void SetSampleBrowser(QWidget* browser);
  // Moves the side windows with the window (the browser flush left, the
  // piano window by the window's motion).
  void PlaceSideWindows();
  // The shown sample browser directly below this window in the window
  // order (where the desktop lets a program order its windows); its place,
  // size and activation stay. Runs at every activation.
  void PlaceSampleBrowserBelow();
  // The other way round when the browser is activated: this window
  // directly behind it.
  void PlaceBehindSampleBrowser();
  // Minimising this window (its minimise button, or the desktop) minimises
  // the program: the windows the desktop does not take along with it go
  // too, and come back when it is restored.
  void FollowMinimized(bool minimized);

  // --- Transport, pattern, tempo ---
  // Play / Stop of the current pattern (or the song in song mode).
  // fromButton: the play control itself (a stop rewinds to the range start).
  void TogglePlayback(bool fromButton = true);
  bool IsPlaying() const;
  // The play and loop buttons, the sync and output items show the
  // transport's state.
  void ShowTransport();
  // The pattern selector (up-down, digits, pad) changes the pattern; the
  // views of it follow a pattern set elsewhere without a change event.
  void SelectPattern(int pattern);
  void ShowPatternNumber();
  // The tempo control to a value (its change sets the tempo and marks the
  // song modified); ShowTempo shows the song's tempo quietly.
  void SetTempoControl(int bpm);
  void ShowTempo();
  // The faders show the song's master values; the engine takes its master
  // filter from the song.
  void ShowMasterValues();
  // The pattern scroller and the rows follow the pattern length and the
  // visible steps.
  void ShowPatternView();

  // --- Step edit modes ---
  // 0 step buttons, 1 volume / pan bars, 2 pitch / mix bars: every row
  // repaints, FXVolBtn and FXPitchBtn show the mode.
  void SetStepEditMode(int mode);
  int StepEditMode() const;
  // The piano window's buttons: K (note view) and Shift (graph view) held,
  // or FXNoteBtn / FXDrawBtn clicked.
  void SetPianoButton(TMyTransButton* button, bool down);
  // Opens the piano window in a view for the selected channel, and closes
  // it (the piano window's owner installs these).
  std::function<void(bool graphView)> OnShowPiano;
  std::function<void()> OnHidePiano;
  std::function<bool()> PianoShown;
  std::function<bool()> PianoShowsGraph;
  std::function<void()> OnNextGraphLane;

  // --- Keys ---
  // The keyboard map: true when the key did something. Keys of the piano,
  // playlist and lamp windows come here too (ForwardKeys).
  bool FormKeyDown(QKeyEvent* event);
  bool FormKeyUp(QKeyEvent* event);
  // The window's key presses and releases go to FormKeyDown / FormKeyUp
  // first (the main window installs this for itself and its key windows).
  void ForwardKeys(QWidget* window);
  // The cursor while Ctrl is held in a step-edit mode or over the piano
  // window (a step's wheel then changes every step): the program's "LINE"
  // cursor. LineCursorShown: it shows now. WaveCursorShape: the program's
  // other cursor, "WAVE".
  QCursor LineCursorShape{Qt::SizeVerCursor};
  QCursor WaveCursorShape{Qt::SizeVerCursor};
  bool LineCursorShown() const { return FLineCursor; }

  // --- The floating step-value wheel ---
  // A step row asked for it (a right click on an on step with the buttons
  // shown, or a press in a value mode): it lies over the step's bar with
  // the lane's range and the step's value, takes the mouse and goes on with
  // the press. Its change sets the step of the row and of every selected
  // channel (every step of the pattern under the line cursor) and names the
  // value in the info bar; its release hides it and ends a value mode that
  // a right click began.
  TWAVWheel* DotVolWheel = nullptr;
  void DotVolTimerTimer(const TValueEditRequest& request);
  void DotVolWheelChange();
  void DotVolWheelMouseUp();

  // Fills the drum-kit menu with the kit songs under the folder.
  void BuildDrumKitsMenu(const std::string& folder);

  // The menus and their shortcuts, one table (the bar mirrors its root).
  // Items whose windows come later are disabled until a handler is given
  // (TActionTable::SetHandler).
  TActionTable& Actions() { return MenuActions; }
  // The popups: the tempo menu, a channel row's line menu, the scope menu.
  QMenu* TempoMenu() const;
  QMenu* LineMenu() const;
  QMenu* ScopeMenu() const;
  // The channel the line menu was opened for.
  int LineMenuChannel() const { return FLineMenuChannel; }
  void PopupLineMenu(int channel, QPoint globalPos);

  // The docks, the three tool windows, the menu bar and the hints.
  TMeroDock97* TopDock = nullptr;
  TMeroDock97* BottomDock = nullptr;
  TMeroToolWindow97* MainMenuToolWindow = nullptr;  // the menu bar
  TMeroToolWindow97* MenuToolWindow = nullptr;      // the remote panel
  TMeroToolWindow97* BottomToolWindow = nullptr;    // the info bar
  TNewMenu* NewMainMenu = nullptr;
  THint95* Hint95 = nullptr;

  // The caption and the frame.
  TSkinPic* CaptionPic = nullptr;
  QLabel* CaptionLabel = nullptr;
  TMyTransButton* MinBtn = nullptr;
  TMyTransButton* CloseBtn = nullptr;
  TSkinPic* LeftSide = nullptr;
  TSkinPic* RightSide = nullptr;
  QLabel* InfoLabel = nullptr;
  // The remote panel. The window is dragged by its logo zone; from the
  // third click on it the info bar teases, the seventh turns the caption
  // red, and a double click closes the window.
  TSkinPic* MenuPic = nullptr;
  QWidget* LogoZone = nullptr;
  TMyTransButton* StartButton = nullptr;
  TMyTransButton* LoopButton = nullptr;
  TMyTransButton* FXVolBtn = nullptr;
  TMyTransButton* FXPitchBtn = nullptr;
  TMyTransButton* FXDrawBtn = nullptr;
  TMyTransButton* FXNoteBtn = nullptr;
  TRCADigital* PatNumDig = nullptr;
  TMeroUpDown* PatUpDown = nullptr;
  TSelector* PatPad = nullptr;
  TRCADigital* BPMDig = nullptr;
  TMeroUpDown* BPMUpDown = nullptr;
  TQuickPaintBox* MIDISyncLED = nullptr;
  TWAVScope* MixScope = nullptr;
  // The scope's snow, while the style asks for it ("ScopeFX"): its effect
  // buffer is the scope's size.
  std::unique_ptr<TSnow> ScopeSnow;
  TMyTransButton* ScopeButton = nullptr;
  TWAVVolumeter* MixVolumeter = nullptr;
  std::array<TTrackSlider*, MasterSliderCount> MasterSliders{};
  TNumBar* PatternScroller = nullptr;

  // Where the tool windows were left, restored and stored under the
  // program's key (one section per tool window).
  void LoadToolWindows(TSettingsStore& store);
  void SaveToolWindows(TSettingsStore& store);
  // The hint panel item: shows or hides the info bar's tool window.
  void HintpanelMenuClick();
  // The View menu's windows: the playlist (placed flush left of this
  // window when "Auto Arrange" is on), the lamp window and the backdrop
  // (made at first use, as large as the screen's usable area, behind this
  // window). Each item's check follows its window.
  void PlayListMenuClick();
  void VisualMenuClick();
  void BackgroundMenuClick();
  TBackgroundForm* BackgroundForm() const { return FBackgroundForm; }
  // The Help menu's tips (from the tips file of the language in use) and
  // about box (modal, unless it shows already); the File menu's tutorial
  // (after the save-changes question; made on first use, freed when
  // closed).
  void TipsMenuClick();
  void AboutMenuClick();
  // Help > Products info and Help > Contents: the text viewer (made on
  // first use) showing "Texts/InfoTxt.rtf" under "@Products", or the help
  // "Texts/HelpTxt.rtf"; a missing file shows an empty text.
  void ProductsInfoMenuClick();
  void ContentsMenuClick();
  TInfoForm* TextViewer() const { return FTextViewer; }
  // The key of the text the viewer shows: "@Products" or "@HelpContents".
  const std::string& TextViewerCaptionKey() const { return TextViewerKey; }
  void TutorialMenuClick();
  TAMTipDialog* Tips() const { return TipsBox; }
  TTutorialForm* TutorialForm() const;

  // --- Hints ---
  // The next hint shows text ("short|long") instead of the control's own:
  // the hint of the control (else the one under the mouse) shows again at
  // once. Hint95ShowHint: the override goes into a hint while the guard is
  // clear; every hint shown sets the guard.
  void SetHintOverride(const std::string& text, QWidget* control = nullptr);
  void Hint95ShowHint(std::string& hint);

  // --- The outside wave editor ---
  // Listens on the socket path for files the editor hands back (see
  // core/WaveEditorLink.h); each loads into the selected channel and the
  // info bar tells "Received <file>". False when the path can't be used.
  bool ListenForWaveEditor(const std::string& path);
  TWaveEditorServer* WaveEditorLink = nullptr;
  // The piano roll for the first selected channel in a view (0 keys, 1
  // graph), under that channel's row; Close hides it.
  void ShowPianoForm(int viewMode);
  void ClosePianoForm();
  // The shown piano roll goes under its channel's row again (the rows moved).
  void PlacePianoForm();
  // A channel's step row on the screen (the window's top edge when the row
  // is out of sight).
  QRect StepRowOnScreen(int channel) const;
  // The humanize dialog (made on first use), then the selected channels'
  // steps moved at random as it says.
  void HumanizeMenuClick();
  // The menu bar takes the current style's menu picture ("MenuItems.bmp":
  // the titles' plates at rest and lit), lines its titles up with the
  // style's "MenuSep" and writes the captions over the plates; without a
  // picture it draws its own titles.
  void ApplyMenuPicture();
  // Takes the program's style (Skin()): the caption, the surfaces, the
  // panel's pictures and places, the tool windows' sizes, the menu bar's
  // titles, the fonts, the window's width and shape, the steps shown. Runs
  // whenever the style changes.
  void ApplySkin();

  // The engine's reports that the window shows: fresh output for the scope
  // and the level meter, the sync lamp. ScopeUpdate shows the scope's
  // settings and the output now (after a change of them, of the output or of
  // the window); ScopeOutputReported takes the scope thread's report of fresh
  // output. The scope and the meter paint, at most once a frame of the
  // display, only when what they show changes: nothing while the window is
  // hidden or minimised, and once the sound has been silent for a frame (a
  // trail fades first) nothing until it sounds again. False when the window
  // shows no scope now: its reports may rest until ScopeUpdate.
  void ScopeUpdate();
  bool ScopeOutputReported();
  bool ScopeShowing() const;
  // The scope and the meter show silence and paint no more until it sounds.
  bool ScopeAtRest() const { return ScopeResting; }
  // The scope's extra painting: the snow's pile, then a tick of it.
  void MixScopePaint(QImage& picture);
  void SyncLampUpdate();
  // ScopeButtonClick: the scope runs while its button is down.
  void ScopeButtonClick();

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
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Songs dropped on the window (files dropped on the rack: WAVDragTrg).
  TDragFilesTrg* FormDragTrg = nullptr;

private:
  friend class TQtTransportHost;
  void BuildMenus();
  void BuildFrame(QWidget* central);
  void AcceptDroppedFiles();
  void BuildToolWindows(QWidget* central);
  void BuildRemotePanel();
  void BuildMasterSliders();
  void BuildDotVolWheel();
  // The cursor back to the window's own (the line cursor ends).
  void RestoreCursor();
  void ToolWindowDockChanging(TMeroCustomToolWindow97& window);
  void ToolWindowDockChanged(TMeroCustomToolWindow97& window);
  void FitToolWindowWidths(TMeroDock97& dock);
  // The bar mirrors the action table again (after a language change).
  void MirrorMainMenu();
  // The height limits follow the frame, the rows and the screen.
  void UpdateHeightLimits();
  THeightLimits ScreenLimits(int rowsHeight) const;
  // Clamped to the limits only (a drag proposes heights of its own).
  void ApplyFormHeight(int height);
  void ChannelCommandDone(bool scrollToEnd);
  void PatUpDownChange();
  void MasterSliderChange(TMasterSlider slider);
  void RunKey(const TMainKeyAction& action);
  void SelectNextChannel(int direction);
  void ApplyPanelPictures();
  // Window dragging ("Easy Move") from the background, caption, logo and
  // side strips.
  bool DragSurfaceEvent(QWidget* surface, QEvent* event);
  // The hint window in the program's colours.
  static void Hint95PaintHint(QImage& picture);
  // A text of the window's table; english when the table lacks the key.
  QString WordOr(std::string_view key, std::string_view english) const;
  std::string HintShort(QWidget* control) const;

  TPreferences& Preferences;
  TQtSongCommandHost Host;
  TQtTransportHost TransportWindowHost;
  TQtChannelFileHost FileHost;
  TActionTable MenuActions;
  bool WasDocked = false;  // of the tool window changing docks
  int HeightBeforeDockChange = 0;
  std::unique_ptr<TSongCommands> SongCommands;
  QMenu* FileMenu = nullptr;
  QAction* LastFilesMenu = nullptr;  // marker before the recent files
  std::array<QAction*, RecentFileCount> RecentActions{};
  QAction* CollectMenuItem = nullptr;
  QAction* ClickSamplesMenuItem = nullptr;
  QMenu* DrumKitsMenu = nullptr;
  std::vector<std::string> DrumKitFiles;  // by the kit items' tags
  TChannelRack* ChannelRack = nullptr;
  QWidget* RackColumn = nullptr;
  TMultiLang* MultiLang1 = nullptr;
  TBackgroundForm* FBackgroundForm = nullptr;
  TAMTipDialog* TipsBox = nullptr;
  std::string HintOverride;
  int HintShownGuard = 0;
  static constexpr int HintGuardTime = 500;
  TInfoForm* FTextViewer = nullptr;
  // The viewer shows the text of a key's caption and file, in the language
  // shown (again after a language switch).
  void ShowTextViewer(const std::string& captionKey);
  void FillTextViewer();
  QString TextViewerCaption() const;
  std::string TextViewerKey;
  bool InfoShowsHintFlag = false;
  // A shown song information viewer shows the song's information.
  void ShowSongInfoViewer();
  QPointer<TTutorialForm> FTutorialForm;
  bool ClosingFlag = false;
  int FLineMenuChannel = 0;
  // The paste items are enabled while the step clipboard holds a copy.
  void ShowPasteItems();
  // The piano window, when shown, follows the first selected channel.
  void PianoFollowsSelection();

  // Height and dragging.
  THeightLimits Limits;
  int PreviousHeight = 0;   // before a double click went to full height
  bool ShownOnce = false;
  bool DragOrigin = false;  // a press on a drag surface may move the window
  QPoint DragLast;          // global, at the last press or move
  QPoint PressAt;           // global, at the last press
  QPointer<QWidget> DragSurface;
  QPoint LastPos;           // where the window was (the piano window follows)
  bool PlacingSideWindows = false;
  QPointer<QWidget> SampleBrowser;
  std::vector<QPointer<QWidget>> MinimizedWithForm;
  int LogoClicks = 0;
  void LogoClick(int clicks);
  bool FLineCursor = false;

  // The panel under each fader.
  std::array<TImageList, MasterSliderCount> SliderBacks;
  // Scope and meter.
  void ShowScopeOutput(bool always);
  TWAVSample ScopeFrames;
  int LevelLeft = 0, LevelRight = 0;
  int ScopeQuietFrames = 0;   // silent frames painted since the sound stopped
  bool ScopeResting = false;
  QElapsedTimer ScopePainted;  // since the last frame painted
};

}  // namespace vs
