// The main window's floating step-value wheel. A step row hands it a step
// and a lane (a right click on an on step with the buttons shown, or any
// press in a value mode); the wheel then lies over that step's bar with the
// lane's range and the step's value, takes the mouse and goes on with the
// press, so that the same drag turns it. Each turn changes the step of the
// edited row and of every selected channel by the same amount (every step
// of the pattern while the line cursor shows, that is while Ctrl is held),
// and the info bar names the value. Releasing it hides it, and a value mode
// that the right click started ends.

#include <QApplication>
#include <QMouseEvent>

#include "controls/ImageList.h"
#include "controls/WAVWheel.h"
#include "core/StepEdits.h"
#include "framework/Skin.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {

void TVorbelStepsMainForm::BuildDotVolWheel() {
  // The program's cursors, their hot spot in the middle.
  LineCursorShape = LoadResourceCursor("LINE", QPoint(15, 15), Qt::SizeVerCursor);
  WaveCursorShape = LoadResourceCursor("WAVE", QPoint(15, 15), Qt::SizeVerCursor);
  DotVolWheel = new TWAVWheel(ChannelRack->BackWP());
  DotVolWheel->setObjectName("DotVolWheel");
  DotVolWheel->setAccessibleName("Step value");
  DotVolWheel->SetBorder(false);
  DotVolWheel->MoveSpeed = DotVolSpeed;
  DotVolWheel->SetWheelIL(&Skin().MiddleWheelIL);
  DotVolWheel->hide();
  DotVolWheel->OnChange = [this](QWidget*) { DotVolWheelChange(); };
  DotVolWheel->OnMouseUp = [this](QWidget*, const TMouseInfo&) { DotVolWheelMouseUp(); };
  TStepRowShared& shared = ChannelRack->Shared();
  // A right click in button mode switches the window's mode (and its
  // buttons) for the time of the gesture.
  shared.SetStepEditMode = [this](int mode) { SetStepEditMode(mode); };
  shared.OnValueEdit = [this](const TValueEditRequest& request) { DotVolTimerTimer(request); };
}

void TVorbelStepsMainForm::DotVolTimerTimer(const TValueEditRequest& request) {
  TSong& song = CurrentSong();
  const TChannel* c = song.Channel(request.Row);
  TTechno16* row = ChannelRack->StepRow(request.Row);
  if (!c || !row || request.Lane < 0 || request.Lane >= StepPlaneCount) return;
  // The lane's range and the step's value, without a change event.
  DotVolWheel->SetMin(0);
  DotVolWheel->SetMax(StepLanes[size_t(request.Lane)].Max);
  DotVolWheel->SetValue(c->Steps.GetStepValue(song.CurrentPattern, request.Step, request.Lane));
  DotVolWheel->move(request.Place.Left, request.Place.Top);
  DotVolWheel->show();
  DotVolWheel->raise();
  // The press goes on in the wheel: it takes the mouse, and the press is
  // replayed on it where the pointer is.
  DotVolWheel->grabMouse();
  const QPoint at = row->pos() + QPoint(request.PressX, request.PressY) - DotVolWheel->pos();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(DotVolWheel->mapToGlobal(at)), request.Button,
                    request.Button, QApplication::keyboardModifiers());
  QApplication::sendEvent(DotVolWheel, &press);
}

void TVorbelStepsMainForm::DotVolWheelChange() {
  TSong& song = CurrentSong();
  const TStepRowShared& shared = ChannelRack->Shared();
  const int edited = shared.ValueEditRow;
  const int step = shared.ValueEditStep;
  const int lane = shared.ValueEditLane;
  if (!song.Channel(edited) || lane < 0 || lane >= StepPlaneCount) return;
  const int value = DotVolWheel->Value();
  TStepValueWords words;
  words.Pan = PanWords();
  words.ShiftFormat = WordOr("@Shift", words.ShiftFormat).toStdString();
  ShowInfo(StepValueInfo(lane, value, words));
  const bool allSteps = FLineCursor;
  ChangeStepValue(song, edited, step, lane, value, allSteps);
  // The bars of the changed steps, except where the wheel lies over them.
  bool pianoShowsOne = false;
  TPianoForm* piano = Windows().PianoForm;
  for (int i = 0; i < song.ChannelCount(); ++i) {
    if (!song.Channels[size_t(i)]->Selected && i != edited) continue;
    if (piano && piano->Channel() == i) pianoShowsOne = true;
    TTechno16* row = ChannelRack->StepRow(i);
    if (!row) continue;
    const QRect wheel = DotVolWheel->geometry().translated(-row->pos());
    row->DrawStepValues(allSteps ? 0 : step, allSteps ? MaxSteps - 1 : step,
                        TRect::Sized(wheel.left(), wheel.top(), wheel.width(), wheel.height()));
  }
  if (piano && piano->isVisible() && pianoShowsOne) piano->RepaintPianoForm();
}

void TVorbelStepsMainForm::DotVolWheelMouseUp() {
  DotVolWheel->hide();
  DotVolWheel->releaseMouse();
  // The bars it covered show again.
  const TSong& song = CurrentSong();
  for (int i = 0; i < song.ChannelCount(); ++i)
    if (TTechno16* row = ChannelRack->StepRow(i); row && (song.Channels[size_t(i)]->Selected || i == ChannelRack->Shared().ValueEditRow))
      row->DrawStepValues(0, MaxSteps - 1);
  // A value mode that a right click started ends with the gesture.
  if (ChannelRack->Shared().StepEditModeFromClick) SetStepEditMode(EditSteps);
}

}  // namespace vs
