#include "editors/SettingsForm.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>
#include <tuple>

#include "controls/ImageList.h"
#include "controls/Keyboard.h"
#include "controls/MyTransBtn.h"
#include "controls/PickNum.h"
#include "controls/Selector.h"
#include "controls/TrackSlider.h"
#include "controls/WAVScope.h"
#include "controls/WAVWheel.h"
#include "controls/WindowTools.h"
#include "core/ChannelCommands.h"
#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "core/Tempo.h"
#include "core/Style.h"
#include "editors/ChannelPanel.h"
#include "engine/Mixer.h"
#include "engine/WAVFiles.h"
#include "framework/DialogLook.h"
#include "framework/DropSource.h"
#include "framework/FavOpenDialog.h"
#include "framework/MLang.h"
#include "framework/NewCaption.h"
#include "framework/Skin.h"
#include "framework/Tab95.h"
#include "model/Channels.h"
#include "model/Preferences.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"

namespace vs {

std::string LastDialogPreview;

namespace {

constexpr int FormWidth = 468;
constexpr int FormHeight = 336;
constexpr int CaptionHeight = 16;
constexpr int HeaderHeight = 58;

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The caption bar's colours as the window sets them.
const QColor CaptionActive(0xEF, 0xEF, 0xEF);
const QColor CaptionInactive(0x80, 0x80, 0x80);

}  // namespace

TSettingsForm::TSettingsForm(TPreferences& prefs, QWidget* parent)
    : QWidget(parent, Qt::Dialog), Prefs(prefs) {
  // The main window's own: it stays above it (the main window never covers
  // its caption bar) and goes and comes back with it.
  setObjectName("SettingsForm");
  setWindowTitle("Channel settings");
  setAccessibleName("Channel settings");
  panel::ApplyPanelStyle(this);
  // The spin edits keep their whole width for the number beside the arrows;
  // the keyboard's tabs and scroll bar are the panel's too.
  setStyleSheet(styleSheet() +
                "vs--TPickNum { padding: 0px 2px; border-radius: 2px; }"
                // The three boxes that share a well use their width for the digits.
                "vs--TPickNum#CutSelect, vs--TPickNum#CutBySelect, vs--TPickNum#StretchSelect { padding: 0px; }"
                "vs--TTab95Control { background-color: #2B2E33; color: #D9DCE1; }"
                "QListWidget { background: #1C1E22; color: #D9DCE1; border: 1px solid #3E4249; border-radius: 3px;"
                "  selection-background-color: #F29A2E; selection-color: #17191D; }"
                "QListWidget::item { padding: 1px 4px; }"
                "QScrollBar:horizontal { background: #1C1E22; height: 9px; margin: 0; }"
                "QScrollBar::handle:horizontal { background: #4A4E56; border-radius: 3px; min-width: 20px; }");
  setFixedSize(FormWidth, FormHeight);
  MadeAt = pos();
  // The window itself holds the focus until a control is clicked (a click
  // on the panel gives it back), so that its keys and the main window's
  // reach it.
  setFocusPolicy(Qt::StrongFocus);

  NewCaption = new TNewCaption(this);
  NewCaption->SetBarHeight(CaptionHeight);
  NewCaption->SetActiveColor(CaptionActive);
  NewCaption->SetInactiveColor(CaptionInactive);
  NewCaption->SetTextActiveColor(Qt::black);
  NewCaption->SetTextInactiveColor(QColor(0xC0, 0xC0, 0xC0));
  NewCaption->SetTextLeft(20);
  NewCaption->SetTextRightGap(17);
  QFont bold("Arial");
  bold.setPixelSize(11);
  bold.setBold(true);
  NewCaption->setFont(bold);
  NewCaption->EasyMove = true;

  // The pictures this window draws with.
  auto keep = [this](TImageList* list) {
    Lists.push_back(list);
    return list;
  };
  MiddleWheels = keep(new TImageList);
  SmallWheels = keep(new TImageList);
  SynthWheels = keep(new TImageList);
  CaptionButtons = keep(new TImageList);
  BitmapToImageList(LoadResourceBitmap("ChanSetBtns"), *CaptionButtons, 4);

  MenuBtn = new TILBtn(NewCaption);
  MenuBtn->setObjectName("MenuBtn");
  MenuBtn->SetImList(CaptionButtons);
  MenuBtn->SetImageIndex(2);
  MenuBtn->move(3, 2);
  CloseBtn = new TILBtn(NewCaption);
  CloseBtn->setObjectName("CloseBtn");
  CloseBtn->SetImList(CaptionButtons);
  CloseBtn->SetImageIndex(0);
  CloseBtn->move(FormWidth - CloseBtn->width() - 3, 2);
  CloseBtn->SetHint("Close");
  CloseBtn->OnClick = [this](QWidget*) { close(); };

  ApplySkin();  // the wheels take their size from the style's pictures
  BuildHeader();

  SettingsPageControl = new TPage95Control(this);
  SettingsPageControl->setObjectName("SettingsPageControl");
  SettingsPageControl->setGeometry(0, CaptionHeight + HeaderHeight, FormWidth, FormHeight - CaptionHeight - HeaderHeight);
  SettingsPageControl->SetTabInactiveColor(panel::InactiveTab);
  SettingsPageControl->SetTabInactiveFontColor(panel::Label);
  QFont tabFont("DejaVu Sans");
  tabFont.setPixelSize(10);
  tabFont.setBold(true);
  tabFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
  SettingsPageControl->setFont(tabFont);
  SettingsPageControl->SetTabInactiveFont(tabFont);
  auto sheet = [this](const char* name, const char* caption) {
    return new TTab95Sheet(SettingsPageControl, caption, name);
  };
  MIDISheet = sheet("MIDISheet", "MIDI");
  SampleSheet = sheet("SampleSheet", "SAMPLE");
  MB404Sheet = sheet("MB404Sheet", "MB404");
  PitchSheet = sheet("PitchSheet", "PITCH");
  DelaySheet = sheet("DelaySheet", "DELAY");
  MixSheet = sheet("MixSheet", "MIX");

  BuildMidiPage(MIDISheet);
  BuildSamplePage(SampleSheet);
  BuildSynthPage(MB404Sheet);
  BuildPitchPage(PitchSheet);
  BuildDelayPage(DelaySheet);
  BuildMixPage(MixSheet);
  BuildMenus();
  // The wheels of the SAMPLE and DELAY pages (the sliders have their own).
  for (auto& [control, spec] : ValueControls) {
    if (qobject_cast<TTrackSlider*>(control)) continue;
    control->OnChange = [this, control = control, spec = spec](QWidget*) {
      const int v = control->Value();
      Apply([v, spec](TSong& s, int i) { SetChannelValue(s, i, *spec, v); });
      if (spec->Rebuild) WAVScope->update();
      Info(ValueInfo(spec->Info, v, spec->Max, S(Word("@Left", "left")), S(Word("@Right", "right")),
                     S(Word("@Centered", "Centered"))));
    };
  }
  MB404Sheet->SetTabVisible(false);
  SettingsPageControl->SetActivePage(Prefs.SettingsSheet == 0 ? MIDISheet : SampleSheet);
  SettingsPageControl->OnChange = [this](QWidget*) {
    Prefs.SettingsSheet = SettingsPageControl->ActivePage() == MIDISheet ? 0 : 1;
  };

  // The sample dialog: a favourites dialog sharing the program's list.
  FOpenWAV = new TFavOpenDialog(this);
  FOpenWAV->setObjectName("OpenWAV");
  FOpenWAV->MaxCount = MaxFavoriteFolders;
  FOpenWAV->ShowFullPath = false;
  FOpenWAV->SetInitDirFrom1st = false;
  FOpenWAV->ButtonHint = "Set as favorite";
  FOpenWAV->LabelCaption = "Favorites:";
  FOpenWAV->AllowMultiSelect = true;
  FOpenWAV->FileMustExist = true;
  FOpenWAV->Title = "Open wave file(s)";
  FOpenWAV->Filter = "Samples (*.wav *.WAV *.xi *.XI *.ds *.DS *.syn *.SYN *.404 *.fpr *.FPR);;All files (*)";
  FOpenWAV->OnSelectionChange = [this](TFavOpenDialog&, const QString& file) { PreviewOpenDialogFile(file); };

  SaveMB404FileName = Q(SamplesFolder() + "MB404 Presets/untitled");

  // Files dropped on the window load into the channel shown and the ones
  // after it, as on its row of the rack; a song dropped opens.
  auto* drop = new TDragFilesTrg(this);
  drop->setObjectName("WAVDragTrg");
  drop->SetTarget(this);
  drop->OnDrop = [this](TDragFilesTrg& target) {
    const std::vector<std::string>& files = target.Files();
    if (files.empty() || !Shown() || TryOpenSongFile(files.front())) return;
    LoadFiles(Tag, files);
  };


  MultiLang1 = new TMultiLang(this);
  MultiLang1->AfterLanguageChanged = [this](int) {
    // The hints of the edit boxes (their rows would set their texts) and
    // the keyboard's tabs.
    for (const auto& [box, key, english] : std::initializer_list<std::tuple<QWidget*, const char*, const char*>>{
             {NoteSelect, "@NoteSelectHint", "Select note (drum)"},
             {CutSelect, "@CutSelectHint", "Cut which group?"},
             {CutBySelect, "@CutBySelectHint", "Cut by which group?"},
             {StretchSelect, "@StretchSelectHint", "Stretch to match the tempo"},
             {EchoSelect, "@EchoSelectHint", "Delay number of echoes"}})
      SetHint(box, Word(key, english));
    KeybTab->Tabs().Put(0, Word("@MiddleNote", "Middle note"));
    if (KeybTab->Tabs().Count() > 1) KeybTab->Tabs().Put(1, Word("@RenderNote", "Render note"));
    FOpenWAV->ButtonHint = Word("SetFavoriteBtn", "Set as favorite");
    FOpenWAV->LabelCaption = Word("FavoritesLabel", "Favorites:");
    FOpenWAV->Title = Word("OpenWAVTitle", "Open wave file(s)");
    if (auto texts = MultiLang1 ? MultiLang1->RowTexts("OpenWAVTitle", 2) : std::nullopt; texts && !(*texts)[1].empty())
      FOpenWAV->Filter = Q((*texts)[1]);
    RefreshChannelNameList();
    if (TChannel* c = Shown()) ShowNoteLabel(c->MidiNote < 128 ? c->MidiNote : -1);
    UpdatePitchPage();
    UpdateCaption();
    SpaceLowerWheels();
    FitCutAndStretchBoxes();
  };
  MultiLang1->Loaded();

  ApplySkin();
  connect(&Skin(), &TSkin::changed, this, [this] { ApplySkin(); });
  CurrentSong().AddListener(this);
  ShownChannel = Song().Channel(0);
  RefreshChannelNameList();
  UpdateCaption();
}

TSettingsForm::~TSettingsForm() {
  CurrentSong().RemoveListener(this);
  LastDialogPreview.clear();
  for (TImageList* list : Lists) delete list;
}

// ------------------------------------------------------------------ helpers

TSong& TSettingsForm::Song() const { return CurrentSong(); }
TChannel* TSettingsForm::Shown() const { return Song().Channel(Tag); }

void TSettingsForm::Apply(const std::function<void(TSong& song, int index)>& change) {
  if (ChannelFormUpdating || !Shown()) return;
  const bool was = Applying;
  Applying = true;
  change(Song(), Tag);
  Applying = was;
}

void TSettingsForm::Info(const std::string& text) {
  if (OnShowInfo)
    OnShowInfo(text);
  else
    ChannelFileHost().ShowInfo(text);
}

QString TSettingsForm::Word(const char* key, const char* english) const {
  if (MultiLang1 && MultiLang1->HasWord(key)) return MultiLang1->Word(key);
  return QString::fromUtf8(english);
}

TWAVWheel* TSettingsForm::MakeWheel(QWidget* parent, const char* name, const QString& hint, int min, int max, int def,
                                    TImageList* list) {
  auto* w = new TWAVWheel(parent);
  w->setObjectName(name);
  w->SetBorder(false);
  w->SetMin(min);
  w->SetMax(max);
  w->SetDefaultValue(def);
  w->SetValue(def);
  w->MoveSpeed = std::max(1, (max - min) / 4);
  w->SetHint(hint);
  w->SetWheelIL(list);
  w->setCursor(Qt::SizeVerCursor);
  return w;
}

TSelector* TSettingsForm::MakeSelector(QWidget* parent, const char* name, const char* glyph, int cols, int rows) {
  auto* s = new TSelector(parent);
  s->setObjectName(name);
  s->SetNumCols(cols);
  s->SetNumRows(rows);
  s->SetMin(0);
  s->SetMax(cols * rows - 1);
  s->SetGlyph(LoadResourceBitmap(glyph));
  s->setCursor(Qt::PointingHandCursor);
  return s;
}

TPickNum* TSettingsForm::MakeSpin(QWidget* parent, const char* name, int min, int max, const QRect& box) {
  auto* p = new TPickNum(parent);
  p->setObjectName(name);
  p->SetMinValue(min);
  p->SetMaxValue(max);
  p->SetValue(min);
  p->setGeometry(box);
  return p;
}

TMyTransButton* TSettingsForm::MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& box,
                                          int pixels) {
  auto* b = new TMyTransButton(parent);
  b->setObjectName(name);
  b->SetStyle(TBtnFrameStyle::FS_VekGradient);
  b->SetOptions(tbShowPressed);
  b->StayDown = false;
  b->SetCaption(caption);
  b->setGeometry(box);
  if (pixels > 0) {
    QFont small("DejaVu Sans");
    small.setPixelSize(pixels);
    small.setBold(true);
    b->setFont(small);
  }
  KeepTextCondensed(b);
  return b;
}

