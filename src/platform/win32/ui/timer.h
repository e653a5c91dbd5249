#pragma once

#include <windows.h>

#include "platform/controls.h"

namespace mirafold::win32 {

// A window timer; the owning form passes WM_TIMER on to tick().
class Win32Timer : public platform::Timer {
 public:
  Win32Timer(HWND owner, UINT_PTR id, UINT intervalMs)
      : owner_(owner), id_(id), interval_(intervalMs) {}
  ~Win32Timer() override { setEnabled(false); }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;

  void setEnabled(bool enabled) override;
  void onTick(platform::Handler handler) override { tick_ = std::move(handler); }
  UINT_PTR id() const { return id_; }
  void tick();

 private:
  HWND owner_;
  UINT_PTR id_;
  UINT interval_;
  bool enabled_ = false;
  platform::Handler tick_;
};

}  // namespace mirafold::win32
