#include "ui/VorbelStepsMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "controls/ImageList.h"
#include "core/ChannelFiles.h"
#include "editors/RecordForm.h"
#include "editors/SampleListForm.h"
#include "framework/DropSource.h"
#include "core/DrumKitMenu.h"
#include "core/PatternCommands.h"
#include "editors/BackgroundForm.h"
#include "core/Style.h"
#include "framework/Hint95.h"
#include "framework/MLang.h"
#include "framework/Skin.h"
#include "framework/MeroTB97.h"
#include "framework/NewMenu.h"
#include "framework/PanelLook.h"
#include "framework/ToolWindowLayout.h"
#include "core/Program.h"
#include "core/ProgramPaths.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "model/MixerLock.h"
#include "core/PatternCommands.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "engine/Mixer.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/RenderWAV.h"
#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"

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

// The tool windows' client heights: menu bar, remote panel, info bar.
constexpr int MenuBarHeight = 22;
constexpr int RemotePanelHeight = 46;
constexpr int InfoBarHeight = 20;
// The program's hint colour, $00BBGGRR.
constexpr TColor HintColour = 0xBBBBCC;

QColor FromTColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The surface of a tool window: a dark panel with a bevelled edge. The
// remote panel also carries the program's name, engraved.
class TPanelPic : public QWidget {
public:
  TPanelPic(QWidget* parent, const char* name, bool logo) : QWidget(parent), Logo(logo) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  // The style's picture of the surface (null: the built-in panel).
  QImage Picture;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (!Picture.isNull()) {
      p.fillRect(rect(), look::Panel);
      p.drawImage(0, 0, Picture);
      return;
    }
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0x33, 0x37, 0x3d));
    g.setColorAt(1, QColor(0x22, 0x25, 0x29));
    p.fillRect(rect(), g);
    p.setPen(look::PanelLight);
    p.drawLine(0, 0, width() - 1, 0);
    p.setPen(look::PanelShadow);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    if (!Logo) return;
    // Two screws and the name plate.
    p.setRenderHint(QPainter::Antialiasing);
    for (int x : {10, width() - 11}) {
      const QPointF c(x + 0.5, height() / 2.0);
      QRadialGradient screw(c - QPointF(1.5, 1.5), 5);
      screw.setColorAt(0, QColor(0x9a, 0xa0, 0xa8));
      screw.setColorAt(1, QColor(0x3a, 0x3e, 0x44));
      p.setBrush(screw);
      p.setPen(QPen(look::PanelShadow, 1));
      p.drawEllipse(c, 4, 4);
      p.setPen(QPen(QColor(0x26, 0x29, 0x2e), 1.2));
      p.drawLine(c + QPointF(-2.5, 1.2), c + QPointF(2.5, -1.2));
    }
    QFont f = font();
    f.setPixelSize(18);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    p.setFont(f);
    const QRect plate = rect().adjusted(24, 0, -24, 0);
    p.setPen(QColor(0x12, 0x13, 0x16));
    p.drawText(plate.translated(0, 1), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("VORBELSTEPS"));
    p.setPen(look::Accent);
    p.drawText(plate, Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("VORBELSTEPS"));
    f.setPixelSize(9);
    f.setBold(false);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(f);
    p.setPen(look::TextDim);
    p.drawText(plate, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("PATTERN DRUM MACHINE"));
  }

private:
  bool Logo;
};

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

}  // namespace

// ---------------------------------------------------------------- the host

