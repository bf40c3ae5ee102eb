#include "ui/VorbelStepsMainForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "controls/ImageList.h"
#include "controls/WindowTools.h"
#include "core/ChannelFiles.h"
#include "editors/RecordForm.h"
#include "editors/SampleListForm.h"
#include "framework/DialogLook.h"
#include "framework/DropSource.h"
#include "framework/FolderDialog.h"
#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/TrackSlider.h"
#include "controls/WAVWheel.h"
#include "core/ChannelCommands.h"
#include "core/DrumKitMenu.h"
#include "core/MasterClock.h"
#include "core/PatternCommands.h"
#include "editors/BackgroundForm.h"
#include "core/SettingsCommands.h"
#include "framework/Tab95.h"
#include "core/Program.h"
#include "editors/Snow.h"
#include "editors/TutorialForm.h"
#include "framework/AMTipDlg.h"
#include "core/ProgramPaths.h"
#include "core/Style.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "engine/Mixer.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/RenderWAV.h"
#include "files/MIDIExport.h"
#include "framework/Hint95.h"
#include "framework/HintLayout.h"
#include "framework/MLang.h"
#include "framework/MeroTB97.h"
#include "framework/NewMenu.h"
#include "framework/PanelLook.h"
#include "framework/Skin.h"
#include "framework/ToolWindowLayout.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "ui/SkinPic.h"

