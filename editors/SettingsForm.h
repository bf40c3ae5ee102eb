#pragma once
// The channel settings window: one channel at a time (Channel(), the
// window's tag), with its drawn caption bar (the channel's name and the
// window's title, the sample menu and the close button on it), the header
// (volume, pan, colour, effect route, name) and six pages: MIDI, SAMPLE
// (the sample view, the recent samples, the effect chain and reverb, cut
// groups, stretch, loop and reversal), MB404 (the synthesizer's slots,
// shown only for synthesizer channels instead of the four sample pages),
// PITCH (the on-screen keyboard and the keys), DELAY and MIX.
//
// Every control writes its channel at once through the channel commands
// (core/ChannelSettings.h): sample options rebuild the playable sample,
// the rest mark the song modified. While the window fills its controls
// from the channel (UpdateChannelSettingsForm) ChannelFormUpdating is set
// and nothing is written. The window follows the song: another view's
// change of the shown channel fills it again.
//
// Files dropped on the window load as through its open dialog.
//
// Keys (before any control's): Enter previews the channel's sample; PgUp
// and PgDn (unless a combo box or slider has the focus) show the previous
// and next channel, as if its name button were pressed. The other keys go
// to the main window's keyboard map first (OnMainKey: Space plays, the
// digits mute...) unless a text box has the focus; the window holds the
// focus itself when it opens, so the name edit types only once clicked.

#include <QPoint>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/ChannelSettings.h"
#include "model/SongListener.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QTableWidget;

namespace vs {

class TFavOpenDialog;
class TILBtn;
class TImageList;
class TKeys;
class TLampBox;
class TMultiLang;
class TMyTransButton;
class TNewCaption;
class TPage95Control;
class TPanelFace;
class TPickNum;
class TSelector;
class TTab95Control;
class TTab95Sheet;
class TTrackSlider;
class TValueControl;
class TWAVScope;
class TWAVWheel;
struct TPreferences;

class TSettingsForm : public QWidget, public SongListener {
  Q_OBJECT

public:
  explicit TSettingsForm(TPreferences& prefs, QWidget* parent = nullptr);
  ~TSettingsForm() override;

  // The channel shown (the window's tag).
  int Channel() const { return Tag; }
  void SetChannel(int index);

  // Fills every control from the channel shown; the caption is the
  // channel's name, " - " and the window's title (the title alone for an
  // unnamed channel).
  void UpdateChannelSettingsForm();
  // UpdateChannelSettingsForm when the window is visible and shows index.
  void RefreshChannelSettings(int index);
  // The mix and random lists: each channel's name, or "Channel " + number.
  void RefreshChannelNameList();
  void ShowChannelNote();
  void UpdatePitchPage();

  // A channel's name button was clicked (down: it now shows pressed): the
  // window shows that channel, or hides when the button came up.
  void SetButtonClick(int index, bool down);
  // The previous (-1) or next (+1) channel, wrapping around.
  void StepChannel(int delta);

  // "Load sample...": the favourites open dialog for a channel; the chosen
  // files load into it and the channels after it.
  void OpenSampleForChannel(int index);
  void AddRecentSample(const std::string& file);
  // Files load into a channel and the ones after it (appended where the
  // rack ends); each goes into the recent list.
  void LoadFiles(int index, const std::vector<std::string>& files);
  const TRecentSamples& RecentSamples() const { return Recent; }
  // A file picked elsewhere (the sample browser's selection) loads into the
  // channel shown.
  void LoadSampleIntoChannel(const std::string& file);

  // The sample menu's commands.
  void SaveModifiedSample();
  void ReloadSample();
  void SaveMB404State();

  // The window's side of the program: set by the main window.
  std::function<void(int index, bool down)> OnNameButtonState;  // a name button goes up or down
  std::function<void(int index)> OnRecordSample;                // "Record new sample..."
  std::function<void()> OnPresetSaved;                          // a ".404" file was written
  std::function<void(const std::string& text)> OnShowInfo;      // the info bar
  // A key pressed or released here that no text box is typing: true when
  // the main window's keyboard map took it.
  std::function<bool(QKeyEvent* event)> OnMainKey;

  QMenu* SampleMenu() const { return FSampleMenu; }
  // The tools with the channel-sample flag go after this separator.
  QAction* ToolsSepMenu() const { return FToolsSepMenu; }
  TFavOpenDialog* OpenWAV() const { return FOpenWAV; }
  TMultiLang* Words() const { return MultiLang1; }

  // SongListener. The window shows one channel: when channels come or go it
  // follows that channel to its new number, and hides when it is deleted.
  void ChannelListChanged() override;
  void ChannelChanged(int index) override;
  void SongReplaced(TSong& song) override;

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  // Building.
  void BuildHeader();
  void BuildMidiPage(TTab95Sheet* sheet);
  void BuildSamplePage(TTab95Sheet* sheet);
  void BuildSynthPage(TTab95Sheet* sheet);
  void BuildPitchPage(TTab95Sheet* sheet);
  void BuildDelayPage(TTab95Sheet* sheet);
  void BuildMixPage(TTab95Sheet* sheet);
  void BuildMenus();
  void ApplySkin();
  TWAVWheel* MakeWheel(QWidget* parent, const char* name, const QString& hint, int min, int max, int def,
                       TImageList* list);
  TSelector* MakeSelector(QWidget* parent, const char* name, const char* glyph, int cols, int rows);
  TPickNum* MakeSpin(QWidget* parent, const char* name, int min, int max, const QRect& box);
  // A push button of the panel (pixels: a smaller font), and a tick box that
  // writes its channel flag.
  TMyTransButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& box,
                             int pixels = 0);
  TLampBox* MakeFlagBox(QWidget* parent, const char* name, const QString& text, const QRect& box);
  TPanelFace* PageFace(TTab95Sheet* sheet);

