#pragma once
// Every test of a suite starts from a clean program state: the layer's
// reset (threads stopped, devices closed, hooks dropped, the program-wide
// objects made anew) runs before each test, so that nothing one test left
// behind (a voice of a song it freed, a running clock, a counter) reaches
// the next. A test suite installs it once:
//
//   static const bool Clean = vs::testing::StartEachTestClean(&vs::ResetEngineState);

#include <gtest/gtest.h>

namespace vs::testing {

class TCleanStateListener : public ::testing::EmptyTestEventListener {
public:
  explicit TCleanStateListener(void (*reset)()) : Reset(reset) {}
  void OnTestStart(const ::testing::TestInfo&) override { Reset(); }

private:
  void (*Reset)();
};

inline bool StartEachTestClean(void (*reset)()) {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TCleanStateListener(reset));
  return true;
}

}  // namespace vs::testing
