#include "editors/MIDIForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "controls/NumBar.h"
#include "controls/PickNum.h"
#include "controls/TrackSlider.h"
#include "controls/WAVWheel.h"
#include "controls/WindowTools.h"
#include "core/MasterClock.h"
#include "core/ProgramPaths.h"
#include "core/SoundDevices.h"
#include "core/Style.h"
#include "editors/PanelStyle.h"
#include "editors/PluginSlotsPage.h"
#include "engine/MixSettings.h"
#include "platform/MidiPorts.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "framework/FolderDialog.h"
#include "framework/MLang.h"
#include "framework/Skin.h"
#include "framework/Tab95.h"
#include "model/Song.h"
#include "platform/FileTypes.h"
#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"
#include "toolbox/MLBase.h"
#include "toolbox/PathTools.h"

namespace vs {

const char* const SongFileExtension = ".ZMP";
const char* const SongFileTypeName = "VorbelSteps";
const char* const SongFileDescription = "Vorbel Steps Loop File";

namespace {

constexpr int CPUSlowInterval = 1000;  // ms
constexpr int CPUFastInterval = 10;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Sets a control without its handlers running.
template <typename T, typename F>
void Quietly(T* control, F&& set) {
  const bool blocked = control->blockSignals(true);
  set();
  control->blockSignals(blocked);
}

QLabel* Caption(QWidget* parent, const char* name, const char* text, const char* role = nullptr) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(name);
  if (role) label->setProperty("role", role);
  return label;
}

QGroupBox* Group(QWidget* parent, const char* name, const char* title) {
  auto* group = new panel::TPanelGroup(QString::fromUtf8(title), parent);
  group->setObjectName(name);
  return group;
}

// On a name cell of the folder list: true while it shows the folder's own
// name (not one the user typed).
constexpr int OwnFolderName = Qt::UserRole + 1;

// The last folder name of a path ("/samples/Kits/" gives "Kits").
std::string FolderName(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  return ExtractFileName(p);
}

void ShowFailure(const TCommandResult& result) {
  if (result) return;
  const std::string& m = result.Message;
  HintMessageBox(m.find('|') == std::string::npos ? "Error|" + m : m, MbOK | MbIconError);
}

}  // namespace

// ------------------------------------------------------------ the window

