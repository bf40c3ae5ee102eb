// A stand-in for the preset library, driven by the preset file's first line:
// "BADLOAD" fails the load, "BADRENDER" fails the render, "NEGATIVE" and
// "NULLDATA" return broken results; anything else renders 3 frames (count 7)
// of values made from the note. Built without genPreset when FAKE_NO_GEN is
// defined.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Holder {
  std::string Mode;
  bool Loaded = false;
  std::vector<int16_t> Data;
};

int DeleteCount = 0;
int FailCreate = 0;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void* createPreset() {
  return FailCreate ? nullptr : new Holder;
}

__attribute__((visibility("default"))) void deletePreset(void* h) {
  ++DeleteCount;
  delete static_cast<Holder*>(h);
}

__attribute__((visibility("default"))) int32_t loadPreset(void* h, const char* path) {
  auto* holder = static_cast<Holder*>(h);
  std::ifstream in(path);
  holder->Loaded = false;
  if (!in || !std::getline(in, holder->Mode) || holder->Mode == "BADLOAD") return 0;
  holder->Loaded = true;
  return 1;
}

#ifndef FAKE_NO_GEN
__attribute__((visibility("default"))) int32_t genPreset(void* h, int16_t** data, int32_t* count,
                                                         int32_t note) {
  auto* holder = static_cast<Holder*>(h);
  if (!holder->Loaded || holder->Mode == "BADRENDER") return 0;
  holder->Data = {int16_t(note), int16_t(-note), 1, 2, 3, 4, 99};
  *data = holder->Data.data();
  *count = 7;
  if (holder->Mode == "NEGATIVE") *count = -8;
  if (holder->Mode == "NULLDATA") *data = nullptr;
  return 1;
}
#endif

// For the tests: how many holders were deleted; make creation fail.
__attribute__((visibility("default"))) int fakeDeleteCount() { return DeleteCount; }
__attribute__((visibility("default"))) void fakeFailCreate(int fail) { FailCreate = fail; }
}