TLampBox* TSettingsForm::MakeFlagBox(QWidget* parent, const char* name, const QString& text, const QRect& box) {
  auto* lamp = new TLampBox(text, parent);
  lamp->setObjectName(name);
  lamp->setGeometry(box);
  KeepTextCondensed(lamp);
  for (const TChannelFlagSpec& spec : ChannelFlagSpecs())
    if (spec.Name == std::string(name)) {
      FlagBoxes.push_back({lamp, &spec});
      connect(lamp, &QCheckBox::toggled, this, [this, &spec](bool on) {
        Apply([&spec, on](TSong& s, int i) { SetChannelFlag(s, i, spec, on); });
        if (spec.Rebuild) WAVScope->update();
      });
    }
  return lamp;
}

TPanelFace* TSettingsForm::PageFace(TTab95Sheet* sheet) {
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* face = new TPanelFace(sheet);
  layout->addWidget(face);
  return face;
}

void TSettingsForm::ApplySkin() {
  TSkin& skin = Skin();
  if (skin.MiddleWheelIL.Empty() && skin.Style.Folder.empty()) skin.Load(CurrentStyle());
  *MiddleWheels = skin.MiddleWheelIL;
  *SmallWheels = skin.SmallWheelIL;
  *SynthWheels = skin.MB404WheelIL;
  for (TWAVWheel* w : findChildren<TWAVWheel*>()) w->SetWheelIL(w->WheelIL());
  if (WAVScope) {
    // The style's colours of the sample view.
    const TStyle& style = skin.Style;
    WAVScope->BackColor = style.SampleScopeCol[0];
    WAVScope->CenterColor = style.SampleScopeCol[1];
    WAVScope->SetLineColor(style.SampleScopeCol[2]);
    WAVScope->update();
  }
}

void TSettingsForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), panel::Face);
  // A thin dark frame around the whole window (it has no frame of its own).
  p.setPen(QColor(0x0C, 0x0D, 0x0F));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ------------------------------------------------------------------- header

void TSettingsForm::BuildHeader() {
  auto* face = new TPanelFace(this);
  face->setObjectName("HeaderPanel");
  face->setGeometry(1, CaptionHeight, FormWidth - 2, HeaderHeight);
  face->AddWell(QRect(4, 3, 128, 51));
  face->AddWell(QRect(136, 3, 96, 51));
  face->AddWell(QRect(236, 3, 226, 51));

  VolWheel = MakeWheel(face, "VolWheel", "Channel volume", 0, 127, 100, MiddleWheels);
  VolWheel->setGeometry(11, 10, 24, 24);
  PanelLabel(face, "VolLabel", "VOL", QRect(0, 38, 46, 12));
  VolWheel->OnChange = [this](QWidget*) {
    const int v = VolWheel->Value();
    Apply([v](TSong& s, int i) { SetChannelVolPan(s, i, v, VolPanVolume); });
    Info(PercentInfo(v, 127));
  };
  PanWheel = MakeWheel(face, "PanWheel", "Channel panning", 0, 127, 64, MiddleWheels);
  PanWheel->setGeometry(51, 10, 24, 24);
  PanelLabel(face, "PanLabel", "PAN", QRect(40, 38, 46, 12));
  PanWheel->OnChange = [this](QWidget*) {
    const int v = PanWheel->Value();
    Apply([v](TSong& s, int i) { SetChannelVolPan(s, i, v, VolPanPan); });
    Info(PanInfo(v, 127, S(Word("@Left", "left")), S(Word("@Right", "right")), S(Word("@Centered", "Centered"))));
  };

  ColorSample = new TMyTransButton(face);
  ColorSample->setObjectName("ColorSample");
  ColorSample->SetStyle(TBtnFrameStyle::FS_Vek3D);
  ColorSample->StayDown = false;
  ColorSample->SetHint("Choose a color...");
  ColorSample->setGeometry(95, 12, 22, 20);
  PanelLabel(face, "ColorLabel", "COLOR", QRect(78, 38, 56, 12));
  ColorSample->OnClick = [this](QWidget*) {
    TChannel* c = Shown();
    if (!c) return;
    QColorDialog dialog(ToQColor(c->Color & 0xFFFFFF), this);
    dialog.setObjectName("ChanColorDialog");
    dialog.setWindowTitle(Word("ChanColorDialog", "Choose a color"));
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    ApplyDialogLook(&dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const uint32_t colour = FromQColor(dialog.selectedColor());
    ColorSample->SetColor(colour);
    Apply([colour](TSong& s, int i) {
      s.Channel(i)->SetColor(colour);
      s.SetModified();
    });
  };

  FXRouteSelect = MakeSelector(face, "FXRouteSelect", "FXRoute", 1, 4);
  FXRouteSelect->move(142, 4);
  FXRouteSelect->SetHint("FX Track (plugin) ");
  PanelLabel(face, "RouteLabel", "FX\nTRACK", QRect(184, 14, 44, 26), Qt::AlignLeft | Qt::AlignVCenter);
  FXRouteSelect->OnChange = [this](QWidget*) {
    const int v = FXRouteSelect->Value();
    Apply([v](TSong& s, int i) { SetChannelEffectTrack(s, i, v); });
  };

  PanelLabel(face, "NameLabel", "NAME", QRect(246, 9, 120, 12), Qt::AlignLeft | Qt::AlignTop);
  NameEdit = new QLineEdit(face);
  NameEdit->setObjectName("NameEdit");
  NameEdit->setAccessibleName("Channel name");
  NameEdit->setGeometry(244, 23, 210, 22);
  // The name takes keys only once the user clicks into it: the window's own
  // keys (Space plays) work as soon as it opens.
  NameEdit->setFocusPolicy(Qt::ClickFocus);
  QFont nameFont("DejaVu Sans");
  nameFont.setPixelSize(12);
  nameFont.setBold(true);
  NameEdit->setFont(nameFont);
  connect(NameEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    Apply([&text](TSong& s, int i) {
      SetChannelName(s, i, S(text));
      s.SetModified();
    });
    UpdateCaption();
  });
}

void TSettingsForm::UpdateCaption() {
  const QString title = MultiLang1 && MultiLang1->HasWord("%Form%") ? MultiLang1->Word("%Form%") : "Channel settings";
  const TChannel* c = Shown();
  const QString caption = c && !c->Name.empty() ? Q(c->Name) + " - " + title : title;
  if (windowTitle() != caption) setWindowTitle(caption);
  NewCaption->update();
}

// ---------------------------------------------------------------- MIDI page

