#pragma once
// The progress window without a window or a thread: the work runs at once on the caller's
// thread, every report is kept, and the cancel button can be "pressed" at a chosen report.

#include <functional>
#include <optional>
#include <vector>

#include "platform/progress_window.h"

namespace mirafold::fakes {

class FakeProgressWindow : public platform::ProgressWindow {
 public:
  void run(const std::function<void(const platform::ProgressReport&)>& work,
           const std::function<void()>& cancel) override {
    ++runs;
    work([&](const platform::ProgressView& view) {
      reports.push_back(view);
      if (onReport) onReport(view);
      if (cancelAtReport && reports.size() == *cancelAtReport) cancel();
    });
  }

  int runs = 0;
  std::vector<platform::ProgressView> reports;
  std::optional<std::size_t> cancelAtReport;                    // counted from 1
  std::function<void(const platform::ProgressView&)> onReport;  // as the work goes on
};

}  // namespace mirafold::fakes
