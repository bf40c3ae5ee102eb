#include "ui/ProgramWindows.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <algorithm>

#include "core/PatternCommands.h"
#include "editors/SampleListForm.h"
#include "controls/MyTransBtn.h"
#include "framework/MLang.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"

namespace vs {

namespace {

// Hands the key presses and releases that reach a window itself (no
// control of it took them) to the main window.
class TKeyForwarder : public QObject {
public:
  explicit TKeyForwarder(QWidget& target) : QObject(&target), Target(target) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    QCoreApplication::sendEvent(&Target, event);
    (void)watched;
    return true;
  }

private:
  QWidget& Target;
};

}  // namespace

TProgramWindows& Windows() {
  static TProgramWindows windows;
  return windows;
}

std::vector<std::string> CreateProgramWindows(TPreferences& prefs) {
  TProgramWindows& w = Windows();
  std::vector<std::string> order;
  auto note = [&order](QWidget* window) { order.push_back(window->objectName().toStdString()); };
  note(w.VorbelStepsMainForm = new TVorbelStepsMainForm(prefs));
  // The other windows belong to the main window (they stay above it and go
  // with it) but are windows of their own.
  QWidget* owner = w.VorbelStepsMainForm;
  note(w.PianoForm = new TPianoForm(owner));
  note(w.VisualForm = new TVisualForm(owner));
  note(w.MIDIForm = new TMIDIForm(prefs, owner));
  note(w.AboutForm = new TAboutForm(owner));
  note(w.SettingsForm = new TSettingsForm(prefs, owner));
  note(w.PlayListForm = new TPlayListForm(prefs, owner));
  note(w.SetInfoForm = new TSetInfoForm(owner));
  note(w.InfoForm = new TInfoForm(owner));
  note(w.WAVRenderForm = new TWAVRenderForm(owner));
  note(w.AddToolForm = new TAddToolForm(prefs, owner));
  // Each window speaks the program's language from its own table.
  for (QWidget* window : {static_cast<QWidget*>(w.PianoForm), static_cast<QWidget*>(w.VisualForm),
                          static_cast<QWidget*>(w.MIDIForm), static_cast<QWidget*>(w.AboutForm),
                          static_cast<QWidget*>(w.SettingsForm), static_cast<QWidget*>(w.PlayListForm),
                          static_cast<QWidget*>(w.SetInfoForm), static_cast<QWidget*>(w.InfoForm),
                          static_cast<QWidget*>(w.WAVRenderForm), static_cast<QWidget*>(w.AddToolForm)})
    AttachWindowWords(window);

  // What the windows ask of the main window.
  TVorbelStepsMainForm& form = *w.VorbelStepsMainForm;
  auto info = [&form](const std::string& text) { form.ShowInfo(text); };
  // Keys pressed in the playlist, the piano roll and the lamp window that
  // they do not use themselves reach the main window's key handlers.
  auto* keys = new TKeyForwarder(form);
  for (QWidget* window : {static_cast<QWidget*>(w.PlayListForm), static_cast<QWidget*>(w.PianoForm),
                          static_cast<QWidget*>(w.VisualForm)})
    window->installEventFilter(keys);
  w.PlayListForm->OnShowInfo = info;
  w.PlayListForm->OnCloseRequest = [&form] { form.PlayListMenuClick(); };
  // A pattern chosen in the playlist's header is the edited pattern of the
  // rack and the piano roll too.
  w.PlayListForm->OnEditPattern = [&form](int pattern) {
    // The rack, the selector and the piano roll follow the song's pattern.
    SelectPatternFromSelector(pattern);
    form.ShowInfo(CurrentSong().PatternNames[size_t(std::clamp(pattern, 1, MaxPattern))].Name);
  };
  w.VisualForm->OnShowInfo = info;
  w.VisualForm->OnCloseRequest = [&form] { form.VisualMenuClick(); };
  w.PianoForm->OnShowInfo = info;
  // The panel's two view buttons follow the piano roll's view.
  w.PianoForm->OnViewModeChanged = [&form](int mode) {
    form.FXNoteBtn->SetDown(mode == PianoKeyboardView);
    form.FXDrawBtn->SetDown(mode == PianoGraphView);
  };
  w.PianoForm->OnChannelMoved = [&form] { form.PlacePianoForm(); };
  // Renders, tools and their menu.
  w.WAVRenderForm->Prefs = &prefs;
  w.AddToolForm->RenderFileNameOf = [&form] { return form.Commands().RenderFileName; };
  w.AddToolForm->OnInfo = info;
  w.AddToolForm->AddToolsMenu(form.Actions().Menu("Tools1"), form.Actions().Action("ToolsSepMenu"), false, &form);
  // The channel settings' sample menu lists the tools that take a sample.
  w.AddToolForm->AddToolsMenu(w.SettingsForm->SampleMenu(), w.SettingsForm->ToolsSepMenu(), true);
  ConnectChannelSettings();
  return order;
}

void ConnectChannelSettings() {
  TProgramWindows& w = Windows();
  if (!w.VorbelStepsMainForm || !w.SettingsForm) return;
  w.VorbelStepsMainForm->Rack().OnNameButtonClick = [](int index, bool down) {
    if (TSettingsForm* form = Windows().SettingsForm) form->SetButtonClick(index, down);
  };
  w.SettingsForm->OnNameButtonState = [](int index, bool down) {
    if (TVorbelStepsMainForm* main = Windows().VorbelStepsMainForm) main->Rack().SetNameButtonDown(index, down);
  };
  w.SettingsForm->OnMainKey = [](QKeyEvent* event) {
    TVorbelStepsMainForm* main = Windows().VorbelStepsMainForm;
    if (!main) return false;
    return event->type() == QEvent::KeyPress ? main->FormKeyDown(event) : main->FormKeyUp(event);
  };
  w.SettingsForm->OnShowInfo = [](const std::string& text) {
    if (TVorbelStepsMainForm* main = Windows().VorbelStepsMainForm) main->ShowInfo(text);
  };
  // "Record new sample..." opens the recording box for the channel; a saved
  // preset shows in the sample browser.
  w.SettingsForm->OnRecordSample = [](int index) {
    if (TVorbelStepsMainForm* main = Windows().VorbelStepsMainForm) main->ShowRecordForm(index);
  };
  w.SettingsForm->OnPresetSaved = [] { RefreshSampleBrowser(); };
}

void RefreshSampleBrowser() {
  if (TSampleListForm* browser = Windows().SampleListForm) browser->RefreshTree();
}

void DestroyProgramWindows() {
  TProgramWindows& w = Windows();
  delete w.VorbelStepsMainForm;  // its children go with it
  w = TProgramWindows();
}

}  // namespace vs
