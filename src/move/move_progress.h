#pragma once
// What a move tells its watcher while it runs, how often, and how it is asked to stop. The engine
// runs on a worker thread: the flag is set from the window's thread, the callback is called on the
// worker's.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/clock.h"

namespace mirafold::move {

struct MoveProgress {
  std::uint64_t bytesDone = 0;
  std::uint64_t bytesTotal = 0;
  std::uint64_t filesDone = 0;
  std::uint64_t filesTotal = 0;
  std::wstring currentFile;  // empty when no file is being copied
};

using ProgressCallback = std::function<void(const MoveProgress&)>;

class CancelFlag {
 public:
  void request() { requested_.store(true, std::memory_order_relaxed); }
  bool requested() const { return requested_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
};

// Passes reports on at most 30 times a second; the first and the last always pass, the last after
// waiting out what is left of its 1/30 s. A copy reports far more often than 4 times a second, so
// every 1/30 s that has a report passes one.
class ProgressThrottle {
 public:
  static constexpr auto kMinimumGap = std::chrono::microseconds(1'000'000 / 30 + 1);

  ProgressThrottle(const platform::Clock& clock, ProgressCallback callback);

  void report(const MoveProgress& progress);
  void reportNow(const MoveProgress& progress);  // first and last

 private:
  const platform::Clock& clock_;
  ProgressCallback callback_;
  bool reported_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace mirafold::move
