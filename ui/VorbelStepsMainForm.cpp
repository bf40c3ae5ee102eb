#include "ui/VorbelStepsMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/DrumKitMenu.h"
#include "framework/MLang.h"
#include "core/ProgramPaths.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "model/MixerLock.h"
#include "model/Song.h"
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

constexpr int ChannelRowHeight = 22;
constexpr int LampRowHeight = 16;

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
  SetTempo(song.BPM);
  LoopButtonClick(song.SongModeOn);
  for (auto& c : song.Channels) c->Selected = false;
  if (song.ChannelCount() > 0) song.Channels[0]->Selected = true;
  Form.ShowSong();
  Form.ShowTransport();
}

void TQtSongCommandHost::SongWasReset() { Form.ShowSong(); }
void TQtSongCommandHost::FitMainWindowHeight() { Form.FitMainWindowHeight(); }
void TQtSongCommandHost::SetSampleCommandsEnabled(bool enabled) { Form.SetSampleCommandsEnabled(enabled); }

bool TQtSongCommandHost::RenderWAV(const std::string& fileName) {
  const bool wasPlaying = Form.IsPlaying();
  if (wasPlaying) Form.TogglePlayback(false);
  SetBusyCursor(true);
  Form.ShowInfo("Rendering " + ExtractFileName(fileName) + "...");
  const TRenderResult result = RenderSongToFile(fileName);
  SetBusyCursor(false);
  if (!result.Ok) {
    HintMessageBox("Error|" + result.Error, MbOK | MbIconError);
    Form.ShowInfo("");
    return false;
  }
  Form.ShowInfo("Rendered " + ExtractFileName(fileName));
  return true;
}

bool TQtSongCommandHost::WriteClickMarkedSample(const TWAVSample& sample, const std::string& fileName) {
  return SaveSampleWithMarkers(sample, fileName);
}

// ---------------------------------------------------------------- the window

TVorbelStepsMainForm::TVorbelStepsMainForm(TPreferences& prefs, QWidget* parent)
    : QMainWindow(parent), Preferences(prefs), Host(*this) {
  setObjectName("VorbelStepsMainForm");
  setWindowTitle("VorbelSteps");
  SongCommands = std::make_unique<TSongCommands>(Preferences, Host);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  ChannelList = new QListWidget(central);
  ChannelList->setObjectName("ChannelList");
  ChannelList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  layout->addWidget(ChannelList);
  setCentralWidget(central);
  InfoLabel = new QLabel(this);
  InfoLabel->setObjectName("InfoLabel");
  statusBar()->addWidget(InfoLabel, 1);

  BuildMenus();
  resize(420, 320);
  MultiLang1 = new TMultiLang(this);
  // A language change re-texts the items whose text follows the state.
  MultiLang1->AfterLanguageChanged = [this](int) { ShowTransport(); };
  MultiLang1->Loaded();
}

TVorbelStepsMainForm::~TVorbelStepsMainForm() = default;

