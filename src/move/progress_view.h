#pragma once
// A move's progress as the progress window shows it.

#include <chrono>

#include "move/move_progress.h"
#include "platform/progress_window.h"

namespace mirafold::move {

// `elapsed` since the move began; speed and time left stay blank until a byte has moved.
platform::ProgressView progressViewOf(const MoveProgress& progress,
                                      std::chrono::steady_clock::duration elapsed);

}  // namespace mirafold::move
