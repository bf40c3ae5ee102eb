#pragma once
// The one QApplication of a window test program, offscreen unless the
// environment names a platform. Made at first use and shared by every test
// file of the program: Qt allows one application object per process.

#include <QApplication>
#include <cstdlib>

namespace vs::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace vs::testing
