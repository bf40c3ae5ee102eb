#include "ui/SettingsHooks.h"

#include <QCoreApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "controls/WindowTools.h"
#include "core/Program.h"
#include "core/SettingsCommands.h"
#include "editors/PluginEditorForm.h"
#include "editors/PluginSlotsPage.h"
#include "engine/EngineListener.h"
#include "engine/VSTPlugin.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "ui/QtEngineListener.h"

namespace vs {

namespace {

// Open plug-in editors get their idle calls from the main thread; the
// timer runs only while an editor is open.
constexpr int EditorIdleInterval = 40;  // ms
QTimer* EditorIdleTimer = nullptr;

class TIdledEditorFactory : public TQtPluginEditorFactory {
public:
  std::unique_ptr<TPluginEditorWindow> CreateEditorWindow() override {
    std::unique_ptr<TPluginEditorWindow> window = TQtPluginEditorFactory::CreateEditorWindow();
    if (window && EditorIdleTimer && !EditorIdleTimer->isActive()) EditorIdleTimer->start();
    return window;
  }
};
TIdledEditorFactory EditorFactory;

}  // namespace

void ConnectSettingsWindow(TProgram& program, TQtEngineListener& listener) {
  TProgramWindows& w = Windows();
  TMIDIForm& settings = *w.MIDIForm;
  TVorbelStepsMainForm& form = *w.VorbelStepsMainForm;
  TPreferences& prefs = program.Prefs;
  TMIDIForm::THooks& hooks = settings.Hooks;
  hooks.ShowInfo = [&form](const std::string& text) { form.ShowInfo(text); };
  hooks.PositionLedsChanged = [&form] {
    form.Rack().ArrangeChannels();
    form.FitMainWindowHeight();
  };
  form.Rack().Shared().BothMouseButtons = prefs.BothMouseButtons;
  hooks.MouseButtonsChanged = [&form, &prefs] { form.Rack().Shared().BothMouseButtons = prefs.BothMouseButtons; };
  hooks.StyleChanged = [&form] {
    form.Rack().ArrangeChannels();
    form.FitMainWindowHeight();
  };
  hooks.HideChannelSettings = [] {
    if (QWidget* channel = Windows().SettingsForm) channel->hide();
  };
  hooks.ShowSongInfo = [] {
    if (TSetInfoForm* info = Windows().SetInfoForm) info->exec();
  };
  hooks.SampleFoldersChanged = [] { RefreshSampleBrowser(); };
  hooks.ProgramFile = [] { return QCoreApplication::applicationFilePath().toStdString(); };
  settings.AttachProgram(program);

  QObject::connect(&listener, &TQtEngineListener::asyncUpdate, &settings, [&settings](int kind, qint64 value) {
    if (kind == AsyncUnderrun) settings.ShowUnderruns(value);
  });
  QObject::connect(&listener, &TQtEngineListener::parameterAutomated, &settings,
                   [&settings](int slot) { settings.PluginSlots->ParamsAutomated(slot); });

  SetPluginEditorFactory(&EditorFactory);
  auto* idle = new QTimer(&settings);
  idle->setObjectName("EditorIdleTimer");
  idle->setInterval(EditorIdleInterval);
  QObject::connect(idle, &QTimer::timeout, idle, [idle] {
    if (!EditorsOpen()) {
      idle->stop();
      return;
    }
    IdleEditors();
  });
  QObject::connect(idle, &QObject::destroyed, [idle] {
    if (EditorIdleTimer == idle) EditorIdleTimer = nullptr;
  });
  EditorIdleTimer = idle;
}

void HideSettingsWindow() {
  if (TMIDIForm* settings = Windows().MIDIForm) settings->hide();
}

void DisconnectSettingsWindow() { SetPluginEditorFactory(nullptr); }

void ShowSettingsWhenNoOutput(const TProgram& program) {
  TMIDIForm* settings = Windows().MIDIForm;
  if (!settings || !NoOutputChosen(program.Prefs)) return;
  // Beside the main window when the screen has room there, so that the
  // rack stays in reach; else centred. The place is chosen before the
  // window shows: the desktop frames it there.
  std::optional<QPoint> place;
  const QWidget* form = Windows().VorbelStepsMainForm;
  if (const QScreen* screen = form ? form->screen() : nullptr; screen && !settings->isVisible()) {
    const QRect area = GetWorkArea(*screen);
    const QRect main = form->frameGeometry();
    const QSize size = FramedSize(settings);
    // 8 pixels right of it, or less where the screen ends.
    const QRect beside(QPoint(std::min(main.right() + 8, area.right() + 1 - size.width()), main.top()), size);
    if (beside.left() > main.right() && area.contains(beside)) place = beside.topLeft();
  }
  settings->ShowPageInBackground(settings->WAVSheet, place);
}

}  // namespace vs