void TSettingsForm::BuildMidiPage(TTab95Sheet* sheet) {
  TPanelFace* face = PageFace(sheet);
  face->AddWell(QRect(4, 4, 158, 206));
  auto row = [face](const char* name, const char* text, int y) {
    return PanelLabel(face, name, text, QRect(12, y + 4, 84, 14), Qt::AlignLeft | Qt::AlignVCenter);
  };
  row("ChanLabel", "Channel", 10);
  ChanSelect = new QComboBox(face);
  ChanSelect->setObjectName("ChanSelect");
  for (int i = 1; i <= 16; ++i) ChanSelect->addItem(QString::number(i));
  ChanSelect->setGeometry(96, 10, 58, 22);
  connect(ChanSelect, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
    Apply([index](TSong& s, int i) { SetChannelMidiChannel(s, i, index); });
  });

  NoteLabel = row("NoteLabel", "Note (none)", 40);
  NoteSelect = MakeSpin(face, "NoteSelect", -1, 127, QRect(96, 40, 58, 22));
  SetHint(NoteSelect, "Select note (drum)");
  NoteSelect->OnChange = [this](QWidget*) {
    const int note = NoteSelect->Value();
    Apply([note](TSong& s, int i) { SetChannelMidiNote(s, i, note); });
    if (note >= -1 && note <= 127) ShowNoteLabel(note);
    ShowChannelNote();
  };

  row("PatchLabel", "Patch", 76);
  PatchSelect = MakeSpin(face, "PatchSelect", -1, 127, QRect(96, 76, 58, 22));
  row("BankLabel", "Bank", 106);
  BankSelect = MakeSpin(face, "BankSelect", -1, 127, QRect(96, 106, 58, 22));
  for (auto [spin, which] : {std::pair{PatchSelect, 0}, std::pair{BankSelect, 1}}) {
    spin->OnChange = [this, spin = spin, which = which](QWidget*) {
      const int v = spin->Value();
      Apply([this, v, which = which](TSong& s, int i) { SetChannelPatch(s, i, which, v, Prefs.BankSelectMethod); });
    };
  }

  row("CtrlNumLabel", "Controller", 142);
  CtrlNumSelect = MakeSpin(face, "CtrlNumSelect", 0, 127, QRect(96, 142, 58, 22));
  row("CtrlValLabel", "set to", 172);
  CtrlValSelect = MakeSpin(face, "CtrlValSelect", -1, 127, QRect(96, 172, 58, 22));
  CtrlNumSelect->OnChange = [this](QWidget*) {
    if (const TChannel* c = Shown()) {
      const bool was = ChannelFormUpdating;
      ChannelFormUpdating = true;
      CtrlValSelect->SetValue(ChannelControllerStart(*c, CtrlNumSelect->Value()));
      ChannelFormUpdating = was;
    }
  };
  CtrlValSelect->OnChange = [this](QWidget*) {
    const int controller = CtrlNumSelect->Value(), v = CtrlValSelect->Value();
    Apply([controller, v](TSong& s, int i) { SetChannelControllerStart(s, i, controller, v); });
  };

  // The note grid: 16 rows of 8 notes, a row per 8 notes.
  NoteGrid = new QTableWidget(16, 8, face);
  NoteGrid->setObjectName("NoteGrid");
  NoteGrid->setAccessibleName("Notes");
  NoteGrid->setGeometry(168, 4, 292, 206);
  NoteGrid->horizontalHeader()->hide();
  NoteGrid->verticalHeader()->hide();
  NoteGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  NoteGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  NoteGrid->setShowGrid(true);
  NoteGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  NoteGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QFont gridFont("DejaVu Sans Mono");
  gridFont.setPixelSize(10);
  NoteGrid->setFont(gridFont);
  for (int n = 0; n < 128; ++n) {
    auto* item = new QTableWidgetItem(QString::number(n));
    item->setTextAlignment(Qt::AlignCenter);
    item->setToolTip(Q(NoteName(n)));
    if (n % 12 == 1 || n % 12 == 3 || n % 12 == 6 || n % 12 == 8 || n % 12 == 10)
      item->setForeground(panel::Label);
    NoteGrid->setItem(n / 8, n % 8, item);
  }
  for (int c = 0; c < 8; ++c) NoteGrid->setColumnWidth(c, 34);
  for (int r = 0; r < 16; ++r) NoteGrid->setRowHeight(r, 17);
  connect(NoteGrid, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
    if (NoteGridGuard || row < 0 || column < 0) return;
    const int note = row * 8 + column;
    NoteSelect->SetValue(note);  // runs its change
    if (const TChannel* c = Shown()) {
      if (LastGridNote >= 0) MidiNoteOff(*c, LastGridNote);
      MidiNoteOn(*c, note);
      LastGridNote = note;
    }
  });
}

void TSettingsForm::SpaceLowerWheels() {
  // Between the well's edge and the reverb type, the captions in the
  // language shown with even gaps between them, each wheel over its caption.
  constexpr int Left = 4, Right = 248;
  int captions = 0;
  for (const auto& [wheel, label] : LowerRow)
    if (label) captions += label->fontMetrics().horizontalAdvance(label->text());
  const int count = int(LowerRow.size());
  const double gap = std::max(0.0, double(Right - Left - captions) / (count + 1));
  double x = Left + gap;
  for (const auto& [wheel, label] : LowerRow) {
    if (!label) continue;
    const int w = label->fontMetrics().horizontalAdvance(label->text());
    const int centre = int(std::lround(x + w / 2.0));
    wheel->move(centre - wheel->width() / 2, wheel->y());
    label->setGeometry(centre - 30, label->y(), 60, label->height());
    x += w + gap;
  }
}

void TSettingsForm::FitCutAndStretchBoxes() {
  // CUT, CUT BY and STRETCH share their well, each box as wide as its
  // largest number needs (never narrower than before), spread evenly; their
  // captions stay centred over them, "cut itself" under the first two and
  // the stretch menu's button under the last.
  constexpr int Left = 312, Right = 456, Least = 40;
  TPickNum* const boxes[] = {CutSelect, CutBySelect, StretchSelect};
  const char* const labels[] = {"CutLabel", "CutByLabel", "StretchLabel"};
  int widths[3], total = 0;
  for (int i = 0; i < 3; ++i) total += widths[i] = std::max(Least, boxes[i]->FittingWidth());
  const int gap = std::max(2, (Right - Left - total) / 2);
  int x = Left + std::max(0, (Right - Left - total - 2 * gap) / 2);
  for (int i = 0; i < 3; ++i) {
    TPickNum* box = boxes[i];
    box->setGeometry(x, box->y(), widths[i], box->height());
    if (auto* label = box->parentWidget()->findChild<QLabel*>(labels[i]))
      label->move(x + widths[i] / 2 - label->width() / 2, label->y());
    x += widths[i] + gap;
  }
  const int cutCentre = (CutSelect->x() + CutBySelect->geometry().right()) / 2;
  CutItselfBtn->move(cutCentre - CutItselfBtn->width() / 2, CutItselfBtn->y());
  StretchBtn->move(StretchSelect->geometry().center().x() - StretchBtn->width() / 2, StretchBtn->y());
}

