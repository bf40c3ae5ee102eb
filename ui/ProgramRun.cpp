#include "ui/ProgramRun.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

#include "controls/WindowTools.h"
#include "core/ProgramPaths.h"
#include "core/Settings.h"
#include "editors/TitleForm.h"
#include "core/Style.h"
#include "framework/Skin.h"
#include "core/SongCommands.h"
#include "core/Transport.h"
#include "core/WaveEditorLink.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "toolbox/ThreadTimer.h"
#include "ui/ChannelRack.h"
#include "editors/SampleListForm.h"
#include "engine/EngineListener.h"
#include "ui/ProgramWindows.h"
#include "ui/QtEngineListener.h"
#include "ui/QtMessageBox.h"
#include "ui/SettingsHooks.h"
#include "engine/Mixer.h"
#include "engine/MixThread.h"
#include "files/ZipMstr.h"
#include "platform/SettingsStore.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"

namespace vs {

namespace {

std::string OutputClosedText(const std::string& message) {
  return FormatText(WindowText(MainWindowTable, "@OutputClosed", "Sound output closed: %s"), {message});
}

int SignalPipe[2] = {-1, -1};
// A signal the message loop has not taken yet.
std::atomic<bool> SignalUnread{false};

void OnCloseSignal(int sig) {
  // The loop never took the last one: it can't, so the signal ends the
  // process as it would without a handler.
  if (SignalUnread.exchange(true)) {
    signal(sig, SIG_DFL);
    raise(sig);
    return;
  }
  const char byte = 1;
  if (SignalPipe[1] >= 0) (void)!write(SignalPipe[1], &byte, 1);
}

// A signal asks the program to end: boxes and dialogs open now are answered
// as cancelled (a save question with No), menus close, and then the main
// window closes as by its close box. Its save question shows only where a
// window can show it; a user who answers Cancel there keeps the program.
void EndBySignal() {
  SetEndRequested(true);
  AnswerBoxesForEnd();
  while (QWidget* popup = QApplication::activePopupWidget()) {
    popup->close();
    if (QApplication::activePopupWidget() == popup) break;
  }
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible() && dialog->isModal())
      dialog->reject();
  // Closed once the loops of what was answered have ended.
  QTimer::singleShot(0, qApp, [] {
    TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
    if (!form || !form->close()) SetEndRequested(false);
  });
}

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// SelectQtPlatform set QT_XCB_NO_MITSHM itself.
bool SetOwnNoShm = false;

}  // namespace