TMIDIForm::TMIDIForm(TPreferences& prefs, QWidget* parent) : QWidget(parent, Qt::Dialog), Prefs(prefs) {
  // The main window's own: it stays above it and goes and comes back with
  // it.
  setObjectName("MIDIForm");
  setWindowTitle(QStringLiteral("Settings"));
  panel::ApplyPanelStyle(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  SettingsControl = new TPage95Control(this);
  SettingsControl->setObjectName("SettingsControl");
  panel::ApplyTabLook(SettingsControl);
  layout->addWidget(SettingsControl);
  auto sheet = [this](const char* name, const char* caption) {
    return new TTab95Sheet(SettingsControl, QString::fromUtf8(caption), name);
  };
  MIDISheet = sheet("MIDISheet", "MIDI");
  WAVSheet = sheet("WAVSheet", "WAV");
  GeneralSheet = sheet("GeneralSheet", "General");
  DirsSheet = sheet("DirsSheet", "Directories");
  PluginsSheet = sheet("PluginsSheet", "Plugins");
  LoopSheet = sheet("LoopSheet", "Loop");
  BuildMIDIPage();
  BuildWAVPage();
  BuildGeneralPage();
  BuildDirsPage();
  auto* plugins = new QVBoxLayout(PluginsSheet);
  plugins->setContentsMargins(6, 6, 6, 6);
  PluginSlots = new TPluginSlotsPage(PluginHost(), Prefs.VSTPluginFolder, PluginsSheet);
  plugins->addWidget(PluginSlots);
  BuildLoopPage();
  // The first sheet; on the plug-in sheet no control keeps the focus.
  SettingsControl->SetActivePage(MIDISheet);
  SettingsControl->OnChange = [this](QWidget*) {
    if (SettingsControl->ActivePage() == PluginsSheet) SettingsControl->setFocus();
  };

  FCPUTimer = new QTimer(this);
  FCPUTimer->setInterval(CPUSlowInterval);
  connect(FCPUTimer, &QTimer::timeout, this, &TMIDIForm::CPUTimerTick);

  // Wheels take the style's pictures whenever the style changes.
  connect(&Skin(), &TSkin::changed, this, [this] {
    for (TWAVWheel* w : {DelayFeedWheel, DelayPanWheel, DelayVolWheel}) {
      w->SetWheelIL(&Skin().MB404WheelIL);
      w->setFixedSize(w->size());
    }
    PluginSlots->ShowSlots();
  });

  resize(500, 480);
  MultiLang1 = new TMultiLang(this);
  MultiLang1->AfterLanguageChanged = [this](int) { LanguageChanged(); };
  MultiLang1->Loaded();
  CurrentSong().AddListener(this);
}

TMIDIForm::~TMIDIForm() {
  CurrentSong().RemoveListener(this);
  AudioOutput().MeasureCPU.store(false);
}

QString TMIDIForm::Word(const char* key, const char* english) const {
  if (!MultiLang1 || !MultiLang1->HasWord(key)) return QString::fromUtf8(english);
  return MultiLang1->Word(key);
}

QCheckBox* TMIDIForm::OptionBox(QWidget* parent, const char* name, const char* text, bool TPreferences::*option,
                                std::function<void()> after) {
  auto* box = new QCheckBox(QString::fromUtf8(text), parent);
  box->setObjectName(name);
  connect(box, &QCheckBox::toggled, this, [this, option, after](bool on) {
    if (Showing) return;
    Prefs.*option = on;
    if (after) after();
  });
  return box;
}

// ------------------------------------------------------------ MIDI page

void TMIDIForm::BuildMIDIPage() {
  auto* page = new QVBoxLayout(MIDISheet);
  page->setContentsMargins(12, 12, 12, 12);
  page->setSpacing(10);
  auto* devices = Group(MIDISheet, "MIDIDevicesGroup", "MIDI devices");
  auto* grid = new QGridLayout(devices);
  grid->setColumnStretch(1, 1);
  grid->setVerticalSpacing(8);
  auto list = [&](int row, const char* labelName, const char* text, const char* name, TMidiList which) {
    grid->addWidget(Caption(devices, labelName, text, "dim"), row, 0);
    auto* box = new panel::TPanelCombo(devices);
    box->setObjectName(name);
    // The ports there are now, when the list opens.
    box->OnPopup = [this] {
      if (!Program) return;
      ShowFailure(RelistMidiDevices(*Program));
      ShowDeviceLists();
    };
    grid->addWidget(box, row, 1);
    connect(box, &QComboBox::activated, this, [this, which](int index) {
      if (!Program) return;
      if (which == TMidiList::Input) QApplication::setOverrideCursor(Qt::WaitCursor);
      const TCommandResult result = ChooseMidiDevice(*Program, which, index);
      if (which == TMidiList::Input) QApplication::restoreOverrideCursor();
      ShowFailure(result);
    });
    return box;
  };
  MIDIInSelect = list(0, "MIDIInLabel", "Slave sync input", "MIDIInSelect", TMidiList::Input);
  MIDIOutSelect = list(1, "MIDIOutLabel", "Output", "MIDIOutSelect", TMidiList::Output);
  MIDIOutSyncSelect = list(2, "MIDIOutSyncLabel", "Master sync output", "MIDIOutSyncSelect", TMidiList::SyncOutput);
  page->addWidget(devices);

  auto* row = new QHBoxLayout();
  row->setSpacing(10);
  auto* bank = Group(MIDISheet, "BankGroup", "Bank select method");
  auto* bankLayout = new QVBoxLayout(bank);
  Bank0Button = new QRadioButton(QStringLiteral("Controller 0"), bank);
  Bank0Button->setObjectName("Bank0Button");
  Bank32Button = new QRadioButton(QStringLiteral("Controller 32"), bank);
  Bank32Button->setObjectName("Bank32Button");
  bankLayout->addWidget(Bank0Button);
  bankLayout->addWidget(Bank32Button);
  connect(Bank32Button, &QRadioButton::toggled, this, [this](bool on) {
    if (!Showing) Prefs.BankSelectMethod = on ? 1 : 0;
  });
  row->addWidget(bank, 1);
  auto* delay = Group(MIDISheet, "SyncDelayGroup", "Master sync delay (ms)");
  auto* delayLayout = new QHBoxLayout(delay);
  SyncDelaySelect = new TPickNum(delay);
  SyncDelaySelect->setObjectName("SyncDelaySelect");
  SyncDelaySelect->SetMinValue(0);
  SyncDelaySelect->SetMaxValue(MaxSyncDelay);
  SyncDelaySelect->SetValue(0);
  SyncDelaySelect->setFixedWidth(70);
  SetHint(SyncDelaySelect, QStringLiteral("Use this only if the slave device|can't follow the clock"));
  SyncDelaySelect->OnChange = [this](QWidget*) {
    if (Showing) return;
    Prefs.SyncDelay = std::clamp<int>(SyncDelaySelect->Value(), 0, MaxSyncDelay);
    Sync().Delay.store(Prefs.SyncDelay);
  };
  delayLayout->addWidget(SyncDelaySelect);
  delayLayout->addStretch(1);
  row->addWidget(delay, 1);
  page->addLayout(row);
  page->addStretch(1);
}

// ------------------------------------------------------------ WAV page

void TMIDIForm::BuildWAVPage() {
  auto* page = new QVBoxLayout(WAVSheet);
  page->setContentsMargins(12, 12, 12, 12);
  page->setSpacing(10);
  auto* output = Group(WAVSheet, "OutputGroup", "Sound output");
  auto* outLayout = new QGridLayout(output);
  outLayout->setColumnStretch(1, 1);
  outLayout->addWidget(Caption(output, "DSDriverLabel", "Output DirectSound driver", "dim"), 0, 0);
  DSDriverBox = new panel::TPanelCombo(output);
  DSDriverBox->setObjectName("DSDriverBox");
  outLayout->addWidget(DSDriverBox, 0, 1);
  FormatLabel = Caption(output, "FormatLabel", "(not opened)", "readout");
  outLayout->addWidget(FormatLabel, 1, 1);
  connect(DSDriverBox, &QComboBox::activated, this, [this](int index) {
    if (!Program) return;
    const TCommandResult result = ApplySoundDevice(Program->SoundDevices, index, Prefs);
    if (!result && Hooks.ShowInfo)
      Hooks.ShowInfo(FormatText(WindowText(MainWindowTable, "@OutputError", "Sound output: %s"), {result.Message}));
    UpdateFormatLabel();
  });
  page->addWidget(output);

  auto* buffers = Group(WAVSheet, "BufferGroup", "Latency");
  auto* bufLayout = new QGridLayout(buffers);
  bufLayout->setColumnStretch(0, 1);
  auto slider = [&](int row, const char* labelName, const char* name, bool ahead) {
    auto* label = Caption(buffers, labelName, "", "dim");
    bufLayout->addWidget(label, row * 2, 0);
    auto* s = new TTrackSlider(buffers);
    s->setObjectName(name);
    s->SetOrientation(Qt::Horizontal);
    s->SetTickMarks(TTickMark::tmBottomRight);
    s->SetFrequency(50);
    s->SetBigTicks(4);
    s->LineSize = 10;
    s->PageSize = 50;
    s->setFixedHeight(30);
    s->SetMax(MaxBufferSliderMs);
    s->OnChange = [this, ahead](QWidget*) {
      if (!Showing) BufferSliderChanged(ahead);
    };
    bufLayout->addWidget(s, row * 2 + 1, 0);
    return std::pair(label, s);
  };
  std::tie(BufLLabel, BufLSlider) = slider(0, "BufLLabel", "BufLSlider", false);
  std::tie(AheadBufLabel, AheadBufSlider) = slider(1, "AheadBufLabel", "AheadBufSlider", true);
  UnderrunsLabel = Caption(buffers, "UnderrunsLabel", "underruns: ", "dim");
  bufLayout->addWidget(UnderrunsLabel, 4, 0);
  page->addWidget(buffers);

  auto* mixing = Group(WAVSheet, "MixingGroup", "Mixing");
  auto* mixLayout = new QGridLayout(mixing);
  SurroundBox = OptionBox(mixing, "SurroundBox", "Surround", &TPreferences::Surround,
                          [this] { MixSettings().Surround.store(Prefs.Surround); });
  SetHint(SurroundBox, QStringLiteral("Cheap surround effect"));
  IPBox = OptionBox(mixing, "IPBox", "Linear interpolation", &TPreferences::Interpolation,
                    [this] { MixSettings().Interpolation.store(Prefs.Interpolation ? 1 : 0); });
  CRBox = OptionBox(mixing, "CRBox", "Click removal", &TPreferences::ClickRemoval,
                    [this] { MixSettings().ClickRemoval.store(Prefs.ClickRemoval ? 1 : 0); });
  mixLayout->addWidget(IPBox, 0, 0);
  mixLayout->addWidget(CRBox, 0, 1);
  mixLayout->addWidget(SurroundBox, 0, 2);
  auto* cpu = new QHBoxLayout();
  cpu->addWidget(Caption(mixing, "CPULabel", "CPU usage:", "dim"));
  UsageLabel = Caption(mixing, "UsageLabel", "--%", "readout");
  UsageLabel->setCursor(Qt::PointingHandCursor);
  UsageLabel->installEventFilter(this);
  cpu->addWidget(UsageLabel);
  cpu->addStretch(1);
  mixLayout->addLayout(cpu, 1, 0, 1, 3);
  page->addWidget(mixing);
  page->addStretch(1);
}

// ------------------------------------------------------------ General page

void TMIDIForm::BuildGeneralPage() {
  auto* page = new QGridLayout(GeneralSheet);
  page->setContentsMargins(12, 12, 12, 12);
  page->setHorizontalSpacing(10);
  page->setVerticalSpacing(10);
  auto* options = Group(GeneralSheet, "OptionsGroup", "Options");
  auto* grid = new QGridLayout(options);
  grid->setVerticalSpacing(5);
  EasyMoveBox = OptionBox(options, "EasyMoveBox", "&Easy move", &TPreferences::EasyMove);
  ArrangeBox = OptionBox(options, "ArrangeBox", "&Auto arrange", &TPreferences::AutoArrange);
  SetHint(ArrangeBox, QStringLiteral("Auto align the channel settings window"));
  SplashBox = OptionBox(options, "SplashBox", "&Startup splash screen", &TPreferences::SplashScreen);
  MouseBtnBox = OptionBox(options, "MouseBtnBox", "&Use both mouse buttons", &TPreferences::BothMouseButtons,
                          [this] {
                            if (Hooks.MouseButtonsChanged) Hooks.MouseButtonsChanged();
                          });
  AutoMaximizeBox = OptionBox(options, "AutoMaximizeBox", "Auto &maximize window", &TPreferences::AutoMaximize);
  InvertChanBox = OptionBox(options, "InvertChanBox", "&Position leds over knobs", &TPreferences::LedsOver, [this] {
    if (CurrentSong().ChannelCount() > 0 && Hooks.PositionLedsChanged) Hooks.PositionLedsChanged();
  });
  StopAtBottomBox = OptionBox(options, "StopAtBottomBox", "S&top at screen bottom", &TPreferences::StopAtBottom);
  NoDirBox = OptionBox(options, "NoDirBox", "No &dir in sample browser", &TPreferences::NoDir, [this] {
    if (Hooks.SampleFoldersChanged) Hooks.SampleFoldersChanged();
  });
  FullHeightBox = OptionBox(options, "FullHeightBox", "Always full height", &TPreferences::AlwaysFullHeight);
  AdjustChanNameBox =
      OptionBox(options, "AdjustChanNameBox", "Auto set channel &name", &TPreferences::AdjustChannelName);
  CloseDSBox = OptionBox(options, "CloseDSBox", "Auto close &DirectSound", &TPreferences::CloseDS);
  PreviewWAVBox = OptionBox(options, "PreviewWAVBox", "&Preview in open dialog", &TPreferences::PreviewWAV);
  QCheckBox* boxes[] = {EasyMoveBox,   ArrangeBox,      SplashBox, MouseBtnBox,   AutoMaximizeBox,   InvertChanBox,
                        StopAtBottomBox, NoDirBox, FullHeightBox, AdjustChanNameBox, CloseDSBox, PreviewWAVBox};
  for (int i = 0; i < 12; ++i) grid->addWidget(boxes[i], i % 6, i / 6);
  page->addWidget(options, 0, 0, 1, 2);

  auto* language = Group(GeneralSheet, "LanguageGroup", "Language");
  auto* langLayout = new QVBoxLayout(language);
  LanguageBox = new panel::TPanelCombo(language);
  LanguageBox->setObjectName("LanguageBox");
  LanguageBox->addItems({QStringLiteral("English"), QStringLiteral("French"), QStringLiteral("Dutch")});
  connect(LanguageBox, &QComboBox::activated, this, [this](int index) { ChooseLanguage(Prefs, index); });
  langLayout->addWidget(LanguageBox);
  page->addWidget(language, 1, 0);

  auto* skin = Group(GeneralSheet, "SkinGroup", "Skin");
  auto* skinLayout = new QVBoxLayout(skin);
  StylesBox = new panel::TPanelCombo(skin);
  StylesBox->setObjectName("StylesBox");
  connect(StylesBox, &QComboBox::activated, this, &TMIDIForm::StylesBoxChange);
  skinLayout->addWidget(StylesBox);
  page->addWidget(skin, 1, 1);

  auto* files = Group(GeneralSheet, "FilesGroup", "Files && registry");
  auto* filesLayout = new QVBoxLayout(files);
  RegisterExtButton = new QCheckBox(QStringLiteral("associate ZMP files "), files);
  RegisterExtButton->setObjectName("RegisterExtButton");
  SetHint(RegisterExtButton, QStringLiteral("*.ZMP files will be launched automatically by the program"));
  connect(RegisterExtButton, &QCheckBox::toggled, this, [this](bool on) {
    if (!Showing) RegisterExtButtonClick(on);
  });
  filesLayout->addWidget(RegisterExtButton);
  page->addWidget(files, 2, 0, 1, 2);
  page->setRowStretch(3, 1);
}

// ------------------------------------------------------------ Directories page

void TMIDIForm::BuildDirsPage() {
  auto* page = new QVBoxLayout(DirsSheet);
  page->setContentsMargins(12, 12, 12, 12);
  page->setSpacing(8);
  auto* folders = Group(DirsSheet, "SearchGroup", "Sample folders");
  auto* foldersLayout = new QVBoxLayout(folders);
  SearchDirList = new QTableWidget(SearchFolderCount, 2, folders);
  SearchDirList->setObjectName("SearchDirList");
  SearchDirList->setHorizontalHeaderLabels({QStringLiteral("Path to add to the sample browser"), QStringLiteral("Name")});
  SearchDirList->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  SearchDirList->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
  SearchDirList->setColumnWidth(1, 110);
  SearchDirList->verticalHeader()->setDefaultSectionSize(20);
  SearchDirList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  SearchDirList->verticalHeader()->setFixedWidth(26);
  SearchDirList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SearchDirList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Every folder row shows.
  SearchDirList->setMinimumHeight(SearchFolderCount * 20 + 26);
  SearchDirList->setAlternatingRowColors(true);
  SearchDirList->setSelectionMode(QAbstractItemView::SingleSelection);
  SearchDirList->setContextMenuPolicy(Qt::CustomContextMenu);
  for (int r = 0; r < SearchFolderCount; ++r)
    for (int c = 0; c < 2; ++c) SearchDirList->setItem(r, c, new QTableWidgetItem());
  connect(SearchDirList, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (Showing || !item) return;
    FFoldersChanged = true;
    QTableWidgetItem* name = SearchDirList->item(item->row(), 1);
    if (!name) return;
    Showing = true;
    if (item == name) {
      // A name the user typed is the folder's from now on.
      name->setData(OwnFolderName, false);
    } else if (name->data(OwnFolderName).toBool() || name->text().trimmed().isEmpty()) {
      // A path typed over another: the name shown follows the new folder,
      // unless the user gave the folder a name of their own.
      const std::string path = item->text().trimmed().toStdString();
      name->setText(Q(path.empty() ? std::string() : FolderName(path)));
      name->setData(OwnFolderName, true);
    }
    Showing = false;
  });
  // A right click on a folder row chooses its folder.
  connect(SearchDirList, &QTableWidget::customContextMenuRequested, this, [this](QPoint at) {
    const int row = SearchDirList->rowAt(at.y());
    if (row >= 0) SetSearchDir(row);
  });
  foldersLayout->addWidget(SearchDirList, 1);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  OpenBtn = new QPushButton(QStringLiteral("Browse..."), folders);
  OpenBtn->setObjectName("OpenBtn");
  SetHint(OpenBtn, QStringLiteral("Choose the folder of the selected row"));
  connect(OpenBtn, &QPushButton::clicked, this, [this] {
    const int row = SearchDirList->currentRow();
    if (row >= 0) SetSearchDir(row);
  });
  buttons->addWidget(OpenBtn);
  foldersLayout->addLayout(buttons);
  page->addWidget(folders, 1);

  auto* vst = Group(DirsSheet, "VSTGroup", "Plugins");
  auto* vstLayout = new QGridLayout(vst);
  vstLayout->addWidget(Caption(vst, "VSTPathLabel", "Find VST plugins in:", "dim"), 0, 0, 1, 2);
  VSTPathEdit = Caption(vst, "VSTPathEdit", "", "readout");
  VSTPathEdit->setTextInteractionFlags(Qt::TextSelectableByMouse);
  vstLayout->addWidget(VSTPathEdit, 1, 0);
  VSTPathBtn = new QPushButton(QStringLiteral("Browse..."), vst);
  VSTPathBtn->setObjectName("VSTPathBtn");
  SetHint(VSTPathBtn, QStringLiteral("Choose the folder of the VST plugins"));
  connect(VSTPathBtn, &QPushButton::clicked, this, &TMIDIForm::ChooseVSTFolder);
  vstLayout->addWidget(VSTPathBtn, 1, 1);
  vstLayout->setColumnStretch(0, 1);
  page->addWidget(vst);
}

