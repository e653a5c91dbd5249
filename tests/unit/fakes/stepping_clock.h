#pragma once
// A clock for the move's tests that moves on by a fixed step each time it is read, so that every
// progress report of a run comes at its own time and runs repeat exactly.

#include <chrono>

#include "platform/clock.h"

namespace mirafold::fakes {

class SteppingClock final : public platform::Clock {
 public:
  explicit SteppingClock(std::chrono::milliseconds step = std::chrono::milliseconds(10))
      : step_(step) {}

  std::chrono::steady_clock::time_point now() const override {
    return std::chrono::steady_clock::time_point{} + step_ * ++readings_;
  }
  void waitUntil(std::chrono::steady_clock::time_point time) const override {
    while (now() < time) {
    }
  }

 private:
  std::chrono::milliseconds step_;
  mutable long readings_ = 0;
};

}  // namespace mirafold::fakes
