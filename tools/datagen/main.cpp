// Writes the program's data into the folder given as the argument (the
// build runs it to fill the build tree's "data/").
#include <cstdio>
#include <string>

#include "tools/datagen/ProgramData.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!vs::datagen::WriteProgramData(argv[1], error)) {
    std::fprintf(stderr, "vs_datagen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