// ------------------------------------------------------------ Loop page

void TMIDIForm::BuildLoopPage() {
  auto* page = new QVBoxLayout(LoopSheet);
  page->setContentsMargins(12, 12, 12, 12);
  page->setSpacing(10);
  auto* length = Group(LoopSheet, "PatLengthGroup", "Pattern length");
  auto* lengthLayout = new QGridLayout(length);
  lengthLayout->setColumnStretch(1, 1);
  auto bar = [&](int row, const char* name, int min, int max) {
    auto* b = new TNumBar(length);
    b->setObjectName(name);
    b->SetRange(min, max);
    b->setFixedHeight(18);
    b->OnChange = [this](QWidget*) {
      if (!Showing) PatLengthSelectChange();
    };
    lengthLayout->addWidget(b, row, 1);
    return b;
  };
  lengthLayout->addWidget(Caption(length, "PatLengthLabel", "Steps", "dim"), 0, 0);
  PatLengthSelect = bar(0, "PatLengthSelect", 8, MaxSteps);
  lengthLayout->addWidget(Caption(length, "RepeatBlockLabel", "Repeat block (visual)", "dim"), 1, 0);
  RepeatBlockSelect = bar(1, "RepeatBlockSelect", 1, MaxSteps);
  page->addWidget(length);

  auto* delay = Group(LoopSheet, "DelayGroup", "MB404 delay line");
  auto* delayLayout = new QGridLayout(delay);
  delayLayout->setHorizontalSpacing(18);
  auto wheel = [&](int column, const char* name, const char* labelName, const char* label, int max, int def,
                   TEchoSetting setting) {
    auto* w = new TWAVWheel(delay);
    w->setObjectName(name);
    w->SetBorder(false);
    w->SetWheelIL(&Skin().MB404WheelIL);
    w->setFixedSize(std::max(w->width(), 25), std::max(w->height(), 25));
    w->SetMin(0);
    w->SetMax(max);
    w->SetDefaultValue(def);
    w->MoveSpeed = 8;
    w->OnChange = [this, w, setting](QWidget*) {
      if (!Showing) ChangeSongEcho(CurrentSong(), setting, w->Value());
    };
    delayLayout->addWidget(w, 0, column, Qt::AlignHCenter);
    delayLayout->addWidget(Caption(delay, labelName, label, "caption"), 1, column, Qt::AlignHCenter);
    return w;
  };
  DelayFeedWheel = wheel(0, "DelayFeedWheel", "DelayFeedLabel", "FEEDBACK", 127, 64, EchoFeedback);
  SetHint(DelayFeedWheel, QStringLiteral("Delay feedback"));
  DelayPanWheel = wheel(1, "DelayPanWheel", "DelayPanLabel", "PAN", 128, 64, EchoPan);
  SetHint(DelayPanWheel, QStringLiteral("Delay pan"));
  DelayVolWheel = wheel(2, "DelayVolWheel", "DelayVolLabel", "VOLUME", 128, 128, EchoVolume);
  SetHint(DelayVolWheel, QStringLiteral("Delay volume"));
  DelayDelaySlider = new TTrackSlider(delay);
  DelayDelaySlider->setObjectName("DelayDelaySlider");
  DelayDelaySlider->SetOrientation(Qt::Horizontal);
  DelayDelaySlider->SetTickMarks(TTickMark::tmBottomRight);
  DelayDelaySlider->SetFrequency(16);
  DelayDelaySlider->SetBigTicks(3);
  DelayDelaySlider->LineSize = 1;
  DelayDelaySlider->PageSize = 16;
  DelayDelaySlider->setFixedHeight(30);
  DelayDelaySlider->SetMax(256);
  DelayDelaySlider->SetDefaultPosition(48);
  SetHint(DelayDelaySlider, QStringLiteral("Delay steps"));
  DelayDelaySlider->OnChange = [this](QWidget*) {
    if (!Showing) DelayDelaySliderChange();
  };
  delayLayout->addWidget(DelayDelaySlider, 0, 3);
  delayLayout->addWidget(Caption(delay, "DelayStepsLabel", "STEPS", "caption"), 1, 3, Qt::AlignHCenter);
  delayLayout->setColumnStretch(3, 1);
  page->addWidget(delay);

  auto* info = new QHBoxLayout();
  TitleLabel = new QLabel(LoopSheet);
  TitleLabel->setObjectName("TitleLabel");
  TitleLabel->setProperty("role", "readout");
  info->addWidget(TitleLabel, 1);
  InfoBtn = new QPushButton(QStringLiteral("Info"), LoopSheet);
  InfoBtn->setObjectName("InfoBtn");
  connect(InfoBtn, &QPushButton::clicked, this, [this] {
    if (Hooks.ShowSongInfo) Hooks.ShowSongInfo();
  });
  info->addWidget(InfoBtn);
  page->addLayout(info);
  ShowLoopPage();
  page->addStretch(1);
}

