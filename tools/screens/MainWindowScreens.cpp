// The main window as the program starts: the default drum kit, at rest.

#include "tools/screens/Screens.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

VS_SCREEN("main-window", [](TScreenContext& c) {
  c.Program();
  return TScreenContext::Grab(Windows().VorbelStepsMainForm);
});

}  // namespace
}  // namespace vs::screens
