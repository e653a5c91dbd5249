#include "platform/clock.h"

namespace mirafold::platform {

bool Clock::waitFor(const std::function<bool()>& done,
                    std::chrono::steady_clock::time_point deadline) const {
  for (;;) {
    if (done()) return true;
    if (now() >= deadline) return false;
    waitUntil(now() + std::chrono::milliseconds(50));
  }
}

}  // namespace mirafold::platform
