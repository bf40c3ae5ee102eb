#pragma once
// Named pipes that stand in for a sound card and its clock: a thread takes
// a period of 256 frames from each playback pipe every 256 / 44100 s,
// keeping every frame it took, and puts a signal into each capture pipe at
// the same pace. Woken late, it takes the next period then and never
// catches up in a burst, as a card would not; it runs at a sound thread's
// priority where the system allows. What the other end writes is recorded
// whole whatever holds the machine up, so a test compares it exactly.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "toolbox/ThreadPriority.h"

namespace vs::testing {

class TCardPipes {
public:
  static constexpr int PeriodFrames = 256;
  // A capture pipe is filled in pieces that any read of a power of two
  // frames up to this divides, each written whole: reads are never cut
  // short.
  static constexpr int CapturePieceFrames = 1024;

  ~TCardPipes() {
    Quit.store(true);
    if (Thread.joinable()) Thread.join();
    for (const auto& p : Pipes) close(p->Fd);
  }

  // Opens a playback pipe for reading (waiting up to 10 s for it to be
  // made), so that the writer never waits for a reader; what stands in it
  // already is dropped. False when it can't.
  bool AddPlayback(const std::string& path) {
    int fd = -1;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) < 0 && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (fd < 0) return false;
    // A small pipe, as a card's buffer is small (emptied first: a pipe
    // holding more can't shrink).
    char drop[4096];
    for (int i = 0; i < 100 && fcntl(fd, F_SETPIPE_SZ, PeriodFrames * 4 * 4) < 0; ++i)
      while (read(fd, drop, sizeof drop) > 0) {
      }
    Add(fd, nullptr);
    return true;
  }
  // Holds a capture pipe open (so that the reader never waits for a
  // writer) and fills it with `signal` on the left, its negative on the
  // right.
  bool AddCapture(const std::string& path, int16_t (*signal)(uint64_t)) {
    const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    fcntl(fd, F_SETPIPE_SZ, CapturePieceFrames * 4 * 2);
    Add(fd, signal);
    return true;
  }
  void Start() { Thread = std::thread([this] { Run(); }); }

  // The frames taken so far from the n-th pipe added.
  size_t Frames(size_t n) {
    std::lock_guard<std::mutex> hold(Lock);
    return Pipes[n]->Taken.size() / 2;
  }
  std::vector<int16_t> Played(size_t n) {
    std::lock_guard<std::mutex> hold(Lock);
    return Pipes[n]->Taken;
  }

private:
  struct TPipe {
    int Fd = -1;
    int16_t (*Signal)(uint64_t) = nullptr;  // a capture pipe's
    std::vector<char> Partial;              // read, not yet a whole frame
    std::vector<int16_t> Taken;
    uint64_t Sent = 0;
  };

  void Add(int fd, int16_t (*signal)(uint64_t)) {
    auto pipe = std::make_unique<TPipe>();
    pipe->Fd = fd;
    pipe->Signal = signal;
    Pipes.push_back(std::move(pipe));
  }

  void Run() {
    SetCurrentThreadPriority(TThreadPriority::Highest);
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::nanoseconds(int64_t(PeriodFrames) * 1000000000 / 44100);
    auto next = Clock::now();
    std::vector<int16_t> piece(size_t(CapturePieceFrames) * 2);
    for (uint64_t tick = 1; !Quit.load(); ++tick) {
      std::this_thread::sleep_until(next);
      next += period;
      if (next < Clock::now()) next = Clock::now() + period;
      for (const auto& p : Pipes) {
        if (p->Signal == nullptr) {
          std::vector<char>& bytes = p->Partial;
          const size_t had = bytes.size();
          bytes.resize(had + PeriodFrames * 4);
          const ssize_t n = read(p->Fd, bytes.data() + had, PeriodFrames * 4);
          bytes.resize(had + size_t(std::max<ssize_t>(n, 0)));
          const size_t whole = bytes.size() / 4 * 4;
          std::lock_guard<std::mutex> hold(Lock);
          const auto* frames = reinterpret_cast<const int16_t*>(bytes.data());
          p->Taken.insert(p->Taken.end(), frames, frames + whole / 2);
          bytes.erase(bytes.begin(), bytes.begin() + long(whole));
        } else if (tick % (CapturePieceFrames / PeriodFrames) == 0) {
          for (int i = 0; i < CapturePieceFrames; ++i) {
            piece[2 * size_t(i)] = p->Signal(p->Sent + uint64_t(i));
            piece[2 * size_t(i) + 1] = int16_t(-piece[2 * size_t(i)]);
          }
          // When the pipe has no room the piece waits for the next turn.
          if (write(p->Fd, piece.data(), piece.size() * 2) > 0) p->Sent += CapturePieceFrames;
        }
      }
    }
  }

  std::vector<std::unique_ptr<TPipe>> Pipes;
  std::thread Thread;
  std::atomic<bool> Quit{false};
  std::mutex Lock;
};

}  // namespace vs::testing