namespace vs {

namespace {

// Filters of the save dialog, in the order of the save types 1..4.
const char* const SaveFilters[] = {
    "VorbelSteps song (*.zmp)",
    "WAV file (*.wav)",
    "Standard MIDI File (*.mid)",
    "Zipped loop package (*.zip)",
};
const char* const OpenFilter = "Songs (*.zmp *.zip);;All files (*)";

// The tool windows' client heights without a style: menu bar, remote
// panel, info bar.
constexpr int MenuBarHeight = 22;
constexpr int RemotePanelHeight = 46;
constexpr int InfoBarHeight = 20;
// The program's hint colour, $00BBGGRR.
constexpr TColor HintColour = 0xBBBBCC;

QColor FromTColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

}  // namespace

// ---------------------------------------------------------------- the host

std::optional<TSaveChoice> TQtSongCommandHost::ChooseSaveFile(const std::string& fileName, int type) {
  QStringList filters;
  for (const char* f : SaveFilters) filters << QString::fromLatin1(f);
  QFileDialog dialog(&Form, QStringLiteral("Save as"));
  dialog.setObjectName("SaveDialog");
  dialog.setNameFilters(filters);
  ApplyDialogWords(dialog, &Form.Words(), "SaveDialog");
  // The types keep their order in every language.
  filters = dialog.nameFilters();
  if (filters.size() != int(std::size(SaveFilters))) {
    filters.clear();
    for (const char* f : SaveFilters) filters << QString::fromLatin1(f);
    dialog.setNameFilters(filters);
  }
  PrepareFileDialog(&dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  const int index = std::clamp<int>(type, SaveTypeSong, SaveTypePackage) - 1;
  dialog.selectNameFilter(filters[index]);
  dialog.setDefaultSuffix(QString::fromLatin1(SaveTypeExtension(index + 1)));
  if (!fileName.empty()) {
    dialog.setDirectory(Q(ExtractFilePath(fileName)));
    dialog.selectFile(Q(ExtractFileName(fileName)));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  TSaveChoice choice;
  choice.FileName = S(dialog.selectedFiles().first());
  choice.Type = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (choice.Type < SaveTypeSong) choice.Type = type;
  return choice;
}

std::optional<std::string> TQtSongCommandHost::ChooseOpenFile() {
  // With a song file already opened the dialog starts where that file is.
  const std::string& opened = Form.Commands().OpenedFileName;
  const bool untitled = SameText(ExtractFileName(opened), UntitledSongName);
  const std::string folder = opened.empty() || untitled ? OpenFolder : ExtractFilePath(opened);
  QFileDialog dialog(&Form, QStringLiteral("Open"), Q(folder), QString::fromLatin1(OpenFilter));
  dialog.setObjectName("OpenDialog");
  ApplyDialogWords(dialog, &Form.Words(), "OpenDialog");
  PrepareFileDialog(&dialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return S(dialog.selectedFiles().first());
}

std::optional<std::string> TQtSongCommandHost::ChooseFolder(const std::string& title, const std::string& text,
                                                             const std::string& startFolder) {
  Form.ShowInfo(text);
  // The collect dialog: centred on the screen, the instruction above the
  // folders and the chosen path in its status line.
  TFolderDialog dialog(&Form);
  dialog.setObjectName("CollectFolderDialog");
  dialog.SetOptions(dialog.Options() | bfScreenCenter);
  dialog.Title = Q(title);
  dialog.Text = Q(text);
  dialog.SetDirectory(Q(startFolder));
  const bool chosen = dialog.Execute();
  // The instruction was for the dialog: it leaves the info bar with it.
  Form.ShowInfo("");
  if (!chosen) return std::nullopt;
  return S(dialog.Directory());
}

void TQtSongCommandHost::SetBusyCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TQtSongCommandHost::ShowInfo(const std::string& text) { Form.ShowInfo(text); }
void TQtSongCommandHost::ShowInfoNow(const std::string& text) { Form.ShowInfoNow(text); }
void TQtSongCommandHost::RecentFilesChanged() { Form.RebuildRecentFiles(); }

void TQtSongCommandHost::HideSongInfo() {
  if (TInfoForm* info = Windows().InfoForm) info->hide();
}

void TQtSongCommandHost::SongOpened() {
  TSong& song = CurrentSong();
  // The song's information, and the viewer when the song asks for it.
  if (TInfoForm* viewer = Windows().InfoForm; viewer && song.Info.ShowOnOpen) viewer->ShowSongInfo(song.Info);
  // The about box's web link takes the song's address.
  if (TAboutForm* about = Windows().AboutForm; about && song.Info.ShowOnOpen) about->WebLink().Url = song.Info.WebAddress;
  // The pattern length the song brought lays the rows out again (the
  // engine has the song already: ApplyOpenedSong).
  SetPatternLength(song, song.PatternLength());
  for (auto& c : song.Channels) c->Selected = false;
  if (song.ChannelCount() > 0) song.Channels[0]->Selected = true;
  song.NotifyValue(TSongValue::Selection);
  // The plug-in page shows the song's plug-ins.
  if (TMIDIForm* settings = Windows().MIDIForm) settings->ShowPluginSlots();
  Form.ShowSong();
  Form.ShowTransport();
}

void TQtSongCommandHost::SongWasReset() {
  if (TMIDIForm* settings = Windows().MIDIForm) settings->ShowPluginSlots();
  Form.ShowSong();
}
void TQtSongCommandHost::FitMainWindowHeight() { Form.FitMainWindowHeight(); }

SongHost TQtSongCommandHost::FileHost() {
  SongHost host = TSongCommandHost::FileHost();
  host.Frame = this;
  return host;
}

int32_t TQtSongCommandHost::RackHeight() { return Form.height() - Form.FrameHeight(); }

void TQtSongCommandHost::ApplyRackHeight(int32_t height) {
  Form.Rack().ArrangeChannels();
  // A window that shows the whole rack keeps doing so. Songs written before
  // the height was kept (the drum kits among them) hold 0: they leave it.
  if (height <= 0 || Form.height() == Form.FullHeight()) return;
  const int64_t wanted = int64_t(Form.FrameHeight()) + height;
  Form.SetFormHeight(int(std::clamp<int64_t>(wanted, 0, 1 << 20)));
}
// The sample items follow the channels' samples (ShowSampleItems).
void TQtSongCommandHost::SetSampleCommandsEnabled(bool) {}

bool TQtSongCommandHost::RenderWAV(const std::string& fileName) {
  // The render dialog renders on the render thread and shows its progress.
  TWAVRenderForm* render = Windows().WAVRenderForm;
  if (!render) return false;
  if (Form.IsPlaying()) Form.TogglePlayback(false);
  const bool written = render->Execute(fileName);
  Form.ShowTransport();
  Form.ShowInfo(written ? RenderedInfoText(LastRenderResult(), ExtractFileName(fileName)) : std::string());
  return written;
}

bool TQtSongCommandHost::WriteClickMarkedSample(const TWAVSample& sample, const std::string& fileName) {
  return SaveSampleWithMarkers(sample, fileName);
}

// ---------------------------------------------------------------- transport host

void TQtTransportHost::HidePlaySteps() {
  if (Form.ChannelRack) Form.ChannelRack->HidePlaySteps();
}

void TQtTransportHost::ShowStepPositions() {
  if (Form.ChannelRack) Form.ChannelRack->StepPositionChanged();
}

void TQtTransportHost::StartButtonChanged(bool) { Form.ShowTransport(); }
void TQtTransportHost::OutputItemsChanged() { Form.ShowTransport(); }
void TQtTransportHost::SyncLedChanged(int, bool) { Form.SyncLampUpdate(); }

TCommandResult TQtTransportHost::OpenAudio() {
  TCommandResult result = TTransportHost::OpenAudio();
  Form.ScopeButtonClick();
  return result;
}

void TQtTransportHost::CloseAudio() {
  TTransportHost::CloseAudio();
  Form.ScopeUpdate();
}

// ---------------------------------------------------------------- the window

TVorbelStepsMainForm::TVorbelStepsMainForm(TPreferences& prefs, QWidget* parent)
    : QMainWindow(parent), Preferences(prefs), Host(*this), TransportWindowHost(*this), FileHost(*this) {
  setObjectName("VorbelStepsMainForm");
  setWindowTitle("VorbelSteps");
  // The style draws the whole window: caption, frame and all.
  setWindowFlag(Qt::FramelessWindowHint, true);
  SongCommands = std::make_unique<TSongCommands>(Preferences, Host);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  setCentralWidget(central);

  BuildMenus();
  BuildFrame(central);
  BuildToolWindows(central);
  BuildRemotePanel();
  BuildDotVolWheel();
  // Files dropped on the rack (from the sample browser or a file manager).
  WAVDragTrg = new TDragFilesTrg(this);
  WAVDragTrg->setObjectName("WAVDragTrg");
  WAVDragTrg->SetTarget(ChannelRack);
  WAVDragTrg->OnDrop = [this](TDragFilesTrg&) { WAVDragTrgDrop(); };
  SetChannelFileHost(&FileHost);
  AcceptDroppedFiles();
  // Steps painted with Alt (velocity 0) show in the piano roll too.
  ChannelRack->Shared().OnStepValuesChanged = [](int, int) {
    if (TPianoForm* piano = Windows().PianoForm) piano->RepaintPianoForm();
  };
  // The piano roll under the selected row: K and FXNoteBtn show its keys,
  // Shift and FXDrawBtn its step graph, F its next lane.
  OnShowPiano = [this](bool graphView) { ShowPianoForm(graphView ? vs::PianoGraphView : vs::PianoKeyboardView); };
  OnHidePiano = [this] { ClosePianoForm(); };
  PianoShown = [] { return Windows().PianoForm && Windows().PianoForm->isVisible(); };
  PianoShowsGraph = [] { return Windows().PianoForm && Windows().PianoForm->ViewMode() == PianoGraphView; };
  OnNextGraphLane = [] {
    if (TPianoForm* piano = Windows().PianoForm; piano && piano->isVisible()) piano->SelectLane((piano->Lane() + 1) % 7);
  };
  MultiLang1 = new TMultiLang(this);
  // A language change re-texts the items whose text follows the state, and
  // the menu bar measures its titles again.
  MultiLang1->AfterLanguageChanged = [this](int) {
    MenuActions.Retext([this](const std::string& key) {
      return MultiLang1->HasWord(key) ? MultiLang1->GetWord(key) : std::string();
    });
    ShowTransport();
    MirrorMainMenu();
    ChannelRack->ShowRows();
    // Every other text on screen at once: the viewers' captions and texts,
    // the hint in the info bar.
    if (FTextViewer && FTextViewer->isVisible()) FillTextViewer();
    if (TInfoForm* viewer = Windows().InfoForm) viewer->ShowCaption();
    if (InfoShowsHintFlag) ShowHintInfo(Hint95->HoveredHint());
  };
  MultiLang1->Loaded();
  MirrorMainMenu();
  ShowPasteItems();
  ForwardKeys(this);
  SetTransportHost(&TransportWindowHost);
  connect(&Skin(), &TSkin::changed, this, &TVorbelStepsMainForm::ApplySkin);
  resize(std::max(ChannelRack->sizeHint().width() + 16, 420), 320);
  CurrentSong().AddListener(this);
  ShowSong();
  ShowTransport();
  // The other windows open clear of the caption and the menu bar, and of
  // the panel, the window, the sample browser beside it and the floating
  // tool windows where they can.
  SetKeptClearAreas([this] {
    if (!isVisible()) return std::vector<QRect>{};
    std::vector<QRect> areas{CaptionAndMenuArea(), CaptionAndPanelArea(), frameGeometry()};
    if (SampleBrowser && SampleBrowser->isVisible()) areas.push_back(SampleBrowser->frameGeometry());
    for (const TMeroToolWindow97* tool : {MainMenuToolWindow, MenuToolWindow, BottomToolWindow})
      if (const QWidget* frame = tool ? tool->FloatingFrame() : nullptr; frame && frame->isVisible())
        areas.push_back(frame->frameGeometry());
    return areas;
  });
  SetOwnPlace(this);
}

void TVorbelStepsMainForm::MirrorMainMenu() {
  NewMainMenu->SetMirrorMenu(MenuActions.RootMenu());
  if (!NewMainMenu->HasImList()) return;
  const int titles = static_cast<int>(NewMainMenu->Items().size());
  const std::vector<int> lefts = CurrentStyle().MenuSepFor(titles);
  for (size_t i = 0; i < lefts.size(); ++i) NewMainMenu->SetItemLeft(static_cast<int>(i) + 1, lefts[i]);
  // The last title reaches the bar's right edge.
  NewMainMenu->SetItemLeft(titles, NewMainMenu->width());
  // Titles longer in the language shown than the style's plates take room
  // from the others, then from the menu line beside the bar.
  auto* menuLine = qobject_cast<TSkinPic*>(NewMainMenu->parentWidget());
  const int line = !menuLine ? 0 : menuLine->Picture().isNull() ? menuLine->width() : menuLine->Picture().width();
  NewMainMenu->FitTitlesToCaptions(std::max(NewMainMenu->width(), line - 2 * NewMainMenu->x()));
}

void TVorbelStepsMainForm::ApplyMenuPicture() {
  const TImageList& pictures = Skin().MenuItemsIL;
  if (pictures.Count() < 2 || pictures.Height() <= 0) {
    NewMainMenu->SetImList(nullptr);
    NewMainMenu->OnPaint = nullptr;
    NewMainMenu->setFixedHeight(MenuBarHeight);
    MirrorMainMenu();
    MainMenuToolWindow->SetClientSize(MainMenuToolWindow->ClientWidth(), MenuBarHeight);
    return;
  }
  NewMainMenu->SetImList(&pictures);
  NewMainMenu->FontColor = StyleColour(Skin().Style.TitleFont.Color);
  NewMainMenu->OnPaint = [this](TNewMenuItem& item, QPainter& canvas) {
    // Dark on the lit plate, light on the others.
    canvas.setPen(item.Selected ? look::PanelDeep : NewMainMenu->FontColor);
    canvas.setFont(NewMainMenu->font());
    canvas.drawText(QRect(item.Left + 5, 0, item.Width - 5, NewMainMenu->height()),
                    Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, item.MenuItem->text());
  };
  MirrorMainMenu();
  // The menu's tool window takes the picture's height.
  MainMenuToolWindow->SetClientSize(MainMenuToolWindow->ClientWidth(), pictures.Height());
}

void TVorbelStepsMainForm::BuildToolWindows(QWidget* central) {
  auto* layout = static_cast<QVBoxLayout*>(central->layout());
  TopDock = new TMeroDock97(central, dpTop);
  TopDock->setObjectName("TopDock");
  TopDock->SetOnePerRow(true);
  BottomDock = new TMeroDock97(central, dpBottom);
  BottomDock->setObjectName("BottomDock");
  BottomDock->SetOnePerRow(true);
  layout->insertWidget(1, TopDock);
  layout->addWidget(BottomDock);
  TopDock->OnResize = [this](TMeroDock97& dock) {
    FitToolWindowWidths(dock);
    UpdateHeightLimits();
  };
  BottomDock->OnResize = [this](TMeroDock97& dock) {
    FitToolWindowWidths(dock);
    UpdateHeightLimits();
  };

  auto make = [this](const char* name, const char* caption, int height, TMeroDock97* dock, int row) {
    auto* w = new TMeroToolWindow97(this);
    w->setObjectName(name);
    w->setWindowTitle(QString::fromLatin1(caption));
    w->SetCloseButton(false);
    w->SetResizable(false);
    w->SetDefaultDock(TopDock);
    w->SetClientSize(420, height);
    w->SetDockRow(row);
    w->SetDockPos(0);
    w->SetDockedTo(dock);
    w->OnDockChanging = [this](TMeroCustomToolWindow97& t) { ToolWindowDockChanging(t); };
    w->OnDockChanged = [this](TMeroCustomToolWindow97& t) { ToolWindowDockChanged(t); };
    auto* box = new QVBoxLayout(w);
    box->setContentsMargins(0, 0, 0, 0);
    return std::pair(w, box);
  };

  // The menu bar on its line.
  auto [menuWindow, menuBox] = make("MainMenuToolWindow", "Menu", MenuBarHeight, TopDock, 0);
  MainMenuToolWindow = menuWindow;
  auto* mainMenuPic = new TSkinPic(menuWindow, "MainMenuPic");
  menuBox->addWidget(mainMenuPic);
  NewMainMenu = new TNewMenu(mainMenuPic);
  NewMainMenu->setObjectName("NewMainMenu");
  NewMainMenu->Color = QColor(0x2c, 0x30, 0x35);
  NewMainMenu->FontColor = look::Text;
  NewMainMenu->setFixedHeight(MenuBarHeight);
  NewMainMenu->SetMirrorMenu(MenuActions.RootMenu());
  NewMainMenu->OnHint = [this](const std::string& hint) { ShowInfo(hint); };
  menuWindow->AddDragSurface(mainMenuPic);

  // The remote panel.
  auto [remoteWindow, remoteBox] = make("MenuToolWindow", "Remote", RemotePanelHeight, TopDock, 1);
  MenuToolWindow = remoteWindow;
  MenuPic = new TSkinPic(remoteWindow, "MenuPic", TSkinPic::Surface, true);
  remoteBox->addWidget(MenuPic);
  remoteWindow->AddDragSurface(MenuPic);

  // The info bar.
  auto [infoWindow, infoBox] = make("BottomToolWindow", "Info", InfoBarHeight, BottomDock, 0);
  BottomToolWindow = infoWindow;
  auto* bottomPic = new TSkinPic(infoWindow, "BottomPic");
  infoBox->addWidget(bottomPic);
  InfoLabel = new QLabel(bottomPic);
  InfoLabel->setObjectName("InfoLabel");
  InfoLabel->setGeometry(8, 0, 400, InfoBarHeight);
  QPalette pal = InfoLabel->palette();
  pal.setColor(QPalette::WindowText, look::Text);
  InfoLabel->setPalette(pal);
  infoWindow->AddDragSurface(bottomPic);

  // Hints in the program's style; the control under the mouse and the
  // hovered menu item tell the info bar.
  Hint95 = new THint95(this);
  Hint95->OnPaintHint = &TVorbelStepsMainForm::Hint95PaintHint;
  Hint95->FontColor = Qt::black;
  Hint95->OnShowHint = [this](std::string& hint, bool&, THintInfo&) { Hint95ShowHint(hint); };
  Hint95->OnHint = [this](const std::string& hint) {
    if (!hint.empty()) ShowHintInfo(hint);
  };
}

void TVorbelStepsMainForm::ApplySkin() {
  const TSkin& skin = Skin();
  const TStyle& style = skin.Style;
  // The surfaces, and the tool windows take their pictures' sizes; the
  // window is as wide as the remote panel.
  const int width = skin.MenuPic.isNull() ? this->width() : skin.MenuPic.width();
  const std::pair<TMeroToolWindow97*, const QImage*> surfaces[] = {
      {MainMenuToolWindow, &skin.MenuLine}, {MenuToolWindow, &skin.MenuPic}, {BottomToolWindow, &skin.BottomLine}};
  const char* const pictures[] = {"MainMenuPic", "MenuPic", "BottomPic"};
  for (int i = 0; i < 3; ++i) {
    auto* pic = surfaces[i].first->findChild<TSkinPic*>(QLatin1String(pictures[i]));
    if (!pic) continue;
    pic->SetPicture(*surfaces[i].second);
    if (!pic->Picture().isNull()) surfaces[i].first->SetClientSize(width, pic->Picture().height());
    ApplyPlaces(pic, style);
  }
  // The caption and the side strips.
  CaptionPic->SetPicture(isActiveWindow() || skin.TitleBarOff.isNull() ? skin.TitleBar : skin.TitleBarOff);
  if (!skin.TitleBar.isNull()) CaptionPic->setFixedHeight(skin.TitleBar.height());
  for (TMyTransButton* b : {MinBtn, CloseBtn}) {
    // The list was refilled: the buttons take it again.
    b->SetImList(&Skin().MinCloseIL);
    b->SetILIndex(b == MinBtn ? 0 : 2);
    if (!skin.MinCloseIL.Empty()) b->resize(skin.MinCloseIL.Width(), skin.MinCloseIL.Height());
    b->SetStyle(skin.MinCloseIL.Empty() ? TBtnFrameStyle::FS_Vek3D : TBtnFrameStyle::FS_Bitmap);
  }
  ApplyPlaces(CaptionPic, style);
  CaptionLabel->setFont(StyleFont(style.TitleFont));
  QPalette captionPal = CaptionLabel->palette();
  captionPal.setColor(QPalette::WindowText, StyleColour(style.TitleFont.Color));
  CaptionLabel->setPalette(captionPal);
  for (auto [strip, picture] : {std::pair{LeftSide, &skin.LeftSide}, std::pair{RightSide, &skin.RightSide}}) {
    strip->SetPicture(*picture);
    strip->setFixedWidth(picture->isNull() ? 4 : picture->width());
  }
  // The menu bar: each title's slice of the style's picture, the title in
  // the chosen language written over it.
  NewMainMenu->setFont(StyleFont(style.TitleFont));
  ApplyMenuPicture();
  // The info bar.
  InfoLabel->setFont(StyleFont(style.HintFont));
  QPalette pal = InfoLabel->palette();
  pal.setColor(QPalette::WindowText, StyleColour(style.HintFont.Color));
  InfoLabel->setPalette(pal);
  if (!style.Hint.empty()) ShowInfo(style.Hint);
  // The panel's controls take their pictures.
  ApplyPanelPictures();
  DotVolWheel->SetWheelIL(&Skin().MiddleWheelIL);
  PatternScroller->SetColor(MainScrollerFace(style.MainScrollerCol));
  // The window's width and shape; the rows show the style's steps.
  setFixedWidth(width);
  const QRegion shape = WindowRegion(style, width);
  if (shape.isEmpty())
    clearMask();
  else
    setMask(shape);
  SetPatternLength(CurrentSong(), CurrentSong().PatternLength());
  // The window's height is set again.
  UpdateHeightLimits();
  FitMainWindowHeight();
  update();
}

void TVorbelStepsMainForm::Hint95PaintHint(QImage& picture) {
  // The hint colour, and a one-pixel bevel: the left and top edges in the
  // colour brightened by 160, then the bottom and right edges one pixel
  // inside.
  QPainter p(&picture);
  const int w = picture.width(), h = picture.height();
  p.fillRect(0, 0, w, h, FromTColor(HintColour));
  p.setPen(FromTColor(ShiftColor(HintColour, 160)));
  p.drawLine(0, h - 1, 0, 0);
  p.drawLine(0, 0, w - 1, 0);
  p.drawLine(1, h - 2, w - 2, h - 2);
  p.drawLine(w - 2, h - 2, w - 2, 1);
}

void TVorbelStepsMainForm::FitToolWindowWidths(TMeroDock97& dock) {
  // Docked, the tool windows are as wide as the window.
  for (TMeroToolWindow97* w : {MainMenuToolWindow, MenuToolWindow, BottomToolWindow})
    if (w && w->DockedTo() == &dock && w->ClientWidth() != dock.ClientLength() && dock.ClientLength() > 0)
      w->SetClientSize(dock.ClientLength(), w->ClientHeight());
}

void TVorbelStepsMainForm::ToolWindowDockChanging(TMeroCustomToolWindow97& window) {
  WasDocked = window.Docked();
  HeightBeforeDockChange = height();
}

void TVorbelStepsMainForm::ToolWindowDockChanged(TMeroCustomToolWindow97& window) {
  // A tool window that leaves a dock takes its client height from the
  // window; one that enters a dock gives it back.
  auto* tool = qobject_cast<TMeroToolWindow97*>(&window);
  if (!tool || tool->isHidden() || WasDocked == window.Docked()) return;
  const int h = tool->ClientHeight();
  SetFormHeight(HeightBeforeDockChange + (window.Docked() ? h : -h));
}

void TVorbelStepsMainForm::HintpanelMenuClick() {
  TMeroToolWindow97* w = BottomToolWindow;
  const bool show = w->isHidden();
  const int before = height();
  w->setVisible(show);
  if (w->Docked()) SetFormHeight(before + (show ? w->ClientHeight() : -w->ClientHeight()));
  if (QAction* item = MenuActions.Action("HintpanelMenu")) item->setChecked(show);
}

void TVorbelStepsMainForm::LoadToolWindows(TSettingsStore& store) {
  // The docks know their length before stored places are read.
  if (QLayout* l = centralWidget()->layout()) l->activate();
  LoadToolWindowLayout(this, store, "");
  if (QAction* item = MenuActions.Action("HintpanelMenu")) item->setChecked(!BottomToolWindow->isHidden());
  UpdateHeightLimits();
}

void TVorbelStepsMainForm::SaveToolWindows(TSettingsStore& store) { SaveToolWindowLayout(this, store, ""); }

TVorbelStepsMainForm::~TVorbelStepsMainForm() {
  SetKeptClearAreas({});
  CurrentSong().RemoveListener(this);
  if (&TransportHost() == &TransportWindowHost) SetTransportHost(nullptr);
  delete FBackgroundForm;
  if (&ChannelFileHost() == &FileHost) SetChannelFileHost(nullptr);
}

// ---------------------------------------------------------------- menus

void TVorbelStepsMainForm::BuildMenus() {
  // Ids are the components' names and the keys of the window's texts
  // (lang/).
  TActionTable& t = MenuActions;
  auto channels = [this](bool scrollToEnd) { ChannelCommandDone(scrollToEnd); };

  // File.
  t.AddMenu("FileMenu", "&File");
  t.AddItem("New1", "&New", "FileMenu", [this] { SongCommands->New(); });
  t.AddItem("Open1", "&Open...", "FileMenu", [this] { SongCommands->Open(); }).Shortcut("Ctrl+O");
  DrumKitsMenu = t.AddMenu("DrumKitsMenu", "&DrumKits", "FileMenu").Menu();
  t.AddItem("Tutorial1", "Launch tutorial", "FileMenu", [this] { TutorialMenuClick(); });
  t.AddSeparator("FileMenu");
  t.AddItem("Save1", "&Save", "FileMenu", [this] { SongCommands->Save(); }).Shortcut("Ctrl+S");
  t.AddItem("SaveAs1", "Save &as...", "FileMenu", [this] { SongCommands->SaveAs(); });
  t.AddSeparator("FileMenu");
  t.AddMenu("Export1", "&Export", "FileMenu");
  t.AddItem("Wavefile1", "&Wave file...", "Export1", [this] { SongCommands->RenderWAVCommand(); }).Shortcut("Ctrl+R");
  t.AddItem("MIDIfile1", "&MIDI file...", "Export1", [this] { SongCommands->SaveAsMIDICommand(); }).Shortcut("Ctrl+M");
  t.AddItem("Zippedlooppackage1", "&Zipped loop package...", "Export1", [this] { SongCommands->ZippedCommand(); });
  ClickSamplesMenuItem = t.AddItem("ClickSamplesMenuItem", "&Click marked samples...", "Export1", [this] {
                            SongCommands->CollectSamples(true);
                          }).Enabled(false).Action();
  CollectMenuItem = t.AddItem("CollectMenuItem", "&Collect samples...", "FileMenu", [this] {
                       SongCommands->CollectSamples(false);
                     }).Enabled(false).Action();
  t.AddSeparator("FileMenu");
  t.AddItem("ExitMenu", "E&xit", "FileMenu", [this] { close(); });
  LastFilesMenu = t.AddSeparator("FileMenu", "LastFilesMenu").Visible(false).Action();
  for (int i = 0; i < RecentFileCount; ++i)
    RecentActions[i] = t.AddItem("LastFile" + std::to_string(i + 1), "", "FileMenu", [this, i] {
                          SongCommands->OpenRecent(i);
                        }).Shortcut("Alt+" + std::to_string(i + 1)).Visible(false).Action();

  // Edit: the steps of the current pattern.
  t.AddMenu("Edit1", "&Edit");
  t.AddItem("CutMenu", "Cu&t", "Edit1", [] { CutSteps(CurrentSong()); }).Shortcut("Ctrl+X");
  t.AddItem("CopyMenu", "&Copy", "Edit1", [] { CopySteps(CurrentSong()); }).Shortcut("Ctrl+C");
  t.AddItem("PasteMenu", "&Paste", "Edit1", [] { PasteSteps(CurrentSong()); }).Shortcut("Ctrl+V").Enabled(false);
  t.AddItem("SelectAll1", "Select &all", "Edit1", [] { SelectAllChannels(CurrentSong()); }).Shortcut("F3");
  t.AddItem("Copywholepattern1", "Copy &whole pattern", "Edit1", [] {
     CopyWholePattern(CurrentSong());
   }).Shortcut("Ctrl+W");
  t.AddItem("FlattenPlaylist1", "Flatten playlist", "Edit1", nullptr).Visible(false);
  t.AddSeparator("Edit1");
  t.AddItem("ShiftLeft1", "&Shift left", "Edit1", [] { ShiftSteps(CurrentSong(), -1); }).Shortcut("Alt+Left");
  t.AddItem("ShiftRight1", "Shi&ft right", "Edit1", [] { ShiftSteps(CurrentSong(), 1); }).Shortcut("Alt+Right");
  t.AddSeparator("Edit1");
  t.AddItem("RandomMenu", "&Random", "Edit1", [] { RandomSteps(CurrentSong()); }).Shortcut("Alt+R");
  t.AddItem("HumanizeMenu", "&Humanize...", "Edit1", [this] { HumanizeMenuClick(); }).Shortcut("Alt+H");
  t.AddSeparator("Edit1");
  t.AddItem("ExporttoMIDIclipboard1", "E&xport to MIDI clipboard", "Edit1", [this] {
     std::vector<uint8_t> image;
     TMIDIExportOptions options;
     options.MIDIExportWholeSong = Mixer().SongMode == 1;
     options.BankSelectMethod = Preferences.BankSelectMethod;
     if (!BuildMIDIFile(CurrentSong(), image, options)) return;
     const QByteArray bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
     auto* data = new QMimeData;
     data->setData(QStringLiteral("audio/midi"), bytes);
     data->setData(QString::fromLatin1(MIDIClipboardFormatName), bytes);
     QGuiApplication::clipboard()->setMimeData(data);
   }).Shortcut("Ctrl+P");
  t.AddSeparator("Edit1");
  t.AddItem("InsertpatterninPlayList1", "&Insert pattern in playlist", "Edit1", [] {
     // At the playlist grid's row, which moves down one.
     TPlayListForm* playlist = Windows().PlayListForm;
     if (!playlist) return;
     int row = playlist->ListGridBit().Row();
     InsertPatternInPlaylist(CurrentSong(), row, playlist->isVisible());
     playlist->ListGridBit().SetRow(row);
   }).Shortcut("Ctrl+I");

  // Channels.
  t.AddMenu("Channels1", "&Channels");
  t.AddMenu("Addone1", "&Add one", "Channels1");
  t.AddItem("AddDrumChannel", "&Drum", "Addone1", [channels] {
     AddChannelOfKind(CurrentSong(), 0);
     channels(true);
   }).Shortcut("Ctrl+D");
  t.AddItem("Add404Channel", "&MB404", "Addone1", [channels] {
    AddChannelOfKind(CurrentSong(), 1);
    channels(true);
  });
  t.AddItem("Cloneselected1", "&Clone selected", "Channels1", [channels] {
    CloneSelectedChannels(CurrentSong());
    channels(false);
  });
  t.AddItem("Deleteselected1", "&Delete selected...", "Channels1", [this, channels] {
    if (QWidget* settings = Windows().SettingsForm) settings->hide();
    DeleteSelectedChannels(CurrentSong());
    channels(true);
  });
  t.AddSeparator("Channels1");
  t.AddItem("Zipselected1", "&Zip selected", "Channels1", [channels] {
     ZipSelectedChannels(CurrentSong());
     channels(false);
   }).Shortcut("Ctrl+Z");
  t.AddItem("Unzipall1", "&Unzip all", "Channels1", [channels] {
    UnzipAllChannels(CurrentSong());
    channels(false);
  });

  // View.
  t.AddMenu("View1", "&View");
  t.AddItem("VisualMenu", "&Dots window", "View1", [this] { VisualMenuClick(); }).Checkable();
  t.AddItem("HintpanelMenu", "&Hint panel", "View1", [this] { HintpanelMenuClick(); }).Checkable();
  t.AddItem("PlayListMenu", "&Loop playlist", "View1", [this] { PlayListMenuClick(); })
      .Checkable()
      .Shortcut("Ctrl+L");
  t.AddItem("SampleBrowserMenu", "&Sample browser", "View1", [this] { SampleBrowserMenuClick(); })
      .Checkable()
      .Shortcut("Ctrl+B");
  t.AddItem("MinimizeMenu", "&Position leds", "View1", [this] {
     ChannelRack->SetAllRowsShowLamps(MenuActions.Action("MinimizeMenu")->isChecked());
     FitMainWindowHeight();
   }).Checkable().Shortcut("Alt+Z");
  t.AddItem("PanWheelsMenu", "Panning &wheels", "View1", [this] {
     MenuActions.Action("PanWheelsMenu")->setChecked(ToggleVolPanMode(CurrentSong(), Preferences) >= 1);
   }).Checkable().Shortcut("Alt+P");
  t.AddItem("BackgroundMenu", "&Background wallpaper", "View1", [this] { BackgroundMenuClick(); })
      .Checkable()
      .Shortcut("F12");

  // The pages of the settings window; their keys toggle them from any
  // window of the program.
  t.AddMenu("Options1", "&Options");
  auto page = [](TTab95Sheet* TMIDIForm::*sheet) {
    return [sheet] {
      if (TMIDIForm* settings = Windows().MIDIForm) settings->ShowPage(settings->*sheet);
    };
  };
  const char* const pageKeys[] = {"Midi1", "WAVsettings1", "General1", "Plugins1", "Loopsettings1"};
  t.AddItem("Midi1", "&MIDI settings", "Options1", page(&TMIDIForm::MIDISheet)).Shortcut("F5");
  t.AddItem("WAVsettings1", "&WAV settings", "Options1", page(&TMIDIForm::WAVSheet)).Shortcut("F6");
  t.AddItem("General1", "&General settings", "Options1", page(&TMIDIForm::GeneralSheet)).Shortcut("F7");
  t.AddItem("Directories1", "&Directories", "Options1", page(&TMIDIForm::DirsSheet));
  t.AddItem("Plugins1", "&Plugins", "Options1", page(&TMIDIForm::PluginsSheet)).Shortcut("F8");
  t.AddSeparator("Options1");
  t.AddItem("Loopsettings1", "&Loop settings", "Options1", page(&TMIDIForm::LoopSheet)).Shortcut("F9");
  t.AddItem("LoopInfo1", "Loop &info...", "Options1", [] {
     if (TSetInfoForm* info = Windows().SetInfoForm) info->exec();
   }).Shortcut("F10");
  t.AddSeparator("Options1");
  auto outputs = [this](TCommandResult (*click)()) {
    return [this, click] {
      const TCommandResult result = click();
      ShowTransport();
      if (!result) ShowInfo(result.Message);
    };
  };
  t.AddItem("SyncOption", Transport().SyncCaption, "Options1", outputs(&SyncOptionClick))
      .Checkable()
      .Shortcut("Ctrl+Y");
  t.AddSeparator("Options1");
  t.AddItem("MidiOnly", "Enable MIDI", "Options1", outputs(&MidiOnlyClick)).Checkable();
  t.AddItem("WAVonly", "Enable WAV", "Options1", outputs(&WAVonlyClick)).Checkable();
  t.AddSeparator("Options1");
  const char* const lengthIds[] = {"N16notes1", "N16notes2", "N64notes1"};
  for (int i = 0; i < 3; ++i) {
    const int length = PatternLengthMenu[i].Tag;
    t.AddItem(lengthIds[i], PatternLengthMenu[i].Caption, "Options1", [length] {
       TSong& song = CurrentSong();
       if (song.PatternLength() != length) song.SetModified();
       SetPatternLength(song, length);
     }).Checkable();
  }

  // Tools: the tool entries follow a hidden separator (the tool list fills
  // them in).
  t.AddMenu("Tools1", "&Tools");
  t.AddItem("Configure1", "&Configure...", "Tools1", [] {
    if (TAddToolForm* tools = Windows().AddToolForm) tools->exec();
  });
  t.AddSeparator("Tools1", "ToolsSepMenu").Visible(false);

  // Help.
  t.AddMenu("Help1", "&Help");
  t.AddItem("Contents1", "&Contents", "Help1", [this] { ContentsMenuClick(); });
  t.AddItem("TipsMenu", "&Tips...", "Help1", [this] { TipsMenuClick(); });
  t.AddSeparator("Help1");
  t.AddItem("About1", "&About...", "Help1", [this] { AboutMenuClick(); });
  t.AddItem("Productsinfo1", "Products &info...", "Help1", [this] { ProductsInfoMenuClick(); });
  t.AddSeparator("Help1");
  t.AddItem("PanicMenu", "&Panic!", "Help1", [] { PanicMenuClick(); })
      .Shortcut("Ctrl+H")
      .Hint("|Stop any remaining sound...");

  // The tempo popup of the tempo display.
  t.AddPopup("TempoPopup");
  const char* const tempoIds[] = {"N120BPM1", "N125BPM1", "N130BPM1", "N135BPM1", "N140BPM1", "N160BPM1", "N150BPM1"};
  for (int i = 0; i < 7; ++i) {
    const int bpm = TempoPresetMenu[i].Tag;
    t.AddItem(tempoIds[i], TempoPresetMenu[i].Caption, "TempoPopup", [this, bpm] { SetTempoControl(bpm); });
  }

  // A channel row's line menu: the commands act on the row's channel (it
  // becomes the selected one) and every other selected channel.
  t.AddPopup("LineMenu");
  auto line = [this](std::function<void(TSong&, int)> command) {
    return [this, command] {
      TSong& song = CurrentSong();
      ApplyLineMenuRule(song, FLineMenuChannel);
      command(song, FLineMenuChannel);
    };
  };
  t.AddItem("Openwave1", "&Load sample...", "LineMenu", line([](TSong&, int channel) {
     if (TSettingsForm* settings = Windows().SettingsForm) settings->OpenSampleForChannel(channel);
   }));
  t.AddSeparator("LineMenu", "N18");
  t.AddItem("LineCutMenu", "Cu&t", "LineMenu", line([](TSong& s, int) { CutSteps(s); }));
  t.AddItem("LineCopyMenu", "&Copy", "LineMenu", line([](TSong& s, int) { CopySteps(s); }));
  t.AddItem("LinePasteMenu", "&Paste", "LineMenu", line([](TSong& s, int) { PasteSteps(s); })).Enabled(false);
  t.AddSeparator("LineMenu");
  t.AddItem("ShiftLeft2", "&Shift left", "LineMenu", line([](TSong& s, int) { ShiftSteps(s, -1); }));
  t.AddItem("ShiftRight2", "Shi&ft right", "LineMenu", line([](TSong& s, int) { ShiftSteps(s, 1); }));
  t.AddSeparator("LineMenu");
  t.AddItem("ChanRandomMenu", "&Random", "LineMenu", line([](TSong& s, int) { RandomSteps(s); }));
  t.AddItem("ChanHumanizeMenu", "&Humanize...", "LineMenu", line([this](TSong&, int) { HumanizeMenuClick(); }));
  t.AddSeparator("LineMenu");
  const std::pair<const char*, int> fills[] = {
      {"Filleach8notes1", 8}, {"Add4Dots1", 4}, {"Add4Dots2", 2}, {"Add4Dots3", 1}};
  const char* const fillTexts[] = {"Fill each &8 notes", "Fill each &4 notes", "Fill each &2 notes", "Fill each note"};
  for (int i = 0; i < 4; ++i) {
    const int every = fills[i].second;
    t.AddItem(fills[i].first, fillTexts[i], "LineMenu",
              [this, every] { FillEverySteps(CurrentSong(), FLineMenuChannel, every); });
  }
  t.AddSeparator("LineMenu");
  t.AddMenu("InsertChanMenu", "&Insert channel", "LineMenu");
  for (auto [id, text, kind] : {std::tuple{"Drum1", "&Drum", 0}, std::tuple{"MB4041", "&MB404", 1}}) {
    const int k = kind;
    t.AddItem(id, text, "InsertChanMenu", [this, k] {
      if (QWidget* settings = Windows().SettingsForm) settings->hide();
      InsertChannelOfKind(CurrentSong(), FLineMenuChannel, k);
      ChannelCommandDone(false);
    });
  }
  t.AddItem("DeleteChanMenu", "&Delete channel...", "LineMenu", line([this](TSong& s, int) {
              if (QWidget* settings = Windows().SettingsForm) settings->hide();
              DeleteSelectedChannels(s);
              ChannelCommandDone(true);
            }));
  connect(t.Menu("LineMenu"), &QMenu::aboutToShow, this, [this] {
    // "Load sample..." only for a sample channel.
    TSong& song = CurrentSong();
    ApplyLineMenuRule(song, FLineMenuChannel);
    const bool sample = LineMenuShowsLoadSample(song);
    MenuActions.Action("Openwave1")->setVisible(sample);
    MenuActions.Action("N18")->setVisible(sample);
  });

  // The scope's popup: its draw style, stereo and shade.
  t.AddPopup("ScopeMenu");
  const char* const scopeIds[] = {"ScopeLines1", "ScopeDots1", "ScopeColumns1", "ScopeCircle1", "ScopeFlower1"};
  const char* const scopeTexts[] = {"&Lines", "&Dots", "&Columns", "C&ircle", "&Flower"};
  for (int i = 0; i < 5; ++i)
    t.AddItem(scopeIds[i], scopeTexts[i], "ScopeMenu", [this, i] {
       Preferences.ScopeStyle = i;
       ScopeUpdate();
     }).Checkable();
  t.AddSeparator("ScopeMenu");
  t.AddItem("ScopeStereo1", "&Stereo", "ScopeMenu", [this] {
     Preferences.ScopeStereo = !Preferences.ScopeStereo;
     ScopeUpdate();
   }).Checkable();
  t.AddItem("ShadeMenu", "S&hade", "ScopeMenu", [this] {
     Preferences.ScopeShade = Preferences.ScopeShade == 0 ? 192 : 0;
     ScopeUpdate();
   }).Checkable();

  // The window's popups look as the menu bar's do.
  for (const char* popup : {"TempoPopup", "LineMenu", "ScopeMenu"}) WearMenuLook(t.Menu(popup));

  FileMenu = t.Menu("FileMenu");
  // The shortcuts answer in this window, with or without the bar.
  t.Attach(this);
  for (const char* key : pageKeys) t.Action(key)->setShortcutContext(Qt::ApplicationShortcut);
}

void TVorbelStepsMainForm::AcceptDroppedFiles() {
  // A song dropped anywhere on the window but the rack opens.
  FormDragTrg = new TDragFilesTrg(this);
  FormDragTrg->setObjectName("FormDragTrg");
  FormDragTrg->SetTarget(this);
  FormDragTrg->OnDrop = [](TDragFilesTrg& drop) {
    if (drop.FileCount() > 0) TryOpenSongFile(drop.Files().front());
  };
}

void TVorbelStepsMainForm::HumanizeMenuClick() {
  TProgramWindows& w = Windows();
  if (!w.HumanizeForm) w.HumanizeForm = new THumanizeForm(ProgramHumanizeOptions(), this);
  if (w.HumanizeForm->exec() != QDialog::Accepted) return;
  HumanizeSteps(CurrentSong(), ProgramHumanizeOptions());
  if (QWidget* piano = w.PianoForm) piano->update();
}

QMenu* TVorbelStepsMainForm::TempoMenu() const { return MenuActions.Menu("TempoPopup"); }
QMenu* TVorbelStepsMainForm::LineMenu() const { return MenuActions.Menu("LineMenu"); }
QMenu* TVorbelStepsMainForm::ScopeMenu() const { return MenuActions.Menu("ScopeMenu"); }

void TVorbelStepsMainForm::PopupLineMenu(int channel, QPoint globalPos) {
  FLineMenuChannel = channel;
  LineMenu()->exec(globalPos);
}

void TVorbelStepsMainForm::ChannelCommandDone(bool scrollToEnd) {
  // The rows follow the song by themselves; the window fits them.
  FitMainWindowHeight();
  if (scrollToEnd) ChannelRack->ScrollToEnd();
}

void TVorbelStepsMainForm::TipsMenuClick() {
  if (!TipsBox) {
    TipsBox = new TAMTipDialog(this);
    // Without a file there are no tips.
    TipsBox->OnExecute = [](TAMTipDialog& box) { box.Tips = ReadTipsFile(Q(LanguageTextFile("Tips", ".txt"))); };
  }
  TipsBox->TipDialogCaption = WordOr("@TipsCaption", "And now for some annoying tips...");
  TipsBox->Execute(this);
}

namespace {
// The texts of the text viewer: caption key, English caption, file.
struct TViewerText {
  const char* Key;
  const char* English;
  const char* File;
};
constexpr TViewerText ViewerTexts[] = {{"@Products", "Other products...", "InfoTxt"},
                                       {"@HelpContents", "VorbelSteps help", "HelpTxt"}};
const TViewerText* ViewerText(const std::string& key) {
  for (const TViewerText& t : ViewerTexts)
    if (key == t.Key) return &t;
  return nullptr;
}
}  // namespace

QString TVorbelStepsMainForm::TextViewerCaption() const {
  const TViewerText* text = ViewerText(TextViewerKey);
  return text ? WordOr(text->Key, text->English) : QString();
}

void TVorbelStepsMainForm::FillTextViewer() {
  const TViewerText* text = ViewerText(TextViewerKey);
  if (!FTextViewer || !text) return;
  SongInfo shown;
  shown.Title = TextViewerCaption().toStdString();
  shown.InfoRTF = ReadFileBytes(LanguageTextFile(text->File, ".rtf")).value_or("");
  FTextViewer->FillSongInfo(shown);
  FTextViewer->ShowCaption();
}

void TVorbelStepsMainForm::ShowTextViewer(const std::string& captionKey) {
  if (!FTextViewer) {
    FTextViewer = new TInfoForm(this);
    FTextViewer->Caption = [this] { return TextViewerCaption(); };
  }
  TextViewerKey = captionKey;
  FillTextViewer();
  FTextViewer->show();
  FTextViewer->raise();
  FTextViewer->activateWindow();
  FTextViewer->setFocus();
}

void TVorbelStepsMainForm::ProductsInfoMenuClick() { ShowTextViewer("@Products"); }

void TVorbelStepsMainForm::ContentsMenuClick() { ShowTextViewer("@HelpContents"); }

void TVorbelStepsMainForm::AboutMenuClick() {
  if (TAboutForm* about = Windows().AboutForm; about && !about->isVisible()) about->exec();
}

TTutorialForm* TVorbelStepsMainForm::TutorialForm() const { return FTutorialForm; }

void TVorbelStepsMainForm::TutorialMenuClick() {
  if (!FTutorialForm) {
    // The tutorial replaces the song: the question comes first.
    if (SongCommands->AskSaveChanges() == IdCancel) return;
    FTutorialForm = new TTutorialForm(*SongCommands, this);
    FTutorialForm->CaptionWord = WordOr("@Tutorial", "Tutorial ");
    FTutorialForm->OpenPage(0);
  }
  FTutorialForm->show();
  FTutorialForm->raise();
}

void TVorbelStepsMainForm::BuildDrumKitsMenu(const std::string& folder) {
  TDrumKitMenu kits = BuildDrumKitMenu(folder);
  DrumKitsMenu->clear();
  DrumKitFiles = std::move(kits.KitFiles);
  std::function<void(QMenu*, const std::vector<TDrumKitMenuEntry>&)> add =
      [&](QMenu* menu, const std::vector<TDrumKitMenuEntry>& entries) {
        for (const TDrumKitMenuEntry& e : entries) {
          if (e.IsMenu()) {
            add(menu->addMenu(Q(e.Caption)), e.Children);
            continue;
          }
          const int tag = e.Tag;
          menu->addAction(Q(e.Caption), this, [this, tag] {
            if (tag < 0 || tag >= static_cast<int>(DrumKitFiles.size())) return;
            const std::string file = DrumKitFiles[tag];
            SongCommands->OpenDrumKit(file, std::filesystem::path(file).stem().string());
          });
        }
      };
  add(DrumKitsMenu, kits.Entries);
  DrumKitsMenu->setEnabled(!DrumKitFiles.empty());
}

// ---------------------------------------------------------------- song views

void TVorbelStepsMainForm::ShowTransport() {
  const TTransportState& t = Transport();
  const bool playing = Mixer().Playing.load();
  if (StartButton) StartButton->SetDown(playing);
  if (LoopButton) LoopButton->SetDown(Mixer().SongMode == 1);
  if (QAction* sync = MenuActions.Action("SyncOption")) {
    sync->setChecked(t.SyncChecked);
    // The item's own text is the slave caption; the master caption is a
    // free text of the table.
    sync->setText(t.SyncCaption == MasterSyncCaption ? WordOr("@MasterSyncOption", MasterSyncCaption)
                                                     : WordOr("SyncOption", t.SyncCaption));
  }
  if (QAction* wav = MenuActions.Action("WAVonly")) wav->setChecked(AudioOutput().UseWAV.load());
  if (QAction* midi = MenuActions.Action("MidiOnly")) midi->setChecked(MixSettings().UseMIDI.load());
  SyncLampUpdate();
}

void TVorbelStepsMainForm::ShowPasteItems() {
  const bool pasteable = StepClipboard().Filled;
  for (const char* id : {"PasteMenu", "LinePasteMenu"})
    if (QAction* paste = MenuActions.Action(id)) paste->setEnabled(pasteable);
}

void TVorbelStepsMainForm::PianoFollowsSelection() {
  TPianoForm* piano = Windows().PianoForm;
  if (!piano || !piano->isVisible()) return;
  const int channel = SelectedChannelIndex(CurrentSong());
  if (channel != piano->Channel()) ShowPianoForm(piano->ViewMode());
}

void TVorbelStepsMainForm::SongValueChanged(TSongValue value) {
  const TSong& song = CurrentSong();
  switch (value) {
    case TSongValue::Tempo: ShowTempo(); break;
    case TSongValue::PatternLength: ShowPatternView(); break;
    case TSongValue::CurrentPattern:
      ShowPatternNumber();
      Rack().ShowPattern();
      break;
    case TSongValue::SongMode: ShowTransport(); break;
    case TSongValue::MasterVolume:
    case TSongValue::MasterSwing:
    case TSongValue::MasterPitch:
    case TSongValue::MasterResonance:
    case TSongValue::MasterCutoff: {
      // The fader of the value, in the order of the values.
      static_assert(int(TSongValue::MasterCutoff) - int(TSongValue::MasterVolume) == MainCutOffSlider);
      const auto slider = static_cast<TMasterSlider>(static_cast<int>(value) - static_cast<int>(TSongValue::MasterVolume));
      MasterSliders[slider]->SetPosition(MasterSliderPosition(song, slider));
      break;
    }
    case TSongValue::Selection: PianoFollowsSelection(); break;
    case TSongValue::StepClipboard: ShowPasteItems(); break;
    case TSongValue::FileName: SetCaptionText(SongCommands->SongTitle); break;
    case TSongValue::Info:
      // The title names the window (unless the song is untitled); a shown
      // viewer shows the song's information as it is now.
      if (SongCommands->TrackSongFileName) SongCommands->UpdateSongTitle();
      ShowSongInfoViewer();
      break;
    default: break;
  }
}

void TVorbelStepsMainForm::SongReplaced(TSong&) {
  ShowSongInfoViewer();
  ShowSampleItems();
}

void TVorbelStepsMainForm::ShowSongInfoViewer() {
  if (TInfoForm* viewer = Windows().InfoForm; viewer && viewer->isVisible()) viewer->FillSongInfo(CurrentSong().Info);
}

void TVorbelStepsMainForm::SetCaptionText(const std::string& text) {
  setWindowTitle(text.empty() ? QStringLiteral("VorbelSteps") : Q(text) + QStringLiteral(" - VorbelSteps"));
  if (CaptionLabel) CaptionLabel->setText(Q(text));
}

void TVorbelStepsMainForm::RebuildRecentFiles() {
  bool any = false;
  for (int i = 0; i < RecentFileCount; ++i) {
    const std::string& entry = Preferences.RecentFiles[i];
    QAction* item = RecentActions[i];
    item->setVisible(!entry.empty());
    if (entry.empty()) continue;
    any = true;
    item->setText(Q(DoubleAmpersands(ExtractFileName(entry))));
    item->setToolTip(Q(entry));
  }
  LastFilesMenu->setVisible(any);
}

void TVorbelStepsMainForm::ShowSong() {
  ChannelRack->RebuildRows();
  ShowMasterValues();
  ShowTempo();
  ShowPatternNumber();
  ShowPatternView();
  if (QAction* wheels = MenuActions.Action("PanWheelsMenu")) wheels->setChecked(Preferences.VolPan >= 1);
  if (QAction* lamps = MenuActions.Action("MinimizeMenu")) lamps->setChecked(ChannelRack->AllRowsShowLamps());
  ShowSampleItems();
  UpdateHeightLimits();
}

void TVorbelStepsMainForm::PlayListMenuClick() {
  TPlayListForm* playlist = Windows().PlayListForm;
  if (!playlist) return;
  const bool show = playlist->isHidden();
  if (show) {
    // "Auto Arrange": flush left of this window (of the sample browser
    // there); at first beside this window; else where it was left. Beside
    // it, it keeps clear of this window and the browser where the screen
    // has room.
    const QRect left = SampleBrowser && SampleBrowser->isVisible() ? SampleBrowser->frameGeometry() : frameGeometry();
    if (Preferences.AutoArrange)
      MoveIntoPlace(playlist, QPoint(left.left() - FramedSize(playlist).width(), y()), TKeepClear::MainWindow);
    else if (!playlist->Placed)
      MoveIntoPlace(playlist, QPoint(frameGeometry().right() + 1, y()), TKeepClear::MainWindow);
    else
      MoveIntoPlace(playlist, playlist->pos(), TKeepClear::Caption);
    playlist->Placed = true;
    playlist->show();
  } else {
    playlist->hide();
  }
  if (QAction* item = MenuActions.Action("PlayListMenu")) item->setChecked(show);
}

void TVorbelStepsMainForm::VisualMenuClick() {
  TVisualForm* lamps = Windows().VisualForm;
  if (!lamps) return;
  if (lamps->isHidden()) {
    // Where it was left; at first beside this window.
    if (lamps->Placed)
      MoveIntoPlace(lamps, lamps->pos(), TKeepClear::Caption);
    else
      MoveIntoPlace(lamps, QPoint(frameGeometry().right() + 1, y()), TKeepClear::MainWindow);
    lamps->Placed = true;
  }
  lamps->setVisible(lamps->isHidden());
  if (QAction* item = MenuActions.Action("VisualMenu")) item->setChecked(lamps->isVisible());
}

void TVorbelStepsMainForm::BackgroundMenuClick() {
  if (!FBackgroundForm) {
    // A window of its own, not one that the desktop keeps above this one,
    // over the screen's usable area (the desktop's panels stay in sight).
    FBackgroundForm = new TBackgroundForm(Preferences);
    SetOwnPlace(FBackgroundForm);
    if (const QScreen* s = screen()) FBackgroundForm->setGeometry(GetWorkArea(*s));
  }
  const bool show = FBackgroundForm->isHidden();
  if (show) {
    FBackgroundForm->show();
    FBackgroundForm->lower();
  } else {
    FBackgroundForm->hide();
  }
  Preferences.BackPicBox = show;
  if (QAction* item = MenuActions.Action("BackgroundMenu")) item->setChecked(show);
}

QRect TVorbelStepsMainForm::StepRowOnScreen(int channel) const {
  if (const TTechno16* steps = ChannelRack->StepRow(channel); steps && steps->isVisible())
    return QRect(steps->mapToGlobal(QPoint(0, 0)), steps->size());
  return QRect(mapToGlobal(QPoint(0, 0)), QSize(width(), 0));
}

void TVorbelStepsMainForm::ShowPianoForm(int viewMode) {
  TPianoForm* piano = Windows().PianoForm;
  if (!piano) return;
  const int channel = SelectedChannelIndex(CurrentSong());
  piano->SetViewMode(viewMode);
  piano->ShowForChannel(channel, StepRowOnScreen(channel));
}

void TVorbelStepsMainForm::PlacePianoForm() {
  if (TPianoForm* piano = Windows().PianoForm; piano && piano->isVisible())
    piano->PlaceUnderChannel(StepRowOnScreen(piano->Channel()));
}

void TVorbelStepsMainForm::ClosePianoForm() {
  if (TPianoForm* piano = Windows().PianoForm) piano->hide();
}

void TVorbelStepsMainForm::ShowSampleItems() {
  const bool any = TSongCommands::CountDistinctSamples(CurrentSong()) > 0;
  if (CollectMenuItem) CollectMenuItem->setEnabled(any);
  if (ClickSamplesMenuItem) ClickSamplesMenuItem->setEnabled(any);
}

void TVorbelStepsMainForm::FitMainWindowHeight() {
  UpdateHeightLimits();
  const int full = FullHeight();
  if (!Preferences.AlwaysFullHeight)
    SetFormHeight(std::min(height(), full));
  else if (height() != full)
    SetFormHeight(full);
}

// ---------------------------------------------------------------- info bar

void TVorbelStepsMainForm::ShowInfo(const std::string& text) {
  InfoShowsHintFlag = false;
  InfoLabel->setText(Q(LongHint(text)));
}

void TVorbelStepsMainForm::ShowHintInfo(const std::string& hint) {
  ShowInfo(hint);
  InfoShowsHintFlag = true;
}

void TVorbelStepsMainForm::LogoClick(int clicks) {
  // A little teasing for whoever keeps clicking the logo.
  static constexpr std::pair<const char*, const char*> Teasing[] = {
      {"@Logo1", "Yes, that's our logo."},
      {"@Logo2", "It doesn't do anything else, really."},
      {"@Logo3", "Still clicking? The steps are further down."},
      {"@Logo4", "One more and you'll regret it..."},
      {"@Logo5", "Told you. Now the caption is red."},
  };
  if (clicks < 3) return;
  const auto& [key, english] = Teasing[std::min<size_t>(size_t(clicks - 3), std::size(Teasing) - 1)];
  ShowInfo(WordOr(key, english).toStdString());
  if (clicks == 7) {
    QPalette red = CaptionLabel->palette();
    red.setColor(QPalette::WindowText, QColor(0xE0, 0x20, 0x20));
    CaptionLabel->setPalette(red);
  }
}

void TVorbelStepsMainForm::ShowInfoNow(const std::string& text) {
  ShowInfo(text);
  InfoLabel->repaint();
}

void TVorbelStepsMainForm::ShowPercentInfo(const std::string& caption, int value, int max) {
  ShowInfo(PercentInfo(caption, value, max));
}

TPanWords TVorbelStepsMainForm::PanWords() const {
  // The words of the chosen language.
  TPanWords words;
  words.Left = S(WordOr("@Left", words.Left));
  words.Right = S(WordOr("@Right", words.Right));
  words.Centered = S(WordOr("@Centered", words.Centered));
  return words;
}

void TVorbelStepsMainForm::ShowPanInfo(int value, int max) { ShowInfo(PanInfo(value, max, PanWords())); }

void TVorbelStepsMainForm::ShowSliderPercentInfo(int position, int max) { ShowInfo(SliderPercentInfo(position, max)); }

QString TVorbelStepsMainForm::WordOr(std::string_view key, std::string_view english) const {
  if (!MultiLang1 || !MultiLang1->HasWord(key)) return QString::fromUtf8(english.data(), english.size());
  return MultiLang1->Word(key);
}

std::string TVorbelStepsMainForm::HintShort(QWidget* control) const {
  const QString hint = control->property("hint").toString();
  return ShortHint(S(hint.isEmpty() ? control->toolTip() : hint));
}

// ---------------------------------------------------------------- transport

bool TVorbelStepsMainForm::IsPlaying() const { return Mixer().Playing.load(); }

void TVorbelStepsMainForm::TogglePlayback(bool fromButton) {
  StartButtonClick(!Mixer().Playing.load(), fromButton);
  if (!Mixer().Playing.load()) ChannelRack->HidePlaySteps();
  ShowTransport();
}

void TVorbelStepsMainForm::closeEvent(QCloseEvent* event) {
  if (!ClosingFlag) {
    if (SongCommands->AskSaveChanges() == IdCancel) {
      event->ignore();
      return;
    }
    ClosingFlag = true;
    if (OnCloseAccepted) OnCloseAccepted();
  }
  event->accept();
}

// ---------------------------------------------------------------- browser

void TVorbelStepsMainForm::SampleBrowserMenuClick() {
  TProgramWindows& w = Windows();
  if (!w.SampleListForm) {
    auto* browser = new TSampleListForm(Preferences, this);
    w.SampleListForm = browser;
    // It follows this window's moves and height.
    SetSampleBrowser(browser);
    browser->OnInfo = [this](const std::string& text, bool now) {
      ShowInfo(text);
      if (now) InfoLabel->repaint();
    };
    browser->OnPlayKey = [this] { TogglePlayback(); };
    browser->OnActivated = [this] {
      if (TInfoForm* info = Windows().InfoForm) info->hide();
      PlaceBehindSampleBrowser();
    };
    browser->OnCloseRequest = [this] { SampleBrowserMenuClick(); };
    browser->OnChooseFolder = [this] {
      // The first folder of the settings' list.
      TFolderDialog dialog(this);
      dialog.SetOptions(dialog.Options() | bfScreenCenter);
      dialog.Title = WordOr("@ChangeBrowserDir", "Change browser directory");
      dialog.Text = WordOr("@SelectBaseDir", "Select a directory where to browse for samples...");
      dialog.SetDirectory(QString::fromStdString(Preferences.SearchFolders[0]));
      if (!dialog.Execute()) return;
      const QString folder = dialog.Directory();
      Preferences.SearchFolders[0] = AddBackslash(folder.toStdString());
      Preferences.SearchFolderNames[0].clear();
      RebuildSampleSearchPaths(Preferences);
      RefreshSampleBrowser();
    };
    browser->RefreshTree();
  }
  TSampleListForm* browser = w.SampleListForm;
  if (browser->isVisible()) {
    browser->hide();
  } else {
    // The browser opens on the screen: the window makes room on its left.
    const QRect work = GetWorkArea(this);
    const int room = frameGeometry().left() - (Preferences.SampleListWidth - 1) - work.left();
    if (work.isValid() && room < 0) move(std::min(x() - room, std::max(work.left(), work.right() + 1 - width())), y());
    browser->ShowSliding();
  }
  if (QAction* item = MenuActions.Action("SampleBrowserMenu")) item->setChecked(browser->isVisible());
}

void TVorbelStepsMainForm::BrowserSampleSelected() {
  if (TSampleListForm* browser = Windows().SampleListForm) PreviewDialogFile(browser->SelectedSampleFile());
}

void TVorbelStepsMainForm::ShowRecordForm(int channel, const std::function<void(TRecordForm&)>& prepare) {
  vs::ShowRecordForm(Preferences, channel, this, [&](TRecordForm& form) {
    form.OnSaved = [] { RefreshSampleBrowser(); };
    form.OnLaunchTool = [](int tool) {
      if (TAddToolForm* tools = Windows().AddToolForm) tools->LaunchTool(tool);
    };
    if (prepare) prepare(form);
  });
}

void TVorbelStepsMainForm::WAVDragTrgDrop() {
  // The rows as the drop sees them: their name buttons in the rack.
  std::vector<TRackDropRow> rows;
  for (const TRackRowWidgets& row : ChannelRack->Rows()) {
    const QRect r(row.Name->mapTo(ChannelRack, QPoint(0, 0)), row.Name->size());
    rows.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height(), row.Collapsed});
  }
  const QPoint at = WAVDragTrg->DropPoint();
  // Dropped on a step row that shows: a left click there too, as the mouse
  // gives it (press and release at the drop point).
  if (!WAVDragTrg->Files().empty() && !IsSongFileName(WAVDragTrg->Files().front()))
    for (const TRackRowWidgets& row : ChannelRack->Rows()) {
      const QPoint p = row.Steps->mapFrom(ChannelRack, at);
      if (!row.Steps->isVisible() || !row.Steps->rect().contains(p)) continue;
      for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, QPointF(p), QPointF(row.Steps->mapToGlobal(p)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(row.Steps, &click);
      }
      break;
    }
  DropFilesOnRack(CurrentSong(), rows, at.x(), at.y(), WAVDragTrg->Files());
}

// ---------------------------------------------------------------- channel files

void TQtChannelFileHost::SetBusyCursor(bool busy) { Form.CommandHost().SetBusyCursor(busy); }
void TQtChannelFileHost::ShowInfo(const std::string& text) { Form.ShowInfo(text); }
void TQtChannelFileHost::ShowError(const std::string& message) { HintMessageBox(message, MbOK | MbIconError); }
bool TQtChannelFileHost::AdjustChannelName() { return Form.Prefs().AdjustChannelName; }
void TQtChannelFileHost::SetSampleCommandsEnabled(bool) {}
bool TQtChannelFileHost::AskSaveChanges() { return Form.Commands().AskSaveChanges() != IdCancel; }
void TQtChannelFileHost::OpenSong(const std::string& fileName) { Form.Commands().OpenSong(fileName); }

}  // namespace vs