// ------------------------------------------------------------ program

void TMIDIForm::AttachProgram(TProgram& program) {
  Program = &program;
  ShowSettings();
}

void TMIDIForm::ShowDeviceLists() {
  // The entries for no device and for the MIDI mapper read in the
  // language shown.
  const QString none = Word("@NoDevice", SoundDeviceNoneEntry);
  const QString mapper = Word("@MIDIMapper", MidiMapperName);
  auto fill = [&](QComboBox* box, const std::vector<std::string>& items, int index) {
    Quietly(box, [&] {
      box->clear();
      for (const std::string& item : items)
        box->addItem(item == SoundDeviceNoneEntry ? none : item == MidiMapperName ? mapper : Q(item));
      box->setCurrentIndex(index);
    });
  };
  if (!Program) return;
  fill(DSDriverBox, Program->SoundDevices.Items, Program->SoundDevices.ItemIndex);
  const TMidiDeviceLists& m = Program->MidiLists;
  fill(MIDIInSelect, m.Input, m.InputIndex);
  fill(MIDIOutSelect, m.Output, m.OutputIndex);
  fill(MIDIOutSyncSelect, m.SyncOutput, m.SyncOutputIndex);
  fill(StylesBox, Program->StyleNames, Prefs.Style.value_or(-1));
}

