#include "platform/win32/ui/timer.h"

namespace mirafold::win32 {

void Win32Timer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) {
    ::SetTimer(owner_, id_, interval_, nullptr);
  } else {
    ::KillTimer(owner_, id_);
  }
}

void Win32Timer::tick() {
  // A WM_TIMER already queued when the timer was switched off is not a tick.
  if (enabled_ && tick_) tick_();
}

}  // namespace mirafold::win32
