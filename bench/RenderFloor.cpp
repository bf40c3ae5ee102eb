// The floor that bench/render_cpu.py sets each "/R" render beside: the work
// any render of the song does at the least. A process that reads the same
// sample files whole and writes a stereo 16-bit WAV of the same length,
// block by block, the way the program writes its files (a temporary file,
// synced and renamed), mixing nothing.
//
//   bench_RenderFloor <out.wav> <frames> <sample files...>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchWAV.h"
#include "toolbox/SafeFile.h"

namespace {

int Floor(const std::string& out, long long frames, char** files, int count) {
  // Each sample file read whole, as a loader must.
  size_t read = 0;
  for (int i = 0; i < count; ++i) {
    const int fd = ::open(files[i], O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      std::fprintf(stderr, "bench_RenderFloor: %s can't be read\n", files[i]);
      return 1;
    }
    std::vector<uint8_t> bytes(size_t(st.st_size));
    for (size_t at = 0; at < bytes.size();) {
      const ssize_t n = ::read(fd, bytes.data() + at, bytes.size() - at);
      if (n <= 0) break;
      at += size_t(n);
    }
    read += bytes.size();
    ::close(fd);
  }
  // The WAV, a block of silence at a time.
  vs::TSafeFile f;
  const std::vector<uint8_t> header = vs::BenchWAVHeader(2, uint32_t(frames * 4));
  std::vector<uint8_t> block(4096 * 4, 0);
  bool ok = f.Open(out) && f.Write(header.data(), header.size());
  for (long long done = 0; ok && done < frames; done += 4096) {
    const long long n = std::min<long long>(4096, frames - done);
    ok = f.Write(block.data(), size_t(n) * 4);
  }
  if (!ok || !f.Commit()) {
    std::fprintf(stderr, "bench_RenderFloor: %s can't be written\n", out.c_str());
    return 1;
  }
  return read > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_RenderFloor <out.wav> <frames> <sample files...>\n");
    return 2;
  }
  return Floor(argv[1], std::atoll(argv[2]), argv + 3, argc - 3);
}
