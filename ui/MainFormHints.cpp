// The main window's hint override and the outside wave editor's hand-over.

#include <QApplication>
#include <QCursor>

#include "framework/Hint95.h"
#include "ui/ChannelRack.h"
#include "ui/VorbelStepsMainForm.h"
#include "ui/WaveEditorServer.h"

namespace vs {

void TVorbelStepsMainForm::SetHintOverride(const std::string& text, QWidget* control) {
  // The next hint shows this text instead of the control's own; the hint
  // shows again at once where the mouse is.
  HintOverride = text;
  HintShownGuard = 0;
  if (!control) control = QApplication::widgetAt(QCursor::pos());
  if (control) Hint95->ShowHintFor(control, QCursor::pos());
}

void TVorbelStepsMainForm::Hint95ShowHint(std::string& hint) {
  if (HintShownGuard == 0 && !HintOverride.empty()) hint = HintOverride;
  HintShownGuard = HintGuardTime;
}

bool TVorbelStepsMainForm::ListenForWaveEditor(const std::string& path) {
  if (!WaveEditorLink) {
    WaveEditorLink = new TWaveEditorServer(this);
    WaveEditorLink->OnReceived = [this](const std::string& info) { ShowInfo(info); };
    WaveEditorLink->AfterLoad = [this] { ChannelRack->update(); };
  }
  return WaveEditorLink->Listen(path);
}

}  // namespace vs
