// libFuzzer target for reading a ZIP archive's directory and extracting it
// (clang, VS_FUZZ=ON). Everything extracted must land in the extraction
// folder as a plain file within the size bounds; the folder next to it must
// stay empty.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ZipArchive.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string root = [] {
    std::string t = (fs::temp_directory_path() / "vs-zipfuzz-XXXXXX").string();
    if (!mkdtemp(t.data())) abort();
    return t;
  }();
  const std::string zip = root + "/in.zip", out = root + "/out", side = root + "/side";
  std::error_code ec;
  fs::remove_all(out, ec);
  fs::create_directories(out);
  fs::create_directories(side);
  std::ofstream(zip, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));

  std::vector<vs::TZipDirEntry> entries;
  std::string why;
  vs::ZipReadDirectory(zip, entries, why);
  vs::TZipExtractRecord rec;
  rec.ArchiveName = zip;
  rec.BaseDir = out;
  rec.DirNames = size & 1;
  rec.OverWrite = true;
  rec.MaxEntrySize = 1 << 20;
  rec.MaxTotalSize = 4 << 20;
  const int n = vs::ZipExtractExec(rec);
  if (n < 0 || size_t(n) > entries.size()) abort();
  uintmax_t total = 0;
  for (auto it = fs::recursive_directory_iterator(out); it != fs::recursive_directory_iterator(); ++it) {
    const fs::file_status st = it->symlink_status();
    if (fs::is_symlink(st) || !(fs::is_regular_file(st) || fs::is_directory(st))) abort();
    if (fs::is_regular_file(st)) total += it->file_size();
  }
  if (total > rec.MaxTotalSize || !fs::is_empty(side)) abort();
  return 0;
}