void SelectQtPlatform() {
  // Qt's X11 backing store hands its pictures to the X server in shared
  // memory, and then waits for the server before it paints again over a
  // region it handed over: a round trip (and a wake for the server's answer)
  // at every frame of the output scope. Sent over the connection instead, a
  // frame of the scope's few pixels costs less. Only Qt's connection to the
  // display reads this (see QtPlatformSelected); a user's own choice stands.
  if (!EnvSet("QT_XCB_NO_MITSHM")) {
    setenv("QT_XCB_NO_MITSHM", "1", 1);
    SetOwnNoShm = true;
  }
  if (EnvSet("QT_QPA_PLATFORM")) return;
  if (EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY")) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

void QtPlatformSelected() {
  // Programs started from here (tools, editors) choose for themselves.
  if (SetOwnNoShm) unsetenv("QT_XCB_NO_MITSHM");
  SetOwnNoShm = false;
}

TProgramRun::TProgramRun(const std::vector<std::string>& args, const std::string& exeDir)
    : Line(ParseCommandLine(args)), Opts(ProgramOptionsFor(exeDir)) {}

TProgramRun::~TProgramRun() { ShutDown(); }

int TProgramRun::RunBatch() {
  Down = true;  // nothing of the windows' side runs
  return vs::RunBatch(Opts, Line, std::cout, std::cerr);
}

void TProgramRun::StartUp() {
  // Synchronized thread timers tick on this thread, through its event loop.
  TThreadTimer::SetMainThreadPost([](std::function<void()> call) {
    QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
  });
  Prog.Open(Opts);
  ShowSplash();
  MessageBox = std::make_unique<TQtMessageBox>();
  Listener = std::make_unique<TQtEngineListener>();
  // Packing and unpacking let the windows paint (the info bar's progress);
  // the user's input waits until the archive is done.
  TZipMaster::ProcessMessages = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };

  // Every window the program opens, or that grows, keeps its place.
  KeepWindowsInPlace();
  CreateProgramWindows(Prog.Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.OnCloseAccepted = [this] { CloseAccepted(); };

  Prog.StartUp();
  form.BuildDrumKitsMenu(Opts.AppPath + "Samples/DrumKits/");
  QObject::connect(Listener.get(), &TQtEngineListener::stepPositionChanged, &form, [&form] {
    form.Rack().StepPositionChanged();
    if (TPlayListForm* playlist = Windows().PlayListForm) playlist->FollowPosition();
  });
  // The lamp window fades with the scope's updates, which run while it
  // shows; the sample browser's selection is previewed.
  QObject::connect(Listener.get(), &TQtEngineListener::asyncUpdate, &form, [&form](int kind, qint64) {
    if (kind == AsyncScope) {
      TVisualForm* lamps = Windows().VisualForm;
      const bool lampsShown = lamps && lamps->isVisible();
      if (lampsShown) lamps->DecayRepaint();
      // The output scope and its meter. While neither shows, the reports
      // rest until one shows again.
      const bool shown = form.ScopeOutputReported();
      if (shown) form.Rack().FollowAtScopeFrame();
      if (!shown && !lampsShown) HoldAsyncUpdates(AsyncScope);
      // Silence at rest: the scope thread reports again when it sounds.
      if (shown && !lampsShown && form.ScopeAtRest()) AudioOutput().ScopeSoundOnly.store(true);
    }
    if (kind == AsyncBrowserSample) form.BrowserSampleSelected();
    if (kind == AsyncSyncLamp) form.SyncLampUpdate();
  });
  // The scope thread runs while the scope's button is down or the lamp
  // window shows.
  Windows().VisualForm->OnShownChanged = [&form](bool) { form.ScopeButtonClick(); };
  form.ScopeButtonClick();
  // The windows' bounds as the settings keep them.
  Windows().PlayListForm->LoadBounds(Prog.Prefs.PlayListBounds);
  Windows().VisualForm->LoadBounds(Prog.Prefs.VisualBounds);
  QObject::connect(Listener.get(), &TQtEngineListener::syncStartStop, &form, [&form](bool started) {
    SyncStartStopReceived(started);
    form.ShowTransport();
  });
  // The sound device went away while the program ran: the output is closed.
  QObject::connect(Listener.get(), &TQtEngineListener::outputLost, &form, [&form] {
    const std::string message = TakeOutputLostMessage();
    if (!message.empty()) form.ShowInfo(OutputClosedText(message));
  });
  // The render dialog follows the render thread.
  if (TWAVRenderForm* render = Windows().WAVRenderForm) {
    QObject::connect(Listener.get(), &TQtEngineListener::renderProgress, render,
                     [render](int percent) { render->RenderProgress(percent); });
    QObject::connect(Listener.get(), &TQtEngineListener::renderDone, render,
                     [render](bool ok) { render->RenderDone(ok); });
  }
  // The tools that start with the program, and the tools menu.
  if (TAddToolForm* tools = Windows().AddToolForm) {
    tools->LaunchStartupTools();
    tools->UpdateToolsMenu();
  }
  ConnectSettingsWindow(Prog, *Listener);
  Started = true;
  form.RebuildRecentFiles();
  // The chosen style's pictures (its configuration is read), then the tool
  // windows, sized by them, where the user left them.
  Skin().Load(CurrentStyle());
  form.LoadToolWindows(Prog.Store());
  form.RestorePosition();

  CurrentSong().SetModified(false);
  form.Commands().New();
  form.CommandHost().OpenFolder = Opts.AppPath + "Loops/";
  if (Line.Topmost) form.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  form.Commands().RenderAfterSave = Line.RenderAfterSave;
  PlayStartSound();
  // The sound device failed: the output stays closed, the program runs.
  if (!Prog.OutputError.empty()) form.ShowInfo(OutputClosedText(Prog.OutputError));
  if (FTitleForm) FTitleForm->close();
}

void TProgramRun::ShowSplash() {
  // The setting is read from the store before the windows exist.
  if (Line.NoSplash || !Prog.Store().ReadBool(SettingsSection, "Splash Screen", true)) return;
  auto* splash = new TTitleForm(QString::fromStdString(Prog.Options.AppPath));
  if (!splash->Loaded()) {
    std::cerr << "VorbelSteps: no splash: " << splash->LoadError().toStdString() << std::endl;
    delete splash;
    return;
  }
  FTitleForm = splash;
  FSplashShown = true;
  splash->ShowNow();
}

void TProgramRun::ShowMainWindow() {
  TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
  if (!form) return;
  form->show();
  // The backdrop comes back when it was on at the last close.
  if (Prog.Prefs.BackPicBox && !form->BackgroundForm()) form->BackgroundMenuClick();
  ShowSettingsWhenNoOutput(Prog);
}

void TProgramRun::ListenForWaveEditor() {
  if (TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm) form->ListenForWaveEditor(WaveEditorSocketPath());
}

void TProgramRun::CloseOnSignals() {
  if (SignalPipe[0] >= 0 || pipe(SignalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [this] {
    char byte;
    (void)!read(SignalPipe[0], &byte, 1);
    SignalUnread.store(false);
    // Asked while the program still starts: it closes once it runs (boxes
    // of the start are answered meanwhile).
    if (MessageLoop && Windows().VorbelStepsMainForm) {
      EndBySignal();
    } else {
      SetEndRequested(true);
      AnswerBoxesForEnd();
      CloseAsked = true;
    }
  });
  struct sigaction action = {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

void TProgramRun::FirstActivation() {
  FirstActivationDone = true;
  TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
  if (!form) return;
  if (Prog.Prefs.SampleListVisible) form->SampleBrowserMenuClick();
  Prog.ApplyCommandLine(Line, form->Commands(), &std::cerr);
  form->PlaceSampleBrowserBelow();
}

void TProgramRun::FollowActivation() {
  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp,
                   [this](Qt::ApplicationState state) { ApplicationActivated(state == Qt::ApplicationActive); });
}

void TProgramRun::ApplicationActivated(bool active) {
  TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
  if (!form || form->Closing() || Prog.ShutDownDone()) return;
  if (!active && FirstActivationDone) LeftSinceFirstActivation = true;
  if (active && LeftSinceFirstActivation)
    if (TInfoForm* info = Windows().InfoForm) info->hide();
  if (!Prog.Prefs.CloseDS) return;
  if (active)
    OpenAudioOutput();
  else
    CloseAudioOutput();
  form->ScopeButtonClick();
}

void TProgramRun::CloseAccepted() {
  HideSettingsWindow();
  if (Prog.ShutDownDone()) return;
  TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
  if (form && form->IsPlaying()) form->TogglePlayback();
  // No queued update may reach a window or sample that goes away now.
  if (Listener) Listener->DropPending();
  if (TPlayListForm* playlist = Windows().PlayListForm) playlist->StoreBounds(Prog.Prefs.PlayListBounds);
  if (TVisualForm* lamps = Windows().VisualForm) {
    lamps->StoreBounds(Prog.Prefs.VisualBounds);
    Prog.Prefs.DotsWindow = lamps->isVisible();
    lamps->OnShownChanged = nullptr;
  }
  // The channel settings window's place, as it was stored or, never
  // placed, where it is now: written on every close.
  if (TSettingsForm* channel = Windows().SettingsForm) {
    if (!Prog.Prefs.ChanSetX) Prog.Prefs.ChanSetX = channel->x();
    if (!Prog.Prefs.ChanSetY) Prog.Prefs.ChanSetY = channel->y();
  }
  if (form) {
    form->StorePosition();
    form->SaveToolWindows(Prog.Store());
  }
  // The browser's visibility is kept once it was made.
  if (TSampleListForm* browser = Windows().SampleListForm) {
    browser->AnimTimer.stop();
    Prog.Prefs.SampleListVisible = browser->isVisible();
  }
  if (!Prog.ShutDown())
    HintMessageBox(FormatText(WindowText(MainWindowTable, "@SettingsWriteError",
                                         "Error|The settings could not be written to %s."),
                              {Prog.Store().FileName()}) +
                       "\r" + Prog.SettingsWriteError,
                   MbOK | MbIconError);
  // Closing the main window ends the program, whatever other windows (the
  // browser, the playlist, plug-in editors, floating tool windows, a dialog
  // in its own loop) still show: they go, and the message loop ends here,
  // not with the last window (nor by the application's quit, which a window
  // that keeps itself open refuses).
  if (MessageLoop) {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window != form && window->isVisible()) window->hide();
    MessageLoop->exit(0);
  }
}

int TProgramRun::Exec() {
  QEventLoop loop;
  MessageLoop = &loop;
  if (CloseAsked)
    QTimer::singleShot(0, &loop, [] {
      TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
      if (!form || !form->close()) SetEndRequested(false);
    });
  const int code = loop.exec();
  MessageLoop = nullptr;
  return code;
}

void TProgramRun::ShutDown() {
  if (Down) return;
  Down = true;
  delete FTitleForm.data();
  if (Started) CloseAccepted();
  DisconnectSettingsWindow();
  DestroyProgramWindows();
  Listener.reset();
  MessageBox.reset();
  TThreadTimer::SetMainThreadPost(nullptr);
  SetEndRequested(false);
}

}  // namespace vs
