#include "app/WindowsMain.h"

#include <QApplication>
#include <QTimer>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "platform/SoundClientFiles.h"
#include "toolbox/AllTools.h"
#include "ui/PaintHelpers.h"
#include "ui/ProgramRun.h"

namespace {

// Ends the process at once (what Qt holds may not be in a state to be
// taken down), without leaving the private temporary folder.
[[noreturn]] void EndNow(int code) {
  vs::RemoveTempDirectory();
  std::fflush(nullptr);
  _exit(code);
}

// Memory the system refuses to the windows or to a thread of the program
// ends the program with a message (and without its private temporary
// folder), never an abort: the exception is never taken through the
// toolkit's code, which is not made to carry on after it.
std::terminate_handler DefaultTerminate = nullptr;

[[noreturn]] void OnTerminate() {
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::bad_alloc&) {
      std::fputs("VorbelSteps: there is not enough memory to run.\n", stderr);
      EndNow(1);
    } catch (...) {
    }
  }
  DefaultTerminate();
  std::abort();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int VorbelStepsWindowsMain(int argc, char** argv,
                                                                              const char* exeDir) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  vs::TProgramRun run(args, exeDir);

  // Before any thread runs: sound clients get no home to make when there is
  // none.
  if (!vs::SoundClientBaseExists()) vs::PlaceSoundClientFiles(vs::GetTempDirectory());
  // Without a display the windows go to Qt's offscreen platform.
  vs::SelectQtPlatform();
  DefaultTerminate = std::set_terminate(&OnTerminate);
  QApplication app(argc, argv);
  vs::QtPlatformSelected();
  QApplication::setApplicationName("VorbelSteps");
  std::string refused;
  if (!vs::PreparePaintHelpers(refused)) {
    std::cerr << "VorbelSteps: the windows can't be painted: the system refused a thread (" << refused << ")."
              << std::endl;
    EndNow(1);  // Qt would wait for the thread it could not start
  }
  run.CloseOnSignals();
  try {
    run.StartUp();
  } catch (const std::bad_alloc&) {
    std::cerr << "VorbelSteps: there is not enough memory to run." << std::endl;
    EndNow(1);
  }
  run.ListenForWaveEditor();
  run.ShowMainWindow();
  QTimer::singleShot(0, &app, [&run] {
    run.FirstActivation();
    run.FollowActivation();
  });
  const int code = run.Exec();
  run.ShutDown();
  if (vs::PaintHelperRefused()) EndNow(code);
  return code;
}