void TSettingsForm::ShowNoteLabel(int note) {
  NoteLabel->setText(note < 0 || note > 127 ? Word("@NoNote", "Note (none)")
                                            : Q(FormatText(S(Word("@Note", "Note (%s)")), {NoteName(note)})));
}

void TSettingsForm::ShowChannelNote() {
  const TChannel* c = Shown();
  if (!c) return;
  const int note = c->MidiNote < 128 ? c->MidiNote : 0;
  NoteGridGuard = true;
  NoteGrid->setCurrentCell(note / 8, note % 8);
  NoteGridGuard = false;
}

// -------------------------------------------------------------- sample page

void TSettingsForm::BuildSamplePage(TTab95Sheet* sheet) {
  TPanelFace* face = PageFace(sheet);
  face->AddWell(QRect(4, 30, 296, 62));
  face->AddWell(QRect(304, 4, 156, 88));
  face->AddWell(QRect(4, 96, 456, 56));
  face->AddWell(QRect(4, 156, 300, 56));
  face->AddWell(QRect(308, 156, 152, 56));

  OpenBtn = MakeButton(face, "OpenBtn", "Load sample...", QRect(4, 4, 96, 22));
  OpenBtn->SetHint("Load sample...");
  OpenBtn->OnClick = [this](QWidget*) { OpenSampleForChannel(Tag); };

  FileNameBox = new QComboBox(face);
  FileNameBox->setObjectName("FileNameBox");
  FileNameBox->setAccessibleName("Recent samples");
  FileNameBox->setGeometry(104, 4, 196, 22);
  ShowFileNameBox(0);
  connect(FileNameBox, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (index < 0 || index >= int(Recent.Files().size())) return;
    const std::string file = Recent.Files()[size_t(index)];
    LoadSampleIntoChannel(file);
  });

  WAVScope = new TWAVScope(face);
  WAVScope->setObjectName("WAVScope");
  WAVScope->SetHint("Play it / drag it / save it...");
  WAVScope->setGeometry(9, 35, 286, 52);
  WAVScope->setCursor(Qt::PointingHandCursor);
  WAVScope->OnMouseDown = [this](QWidget*, const TMouseInfo& m) {
    if (m.Button == Qt::LeftButton) {
      ScopePressed = true;
      if (const TChannel* c = Shown()) PlayPreview(*c);
    } else if (m.Button == Qt::RightButton) {
      if (FSampleMenu) {
        SelectChannel(Song(), Tag);
        FSampleMenu->popup(WAVScope->mapToGlobal(QPoint(m.X, m.Y)));
      }
    }
  };
  WAVScope->OnMouseMove = [this](QWidget*, const TMouseInfo& m) {
    if (ScopePressed && (m.Buttons & Qt::LeftButton) && !WAVScope->rect().contains(m.X, m.Y)) {
      ScopePressed = false;
      StartSampleDrag();
    }
  };
  WAVScope->OnMouseUp = [this](QWidget*, const TMouseInfo& m) {
    if (m.Button != Qt::LeftButton) return;
    ScopePressed = false;
    StopLoopedPreviews();
  };

  // The tick boxes of the sample's playing and rebuilding.
  MakeFlagBox(face, "ReverseSampleBox", "Reverse", QRect(312, 8, 146, 15));
  MakeFlagBox(face, "ReverseBox", "Reverse stereo", QRect(312, 24, 146, 15));
  MakeFlagBox(face, "FadeBox", "Fade left to right", QRect(312, 40, 146, 15));
  LoopBox = new TLampBox("Use loop points", face);
  LoopBox->setObjectName("LoopBox");
  LoopBox->setGeometry(312, 56, 146, 15);
  PingPongBox = new TLampBox("Ping pong loop", face);
  PingPongBox->setObjectName("PingPongBox");
  PingPongBox->setGeometry(312, 72, 146, 15);
  PingPongBox->setToolTip("Loop forward / backward");
  connect(LoopBox, &QCheckBox::toggled, this, [this](bool on) {
    int group = 0;
    Apply([on, &group](TSong& s, int i) { group = SetChannelLooped(s, i, on); });
    PingPongBox->setEnabled(LoopBox->isEnabled());
    if (group > 0) {
      const bool was = ChannelFormUpdating;
      ChannelFormUpdating = true;
      CutSelect->SetValue(group);
      CutBySelect->SetValue(group);
      ChannelFormUpdating = was;
    }
  });
  connect(PingPongBox, &QCheckBox::toggled, this, [this](bool on) {
    Apply([on](TSong& s, int i) { SetChannelPingPong(s, i, on); });
    WAVScope->update();
  });

  // The effect wheels: two rows, each with its label.
  const char* labels[] = {"FX 1", "FX 2 MIX", "FX 2 SINE", "PHASER", "CUTOFF", "RESO",
                          "PREAMP", "ATTACK", "DECAY", "ST.DELAY", "REVERB"};
  const char* labelNames[] = {"FXLabel", "FXSineVolLabel", "FXSineLabel", "FX3Label", "CutOffLabel", "ResLabel",
                              "PreAmpLabel", "AttackLabel", "DecayLabel", "StDelLabel", "ReverbLabel"};
  // The lower row's captions differ in width: SpaceLowerWheels spaces its
  // wheels for the language shown.
  const int lowerCentres[] = {32, 81, 127, 178, 232};
  for (int i = 0; i < 11; ++i) {
    const TChannelValueSpec& spec = ChannelValueSpecs()[size_t(i)];
    const int rowY = i < 6 ? 102 : 162;
    const int centre = i < 6 ? 38 + i * 76 : lowerCentres[i - 6];
    TWAVWheel* w = MakeWheel(face, spec.Name, spec.Hint, spec.Min, spec.Max, spec.Default, MiddleWheels);
    w->setGeometry(centre - 12, rowY, 24, 24);
    // The upper row's wheels leave room for wider captions.
    const int half = i < 6 ? 36 : 30;
    PanelLabel(face, labelNames[i], labels[i], QRect(centre - half, rowY + 28, 2 * half, 12));
    ValueControls.push_back({w, &spec});
  }
  for (int i = 6; i < 11; ++i) LowerRow.push_back({ValueControls[size_t(i)].first, face->findChild<QLabel*>(labelNames[i])});
  RevTypeSelect = MakeSelector(face, "RevTypeSelect", "RevType", 2, 1);
  RevTypeSelect->move(258, 167);
  RevTypeSelect->SetHint("Reverb type ");
  PanelLabel(face, "RevTypeLabel", "TYPE", QRect(250, 190, 60, 12));
  RevTypeSelect->OnChange = [this](QWidget*) {
    const int v = RevTypeSelect->Value();
    Apply([v](TSong& s, int i) {
      s.Channel(i)->ReverbType = v;
      RebuildChannelSample(s, i);
    });
    WAVScope->update();
  };

  // Cut groups and stretch.
  PanelLabel(face, "CutLabel", "CUT", QRect(306, 160, 50, 12));
  CutSelect = MakeSpin(face, "CutSelect", 0, 99, QRect(311, 173, 40, 20));
  SetHint(CutSelect, "Cut which group?");
  PanelLabel(face, "CutByLabel", "CUT BY", QRect(352, 160, 64, 12));
  CutBySelect = MakeSpin(face, "CutBySelect", 0, 99, QRect(364, 173, 40, 20));
  SetHint(CutBySelect, "Cut by which group?");
  for (auto [spin, which] : {std::pair{CutSelect, 0}, std::pair{CutBySelect, 1}})
    spin->OnChange = [this, spin = spin, which = which](QWidget*) {
      const int v = spin->Value();
      Apply([v, which = which](TSong& s, int i) { SetChannelCutGroup(s, i, which, v); });
    };
  CutItselfBtn = MakeButton(face, "CutItselfBtn", "cut itself", QRect(314, 196, 90, 13), 9);
  CutItselfBtn->SetHint("Cut itself when retriggered");
  CutItselfBtn->OnClick = [this](QWidget*) {
    if (!Shown()) return;
    const int g = FirstFreeCutGroup(Song(), Tag);
    CutSelect->SetValue(g);
    CutBySelect->SetValue(g);
  };
  PanelLabel(face, "StretchLabel", "STRETCH", QRect(410, 160, 56, 12));
  StretchSelect = MakeSpin(face, "StretchSelect", 0, 512, QRect(418, 173, 40, 20));
  SetHint(StretchSelect, "Stretch to match the tempo");
  StretchSelect->OnChange = [this](QWidget*) {
    const int v = StretchSelect->Value();
    Apply([v](TSong& s, int i) { SetChannelStretch(s, i, v); });
  };
  StretchBtn = MakeButton(face, "StretchBtn", QString(QChar(0x25BC)), QRect(414, 196, 40, 13), 8);
  StretchBtn->SetHint("Stretch to match the tempo");
  StretchBtn->OnClick = [this](QWidget*) {
    if (StretchMenu) StretchMenu->popup(StretchBtn->mapToGlobal(QPoint(0, StretchBtn->height())));
  };

}

