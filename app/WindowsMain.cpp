#include "app/WindowsMain.h"

#include <QApplication>
#include <QTimer>
#include <string>
#include <vector>

#include "ui/ProgramRun.h"

extern "C" __attribute__((visibility("default"))) int VorbelStepsWindowsMain(int argc, char** argv,
                                                                              const char* exeDir) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  vs::TProgramRun run(args, exeDir);

  // Without a display the windows go to Qt's offscreen platform.
  vs::SelectQtPlatform();
  QApplication app(argc, argv);
  vs::QtPlatformSelected();
  QApplication::setApplicationName("VorbelSteps");
  run.CloseOnSignals();
  run.StartUp();
  run.ListenForWaveEditor();
  run.ShowMainWindow();
  QTimer::singleShot(0, &app, [&run] {
    run.FirstActivation();
    run.FollowActivation();
  });
  const int code = run.Exec();
  run.ShutDown();
  return code;
}
