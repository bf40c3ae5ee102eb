#pragma once
// Window tests start with the pointer resting outside every window. A
// pointer left where the last test put it would swallow the next test's
// move to that same spot (no move event goes out for a pointer that stays
// put): the hover, cursor shape or tip that test checks would never come.
// A window suite installs it with its other resets:
//
//   static const bool Clean = vs::testing::StartEachTestClean(&vs::testing::ParkPointer);

#include <QCoreApplication>
#include <QCursor>

namespace vs::testing {

inline void ParkPointer() {
  if (QCoreApplication::instance() == nullptr) return;  // made by the first test
  QCursor::setPos(-20000, -20000);
  QCoreApplication::processEvents();
}

}  // namespace vs::testing
