// VorbelSteps: the program entry. A batch run ("/R" with a file) renders
// without windows and ends; it never loads the window libraries. Otherwise
// the windows' library, which lies beside the executable, is loaded and
// runs the program with its windows (WindowsMain.cpp).

#include <dlfcn.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "app/WindowsMain.h"
#include "core/CommandLine.h"
#include "core/Program.h"

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
  // One heap for every thread: each further arena would take 64 MB of
  // address space, a quarter of what a limited session may give the whole
  // program, and no thread of the program allocates while it plays.
  mallopt(M_ARENA_MAX, 1);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  const std::string exeDir = ExecutableFolder(argv[0]);
  const vs::TCommandLine line = vs::ParseCommandLine(args);
  if (line.Batch()) {
    // Memory the program itself can't be given ends the run with a message
    // (loads and renders that can't get theirs fail on their own).
    try {
      const int code = vs::RunBatch(vs::ProgramOptionsFor(exeDir), line, std::cout, std::cerr);
      // Every file the run wrote is synced and closed, and its temporary
      // folder is gone: the memory and objects left, the system takes back
      // at once, without freeing them one by one.
      std::cout.flush();
      std::cerr.flush();
      std::fflush(nullptr);
      std::_Exit(code);
    } catch (const std::bad_alloc&) {
      std::cerr << "VorbelSteps: there is not enough memory to run." << std::endl;
      return 1;
    }
  }

  // The windows resolve everything below them in this executable.
  const std::string library = exeDir + "/" + VS_WINDOWS_LIBRARY;
  void* windows = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  auto* run = windows ? reinterpret_cast<vs::TWindowsMain*>(dlsym(windows, VS_WINDOWS_MAIN)) : nullptr;
  if (!run) {
    const char* why = dlerror();
    std::cerr << "VorbelSteps: the windows can't be opened: " << (why ? why : library) << std::endl;
    return 1;
  }
  return run(argc, argv, exeDir.c_str());
}