void TMIDIForm::ShowSettings() {
  Showing = true;
  // The MIDI ports there are now (a synthesizer may have started since).
  if (Program) ShowFailure(RelistMidiDevices(*Program));
  ShowDeviceLists();
  Bank0Button->setChecked(Prefs.BankSelectMethod == 0);
  Bank32Button->setChecked(Prefs.BankSelectMethod == 1);
  SyncDelaySelect->SetValue(Prefs.SyncDelay);
  // The sliders from the engine's block and distance ahead.
  Sliders = BufferSlidersNow();
  BufLSlider->SetPosition(Sliders.BufferMs);
  AheadBufSlider->SetPosition(Sliders.AheadMs);
  UpdateSliderLabels();
  UpdateFormatLabel();
  ShowUnderruns(AudioOutput().UnderrunCount.load());
  const std::pair<QCheckBox*, bool> boxes[] = {
      {SurroundBox, Prefs.Surround},         {IPBox, Prefs.Interpolation},
      {CRBox, Prefs.ClickRemoval},           {EasyMoveBox, Prefs.EasyMove},
      {ArrangeBox, Prefs.AutoArrange},       {SplashBox, Prefs.SplashScreen},
      {MouseBtnBox, Prefs.BothMouseButtons}, {AutoMaximizeBox, Prefs.AutoMaximize},
      {InvertChanBox, Prefs.LedsOver},       {StopAtBottomBox, Prefs.StopAtBottom},
      {NoDirBox, Prefs.NoDir},               {FullHeightBox, Prefs.AlwaysFullHeight},
      {AdjustChanNameBox, Prefs.AdjustChannelName}, {CloseDSBox, Prefs.CloseDS},
      {PreviewWAVBox, Prefs.PreviewWAV}};
  for (const auto& [box, on] : boxes) box->setChecked(on);
  LanguageBox->setCurrentIndex(Prefs.Language);
  const std::string program = Hooks.ProgramFile ? Hooks.ProgramFile() : std::string();
  RegisterExtButton->setChecked(!program.empty() && IsFileTypeRegisteredTo(SongFileExtension, program));
  // The folder grid.
  SearchDirList->setHorizontalHeaderLabels({Word("@SearchPath", "Path to add to the sample browser"),
                                            Word("@SearchName", "Name")});
  // Rows typed and not yet applied (that happens at the close) stay as typed.
  for (int r = 0; r < SearchFolderCount && !FFoldersChanged; ++r) {
    const std::string& folder = Prefs.SearchFolders[size_t(r)];
    SearchDirList->item(r, 0)->setText(Q(folder));
    const std::string& name = Prefs.SearchFolderNames[size_t(r)];
    SearchDirList->item(r, 1)->setText(Q(folder.empty() ? std::string() : name.empty() ? FolderName(folder) : name));
    SearchDirList->item(r, 1)->setData(OwnFolderName, name.empty());
  }
  VSTPathEdit->setText(Q(Prefs.VSTPluginFolder));
  // The loop page from the song and its echo.
  ShowLoopPage();
  Showing = false;
}