void TSettingsForm::ShowFileNameBox(int selected) {
  const QSignalBlocker quiet(FileNameBox);
  FileNameBox->clear();
  for (const std::string& file : Recent.Files()) {
    FileNameBox->addItem(file.empty() ? Word("@NoSample", "(none)") : Q(ExtractFileName(file)));
    if (!file.empty()) FileNameBox->setItemData(FileNameBox->count() - 1, Q(file), Qt::ToolTipRole);
  }
  FileNameBox->setCurrentIndex(selected);
}

void TSettingsForm::AddRecentSample(const std::string& file) { ShowFileNameBox(Recent.Add(file)); }

void TSettingsForm::ShowChannelSampleName(const TChannel& channel) {
  // The channel's own sample, however it came (a song, a drop, this
  // window), is the one the box shows; a channel without one shows
  // "(none)". A file that can't be found is named as the channel has it.
  if (channel.SampleFileName.empty()) {
    ShowFileNameBox(int(Recent.Files().size()) - 1);
    return;
  }
  const std::string resolved = ResolveSamplePath(channel.SampleFileName);
  AddRecentSample(resolved.empty() ? channel.SampleFileName : resolved);
}

void TSettingsForm::LoadSampleIntoChannel(const std::string& file) {
  if (!Shown()) return;
  Applying = true;
  const bool loaded = LoadChosenFileIntoChannel(Song(), Tag, file, true, true);
  Applying = false;
  if (const TChannel* c = Shown(); loaded && c && !c->SampleFileName.empty())
    AddRecentSample(ResolveSamplePath(c->SampleFileName));
  UpdateChannelSettingsForm();
}

void TSettingsForm::OpenSampleForChannel(int index) {
  TChannel* c = Song().Channel(index);
  if (!c) return;
  SetChannel(index);
  // The dialog opens on the channel's file, else where it was left (at
  // first the samples folder).
  const std::string resolved = ResolveSamplePath(c->SampleFileName);
  FOpenWAV->FileName = Q(resolved);
  FOpenWAV->InitialDir = !resolved.empty()             ? Q(ExtractFilePath(resolved))
                         : !FOpenWAV->LastFolder.isEmpty() ? FOpenWAV->LastFolder
                                                          : Q(SamplesFolder());
  // The channel's own file is not previewed as the dialog opens on it.
  LastDialogPreview = ExtractFileName(resolved);
  FOpenWAV->SetFavorites(Prefs.Favorites);
  const bool chosen = FOpenWAV->Execute();
  Prefs.Favorites = FOpenWAV->Favorites();
  if (!chosen) return;
  std::vector<std::string> files;
  for (const QString& f : FOpenWAV->Files) files.push_back(S(f));
  LoadFiles(index, files);
}

void TSettingsForm::LoadFiles(int index, const std::vector<std::string>& files) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Applying = true;
  LoadFilesIntoChannels(Song(), index, files);
  Applying = false;
  for (size_t k = 0; k < files.size(); ++k)
    if (const TChannel* loaded = Song().Channel(index + int(k)); loaded && !loaded->SampleFileName.empty())
      AddRecentSample(ResolveSamplePath(loaded->SampleFileName));
  QApplication::restoreOverrideCursor();
  UpdateChannelSettingsForm();
  WAVScope->update();
}

void TSettingsForm::PreviewOpenDialogFile(const QString& file) {
  if (!Prefs.PreviewWAV || file.isEmpty()) return;
  const std::string name = S(file);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) return;
  if (ExtractFileName(name) == LastDialogPreview) return;
  LastDialogPreview = ExtractFileName(name);
  PreviewDialogFile(name);
}

void TSettingsForm::StartSampleDrag() {
  const TChannel* c = Shown();
  if (!c) return;
  const std::string file = ResolveSamplePath(c->SampleFileName);
  if (!file.empty()) {
    tdropfilesource drag(WAVScope);
    // A copy: a file manager must never take the sample away from the song.
    drag.dragtype = dtcopy;
    drag.FileNames = {file};
    drag.Execute();
  }
  StopLoopedPreviews();
}

// --------------------------------------------------------------- menus

