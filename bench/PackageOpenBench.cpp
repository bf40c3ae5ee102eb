// Opening a zipped song package of many small entries (a song and n small
// files): the directory read and every entry unpacked into the private
// folder, as the program's open command does. The time per entry stays
// flat from 2,500 to 20,000 entries.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/ZipMstr.h"
#include "files/ZipSong.h"

namespace {

namespace fs = std::filesystem;

struct TPackage {
  std::string Folder;  // removed at the end
  std::string Zip;
  explicit TPackage(int entries) {
    std::string tmpl = (fs::temp_directory_path() / "vs-bench-XXXXXX").string();
    Folder = mkdtemp(tmpl.data());
    const std::string files = Folder + "/files/";
    fs::create_directories(files);
    vs::TZipAddRecord add;
    add.ArchiveName = Zip = Folder + "/big.zip";
    std::ofstream(files + "song.zmp", std::ios::binary) << std::string("ZMhd\6\0\0\0\0\0\0\0\20\0ZMdt\0\0\0\0", 22);
    add.FileSpecs.push_back(files + "song.zmp");
    for (int i = 0; i < entries; ++i) {
      const std::string name = files + "s" + std::to_string(i) + ".txt";
      std::ofstream(name) << "entry " << i << " of a package of many small files\n";
      add.FileSpecs.push_back(name);
    }
    vs::ZipAddExec(add);
  }
  ~TPackage() {
    std::error_code ec;
    fs::remove_all(Folder, ec);
  }
};

void BM_OpenPackage(benchmark::State& state) {
  const TPackage package(static_cast<int>(state.range(0)));
  vs::TZipMaster zip;
  zip.Unattended = true;
  const std::string temp = package.Folder + "/temp/";
  for (auto _ : state) {
    fs::create_directories(temp);
    const auto song = vs::OpenSongPackage(zip, package.Zip, temp, "", {});
    if (!song || song->empty()) state.SkipWithError("the package did not open");
    state.PauseTiming();
    fs::remove_all(temp);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenPackage)->Arg(2500)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