std::optional<TSaveChoice> TQtSongCommandHost::ChooseSaveFile(const std::string& fileName, int type) {
  QStringList filters;
  for (const char* f : SaveFilters) filters << QString::fromLatin1(f);
  QFileDialog dialog(&Form, QObject::tr("Save as"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
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
  const QString file = QFileDialog::getOpenFileName(&Form, QObject::tr("Open"), Q(folder), QString::fromLatin1(OpenFilter));
  if (file.isEmpty()) return std::nullopt;
  return S(file);
}

std::optional<std::string> TQtSongCommandHost::ChooseFolder(const std::string& title, const std::string& text,
                                                             const std::string& startFolder) {
  Form.ShowInfo(text);
  const QString folder = QFileDialog::getExistingDirectory(&Form, Q(title), Q(startFolder));
  if (folder.isEmpty()) return std::nullopt;
  return S(folder);
}

void TQtSongCommandHost::SetBusyCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TQtSongCommandHost::ShowInfo(const std::string& text) { Form.ShowInfo(text); }
void TQtSongCommandHost::SetCaptionText(const std::string& text) { Form.SetCaptionText(text); }
void TQtSongCommandHost::RecentFilesChanged() { Form.RebuildRecentFiles(); }

void TQtSongCommandHost::HideSongInfo() {
  if (TInfoForm* info = Windows().InfoForm) info->hide();
}

void TQtSongCommandHost::SongOpened() {
  TSong& song = CurrentSong();
  // The song's information, and the viewer when the song asks for it.
  if (TSetInfoForm* info = Windows().SetInfoForm) info->ShowSongInfo(song.Info);
  if (TInfoForm* viewer = Windows().InfoForm; viewer && song.Info.ShowOnOpen) viewer->ShowSongInfo(song.Info);
  SetTempo(song.BPM);
  LoopButtonClick(song.SongModeOn);
  for (auto& c : song.Channels) c->Selected = false;
  if (song.ChannelCount() > 0) song.Channels[0]->Selected = true;
  Form.ShowSong();
  Form.ShowTransport();
}

void TQtSongCommandHost::SongWasReset() {
  if (TSetInfoForm* info = Windows().SetInfoForm) info->ShowSongInfo(CurrentSong().Info);
  Form.ShowSong();
}
void TQtSongCommandHost::FitMainWindowHeight() { Form.FitMainWindowHeight(); }
void TQtSongCommandHost::SetSampleCommandsEnabled(bool enabled) { Form.SetSampleCommandsEnabled(enabled); }

bool TQtSongCommandHost::RenderWAV(const std::string& fileName) {
  // The render dialog renders on the render thread and shows its progress.
  TWAVRenderForm* render = Windows().WAVRenderForm;
  if (!render) return false;
  if (Form.IsPlaying()) Form.TogglePlayback(false);
  const bool written = render->Execute(fileName);
  Form.ShowTransport();
  Form.ShowInfo(written ? "Rendered " + ExtractFileName(fileName) : std::string());
  return written;
}

bool TQtSongCommandHost::WriteClickMarkedSample(const TWAVSample& sample, const std::string& fileName) {
  return SaveSampleWithMarkers(sample, fileName);
}

// ---------------------------------------------------------------- the window

TVorbelStepsMainForm::TVorbelStepsMainForm(TPreferences& prefs, QWidget* parent)
    : QMainWindow(parent), Preferences(prefs), Host(*this), FileHost(*this) {
  setObjectName("VorbelStepsMainForm");
  setWindowTitle("VorbelSteps");
  SongCommands = std::make_unique<TSongCommands>(Preferences, Host);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* rack = new QWidget(central);
  auto* rackLayout = new QVBoxLayout(rack);
  rackLayout->setContentsMargins(0, 0, 0, 0);
  ChannelRack = new TChannelRack(Preferences, rack);
  rackLayout->addWidget(ChannelRack);
  // Steps painted with Alt (velocity 0) show in the piano roll too.
  ChannelRack->Shared().OnStepValuesChanged = [](int, int) {
    if (TPianoForm* piano = Windows().PianoForm) piano->RepaintPianoForm();
  };
  setCentralWidget(central);
  // Files dropped on the rack (from the sample browser or a file manager).
  WAVDragTrg = new TDragFilesTrg(this);
  WAVDragTrg->setObjectName("WAVDragTrg");
  WAVDragTrg->SetTarget(ChannelRack);
  WAVDragTrg->OnDrop = [this](TDragFilesTrg&) { WAVDragTrgDrop(); };
  SetChannelFileHost(&FileHost);

  BuildMenus();
  BuildToolWindows(central);
  layout->insertWidget(1, rack, 1);
  resize(ChannelRack->sizeHint().width(), 320);
  MultiLang1 = new TMultiLang(this);
  // A language change re-texts the items whose text follows the state, and
  // the menu bar measures its titles again.
  MultiLang1->AfterLanguageChanged = [this](int) {
    ShowTransport();
    MenuActions.Retext([this](const std::string& key) {
      return MultiLang1->HasWord(key) ? MultiLang1->GetWord(key) : std::string();
    });
    MirrorMainMenu();
  };
  MultiLang1->Loaded();
  MirrorMainMenu();
  connect(&Skin(), &TSkin::changed, this, &TVorbelStepsMainForm::ApplySkin);
}

void TVorbelStepsMainForm::MirrorMainMenu() {
  NewMainMenu->SetMirrorMenu(MenuActions.RootMenu());
  if (!NewMainMenu->HasImList()) return;
  const int titles = static_cast<int>(NewMainMenu->Items().size());
  const std::vector<int> lefts = CurrentStyle().MenuSepFor(titles);
  for (size_t i = 0; i < lefts.size(); ++i) NewMainMenu->SetItemLeft(static_cast<int>(i) + 1, lefts[i]);
  // The last title reaches the bar's right edge.
  NewMainMenu->SetItemLeft(titles, NewMainMenu->width());
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
  layout->addWidget(TopDock);
  layout->addWidget(BottomDock);
  TopDock->OnResize = [this](TMeroDock97& dock) { FitToolWindowWidths(dock); };
  BottomDock->OnResize = [this](TMeroDock97& dock) { FitToolWindowWidths(dock); };

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

  // The menu bar on its panel.
  auto [menuWindow, menuBox] = make("MainMenuToolWindow", "Menu", MenuBarHeight, TopDock, 0);
  MainMenuToolWindow = menuWindow;
  auto* mainMenuPic = new TPanelPic(menuWindow, "MainMenuPic", false);
  menuBox->addWidget(mainMenuPic);
  NewMainMenu = new TNewMenu(mainMenuPic);
  NewMainMenu->setObjectName("NewMainMenu");
  NewMainMenu->Color = QColor(0x2c, 0x30, 0x35);
  NewMainMenu->FontColor = look::Text;
  NewMainMenu->setFixedHeight(MenuBarHeight);
  NewMainMenu->SetMirrorMenu(MenuActions.RootMenu());
  NewMainMenu->OnHint = [this](const std::string& hint) {
    if (!hint.empty()) ShowInfo(hint);
  };
  menuWindow->AddDragSurface(mainMenuPic);

  // The remote panel.
  auto [remoteWindow, remoteBox] = make("MenuToolWindow", "Remote", RemotePanelHeight, TopDock, 1);
  MenuToolWindow = remoteWindow;
  auto* menuPic = new TPanelPic(remoteWindow, "MenuPic", true);
  remoteBox->addWidget(menuPic);
  remoteWindow->AddDragSurface(menuPic);

  // The info bar.
  auto [infoWindow, infoBox] = make("BottomToolWindow", "Info", InfoBarHeight, BottomDock, 0);
  BottomToolWindow = infoWindow;
  auto* bottomPic = new TPanelPic(infoWindow, "BottomPic", false);
  infoBox->addWidget(bottomPic);
  auto* infoLayout = new QVBoxLayout(bottomPic);
  infoLayout->setContentsMargins(8, 0, 8, 0);
  InfoLabel = new QLabel(bottomPic);
  InfoLabel->setObjectName("InfoLabel");
  QPalette pal = InfoLabel->palette();
  pal.setColor(QPalette::WindowText, look::Text);
  InfoLabel->setPalette(pal);
  infoLayout->addWidget(InfoLabel);
  infoWindow->AddDragSurface(bottomPic);

  // Hints in the program's style; the control under the mouse and the
  // hovered menu item tell the info bar.
  Hint95 = new THint95(this);
  Hint95->OnPaintHint = &TVorbelStepsMainForm::Hint95PaintHint;
  Hint95->FontColor = Qt::black;
  Hint95->OnHint = [this](const std::string& hint) {
    if (!hint.empty()) ShowInfo(hint);
  };
}

void TVorbelStepsMainForm::ApplySkin() {
  const TSkin& skin = Skin();
  const TStyle& style = skin.Style;
  // The surfaces, and the tool windows take their pictures' sizes; the
  // remote panel's width is the window's.
  const int width = skin.MenuPic.isNull() ? this->width() : skin.MenuPic.width();
  const std::pair<TMeroToolWindow97*, const QImage*> surfaces[] = {
      {MainMenuToolWindow, &skin.MenuLine}, {MenuToolWindow, &skin.MenuPic}, {BottomToolWindow, &skin.BottomLine}};
  const char* const pictures[] = {"MainMenuPic", "MenuPic", "BottomPic"};
  for (int i = 0; i < 3; ++i) {
    auto* pic = static_cast<TPanelPic*>(findChild<QWidget*>(QLatin1String(pictures[i])));
    if (!pic) continue;
    pic->Picture = *surfaces[i].second;
    if (!pic->Picture.isNull()) surfaces[i].first->SetClientSize(width, pic->Picture.height());
    ApplyPlaces(pic, style);
    pic->update();
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
  // The window's width and shape; the rows show the style's steps.
  resize(width, height());
  const QRegion shape = WindowRegion(style, width);
  if (shape.isEmpty())
    clearMask();
  else
    setMask(shape);
  SetPatternLength(CurrentSong(), CurrentSong().PatternLength());
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
}

void TVorbelStepsMainForm::ToolWindowDockChanged(TMeroCustomToolWindow97& window) {
  // A tool window that leaves a dock takes its client height from the
  // window; one that enters a dock gives it back.
  auto* tool = qobject_cast<TMeroToolWindow97*>(&window);
  if (!tool || tool->isHidden() || WasDocked == window.Docked()) return;
  const int h = tool->ClientHeight();
  resize(width(), std::max(1, height() + (window.Docked() ? h : -h)));
}

void TVorbelStepsMainForm::HintpanelMenuClick() {
  TMeroToolWindow97* w = BottomToolWindow;
  const bool show = w->isHidden();
  w->setVisible(show);
  if (w->Docked()) resize(width(), std::max(1, height() + (show ? w->ClientHeight() : -w->ClientHeight())));
  if (QAction* item = MenuActions.Action("HintpanelMenu")) item->setChecked(show);
}

void TVorbelStepsMainForm::LoadToolWindows(TSettingsStore& store) {
  // The docks know their length before stored places are read.
  if (QLayout* l = centralWidget()->layout()) l->activate();
  LoadToolWindowLayout(this, store, "");
  if (QAction* item = MenuActions.Action("HintpanelMenu")) item->setChecked(!BottomToolWindow->isHidden());
}

void TVorbelStepsMainForm::SaveToolWindows(TSettingsStore& store) { SaveToolWindowLayout(this, store, ""); }

TVorbelStepsMainForm::~TVorbelStepsMainForm() {
  delete FBackgroundForm;
  if (&ChannelFileHost() == &FileHost) SetChannelFileHost(nullptr);
}

void TVorbelStepsMainForm::BuildMenus() {
  // Ids are the table keys of the window's texts (lang/).
  TActionTable& t = MenuActions;
  t.AddMenu("FileMenu", "&File");
  t.AddItem("New1", "&New", "FileMenu", [this] { SongCommands->New(); }).Shortcut("Ctrl+N");
  DrumKitsMenu = t.AddMenu("DrumKitsMenu", "&Drum kits", "FileMenu").Menu();
  t.AddItem("Open1", "&Open...", "FileMenu", [this] { SongCommands->Open(); }).Shortcut("Ctrl+O");
  t.AddItem("Save1", "&Save", "FileMenu", [this] { SongCommands->Save(); }).Shortcut("Ctrl+S");
  t.AddItem("SaveAs1", "Save &as...", "FileMenu", [this] { SongCommands->SaveAs(); });
  t.AddItem("Wavefile1", "&Render to WAV...", "FileMenu", [this] { SongCommands->RenderWAVCommand(); })
      .Shortcut("Ctrl+R");
  t.AddItem("MIDIfile1", "Save as &MIDI file...", "FileMenu", [this] { SongCommands->SaveAsMIDICommand(); });
  t.AddItem("Zippedlooppackage1", "&Zipped loop package...", "FileMenu", [this] { SongCommands->ZippedCommand(); });
  CollectMenuItem = t.AddItem("CollectMenuItem", "&Collect samples...", "FileMenu", [this] {
                       SongCommands->CollectSamples(false);
                     }).Enabled(false).Action();
  ClickSamplesMenuItem = t.AddItem("Clickmarkedsamples1", "Save c&lick marked samples...", "FileMenu", [this] {
                            SongCommands->CollectSamples(true);
                          }).Enabled(false).Action();
  LastFilesMenu = t.AddSeparator("FileMenu", "LastFilesMenu").Visible(false).Action();
  for (int i = 0; i < RecentFileCount; ++i)
    RecentActions[i] = t.AddItem("LastFile" + std::to_string(i + 1), "", "FileMenu", [this, i] {
                          SongCommands->OpenRecent(i);
                        }).Shortcut("Alt+" + std::to_string(i + 1)).Visible(false).Action();
  t.AddSeparator("FileMenu");
  t.AddItem("ExitMenu", "&Quit", "FileMenu", [this] { close(); }).Shortcut("Ctrl+Q");

  t.AddMenu("Edit1", "&Edit");
  t.AddItem("HumanizeMenu", "&Humanize...", "Edit1", [this] { HumanizeMenuClick(); }).Shortcut("Alt+H");

  t.AddMenu("View1", "&View");
  t.AddItem("VisualMenu", "&Dots window", "View1", [this] { VisualMenuClick(); }).Checkable();
  t.AddItem("HintpanelMenu", "&Hint panel", "View1", [this] { HintpanelMenuClick(); }).Checkable();
  t.AddItem("PlayListMenu", "&Loop playlist", "View1", [this] { PlayListMenuClick(); })
      .Checkable()
      .Shortcut("Ctrl+L");
  t.AddItem("SampleBrowserMenu", "&Sample browser", "View1", [this] { SampleBrowserMenuClick(); })
      .Checkable()
      .Shortcut("Ctrl+B");
  t.AddItem("BackgroundMenu", "&Background wallpaper", "View1", [this] { BackgroundMenuClick(); })
      .Checkable()
      .Shortcut("F12");

  t.AddMenu("Options1", "&Options");
  t.AddItem("LoopInfo1", "Loop &info...", "Options1", [] {
     if (TSetInfoForm* info = Windows().SetInfoForm) info->exec();
   }).Shortcut("F10");

  // The tools follow the separator (Tools dialog).
  t.AddMenu("Tools1", "&Tools");
  t.AddItem("Configure1", "&Configure...", "Tools1", [] {
    if (TAddToolForm* tools = Windows().AddToolForm) tools->exec();
  });
  t.AddSeparator("Tools1", "ToolsSepMenu").Visible(false);

  t.AddMenu("TransportMenu", "&Transport");
  PlayAction = t.AddItem("PlayMenu", "&Play", "TransportMenu", [this] { TogglePlayback(); }).Shortcut("Space").Action();
  LoopAction = t.AddItem("SongModeMenu", "&Song mode", "TransportMenu", [this] {
                  LoopButtonClick(LoopAction->isChecked());
                }).Checkable().Action();
  SyncAction = t.AddItem("SyncOption", Transport().SyncCaption, "TransportMenu", [this] {
                  const TCommandResult result = SyncOptionClick();
                  ShowTransport();
                  if (!result) ShowInfo(result.Message);
                }).Checkable().Shortcut("Ctrl+Y").Action();
  WAVonlyAction = t.AddItem("WAVonly", "&WAV output", "TransportMenu", [this] {
                     const TCommandResult result = WAVonlyClick();
                     ShowTransport();
                     if (!result) ShowInfo(result.Message);
                   }).Checkable().Action();
  MidiOnlyAction = t.AddItem("MidiOnly", "&MIDI output", "TransportMenu", [this] {
                      const TCommandResult result = MidiOnlyClick();
                      ShowTransport();
                      if (!result) ShowInfo(result.Message);
                    }).Checkable().Action();
  t.AddItem("PanicMenu", "&Panic!", "TransportMenu", [] { PanicMenuClick(); })
      .Shortcut("Ctrl+H")
      .Hint("|Stop any remaining sound...");
  FileMenu = t.Menu("FileMenu");
  // The shortcuts answer in this window, with or without the bar.
  t.Attach(this);
}

void TVorbelStepsMainForm::HumanizeMenuClick() {
  TProgramWindows& w = Windows();
  if (!w.HumanizeForm) w.HumanizeForm = new THumanizeForm(ProgramHumanizeOptions(), this);
  if (w.HumanizeForm->exec() != QDialog::Accepted) return;
  HumanizeSteps(CurrentSong(), ProgramHumanizeOptions());
  if (QWidget* piano = w.PianoForm) piano->update();
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

void TVorbelStepsMainForm::ShowTransport() {
  if (!PlayAction) return;
  const TTransportState& t = Transport();
  PlayAction->setText(WordOr(Mixer().Playing.load() ? "@Stop" : "PlayMenu", Mixer().Playing.load() ? "&Stop" : "&Play"));
  LoopAction->setChecked(Mixer().SongMode == 1);
  SyncAction->setChecked(t.SyncChecked);
  // The item's own text is the slave caption; the master caption is a free
  // text of the table.
  SyncAction->setText(t.SyncCaption == MasterSyncCaption ? WordOr("@MasterSyncOption", MasterSyncCaption)
                                                         : WordOr("SyncOption", t.SyncCaption));
  WAVonlyAction->setChecked(AudioOutput().UseWAV.load());
  MidiOnlyAction->setChecked(MixSettings().UseMIDI.load());
}

void TVorbelStepsMainForm::SetCaptionText(const std::string& text) {
  setWindowTitle(text.empty() ? QStringLiteral("VorbelSteps") : Q(text) + QStringLiteral(" - VorbelSteps"));
}

void TVorbelStepsMainForm::ShowInfo(const std::string& text) { InfoLabel->setText(Q(LongHint(text))); }

void TVorbelStepsMainForm::RebuildRecentFiles() {
  bool any = false;
  for (int i = 0; i < RecentFileCount; ++i) {
    const std::string& entry = Preferences.RecentFiles[i];
    QAction* item = RecentActions[i];
    item->setVisible(!entry.empty());
    if (entry.empty()) continue;
    any = true;
    QString caption = Q(ExtractFileName(entry));
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    item->setText(caption);
    item->setToolTip(Q(entry));
  }
  LastFilesMenu->setVisible(any);
}

void TVorbelStepsMainForm::ShowSong() {
  const TSong& song = CurrentSong();
  ChannelRack->RebuildRows();
  // The rows are as wide as the style makes them.
  if (width() < ChannelRack->sizeHint().width()) resize(ChannelRack->sizeHint().width(), height());
  SetSampleCommandsEnabled(TSongCommands::CountDistinctSamples(song) > 0);
}

int TVorbelStepsMainForm::FullHeight() const {
  return TopDock->height() + BottomDock->height() + ChannelRack->FullSize().height();
}

void TVorbelStepsMainForm::FitMainWindowHeight() {
  const int full = FullHeight();
  if (!Preferences.AlwaysFullHeight)
    resize(width(), std::min(height(), full));
  else if (height() != full)
    resize(width(), full);
  if (TVisualForm* lamps = Windows().VisualForm) lamps->FitToChannels();
}

void TVorbelStepsMainForm::PlayListMenuClick() {
  TPlayListForm* playlist = Windows().PlayListForm;
  if (!playlist) return;
  const bool show = playlist->isHidden();
  if (show) {
    if (Preferences.AutoArrange) playlist->move(frameGeometry().left() - playlist->frameGeometry().width(), y());
    playlist->show();
  } else {
    playlist->hide();
  }
  if (QAction* item = MenuActions.Action("PlayListMenu")) item->setChecked(show);
}

void TVorbelStepsMainForm::VisualMenuClick() {
  TVisualForm* lamps = Windows().VisualForm;
  if (!lamps) return;
  lamps->setVisible(lamps->isHidden());
  if (QAction* item = MenuActions.Action("VisualMenu")) item->setChecked(lamps->isVisible());
}

void TVorbelStepsMainForm::BackgroundMenuClick() {
  if (!FBackgroundForm) {
    // A window of its own, not one that the desktop keeps above this one.
    FBackgroundForm = new TBackgroundForm(Preferences);
    if (const QScreen* s = screen()) FBackgroundForm->setGeometry(s->geometry());
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

void TVorbelStepsMainForm::ShowPianoForm(int viewMode) {
  TPianoForm* piano = Windows().PianoForm;
  if (!piano) return;
  const int channel = SelectedChannelIndex(CurrentSong());
  piano->SetViewMode(viewMode);
  QRect row;
  if (const TTechno16* steps = ChannelRack->StepRow(channel); steps && steps->isVisible())
    row = QRect(steps->mapToGlobal(QPoint(0, 0)), steps->size());
  else
    row = QRect(mapToGlobal(QPoint(0, 0)), QSize(width(), 0));
  piano->ShowForChannel(channel, row);
}

void TVorbelStepsMainForm::ClosePianoForm() {
  if (TPianoForm* piano = Windows().PianoForm) piano->hide();
}

void TVorbelStepsMainForm::keyPressEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return QMainWindow::keyPressEvent(event);
  TPianoForm* piano = Windows().PianoForm;
  switch (event->key()) {
    case Qt::Key_K: ShowPianoForm(PianoKeyboardView); return;
    case Qt::Key_Shift: ShowPianoForm(PianoGraphView); return;
    case Qt::Key_F:
      if (piano && piano->isVisible()) piano->SelectLane((piano->Lane() + 1) % 7);
      return;
    default: QMainWindow::keyPressEvent(event);
  }
}

void TVorbelStepsMainForm::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return QMainWindow::keyReleaseEvent(event);
  TPianoForm* piano = Windows().PianoForm;
  if (piano && piano->isVisible() &&
      (event->key() == Qt::Key_K || (event->key() == Qt::Key_Shift && piano->ViewMode() == PianoGraphView))) {
    ClosePianoForm();
    return;
  }
  QMainWindow::keyReleaseEvent(event);
}

void TVorbelStepsMainForm::SetSampleCommandsEnabled(bool enabled) {
  if (CollectMenuItem) CollectMenuItem->setEnabled(enabled);
  if (ClickSamplesMenuItem) ClickSamplesMenuItem->setEnabled(enabled);
}

void TVorbelStepsMainForm::RestorePosition() {
  int32_t left = Preferences.WindowX.value_or(x());
  int32_t top = Preferences.WindowY.value_or(y());
  std::vector<TScreenRect> screens;
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect r = s->availableGeometry();
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  KeepOnScreen(left, top, width(), height(), screens);
  move(left, top);
}

void TVorbelStepsMainForm::StorePosition() {
  Preferences.WindowX = x();
  Preferences.WindowY = y();
}

QString TVorbelStepsMainForm::WordOr(std::string_view key, std::string_view english) const {
  if (!MultiLang1 || !MultiLang1->HasWord(key)) return QString::fromUtf8(english.data(), english.size());
  return MultiLang1->Word(key);
}

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
    browser->OnInfo = [this](const std::string& text, bool now) {
      ShowInfo(text);
      if (now) InfoLabel->repaint();
    };
    browser->OnPlayKey = [this] { TogglePlayback(); };
    browser->OnActivated = [] {
      if (TInfoForm* info = Windows().InfoForm) info->hide();
    };
    browser->OnCloseRequest = [this] { SampleBrowserMenuClick(); };
    browser->OnChooseFolder = [this] {
      // The first folder of the settings' list.
      const QString folder = QFileDialog::getExistingDirectory(
          this, WordOr("@ChangeBrowserDir", "Change browser directory"),
          QString::fromStdString(Preferences.SearchFolders[0]));
      if (folder.isEmpty()) return;
      Preferences.SearchFolders[0] = AddBackslash(folder.toStdString());
      RebuildSampleSearchPaths(Preferences);
      if (TSampleListForm* b = Windows().SampleListForm) b->RefreshTree();
    };
    browser->RefreshTree();
  }
  TSampleListForm* browser = w.SampleListForm;
  if (browser->isVisible())
    browser->hide();
  else
    browser->ShowSliding();
  if (QAction* item = MenuActions.Action("SampleBrowserMenu")) item->setChecked(browser->isVisible());
}

void TVorbelStepsMainForm::BrowserSampleSelected() {
  if (TSampleListForm* browser = Windows().SampleListForm) PreviewDialogFile(browser->SelectedSampleFile());
}

void TVorbelStepsMainForm::ShowRecordForm(int channel, const std::function<void(TRecordForm&)>& prepare) {
  vs::ShowRecordForm(Preferences, channel, this, [&](TRecordForm& form) {
    form.OnSaved = [] {
      if (TSampleListForm* browser = Windows().SampleListForm) browser->RefreshTree();
    };
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
  DropFilesOnRack(CurrentSong(), rows, at.x(), at.y(), WAVDragTrg->Files());
}

// ---------------------------------------------------------------- channel files

void TQtChannelFileHost::SetBusyCursor(bool busy) { Form.CommandHost().SetBusyCursor(busy); }
void TQtChannelFileHost::ShowInfo(const std::string& text) { Form.ShowInfo(text); }
void TQtChannelFileHost::ShowError(const std::string& message) { HintMessageBox(message, MbOK | MbIconError); }
bool TQtChannelFileHost::AdjustChannelName() { return Form.Prefs().AdjustChannelName; }
void TQtChannelFileHost::SetSampleCommandsEnabled(bool enabled) { Form.SetSampleCommandsEnabled(enabled); }
bool TQtChannelFileHost::AskSaveChanges() { return Form.Commands().AskSaveChanges() != IdCancel; }
void TQtChannelFileHost::OpenSong(const std::string& fileName) { Form.Commands().OpenSong(fileName); }

}  // namespace vs
