#pragma once
// The program settings window ("Settings"): six pages in SettingsControl,
// MIDI, WAV, General, Directories, Plugins and Loop. Its controls are views
// of the program's preferences and live values: each change is applied at
// once (devices reopened, the mixer's options set, the skin and the
// language switched, the search folders and the plug-in folder kept) and
// the window shows them again each time it is shown.
//
// The Loop page follows the song through the song's listener: its pattern
// length and repeat block, and the song's title in TitleLabel, whatever
// route changed them.
//
// What it needs of other windows (the rack, the sample browser, the song
// information editor, the info bar) it asks through Hooks, which the
// program's run installs.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "core/SettingsCommands.h"
#include "model/SongListener.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;

namespace vs {

class TMultiLang;
class TNumBar;
class TPage95Control;
class TPickNum;
class TPluginSlotsPage;
class TTab95Sheet;
class TTrackSlider;
class TWAVWheel;

// The extension, type name and description of the song files' association.
extern const char* const SongFileExtension;    // ".ZMP"
extern const char* const SongFileTypeName;     // "VorbelSteps"
extern const char* const SongFileDescription;  // "Vorbel Steps Loop File"

class TMIDIForm : public QWidget, public SongListener {
  Q_OBJECT

public:
  explicit TMIDIForm(TPreferences& prefs, QWidget* parent = nullptr);
  ~TMIDIForm() override;

  // The program whose device and style lists the window shows (its
  // preferences are the ones given above). Until then the lists are empty.
  void AttachProgram(TProgram& program);

  struct THooks {
    // The info bar of the main window.
    std::function<void(const std::string& text)> ShowInfo;
    // The rack's lamps over or under the knobs, its mouse buttons, its rows
    // after a style change.
    std::function<void()> PositionLedsChanged;
    std::function<void()> MouseButtonsChanged;
    std::function<void()> StyleChanged;
    // The sample browser's tree is rebuilt (folders or "No dir" changed).
    std::function<void()> SampleFoldersChanged;
    // The channel settings window hides (before a style change).
    std::function<void()> HideChannelSettings;
    // The song information editor.
    std::function<void()> ShowSongInfo;
    // A folder dialog (title, text, start folder); by default TFolderDialog.
    std::function<std::optional<std::string>(const std::string& title, const std::string& text,
                                             const std::string& start)>
        ChooseFolder;
    // The program file the song files are associated with.
    std::function<std::string()> ProgramFile;
  } Hooks;

  TMultiLang& Words() { return *MultiLang1; }

  // When the window shows that sheet it hides; otherwise the sheet is
  // chosen and the window shown.
  void ShowPage(TTab95Sheet* sheet);
  // Start-up's showing: the sheet chosen and the window shown without
  // taking the keyboard from the main window. A hidden window opens at the
  // place given, else centred on the screen, clear of the main window's
  // caption, menu bar and panel.
  void ShowPageInBackground(TTab95Sheet* sheet, std::optional<QPoint> place = std::nullopt);

  // The sample search folders: the samples folder, then every non-empty
  // path of the grid in order; the folders-changed flag is cleared.
  void RebuildSearchPaths();
  // A folder dialog for grid row 0..9; a folder chosen fills the row's path
  // (with a final "/") and name, and the search folders follow. True when a
  // folder was chosen. SetSearchDir hides the window meanwhile.
  bool ChooseSearchDir(int row);
  void SetSearchDir(int row);
  // The plug-in folder from a folder dialog (the window hidden meanwhile).
  void ChooseVSTFolder();
  bool FoldersChanged() const { return FFoldersChanged; }

  // The labels that show numbers.
  void UpdateFormatLabel();
  // The Loop page shows the song's pattern length, repeat block and title.
  void ShowLoopPage();
  void SongValueChanged(TSongValue value) override;
  void SongReplaced(TSong& song) override;
  void UpdateSliderLabels();
  void ShowUnderruns(int64_t count);
  // The CPU meter's tick; its label's click switches 1000 ms / 10 ms.
  void CPUTimerTick();
  void ToggleCPUSpeed();
  QTimer* CPUTimer() const { return FCPUTimer; }

  // Every control from the preferences and the engine (what showing does).
  void ShowSettings();
  // Every plug-in strip from the slots (after a song brought plug-ins).
  void ShowPluginSlots();

  // The pages and their controls (object names as the Part names them).
  TPage95Control* SettingsControl = nullptr;
  TTab95Sheet *MIDISheet = nullptr, *WAVSheet = nullptr, *GeneralSheet = nullptr, *DirsSheet = nullptr,
              *PluginsSheet = nullptr, *LoopSheet = nullptr;
  QComboBox *MIDIInSelect = nullptr, *MIDIOutSelect = nullptr, *MIDIOutSyncSelect = nullptr;
  QRadioButton *Bank0Button = nullptr, *Bank32Button = nullptr;
  TPickNum* SyncDelaySelect = nullptr;
  QComboBox* DSDriverBox = nullptr;
  QLabel *FormatLabel = nullptr, *BufLLabel = nullptr, *AheadBufLabel = nullptr, *UnderrunsLabel = nullptr,
         *UsageLabel = nullptr;
  TTrackSlider *BufLSlider = nullptr, *AheadBufSlider = nullptr;
  QCheckBox *SurroundBox = nullptr, *IPBox = nullptr, *CRBox = nullptr;
  QComboBox *LanguageBox = nullptr, *StylesBox = nullptr;
  QCheckBox *EasyMoveBox = nullptr, *ArrangeBox = nullptr, *SplashBox = nullptr, *MouseBtnBox = nullptr,
            *AutoMaximizeBox = nullptr, *InvertChanBox = nullptr, *StopAtBottomBox = nullptr,
            *NoDirBox = nullptr, *FullHeightBox = nullptr, *AdjustChanNameBox = nullptr, *CloseDSBox = nullptr,
            *PreviewWAVBox = nullptr, *RegisterExtButton = nullptr;
  QTableWidget* SearchDirList = nullptr;
  QPushButton *OpenBtn = nullptr, *VSTPathBtn = nullptr, *InfoBtn = nullptr;
  QLabel* VSTPathEdit = nullptr;
  QLabel* TitleLabel = nullptr;  // the song's title (Loop page)
  TPluginSlotsPage* PluginSlots = nullptr;
  TNumBar *PatLengthSelect = nullptr, *RepeatBlockSelect = nullptr;
  TWAVWheel *DelayFeedWheel = nullptr, *DelayPanWheel = nullptr, *DelayVolWheel = nullptr;
  TTrackSlider* DelayDelaySlider = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildMIDIPage();
  void BuildWAVPage();
  void BuildGeneralPage();
  void BuildDirsPage();
  void BuildLoopPage();
  QCheckBox* OptionBox(QWidget* parent, const char* name, const char* text, bool TPreferences::*option,
                       std::function<void()> after = nullptr);
  void ShowDeviceLists();
  void BufferSliderChanged(bool fromAhead);
  void PatLengthSelectChange();
  void DelayDelaySliderChange();
  void StylesBoxChange(int index);
  void RegisterExtButtonClick(bool checked);
  void LanguageChanged();
  std::optional<std::string> AskFolder(const std::string& title, const std::string& text, const std::string& start);
  QString Word(const char* key, const char* english) const;

  TPreferences& Prefs;
  TProgram* Program = nullptr;
  TMultiLang* MultiLang1 = nullptr;
  QTimer* FCPUTimer = nullptr;
  TBufferSliders Sliders;
  bool FFoldersChanged = false;
  bool Showing = false;  // controls being set from the values: no handlers
};

}  // namespace vs
