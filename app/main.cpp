// VorbelSteps: the program entry. A batch run ("/R" with a file) renders
// without windows and ends; otherwise the windows are created, the program
// starts up, the command line is applied at the first activation and the
// message loop runs until the main window closes.

#include <QApplication>
#include <QTimer>
#include <string>
#include <vector>

#include "core/ui/ProgramRun.h"

int main(int argc, char** argv) {
  // Without a display the windows go to Qt's offscreen platform.
  vs::SelectQtPlatform();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

  QApplication app(argc, argv);
  QApplication::setApplicationName("VorbelSteps");
  vs::TProgramRun run(args, QCoreApplication::applicationDirPath().toStdString());
  if (run.Batch()) return run.RunBatch();

  run.StartUp();
  run.CloseOnSignals();
  run.ShowMainWindow();
  QTimer::singleShot(0, &app, [&run] { run.FirstActivation(); });
  const int code = app.exec();
  run.ShutDown();
  return code;
}