void TSettingsForm::BuildMenus() {
  FSampleMenu = new QMenu(this);
  FSampleMenu->setObjectName("SampleMenu");
  SaveSampleMenu = FSampleMenu->addAction("&Save modified sample as...");
  SaveSampleMenu->setObjectName("SaveSampleMenu");
  connect(SaveSampleMenu, &QAction::triggered, this, [this] { SaveModifiedSample(); });
  ReloadMenu = FSampleMenu->addAction("Re&load sample");
  ReloadMenu->setObjectName("ReloadMenu");
  connect(ReloadMenu, &QAction::triggered, this, [this] { ReloadSample(); });
  RecordMenu = FSampleMenu->addAction("&Record new sample...");
  RecordMenu->setObjectName("RecordMenu");
  connect(RecordMenu, &QAction::triggered, this, [this] {
    if (OnRecordSample) OnRecordSample(Tag);
  });
  FSampleMenu->addSeparator();
  Save404Menu = FSampleMenu->addAction("Save &MB404 state as...");
  Save404Menu->setObjectName("Save404Menu");
  connect(Save404Menu, &QAction::triggered, this, [this] { SaveMB404State(); });
  FToolsSepMenu = FSampleMenu->addSeparator();
  FToolsSepMenu->setObjectName("ToolsSepMenu");
  connect(FSampleMenu, &QMenu::aboutToShow, this, [this] {
    const TChannel* c = Shown();
    const bool data = c && !c->Sample.Empty();
    SaveSampleMenu->setEnabled(data);
    ReloadMenu->setEnabled(data);
    RecordMenu->setVisible(c && c->Kind == 0);
    Save404Menu->setVisible(c && c->Kind == 1);
    Save404Menu->setEnabled(c && c->Kind == 1);
  });
  MenuBtn->SetHint("Channel options");
  MenuBtn->OnClick = [this](QWidget*) {
    SelectChannel(Song(), Tag);
    FSampleMenu->popup(MenuBtn->mapToGlobal(QPoint(0, MenuBtn->height())));
  };

  StretchMenu = new QMenu(this);
  StretchMenu->setObjectName("StretchMenu");
  const char* items[StretchMenuItems][2] = {{"NoStretchMenu", "No stretching"},   {"Stretch4Menu", "4 dots"},
                                            {"Stretch8Menu", "8 dots"},          {"Stretch1PatMenu", "1 pattern"},
                                            {"Stretch2PatMenu", "2 patterns"},   {"Stretch4PatMenu", "4 patterns"},
                                            {"Stretch8PatMenu", "8 patterns"}};
  for (int i = 0; i < StretchMenuItems; ++i) {
    QAction* a = StretchMenu->addAction(items[i][1]);
    a->setObjectName(items[i][0]);
    connect(a, &QAction::triggered, this,
            [this, i] { StretchSelect->SetValue(StretchMenuSteps(i, Song().PatternLength())); });
  }
}

