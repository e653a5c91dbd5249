#pragma once
// The time, and waiting for it: the steady clock, or in tests one they move on themselves.

#include <chrono>
#include <functional>
#include <thread>

namespace mirafold::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::steady_clock::time_point now() const = 0;
  // Returns once `now()` has reached `time`.
  virtual void waitUntil(std::chrono::steady_clock::time_point time) const = 0;
  // Returns once `done` holds, asked every 50 ms, or `deadline` has passed; says whether it held.
  // For waiting on another process from the window's thread.
  virtual bool waitFor(const std::function<bool()>& done,
                       std::chrono::steady_clock::time_point deadline) const;
};

class SteadyClock final : public Clock {
 public:
  std::chrono::steady_clock::time_point now() const override {
    return std::chrono::steady_clock::now();
  }
  void waitUntil(std::chrono::steady_clock::time_point time) const override {
    std::this_thread::sleep_until(time);
  }
};

}  // namespace mirafold::platform