void TMIDIForm::ShowLoopPage() {
  const bool wasShowing = Showing;
  Showing = true;
  const TSong& song = CurrentSong();
  PatLengthSelect->SetPosition(song.PatternLength());
  RepeatBlockSelect->SetPosition(song.StepsPerBlock);
  TitleLabel->setText(Q(song.Info.Title));
  DelayVolWheel->SetValue(song.Echo.Volume);
  DelayPanWheel->SetValue(song.Echo.Pan);
  DelayFeedWheel->SetValue(song.Echo.Feedback);
  DelayDelaySlider->SetPosition(song.Echo.Time);
  Showing = wasShowing;
}

void TMIDIForm::SongValueChanged(TSongValue value) {
  if (value == TSongValue::PatternLength || value == TSongValue::FileName || value == TSongValue::Echo ||
      value == TSongValue::Info)
    ShowLoopPage();
}

void TMIDIForm::SongReplaced(TSong&) { ShowLoopPage(); }

void TMIDIForm::ShowPluginSlots() { PluginSlots->ShowSlots(); }

// ------------------------------------------------------------ pages

void TMIDIForm::ShowPage(TTab95Sheet* sheet) {
  if (isVisible() && SettingsControl->ActivePage() == sheet) {
    hide();
    return;
  }
  ShowPageInBackground(sheet);
  raise();
  activateWindow();
}