void TSettingsForm::SaveModifiedSample() {
  const TChannel* c = Shown();
  if (!c || c->Sample.Empty()) return;
  const std::string resolved = ResolveSamplePath(c->SampleFileName);
  const std::string offered = resolved.empty() ? SamplesFolder() + "untitled_2.wav" : ModifiedSampleName(resolved);
  QFileDialog dialog(this, Word("@SaveSample", "Save modified sample"), Q(ExtractFilePath(offered)),
                     "Wave files (*.wav);;All files (*)");
  dialog.setObjectName("SaveSampleDialog");
  ApplyDialogWords(dialog, MultiLang1, "@SaveSample");
  PrepareFileDialog(&dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.selectFile(Q(ExtractFileName(offered)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string target = S(dialog.selectedFiles().front());
  if (!SaveWAVFile(&c->Sample, target))
    HintMessageBox("Error|Could not write " + target, MbOK | MbIconError);
}

void TSettingsForm::ReloadSample() {
  Apply([](TSong& s, int i) { ReloadChannelSample(s, i); });
  UpdateChannelSettingsForm();
}

void TSettingsForm::SaveMB404State() {
  const TChannel* c = Shown();
  if (!c || c->Kind != 1 || !c->Synth) return;
  // The presets' folder is made before the dialog offers it.
  const std::string folder = MB404PresetFolder();
  QFileDialog dialog(this, Word("Save404Title", "Save MB404 state"), Q(folder),
                     "MB404 presets (*.404);;All files (*)");
  dialog.setObjectName("SaveMB404Dialog");
  ApplyDialogWords(dialog, MultiLang1, "Save404Title");
  PrepareFileDialog(&dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("404");
  dialog.selectFile(SaveMB404FileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string target = S(dialog.selectedFiles().front());
  if (TWriteResult written = WriteMB404Preset(*Shown()->Synth, target); !written) {
    HintMessageBox("Error|Could not write " + target + ": " + written.Reason(), MbOK | MbIconError);
    return;
  }
  if (OnPresetSaved) OnPresetSaved();
}

// ------------------------------------------------------------------ filling

void TSettingsForm::UpdateChannelSettingsForm() {
  TChannel* c = Shown();
  if (!c) return;
  const bool was = ChannelFormUpdating;
  ChannelFormUpdating = true;
  UpdateCaption();
  if (NameEdit->text() != Q(c->Name)) NameEdit->setText(Q(c->Name));
  WAVScope->SetSample(&c->Sample);
  WAVScope->update();
  ShowChannelSampleName(*c);
  VolWheel->SetValue(c->Volume);
  PanWheel->SetValue(c->Pan);
  ColorSample->SetColor(c->Color & 0xFFFFFF);
  FXRouteSelect->SetValue(c->EffectTrack);

  ChanSelect->setCurrentIndex(std::clamp(c->MidiChannel, 0, 15));
  const int note = c->MidiNote < 128 ? c->MidiNote : -1;
  NoteSelect->SetValue(note);
  ShowNoteLabel(note);
  ShowChannelNote();
  PatchSelect->SetValue(c->MidiProgram < 128 ? c->MidiProgram : -1);
  BankSelect->SetValue(c->MidiBank < 128 ? c->MidiBank : -1);
  CtrlValSelect->SetValue(ChannelControllerStart(*c, CtrlNumSelect->Value()));

  for (auto& [control, spec] : ValueControls) {
    if (auto* slider = qobject_cast<TTrackSlider*>(control))
      slider->SetPosition(c->*(spec->Field));
    else
      control->SetValue(c->*(spec->Field));
  }
  ShowSliderReadings();
  for (auto& [box, spec] : FlagBoxes) box->setChecked(c->*(spec->Field));
  RevTypeSelect->SetValue(c->ReverbType);
  CutSelect->SetValue(c->Sample.CutGroup);
  CutBySelect->SetValue(c->Sample.CutByGroup);
  StretchSelect->SetValue(c->Stretch);
  LoopBox->setEnabled(c->Sample.LoopStart >= 0);
  LoopBox->setChecked(c->Sample.Looped);
  PingPongBox->setEnabled(LoopBox->isEnabled());
  PingPongBox->setChecked(c->Sample.PingPong == 1);
  EchoSelect->SetValue(c->EchoCount);

  if (ChanList_Mix->currentRow() != c->MixTarget) ChanList_Mix->setCurrentRow(c->MixTarget);
  ShowRandomList(*c);

  // The four sample pages for a sample channel, the synthesizer's for a
  // synthesizer channel; the render key only for a synthesizer preset.
  const bool synth = c->Kind == 1;
  TTab95Sheet* active = SettingsPageControl->ActivePage();
  for (TTab95Sheet* s : {SampleSheet, PitchSheet, DelaySheet, MixSheet}) s->SetTabVisible(!synth);
  MB404Sheet->SetTabVisible(synth);
  if (active && !active->TabVisible()) SettingsPageControl->SetActivePage(synth ? MB404Sheet : SampleSheet);
  const bool preset = HasExtension(c->SampleFileName, ".SYN");
  if (!preset) {
    KeybTab->SetTabIndex(0);
    while (KeybTab->Tabs().Count() > 1) KeybTab->Tabs().Delete(1);
  } else if (KeybTab->Tabs().Count() < 2) {
    KeybTab->Tabs().Add(Word("@RenderNote", "Render note"));
  }
  UpdatePitchPage();
  ChannelFormUpdating = was;
  if (synth && c->Synth) FillSynthPage(*c);
}

void TSettingsForm::RefreshChannelSettings(int index) {
  if (isVisible() && index == Tag) UpdateChannelSettingsForm();
}

void TSettingsForm::RefreshChannelNameList() {
  const TSong& song = Song();
  QStringList names;
  for (int i = 0; i < song.ChannelCount(); ++i) {
    const std::string& name = song.Channels[size_t(i)]->Name;
    // Numbered from 1, as the rack numbers them.
    names << (name.empty() ? Word("@ChannelN", "Channel ") + QString::number(i + 1) : Q(name));
  }
  for (QListWidget* list : {ChanList_Mix, ChanList_Rand}) {
    const QSignalBlocker quiet(list);
    if (list->count() != names.size()) {
      list->clear();
      list->addItems(names);
    } else {
      for (int i = 0; i < names.size(); ++i)
        if (list->item(i)->text() != names[i]) list->item(i)->setText(names[i]);
    }
  }
  if (isVisible()) UpdateChannelSettingsForm();
}

// ------------------------------------------------------------ the name buttons

void TSettingsForm::SetButtonClick(int index, bool down) {
  if (!Song().Channel(index)) return;
  // Minimised by the desktop, the window comes back at a click of the
  // channel's button, which stays down.
  const bool minimized = isVisible() && isMinimized();
  if (minimized && index == Tag) down = true;
  const bool wasVisible = isVisible() && !minimized;
  if (wasVisible && Tag != index && OnNameButtonState) OnNameButtonState(Tag, false);
  Tag = index;
  ShownChannel = Song().Channel(index);
  SelectChannel(Song(), index);
  if (!down) {
    hide();
    return;
  }
  UpdateChannelSettingsForm();
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  if (!wasVisible) {
    // A run that never showed the window stores the place it was made at:
    // no place the user gave it.
    const bool stored = Prefs.ChanSetX && Prefs.ChanSetY && QPoint(*Prefs.ChanSetX, *Prefs.ChanSetY) != MadeAt;
    if (stored && !Placed) move(*Prefs.ChanSetX, *Prefs.ChanSetY);
    // Never placed: it opens beside the main window where the screen has
    // room, and never over its caption, menu bar or panel.
    const bool firstPlace = !Placed && !stored;
    Placed = true;
    const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    QPoint at = firstPlace && main ? main->pos() : pos();
    const TChannel* c = Shown();
    if (Prefs.AutoArrange && c && !c->Collapsed && main) at.setX(main->x() + 96);
    MoveIntoPlace(this, at, firstPlace ? TKeepClear::MainWindow : TKeepClear::Caption);
    ShowWindowNoAnimation(this, TShowCommand::ShowNoActivate);
  }
  if (OnNameButtonState) OnNameButtonState(index, true);
}

void TSettingsForm::StepChannel(int delta) {
  const int count = Song().ChannelCount();
  if (count == 0) return;
  SetButtonClick(((Tag + delta) % count + count) % count, true);
}

// ------------------------------------------------------------ the window

bool TSettingsForm::TypesText(const QWidget* target) {
  if (qobject_cast<const QLineEdit*>(target) || qobject_cast<const QAbstractSpinBox*>(target) ||
      qobject_cast<const QTextEdit*>(target) || qobject_cast<const QPlainTextEdit*>(target))
    return true;
  const auto* combo = qobject_cast<const QComboBox*>(target);
  return combo && combo->isEditable();
}

bool TSettingsForm::WindowKey(QWidget* target, int key) {
  if (!target || target->window() != this) return false;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (TChannel* c = Shown()) Preview(*c);
    return true;
  }
  if (key != Qt::Key_PageUp && key != Qt::Key_PageDown) return false;
  // A combo box or a slider keeps PgUp and PgDn for itself.
  if (qobject_cast<QComboBox*>(target) || qobject_cast<TTrackSlider*>(target)) return false;
  StepChannel(key == Qt::Key_PageUp ? -1 : 1);
  return true;
}

void TSettingsForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowChannelNote();
  // Opened, it holds the keys itself: nothing is typed into the name or a
  // number box before the user clicks there.
  setFocus(Qt::OtherFocusReason);
  // The window's keys come before its controls' (the note grid and the
  // lists would take PgUp and PgDn themselves).
  qApp->installEventFilter(this);
}

void TSettingsForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  qApp->removeEventFilter(this);
  if (OnNameButtonState) OnNameButtonState(Tag, false);
}

void TSettingsForm::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (!Placed) return;  // the stored place is taken when first shown
  Prefs.ChanSetX = x();
  Prefs.ChanSetY = y();
}

// ------------------------------------------------------------ the song

void TSettingsForm::SetChannel(int index) {
  if (!Song().Channel(index) || (index == Tag && Song().Channel(index) == ShownChannel)) return;
  const bool visible = isVisible();
  if (visible && OnNameButtonState) OnNameButtonState(Tag, false);
  Tag = index;
  ShownChannel = Song().Channel(index);
  if (!visible) return;
  UpdateChannelSettingsForm();
  if (OnNameButtonState) OnNameButtonState(Tag, true);
}

void TSettingsForm::ChannelListChanged() {
  const TSong& song = Song();
  int index = -1;
  for (int i = 0; i < song.ChannelCount() && index < 0; ++i)
    if (song.Channel(i) == ShownChannel) index = i;
  if (index < 0) {
    // Its channel is gone: the window hides and waits on the first one.
    hide();
    Tag = 0;
    ShownChannel = song.Channel(0);
  } else {
    Tag = index;
  }
  RefreshChannelNameList();
  // The rack made its buttons anew: the shown channel's is down.
  if (isVisible() && OnNameButtonState) OnNameButtonState(Tag, true);
}

void TSettingsForm::ChannelChanged(int index) {
  if (index != Tag || Applying || ChannelFormUpdating) return;
  if (isVisible()) UpdateChannelSettingsForm();
}

void TSettingsForm::SongReplaced(TSong&) {
  Tag = 0;
  ShownChannel = Song().Channel(0);
  WAVScope->SetSample(nullptr);
  RefreshChannelNameList();
  if (!isVisible()) return;
  UpdateChannelSettingsForm();
  // The rack makes its rows for the new song too: channel 0's button shows
  // down once they are there.
  QTimer::singleShot(0, this, [this] {
    if (isVisible() && OnNameButtonState) OnNameButtonState(Tag, true);
  });
}

}  // namespace vs
