// The channel rack in the main window: the default kit's beat with the play
// lamp standing on a step, the rack in its graph mode with every row's
// lamps shown, and the floating wheel turning a step's volume.

#include <QApplication>
#include <QMouseEvent>

#include "controls/WAVWheel.h"
#include "model/Song.h"
#include "tools/screens/Screens.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

TVorbelStepsMainForm& ShownForm(TScreenContext& c) {
  c.Program();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.resize(form.width(), form.FullHeight());
  return form;
}

void StandLampOn(TChannelRack& rack, int step) {
  rack.Shared().PatternPlaying = true;
  for (const TRackRowWidgets& row : rack.Rows()) row.Steps->SetPlayStep(step);
}

VS_SCREEN("rack-beat", [](TScreenContext& c) {
  TVorbelStepsMainForm& form = ShownForm(c);
  TChannelRack& rack = form.Rack();
  rack.SetAllRowsShowLamps(false);
  rack.SetStepEditMode(EditSteps);
  StandLampOn(rack, 6);
  return TScreenContext::Grab(&form);
});

VS_SCREEN("rack-graph", [](TScreenContext& c) {
  TVorbelStepsMainForm& form = ShownForm(c);
  TChannelRack& rack = form.Rack();
  rack.SetAllRowsShowLamps(true);
  rack.SetStepEditMode(EditPanVol);
  StandLampOn(rack, 10);
  form.resize(form.width(), form.FullHeight());
  QImage shot = TScreenContext::Grab(&form);
  rack.SetStepEditMode(EditSteps);
  rack.SetAllRowsShowLamps(false);
  rack.Shared().PatternPlaying = false;
  rack.HidePlaySteps();
  return shot;
});

VS_SCREEN("rack-step-wheel", [](TScreenContext& c) {
  TVorbelStepsMainForm& form = ShownForm(c);
  TChannelRack& rack = form.Rack();
  rack.SetAllRowsShowLamps(false);
  form.SetStepEditMode(EditPanVol);
  TScreenContext::Settle();
  // A press on the snare's first step that is on, on its lower lane, and
  // the drag that goes on in the wheel.
  const int channel = 1;
  TTechno16* row = rack.StepRow(channel);
  const TSong& song = CurrentSong();
  int step = 0;
  while (step < 15 && !song.Channel(channel)->Steps.IsStepOn(song.CurrentPattern, step)) ++step;
  const QPoint at(step * 16 + 8, row->CellTop() + 19);
  auto send = [](QWidget* to, QEvent::Type type, QPoint global, Qt::MouseButtons held) {
    const QPoint local = to->mapFromGlobal(global);
    QMouseEvent e(type, QPointF(local), QPointF(global), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  held, Qt::NoModifier);
    QApplication::sendEvent(to, &e);
  };
  send(row, QEvent::MouseButtonPress, row->mapToGlobal(at), Qt::LeftButton);
  TWAVWheel* wheel = form.DotVolWheel;
  send(wheel, QEvent::MouseMove, row->mapToGlobal(at - QPoint(0, 14)), Qt::LeftButton);
  TScreenContext::Settle();
  QImage shot = TScreenContext::Grab(&form);
  send(wheel, QEvent::MouseButtonRelease, row->mapToGlobal(at - QPoint(0, 14)), Qt::NoButton);
  form.SetStepEditMode(EditSteps);
  CurrentSong().SetModified(false);
  return shot;
});

}  // namespace
}  // namespace vs::screens
