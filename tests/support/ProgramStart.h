#pragma once
// The program run with its windows on the test's own settings file (the text
// given) and a data folder, started up; callers show the main window when
// they need it.

#include <cstdlib>
#include <memory>
#include <string>

#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ProgramRun.h"

namespace vs::testing {

inline std::unique_ptr<TProgramRun> StartProgram(const TTestDir& tmp, const std::string& settings,
                                                 const std::string& data) {
  TestApplication();
  tmp.Write("settings.ini", settings);
  setenv("VORBELSTEPS_SETTINGS", (tmp / "settings.ini").c_str(), 1);
  setenv("VORBELSTEPS_DATA", data.c_str(), 1);
  auto run = std::make_unique<TProgramRun>(std::vector<std::string>{}, tmp.Dir());
  run->StartUp();
  return run;
}

}  // namespace vs::testing