void TMIDIForm::ShowPageInBackground(TTab95Sheet* sheet, std::optional<QPoint> place) {
  SettingsControl->SetActivePage(sheet);
  if (!isVisible()) {
    // Centred on the screen, unless a place is given.
    if (!place)
      if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize framed = FramedSize(this);
        place = GetWorkArea(*screen).center() - QPoint(framed.width() / 2, framed.height() / 2);
      }
    if (place) MoveIntoPlace(this, *place);
  }
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  show();
  setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void TMIDIForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowSettings();
  AudioOutput().MeasureCPU.store(true);
  FCPUTimer->start();
}

void TMIDIForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  FCPUTimer->stop();
  AudioOutput().MeasureCPU.store(false);
}

void TMIDIForm::closeEvent(QCloseEvent* event) {
  if (NoOutputChosen(Prefs)) {
    // Without a choice the sound plays on the system's default device when
    // one opened: say which; only with none is nothing heard.
    const std::string heard = OutputDeviceName();
    if (!heard.empty()) {
      if (Hooks.ShowInfo) Hooks.ShowInfo(MultiLang1->FormatWord("@DefaultOutput", {heard}));
    } else {
      HintMessageBox(Word("@NoOutputError",
                          "Warning|You didn't select any output (MIDI or DirectSound) device.\r\n"
                          "Dont be surprised if you don't hear anything...")
                         .toStdString(),
                     MbOK | MbIconWarning);
    }
  }
  if (FFoldersChanged) {
    RebuildSearchPaths();
    if (Hooks.SampleFoldersChanged) Hooks.SampleFoldersChanged();
  }
  QWidget::closeEvent(event);
}

