// VorbelSteps: the program entry. A batch run ("/R" with a file) renders
// without windows and ends; otherwise the windows are created, the program
// starts up, the command line is applied at the first activation and the
// message loop runs until the main window closes.

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "ui/ProgramRun.h"

namespace {

// The folder of the running executable.
std::string ExecutableFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  return exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  vs::TProgramRun run(args, ExecutableFolder(argv[0]));
  if (run.Batch()) return run.RunBatch();

  // Without a display the windows go to Qt's offscreen platform.
  vs::SelectQtPlatform();
  QApplication app(argc, argv);
  QApplication::setApplicationName("VorbelSteps");
  run.StartUp();
  run.CloseOnSignals();
  run.ShowMainWindow();
  QTimer::singleShot(0, &app, [&run] {
    run.FirstActivation();
    run.FollowActivation();
  });
  const int code = app.exec();
  run.ShutDown();
  return code;
}
