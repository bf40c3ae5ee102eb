#pragma once
// Qt converts and scales large pictures on helper threads of its global
// thread pool and waits for them while it paints. A helper the system
// refuses (a thread or memory limit) never runs, and the paint would wait
// for it forever, with the window blank and deaf. So the helpers are
// started once, before anything paints, and kept: the pool is capped to
// those that started, and a paint never needs a new thread.

#include <string>

namespace vs {

// Starts the paint helpers (after the application object is made, before
// the first paint). False, with the system's reason, when not even one could
// start: nothing can be painted then.
bool PreparePaintHelpers(std::string& why);

// A helper start was refused: Qt's pool then counts a thread that never ran
// and would wait for it at the application's end, so the process ends
// without waiting (after its own shut-down).
bool PaintHelperRefused();

}  // namespace vs