  // The channel shown (null when the tag names none).
  TChannel* Shown() const;
  TSong& Song() const;
  // A handler's change of the shown channel (the song's notifications of
  // it fill nothing again).
  void Apply(const std::function<void(TSong& song, int index)>& change);
  void Info(const std::string& text);
  QString Word(const char* key, const char* english) const;
  void UpdateCaption();
  void FillSynthPage(const TChannel& c);
  void ShowNoteLabel(int note);
  void SpaceLowerWheels();
  void FitCutAndStretchBoxes();
  void ShowFileNameBox(int selected);
  void ShowChannelSampleName(const TChannel& channel);
  void PitchKeyDown(int note, bool rightButton);
  void ApplyRandomList();
  // The random-choice list's entries selected, exactly.
  void ShowRandomList(const TChannel& c);
  void StartSampleDrag();
  void PreviewOpenDialogFile(const QString& file);
  void ShowSliderReadings();
  // Enter (a preview) and PgUp / PgDn (the previous or next channel) of a
  // key pressed in this window; false when the key goes on to its target.
  bool WindowKey(QWidget* target, int key);
  // True for a control that types the keys it gets (an edit box).
  static bool TypesText(const QWidget* target);

  TPreferences& Prefs;
  int Tag = 0;
  const TChannel* ShownChannel = nullptr;  // the channel Tag names
  bool Applying = false;      // a handler is changing the shown channel
  bool NoteGridGuard = false;  // the note grid follows without acting
  int LastGridNote = -1;       // the note the grid's preview sent last
  TRecentSamples Recent;
  bool ScopePressed = false;
  bool Placed = false;  // shown once: its place is the user's
  QPoint MadeAt;        // its place before it ever showed

  TMultiLang* MultiLang1 = nullptr;
  TNewCaption* NewCaption = nullptr;
  TILBtn* CloseBtn = nullptr;
  TILBtn* MenuBtn = nullptr;
  TWAVWheel* VolWheel = nullptr;
  TWAVWheel* PanWheel = nullptr;
  TMyTransButton* ColorSample = nullptr;
  TSelector* FXRouteSelect = nullptr;
  QLineEdit* NameEdit = nullptr;
  TPage95Control* SettingsPageControl = nullptr;
  TTab95Sheet* MIDISheet = nullptr;
  TTab95Sheet* SampleSheet = nullptr;
  TTab95Sheet* MB404Sheet = nullptr;
  TTab95Sheet* PitchSheet = nullptr;
  TTab95Sheet* DelaySheet = nullptr;
  TTab95Sheet* MixSheet = nullptr;

  // MIDI page.
  QComboBox* ChanSelect = nullptr;
  TPickNum* NoteSelect = nullptr;
  QLabel* NoteLabel = nullptr;
  QTableWidget* NoteGrid = nullptr;
  TPickNum* PatchSelect = nullptr;
  TPickNum* BankSelect = nullptr;
  TPickNum* CtrlNumSelect = nullptr;
  TPickNum* CtrlValSelect = nullptr;

  // SAMPLE page.
  TMyTransButton* OpenBtn = nullptr;
  QComboBox* FileNameBox = nullptr;
  TWAVScope* WAVScope = nullptr;
  std::vector<std::pair<TValueControl*, const TChannelValueSpec*>> ValueControls;
  // The effect wheels under the upper row and their captions.
  std::vector<std::pair<QWidget*, QLabel*>> LowerRow;
  std::vector<std::pair<TLampBox*, const TChannelFlagSpec*>> FlagBoxes;
  TSelector* RevTypeSelect = nullptr;
  TPickNum* CutSelect = nullptr;
  TPickNum* CutBySelect = nullptr;
  TMyTransButton* CutItselfBtn = nullptr;
  TPickNum* StretchSelect = nullptr;
  TMyTransButton* StretchBtn = nullptr;
  TLampBox* LoopBox = nullptr;
  TLampBox* PingPongBox = nullptr;

  // MB404 page.
  std::vector<std::pair<QWidget*, const TSynthSlotSpec*>> SynthControls;

  // PITCH page.
  TTab95Control* KeybTab = nullptr;
  TKeys* MIDIKeyboard = nullptr;
  QLabel* MiddleNoteLabel = nullptr;
  TMyTransButton* DefNoteBtn = nullptr;

  // DELAY page.
  TPickNum* EchoSelect = nullptr;
  TTrackSlider* DelayDelaySlider = nullptr;
  TTrackSlider* ShiftSlider = nullptr;
  QLabel* ShiftLabel = nullptr;
  QLabel* DelayTimeLabel = nullptr;

  // MIX page.
  QListWidget* ChanList_Mix = nullptr;
  QListWidget* ChanList_Rand = nullptr;

  // Menus and dialogs.
  QMenu* FSampleMenu = nullptr;
  QAction* SaveSampleMenu = nullptr;
  QAction* ReloadMenu = nullptr;
  QAction* RecordMenu = nullptr;
  QAction* Save404Menu = nullptr;
  QAction* FToolsSepMenu = nullptr;
  QMenu* StretchMenu = nullptr;
  TFavOpenDialog* FOpenWAV = nullptr;
  QString SaveMB404FileName;  // the ".404" dialog's start name

  // Pictures: the style's wheels, the window's pickers and caption buttons.
  std::vector<TImageList*> Lists;
  TImageList* MiddleWheels = nullptr;
  TImageList* SmallWheels = nullptr;
  TImageList* SynthWheels = nullptr;
  TImageList* CaptionButtons = nullptr;
};

// The last file previewed from the open dialog (emptied at exit).
extern std::string LastDialogPreview;

}  // namespace vs
