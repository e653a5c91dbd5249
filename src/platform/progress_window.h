#pragma once
// A modal window that shows how long work is getting on while the work runs on a worker thread,
// with a button that asks it to stop.

#include <functional>
#include <string>

namespace mirafold::platform {

// What the window shows, already in words.
struct ProgressView {
  unsigned permille = 0;      // of the bar
  std::wstring currentFile;   // empty when none
  std::wstring counts;        // done and total
  std::wstring rate;          // speed and time left
  bool unknownTotal = false;  // the bar only shows that work goes on, not how far it has got
  // Work of several parts: which part runs, as the window's title; empty keeps the title it has.
  std::wstring title;
};

// Called on the worker's thread, as often as the work likes; the window shows the latest.
using ProgressReport = std::function<void(const ProgressView&)>;

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // Shows the window, runs `work` on a worker thread and returns once it has returned. `cancel`
  // runs on the caller's thread when the user presses the cancel button or closes the window;
  // the work is expected to notice and end soon.
  virtual void run(const std::function<void(const ProgressReport&)>& work,
                   const std::function<void()>& cancel) = 0;
};

}  // namespace mirafold::platform
