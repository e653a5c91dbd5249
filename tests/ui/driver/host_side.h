#pragma once
// What a UI test asks of the host under Wine: a screenshot of the screen, and a folder made
// unchangeable there (`chattr +i`), which Wine reports as access denied.

#include <windows.h>

#include <chrono>
#include <string>

namespace mirafold::ui {

// True once `condition` holds, polled every 50 ms; false after the timeout.
template <typename Condition>
bool eventually(Condition condition,
                std::chrono::milliseconds timeout = std::chrono::milliseconds(20000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    ::Sleep(50);
  }
  return true;
}

// The host's name of a Windows path; empty when there is none (not under Wine).
std::string unixPathOf(const std::wstring& path);

// Starts a host program by its host path (`program`, or the line's first word when empty); false
// when it could not start. Wine gives no handle to wait on for a host program.
bool startOnHost(const std::wstring& program, std::wstring line);

// A screenshot of the whole screen when MIRAFOLD_SHOT names a host file, taken by ImageMagick on
// the host. Returns once the picture is written.
void screenshotIfAsked();

// A shell command run on the host inside `folder` (to make many files at once; name programs by
// their full paths); true once it has ended well, false when it failed or took over three minutes.
bool runOnHostIn(const std::wstring& folder, const std::string& command);

// A folder made unchangeable on the host: not even root may rename or create an entry in it, and
// its permissions say so (no write for anyone).
// Made changeable again however the test ends.
class Unchangeable {
 public:
  explicit Unchangeable(const std::wstring& folder);
  ~Unchangeable();
  Unchangeable(const Unchangeable&) = delete;
  Unchangeable& operator=(const Unchangeable&) = delete;
  bool held() const { return held_; }

 private:
  std::wstring folder_;
  std::string unix_;
  std::wstring flag_;
  bool held_ = false;
};

}  // namespace mirafold::ui