void TVorbelStepsMainForm::BuildMenus() {
  // Object names are the table keys of the window's texts (lang/).
  FileMenu = menuBar()->addMenu(tr("&File"));
  FileMenu->setObjectName("FileMenu");
  QAction* a = FileMenu->addAction(tr("&New"), this, [this] { SongCommands->New(); });
  a->setObjectName("New1");
  a->setShortcut(QKeySequence::New);
  DrumKitsMenu = FileMenu->addMenu(tr("&Drum kits"));
  DrumKitsMenu->setObjectName("DrumKitsMenu");
  a = FileMenu->addAction(tr("&Open..."), this, [this] { SongCommands->Open(); });
  a->setObjectName("Open1");
  a->setShortcut(QKeySequence::Open);
  a = FileMenu->addAction(tr("&Save"), this, [this] { SongCommands->Save(); });
  a->setObjectName("Save1");
  a->setShortcut(QKeySequence::Save);
  FileMenu->addAction(tr("Save &as..."), this, [this] { SongCommands->SaveAs(); })->setObjectName("SaveAs1");
  FileMenu->addAction(tr("&Render to WAV..."), this, [this] { SongCommands->RenderWAVCommand(); })
      ->setObjectName("Wavefile1");
  FileMenu->addAction(tr("Save as &MIDI file..."), this, [this] { SongCommands->SaveAsMIDICommand(); })
      ->setObjectName("MIDIfile1");
  FileMenu->addAction(tr("&Zipped loop package..."), this, [this] { SongCommands->ZippedCommand(); })
      ->setObjectName("Zippedlooppackage1");
  CollectMenuItem = FileMenu->addAction(tr("&Collect samples..."), this,
                                        [this] { SongCommands->CollectSamples(false); });
  CollectMenuItem->setObjectName("CollectMenuItem");
  CollectMenuItem->setEnabled(false);
  ClickSamplesMenuItem = FileMenu->addAction(tr("Save c&lick marked samples..."), this,
                                             [this] { SongCommands->CollectSamples(true); });
  ClickSamplesMenuItem->setObjectName("Clickmarkedsamples1");
  ClickSamplesMenuItem->setEnabled(false);
  LastFilesMenu = FileMenu->addSeparator();
  LastFilesMenu->setVisible(false);
  for (int i = 0; i < RecentFileCount; ++i) {
    QAction* item = new QAction(this);
    item->setShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + i)));
    item->setVisible(false);
    connect(item, &QAction::triggered, this, [this, i] { SongCommands->OpenRecent(i); });
    FileMenu->addAction(item);
    RecentActions[i] = item;
  }
  FileMenu->addSeparator();
  a = FileMenu->addAction(tr("&Quit"), this, [this] { close(); });
  a->setObjectName("ExitMenu");
  a->setShortcut(QKeySequence::Quit);

  QMenu* transport = menuBar()->addMenu(tr("&Transport"));
  transport->setObjectName("TransportMenu");
  PlayAction = transport->addAction(tr("&Play"), this, [this] { TogglePlayback(); });
  PlayAction->setObjectName("PlayMenu");
  PlayAction->setShortcut(Qt::Key_Space);
  LoopAction = transport->addAction(tr("&Song mode"), this, [this] {
    LoopButtonClick(LoopAction->isChecked());
  });
  LoopAction->setObjectName("SongModeMenu");
  LoopAction->setCheckable(true);
  SyncAction = transport->addAction(Q(Transport().SyncCaption), this, [this] {
    const TCommandResult result = SyncOptionClick();
    ShowTransport();
    if (!result) ShowInfo(result.Message);
  });
  SyncAction->setObjectName("SyncOption");
  SyncAction->setCheckable(true);
  SyncAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  WAVonlyAction = transport->addAction(tr("&WAV output"), this, [this] {
    const TCommandResult result = WAVonlyClick();
    ShowTransport();
    if (!result) ShowInfo(result.Message);
  });
  WAVonlyAction->setObjectName("WAVonly");
  WAVonlyAction->setCheckable(true);
  MidiOnlyAction = transport->addAction(tr("&MIDI output"), this, [this] {
    const TCommandResult result = MidiOnlyClick();
    ShowTransport();
    if (!result) ShowInfo(result.Message);
  });
  MidiOnlyAction->setObjectName("MidiOnly");
  MidiOnlyAction->setCheckable(true);
  a = transport->addAction(tr("&Panic!"), this, [] { PanicMenuClick(); });
  a->setObjectName("PanicMenu");
  a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  a->setStatusTip(tr("Stop any remaining sound..."));
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

void TVorbelStepsMainForm::ShowInfo(const std::string& text) { InfoLabel->setText(Q(text)); }

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
  ChannelList->clear();
  for (int i = 0; i < song.ChannelCount(); ++i) {
    const TChannel& c = *song.Channel(i);
    QString text = Q(c.Name.empty() ? "Channel " + std::to_string(i + 1) : c.Name);
    if (!c.SampleFileName.empty()) text += QStringLiteral("    ") + Q(ExtractFileName(c.SampleFileName));
    auto* item = new QListWidgetItem(text, ChannelList);
    item->setSizeHint(QSize(0, ChannelRowHeight));
    item->setSelected(c.Selected);
  }
  SetSampleCommandsEnabled(TSongCommands::CountDistinctSamples(song) > 0);
}

int TVorbelStepsMainForm::FullHeight() const {
  const int rows = std::max(CurrentSong().ChannelCount(), 1);
  return menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + rows * ChannelRowHeight + 16;
}

void TVorbelStepsMainForm::FitMainWindowHeight() {
  const int full = FullHeight();
  if (!Preferences.AlwaysFullHeight)
    resize(width(), std::min(height(), full));
  else if (height() != full)
    resize(width(), full);
  if (QWidget* lamps = Windows().VisualForm)
    lamps->resize(lamps->width(), CurrentSong().ChannelCount() * LampRowHeight + 1);
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

}  // namespace vs