bool TMIDIForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == UsageLabel && event->type() == QEvent::MouseButtonPress) {
    ToggleCPUSpeed();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------ handlers

void TMIDIForm::UpdateSliderLabels() {
  BufLLabel->setText(MultiLang1 ? MultiLang1->FormatQ("BufLLabel", {Sliders.BufferMs})
                                : QStringLiteral("Buffer Length (%1ms)").arg(Sliders.BufferMs));
  AheadBufLabel->setText(MultiLang1 ? MultiLang1->FormatQ("AheadBufLabel", {Sliders.AheadMs})
                                    : QStringLiteral("Ahead Duration (%1ms)").arg(Sliders.AheadMs));
}

void TMIDIForm::BufferSliderChanged(bool fromAhead) {
  // The device open now sets the least distance ahead.
  Sliders.LeastMs = BufferSlidersNow().LeastMs;
  Sliders = fromAhead ? AheadMoved(Sliders, AheadBufSlider->Position())
                      : BufferLengthMoved(Sliders, BufLSlider->Position());
  Showing = true;
  BufLSlider->SetPosition(Sliders.BufferMs);
  AheadBufSlider->SetPosition(Sliders.AheadMs);
  Showing = false;
  ApplyBufferSliders(Sliders, Prefs);
  UpdateSliderLabels();
  UpdateFormatLabel();
}

void TMIDIForm::UpdateFormatLabel() {
  TWaveFormatRecord format;
  if (!GetPrimaryFormat(format)) {
    FormatLabel->setText(Word("@(not opened)", "(not opened)"));
    return;
  }
  const QString channels = format.Channels == 1 ? Word("@MONO", "MONO") : Word("@STEREO", "STEREO");
  FormatLabel->setText(MultiLang1->FormatQ(
      "@DSoundSet", {int(format.SamplesPerSec), int(format.BitsPerSample), channels.toStdString()}));
}

void TMIDIForm::ShowUnderruns(int64_t count) {
  UnderrunsLabel->setText(Word("UnderrunsLabel", "underruns: ") + QString::number(count));
}

void TMIDIForm::CPUTimerTick() {
  const bool fast = FCPUTimer->interval() == CPUFastInterval;
  int voices = 0;
  if (fast) voices = Mixer().VoiceCount;
  UsageLabel->setText(Q(CPUUsageText(CPUUsage(), fast, voices)));
}

void TMIDIForm::ToggleCPUSpeed() {
  FCPUTimer->setInterval(FCPUTimer->interval() == CPUFastInterval ? CPUSlowInterval : CPUFastInterval);
  CPUTimerTick();
}

void TMIDIForm::PatLengthSelectChange() {
  if (CurrentSong().ChannelCount() == 0) return;
  ChangePatternLength(CurrentSong(), PatLengthSelect->Position(), RepeatBlockSelect->Position());
}

void TMIDIForm::DelayDelaySliderChange() {
  const int position = DelayDelaySlider->Position();
  ChangeSongEcho(CurrentSong(), EchoTime, position);
  if (Hooks.ShowInfo) Hooks.ShowInfo(MultiLang1->FormatWord("@Delay", {EchoDelayNotes(position)}));
}

void TMIDIForm::StylesBoxChange(int index) {
  if (!Program || index < 0 || index >= int(Program->StyleNames.size())) return;
  if (Hooks.HideChannelSettings) Hooks.HideChannelSettings();
  Prefs.Style = index;
  Skin().ChangeStyle(ProgramPaths().AppPath, Program->StyleNames[size_t(index)]);
  if (Hooks.StyleChanged) Hooks.StyleChanged();
  PlayStartSound();
}

void TMIDIForm::RegisterExtButtonClick(bool checked) {
  const std::string program = Hooks.ProgramFile ? Hooks.ProgramFile() : std::string();
  bool ok = true;
  if (checked)
    ok = !program.empty() && RegisterFileType(SongFileExtension, program, SongFileTypeName, SongFileDescription);
  else
    ok = UnregisterFileType(SongFileExtension);
  if (!ok) {
    HintMessageBox("Error|The file association could not be changed.", MbOK | MbIconError);
    SetCheckedQuiet(RegisterExtButton, !checked);
  }
}

void TMIDIForm::LanguageChanged() {
  ShowDeviceLists();
  PluginSlots->SetNoneText(Word("@NoPlugin", "(none)"));
  // The pages' texts are as long as the language has them: the window
  // makes room for them.
  SettingsControl->updateGeometry();
  UpdateSliderLabels();
  UpdateFormatLabel();
  ShowUnderruns(AudioOutput().UnderrunCount.load());
  SearchDirList->setHorizontalHeaderLabels({Word("@SearchPath", "Path to add to the sample browser"),
                                            Word("@SearchName", "Name")});
  Quietly(LanguageBox, [&] { LanguageBox->setCurrentIndex(Prefs.Language); });
}

// ------------------------------------------------------------ folders

std::optional<std::string> TMIDIForm::AskFolder(const std::string& title, const std::string& text,
                                                 const std::string& start) {
  if (Hooks.ChooseFolder) return Hooks.ChooseFolder(title, text, start);
  TFolderDialog dialog(this);
  dialog.SetOptions(dialog.Options() | bfScreenCenter);
  dialog.Title = Q(title);
  dialog.Text = Q(text);
  dialog.SetDirectory(Q(start));
  if (!dialog.Execute()) return std::nullopt;
  return dialog.Directory().toStdString();
}

void TMIDIForm::RebuildSearchPaths() {
  for (int r = 0; r < SearchFolderCount; ++r) {
    Prefs.SearchFolders[size_t(r)] = SearchDirList->item(r, 0)->text().trimmed().toStdString();
    // Only a name the user typed is kept; else the folder's own shows.
    const QTableWidgetItem* name = SearchDirList->item(r, 1);
    Prefs.SearchFolderNames[size_t(r)] =
        name->data(OwnFolderName).toBool() ? std::string() : name->text().trimmed().toStdString();
  }
  RebuildSampleSearchPaths(Prefs);
  FFoldersChanged = false;
}

bool TMIDIForm::ChooseSearchDir(int row) {
  if (row < 0 || row >= SearchFolderCount) return false;
  const std::optional<std::string> folder =
      AskFolder(Word("@ChangeBrowserDir", "Change browser directory").toStdString(),
                Word("@SelectBaseDir", "Select a directory where to browse for samples...").toStdString(),
                SearchDirList->item(row, 0)->text().toStdString());
  if (!folder || folder->empty()) return false;
  Showing = true;
  SearchDirList->item(row, 0)->setText(Q(AddBackslash(*folder)));
  SearchDirList->item(row, 1)->setText(Q(FolderName(*folder)));
  SearchDirList->item(row, 1)->setData(OwnFolderName, true);
  Showing = false;
  RebuildSearchPaths();
  if (Hooks.SampleFoldersChanged) Hooks.SampleFoldersChanged();
  return true;
}

void TMIDIForm::SetSearchDir(int row) {
  const bool shown = isVisible();
  hide();
  ChooseSearchDir(row);
  if (shown) show();
}

void TMIDIForm::ChooseVSTFolder() {
  const bool shown = isVisible();
  hide();
  const std::optional<std::string> folder =
      AskFolder(Word("@SelectDir", "Select a directory").toStdString(),
                Word("@SelectVSTDir", "Select the directory where your VST plugins are located...").toStdString(),
                Prefs.VSTPluginFolder);
  if (folder && !folder->empty()) {
    Prefs.VSTPluginFolder = AddBackslash(*folder);
    PluginHost().Folder = Prefs.VSTPluginFolder;
    VSTPathEdit->setText(Q(Prefs.VSTPluginFolder));
    PluginSlots->InvalidatePluginMenu();
  }
  if (shown) show();
}

}  // namespace vs
