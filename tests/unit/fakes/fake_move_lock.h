#pragma once
// The user's move lock as every window of the program shares it: held by one holder at a time.

#include <memory>

#include "platform/move_lock.h"

namespace mirafold::fakes {

class FakeMoveLock : public platform::MoveLock {
 public:
  std::unique_ptr<Held> tryHold() override {
    if (*held_) return nullptr;
    return std::make_unique<Holding>(held_);
  }
  bool held() const { return *held_; }

 private:
  struct Holding final : Held {
    explicit Holding(std::shared_ptr<bool> flag) : held(std::move(flag)) { *held = true; }
    ~Holding() override { *held = false; }
    std::shared_ptr<bool> held;
  };
  std::shared_ptr<bool> held_ = std::make_shared<bool>(false);
};

}  // namespace mirafold::fakes
