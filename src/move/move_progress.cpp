#include "move/move_progress.h"
#include "platform/clock.h"

namespace mirafold::move {

ProgressThrottle::ProgressThrottle(const platform::Clock& clock, ProgressCallback callback)
    : clock_(clock), callback_(std::move(callback)) {}

void ProgressThrottle::report(const MoveProgress& progress) {
  if (reported_ && clock_.now() - last_ < kMinimumGap) return;
  reportNow(progress);
}

void ProgressThrottle::reportNow(const MoveProgress& progress) {
  if (reported_ && clock_.now() - last_ < kMinimumGap) clock_.waitUntil(last_ + kMinimumGap);
  last_ = clock_.now();
  reported_ = true;
  if (callback_) callback_(progress);
}

}  // namespace mirafold::move
