#include "ui/ProgramWindows.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "framework/MLang.h"

namespace vs {

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
  note(w.MIDIForm = new TMIDIForm(owner));
  note(w.AboutForm = new TAboutForm(owner));
  note(w.SettingsForm = new TSettingsForm(owner));
  note(w.PlayListForm = new TPlayListForm(prefs, owner));
  note(w.SetInfoForm = new TSetInfoForm(owner));
  note(w.InfoForm = new TInfoForm(owner));
  note(w.WAVRenderForm = new TWAVRenderForm(owner));
  note(w.AddToolForm = new TAddToolForm(owner));
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
  auto keyDown = [&form](QKeyEvent* event) { QCoreApplication::sendEvent(&form, event); };
  w.PlayListForm->OnShowInfo = info;
  w.PlayListForm->OnCloseRequest = [&form] { form.PlayListMenuClick(); };
  w.PlayListForm->OnKeyDown = keyDown;
  w.PlayListForm->OnKeyUp = keyDown;
  w.VisualForm->OnShowInfo = info;
  w.VisualForm->OnCloseRequest = [&form] { form.VisualMenuClick(); };
  w.VisualForm->OnKeyDown = keyDown;
  w.VisualForm->OnKeyUp = keyDown;
  w.PianoForm->OnShowInfo = info;
  w.PianoForm->OnKeyDown = keyDown;
  w.PianoForm->OnKeyUp = keyDown;
  return order;
}

void DestroyProgramWindows() {
  TProgramWindows& w = Windows();
  delete w.VorbelStepsMainForm;  // its children go with it
  w = TProgramWindows();
}

}  // namespace vs
