// The channel rack in the main window: the default kit's beat with the play
// lamp standing on a step, and the rack in its graph mode with every row's
// lamps shown.

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

}  // namespace
}  // namespace vs::screens
